#include "GridGeometry.h"
#include "GridPrint.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// 10 rows x 8 columns, 1 fixed row and 1 fixed column, rows 20 high, columns 50 wide.
CGridGeometry MakeGrid(int rows = 10, int cols = 8, int fixedRows = 1, int fixedCols = 1) {
    CGridGeometry g;
    g.SetRowCount(rows, 20);
    g.SetColumnCount(cols, 50);
    g.SetFixedRowCount(fixedRows, 20);
    g.SetFixedColumnCount(fixedCols, 50);
    return g;
}

} // namespace

TEST(GridGeometry, ShrinkingBelowTheFixedCountLowersIt) {
    CGridGeometry g = MakeGrid(10, 8, 3, 4);
    g.SetRowCount(2, 20);
    g.SetColumnCount(1, 50);
    EXPECT_EQ(g.GetFixedRowCount(), 2);
    EXPECT_EQ(g.GetFixedColumnCount(), 1);
    EXPECT_EQ(g.GetRowCount(), 2);
    EXPECT_EQ(g.GetColumnCount(), 1);
}

TEST(GridGeometry, FixedCountGrowsTheGrid) {
    CGridGeometry g;
    g.SetFixedRowCount(3, 17);
    g.SetFixedColumnCount(2, 33);
    EXPECT_EQ(g.GetRowCount(), 3);
    EXPECT_EQ(g.GetColumnCount(), 2);
    EXPECT_EQ(g.GetRowHeight(2), 17);
    EXPECT_EQ(g.GetColumnWidth(1), 33);
}

TEST(GridGeometry, OffsetsFollowSizeChanges) {
    CGridGeometry g = MakeGrid();
    EXPECT_EQ(g.GetRowTop(3), 60);
    EXPECT_EQ(g.GetColumnLeft(3), 150);
    g.SetRowHeight(1, 5);
    g.SetColumnWidth(0, 10);
    EXPECT_EQ(g.GetRowTop(3), 45);
    EXPECT_EQ(g.GetColumnLeft(3), 110);
    EXPECT_EQ(g.GetTotalHeight(), 9 * 20 + 5);
    EXPECT_EQ(g.GetFixedWidth(), 10);
    EXPECT_FALSE(g.SetRowHeight(10, 4)); // outside
    EXPECT_EQ(g.GetRowHeight(-1), 0);
}

TEST(GridGeometry, HitTestKeepsFixedCellsStillWhileScrolling) {
    CGridGeometry g = MakeGrid(100, 100);
    g.SetViewportSize(300, 200);
    g.SetScrollPos(120, 45); // 2 columns + 20 px, 2 rows + 5 px
    struct Case {
        QPoint point;
        SCellId cell;
    } cases[] = {
        {{10, 10}, {0, 0}},  // corner
        {{60, 10}, {0, 3}},  // fixed row, scrolled columns: 60 + 120 = 180 -> column 3
        {{10, 25}, {3, 0}},  // fixed column, scrolled rows: 25 + 45 = 70 -> row 3
        {{50, 20}, {3, 3}},  // first scrolled pixel: column 3 (170), row 3 (65)
        {{-1, 5}, {-1, -1}}, // outside
    };
    for (const Case& c : cases) {
        const SCellId hit = g.HitTest(c.point);
        EXPECT_EQ(hit.nRow, c.cell.nRow) << c.point.x() << "," << c.point.y();
        EXPECT_EQ(hit.nCol, c.cell.nCol) << c.point.x() << "," << c.point.y();
    }
    const QRect rect = g.GetCellRect(3, 3);
    EXPECT_EQ(rect, QRect(150 - 120, 60 - 45, 50, 20));
    EXPECT_EQ(g.GetCellRect(0, 3).top(), 0);  // fixed row does not scroll vertically
    EXPECT_EQ(g.GetCellRect(3, 0).left(), 0); // fixed column does not scroll horizontally
}

TEST(GridGeometry, HitTestSkipsHiddenRowsAndPastTheEnd) {
    CGridGeometry g = MakeGrid(5, 5, 0, 0);
    g.SetRowHeight(1, 0);
    g.SetViewportSize(1000, 1000);
    EXPECT_EQ(g.HitTest({5, 20}).nRow, 2); // row 1 has no height
    EXPECT_FALSE(g.HitTest({5, 100}).IsValid());
    EXPECT_FALSE(g.HitTest({250, 5}).IsValid());
}

TEST(GridGeometry, ScrollRangeAndClamping) {
    CGridGeometry g = MakeGrid(100, 100);
    g.SetViewportSize(300, 200);
    // 99 scrolled rows of 20 = 1980 px into 180 px of room.
    EXPECT_EQ(g.GetMaxScrollY(), 1980 - 180);
    EXPECT_EQ(g.GetMaxScrollX(), 99 * 50 - 250);
    g.SetScrollPos(-5, 1 << 30);
    EXPECT_EQ(g.GetScrollX(), 0);
    EXPECT_EQ(g.GetScrollY(), g.GetMaxScrollY());
    // Shrinking the grid pulls the scroll position back.
    g.SetRowCount(5, 20);
    EXPECT_EQ(g.GetScrollY(), 0);
}

TEST(GridGeometry, ScrollRowsMovesByWholeRows) {
    CGridGeometry g = MakeGrid(100, 10);
    g.SetViewportSize(300, 200);
    g.ScrollRows(3);
    EXPECT_EQ(g.GetScrollY(), 60);
    g.SetScrollPos(0, 65); // row 4 partly hidden at the top
    g.ScrollRows(-1);
    EXPECT_EQ(g.GetScrollY(), 60); // back to the top of that row
    g.ScrollRows(-10);
    EXPECT_EQ(g.GetScrollY(), 0);
    g.ScrollRows(1000);
    EXPECT_EQ(g.GetScrollY(), g.GetMaxScrollY());
    g.SetScrollPos(0, 0);
    g.ScrollColumns(2);
    EXPECT_EQ(g.GetScrollX(), 100);
}

TEST(GridGeometry, VisibleRangeCoversOnlyTheViewport) {
    CGridGeometry g = MakeGrid(1000, 1000);
    g.SetViewportSize(300, 200);
    g.SetScrollPos(510, 300);
    const CCellRange visible = g.GetVisibleNonFixedRange();
    // Scrolled columns start at 50 + 510 = 560 -> column 11; last pixel 299 + 510 = 809 -> 16.
    // Rows: 20 + 300 = 320 -> row 16; 199 + 300 = 499 -> row 24.
    EXPECT_EQ(visible, CCellRange(16, 11, 24, 16));
    const CCellRange full = g.GetFullyVisibleNonFixedRange();
    EXPECT_EQ(full.GetMaxCol(), 15); // column 16 is cut at the right edge
    EXPECT_EQ(full.GetMaxRow(), 24); // row 24 ends exactly at the bottom
}

TEST(GridGeometry, EnsureVisibleScrollsTheLeastDistance) {
    CGridGeometry g = MakeGrid(100, 100);
    g.SetViewportSize(300, 200);
    g.EnsureVisible(20, 10);
    // Row 20 bottom at 420 - 20 (fixed) = 400 must end at 180 px of room: scroll 220.
    EXPECT_EQ(g.GetScrollY(), 400 - 180);
    EXPECT_EQ(g.GetScrollX(), 500 - 250);
    g.EnsureVisible(2, 2);
    EXPECT_EQ(g.GetScrollY(), 20);
    EXPECT_EQ(g.GetScrollX(), 50);
    g.EnsureVisible(0, 0); // fixed cells never scroll
    EXPECT_EQ(g.GetScrollY(), 20);
}

TEST(GridGeometry, ZoomCounterClampsAndStops) {
    struct Case {
        int start, step, min, max, zoom;
        bool applied;
    } cases[] = {
        {100, 1, 80, 120, 101, true},  {120, 1, 80, 120, 120, false},
        {119, 5, 80, 120, 120, false}, {80, -1, 80, 120, 80, false},
        {100, -20, 80, 120, 80, true}, {100, 36, 65, 135, 135, false},
        {100, -35, 65, 135, 65, true}, {100, -36, 65, 135, 65, false},
    };
    for (const Case& c : cases) {
        int zoom = c.start;
        EXPECT_EQ(CGridGeometry::StepZoom(zoom, c.step, c.min, c.max), c.applied) << c.start;
        EXPECT_EQ(zoom, c.zoom) << c.start << " " << c.step;
    }
}

TEST(GridGeometry, AddToSizesKeepsSizesOutsideTheBounds) {
    CGridGeometry g = MakeGrid(6, 6, 0, 0);
    g.SetRowHeight(4, 21);
    g.SetRowHeight(5, 2);
    g.AddToRowHeights(3, 1, 12, 21); // rows 3..5: 20->21, 21->22 refused, 2->3 refused
    EXPECT_EQ(g.GetRowHeight(2), 20);
    EXPECT_EQ(g.GetRowHeight(3), 21);
    EXPECT_EQ(g.GetRowHeight(4), 21);
    EXPECT_EQ(g.GetRowHeight(5), 2);
    g.SetColumnWidth(5, 2);
    g.AddToColumnWidths(2, -1, 2, INT_MAX); // "only where the result stays above 1"
    EXPECT_EQ(g.GetColumnWidth(1), 50);
    EXPECT_EQ(g.GetColumnWidth(2), 49);
    EXPECT_EQ(g.GetColumnWidth(5), 2);
    EXPECT_EQ(g.GetColumnLeft(6), 50 * 2 + 49 * 3 + 2); // offsets follow
}

TEST(GridGeometry, MergeRefusals) {
    struct Case {
        const char* what;
        int row, col, extraRows, extraCols;
        bool merged;
    } cases[] = {
        {"touches the existing merge's corner", 3, 3, 2, 2, false},
        {"covers the existing merge", 1, 1, 5, 5, false},
        {"starts on a covered cell", 2, 3, 0, 1, false},
        {"top-left outside", -1, 0, 1, 1, false},
        {"bottom-right outside", 8, 6, 2, 0, false},
        {"single cell", 6, 6, 0, 0, false},
        {"free rectangle", 5, 0, 1, 1, true},
        {"negative extras count as absolute", 7, 4, -1, -2, true},
    };
    for (const Case& c : cases) {
        CGridGeometry g = MakeGrid();
        ASSERT_TRUE(g.Merge(2, 2, 1, 1)); // (2,2)..(3,3)
        EXPECT_EQ(g.Merge(c.row, c.col, c.extraRows, c.extraCols), c.merged) << c.what;
        EXPECT_EQ(g.GetMerges().size(), c.merged ? 2u : 1u) << c.what;
        EXPECT_EQ(g.GetMergedRange(3, 3), CCellRange(2, 2, 3, 3)) << c.what;
    }
    CGridGeometry g = MakeGrid();
    ASSERT_TRUE(g.Merge(7, 4, -1, -2));
    EXPECT_EQ(g.GetMergedRange(8, 6), CCellRange(7, 4, 8, 6));
}

TEST(GridGeometry, OneRowMergeRefusesTheFixedArea) {
    CGridGeometry g = MakeGrid(10, 8, 2, 2);
    EXPECT_FALSE(g.MergeRow(1, 3, 2)); // starts in a fixed row
    EXPECT_FALSE(g.MergeRow(3, 1, 2)); // starts in a fixed column
    EXPECT_TRUE(g.MergeRow(3, 2, 5));
    EXPECT_FALSE(g.MergeRow(3, 4, 1)); // inside the first
    EXPECT_FALSE(g.MergeRow(4, 6, 5)); // past the last column
    EXPECT_EQ(g.GetMergedRange(3, 7), CCellRange(3, 2, 3, 7));
    // The rectangle form may join fixed cells (headers spanning columns).
    EXPECT_TRUE(g.Merge(0, 0, 0, 2));
}

TEST(GridGeometry, MergedCellsShareOneOwnerAndRectangle) {
    CGridGeometry g = MakeGrid();
    ASSERT_TRUE(g.Merge(2, 2, 2, 3));
    EXPECT_TRUE(g.IsMergeOwner(2, 2));
    EXPECT_FALSE(g.IsCovered(2, 2));
    EXPECT_TRUE(g.IsCovered(4, 5));
    EXPECT_FALSE(g.IsCovered(5, 5));
    EXPECT_EQ(g.GetMergeOwner(4, 5), (SCellId{2, 2}));
    EXPECT_EQ(g.GetMergeOwner(5, 5), (SCellId{5, 5}));
    g.SetViewportSize(1000, 1000);
    const QRect rect = g.GetCellRect(3, 4);
    EXPECT_EQ(rect, QRect(100, 40, 4 * 50, 3 * 20));
    EXPECT_EQ(g.GetSingleCellRect(3, 4), QRect(200, 60, 50, 20));
}

TEST(GridGeometry, InsertRowMovesMergesBelowAndGrowsOnesAcrossIt) {
    CGridGeometry g = MakeGrid();
    ASSERT_TRUE(g.Merge(5, 1, 0, 3)); // below the insertion
    ASSERT_TRUE(g.Merge(2, 6, 2, 1)); // spans rows 2..4
    ASSERT_TRUE(g.Merge(1, 1, 0, 1)); // above
    g.InsertRow(3, 11);
    EXPECT_EQ(g.GetRowCount(), 11);
    EXPECT_EQ(g.GetRowHeight(3), 11);
    EXPECT_EQ(g.GetMergedRange(6, 2), CCellRange(6, 1, 6, 4));
    EXPECT_EQ(g.GetMergedRange(5, 6), CCellRange(2, 6, 5, 7));
    EXPECT_EQ(g.GetMergedRange(1, 2), CCellRange(1, 1, 1, 2));
    EXPECT_EQ(g.FindMerge(5, 1), -1); // the old place is free
}

TEST(GridGeometry, ShrinkingDropsMergesThatNoLongerFit) {
    CGridGeometry g = MakeGrid();
    ASSERT_TRUE(g.Merge(2, 2, 5, 0));
    ASSERT_TRUE(g.Merge(1, 1, 0, 1));
    g.SetRowCount(5, 20);
    ASSERT_EQ(g.GetMerges().size(), 1u);
    EXPECT_EQ(g.GetMergedRange(2, 2), CCellRange(2, 2, 2, 2));
    g.SetColumnCount(2, 50);
    EXPECT_TRUE(g.GetMerges().empty());
}

TEST(GridPrintLayout, PagesRepeatNothingButTheFixedCells) {
    CGridGeometry g = MakeGrid(21, 11, 1, 1); // 20 scrolled rows, 10 scrolled columns
    // Room for the fixed 50 px plus 4 columns (200 px), and 20 px plus 8 rows (160 px).
    const auto pages = CGridPrintLayout::BuildPages(g, 250, 180);
    ASSERT_EQ(pages.size(), 3u * 3u);
    EXPECT_EQ(pages[0].nFirstRow, 1);
    EXPECT_EQ(pages[0].nLastRow, 8);
    EXPECT_EQ(pages[0].nFirstCol, 1);
    EXPECT_EQ(pages[0].nLastCol, 4);
    EXPECT_EQ(pages[2].nFirstCol, 9); // across first
    EXPECT_EQ(pages[2].nLastCol, 10);
    EXPECT_EQ(pages[8].nFirstRow, 17);
    EXPECT_EQ(pages[8].nLastRow, 20);
    // A column wider than the page gets a page of its own.
    g.SetColumnWidth(3, 1000);
    const auto wide = CGridPrintLayout::BuildPages(g, 250, 10000);
    ASSERT_GE(wide.size(), 3u);
    EXPECT_EQ(wide[1].nFirstCol, 3);
    EXPECT_EQ(wide[1].nLastCol, 3);
    EXPECT_TRUE(CGridPrintLayout::BuildPages(CGridGeometry(), 100, 100).empty());
}

TEST(GridPrintLayout, FooterText) {
    EXPECT_EQ(CGridPrintLayout::FooterText(2, 7), QStringLiteral("Page 2 of 7"));
}
