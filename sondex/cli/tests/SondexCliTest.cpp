// End-to-end runs of the built sondex-cli on the bundled samples and on small folders.

#include "StderrCapture.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>
#include <sys/wait.h>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

struct SResult {
    int code = -1;
    std::string out;
};

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (const char c : s) {
        if (c == '\'') {
            q += "'\\''";
        } else {
            q += c;
        }
    }
    return q + "'";
}

SResult RunCli(const std::string& args) {
    SResult r;
    const std::string cmd = Quote(SONDEX_CLI_PATH) + " " + args + " 2>/dev/null";
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe) {
        return r;
    }
    char buf[4096];
    size_t n = 0;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) {
        r.out.append(buf, n);
    }
    const int status = pclose(pipe);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

json RunJson(const std::string& args, int expectedCode) {
    const SResult r = RunCli(args + " --json");
    EXPECT_EQ(r.code, expectedCode) << args;
    try {
        return json::parse(r.out);
    } catch (const std::exception& e) {
        ADD_FAILURE() << "not JSON: " << r.out.substr(0, 200);
        return json();
    }
}

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "sondex";

// With standard error on a terminal the run writes "file i/n name" before the same text it
// writes to a pipe; on a pipe there are no progress lines.
void ExpectProgressOnlyOnATerminal(const std::vector<std::string>& args,
                                   const std::vector<std::string>& names) {
    int piped = -1;
    const std::string plain = testsupport::RunWithStderr(args, false, piped);
    int onTerminal = -1;
    const std::string terminal = testsupport::RunWithStderr(args, true, onTerminal);
    EXPECT_EQ(piped, onTerminal);
    EXPECT_EQ(plain.find("file "), std::string::npos) << plain;
    std::string expected;
    for (size_t i = 0; i < names.size(); ++i) {
        expected += "file " + std::to_string(i + 1) + "/" + std::to_string(names.size()) + " " +
                    names[i] + "\r\n";
    }
    std::string rest;
    for (const char ch : plain) {
        rest += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    }
    EXPECT_EQ(terminal, expected + rest);
}

class CTempFolder {
public:
    CTempFolder() {
        std::random_device rd;
        m_path = fs::temp_directory_path() /
                 ("sondex-cli-test-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(m_path);
    }
    ~CTempFolder() {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    [[nodiscard]] const fs::path& Path() const { return m_path; }
    void CopySample(const std::string& name) const {
        fs::copy_file(kSamples / "logs" / name, m_path / name);
    }

private:
    fs::path m_path;
};

std::vector<std::string> Texts(const json& messages) {
    std::vector<std::string> out;
    for (const auto& m : messages) {
        out.push_back(m.at("text").get<std::string>());
    }
    return out;
}

} // namespace

TEST(SondexCliTest, SampleFolderGivesTheDocumentedDocument) {
    const json d = RunJson("analyse " + Quote((kSamples / "logs").string()), 1);
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

TEST(SondexCliTest, PassingFolderShowsTheAllPassedText) {
    CTempFolder folder;
    folder.CopySample("K7_board01.Txt");
    folder.CopySample("K7_board02.Txt");
    const json d = RunJson("analyse " + Quote(folder.Path().string()), 0);
    EXPECT_EQ(Texts(d["messages"]), std::vector<std::string>{"所有log均已通过测试"});
    EXPECT_EQ(d["verdict"], "Pass");
    EXPECT_EQ(d["statistics"]["failListText"], "All passed");

    const SResult text = RunCli("analyse " + Quote(folder.Path().string()));
    EXPECT_EQ(text.code, 0);
    EXPECT_NE(text.out.find("verdict: Pass"), std::string::npos);
}

TEST(SondexCliTest, SrSelectionReachesEveryTable) {
    CTempFolder folder;
    folder.CopySample("K7_board01.Txt");
    const json d = RunJson("analyse " + Quote(folder.Path().string()) + " --sr 1,3", 0);
    EXPECT_EQ(d["selectedSr"], json({1, 3}));
    EXPECT_EQ(d["logs"][0]["tables"][0]["selectedSr"], json({1, 3}));
    for (const auto& r : d["logs"][0]["results"]) {
        const std::string t = r["text"];
        EXPECT_TRUE(t.find("_sr1") != std::string::npos || t.find("_sr3") != std::string::npos)
            << t;
    }
}

TEST(SondexCliTest, IncompleteLogFollowsTheAnswer) {
    CTempFolder folder;
    std::ifstream in(kSamples / "logs" / "K7_board01.Txt", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    text.erase(text.find("0x656E6464"));
    std::ofstream(folder.Path() / "cut.Txt", std::ios::binary) << text;

    json d = RunJson("analyse " + Quote(folder.Path().string()) + " --answer no", 2);
    ASSERT_EQ(d["messages"].size(), 1u);
    EXPECT_EQ(d["messages"][0]["question"], true);
    EXPECT_EQ(d["messages"][0]["answer"], "no");
    EXPECT_EQ(d["messages"][0]["text"], "log文件cut.Txt不完整，将影响分析结果的准确性, 是否继续");
    EXPECT_EQ(d["logs"][0]["opened"], false);
    EXPECT_EQ(d["logs"][0]["status"], 9);
    EXPECT_TRUE(d["statistics"].is_null());

    d = RunJson("analyse " + Quote(folder.Path().string()) + " --answer yes", 0);
    EXPECT_EQ(d["messages"][0]["answer"], "yes");
    EXPECT_EQ(d["logs"][0]["opened"], true);
}

TEST(SondexCliTest, ConfigurationOptions) {
    CTempFolder folder;
    folder.CopySample("K7_board01.Txt");
    // An ini compiles into a .dat beside it; the .dat alone then does the same.
    fs::copy_file(kSamples / "Sondex.ini", folder.Path() / "Project.ini");
    json d = RunJson("analyse " + Quote(folder.Path().string()) + " --config " +
                         Quote((folder.Path() / "Project.ini").string()),
                     0);
    EXPECT_EQ(d["config"]["loaded"], true);
    ASSERT_TRUE(fs::exists(folder.Path() / "Project.dat"));
    fs::remove(folder.Path() / "Project.ini");
    d = RunJson("analyse " + Quote(folder.Path().string()) + " --config " +
                    Quote((folder.Path() / "Project.dat").string()),
                0);
    EXPECT_EQ(d["config"]["ini"], nullptr);

    const fs::path missing = folder.Path() / "none.dat";
    d = RunJson("analyse " + Quote(folder.Path().string()) + " --config " + Quote(missing.string()),
                2);
    const auto texts = Texts(d["messages"]);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "配置文件\"" + missing.string() + "\" 不存在，请提供配置文件 ");
    EXPECT_EQ(texts[1], "Sondex 工具，log:" + (folder.Path() / "K7_board01.Txt").string() +
                            " 文件与工具项目不匹配");
}

TEST(SondexCliTest, NothingToAnalyse) {
    CTempFolder folder;
    json d = RunJson("analyse " + Quote(folder.Path().string()), 2);
    EXPECT_EQ(d["logFiles"], 0);
    EXPECT_TRUE(d["statistics"].is_null());
    EXPECT_TRUE(d["verdict"].is_null());
    d = RunJson("analyse " + Quote((folder.Path() / "missing").string()), 2);
    EXPECT_TRUE(d["logs"].empty());
}

TEST(SondexCliTest, BadArguments) {
    const std::string folder = Quote((kSamples / "logs").string());
    const char* cases[] = {"",
                           "analyse",
                           "analyse " /* no folder */,
                           "frobnicate x",
                           "analyse x --sr 4",
                           "analyse x --sr 0,,1",
                           "analyse x --answer maybe",
                           "analyse x --bogus"};
    for (const char* args : cases) {
        EXPECT_EQ(RunCli(args).code, 64) << args;
    }
    EXPECT_EQ(RunCli("analyse --help").code, 0);
    EXPECT_EQ(RunCli("analyse " + folder + " --sr 0,1").code, 1);
}

// A folder analysis that stopped at a refused log used to say "所有log均已通过测试" with
// allPassed true, though the logs after it were never read; so did a missing folder.
TEST(SondexCliTest, AStoppedFolderIsNotAllPassed) {
    CTempFolder folder;
    folder.CopySample("K7_board01.Txt");
    std::ofstream(folder.Path() / "K7_board02.Txt", std::ios::binary) << "no scan here\r\n";
    folder.CopySample("K7_board03.Txt");
    json d = RunJson("analyse " + Quote(folder.Path().string()), 2);
    EXPECT_EQ(d["allPassed"], false);
    EXPECT_EQ(d["failList"], "\nK7_board02.Txt\tOpen failed");
    ASSERT_EQ(d["logs"].size(), 2u);
    EXPECT_EQ(d["logs"][1]["opened"], false);
    for (const std::string& text : Texts(d["messages"])) {
        EXPECT_EQ(text.find("所有log均已通过测试"), std::string::npos) << text;
    }
    EXPECT_EQ(d["statistics"]["failListText"], "\nK7_board02.Txt\tOpen failed");

    d = RunJson("analyse " + Quote((folder.Path() / "missing").string()), 2);
    EXPECT_EQ(d["allPassed"], false);
}

// --help and argument errors leave the tool log of the last run as it was.
TEST(SondexCliTest, HelpAndBadArgumentsLeaveTheToolLogAlone) {
    CTempFolder folder;
    const fs::path program = folder.Path() / "sondex-cli";
    fs::copy_file(SONDEX_CLI_PATH, program);
    const std::string lastRun = "the last run's lines\n";
    std::ofstream(folder.Path() / "sondex-cli.log") << lastRun;
    const std::pair<std::string, int> cases[] = {
        {"--help", 0},
        {"analyse --help", 0},
        {"", 64},
        {"analyse x --sr 4", 64},
        {"analyse x --bogus", 64},
    };
    for (const auto& [args, code] : cases) {
        const std::string command = Quote(program.string()) + " " + args + " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, code) << args;
        std::ifstream in(folder.Path() / "sondex-cli.log", std::ios::binary);
        const std::string log((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
        EXPECT_EQ(log, lastRun) << args;
    }
}

// Logs that all pass but give no result entry (no minimum pass width for their clock) used
// to exit 1 while the text said every log passed.
TEST(SondexCliTest, PassingLogsWithoutJudgedWidthExitZeroWithAWarning) {
    CTempFolder folder;
    std::ifstream in(kSamples / "logs" / "K7_board01.Txt", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Clock 0x320 (800 MHz) becomes 0x400 (1024 MHz), for which no MinPass key exists.
    const size_t at = text.find("0x00000320");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 10, "0x00000400");
    std::ofstream(folder.Path() / "a.Txt", std::ios::binary) << text;
    std::ofstream(folder.Path() / "b.Txt", std::ios::binary) << text;

    const json d = RunJson("analyse " + Quote(folder.Path().string()), 0);
    EXPECT_EQ(d["allPassed"], true);
    ASSERT_TRUE(d["statistics"].is_object());
    EXPECT_TRUE(d["statistics"]["results"].empty());
    // The form still shows what it shows for a document without results.
    EXPECT_EQ(d["statistics"]["verdict"], "Fail");
    EXPECT_EQ(d["statistics"]["passed"], false);

    const std::string cmd =
        Quote(SONDEX_CLI_PATH) + " analyse " + Quote(folder.Path().string()) + " 2>&1 >/dev/null";
    FILE* pipe = popen(cmd.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string err;
    char buf[1024];
    size_t n = 0;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) {
        err.append(buf, n);
    }
    const int status = pclose(pipe);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(err.find("no pass width was judged"), std::string::npos) << err;

    // A folder whose logs give result entries says nothing of the kind.
    CTempFolder judged;
    judged.CopySample("K7_board01.Txt");
    const std::string cmd2 =
        Quote(SONDEX_CLI_PATH) + " analyse " + Quote(judged.Path().string()) + " 2>&1 >/dev/null";
    pipe = popen(cmd2.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    err.clear();
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) {
        err.append(buf, n);
    }
    EXPECT_EQ(WEXITSTATUS(pclose(pipe)), 0);
    EXPECT_EQ(err.find("no pass width was judged"), std::string::npos) << err;
}

TEST(SondexCliProgram, ProgressLinesOnlyWhenStandardErrorIsATerminal) {
    std::vector<std::string> names;
    for (int board = 1; board <= 6; ++board) {
        names.push_back("K7_board0" + std::to_string(board) + ".Txt");
    }
    ExpectProgressOnlyOnATerminal(
        {SONDEX_CLI_PATH, "analyse", (kSamples / "logs").string(), "--json"}, names);
}
