#include "OrloCli.h"

#include "ProgramRun.h"
#include "ScratchFolder.h"
#include "TextUtil.h"
#include "WindowsSavedText.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon_orlo";

class COrloCliTest : public ::testing::Test {
protected:
    void Write(const std::string& rel, const std::string& bytes) const {
        m_scratch.Write(rel, bytes);
    }
    std::string P(const std::string& rel) const { return (m_root / rel).string(); }
    std::string Samples(const char* dir) const { return (kSamples / dir).string(); }
    std::string SampleSettings() const { return (kSamples / "QuillonOrlo.ini").string(); }

    int Run(const std::vector<std::string>& args) {
        m_out.str("");
        m_err.str("");
        return orlo::RunOrloCli(args, m_out, m_err);
    }
    json Doc() const { return json::parse(m_out.str()); }

    testsupport::CScratchFolder m_scratch{"orlo-cli"};
    const fs::path m_root = m_scratch.Path();
    std::ostringstream m_out;
    std::ostringstream m_err;
};

std::string OrloLogText(int first, int last) {
    std::string text = "DDR SCAN TOOL VER1.0\r\n";
    for (int c = 0; c < 32; ++c) {
        text += Format("clkwr=%d, dqs_drv=1, data_drv=2, ctl=0, clk_drv=0, %s :))))))\r\n", c,
                       c >= first && c <= last ? "pass" : "fail");
    }
    return text;
}

} // namespace

TEST_F(COrloCliTest, SamplesGiveTheDocumentedJsonAndPass) {
    const int code = Run({"scan", "--normal", Samples("normal"), "--low", Samples("low"), "--high",
                          Samples("high"), "--settings", SampleSettings(), "--json"});
    EXPECT_EQ(code, orlo::kExitPass) << m_err.str();
    const json doc = Doc();
    EXPECT_EQ(doc["program"], "quillon-orlo-cli");
    EXPECT_EQ(doc["scanned"], true);
    EXPECT_EQ(doc["N"], 10);
    ASSERT_EQ(doc["pages"].size(), 10u);
    EXPECT_EQ(doc["pages"][0]["name"], "orlo_b01_n25c.txt");
    EXPECT_EQ(doc["pages"][0]["temperature"], 0);
    EXPECT_EQ(doc["pages"][4]["temperature"], 1);
    EXPECT_EQ(doc["pages"][9]["temperature"], 2);
    const json& combo = doc["pages"][0]["combinations"][0];
    for (const char* key : {"dqs", "data", "ctl", "clk"}) {
        EXPECT_TRUE(combo[key].is_number_integer()) << key;
    }
    EXPECT_EQ(combo["state"].size(), 32u);
    EXPECT_EQ(combo["passCount"].size(), 32u);
    EXPECT_EQ(doc["merged"]["name"], "统计图");
    EXPECT_EQ(doc["merged"]["temperature"], -1);
    EXPECT_EQ(doc["merged"]["combinations"].size(), 64u);
    EXPECT_EQ(doc["verdict"]["pass"], true);
    EXPECT_EQ(doc["verdict"]["reason"], "");
    const json& best = doc["best"];
    EXPECT_EQ(best["found"], true);
    for (const char* key : {"dqs", "data", "ctl", "clk", "clkwr"}) {
        EXPECT_TRUE(best[key].is_number_integer()) << key;
    }
    // The recommended combination passes in every log at its clkwr.
    bool seen = false;
    for (const json& c : doc["merged"]["combinations"]) {
        if (c["dqs"] == best["dqs"] && c["data"] == best["data"] && c["ctl"] == best["ctl"] &&
            c["clk"] == best["clk"]) {
            seen = true;
            EXPECT_EQ(c["passCount"][best["clkwr"].get<int>()], 10);
        }
    }
    EXPECT_TRUE(seen);
    // The pass prompt of the settings file is the only message.
    ASSERT_EQ(doc["messages"].size(), 1u);
    EXPECT_EQ(doc["messages"][0]["text"], "所有温度下扫描通过, 请使用推荐参数");
    EXPECT_EQ(doc["messages"][0]["question"], false);
    EXPECT_EQ(m_err.str(), ""); // --json keeps messages out of stderr
}

TEST_F(COrloCliTest, FailingVerdictExitsOneWithItsReason) {
    Write("n/a.txt", OrloLogText(4, 9));
    Write("o.ini", "[Settings]\ndqs/data_0=1/2\nThresholdValue_0=1\n"
                   "[BestParam]\nctl/clk_0=0/0\nclkwr_0=7\n");
    EXPECT_EQ(Run({"scan", "--normal", P("n"), "--settings", P("o.ini"), "--json"}),
              orlo::kExitFail);
    const json doc = Doc();
    EXPECT_EQ(doc["verdict"]["pass"], false);
    EXPECT_EQ(doc["verdict"]["reason"], "原因:1,2,0,0的clkwr的pass数目6小于7");
    EXPECT_TRUE(doc["best"].is_null());
    EXPECT_TRUE(doc["messages"].empty()); // no pass prompt after a fail

    // Text report: the verdict and its reason on stdout.
    EXPECT_EQ(Run({"scan", "--normal", P("n"), "--settings", P("o.ini")}), orlo::kExitFail);
    EXPECT_NE(m_out.str().find("verdict: FAIL\n原因:1,2,0,0的clkwr的pass数目6小于7"),
              std::string::npos)
        << m_out.str();
}

TEST_F(COrloCliTest, NoVerdictCasesExitTwoWithTheirMessages) {
    Write("empty/readme.md", "nothing");
    Write("o.ini", "");
    struct SCase {
        std::vector<std::string> args;
        std::string message;
    };
    const SCase cases[] = {
        {{"scan", "--normal", P("empty"), "--settings", P("o.ini"), "--json"},
         "未发现有效日志文件, 无法进行分析"},
        {{"scan", "--normal", "", "--settings", P("o.ini"), "--json"},
         "常温统计文件夹目录不能为空"},
        {{"scan", "--normal", P("empty"), "--low", "", "--settings", P("o.ini"), "--json"},
         "低温统计文件夹目录不能为空"},
        {{"scan", "--normal", P("empty"), "--high", "", "--settings", P("o.ini"), "--json"},
         "高温统计文件夹目录不能为空"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(Run(c.args), orlo::kExitNoVerdict) << c.message;
        const json doc = Doc();
        EXPECT_EQ(doc["scanned"], false);
        EXPECT_TRUE(doc["N"].is_null());
        EXPECT_TRUE(doc["merged"].is_null());
        EXPECT_TRUE(doc["verdict"].is_null());
        EXPECT_TRUE(doc["best"].is_null());
        ASSERT_EQ(doc["messages"].size(), 1u) << c.message;
        EXPECT_EQ(doc["messages"][0]["text"], c.message);
    }
}

TEST_F(COrloCliTest, AnswerDecidesTheSkipQuestion) {
    Write("n/a.txt", OrloLogText(4, 20));
    Write("n/b.txt", "a console log of something else\r\n");
    Write("o.ini", "[IsCheckLogFile]\nEnable=1\n[ResultPrompt]\nEnabel=0\n");
    const std::string question =
        "扫描失败\nFile: \"" + P("n/b.txt") + "\"\n\n不是Orlo的log，跳过扫描失败文件继续分析?";

    EXPECT_EQ(
        Run({"scan", "--normal", P("n"), "--settings", P("o.ini"), "--json", "--answer", "yes"}),
        orlo::kExitPass);
    json doc = Doc();
    EXPECT_EQ(doc["N"], 1);
    ASSERT_EQ(doc["messages"].size(), 1u);
    EXPECT_EQ(doc["messages"][0]["text"], question);
    EXPECT_EQ(doc["messages"][0]["question"], true);
    EXPECT_EQ(doc["messages"][0]["answer"], "yes");

    // The default answer is no: the scan is abandoned and the failure reported.
    EXPECT_EQ(Run({"scan", "--normal", P("n"), "--settings", P("o.ini"), "--json"}),
              orlo::kExitNoVerdict);
    doc = Doc();
    ASSERT_EQ(doc["messages"].size(), 2u);
    EXPECT_EQ(doc["messages"][0]["answer"], "no");
    EXPECT_EQ(doc["messages"][1]["text"], "扫描分析Orlo日志文件失败，请检查日志文件是否正确");

    // In text mode the messages go to stderr.
    EXPECT_EQ(Run({"scan", "--normal", P("n"), "--settings", P("o.ini")}), orlo::kExitNoVerdict);
    EXPECT_NE(m_err.str().find(question + " [no]\n"), std::string::npos) << m_err.str();
}

TEST_F(COrloCliTest, BadArgumentsExit64) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"scan"},
        {"analyse", "--normal", "x"},
        {"scan", "--normal", "x", "--answer", "maybe"},
        {"scan", "--normal", "x", "--bogus"},
        {"scan", "--normal"},
    };
    for (const auto& args : cases) {
        EXPECT_EQ(Run(args), orlo::kExitUsage) << (args.empty() ? "" : args.back());
        EXPECT_EQ(m_out.str(), "");
        EXPECT_NE(m_err.str(), "");
    }
    EXPECT_EQ(Run({"scan", "--help"}), orlo::kExitPass);
    EXPECT_NE(m_out.str().find("--normal"), std::string::npos);
}

// A typo in --low or --high used to drop that temperature silently (the normal logs alone
// were judged and passed); one in --settings judged with the defaults.
TEST_F(COrloCliTest, NamedDirectoriesAndSettingsThatCannotBeReadAreRefused) {
    Write("n/a.txt", OrloLogText(0, 31));
    Write("file.txt", "x");
    Write("o.ini", "");
    fs::create_directories(m_root / "folder.ini");
    Write("locked/a.txt", OrloLogText(0, 31));
    fs::permissions(m_root / "locked", fs::perms::none);
    // chmod 000 denies nothing to root; that case only counts when the denial holds.
    std::error_code lockedError;
    const fs::directory_iterator probe(m_root / "locked", lockedError);
    const bool lockedHolds = static_cast<bool>(lockedError);
    // A plain run of the same logs passes: each refusal below is the named path's doing.
    ASSERT_EQ(Run({"scan", "--normal", P("n"), "--settings", P("o.ini")}), orlo::kExitPass);

    struct SCase {
        std::vector<std::string> args;
        std::string reason;
    };
    std::vector<SCase> cases = {
        {{"--normal", P("typo")}, "--normal directory '" + P("typo") + "' does not exist"},
        {{"--normal", P("n"), "--low", P("typo")},
         "--low directory '" + P("typo") + "' does not exist"},
        {{"--normal", P("n"), "--high", P("typo")},
         "--high directory '" + P("typo") + "' does not exist"},
        {{"--normal", P("n"), "--low", P("file.txt")},
         "--low directory '" + P("file.txt") + "' is not a directory"},
        {{"--normal", P("n"), "--settings", P("missing.ini")},
         "settings file '" + P("missing.ini") + "' does not exist"},
        {{"--normal", P("n"), "--settings", P("folder.ini")},
         "settings file '" + P("folder.ini") + "' is a directory"},
    };
    if (lockedHolds) {
        cases.push_back(
            {{"--normal", P("n"), "--high", P("locked")},
             "--high directory '" + P("locked") + "' cannot be read: Permission denied"});
    }
    for (SCase& c : cases) {
        c.args.insert(c.args.begin(), "scan");
        if (std::find(c.args.begin(), c.args.end(), "--settings") == c.args.end()) {
            c.args.insert(c.args.end(), {"--settings", P("o.ini")});
        }
        c.args.push_back("--json");
        EXPECT_EQ(Run(c.args), orlo::kExitUsage) << c.reason;
        EXPECT_EQ(m_out.str(), "") << c.reason;
        EXPECT_EQ(m_err.str(), "quillon-orlo-cli: " + c.reason + "\n");
    }
    fs::permissions(m_root / "locked", fs::perms::owner_all);
}

// Orlo logs whose names are not UTF-8 used to fail to open and abandon the scan.
TEST_F(COrloCliTest, LogNamesThatAreNotUtf8AreOpened) {
    Write("\xC8\xD5\xD6\xBE/\xB0\xE5_a.txt", OrloLogText(0, 31)); // GBK folder and name
    Write("\xC8\xD5\xD6\xBE/b.txt", OrloLogText(0, 31));
    Write("o.ini", "[ResultPrompt]\nEnabel=0\n");
    EXPECT_EQ(Run({"scan", "--normal", P("\xC8\xD5\xD6\xBE"), "--settings", P("o.ini"), "--json"}),
              orlo::kExitPass);
    const json doc = Doc();
    EXPECT_TRUE(doc["messages"].empty()) << doc["messages"].dump();
    ASSERT_EQ(doc["N"], 2);
    EXPECT_EQ(doc["pages"][0]["name"], "b.txt"); // a stray byte sorts after every ASCII letter
    EXPECT_EQ(doc["pages"][1]["name"], "\xEF\xBF\xBD\xEF\xBF\xBD_a.txt");
}

#ifdef ORLO_CLI_PATH
namespace {

using testsupport::ReadAll;
using testsupport::RunProgram;
using testsupport::SProgramRun;

} // namespace

// --help used to empty the tool log of the last run; neither it nor an argument error
// touches the log now.
TEST_F(COrloCliTest, HelpAndBadArgumentsLeaveTheToolLogAlone) {
    const fs::path program = m_root / "bin" / "quillon-orlo-cli";
    fs::create_directories(program.parent_path());
    fs::copy_file(ORLO_CLI_PATH, program);
    const std::string lastRun = "the last run's lines\n";
    Write("bin/quillon-orlo-cli.log", lastRun);
    Write("n/a.txt", OrloLogText(0, 31));
    const std::pair<std::string, int> cases[] = {
        {"--help", orlo::kExitPass},
        {"scan --help", orlo::kExitPass},
        {"", orlo::kExitUsage},
        {"scan --normal " + P("n") + " --answer maybe", orlo::kExitUsage},
        {"scan --normal " + P("n") + " --low " + P("typo"), orlo::kExitUsage},
        {"scan --normal " + P("n") + " --settings " + P("typo.ini"), orlo::kExitUsage},
    };
    for (const auto& [args, code] : cases) {
        EXPECT_EQ(RunProgram(program, args).m_nExitCode, code) << args;
        EXPECT_EQ(ReadAll(m_root / "bin" / "quillon-orlo-cli.log"), lastRun) << args;
    }
    // A run that does start writes its own log.
    EXPECT_EQ(RunProgram(program, "scan --normal " + P("n")).m_nExitCode, orlo::kExitPass);
    EXPECT_NE(ReadAll(m_root / "bin" / "quillon-orlo-cli.log"), lastRun);
}

// QuillonOrlo.ini beside the program that is there but cannot be read used to be ignored:
// the run judged with the defaults. Now it is reported (message and tool-log line), exit 2.
TEST_F(COrloCliTest, DefaultSettingsThatCannotBeReadStopTheRun) {
    const fs::path program = m_root / "bin" / "quillon-orlo-cli";
    fs::create_directories(m_root / "bin" / "QuillonOrlo.ini"); // unreadable even for root
    fs::copy_file(ORLO_CLI_PATH, program);
    Write("n/a.txt", OrloLogText(0, 31));
    const SProgramRun run = RunProgram(program, "scan --normal " + P("n") + " --json");
    EXPECT_EQ(run.m_nExitCode, orlo::kExitNoVerdict);
    const std::string text =
        "settings file " + P("bin/QuillonOrlo.ini") + " is a directory: nothing was analysed";
    const json doc = json::parse(run.m_strOut);
    EXPECT_EQ(doc["end"], "settingsError");
    EXPECT_TRUE(doc["verdict"].is_null());
    ASSERT_EQ(doc["messages"].size(), 1u);
    EXPECT_EQ(doc["messages"][0]["text"], text);
    EXPECT_NE(ReadAll(m_root / "bin" / "quillon-orlo-cli.log").find(text), std::string::npos);
}

// The program itself: its settings file next to it, its tool log, its exit code.
TEST_F(COrloCliTest, ProgramReadsTheSettingsNextToItAndWritesItsLog) {
    const fs::path program = ORLO_CLI_PATH;
    const fs::path copy = m_root / "bin" / "quillon-orlo-cli";
    fs::create_directories(copy.parent_path());
    fs::copy_file(program, copy);
    Write("bin/QuillonOrlo.ini", "[BestParam]\nMaxClkwrLen=33\n");
    Write("n/a.txt", OrloLogText(0, 31));
    const SProgramRun run = RunProgram(copy, "scan --normal " + P("n") + " --json");
    // Without limit lists no row counts towards the longest window: 0 misses 33.
    ASSERT_EQ(run.m_nExitCode, orlo::kExitFail);
    const json doc = json::parse(run.m_strOut);
    EXPECT_EQ(doc["verdict"]["reason"], "行中最大的clkwr长度:0,不满足最大clkwr长度限制:33");
    EXPECT_TRUE(fs::exists(m_root / "bin" / "quillon-orlo-cli.log"));
}
#endif

#ifdef ORLO_CLI_PATH
TEST_F(COrloCliTest, ProgressLinesOnlyWhenStandardErrorIsATerminal) {
    testsupport::ExpectProgressOnlyOnATerminal(
        {ORLO_CLI_PATH, "scan", "--normal", Samples("normal"), "--low", Samples("low"), "--high",
         Samples("high"), "--settings", SampleSettings(), "--json"},
        {"orlo_b01_n25c.txt", "orlo_b02_n25c.txt", "orlo_b03_n25c.txt", "orlo_b04_n25c.txt",
         "orlo_b01_lm40c.txt", "orlo_b02_lm40c.txt", "orlo_b03_lm40c.txt", "orlo_b01_h85c.txt",
         "orlo_b02_h85c.txt", "orlo_b03_h85c.txt"});
}
#endif
