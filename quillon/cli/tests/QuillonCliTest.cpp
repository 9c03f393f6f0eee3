#include "QuillonCli.h"

#include "FileUtil.h"

#include <gtest/gtest.h>

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

// Runs a command line through the shell; stdout captured, stderr dropped.
struct SRun {
    std::string m_strOut;
    int m_nExitCode = -1;
};

SRun RunProgram(const fs::path& program, const std::string& args) {
    SRun run;
    const std::string command = "'" + program.string() + "' " + args + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    std::array<char, 4096> buffer{};
    size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        run.m_strOut.append(buffer.data(), n);
    }
    const int status = ::pclose(pipe);
    run.m_nExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string Quote(const fs::path& path) {
    return "'" + path.string() + "'";
}

class QuillonCliProgram : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        m_dir = fs::temp_directory_path() /
                ("quillon_cli_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        fs::create_directories(m_dir);
        m_settings = m_dir / "test.ini";
        std::ofstream(m_settings) << "[LogType]\nType=1\n";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    fs::path m_dir;
    fs::path m_settings;
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
