#include "ChartCellsEMMC.h"
#include "EmmcChartZoom.h"
#include "LogPageEMMC.h"
#include "MergePageEMMCModel.h"

#include <gtest/gtest.h>

using namespace quillon;

namespace {

std::unique_ptr<CLogPageEMMC> Page(const std::wstring& name, int32_t mode) {
    auto page = std::make_unique<CLogPageEMMC>();
    page->SetName(name);
    page->SetPageSize(2, 2);
    page->SetBlockSize(4, 4);
    page->SetLogMode(mode);
    page->CreateBlocks();
    return page;
}

} // namespace

TEST(ChartCellsEMMC, MergedCellShowsOneLetterPerLog) {
    auto a = Page(L"a.txt", 1);
    auto b = Page(L"b.txt", 1);
    auto c = Page(L"c.txt", 1);
    ASSERT_TRUE(a->AddCell(1, 0, 2, 3, kEmmcWriteError));
    ASSERT_TRUE(b->AddCell(1, 0, 2, 3, kEmmcWriteError));
    ASSERT_TRUE(c->AddCell(1, 0, 2, 3, kEmmcReadError));
    CLogPageEMMC merged;
    for (const auto* page : {a.get(), b.get(), c.get()}) {
        merged.MergeFrom(*page);
    }
    const SChartCell cell = CChartCellsEMMC::Cell(merged, 1, 0, 2, 3);
    EXPECT_EQ(cell, (SChartCell{0x0000FF, L"WWR", true}));
    EXPECT_EQ(CChartCellsEMMC::Cell(merged, 1, 0, 2, 2), (SChartCell{kColorNoData, L"", false}));
    std::vector<SEmmcChartCell> cells;
    CChartCellsEMMC::ForEachCell(merged, [&](const SEmmcChartCell& c) { cells.push_back(c); });
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(cells[0].nCol, 1);
    EXPECT_EQ(cells[0].nRow, 0);
    EXPECT_EQ(cells[0].nInCol, 2);
    EXPECT_EQ(cells[0].nInRow, 3);
    EXPECT_EQ(cells[0].strText, L"WWR");
}

TEST(ChartCellsEMMC, Headers) {
    EXPECT_EQ(CChartCellsEMMC::ColumnHeader(L"PCLK", 0x2), L"PCLK 0x2");
    EXPECT_EQ(CChartCellsEMMC::RowHeader(L"PDATA", 0x1F), L"PDATA 0x1F");
    EXPECT_EQ(CChartCellsEMMC::InBlockHeader(0x3F), L"0x3F");
}

TEST(ChartCellsEMMC, ZoomLimits) {
    CEmmcChartZoom zoom;
    std::vector<int> rows(6, 35);
    std::vector<int> cols(6, 35);
    EXPECT_TRUE(zoom.Zoom(-1, rows, cols));
    EXPECT_EQ(rows[3], 34);
    EXPECT_EQ(cols[1], 35);
    EXPECT_EQ(cols[2], 34);
    EXPECT_FALSE(zoom.Zoom(-40, rows, cols));
    EXPECT_EQ(zoom.Value(), 65);
    EXPECT_EQ(rows[3], 34);
    EXPECT_FALSE(zoom.Zoom(80, rows, cols));
    EXPECT_EQ(zoom.Value(), 135);
}

TEST(ChartCellsEMMC, RecommendedValuesAndTheirReadBack) {
    CMergePageEMMCModel model;
    EXPECT_EQ(model.Label(CMergePageEMMCModel::kRow), L"行参数名:");
    EXPECT_TRUE(model.GetRecords().empty());
    SEmmcBestPoint point;
    point.nRow = 1;
    point.nCol = 2;
    point.nInCol = 0x20;
    point.nInRow = 0x10;
    point.nScore = 231;
    model.Init({point}, L"PDATA", L"PCLK", L"WRDL", L"RPOS");
    EXPECT_EQ(model.Value(CMergePageEMMCModel::kRow), L"0x1");
    EXPECT_EQ(model.Value(CMergePageEMMCModel::kCol), L"0x2");
    EXPECT_EQ(model.Value(CMergePageEMMCModel::kInRow), L"0x10");
    EXPECT_EQ(model.Value(CMergePageEMMCModel::kInCol), L"0x20");
    EXPECT_EQ(model.Label(CMergePageEMMCModel::kInRow), L"WRDL");
    model.SetValue(CMergePageEMMCModel::kInCol, L"3f"); // edited without the prefix
    model.SetValue(CMergePageEMMCModel::kRow, L"0x3");
    const auto records = model.GetRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Values(), (std::array<int32_t, 7>{3, 2, 0x3F, 0x10, 0, 0, 231}));
}
