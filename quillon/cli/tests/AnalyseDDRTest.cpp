#include "AnalyseDDR.h"

#include "AnalyseFixture.h"
#include "FileUtil.h"
#include "LaneSwapMap.h"
#include "SettingsFile.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>

#include <unistd.h>

using namespace quillon;

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon";

// A board log as the boards print it (CR LF): optional header, optional platform line, and
// one data line per (drive, phase, step, lane); pass(lane, drive, position) gives the mark.
template <typename Pass>
std::string BoardLog(const std::vector<int>& drives, const char* ddrType, const char* platform,
                     Pass pass) {
    std::string log = "\r\n";
    if (platform != nullptr) {
        log += std::string(platform) + " DDR scan loader 1.3.2\r\n";
    }
    log += "* project = T1\r\n";
    if (ddrType != nullptr) {
        log += std::string("* ddr type = ") + ddrType + "\r\n";
    }
    log += "* ddr clk = 333\r\n";
    const int phases[] = {36, 54, 72, 90, 108, 126, 144};
    for (int drive : drives) {
        for (int c = 0; c < 7; ++c) {
            for (int s = 0; s < 8; ++s) {
                for (int lane = 0; lane < 4; ++lane) {
                    log += Format("dxn=%d, drv_stg=%dohm, mem_drv=40ohm, sdll_phs_dly=%d, "
                                  "dqs_step_dly=%d, %s\r\n",
                                  lane, drive, phases[c], s - 3,
                                  pass(lane, drive, c * 8 + s) ? "pass" : "fail");
                }
            }
        }
    }
    return log;
}

auto Window(int lo, int hi) {
    return [lo, hi](int, int, int p) { return p >= lo && p <= hi; };
}

class AnalyseDDRTest : public CAnalyseFixture {
protected:
    AnalyseDDRTest() : CAnalyseFixture("analyse_ddr_") {}
    void SetUp() override {
        CAnalyseFixture::SetUp();
        fs::create_directories(m_dir / "logs");
        WriteSettings("");
    }
    void TearDown() override {
        GetLaneSwapMap().SetIdentity();
        CAnalyseFixture::TearDown();
    }
    void WriteSettings(const std::string& text) {
        std::ofstream(m_dir / "Quillon.ini", std::ios::binary) << text;
    }
    void WriteLog(const std::string& name, const std::string& text) {
        std::ofstream(m_dir / "logs" / name, std::ios::binary) << text;
    }
    fs::path MakeImage(size_t size) {
        std::string bytes(size, '\0');
        std::mt19937 rng(3);
        for (char& c : bytes) {
            c = static_cast<char>(rng() & 0xFF);
        }
        const fs::path path = m_dir / "fw.bin";
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(size));
        return path;
    }
    static std::string Bytes(const fs::path& path) {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(path, bytes));
        return bytes;
    }

    SAnalyseOutput Run(const fs::path& dir, std::optional<int> type, bool answer = false,
                       std::optional<fs::path> image = std::nullopt, int sort = 2) {
        SAnalyseOptions options;
        options.m_strDirectory = PathToWide(dir);
        options.m_nLogType = type;
        options.m_nSortMode = sort;
        options.m_bAnswerYes = answer;
        if (image) {
            options.m_strImage = PathToWide(*image);
        }
        m_prompt = std::make_unique<CConsolePrompt>(answer);
        m_prompt->SetEcho(false);
        CScopedPrompt scope(*m_prompt);
        return RunAnalyse(options, *m_prompt);
    }
};

uint32_t WordAt(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<uint8_t>(bytes[offset + static_cast<size_t>(i)]);
    }
    return value;
}

} // namespace

TEST_F(AnalyseDDRTest, PassingLpddr2SamplesGiveTheDocumentedDocument) {
    const SAnalyseOutput out = Run(kSamples / "lpddr2_pass", 1);
    const json& doc = out.m_doc;
    EXPECT_EQ(out.m_nExitCode, 0);
    EXPECT_EQ(doc["program"], "quillon-cli");
    EXPECT_EQ(doc["logType"], 1);
    EXPECT_EQ(doc["header"], (json{{"project", "P7"}, {"ddrType", "ddr2"}, {"ddrClock", "400"}}));
    EXPECT_EQ(doc["scanned"], true);
    EXPECT_EQ(doc["messages"], json::array());
    EXPECT_TRUE(doc["writeBin"].is_null());

    const json& pages = doc["pages"];
    ASSERT_EQ(pages.size(), 5u);
    EXPECT_EQ(pages[0]["name"], "统计图");
    EXPECT_EQ(pages[0]["merged"], true);
    EXPECT_EQ(pages[1]["name"], "P7_VR2-0013.txt");
    EXPECT_EQ(pages[4]["name"], "P7_VR2-0042.txt");
    for (const json& page : pages) {
        SCOPED_TRACE(page["name"].get<std::string>());
        EXPECT_EQ(page["analysed"], true);
        EXPECT_GE(page["rowPassNum"].get<int>(), 40);
        ASSERT_EQ(page["bestRecords"].size(), 4u);
        for (int lane = 0; lane < 4; ++lane) {
            const json& record = page["bestRecords"][static_cast<size_t>(lane)];
            ASSERT_EQ(record.size(), 7u);
            EXPECT_EQ(record[0], lane);
            EXPECT_EQ(record[3], 40); // Row_DDR2 default for the best parameters
            const json& row = page["bestList"][static_cast<size_t>(lane)];
            EXPECT_EQ(row, (json{std::to_string(lane), std::to_string(record[3].get<int>()),
                                 std::to_string(record[1].get<int>()),
                                 std::to_string(record[2].get<int>())}));
            const double rate = page["rates"][static_cast<size_t>(lane)].get<double>();
            EXPECT_GT(rate, 0.6);
            EXPECT_EQ(page["rateTexts"][static_cast<size_t>(lane)], Format("%.1f%%", rate * 100.0));
        }
        EXPECT_EQ(page["verdict"],
                  (json{{"made", true}, {"conclusion", "PASS"}, {"reason", ""}, {"code", 2}}));
        ASSERT_EQ(page["chart"].size(), 20u); // 4 lanes x 5 drive-strength rows
        for (const json& row : page["chart"]) {
            ASSERT_EQ(row.get<std::string>().size(), 56u);
        }
        EXPECT_TRUE(page["bestPoint"].is_null());
    }
    ASSERT_EQ(pages[0]["chartText"].size(), 20u);
    EXPECT_EQ(pages[0]["chartText"][0].size(), 56u);
    EXPECT_TRUE(pages[1]["chartText"].is_null());
    // The merged page passes only where every log passed.
    for (size_t row = 0; row < 20; ++row) {
        const std::string merged = pages[0]["chart"][row];
        for (size_t col = 0; col < 56; ++col) {
            bool all = true;
            for (size_t p = 1; p < 5; ++p) {
                all = all && pages[p]["chart"][row].get<std::string>()[col] == 'G';
            }
            ASSERT_EQ(merged[col] == 'G', all) << row << "," << col;
            EXPECT_EQ(pages[0]["chartText"][row][col] == "0", all);
        }
    }
    EXPECT_NE(out.m_strText.find("verdict: PASS"), std::string::npos);
    EXPECT_NE(out.m_strText.find("PASS: 统计图; 4 logs of 4 files: 4 PASS, 0 FAIL"),
              std::string::npos);
}

TEST_F(AnalyseDDRTest, FailingSetFailsWithTheReasonAndExitCode1) {
    const SAnalyseOutput out = Run(kSamples / "lpddr2_fail", 1);
    EXPECT_EQ(out.m_nExitCode, 1);
    const json& verdict = out.m_doc["pages"][0]["verdict"];
    EXPECT_EQ(verdict["conclusion"], "FAIL");
    EXPECT_EQ(verdict["code"], 0);
    EXPECT_NE(verdict["reason"].get<std::string>().find("does not reach the standard"),
              std::string::npos);
    EXPECT_EQ(out.m_doc["summary"]["verdict"], "FAIL");
}

TEST_F(AnalyseDDRTest, Ddr1ListShowsPlaceholdersAndWritesOnlyStepCodes) {
    const fs::path image = MakeImage(40000);
    const std::string before = Bytes(image);
    const SAnalyseOutput out = Run(kSamples / "lpddr", 0, false, image);
    EXPECT_EQ(out.m_nExitCode, 0);
    EXPECT_EQ(out.m_doc["logType"], 0);
    for (const json& row : out.m_doc["pages"][0]["bestList"]) {
        EXPECT_EQ(row, (json{"0xFF", "31", "X", "X"}));
    }
    EXPECT_EQ(out.m_doc["writeBin"], (json{{"attempted", true}, {"written", true}}));
    const std::string after = Bytes(image);
    // 31 ohm has no drive code; "X" reads as step 0, code 3 in every lane.
    EXPECT_EQ(WordAt(after, 0x5C0C), 0u);
    EXPECT_EQ(WordAt(after, 0x5C10), 0u);
    EXPECT_EQ(WordAt(after, 0x5C14), 0x03030303u);
    EXPECT_EQ(WordAt(after, 0x5C18), 0xABCD1234u ^ 0x03030303u);
    EXPECT_EQ(after.substr(0, 0x5C00), before.substr(0, 0x5C00));
    EXPECT_EQ(after.substr(0x5C1C), before.substr(0x5C1C));
    EXPECT_EQ(MessageTexts(out).back(), "wirte DDR data back to bin file success");
}

TEST_F(AnalyseDDRTest, Lpddr2WriteBinTakesTheStatisticsList) {
    const fs::path image = MakeImage(30000);
    const SAnalyseOutput out = Run(kSamples / "lpddr2_pass", 1, false, image);
    ASSERT_EQ(out.m_nExitCode, 0);
    const json& list = out.m_doc["pages"][0]["bestList"];
    const int phaseCodes[] = {3, 2, 1, 0, 4, 8, 18};
    uint32_t phase = 0;
    uint32_t step = 0;
    for (const json& row : list) {
        const int sdll = std::stoi(row[2].get<std::string>());
        const int dqs = std::stoi(row[3].get<std::string>());
        phase = (phase << 8) + static_cast<uint32_t>(phaseCodes[(sdll - 36) / 18]);
        step = (step << 8) + static_cast<uint32_t>(dqs + 3);
    }
    const std::string after = Bytes(image);
    EXPECT_EQ(WordAt(after, 0x5C00), 16u);
    EXPECT_EQ(WordAt(after, 0x5C04), 20u);
    EXPECT_EQ(WordAt(after, 0x5C0C), 11u); // 40 ohm
    EXPECT_EQ(WordAt(after, 0x5C10), phase);
    EXPECT_EQ(WordAt(after, 0x5C14), step);
    EXPECT_EQ(WordAt(after, 0x5C18), 11u ^ 0xABCD1234u ^ step ^ phase);
}

TEST_F(AnalyseDDRTest, Ddr3ResultsAreNotWrittenBack) {
    const fs::path image = MakeImage(30000);
    const std::string before = Bytes(image);
    const SAnalyseOutput out = Run(kSamples / "ddr3", 2, false, image);
    EXPECT_EQ(out.m_doc["logType"], 2);
    EXPECT_EQ(out.m_doc["pages"][0]["verdict"]["conclusion"], "PASS");
    EXPECT_EQ(out.m_doc["writeBin"], (json{{"attempted", true}, {"written", false}}));
    EXPECT_EQ(out.m_nExitCode, 2);
    EXPECT_EQ(Bytes(image), before);
    EXPECT_EQ(out.m_doc["messages"], json::array());
}

TEST_F(AnalyseDDRTest, MissingAndShortImagesAreReportedAndUntouched) {
    const fs::path missing = m_dir / "none.bin";
    SAnalyseOutput out = Run(kSamples / "lpddr2_pass", 1, false, missing);
    EXPECT_EQ(out.m_nExitCode, 2);
    EXPECT_EQ(out.m_doc["writeBin"]["written"], false);
    EXPECT_EQ(MessageTexts(out).back(),
              "open file \"" + missing.string() +
                  "\" failed, please check file is exist or file attirbute is read only");
    EXPECT_FALSE(fs::exists(missing));

    const fs::path image = MakeImage(1000);
    const std::string before = Bytes(image);
    out = Run(kSamples / "lpddr2_pass", 1, false, image);
    EXPECT_EQ(out.m_nExitCode, 2);
    EXPECT_NE(MessageTexts(out).back().find("is too short (1000 bytes)"), std::string::npos);
    EXPECT_EQ(Bytes(image), before);
}

TEST_F(AnalyseDDRTest, NoLogFileAndEmptyDirectory) {
    fs::create_directories(m_dir / "empty");
    SAnalyseOutput out = Run(m_dir / "empty", 1);
    EXPECT_EQ(out.m_nExitCode, 2);
    EXPECT_EQ(out.m_doc["scanned"], false);
    EXPECT_EQ(MessageTexts(out),
              std::vector<std::string>{"find no valid log file, can not made a analysis"});

    out = Run(fs::path(), 1);
    EXPECT_EQ(MessageTexts(out), std::vector<std::string>{"log file directory can not be empty"});
    EXPECT_EQ(out.m_nExitCode, 2);
}

TEST_F(AnalyseDDRTest, LogWithoutPlatformAsksAndTheAnswerDecides) {
    const std::vector<int> ddr3 = {34, 40};
    WriteLog("a.txt", BoardLog(ddr3, "ddr3", "Pellam", Window(5, 50)));
    WriteLog("b.txt", BoardLog(ddr3, "ddr3", nullptr, Window(5, 50)));
    const std::string question = "扫描失败\nFile: \"" + (m_dir / "logs" / "b.txt").string() +
                                 "\"\n\n不是Varro\\Kestin\\Pellam的log，跳过扫描失败文件继续分析?";

    SAnalyseOutput out = Run(m_dir / "logs", 2, false);
    EXPECT_EQ(out.m_nExitCode, 2);
    EXPECT_EQ(out.m_doc["scanned"], false);
    ASSERT_EQ(out.m_doc["messages"].size(), 1u);
    EXPECT_EQ(out.m_doc["messages"][0],
              (json{{"text", question}, {"question", true}, {"answer", "no"}}));

    out = Run(m_dir / "logs", 2, true);
    EXPECT_EQ(out.m_doc["scanned"], true);
    EXPECT_EQ(out.m_doc["messages"][0]["answer"], "yes");
    ASSERT_EQ(out.m_doc["pages"].size(), 2u); // the statistics page and a.txt
    EXPECT_EQ(out.m_doc["pages"][1]["name"], "a.txt");
    EXPECT_EQ(out.m_nExitCode, 0);

    // With the platform check off nothing is asked and both logs count.
    WriteSettings("[IsCheckLogFile]\nEnable=0\n");
    out = Run(m_dir / "logs", 2, false);
    EXPECT_EQ(out.m_doc["messages"], json::array());
    EXPECT_EQ(out.m_doc["pages"].size(), 3u);
}

TEST_F(AnalyseDDRTest, IncompleteLogQuestion) {
    // A "ddr2" log needs 1568 data lines; five drive strengths give 1120.
    WriteLog("short.txt", BoardLog({34, 40, 48, 60, 80}, "ddr2", "Varro", Window(4, 52)));
    SAnalyseOutput out = Run(m_dir / "logs", 1, false);
    EXPECT_EQ(out.m_nExitCode, 2);
    ASSERT_EQ(out.m_doc["messages"].size(), 1u);
    EXPECT_EQ(out.m_doc["messages"][0]["text"],
              "log文件short.txt不完整，将影响分析结果的准确性, 是否继续");
    out = Run(m_dir / "logs", 1, true);
    EXPECT_EQ(out.m_doc["scanned"], true);
    EXPECT_EQ(out.m_nExitCode, 0);
}

TEST_F(AnalyseDDRTest, ResultPromptOnlyAfterAPassingStatisticsPage) {
    WriteSettings("[ResultPrompt]\nPrompt=burn the image now\nEnabel=1\n");
    SAnalyseOutput out = Run(kSamples / "lpddr2_pass", 1);
    EXPECT_EQ(MessageTexts(out), std::vector<std::string>{"burn the image now"});
    out = Run(kSamples / "lpddr2_fail", 1);
    EXPECT_EQ(out.m_doc["messages"], json::array());
    WriteSettings("[ResultPrompt]\nPrompt=burn the image now\nEnabel=0\n");
    out = Run(kSamples / "lpddr2_pass", 1);
    EXPECT_EQ(out.m_doc["messages"], json::array());
}

TEST_F(AnalyseDDRTest, SettingsThresholdsDecideTheVerdict) {
    WriteSettings("[MinPassRate]\nRate=99\n");
    SAnalyseOutput out = Run(kSamples / "lpddr2_pass", 1);
    EXPECT_EQ(out.m_nExitCode, 1);
    EXPECT_NE(out.m_doc["pages"][0]["verdict"]["reason"].get<std::string>().find("(less than 99%)"),
              std::string::npos);

    WriteSettings("[CheckRow]\nMinPassNum=281\n");
    out = Run(kSamples / "lpddr2_pass", 1);
    EXPECT_EQ(out.m_nExitCode, 2);
    EXPECT_EQ(out.m_doc["pages"][0]["verdict"]["made"], false);
    EXPECT_EQ(MessageTexts(out).front(), "Minimum continuous cell number configurate error");
}

TEST_F(AnalyseDDRTest, SwapMapRelabelsTheList) {
    const SAnalyseOutput plain = Run(kSamples / "lpddr2_pass", 1);
    WriteSettings("[SwapByte]\nMemByte0=ChipByte1\nMemByte1=ChipByte0\n");
    const SAnalyseOutput swapped = Run(kSamples / "lpddr2_pass", 1);
    const json& a = plain.m_doc["pages"][1];
    const json& b = swapped.m_doc["pages"][1];
    EXPECT_EQ(b["bestRecords"], a["bestRecords"]); // the analysis itself is not swapped
    EXPECT_EQ(b["rates"][0], a["rates"][1]);
    EXPECT_EQ(b["rates"][1], a["rates"][0]);
    EXPECT_EQ(b["bestList"][0][2], a["bestList"][1][2]);
    EXPECT_EQ(b["bestList"][0][0], "0");
    EXPECT_EQ(b["chart"][0], a["chart"][5]); // lane 0 of the chart shows byte 1
}

TEST_F(AnalyseDDRTest, SortModesOrderTheLogTabs) {
    WriteSettings("[IsCheckLogFile]\nEnable=0\n");
    const std::vector<int> ddr3 = {34, 40};
    WriteLog("a.txt", BoardLog(ddr3, "ddr3", "Pellam", Window(10, 50)));
    WriteLog("B.txt", BoardLog(ddr3, "ddr3", "Pellam", Window(2, 54)));
    WriteLog("c.txt", BoardLog(ddr3, "ddr3", "Pellam", Window(20, 40)));
    auto names = [](const SAnalyseOutput& out) {
        std::vector<std::string> list;
        for (const json& page : out.m_doc["pages"]) {
            list.push_back(page["name"]);
        }
        return list;
    };
    EXPECT_EQ(names(Run(m_dir / "logs", 2, false, std::nullopt, 2)),
              (std::vector<std::string>{"统计图", "B.txt", "a.txt", "c.txt"}));
    EXPECT_EQ(names(Run(m_dir / "logs", 2, false, std::nullopt, 1)),
              (std::vector<std::string>{"统计图", "c.txt", "a.txt", "B.txt"}));
    EXPECT_EQ(names(Run(m_dir / "logs", 2, false, std::nullopt, 0)),
              (std::vector<std::string>{"统计图", "B.txt", "a.txt", "c.txt"}));
}

TEST_F(AnalyseDDRTest, LogsOfNoDdrKindAreListedButNotAnalysed) {
    WriteSettings("[IsCheckLogFile]\nEnable=0\n");
    WriteLog("odd.txt", BoardLog({33, 39, 43}, nullptr, nullptr, Window(0, 55)));
    const SAnalyseOutput out = Run(m_dir / "logs", 1);
    EXPECT_EQ(out.m_doc["logType"], -1);
    EXPECT_EQ(out.m_nExitCode, 2);
    ASSERT_EQ(out.m_doc["pages"].size(), 2u);
    EXPECT_EQ(out.m_doc["pages"][0]["analysed"], false);
    EXPECT_TRUE(out.m_doc["pages"][0]["verdict"].is_null());
}

// Every page has its chart whatever the kind of its drive strengths; before, a log of 40, 48
// and 60 ohm got "chart": null.
TEST_F(AnalyseDDRTest, PagesOfNoDdrKindStillHaveTheirCharts) {
    WriteSettings("[IsCheckLogFile]\nEnable=0\n");
    WriteLog("odd.txt", BoardLog({40, 48, 60}, nullptr, nullptr, Window(8, 30)));
    const SAnalyseOutput out = Run(m_dir / "logs", 1);
    ASSERT_EQ(out.m_doc["logType"], -1);
    const json& pages = out.m_doc["pages"];
    ASSERT_EQ(pages.size(), 2u);
    for (const json& page : pages) {
        SCOPED_TRACE(page["name"].get<std::string>());
        EXPECT_EQ(page["analysed"], false);
        EXPECT_TRUE(page["bestList"].is_null());
        ASSERT_TRUE(page["chart"].is_array());
        ASSERT_FALSE(page["chart"].empty());
        // Some cell of lane 0 passes (positions 8 to 30) and some fails.
        std::string all;
        for (const json& row : page["chart"]) {
            all += row.get<std::string>();
        }
        EXPECT_NE(all.find('G'), std::string::npos);
        EXPECT_NE(all.find('R'), std::string::npos);
    }
    ASSERT_TRUE(pages[0]["chartText"].is_array());
    EXPECT_TRUE(pages[1]["chartText"].is_null());
}

// The result prompt comes right after the statistics tab is shown; the log tabs' messages
// follow it. Before, every log tab's messages came first and the prompt last.
TEST_F(AnalyseDDRTest, ResultPromptFollowsTheStatisticsTabAndPrecedesTheLogTabs) {
    WriteSettings("[CheckRow]\nRow_DDR2=41\n[ResultPrompt]\nPrompt=burn now\nEnabel=1\n");
    const SAnalyseOutput out = Run(kSamples / "lpddr2_pass", 1);
    const std::vector<std::string> texts = MessageTexts(out);
    const auto prompt = std::find(texts.begin(), texts.end(), "burn now");
    ASSERT_NE(prompt, texts.end());
    const size_t logTabs = out.m_doc["pages"].size() - 1;
    ASSERT_EQ(logTabs, 4u);
    // What showing one tab says, as the statistics tab said it before the prompt.
    const std::vector<std::string> perTab(texts.begin(), prompt);
    ASSERT_FALSE(perTab.empty());
    std::vector<std::string> expected = perTab;
    expected.push_back("burn now");
    for (size_t t = 0; t < logTabs; ++t) {
        expected.insert(expected.end(), perTab.begin(), perTab.end());
    }
    EXPECT_EQ(texts, expected);
}

TEST_F(AnalyseDDRTest, TypeFromTheSettingsWhenNoneIsGiven) {
    WriteSettings("[LogType]\nType=7\n");
    SAnalyseOutput out = Run(kSamples / "ddr3", std::nullopt);
    EXPECT_EQ(out.m_nExitCode, 2);
    EXPECT_EQ(out.m_doc["scanned"], false);
    EXPECT_EQ(out.m_doc["logType"], 7);

    WriteSettings("[LogType]\nType=2\n");
    out = Run(kSamples / "ddr3", std::nullopt);
    EXPECT_EQ(out.m_nExitCode, 0);
    EXPECT_NE(out.m_strText.find("Quillon DDR3 analysis"), std::string::npos);
}

TEST_F(AnalyseDDRTest, EveryLogSkippedLeavesNoStatisticsPage) {
    WriteLog("b.txt", BoardLog({34, 40}, "ddr3", nullptr, Window(5, 50)));
    const fs::path image = MakeImage(30000);
    const std::string before = Bytes(image);
    const SAnalyseOutput out = Run(m_dir / "logs", 2, true, image);
    EXPECT_EQ(out.m_doc["scanned"], true);
    EXPECT_EQ(out.m_doc["pages"], json::array());
    const auto texts = MessageTexts(out);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1], "statistics DDR log data failed");
    EXPECT_EQ(out.m_nExitCode, 2);
    // Nothing was shown, so nothing is written (the kind is none).
    EXPECT_EQ(out.m_doc["writeBin"]["written"], false);
    EXPECT_EQ(Bytes(image), before);
}

TEST_F(AnalyseDDRTest, AbandonedScanWritesNothing) {
    WriteLog("b.txt", BoardLog({34, 40}, "ddr3", nullptr, Window(5, 50)));
    const fs::path image = MakeImage(30000);
    const std::string before = Bytes(image);
    const SAnalyseOutput out = Run(m_dir / "logs", 1, false, image);
    EXPECT_EQ(out.m_doc["scanned"], false);
    EXPECT_EQ(out.m_doc["writeBin"], (json{{"attempted", false}, {"written", false}}));
    EXPECT_EQ(Bytes(image), before);
    EXPECT_EQ(out.m_nExitCode, 2);
}

TEST_F(AnalyseDDRTest, BadLogsEndTheScanWithTheirMessages) {
    struct SCase {
        const char* m_szName;
        std::string m_text;
    };
    std::string garbage(5000, '\0');
    std::mt19937 rng(9);
    for (char& c : garbage) {
        c = static_cast<char>(rng() % 255 + 1);
        if (c == '\n') {
            c = 'x';
        }
    }
    const SCase cases[] = {
        {"empty.txt", ""},
        {"garbage.txt", garbage},
        {"cr-only.txt", "Varro\rdxn=0, drv_stg=34, sdll_phs_dly=36, dqs_step_dly=0, pass\r"},
        {"no-data.txt", "Varro board\r\n* ddr type = ddr2\r\nnothing scanned\r\n"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.m_szName);
        fs::remove_all(m_dir / "logs");
        fs::create_directories(m_dir / "logs");
        WriteLog(c.m_szName, c.m_text);
        const SAnalyseOutput out = Run(m_dir / "logs", 1, true);
        EXPECT_EQ(out.m_nExitCode, 2);
        EXPECT_EQ(out.m_doc["scanned"], false);
        const auto texts = MessageTexts(out);
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts.back(), "scan log file\"" + (m_dir / "logs" / c.m_szName).string() +
                                    "\" failed, please check log file is correct");
    }
}

TEST_F(AnalyseDDRTest, AFileInsteadOfADirectoryHasNoLogs) {
    WriteLog("a.txt", "x\r\n");
    const SAnalyseOutput out = Run(m_dir / "logs" / "a.txt", 1);
    EXPECT_EQ(out.m_nExitCode, 2);
    EXPECT_EQ(MessageTexts(out),
              std::vector<std::string>{"find no valid log file, can not made a analysis"});
}
