#include "ChartCellsDDR.h"
#include "ChartCellsHynix.h"
#include "DrvStgRegistry.h"
#include "HynixChartZoom.h"
#include "LogDataDDRHynix.h"
#include "LogPageDDR.h"
#include "LogPageDDRHynix.h"
#include "LogPageList.h"

#include <gtest/gtest.h>

using namespace quillon;

namespace {

// A Hynix page of one lane and columns columns (cells in the first only): step s passes when
// pass(s).
std::unique_ptr<CLogPageDDRHynix> Page(const std::wstring& name, const std::vector<int>& flags,
                                       int columns = 1) {
    auto page = std::make_unique<CLogPageDDRHynix>();
    page->SetName(name);
    page->SetPageSize(1, columns);
    page->SetBlockSize(1, 8);
    page->Finish();
    for (size_t s = 0; s < flags.size(); ++s) {
        EXPECT_TRUE(page->AddCell(36, 0, {static_cast<int>(s) - 3, 48},
                                  std::make_unique<CLogDataDDRHynix>(flags[s])));
    }
    return page;
}

} // namespace

TEST(ChartCellsHynix, MergedPageCountsFailingLogs) {
    // Step -3 fails in logs 1 and 3, step -2 passes everywhere, step -1 fails in log 2 only.
    auto a = Page(L"a.txt", {0, 1, 1});
    auto b = Page(L"b.txt", {1, 1, 0});
    auto c = Page(L"c.txt", {0, 1, 1});
    CLogPageDDRHynix merged;
    for (const auto* page : {a.get(), b.get(), c.get()}) {
        merged.MergeFrom(*page);
    }
    CChartCellsHynix cells;
    cells.Build(merged);
    ASSERT_TRUE(cells.IsMergedPage());
    EXPECT_EQ(cells.Cell(0, 0), (SChartCell{kColorFail, L"2", true}));
    EXPECT_EQ(cells.Cell(0, 1), (SChartCell{kColorPass, L"", true}));
    // A failing record keeps the cell red even when a passing one follows.
    EXPECT_EQ(cells.Cell(0, 2), (SChartCell{kColorFail, L"1", true}));
    EXPECT_EQ(cells.Cell(0, 3), (SChartCell{kColorNoData, L"", false}));
    EXPECT_EQ(cells.ColorRows(), std::vector<std::string>{"RGR....."});
    EXPECT_EQ(cells.PhaseHeader(0), L" 36");
    EXPECT_EQ(cells.StepHeader(7), L"  4");
}

TEST(ChartCellsHynix, LogPageShowsTheLastRecordWithoutText) {
    auto a = Page(L"a.txt", {1, 0}, 2);
    CChartCellsHynix cells;
    cells.Build(*a);
    EXPECT_FALSE(cells.IsMergedPage());
    EXPECT_EQ(cells.Cell(0, 1), (SChartCell{kColorFail, L"", true}));
    EXPECT_EQ(CChartCellsHynix::VarroDriveLabel(), L" 48");
    EXPECT_EQ(CChartCellsHynix::HynixDriveLabel(), L" 34");
    EXPECT_EQ(cells.PhaseHeader(8), L" -1"); // column 1 has no value
    EXPECT_TRUE(cells.PhaseHeader(16).empty()); // outside the grid, as on the DDR chart
    EXPECT_TRUE(cells.StepHeader(16).empty());
}

TEST(ChartCellsHynix, ZoomStepsAndLimits) {
    CHynixChartZoom zoom;
    std::vector<int> rows(10, 36);
    std::vector<int> cols(20, 36);
    ASSERT_TRUE(zoom.Zoom(1, rows, cols));
    EXPECT_EQ(zoom.Value(), 101);
    EXPECT_EQ(rows[3], 37);
    EXPECT_EQ(rows[2], 36);
    EXPECT_EQ(cols[0], 38);
    EXPECT_EQ(cols[1], 90);
    EXPECT_EQ(cols[2], 91);
    EXPECT_EQ(cols[5], 37);
    int resized = 0;
    for (int i = 0; i < 20; ++i) {
        resized += zoom.Zoom(1, rows, cols) ? 1 : 0;
    }
    EXPECT_EQ(zoom.Value(), 120);
    EXPECT_EQ(resized, 19);
    EXPECT_EQ(rows[3], 56);
}

TEST(ChartCellsHynix, ShareNamesTheLogsThatFailedACell) {
    CLogPageList list;
    list.AddPage(Page(L"a.txt", {0, 1, 1}));
    list.AddPage(Page(L"b.txt", {1, 1, 0}));
    list.AddPage(Page(L"c.txt", {0, 1}));
    ASSERT_TRUE(list.BuildMergedPage());
    CChartCellsHynix cells;
    cells.Build(*list.GetMergedPage());
    EXPECT_EQ(cells.Share(list, 0, 0).m_vecFailedLogs,
              (std::vector<std::wstring>{L"a.txt", L"c.txt"}));
    EXPECT_EQ(cells.Share(list, 0, 1).m_nPassed, 3);
    // Step -1 is missing in log c: the merge failed it there.
    const SPassShare missing = cells.Share(list, 0, 2);
    EXPECT_EQ(missing.m_nLogs, 3);
    EXPECT_EQ(missing.m_vecFailedLogs, (std::vector<std::wstring>{L"b.txt", L"c.txt"}));
    EXPECT_EQ(cells.Share(list, 0, 3), SPassShare{});
}

// The chart strings of both DDR-grid charts say what the chart shows: a cell drawn white,
// with or without records, is '.'.
TEST(ChartColorLetter, OneRuleForDdrAndHynixCharts) {
    const struct {
        SChartCell cell;
        char letter;
    } cases[] = {
        {{kColorNoData, L"", false}, '.'}, {{kColorNoData, L"", true}, '.'},
        {{kColorPass, L"", true}, 'G'},    {{kColorFail, L"2", true}, 'R'},
        {{0x00FFFF, L"", true}, '?'},      {{kColorPass, L"", false}, '.'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChartColorLetter(c.cell), c.letter);
    }
    // A record whose flag is neither pass nor fail is drawn white.
    auto hynix = Page(L"a.txt", {1, 2});
    CChartCellsHynix hynixChart;
    hynixChart.Build(*hynix);
    EXPECT_EQ(hynixChart.Cell(0, 1), (SChartCell{kColorNoData, L"", true}));
    EXPECT_EQ(hynixChart.ColorRow(0), "G.......");

    CLogPageDDR ddr;
    ddr.SetName(L"a.txt");
    ddr.SetPageSize(1, 1);
    ddr.SetBlockSize(1, 8);
    GetDrvStgRegistry().Clear();
    GetDrvStgRegistry().Register(48);
    ASSERT_TRUE(ddr.AddCell(36, 0, {-3, 48}, 1));
    ASSERT_TRUE(ddr.AddCell(36, 0, {-2, 48}, 2));
    ddr.Finish();
    CChartCellsDDR ddrChart;
    ddrChart.Build(ddr);
    EXPECT_EQ(ddrChart.Cell(0, 1), (SChartCell{kColorNoData, L"", true}));
    EXPECT_EQ(ddrChart.ColorRow(0), hynixChart.ColorRow(0));
}
