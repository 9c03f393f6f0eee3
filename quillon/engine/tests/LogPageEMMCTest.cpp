#include "ChartCellsEMMC.h"
#include "LogPageDDRHynix.h"
#include "LogPageEMMC.h"

#include <gtest/gtest.h>

using namespace quillon;

namespace {

std::unique_ptr<CLogPageEMMC> Page(int32_t mode) {
    auto page = std::make_unique<CLogPageEMMC>();
    page->SetName(L"a.txt");
    page->SetPageSize(2, 2);
    page->SetBlockSize(8, 8);
    page->SetLogMode(mode);
    page->CreateBlocks();
    return page;
}

std::wstring Letters(const CellList& list) {
    std::wstring text;
    for (const CLogDataBase* record : list) {
        text += EmmcRecordLetter(dynamic_cast<const CLogDataEMMC&>(*record).GetErrorCode());
    }
    return text;
}

std::vector<CellKey> Keys(const CLogPageEMMC& page, int col, int row) {
    std::vector<CellKey> keys;
    page.VisitCells(col, row,
                    [&](const CellKey& key, CLogDataBase* const*, size_t) { keys.push_back(key); });
    return keys;
}

} // namespace

TEST(LogPageEMMC, CellsArriveInAnyOrderAndReadInKeyOrder) {
    // Lines come row by row (in-block row outer), keys sort by in-block column first; a key
    // that occurs twice keeps its records in arrival order.
    auto page = Page(1);
    ASSERT_TRUE(page->AddCell(1, 0, 2, 0, kEmmcWriteError));
    ASSERT_TRUE(page->AddCell(1, 0, 0, 1, kEmmcReadError));
    ASSERT_TRUE(page->AddCell(1, 0, 2, 0, kEmmcCheckError));
    ASSERT_TRUE(page->AddCell(1, 0, 0, 0, kEmmcReadError));
    EXPECT_FALSE(page->AddCell(2, 0, 0, 0, kEmmcReadError)); // no block (2, 0)
    EXPECT_EQ(page->GetRecordCount(), 4u);
    EXPECT_EQ(Keys(*page, 1, 0), (std::vector<CellKey>{{0, 0}, {0, 1}, {2, 0}}));
    EXPECT_EQ(Letters(page->CellRecords(1, 0, 2, 0)), L"WC");
    EXPECT_TRUE(page->CellRecords(1, 0, 5, 5).empty());

    // The block map a caller asks for holds the same cells.
    const SLogBlock* block = page->FindBlock(0, 1);
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(block->Cells().KeyCount(), 3u);
    EXPECT_EQ(Letters(block->MakeMap().at({2, 0})), L"WC");
    EXPECT_EQ(block->SubColCount(), 8);
    // Cells added afterwards go to the map and are seen by every reader.
    ASSERT_TRUE(page->AddCell(1, 0, 1, 0, kEmmcWriteError));
    EXPECT_EQ(Keys(*page, 1, 0), (std::vector<CellKey>{{0, 0}, {0, 1}, {1, 0}, {2, 0}}));
    CellList cells;
    EXPECT_TRUE(page->GetCells(0, 1, {1, 0}, cells));
    EXPECT_EQ(Letters(cells), L"W");
    SLogBlock copy;
    EXPECT_TRUE(page->GetBlock(0, 1, copy));
    EXPECT_EQ(copy.Cells().KeyCount(), 4u);
    EXPECT_FALSE(page->GetBlock(5, 5, copy));
}

TEST(LogPageEMMC, ReadersAgreeBeforeAndAfterTheMapIsFilled) {
    auto page = Page(0);
    for (int y = 3; y >= 0; --y) {
        for (int x = 0; x < 4; ++x) {
            ASSERT_TRUE(page->AddCell(0, 1, x, y, kEmmcNoError));
        }
    }
    const SEmmcBlockScore compact = page->ScoreBlock(0, 1);
    SChartCell chart = CChartCellsEMMC::Cell(*page, 0, 1, 3, 3);
    (void)page->FindBlock(1, 0);
    const SEmmcBlockScore mapped = page->ScoreBlock(0, 1);
    EXPECT_EQ(compact.nCount, 16);
    EXPECT_EQ(mapped.nCount, 16);
    EXPECT_EQ(compact.centre, mapped.centre);
    EXPECT_EQ(CChartCellsEMMC::Cell(*page, 0, 1, 3, 3), chart);
    EXPECT_EQ(chart.m_nColor, 0x00FF00u);
}

TEST(LogPageEMMC, MergedPageSharesTheLogRecordsAndClearEmptiesEverything) {
    auto a = Page(1);
    ASSERT_TRUE(a->AddCell(0, 0, 1, 1, kEmmcWriteError));
    auto merged = a->CreateMergePage();
    merged->MergeFrom(*a);
    EXPECT_EQ(merged->GetName(), L"统计图");
    CellList fromLog;
    CellList fromMerged;
    ASSERT_TRUE(a->GetCells(0, 0, {1, 1}, fromLog));
    ASSERT_TRUE(merged->GetCells(0, 0, {1, 1}, fromMerged));
    EXPECT_EQ(fromLog, fromMerged);
    merged.reset(); // freed before the page, as the page list does
    a->Clear();
    EXPECT_EQ(a->GetRecordCount(), 0u);
    EXPECT_TRUE(a->CellRecords(0, 0, 1, 1).empty());
    EXPECT_NE(a->FindBlock(0, 0), nullptr); // the blocks stay
}

TEST(LogPageEMMC, ModeZeroMergeOverThreeLogs) {
    // Log 1 has (1,0) and (2,0); log 2 has (2,0) and (3,0); log 3 has (1,0).
    auto one = Page(0);
    auto two = Page(0);
    auto three = Page(0);
    ASSERT_TRUE(one->AddCell(0, 0, 1, 0, kEmmcNoError));
    ASSERT_TRUE(one->AddCell(0, 0, 2, 0, kEmmcNoError));
    ASSERT_TRUE(two->AddCell(0, 0, 2, 0, kEmmcNoError));
    ASSERT_TRUE(two->AddCell(0, 0, 3, 0, kEmmcNoError));
    ASSERT_TRUE(three->AddCell(0, 0, 1, 0, kEmmcNoError));
    CLogPageEMMC merged;
    merged.MergeFrom(*one);
    merged.MergeFrom(*two);
    merged.MergeFrom(*three);
    EXPECT_EQ(Letters(merged.CellRecords(0, 0, 1, 0)), L"Y-Y");
    EXPECT_EQ(Letters(merged.CellRecords(0, 0, 2, 0)), L"YY-");
    EXPECT_EQ(Letters(merged.CellRecords(0, 0, 3, 0)), L"-Y-");
    EXPECT_EQ(merged.GetMergedLogCount(), 3);
    // Every cell of the merged page has one record per log.
    merged.VisitCells(
        0, 0, [](const CellKey&, CLogDataBase* const*, size_t count) { EXPECT_EQ(count, 3u); });
}

TEST(LogPageEMMC, OtherPageClassesAreNeitherMergedNorCompared) {
    CLogPageEMMC merged;
    CLogPageDDRHynix hynix;
    hynix.SetName(L"a.txt");
    hynix.SetPageSize(1, 1);
    merged.SetName(L"b.txt");
    merged.MergeFrom(hynix);
    merged.MergeFrom(merged);
    EXPECT_EQ(merged.GetMergedLogCount(), 0);
    EXPECT_EQ(merged.GetName(), L"b.txt");
    EXPECT_FALSE(merged.IsLessByName(hynix));
    EXPECT_FALSE(merged.IsLessByWeakestByte(hynix));
    EXPECT_FALSE(merged.IsGreaterByWeakestByte(hynix));
    CLogPageEMMC c;
    c.SetName(L"C.txt");
    EXPECT_TRUE(c.IsLessByName(merged));           // upper case sorts before lower case
    EXPECT_TRUE(c.IsGreaterByWeakestByte(merged)); // eMMC: every sort orders by name
}
