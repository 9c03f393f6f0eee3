#include "ChartCellsDDR.h"

#include "DrvStgRegistry.h"
#include "LaneSwapMap.h"
#include "LogDataDDR.h"
#include "LogPageDDR.h"
#include "LogPageList.h"
#include "SettingsFile.h"
#include "SettingsFileScope.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include <unistd.h>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

constexpr int kPhases[] = {36, 54, 72, 90, 108, 126, 144};

// A page of 4 lanes, 7 columns, 2 drive strengths (34, 40) and 8 sub-columns; pass(lane,
// ordinal, position) decides every cell, and skip(...) leaves a cell out.
template <typename Pass, typename Skip>
std::unique_ptr<CLogPageDDR> MakePage(const std::wstring& name, Pass pass, Skip skip) {
    auto page = std::make_unique<CLogPageDDR>();
    page->SetName(name);
    page->SetPageSize(4, 7);
    page->SetBlockSize(2, 8);
    const int drives[] = {34, 40};
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 7; ++c) {
            for (int s = 0; s < 8; ++s) {
                for (int lane = 0; lane < 4; ++lane) {
                    if (skip(lane, r, c * 8 + s)) {
                        continue;
                    }
                    EXPECT_TRUE(page->AddCell(
                        kPhases[c], lane, CellKey(s - 3, drives[r]),
                        std::make_unique<CLogDataDDR>(pass(lane, r, c * 8 + s) ? 1 : 0)));
                }
            }
        }
    }
    page->Finish();
    return page;
}

auto NoSkip = [](int, int, int) { return false; };

class ChartCellsDDRTest : public testsupport::CSettingsFileTest {
protected:
    void SetUp() override {
        GetLaneSwapMap().SetIdentity();
        CDrvStgRegistry& registry = GetDrvStgRegistry();
        registry.Clear();
        registry.Register(34);
        registry.Register(40);
    }
    void TearDown() override {
        GetLaneSwapMap().SetIdentity();
    }
    void SwapLanes(const char* lanes) {
        std::ofstream ini(m_dir / "Quillon.ini", std::ios::binary);
        ini << "[SwapByte]\n";
        for (int i = 0; i < 4; ++i) {
            ini << "MemByte" << i << "=ChipByte" << lanes[i] << "\n";
        }
        ini.close();
        GetLaneSwapMap().Rebuild();
    }

    CRecordingPrompt m_prompt;
    CScopedPrompt m_scope{m_prompt};
};

} // namespace

TEST_F(ChartCellsDDRTest, LogPageShowsRecordColoursAndWhiteGaps) {
    // Lane 1 passes from position 10 to 40 at 34 ohm; lane 2 has no cells at position 5.
    auto page = MakePage(
        L"a.txt", [](int lane, int r, int p) { return lane == 1 && r == 0 && p >= 10 && p <= 40; },
        [](int lane, int, int p) { return lane == 2 && p == 5; });
    CChartCellsDDR chart;
    chart.Build(*page);
    ASSERT_EQ(chart.DataRowCount(), 8);
    ASSERT_EQ(chart.DataColCount(), 56);
    EXPECT_FALSE(chart.IsMergedPage());

    const auto rows = chart.ColorRows();
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[2], std::string(10, 'R') + std::string(31, 'G') + std::string(15, 'R'));
    EXPECT_EQ(rows[3], std::string(56, 'R'));
    EXPECT_EQ(rows[4][5], '.');
    EXPECT_EQ(rows[5][5], '.');
    EXPECT_EQ(chart.Cell(4, 5), SChartCell{});
    EXPECT_EQ(chart.Cell(2, 10).m_nColor, kColorPass);
    EXPECT_TRUE(chart.Cell(2, 10).m_strText.empty());
    // Outside the grid: a white empty cell.
    EXPECT_EQ(chart.Cell(8, 0), SChartCell{});
    EXPECT_EQ(chart.Cell(0, 56), SChartCell{});
}

TEST_F(ChartCellsDDRTest, SeveralRecordsOfAKeyShowTheLastOnesColour) {
    auto page = MakePage(
        L"a.txt", [](int, int, int) { return true; }, NoSkip);
    // A repeated data line that failed: the last record decides the colour.
    ASSERT_TRUE(page->AddCell(36, 0, CellKey(-3, 34), std::make_unique<CLogDataDDR>(0)));
    ASSERT_TRUE(page->AddCell(54, 0, CellKey(-3, 34), std::make_unique<CLogDataDDR>(0)));
    ASSERT_TRUE(page->AddCell(54, 0, CellKey(-3, 34), std::make_unique<CLogDataDDR>(1)));
    CChartCellsDDR chart;
    chart.Build(*page);
    EXPECT_EQ(chart.Cell(0, 0).m_nColor, kColorFail);
    EXPECT_EQ(chart.Cell(0, 8).m_nColor, kColorPass);
}

TEST_F(ChartCellsDDRTest, MergedPageCountsTheFailedLogs) {
    // Position 20 of lane 0 at 34 ohm: pass, fail, pass. Position 30: missing in log 2.
    // Position 40: missing in log 1, passing in logs 2 and 3.
    CLogPageList list;
    list.AddPage(MakePage(
        L"a.txt", [](int, int, int) { return true; },
        [](int lane, int r, int p) { return lane == 0 && r == 0 && p == 40; }));
    list.AddPage(MakePage(
        L"b.txt", [](int lane, int r, int p) { return !(lane == 0 && r == 0 && p == 20); },
        [](int lane, int r, int p) { return lane == 0 && r == 0 && p == 30; }));
    list.AddPage(MakePage(
        L"c.txt", [](int, int, int) { return true; }, NoSkip));
    ASSERT_TRUE(list.BuildMergedPage());

    CChartCellsDDR chart;
    chart.Build(*list.GetMergedPage());
    EXPECT_TRUE(chart.IsMergedPage());
    EXPECT_EQ(chart.Cell(0, 20).m_strText, L"1");
    EXPECT_EQ(chart.Cell(0, 20).m_nColor, kColorFail);
    EXPECT_EQ(chart.Cell(0, 30).m_strText, L"1");
    EXPECT_EQ(chart.Cell(0, 30).m_nColor, kColorFail);
    EXPECT_EQ(chart.Cell(0, 40).m_strText, L"0");
    EXPECT_EQ(chart.Cell(0, 40).m_nColor, kColorPass);
    EXPECT_EQ(chart.Cell(0, 0).m_strText, L"0");
    const auto texts = chart.TextRows();
    ASSERT_EQ(texts.size(), 8u);
    EXPECT_EQ(texts[0][20], L"1");
    EXPECT_EQ(texts[7][55], L"0");
}

TEST_F(ChartCellsDDRTest, MergedPageOfOneLogHasItsPattern) {
    auto pass = [](int lane, int r, int p) { return (lane + r + p) % 3 != 0; };
    CLogPageList list;
    list.AddPage(MakePage(L"a.txt", pass, NoSkip));
    ASSERT_TRUE(list.BuildMergedPage());
    CChartCellsDDR log;
    log.Build(*list.GetPage(0));
    CChartCellsDDR merged;
    merged.Build(*list.GetMergedPage());
    EXPECT_EQ(merged.ColorRows(), log.ColorRows());
}

TEST_F(ChartCellsDDRTest, ChartLaneShowsTheSwappedByte) {
    SwapLanes("1023");
    auto page = MakePage(
        L"a.txt", [](int lane, int, int) { return lane == 1; }, NoSkip);
    CChartCellsDDR chart;
    chart.Build(*page);
    EXPECT_EQ(chart.ColorRows()[0], std::string(56, 'G')); // lane 0 shows byte 1
    EXPECT_EQ(chart.ColorRows()[2], std::string(56, 'R'));
}

TEST_F(ChartCellsDDRTest, BuildingDoesNotChangeThePage) {
    auto page = std::make_unique<CLogPageDDR>();
    page->SetPageSize(4, 7);
    page->SetBlockSize(2, 8);
    ASSERT_TRUE(page->AddCell(36, 0, CellKey(-3, 34), std::make_unique<CLogDataDDR>(1)));
    const size_t blocks = page->Blocks().size();
    CChartCellsDDR chart;
    chart.Build(*page);
    EXPECT_EQ(page->Blocks().size(), blocks);
    EXPECT_EQ(chart.ColorRows()[0], "G" + std::string(55, '.'));
}

TEST_F(ChartCellsDDRTest, HeaderTexts) {
    auto page = MakePage(
        L"a.txt", [](int, int, int) { return true; }, NoSkip);
    CChartCellsDDR chart;
    chart.Build(*page);
    EXPECT_EQ(chart.PhaseHeader(0), L" 36");
    EXPECT_EQ(chart.PhaseHeader(55), L"144");
    EXPECT_EQ(chart.StepHeader(0), L" -3");
    EXPECT_EQ(chart.StepHeader(15), L"  4");
    EXPECT_EQ(CChartCellsDDR::LaneLabel(2), L"  2");
    EXPECT_EQ(chart.DriveLabel(0), L" 34");
    EXPECT_EQ(chart.DriveLabel(3), L" 40");
    EXPECT_TRUE(chart.PhaseHeader(56).empty());
}

namespace {

SBestParam BestRun(int byte, int drv, int start, int end) {
    SBestParam r;
    r.m_nByte = byte;
    r.m_nDrvStg = drv;
    r.m_nRunStart = start;
    r.m_nRunEnd = end;
    return r;
}

} // namespace

TEST_F(ChartCellsDDRTest, BestRunMarksTheRunAndItsMiddle) {
    auto page = MakePage(
        L"a.txt", [](int, int, int) { return true; }, NoSkip);
    CChartCellsDDR chart;
    chart.Build(*page);
    const auto marks = chart.BestRunMarks({{1, BestRun(1, 40, 7, 9)}});
    const std::vector<SBestRunMark> expected = {{3, 7, kColorBestRun},
                                                {3, 8, kColorBestRun},
                                                {3, 9, kColorBestRun},
                                                {3, 8, kColorBestMiddle}};
    EXPECT_EQ(marks, expected);
}

TEST_F(ChartCellsDDRTest, BestRunMarksFollowTheSwapAndSkipWhatIsOutside) {
    SwapLanes("1023");
    auto page = MakePage(
        L"a.txt", [](int, int, int) { return true; }, NoSkip);
    CChartCellsDDR chart;
    chart.Build(*page);
    const std::map<int, SBestParam> best = {
        {0, BestRun(0, 34, 50, 60)}, // shown on lane 1; columns 56 .. 60 lie outside
        {1, BestRun(1, 34, 1, 0)},   // no pass: only the middle (0) is marked, on lane 0
        {2, BestRun(2, 31, 0, 10)},  // 31 is not a drive strength of the scan
    };
    const auto marks = chart.BestRunMarks(best);
    std::vector<SBestRunMark> expected = {{0, 0, kColorBestMiddle}};
    for (int col = 50; col <= 55; ++col) {
        expected.push_back({2, col, kColorBestRun});
    }
    expected.push_back({2, 55, kColorBestMiddle});
    EXPECT_EQ(marks, expected);
}

TEST_F(ChartCellsDDRTest, ShareOfAChartCellFollowsTheSwappedLaneAndTheDriveRow) {
    // Lane 1 (shown as chart lane 0), 40 ohm, position 9: fails in log b only.
    SwapLanes("1023");
    auto fails = [](int lane, int r, int p) { return !(lane == 1 && r == 1 && p == 9); };
    CLogPageList list;
    list.AddPage(MakePage(L"a.txt", [](int, int, int) { return true; }, NoSkip));
    list.AddPage(MakePage(L"b.txt", fails, NoSkip));
    list.AddPage(MakePage(L"c.txt", [](int, int, int) { return true; }, NoSkip));
    ASSERT_TRUE(list.BuildMergedPage());
    CChartCellsDDR chart;
    chart.Build(*list.GetMergedPage());
    ASSERT_EQ(chart.Cell(1, 9).m_strText, L"1"); // chart row 1: lane 0, ordinal 1
    const SPassShare share = chart.Share(list, 1, 9);
    EXPECT_EQ(share.m_nLogs, 3);
    EXPECT_EQ(share.m_nPassed, 2);
    EXPECT_EQ(share.m_vecFailedLogs, std::vector<std::wstring>{L"b.txt"});
    EXPECT_EQ(PassShareToolTip(share), L"passed in 2 of 3 logs (67 %)\nfailed in:\nb.txt");
    EXPECT_EQ(chart.Share(list, 3, 9).m_nPassed, 3); // byte 0 at chart lane 1 passes
    EXPECT_EQ(chart.Share(list, 0, 9).m_vecFailedLogs, std::vector<std::wstring>{});
    EXPECT_EQ(chart.Share(list, 8, 0), SPassShare{}); // outside the grid
    EXPECT_EQ(chart.Share(list, 0, 56), SPassShare{});
}
