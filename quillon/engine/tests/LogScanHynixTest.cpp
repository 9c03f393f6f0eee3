#include "DrvStgRegistry.h"
#include "IniFile.h"
#include "LogDataDDRHynix.h"
#include "LogPageDDRHynix.h"
#include "LogScanDDR.h"
#include "LogRead.h"
#include "LogScanHynix.h"
#include "SettingsFileScope.h"
#include "VerdictHynix.h"
#include "SettingsFile.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

using PassFn = std::function<bool(int byte, int column, int step)>;

const int kPhases[7] = {36, 54, 72, 90, 108, 126, 144};

// A Hynix log as a board prints it: header lines, then one line per (byte, phase, step).
std::string HynixLog(const PassFn& pass, int drvStg = 48, int lines = 224,
                     const std::string& header = "HYNIX lpddr2 timing scan\n") {
    std::string text = "boot rom v1.2\n" + header;
    int n = 0;
    for (int byte = 0; byte < 4; ++byte) {
        for (int column = 0; column < 7; ++column) {
            for (int step = -3; step <= 4; ++step) {
                if (n++ >= lines) {
                    return text;
                }
                char line[160];
                std::snprintf(line, sizeof line,
                              "dxn=%d, drv_stg=%dohm, mem_drv=40ohm, sdll_phs_dly=%d, "
                              "dqs_step_dly=%d, %s\r\n",
                              byte, drvStg, kPhases[column], step,
                              pass(byte, column, step) ? "pass" : "fail");
                text += line;
            }
        }
    }
    return text;
}

bool AllPass(int, int, int) {
    return true;
}

class LogScanHynixTest : public testsupport::CSettingsFileTest {
protected:
    std::wstring Write(const std::string& name, const std::string& text) {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.wstring();
    }
};

} // namespace

TEST_F(LogScanHynixTest, DetectionNeedsBothWordsOnOneOfTheFirstElevenPieces) {
    CRecordingPrompt prompt;
    CScopedPrompt scoped(prompt);
    std::string ten;
    for (int i = 0; i < 10; ++i) {
        ten += "line\n";
    }
    struct SCase {
        const char* what;
        std::string text;
        bool hynix;
    };
    const SCase cases[] = {
        {"same line", "* HYNIX lpddr2 board\n", true},
        {"different lines", "HYNIX\nlpddr2\n", false},
        {"case matters", "hynix lpddr2\n", false},
        {"eleventh line", ten + "HYNIX lpddr2\n", true},
        {"twelfth line", ten + "x\nHYNIX lpddr2\n", false},
        {"split by the 511 cut", std::string(505, 'x') + "HYNIX lpddr2\n", false},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(IsHynixLog(Write("d.txt", c.text)), c.hynix) << c.what;
    }
    EXPECT_TRUE(prompt.Texts().empty());
    const std::wstring missing = (m_dir / "none.txt").wstring();
    EXPECT_FALSE(IsHynixLog(missing));
    EXPECT_EQ(prompt.Texts(), std::vector<std::wstring>{L"open file " + missing + L" failed !"});
}

TEST_F(LogScanHynixTest, FullLogPassesEverywhereWithRateOneAndBestParameters) {
    CRecordingPrompt prompt;
    CScopedPrompt scoped(prompt);
    CLogScanHynix scan;
    scan.SetFileList({Write("a.txt", HynixLog(AllPass))});
    ASSERT_TRUE(scan.Scan());
    EXPECT_TRUE(prompt.Texts().empty());
    auto list = scan.TakePageList();
    auto& page = dynamic_cast<CLogPageDDRHynix&>(*list->GetPage(0));
    EXPECT_EQ(page.GetSelectedRow(), CLogPageDDRHynix::kInitialFabsRow);
    std::map<int, double> rates;
    std::vector<SBestParam> best;
    int rowPassNum = 0;
    ASSERT_TRUE(page.Analyse(rates, best, rowPassNum));
    EXPECT_EQ(page.GetPassCounts().at(0), 56);
    EXPECT_EQ(rates, (std::map<int, double>{{0, 1.0}, {1, 1.0}, {2, 1.0}, {3, 1.0}}));
    EXPECT_EQ(rowPassNum, 56);
    // drv_stg 48 alone is of no known kind: no setting is read and fabsRow 0 gives the
    // middle of the whole row (0 + 55) / 2 = 27: column 3 (90), step 27 % 8 - 3 = 0.
    ASSERT_EQ(best.size(), 4u);
    for (int byte = 0; byte < 4; ++byte) {
        EXPECT_EQ(best[static_cast<size_t>(byte)].Values(),
                  (std::array<int32_t, 7>{byte, 90, 0, 48, 0, 0, 0}));
    }
    ASSERT_NE(list->GetMergedPage(), nullptr);
    EXPECT_EQ(list->GetMergedPage()->GetName(), L"统计图");
}

TEST_F(LogScanHynixTest, PassCountDividesBy56) {
    CRecordingPrompt prompt;
    CScopedPrompt scoped(prompt);
    CLogScanHynix scan;
    // Lane 1 passes 16 cells (two columns), lane 2 none.
    scan.SetFileList({Write("a.txt", HynixLog([](int byte, int column, int) {
                                return byte == 1 ? column < 2 : byte != 2;
                            }))});
    ASSERT_TRUE(scan.Scan());
    auto list = scan.TakePageList();
    auto& page = dynamic_cast<CLogPageDDRHynix&>(*list->GetPage(0));
    std::map<int, double> rates;
    std::vector<SBestParam> best;
    int rowPassNum = 0;
    // Lane 2 passes nowhere: it is in the rates with 0 and is the weakest lane, so the
    // analysis fails instead of judging the other lanes only.
    EXPECT_FALSE(page.Analyse(rates, best, rowPassNum));
    EXPECT_DOUBLE_EQ(rates.at(1), 16.0 / 56.0);
    EXPECT_DOUBLE_EQ(rates.at(2), 0.0);
    EXPECT_EQ(rowPassNum, 0);
    EXPECT_EQ(prompt.Texts().back(), L"analyse result failed");
}

TEST_F(LogScanHynixTest, CompletenessQuestionBelow224DataLines) {
    for (const auto& [lines, asked] :
         std::vector<std::pair<int, bool>>{{224, false}, {223, true}}) {
        CRecordingPrompt prompt(true);
        CScopedPrompt scoped(prompt);
        CLogScanHynix scan;
        scan.SetFileList({Write("short.txt", HynixLog(AllPass, 48, lines))});
        EXPECT_TRUE(scan.Scan());
        if (asked) {
            ASSERT_FALSE(prompt.Records().empty());
            EXPECT_TRUE(prompt.Records()[0].question);
            EXPECT_EQ(prompt.Records()[0].text,
                      L"log文件short.txt不完整，将影响分析结果的准确性, 是否继续");
            EXPECT_EQ(prompt.Records()[0].caption, L"警告");
        } else {
            EXPECT_TRUE(prompt.Records().empty());
        }
    }
    CRecordingPrompt no(false);
    CScopedPrompt scoped(no);
    CLogScanHynix scan;
    scan.SetFileList({Write("short.txt", HynixLog(AllPass, 48, 10))});
    EXPECT_FALSE(scan.Scan());
    EXPECT_EQ(scan.GetPageList(), nullptr);
}

TEST_F(LogScanHynixTest, ForeignLogsAreListedAndAskedAboutOnce) {
    const std::wstring foreign = Write("b.txt", "Varro board\ndxn=0, drv_stg=34, sdll_phs_dly=36, "
                                                "dqs_step_dly=0, pass\n");
    const std::wstring good = Write("a.txt", HynixLog(AllPass));
    {
        CRecordingPrompt prompt(true);
        CScopedPrompt scoped(prompt);
        CLogScanHynix scan;
        scan.SetFileList({foreign, good});
        ASSERT_TRUE(scan.Scan());
        EXPECT_EQ(prompt.Texts(),
                  std::vector<std::wstring>{L"扫描失败\nFile: \"" + foreign +
                                            L"\"\n\n不是Hynix的log，跳过扫描失败文件继续分析?"});
        EXPECT_EQ(scan.GetPageList()->GetPageCount(), 1u);
    }
    {
        CRecordingPrompt prompt(false);
        CScopedPrompt scoped(prompt);
        CLogScanHynix scan;
        scan.SetFileList({foreign, good});
        EXPECT_FALSE(scan.Scan());
        EXPECT_EQ(scan.GetPageList(), nullptr);
    }
    Set(L"IsCheckLogFile", L"Enable", L"0");
    CRecordingPrompt prompt(false);
    CScopedPrompt scoped(prompt);
    CLogScanHynix scan;
    scan.SetFileList({foreign, good});
    EXPECT_TRUE(scan.Scan());
    EXPECT_TRUE(prompt.Texts().empty());
}

TEST_F(LogScanHynixTest, UnreadableHynixLogAbandonsTheScan) {
    CRecordingPrompt prompt;
    CScopedPrompt scoped(prompt);
    CLogScanHynix scan;
    // A Hynix header but no line feed anywhere.
    const std::wstring path = Write("a.txt", "HYNIX lpddr2 dxn=0 drv_stg=48 sdll_phs_dly=36 "
                                             "dqs_step_dly=0 pass");
    scan.SetFileList({path});
    EXPECT_FALSE(scan.Scan());
    EXPECT_EQ(prompt.Texts(),
              (std::vector<std::wstring>{
                  L"文件格式错误，请更改文件 " + path + L" 为windows行尾结束符(CR/LF)",
                  L"scan log file \"" + path + L"\" failed, please check log file is correct"}));
}

TEST_F(LogScanHynixTest, FabsRowOrdinalOneGivesTheSeriousErrorPerByte) {
    // drv_stg 34 makes the DDR2 kind: Row_DDR2's default 40 is ordinal 1, beyond the one row.
    CRecordingPrompt prompt;
    CScopedPrompt scoped(prompt);
    CLogScanHynix scan;
    scan.SetFileList({Write("a.txt", HynixLog(AllPass, 34))});
    ASSERT_TRUE(scan.Scan());
    auto list = scan.TakePageList();
    auto& page = dynamic_cast<CLogPageDDRHynix&>(*list->GetPage(0));
    std::map<int, double> rates;
    std::vector<SBestParam> best;
    int rowPassNum = 0;
    EXPECT_TRUE(page.Analyse(rates, best, rowPassNum)); // verdict row 34 is ordinal 0
    EXPECT_EQ(page.GetSelectedRow(), 1);
    EXPECT_TRUE(best.empty());
    EXPECT_EQ(prompt.Texts(), std::vector<std::wstring>(4, L"occur serious error: fabsRow = 1"));
    EXPECT_EQ(rowPassNum, 56);

    // Row_DDR2 = 34 selects ordinal 0 and the lanes get their best parameters again.
    Set(L"CheckRow", L"Row_DDR2", L"34");
    prompt.Clear();
    EXPECT_TRUE(page.Analyse(rates, best, rowPassNum));
    EXPECT_EQ(page.GetSelectedRow(), 0);
    EXPECT_EQ(best.size(), 4u);
    EXPECT_TRUE(prompt.Texts().empty());
}

TEST_F(LogScanHynixTest, MergeFailsACellMissingFromALaterLog) {
    CRecordingPrompt prompt(true); // log 2 has 223 lines: go on
    CScopedPrompt scoped(prompt);
    // Log 2 lacks lane 0, column 0, step -3 (its first data line); every other cell passes.
    std::string second = HynixLog(AllPass);
    const size_t first = second.find("dxn=0");
    second.erase(first, second.find('\n', first) + 1 - first);
    CLogScanHynix scan;
    scan.SetFileList({Write("1.txt", HynixLog(AllPass)), Write("2.txt", second)});
    ASSERT_TRUE(scan.Scan());
    auto list = scan.TakePageList();
    auto& merged = dynamic_cast<CLogPageDDRHynix&>(*list->GetMergedPage());
    EXPECT_FALSE(merged.CellPasses(0, 0));
    EXPECT_TRUE(merged.CellPasses(0, 1));
    CellList cells;
    ASSERT_TRUE(merged.GetCells(0, 0, {-3, 48}, cells));
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_NE(dynamic_cast<const CLogDataDDRHynix*>(cells[1]), nullptr);
    EXPECT_EQ(cells[1]->GetColor(), kColorFail);
    // A cell failing in one log fails on the merged page.
    EXPECT_TRUE(dynamic_cast<CLogPageDDRHynix&>(*list->GetPage(1)).CellPasses(0, 1));
}

TEST_F(LogScanHynixTest, ComparisonsAcceptOnlyHynixPages) {
    CLogPageDDRHynix a;
    CLogPageDDRHynix b;
    a.SetName(L"B.txt");
    b.SetName(L"a.txt");
    EXPECT_TRUE(a.IsLessByName(b));
    EXPECT_FALSE(b.IsLessByName(a));
    // Never analysed: both weakest values are 280.
    EXPECT_FALSE(a.IsLessByWeakestByte(b));
    EXPECT_FALSE(a.IsGreaterByWeakestByte(b));
}

TEST_F(LogScanHynixTest, HynixAfterDdrGivesTheSameResult) {
    auto analyse = [&] {
        CRecordingPrompt prompt;
        CScopedPrompt scoped(prompt);
        CLogScanHynix scan;
        scan.SetFileList(
            {Write("a.txt", HynixLog([](int, int column, int) { return column > 1; }))});
        EXPECT_TRUE(scan.Scan());
        auto list = scan.TakePageList();
        std::map<int, double> rates;
        std::vector<SBestParam> best;
        int rowPassNum = 0;
        (void)dynamic_cast<CLogPageDDRHynix&>(*list->GetMergedPage())
            .Analyse(rates, best, rowPassNum);
        return std::make_tuple(rates, best, rowPassNum);
    };
    const auto fresh = analyse();
    // A DDR registry left behind (31 and 34 and 40 registered) is emptied by the Hynix scan.
    GetDrvStgRegistry().Register(31);
    GetDrvStgRegistry().Register(34);
    GetDrvStgRegistry().Register(40);
    EXPECT_EQ(analyse(), fresh);
}

TEST_F(LogScanHynixTest, BundledSamples) {
    CRecordingPrompt prompt;
    CScopedPrompt scoped(prompt);
    std::vector<std::wstring> files;
    ASSERT_TRUE(FindLogFiles(
        (fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon" / "hynix").wstring(), files));
    CLogScanHynix scan;
    scan.SetFileList(files);
    ASSERT_TRUE(scan.Scan());
    EXPECT_TRUE(prompt.Texts().empty());
    auto list = scan.TakePageList();
    ASSERT_EQ(list->GetPageCount(), 3u);
    std::vector<std::wstring> conclusions;
    for (size_t i = 0; i <= list->GetPageCount(); ++i) {
        auto& page = dynamic_cast<CLogPageDDRHynix&>(i == 0 ? *list->GetMergedPage()
                                                            : *list->GetPage(i - 1));
        std::map<int, double> rates;
        std::vector<SBestParam> best;
        int rowPassNum = 0;
        (void)page.Analyse(rates, best, rowPassNum);
        CVerdictHynix verdict;
        conclusions.push_back(verdict.Judge(rates, rowPassNum) ? verdict.GetConclusion()
                                                               : verdict.GetNoVerdictText());
    }
    // The weak board fails the continuous-pass rule, and with it the statistics page.
    EXPECT_EQ(conclusions, (std::vector<std::wstring>{L"FAIL", L"PASS", L"PASS", L"FAIL"}));
}
