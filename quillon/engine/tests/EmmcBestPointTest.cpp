#include "EmmcBestPoint.h"
#include "LogPageEMMC.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace quillon;

namespace {

CEmmcCellGrid GridWithGood(int cols, int rows, int x0, int x1, int y0, int y1, bool initialGood) {
    CEmmcCellGrid grid(cols, rows, initialGood);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            grid.Set(x, y, !initialGood);
        }
    }
    return grid;
}

std::unique_ptr<CLogPageEMMC> MakePage(int pageCols, int pageRows, int subCols, int subRows,
                                       int32_t mode) {
    auto page = std::make_unique<CLogPageEMMC>();
    page->SetName(L"a.txt");
    page->SetPageSize(pageRows, pageCols);
    page->SetBlockSize(subRows, subCols);
    page->SetLogMode(mode);
    page->CreateBlocks();
    return page;
}

// Mode 1: every cell outside the rectangle carries a write-error record.
void FillErrorsOutside(CLogPageEMMC& page, int col, int row, int x0, int x1, int y0, int y1) {
    for (int y = 0; y < page.GetSubRowCount(); ++y) {
        for (int x = 0; x < page.GetSubColCount(); ++x) {
            if (x < x0 || x > x1 || y < y0 || y > y1) {
                ASSERT_TRUE(page.AddCell(col, row, x, y, kEmmcWriteError));
            }
        }
    }
}

// Mode 0: only the rectangle carries no-error records.
void FillGoodRect(CLogPageEMMC& page, int col, int row, int x0, int x1, int y0, int y1) {
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            ASSERT_TRUE(page.AddCell(col, row, x, y, kEmmcNoError));
        }
    }
}

} // namespace

TEST(EmmcBestPoint, ModeOneBlockOf231CellsHasCentre30_15) {
    auto page = MakePage(1, 1, 64, 64, 1);
    FillErrorsOutside(*page, 0, 0, 20, 40, 10, 20);
    const SEmmcBlockScore score = page->ScoreBlock(0, 0);
    EXPECT_EQ(score.nCount, 231);
    ASSERT_TRUE(score.centre);
    EXPECT_EQ((*score.centre)[0], 30);
    EXPECT_EQ((*score.centre)[1], 15);

    const auto point = page->SearchBestPoint();
    ASSERT_TRUE(point);
    EXPECT_EQ(point->Values(), (std::array<int32_t, 7>{0, 0, 30, 15, 0, 0, 231}));
    EXPECT_EQ(page->FindBlock(0, 0)->GoodCount(), 231);
}

TEST(EmmcBestPoint, ModeZeroRectangleOf15CellsHasCentre7_3) {
    auto page = MakePage(1, 1, 64, 64, 0);
    FillGoodRect(*page, 0, 0, 5, 9, 2, 4);
    const SEmmcBlockScore score = page->ScoreBlock(0, 0);
    EXPECT_EQ(score.nCount, 15);
    ASSERT_TRUE(score.centre);
    EXPECT_EQ((*score.centre)[0], 7);
    EXPECT_EQ((*score.centre)[1], 3);
}

TEST(EmmcBestPoint, ModeZeroWalkStopsAtTheFirstGap) {
    // Row 3 is shorter: the walk counts what it reaches per row and stops at a missing start.
    CEmmcCellGrid grid = GridWithGood(16, 16, 2, 6, 1, 2, false);
    grid.Set(2, 3, true);
    grid.Set(3, 3, true);
    grid.Set(2, 5, true); // beyond the gap at row 4: not reached
    grid.SetFirstGood(2, 1);
    const SEmmcBlockScore score = ScoreEmmcBlockMode0(grid);
    EXPECT_EQ(score.nCount, 5 + 5 + 2);
    ASSERT_TRUE(score.centre);
    // The highest column is the last one noted, on the last row walked (row 3 ends at 3).
    EXPECT_EQ((*score.centre)[0], (2 + 3) / 2);
    EXPECT_EQ((*score.centre)[1], (1 + 3) / 2);
}

TEST(EmmcBestPoint, ModeOneBlockWithoutRecordsScoresZero) {
    auto page = MakePage(1, 1, 64, 64, 1);
    const SEmmcBlockScore score = page->ScoreBlock(0, 0);
    EXPECT_EQ(score.nCount, 0);
    EXPECT_FALSE(score.centre);
    // Every cell good: no row run ends before the last column.
    CEmmcCellGrid grid(64, 64, true);
    EXPECT_EQ(ScoreEmmcBlockRuns(grid).nCount, 0);
}

TEST(EmmcBestPoint, RowRunsTable) {
    struct SCase {
        const char* what;
        std::vector<int> good; // good columns of one row of 10
        SEmmcRowRun expected;
    };
    const SCase cases[] = {
        {"run of three ends at a bad cell", {2, 3, 4}, {2, 4, 3}},
        {"run of two is too short", {2, 3}, {0, 0, 0}},
        {"run reaching the last column is not terminated", {7, 8, 9}, {0, 0, 0}},
        {"the first long run is taken", {0, 1, 2, 3, 5, 6, 7}, {0, 3, 4}},
        {"a short run before the long one is skipped", {0, 1, 4, 5, 6, 7}, {4, 7, 4}},
    };
    for (const SCase& c : cases) {
        CEmmcCellGrid grid(10, 1, false);
        for (int x : c.good) {
            grid.Set(x, 0, true);
        }
        EXPECT_EQ(FindEmmcRowRuns(grid)[0], c.expected) << c.what;
    }
}

TEST(EmmcBestPoint, ChainsNeedOverlapAndComparableLength) {
    const std::vector<SEmmcRowRun> runs = {
        {10, 20, 11}, {10, 20, 11}, {12, 16, 5}, // 5 is shorter than half of 11: breaks
        {12, 16, 5},  {30, 35, 6},               // no overlap: breaks
    };
    EXPECT_EQ(FindEmmcChains(runs), (std::vector<int32_t>{1, 2, 1, 2, 0}));
}

TEST(EmmcBestPoint, LeaningChainTakesTheSlantedCentre) {
    // Rows 0..5 with runs whose ends drift by 2 per row: the ends differ by more than 3, so
    // the slanted-edge rule decides.
    CEmmcCellGrid grid(64, 8, true);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool inRun = y < 6 && x >= 10 + 2 * y && x <= 30 + 2 * y;
            grid.Set(x, y, inRun);
        }
    }
    const auto runs = FindEmmcRowRuns(grid);
    ASSERT_EQ(runs[0], (SEmmcRowRun{10, 30, 21}));
    ASSERT_EQ(runs[5], (SEmmcRowRun{20, 40, 21}));
    const SEmmcBlockScore score = ScoreEmmcBlockRuns(grid);
    EXPECT_EQ(score.nCount, 6 * 21);
    ASSERT_TRUE(score.centre);
    // Rows 0..3 fail dy / r * (e_y - k) <= k + 1; row 4 has dy = 0 and decides: (k, y) = (4, 4).
    EXPECT_EQ((*score.centre)[0], 4);
    EXPECT_EQ((*score.centre)[1], 4);
}

TEST(EmmcBestPoint, LeaningChainFallsBackToTheRowBeforeTheLast) {
    // Runs 10..20, 15..29, 16..30: ends differ by 10; row 1 ends one before the last row,
    // so its dx and dy are 0 and it cannot decide; the j walk over row 1 (n = 15) does not
    // decide either, so the centre is the middle of row 1's run on the chain's middle row.
    CEmmcCellGrid grid(64, 3, false);
    const int spans[3][2] = {{10, 20}, {15, 29}, {16, 30}};
    for (int y = 0; y < 3; ++y) {
        for (int x = spans[y][0]; x <= spans[y][1]; ++x) {
            grid.Set(x, y, true);
        }
    }
    const SEmmcBlockScore score = ScoreEmmcBlockRuns(grid);
    EXPECT_EQ(score.nCount, 11 + 15 + 15);
    ASSERT_TRUE(score.centre);
    EXPECT_EQ((*score.centre)[0], 22);
    EXPECT_EQ((*score.centre)[1], 1);
}

TEST(EmmcBestPoint, RowCandidatePicksTheMiddleOfTheStrongestRun) {
    struct SCase {
        std::vector<int32_t> scores;
        SEmmcCandidate expected;
    };
    const SCase cases[] = {
        {{0, 40, 0, 0}, {1, 0, 40}},
        {{0, 0, 0, 0}, {0, 0, 0}},
        {{10, 10, 10, 0, 25}, {1, 0, 30}},                  // run 0..2 sums 30 > 25
        {{5, 5, 5, 5, 5, 5}, {2, 0, 30}},                   // the middle of the run
        {{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {4, 0, 12}}, // at most four past the start
    };
    for (const SCase& c : cases) {
        const SEmmcCandidate got = PickEmmcRowCandidate(0, c.scores);
        EXPECT_EQ(got.nCol, c.expected.nCol);
        EXPECT_EQ(got.nScore, c.expected.nScore);
    }
}

TEST(EmmcBestPoint, CandidateChoiceNeedsMoreThanFiveToReplace) {
    auto best = ChooseEmmcCandidate({{2, 1, 44}, {1, 0, 40}});
    ASSERT_TRUE(best);
    EXPECT_EQ(best->nCol, 1);
    EXPECT_EQ(best->nScore, 40);
    best = ChooseEmmcCandidate({{1, 0, 40}, {2, 1, 46}});
    ASSERT_TRUE(best);
    EXPECT_EQ(best->nCol, 2);
    EXPECT_EQ(best->nScore, 46);
    EXPECT_FALSE(ChooseEmmcCandidate({}));
    best = ChooseEmmcCandidate({{3, 0, 0}, {4, 1, 0}});
    ASSERT_TRUE(best);
    EXPECT_EQ(best->nCol, 0);
    EXPECT_EQ(best->nRow, 0);
    EXPECT_EQ(best->nScore, -5);
}

TEST(EmmcBestPoint, PageSearchCandidates40And44And46) {
    for (const auto& [rowOneHeight, expectedCol, expectedScore] :
         std::vector<std::tuple<int, int, int>>{{4, 1, 40}, {2, 2, 46}}) {
        // Row 0: block column 1 scores 40 (8 x 5). Row 1: block column 2 scores 44 (11 x 4)
        // or 46 (23 x 2).
        auto page = MakePage(4, 2, 32, 32, 0);
        FillGoodRect(*page, 1, 0, 0, 7, 0, 4);
        if (rowOneHeight == 4) {
            FillGoodRect(*page, 2, 1, 3, 13, 6, 9);
        } else {
            FillGoodRect(*page, 2, 1, 3, 25, 6, 7);
        }
        const auto point = page->SearchBestPoint();
        ASSERT_TRUE(point);
        EXPECT_EQ(point->nCol, expectedCol);
        EXPECT_EQ(point->nScore, expectedScore);
        const SLogBlock* block = page->FindBlock(point->nRow, point->nCol);
        EXPECT_EQ(point->nInCol, block->CenterCol());
        EXPECT_EQ(point->nInRow, block->CenterRow());
    }
}

TEST(EmmcBestPoint, NoPositiveCandidateGivesMinusFiveWithCentreOfBlock00) {
    auto page = MakePage(2, 2, 16, 16, 1);
    const auto point = page->SearchBestPoint();
    ASSERT_TRUE(point);
    EXPECT_EQ(point->Values(), (std::array<int32_t, 7>{0, 0, 0, 0, 0, 0, -5}));
    auto empty = MakePage(2, 0, 16, 16, 1);
    EXPECT_FALSE(empty->SearchBestPoint());
}

TEST(EmmcBestPoint, SearchingTwiceGivesTheSameCountsAndRecord) {
    auto page = MakePage(3, 2, 64, 64, 1);
    FillErrorsOutside(*page, 1, 1, 20, 40, 10, 20);
    FillErrorsOutside(*page, 2, 0, 5, 9, 2, 4);
    const auto first = page->SearchBestPoint();
    std::vector<int> counts;
    for (const auto& [key, block] : page->Blocks()) {
        counts.push_back(block.GoodCount());
    }
    const auto second = page->SearchBestPoint();
    std::vector<int> again;
    for (const auto& [key, block] : page->Blocks()) {
        again.push_back(block.GoodCount());
    }
    ASSERT_TRUE(first && second);
    EXPECT_EQ(*first, *second);
    EXPECT_EQ(counts, again);
    EXPECT_EQ(first->nRow, 1);
    EXPECT_EQ(first->nCol, 1);
    EXPECT_EQ(first->nScore, 231);
}

TEST(EmmcBestPoint, ValuesBeyondTheMaximaAreStoredButNotSearched) {
    auto page = MakePage(1, 1, 16, 16, 1);
    FillErrorsOutside(*page, 0, 0, 4, 8, 2, 3);
    // An error record beyond the block's columns does not break row 2's run.
    ASSERT_TRUE(page->AddCell(0, 0, 0x40, 2, kEmmcReadError));
    CellList cells;
    EXPECT_TRUE(page->GetCells(0, 0, {0x40, 2}, cells));
    EXPECT_EQ(page->ScoreBlock(0, 0).nCount, 10);
}

TEST(EmmcBestPoint, ModeZeroCountsOnlyNoErrorRecordsAsGood) {
    // A record with another code (a line without a flag before any match reads as code 0)
    // is not a good cell, and it is not the first good key either.
    auto page = MakePage(1, 1, 16, 16, 0);
    ASSERT_TRUE(page->AddCell(0, 0, 1, 1, kEmmcReadError));
    FillGoodRect(*page, 0, 0, 2, 4, 1, 2);
    const SEmmcBlockScore score = page->ScoreBlock(0, 0);
    EXPECT_EQ(score.nCount, 6);
    ASSERT_TRUE(score.centre);
    EXPECT_EQ((*score.centre)[0], 3);
}
