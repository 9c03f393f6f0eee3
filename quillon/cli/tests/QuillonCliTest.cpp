#include "QuillonCli.h"

#include "FileUtil.h"
#include "ProgramRun.h"
#include "ScratchFolder.h"
#include "StderrCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon";

struct SParseCase {
    const char* m_szName;
    std::vector<const char*> m_args;
    int m_nExitCode;
    bool m_bRuns;
};

class ParseArgs : public ::testing::TestWithParam<SParseCase> {};

// Runs a command line through the shell; stdout captured, stderr dropped or with it.
using SRun = testsupport::SProgramRun;

SRun RunProgram(const fs::path& program, const std::string& args, bool withStderr = false) {
    return testsupport::RunProgram(program, args,
                                   withStderr ? testsupport::EStderr::WithOut
                                              : testsupport::EStderr::Drop);
}

std::string Quote(const fs::path& path) {
    return testsupport::ShellQuote(path);
}

std::string ReadAll(const fs::path& path) {
    std::string bytes;
    (void)ReadFileBytes(path, bytes);
    return bytes;
}

// chmod 000 denies nothing to root; a case built on it only counts when the denial holds.
bool LockedAgainstUs(const fs::path& path) {
    fs::permissions(path, fs::perms::none);
    std::ifstream in(path);
    return !in.is_open();
}

class QuillonCliProgram : public ::testing::Test {
protected:
    void SetUp() override { std::ofstream(m_settings) << "[LogType]\nType=1\n"; }
    testsupport::CScratchFolder m_scratch{"quillon_cli"};
    const fs::path m_dir = m_scratch.Path();
    const fs::path m_settings = m_dir / "test.ini";
    const fs::path m_program = QUILLON_CLI_PATH;
};

} // namespace

TEST_P(ParseArgs, ExitCodes) {
    const SParseCase& c = GetParam();
    std::vector<const char*> argv = {"quillon-cli"};
    argv.insert(argv.end(), c.m_args.begin(), c.m_args.end());
    int exitCode = -1;
    std::string message;
    const auto options =
        ParseAnalyseArgs(static_cast<int>(argv.size()), argv.data(), exitCode, message);
    EXPECT_EQ(options.has_value(), c.m_bRuns) << message;
    EXPECT_EQ(exitCode, c.m_nExitCode);
    if (!c.m_bRuns) {
        EXPECT_FALSE(message.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseArgs,
    ::testing::Values(SParseCase{"Plain", {"analyse", "logs"}, 0, true},
                      SParseCase{"Help", {"--help"}, 0, false},
                      SParseCase{"AnalyseHelp", {"analyse", "--help"}, 0, false},
                      SParseCase{"NoCommand", {}, 64, false},
                      SParseCase{"UnknownCommand", {"scan", "logs"}, 64, false},
                      SParseCase{"NoDirectory", {"analyse"}, 64, false},
                      SParseCase{"BadType", {"analyse", "logs", "--type", "ddr4"}, 64, false},
                      SParseCase{"BadSort", {"analyse", "logs", "--sort", "size"}, 64, false},
                      SParseCase{"BadAnswer", {"analyse", "logs", "--answer", "maybe"}, 64, false},
                      SParseCase{"UnknownOption", {"analyse", "logs", "--fast"}, 64, false},
                      SParseCase{"TwoDirectories", {"analyse", "a", "b"}, 64, false}),
    [](const auto& info) { return std::string(info.param.m_szName); });

TEST(ParseArgsValues, EveryOptionArrives) {
    const char* argv[] = {"quillon-cli", "analyse",    "dir",    "--type",
                          "ddr3",        "--sort",     "desc",   "--write-bin",
                          "fw.bin",      "--settings", "my.ini", "--answer",
                          "yes",         "--json",     "--emmc", "rowMax=8"};
    int exitCode = -1;
    std::string message;
    const auto options = ParseAnalyseArgs(16, argv, exitCode, message);
    ASSERT_TRUE(options.has_value()) << message;
    EXPECT_EQ(options->m_strDirectory, L"dir");
    EXPECT_EQ(options->m_nLogType, 2);
    EXPECT_EQ(options->m_nSortMode, 0);
    EXPECT_EQ(options->m_strImage, L"fw.bin");
    EXPECT_EQ(options->m_strSettings, L"my.ini");
    EXPECT_TRUE(options->m_bAnswerYes);
    EXPECT_TRUE(options->m_bJson);
    EXPECT_EQ(options->m_vecEmmc, std::vector<std::string>{"rowMax=8"});

    const char* plain[] = {"quillon-cli", "analyse", "dir"};
    const auto defaults = ParseAnalyseArgs(3, plain, exitCode, message);
    ASSERT_TRUE(defaults.has_value());
    EXPECT_FALSE(defaults->m_nLogType.has_value());
    EXPECT_EQ(defaults->m_nSortMode, 2);
    EXPECT_FALSE(defaults->m_bAnswerYes);
    EXPECT_FALSE(defaults->m_strImage.has_value());
}

TEST(TypeNames, EveryNameHasItsLogType) {
    const std::pair<const char*, int> names[] = {{"lpddr", 0},      {"lpddr2", 1},
                                                 {"ddr3", 2},       {"hynix", 3},
                                                 {"emmc-sdr50", 4}, {"emmc-ddr50", 5}};
    for (const auto& [name, type] : names) {
        EXPECT_EQ(LogTypeFromName(name), type) << name;
    }
    EXPECT_FALSE(LogTypeFromName("LPDDR2").has_value());
    EXPECT_EQ(SortModeFromName("asc"), 1);
}

TEST_F(QuillonCliProgram, JsonDocumentAndExitCodeFollowTheVerdict) {
    SRun run = RunProgram(m_program, "analyse " + Quote(kSamples / "lpddr2_pass") +
                                         " --json --settings " + Quote(m_settings));
    EXPECT_EQ(run.m_nExitCode, 0);
    const json doc = json::parse(run.m_strOut);
    EXPECT_EQ(doc["program"], "quillon-cli");
    EXPECT_EQ(doc["logType"], 1);
    EXPECT_EQ(doc["pages"][0]["name"], "统计图");
    EXPECT_EQ(doc["pages"][0]["verdict"]["conclusion"], "PASS");

    run = RunProgram(m_program, "analyse " + Quote(kSamples / "lpddr2_fail") +
                                    " --json --settings " + Quote(m_settings));
    EXPECT_EQ(run.m_nExitCode, 1);
    EXPECT_EQ(json::parse(run.m_strOut)["pages"][0]["verdict"]["conclusion"], "FAIL");
}

TEST_F(QuillonCliProgram, TextReportNamesEveryPage) {
    const SRun run = RunProgram(m_program, "analyse " + Quote(kSamples / "ddr3") +
                                               " --type ddr3 --settings " + Quote(m_settings));
    EXPECT_EQ(run.m_nExitCode, 0);
    for (const char* text : {"统计图", "PM9_PL3-0302.txt", "PM9_PL3-0317.txt", "PM9_PL3-0325.txt",
                             "pass rate:", "best parameters:", "verdict: PASS"}) {
        EXPECT_NE(run.m_strOut.find(text), std::string::npos) << text;
    }
    // The last line is the one-line summary.
    EXPECT_NE(run.m_strOut.find("PASS: 统计图; 3 logs of 3 files: 3 PASS, 0 FAIL, 0 without "
                                "verdict\n"),
              std::string::npos);
}

TEST_F(QuillonCliProgram, NoLogsAndBadArguments) {
    fs::create_directories(m_dir / "empty");
    SRun run = RunProgram(m_program, "analyse " + Quote(m_dir / "empty") + " --json --settings " +
                                         Quote(m_settings));
    EXPECT_EQ(run.m_nExitCode, 2);
    const json doc = json::parse(run.m_strOut);
    EXPECT_EQ(doc["scanned"], false);
    EXPECT_EQ(doc["messages"][0]["text"], "find no valid log file, can not made a analysis");

    run = RunProgram(m_program, "analyse --type ddr5 x");
    EXPECT_EQ(run.m_nExitCode, 64);
}

// The batch program reads Quillon.ini beside itself (not quillon-cli.ini) and writes its tool
// log there as quillon-cli.log.
TEST_F(QuillonCliProgram, ReadsQuillonIniBesideItselfAndLogsThere) {
    const fs::path folder = m_dir / "Quillon";
    fs::create_directories(folder);
    const fs::path program = folder / "quillon-cli";
    fs::copy_file(m_program, program);
    std::ofstream(folder / "Quillon.ini") << "[LogType]\nType=1\n[MinPassRate]\nRate=99\n";
    std::ofstream(folder / "quillon-cli.ini") << "[LogType]\nType=1\n[MinPassRate]\nRate=10\n";

    const SRun run = RunProgram(program, "analyse " + Quote(kSamples / "lpddr2_pass") + " --json");
    EXPECT_EQ(run.m_nExitCode, 1);
    EXPECT_NE(json::parse(run.m_strOut)["pages"][0]["verdict"]["reason"].get<std::string>().find(
                  "less than 99%"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(folder / "quillon-cli.log"));
}

// A --settings typo used to judge with the default thresholds and pass.
TEST_F(QuillonCliProgram, NamedSettingsThatCannotBeReadAreRefused) {
    const fs::path strict = m_dir / "strict.ini";
    std::ofstream(strict) << "[LogType]\nType=1\n[MinPassRate]\nRate=99\n";
    const std::string logs = "analyse " + Quote(kSamples / "lpddr2_pass") + " --json --settings ";
    ASSERT_EQ(RunProgram(m_program, logs + Quote(strict)).m_nExitCode, 1); // the file meant

    fs::create_directories(m_dir / "folder.ini");
    std::ofstream(m_dir / "locked.ini") << "[LogType]\nType=1\n[MinPassRate]\nRate=99\n";
    std::vector<std::pair<fs::path, std::string>> cases = {
        {m_dir / "strict.ini.typo", "does not exist"},
        {m_dir / "folder.ini", "is a directory"},
    };
    if (LockedAgainstUs(m_dir / "locked.ini")) {
        cases.emplace_back(m_dir / "locked.ini", "cannot be read: Permission denied");
    } // else: running as root, where chmod 000 still reads; the other cases stand
    for (const auto& [path, why] : cases) {
        const SRun run = RunProgram(m_program, logs + Quote(path), true);
        EXPECT_EQ(run.m_nExitCode, 64) << path;
        EXPECT_EQ(run.m_strOut, "quillon-cli: settings file '" + path.string() + "' " + why + "\n");
    }
    fs::permissions(m_dir / "locked.ini", fs::perms::owner_all);
}

// A missing log directory used to give the same "no log file" run as an empty one.
TEST_F(QuillonCliProgram, NamedDirectoryThatCannotBeReadIsRefused) {
    const SRun run = RunProgram(
        m_program, "analyse " + Quote(m_dir / "typo") + " --json --settings " + Quote(m_settings),
        true);
    EXPECT_EQ(run.m_nExitCode, 64);
    EXPECT_EQ(run.m_strOut,
              "quillon-cli: log directory '" + (m_dir / "typo").string() + "' does not exist\n");
    EXPECT_EQ(RunProgram(m_program, "analyse " + Quote(m_settings)).m_nExitCode, 64);
}

// Quillon.ini beside the program that cannot be read used to be ignored silently: the run
// judged with the defaults. A missing one still means the defaults (a fresh install).
TEST_F(QuillonCliProgram, DefaultSettingsThatCannotBeReadStopTheRun) {
    const fs::path folder = m_dir / "Quillon";
    fs::create_directories(folder);
    const fs::path program = folder / "quillon-cli";
    fs::copy_file(m_program, program);
    const std::string args = "analyse " + Quote(kSamples / "lpddr2_pass") + " --type lpddr2 --json";

    SRun run = RunProgram(program, args);
    EXPECT_EQ(run.m_nExitCode, 0);
    EXPECT_EQ(json::parse(run.m_strOut)["pages"][0]["verdict"]["conclusion"], "PASS");

    struct SCase {
        std::string why;
        bool asFolder;
    };
    std::vector<SCase> cases = {{"is a directory", true}};
    std::ofstream(folder / "probe") << "x";
    if (LockedAgainstUs(folder / "probe")) {
        cases.push_back({"cannot be read: Permission denied", false});
    } // else: running as root, where chmod 000 still reads; the directory case stands
    for (const SCase& c : cases) {
        const fs::path ini = folder / "Quillon.ini";
        if (c.asFolder) {
            fs::create_directories(ini);
        } else {
            std::ofstream(ini) << "[MinPassRate]\nRate=99\n";
            fs::permissions(ini, fs::perms::none);
        }
        run = RunProgram(program, args);
        EXPECT_EQ(run.m_nExitCode, 2) << c.why;
        const std::string text =
            "settings file " + ini.string() + " " + c.why + ": nothing was analysed";
        const json doc = json::parse(run.m_strOut);
        EXPECT_EQ(doc["scanned"], false);
        EXPECT_TRUE(doc["pages"].empty());
        ASSERT_EQ(doc["messages"].size(), 1u);
        EXPECT_EQ(doc["messages"][0]["text"], text);
        EXPECT_NE(ReadAll(folder / "quillon-cli.log").find(text), std::string::npos) << c.why;
        fs::permissions(ini, fs::perms::owner_all);
        fs::remove_all(ini);
    }
}

// Log names that are not UTF-8 (GBK from a board's USB stick) used to fail to open and
// abandon the scan; the name shown keeps its UTF-8 part and U+FFFD for each stray byte.
TEST_F(QuillonCliProgram, LogNamesThatAreNotUtf8AreOpened) {
    const fs::path logs = m_dir / "\xC8\xD5\xD6\xBE"; // 日志 in GBK
    fs::create_directories(logs);
    int n = 0;
    for (const auto& entry : fs::directory_iterator(kSamples / "lpddr2_pass")) {
        fs::copy_file(entry.path(),
                      logs / ("\xB0\xE5" + std::to_string(n++) + "\xE6\x9D\xBF.txt")); // 板
    }
    const SRun run =
        RunProgram(m_program, "analyse " + Quote(logs) + " --json --settings " + Quote(m_settings));
    EXPECT_EQ(run.m_nExitCode, 0);
    const json doc = json::parse(run.m_strOut);
    EXPECT_EQ(doc["scanned"], true);
    EXPECT_TRUE(doc["messages"].empty()) << doc["messages"].dump();
    ASSERT_EQ(doc["pages"].size(), 5u);
    EXPECT_EQ(doc["pages"][0]["name"], "统计图");
    EXPECT_EQ(doc["pages"][0]["verdict"]["conclusion"], "PASS");
    EXPECT_EQ(doc["pages"][1]["name"], "\xEF\xBF\xBD\xEF\xBF\xBD"
                                       "0板.txt");
}

// --help and argument errors leave the tool log of the last run as it was.
TEST_F(QuillonCliProgram, HelpAndBadArgumentsLeaveTheToolLogAlone) {
    const fs::path folder = m_dir / "Quillon";
    fs::create_directories(folder);
    const fs::path program = folder / "quillon-cli";
    fs::copy_file(m_program, program);
    const std::string lastRun = "the last run's lines\n";
    std::ofstream(folder / "quillon-cli.log") << lastRun;
    const std::pair<std::string, int> cases[] = {
        {"--help", 0},
        {"analyse --help", 0},
        {"", 64},
        {"analyse --type ddr9 x", 64},
        {"analyse " + Quote(m_dir / "typo"), 64},
        {"analyse " + Quote(m_dir) + " --settings " + Quote(m_dir / "typo.ini"), 64},
    };
    for (const auto& [args, code] : cases) {
        EXPECT_EQ(RunProgram(program, args).m_nExitCode, code) << args;
        EXPECT_EQ(ReadAll(folder / "quillon-cli.log"), lastRun) << args;
    }
}

TEST_F(QuillonCliProgram, ProgressLinesOnlyWhenStandardErrorIsATerminal) {
    struct SCase {
        const char* type;
        const char* folder;
    };
    const SCase cases[] = {{"lpddr2", "lpddr2_fail"}, {"hynix", "hynix"}, {"emmc-ddr50", "emmc_ddr50"}};
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.folder);
        const std::vector<std::string> args = {m_program.string(), "analyse",
                                               (kSamples / c.folder).string(), "--type", c.type,
                                               "--json", "--settings", m_settings.string()};
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(kSamples / c.folder)) {
            if (entry.path().extension() == ".txt") {
                names.push_back(entry.path().filename().string());
            }
        }
        std::sort(names.begin(), names.end()); // the sample names sort alike in every rule
        int piped = -1;
        EXPECT_EQ(testsupport::RunWithStderr(args, false, piped), "");
        int onTerminal = -1;
        const std::string lines = testsupport::RunWithStderr(args, true, onTerminal);
        EXPECT_EQ(piped, onTerminal);
        std::string expected;
        for (size_t i = 0; i < names.size(); ++i) {
            expected += "file " + std::to_string(i + 1) + "/" + std::to_string(names.size()) +
                        " " + names[i] + "\r\n";
        }
        EXPECT_EQ(lines, expected);
    }
}
