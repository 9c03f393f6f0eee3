// sondex-cli on the bundled samples and on small folders: run in this process through its
// core library, and as the built program where only the whole process shows the behaviour.

#include "SondexCliFixture.h"

#include "ProgramRun.h"
#include "ScratchFolder.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using nlohmann::json;
using testsupport::ShellQuote;

namespace {

const fs::path kSamples = kSondexSamples;
using SResult = SSondexCliResult;

class SondexCliTest : public SondexCliFixture {
protected:
    [[nodiscard]] std::string Logs() const { return m_logs.Path().string(); }
    void CopySample(const std::string& name) const {
        fs::copy_file(kSamples / "logs" / name, m_logs / name);
    }

    testsupport::CScratchFolder m_logs{"sondex_cli_logs"};
};

std::vector<std::string> Texts(const json& messages) {
    std::vector<std::string> out;
    for (const auto& m : messages) {
        out.push_back(m.at("text").get<std::string>());
    }
    return out;
}

} // namespace

TEST_F(SondexCliTest, SampleFolderGivesTheDocumentedDocument) {
    const json d = RunJson({"analyse", (kSamples / "logs").string()}, 1);
    ASSERT_TRUE(d.is_object());
    EXPECT_EQ(d["program"], "sondex-cli");
    ASSERT_EQ(d["logs"].size(), 6u);
    const json& first = d["logs"][0];
    EXPECT_EQ(first["name"], "K7_board01.Txt");
    EXPECT_EQ(first["opened"], true);
    EXPECT_EQ(first["status"], 0);
    EXPECT_EQ(first["header"],
              json({{"project", "K7"}, {"ddrType", "Lpddr3"}, {"clock", "800"}, {"tcnt", 20}}));
    EXPECT_EQ(first["parsed"], true);
    EXPECT_EQ(first["complete"], true);
    EXPECT_EQ(first["passed"], true);
    ASSERT_EQ(first["tables"].size(), 3u); // the CLK table is hidden
    const json& ca = first["tables"][0];
    EXPECT_EQ(ca["firstRowName"], "CA");
    EXPECT_EQ(ca["subName"], "sr");
    EXPECT_EQ(ca["rowRanges"], json({"Lpddr3_CA"}));
    EXPECT_EQ(ca["colRanges"], json({"Lpddr3_VREF", "Lpddr3_sr"}));
    EXPECT_EQ(ca["rowCount"], 2 + 32);
    EXPECT_EQ(ca["colCount"], 1 + 1 + 8);
    EXPECT_EQ(ca["cells"].size(), 32u * 8u);
    EXPECT_EQ(ca["verdict"], true);

    const json& failing = d["logs"][3];
    EXPECT_EQ(failing["passed"], false);
    EXPECT_EQ(failing["results"][0]["text"].get<std::string>().substr(0, 2), "0#");
    EXPECT_EQ(d["logs"][4]["complete"], false);
    EXPECT_EQ(d["failList"], "\nK7_board04.Txt\tFail");
    EXPECT_EQ(d["incompleteList"], "\tK7_board05.Txt");
    EXPECT_EQ(d["allPassed"], false);
    EXPECT_EQ(Texts(d["messages"]),
              std::vector<std::string>{"log文件\tK7_board05.Txt, 请检查串口连接后重新扫描"});
    ASSERT_TRUE(d["statistics"].is_object());
    EXPECT_EQ(d["statistics"]["passed"], false);
    EXPECT_EQ(d["statistics"]["results"].size(), 3u);
    EXPECT_EQ(d["statistics"]["tables"][0]["statistical"], true);
    EXPECT_EQ(d["statistics"]["tables"][0]["cells"][0]["states"].size(), 6u);
    EXPECT_EQ(d["verdict"], "Fail");
}

TEST_F(SondexCliTest, PassingFolderShowsTheAllPassedText) {
    CopySample("K7_board01.Txt");
    CopySample("K7_board02.Txt");
    const json d = RunJson({"analyse", Logs()}, 0);
    EXPECT_EQ(Texts(d["messages"]), std::vector<std::string>{"所有log均已通过测试"});
    EXPECT_EQ(d["verdict"], "Pass");
    EXPECT_EQ(d["statistics"]["failListText"], "All passed");

    const SResult text = Run({"analyse", Logs()});
    EXPECT_EQ(text.m_nExitCode, 0);
    EXPECT_NE(text.m_strOut.find("verdict: Pass"), std::string::npos);
}

TEST_F(SondexCliTest, SrSelectionReachesEveryTable) {
    CopySample("K7_board01.Txt");
    const json d = RunJson({"analyse", Logs(), "--sr", "1,3"}, 0);
    EXPECT_EQ(d["selectedSr"], json({1, 3}));
    EXPECT_EQ(d["logs"][0]["tables"][0]["selectedSr"], json({1, 3}));
    for (const auto& r : d["logs"][0]["results"]) {
        const std::string t = r["text"];
        EXPECT_TRUE(t.find("_sr1") != std::string::npos || t.find("_sr3") != std::string::npos)
            << t;
    }
}

TEST_F(SondexCliTest, IncompleteLogFollowsTheAnswer) {
    std::ifstream in(kSamples / "logs" / "K7_board01.Txt", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    text.erase(text.find("0x656E6464"));
    m_logs.Write("cut.Txt", text);

    json d = RunJson({"analyse", Logs(), "--answer", "no"}, 2);
    ASSERT_EQ(d["messages"].size(), 1u);
    EXPECT_EQ(d["messages"][0]["question"], true);
    EXPECT_EQ(d["messages"][0]["answer"], "no");
    EXPECT_EQ(d["messages"][0]["text"], "log文件cut.Txt不完整，将影响分析结果的准确性, 是否继续");
    EXPECT_EQ(d["logs"][0]["opened"], false);
    EXPECT_EQ(d["logs"][0]["status"], 9);
    EXPECT_TRUE(d["statistics"].is_null());

    d = RunJson({"analyse", Logs(), "--answer", "yes"}, 0);
    EXPECT_EQ(d["messages"][0]["answer"], "yes");
    EXPECT_EQ(d["logs"][0]["opened"], true);
}

TEST_F(SondexCliTest, ConfigurationOptions) {
    CopySample("K7_board01.Txt");
    // An ini compiles into a .dat beside it; the .dat alone then does the same.
    fs::copy_file(kSamples / "Sondex.ini", m_logs / "Project.ini");
    json d = RunJson({"analyse", Logs(), "--config", (m_logs / "Project.ini").string()}, 0);
    EXPECT_EQ(d["config"]["loaded"], true);
    ASSERT_TRUE(fs::exists(m_logs / "Project.dat"));
    fs::remove(m_logs / "Project.ini");
    d = RunJson({"analyse", Logs(), "--config", (m_logs / "Project.dat").string()}, 0);
    EXPECT_EQ(d["config"]["ini"], nullptr);

    const fs::path missing = m_logs / "none.dat";
    d = RunJson({"analyse", Logs(), "--config", missing.string()}, 2);
    const auto texts = Texts(d["messages"]);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "配置文件\"" + missing.string() + "\" 不存在，请提供配置文件 ");
    EXPECT_EQ(texts[1], "Sondex 工具，log:" + (m_logs / "K7_board01.Txt").string() +
                            " 文件与工具项目不匹配");
}

TEST_F(SondexCliTest, NothingToAnalyse) {
    json d = RunJson({"analyse", Logs()}, 2);
    EXPECT_EQ(d["logFiles"], 0);
    EXPECT_TRUE(d["statistics"].is_null());
    EXPECT_TRUE(d["verdict"].is_null());
    d = RunJson({"analyse", (m_logs / "missing").string()}, 2);
    EXPECT_TRUE(d["logs"].empty());
}

TEST_F(SondexCliTest, BadArguments) {
    const std::vector<std::vector<std::string>> cases = {{},
                                                         {"analyse"},
                                                         {"frobnicate", "x"},
                                                         {"analyse", "x", "--sr", "4"},
                                                         {"analyse", "x", "--sr", "0,,1"},
                                                         {"analyse", "x", "--answer", "maybe"},
                                                         {"analyse", "x", "--bogus"}};
    for (const auto& args : cases) {
        const SResult r = Run(args);
        EXPECT_EQ(r.m_nExitCode, 64) << (args.empty() ? "" : args.back());
        EXPECT_FALSE(r.m_strErr.empty()) << (args.empty() ? "" : args.back());
        EXPECT_TRUE(r.m_strOut.empty()) << (args.empty() ? "" : args.back());
    }
    const SResult help = Run({"analyse", "--help"});
    EXPECT_EQ(help.m_nExitCode, 0);
    EXPECT_NE(help.m_strOut.find("FOLDER"), std::string::npos) << help.m_strOut;
    EXPECT_EQ(Run({"analyse", (kSamples / "logs").string(), "--sr", "0,1"}).m_nExitCode, 1);
}

// A folder analysis that stopped at a refused log used to say "所有log均已通过测试" with
// allPassed true, though the logs after it were never read; so did a missing folder.
TEST_F(SondexCliTest, AStoppedFolderIsNotAllPassed) {
    CopySample("K7_board01.Txt");
    m_logs.Write("K7_board02.Txt", "no scan here\r\n");
    CopySample("K7_board03.Txt");
    json d = RunJson({"analyse", Logs()}, 2);
    EXPECT_EQ(d["allPassed"], false);
    EXPECT_EQ(d["failList"], "\nK7_board02.Txt\tOpen failed");
    ASSERT_EQ(d["logs"].size(), 2u);
    EXPECT_EQ(d["logs"][1]["opened"], false);
    for (const std::string& text : Texts(d["messages"])) {
        EXPECT_EQ(text.find("所有log均已通过测试"), std::string::npos) << text;
    }
    EXPECT_EQ(d["statistics"]["failListText"], "\nK7_board02.Txt\tOpen failed");

    d = RunJson({"analyse", (m_logs / "missing").string()}, 2);
    EXPECT_EQ(d["allPassed"], false);
}

// --help and argument errors leave the tool log of the last run as it was.
TEST(SondexCliProgram, HelpAndBadArgumentsLeaveTheToolLogAlone) {
    const testsupport::CScratchFolder folder("sondex_cli_program");
    const fs::path program = folder / "sondex-cli";
    fs::copy_file(SONDEX_CLI_PATH, program);
    const std::string lastRun = "the last run's lines\n";
    folder.Write("sondex-cli.log", lastRun);
    const std::pair<std::string, int> cases[] = {
        {"--help", 0},
        {"analyse --help", 0},
        {"", 64},
        {"analyse", 64},
        {"analyse x --sr 4", 64},
        {"analyse x --bogus", 64},
    };
    for (const auto& [args, code] : cases) {
        EXPECT_EQ(testsupport::RunProgram(program, args).m_nExitCode, code) << args;
        EXPECT_EQ(testsupport::GetBytes(folder / "sondex-cli.log"), lastRun) << args;
    }
}

// The built program as a script sees it: the verdict in the exit status, the document on
// standard output, the same as the run in this process gives.
TEST_F(SondexCliTest, ProgramExitsWithTheVerdictAndPrintsTheDocument) {
    const std::string logs = (kSamples / "logs").string();
    const testsupport::SProgramRun run =
        testsupport::RunProgram(SONDEX_CLI_PATH, "analyse " + ShellQuote(logs) + " --json");
    EXPECT_EQ(run.m_nExitCode, 1);
    const json d = json::parse(run.m_strOut);
    EXPECT_EQ(d["program"], "sondex-cli");
    EXPECT_EQ(d["logs"], RunJson({"analyse", logs}, 1)["logs"]);
    EXPECT_EQ(d["verdict"], "Fail");
}

// Logs that all pass but give no result entry (no minimum pass width for their clock) used
// to exit 1 while the text said every log passed.
TEST_F(SondexCliTest, PassingLogsWithoutJudgedWidthExitZeroWithAWarning) {
    std::ifstream in(kSamples / "logs" / "K7_board01.Txt", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Clock 0x320 (800 MHz) becomes 0x400 (1024 MHz), for which no MinPass key exists.
    const size_t at = text.find("0x00000320");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 10, "0x00000400");
    m_logs.Write("a.Txt", text);
    m_logs.Write("b.Txt", text);

    const json d = RunJson({"analyse", Logs()}, 0);
    EXPECT_EQ(d["allPassed"], true);
    ASSERT_TRUE(d["statistics"].is_object());
    EXPECT_TRUE(d["statistics"]["results"].empty());
    // The form still shows what it shows for a document without results.
    EXPECT_EQ(d["statistics"]["verdict"], "Fail");
    EXPECT_EQ(d["statistics"]["passed"], false);

    SResult r = Run({"analyse", Logs()});
    EXPECT_EQ(r.m_nExitCode, 0);
    EXPECT_NE(r.m_strErr.find("no pass width was judged"), std::string::npos) << r.m_strErr;

    // A folder whose logs give result entries says nothing of the kind.
    const testsupport::CScratchFolder judged("sondex_cli_judged");
    fs::copy_file(kSamples / "logs" / "K7_board01.Txt", judged / "K7_board01.Txt");
    r = Run({"analyse", judged.Path().string()});
    EXPECT_EQ(r.m_nExitCode, 0);
    EXPECT_EQ(r.m_strErr.find("no pass width was judged"), std::string::npos) << r.m_strErr;
}

TEST(SondexCliProgram, ProgressLinesOnlyWhenStandardErrorIsATerminal) {
    std::vector<std::string> names;
    for (int board = 1; board <= 6; ++board) {
        names.push_back("K7_board0" + std::to_string(board) + ".Txt");
    }
    testsupport::ExpectProgressOnlyOnATerminal(
        {SONDEX_CLI_PATH, "analyse", (kSamples / "logs").string(), "--json"}, names);
}
