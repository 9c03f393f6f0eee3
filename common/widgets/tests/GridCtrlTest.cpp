#include "GridCtrl.h"
#include "GridInPlaceEdit.h"
#include "GridPrint.h"
#include "TitleTip.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace grid;

namespace {

constexpr Colour kWhite = Rgb(255, 255, 255);
constexpr Colour kFace = Rgb(200, 200, 200);
constexpr Colour kOutside = Rgb(90, 90, 90);
constexpr Colour kLine = Rgb(192, 192, 192);

// A shown grid with known colours, sizes and no scroll bars in the way.
struct GridFixture : ::testing::Test {
    CGridCtrl grid{10, 8, 1, 1};

    void SetUp() override {
        grid.SetTextBkColour(kWhite);
        grid.SetFixedBkColour(kFace);
        grid.SetGridBkColour(kOutside);
        grid.SetGridLineColour(kLine);
        grid.SetTextColour(Rgb(0, 0, 0));
        for (int r = 0; r < grid.GetRowCount(); ++r)
            grid.SetRowHeight(r, 20);
        for (int c = 0; c < grid.GetColumnCount(); ++c)
            grid.SetColumnWidth(c, 50);
        grid.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid.setFrameShape(QFrame::NoFrame);
        grid.resize(600, 300);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }

    QImage Grab() { return grid.viewport()->grab().toImage(); }
    Colour PixelAt(const QImage& image, QPoint p) { return FromQColor(image.pixelColor(p)); }
    QPoint CentreOf(int row, int col) { return grid.GetCellRect(row, col).center(); }
    void Click(int row, int col, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, mods, CentreOf(row, col));
    }
};

// Dark pixels (text) inside rect of image: their bounding box.
QRect InkBox(const QImage& image, const QRect& rect) {
    QRect box;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (qGray(image.pixel(x, y)) < 100)
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

} // namespace

// --- data model ----------------------------------------------------------------------------

TEST(GridCtrlModel, ShrinkingBelowTheFixedCountLowersItAndDropsCells) {
    CGridCtrl grid(10, 10, 4, 3);
    grid.SetItemText(8, 8, QStringLiteral("gone"));
    grid.SetItemText(1, 1, QStringLiteral("kept"));
    grid.SetFocusCell(8, 8);
    ASSERT_TRUE(grid.SetRowCount(2));
    ASSERT_TRUE(grid.SetColumnCount(2));
    EXPECT_EQ(grid.GetFixedRowCount(), 2);
    EXPECT_EQ(grid.GetFixedColumnCount(), 2);
    EXPECT_FALSE(grid.GetFocusCell().IsValid());
    EXPECT_EQ(grid.GetFilledCellCount(), 1u);
    EXPECT_FALSE(grid.GetCell(8, 8).has_value());
    // Growing again brings empty cells, not the old ones.
    grid.SetRowCount(10);
    grid.SetColumnCount(10);
    EXPECT_TRUE(grid.GetItemText(8, 8).isEmpty());
    EXPECT_EQ(grid.GetItemText(1, 1), QStringLiteral("kept"));
    EXPECT_FALSE(grid.SetRowCount(-1));
}

TEST(GridCtrlModel, FixedCountGrowsTheGrid) {
    CGridCtrl grid;
    grid.SetFixedRowCount(2);
    grid.SetFixedColumnCount(3);
    EXPECT_EQ(grid.GetRowCount(), 2);
    EXPECT_EQ(grid.GetColumnCount(), 3);
}

TEST(GridCtrlModel, MaskTextAndFormatChangesNothingElse) {
    CGridCtrl grid(5, 5, 1, 1);
    SGridItem full;
    full.nRow = 2;
    full.nCol = 3;
    full.nMask = 0xFF;
    full.strText = QStringLiteral("old");
    full.nImage = 4;
    full.lParam = 1234;
    full.nState = kStateReadOnly;
    full.crBackClr = Rgb(1, 2, 3);
    full.crTextClr = Rgb(4, 5, 6);
    full.nFormat = kTextRight;
    full.font = QFont(QStringLiteral("DejaVu Serif"), 17);
    ASSERT_TRUE(grid.SetItem(full));

    SGridItem change;
    change.nRow = 2;
    change.nCol = 3;
    change.nMask = 0x41; // text and format
    change.strText = QStringLiteral("new");
    change.nImage = 9;
    change.lParam = 99;
    change.nState = 0;
    change.crBackClr = Rgb(9, 9, 9);
    change.crTextClr = Rgb(8, 8, 8);
    change.nFormat = kTextCenter | kTextVCenter | kTextSingleLine;
    change.font = QFont(QStringLiteral("DejaVu Sans"), 5);
    ASSERT_TRUE(grid.SetItem(change));

    SGridItem read;
    read.nRow = 2;
    read.nCol = 3;
    read.nMask = 0xFF;
    ASSERT_TRUE(grid.GetItem(read));
    EXPECT_EQ(read.strText, QStringLiteral("new"));
    EXPECT_EQ(read.nFormat, change.nFormat);
    EXPECT_EQ(read.nImage, 4);
    EXPECT_EQ(read.lParam, 1234u);
    EXPECT_EQ(read.nState, static_cast<unsigned>(kStateReadOnly));
    EXPECT_EQ(read.crBackClr, Rgb(1, 2, 3));
    EXPECT_EQ(read.crTextClr, Rgb(4, 5, 6));
    EXPECT_EQ(read.font.pointSize(), 17);
}

TEST(GridCtrlModel, EachMaskBitSetsItsFieldOnly) {
    struct Case {
        unsigned mask;
        std::function<bool(const SGridItem&)> changed;
    } cases[] = {
        {kMaskText, [](const SGridItem& i) { return i.strText == QStringLiteral("t"); }},
        {kMaskImage, [](const SGridItem& i) { return i.nImage == 3; }},
        {kMaskData, [](const SGridItem& i) { return i.lParam == 77u; }},
        {kMaskState, [](const SGridItem& i) { return (i.nState & kStateReadOnly) != 0; }},
        {kMaskBackColour, [](const SGridItem& i) { return i.crBackClr == Rgb(0, 0, 255); }},
        {kMaskTextColour, [](const SGridItem& i) { return i.crTextClr == Rgb(0, 255, 0); }},
        {kMaskFormat, [](const SGridItem& i) { return i.nFormat == kTextRight; }},
        {kMaskFont, [](const SGridItem& i) { return i.font.pointSize() == 23; }},
    };
    for (const Case& c : cases) {
        CGridCtrl grid(3, 3);
        SGridItem set;
        set.nRow = 1;
        set.nCol = 1;
        set.nMask = c.mask;
        set.strText = QStringLiteral("t");
        set.nImage = 3;
        set.lParam = 77;
        set.nState = kStateReadOnly;
        set.crBackClr = Rgb(0, 0, 255);
        set.crTextClr = Rgb(0, 255, 0);
        set.nFormat = kTextRight;
        set.font = QFont(QStringLiteral("DejaVu Sans"), 23);
        ASSERT_TRUE(grid.SetItem(set));
        for (const Case& other : cases) {
            SGridItem read;
            read.nRow = 1;
            read.nCol = 1;
            read.nMask = 0xFF;
            ASSERT_TRUE(grid.GetItem(read));
            EXPECT_EQ(other.changed(read), other.mask == c.mask)
                << "set mask " << c.mask << ", field " << other.mask;
        }
    }
}

TEST(GridCtrlModel, DefaultColourFollowsTheDefaultCell) {
    CGridCtrl grid(4, 4, 1, 1);
    grid.SetItemBkColour(2, 2, Rgb(0, 255, 0));
    grid.SetItemBkColour(2, 2, kDefaultColour);
    EXPECT_EQ(grid.GetItemBkColour(2, 2), kDefaultColour);
    grid.GetDefaultCell(false, false).SetBackClr(Rgb(10, 20, 30));
    grid.GetDefaultCell(true, false).SetBackClr(Rgb(40, 50, 60));
    EXPECT_EQ(grid.GetEffectiveBkColour(2, 2), Rgb(10, 20, 30));
    EXPECT_EQ(grid.GetEffectiveBkColour(0, 2), Rgb(40, 50, 60));
    // A cell back at its defaults holds no record.
    EXPECT_EQ(grid.GetFilledCellCount(), 0u);
    EXPECT_FALSE(grid.GetCell(4, 0).has_value());
    EXPECT_FALSE(grid.SetItemText(-1, 0, QStringLiteral("x")));
}

TEST(GridCtrlModel, ZoomStepResizesWithoutTouchingCells) {
    CGridCtrl grid(50, 60, 2, 2);
    for (int r = 2; r < 50; ++r)
        for (int c = 2; c < 60; ++c) {
            grid.SetItemBkColour(r, c, Rgb(0, 255, 0));
            grid.SetItemText(r, c, QString::number(r * c));
        }
    const size_t filled = grid.GetFilledCellCount();
    const size_t bytes = grid.GetCellMemoryBytes();
    grid.AddToRowHeights(3, 1, 2, INT_MAX);
    grid.AddToColumnWidths(2, 1, 2, INT_MAX);
    EXPECT_EQ(grid.GetRowHeight(3), grid.GetDefaultRowHeight() + 1);
    EXPECT_EQ(grid.GetRowHeight(2), grid.GetDefaultRowHeight());
    EXPECT_EQ(grid.GetColumnWidth(2), grid.GetDefaultColumnWidth() + 1);
    EXPECT_EQ(grid.GetFilledCellCount(), filled);
    EXPECT_EQ(grid.GetCellMemoryBytes(), bytes);
    EXPECT_EQ(grid.GetItemText(49, 59), QString::number(49 * 59));
}

TEST(GridCtrlModel, LongAndShortTextsSurviveStorage) {
    CGridCtrl grid(3, 3);
    const QString texts[] = {QString(),
                             QStringLiteral("R"),
                             QStringLiteral("1234567"),
                             QStringLiteral("12345678"),
                             QStringLiteral("统计图"),
                             QString(5000, QLatin1Char('x'))};
    for (const QString& text : texts) {
        grid.SetItemText(1, 1, text);
        EXPECT_EQ(grid.GetItemText(1, 1), text) << text.size();
    }
    grid.SetItemText(1, 1, QString());
    EXPECT_EQ(grid.GetFilledCellCount(), 0u);
}

// --- insert row and merges -------------------------------------------------------------------

TEST(GridCtrlRows, InsertRowAtBeyondAndBeforeTheEnd) {
    struct Case {
        const char* what;
        int index;
        int result;
    } cases[] = {
        {"at the end", 5, -1},    {"beyond the end", 9, -1}, {"negative appends", -1, 5},
        {"before the end", 2, 2}, {"first row", 0, 0},
    };
    for (const Case& c : cases) {
        CGridCtrl grid(5, 3, 1, 1);
        for (int r = 0; r < 5; ++r) {
            grid.SetItemText(r, 0, QString::number(r));
            grid.SetItemFormat(r, 1, kTextRight + static_cast<unsigned>(r) * 0x100);
        }
        grid.SetRowHeight(1, 50);
        grid.SetSelectedRange(CCellRange(1, 1, 2, 2));
        grid.SetFocusCell(3, 1);
        const int result = grid.InsertRow(c.index);
        EXPECT_EQ(result, c.result) << c.what;
        if (result < 0) {
            EXPECT_EQ(grid.GetRowCount(), 5) << c.what;
            continue;
        }
        EXPECT_EQ(grid.GetRowCount(), 6) << c.what;
        EXPECT_FALSE(grid.GetSelectedRange().IsValid()) << c.what;
        EXPECT_TRUE(grid.GetItemText(result, 0).isEmpty()) << c.what;
        EXPECT_EQ(grid.GetRowHeight(result), grid.GetDefaultRowHeight()) << c.what;
        // Rows from the index on moved down with their texts.
        for (int r = 0; r < 5; ++r)
            EXPECT_EQ(grid.GetItemText(r < result ? r : r + 1, 0), QString::number(r)) << c.what;
        // The new row's cells take the format of the cell above (row 0 keeps the default).
        if (result > 0)
            EXPECT_EQ(grid.GetItemFormat(result, 1), kTextRight + (result - 1u) * 0x100) << c.what;
        else
            EXPECT_EQ(grid.GetItemFormat(result, 1), kDefaultFormat) << c.what;
        EXPECT_EQ(grid.GetFocusCell().nRow, result <= 3 ? 4 : 3) << c.what;
    }
}

TEST(GridCtrlRows, InsertRowIntoAGridWithoutColumnsAddsOne) {
    CGridCtrl grid(2, 0);
    EXPECT_EQ(grid.InsertRow(-1), 2);
    EXPECT_EQ(grid.GetColumnCount(), 1);
    CGridCtrl empty;
    EXPECT_EQ(empty.InsertRow(-1), 0);
    EXPECT_EQ(empty.GetRowCount(), 1);
}

TEST(GridCtrlRows, MergesTouchingAMergeAreRefused) {
    CGridCtrl grid(10, 10, 2, 2);
    ASSERT_TRUE(grid.Merge(4, 4, 1, 2));  // (4,4)..(5,6)
    EXPECT_FALSE(grid.Merge(5, 6, 2, 2)); // shares the corner cell
    EXPECT_TRUE(grid.Merge(3, 3, 3, 0));  // column 3 only: beside the merge, not on it
    EXPECT_TRUE(grid.GetMergedRange(6, 3) == CCellRange(3, 3, 6, 3));
    EXPECT_FALSE(grid.Merge(2, 2, 5, 5)); // holds both merges
    EXPECT_FALSE(grid.Merge(1, 4, 6));    // one-row form inside the fixed rows
    EXPECT_FALSE(grid.Merge(7, 1, 3));    // one-row form inside the fixed columns
    EXPECT_TRUE(grid.Merge(7, 2, 7));
    EXPECT_FALSE(grid.Merge(8, 3, 9)); // past the last column
    EXPECT_EQ(grid.Geometry().GetMerges().size(), 3u);
}

// --- clipboard --------------------------------------------------------------------------------

TEST(GridCtrlClipboard, CopyLeavesOutHiddenRowsAndColumns) {
    CGridCtrl grid(6, 6, 1, 1);
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 6; ++c)
            grid.SetItemText(r, c, QStringLiteral("%1%2").arg(QChar('a' + r)).arg(c));
    grid.SetColumnWidth(3, 0);
    grid.SetRowHeight(4, 0);
    grid.SetSelectedRange(CCellRange(1, 1, 5, 4));
    EXPECT_EQ(grid.GetCopyText(),
              QStringLiteral("b1\tb2\tb4\r\nc1\tc2\tc4\r\nd1\td2\td4\r\nf1\tf2\tf4"));
    // Cells of the range that are not selected still get their tab.
    grid.SetSelectedRange(CCellRange(1, 1, 1, 1));
    grid.SetSelectedRange(CCellRange(2, 4, 2, 4), true);
    EXPECT_EQ(grid.GetCopyText(), QStringLiteral("b1\t\t\r\n\t\tc4"));
}

TEST(GridCtrlClipboard, NotEditableIgnoresCutAndPasteButCopies) {
    CGridCtrl grid(4, 4);
    grid.SetItemText(1, 1, QStringLiteral("keep"));
    grid.SetItemText(1, 2, QStringLiteral("me"));
    grid.SetEditable(false);
    grid.SetSelectedRange(CCellRange(1, 1, 1, 2));
    grid.SetFocusCell(1, 1);
    QApplication::clipboard()->setText(QStringLiteral("before"));
    grid.OnEditCut();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));
    EXPECT_EQ(grid.GetItemText(1, 1), QStringLiteral("keep"));
    grid.OnEditPaste();
    EXPECT_EQ(grid.GetItemText(1, 1), QStringLiteral("keep"));
    EXPECT_FALSE(grid.PasteText(QStringLiteral("x"), 1, 1));
    grid.OnEditCopy();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("keep\tme"));

    grid.SetEditable(true);
    grid.OnEditCut();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("keep\tme"));
    EXPECT_TRUE(grid.GetItemText(1, 1).isEmpty());
    EXPECT_TRUE(grid.GetItemText(1, 2).isEmpty());
    grid.SetFocusCell(2, 0);
    grid.OnEditPaste();
    EXPECT_EQ(grid.GetItemText(2, 0), QStringLiteral("keep"));
    EXPECT_EQ(grid.GetItemText(2, 1), QStringLiteral("me"));
}

TEST(GridCtrlClipboard, PasteSplitsRowsAndCellsAndKeepsEmptyPieces) {
    struct Case {
        CGridCtrl::EFlavour flavour;
        QString text;
        std::vector<std::vector<QString>> expected; // rows 1.., columns 1..3
    } cases[] = {
        {CGridCtrl::EFlavour::Newer,
         QStringLiteral("a\tb\r\nc,d\r\n"),
         {{"a", "b", ""}, {"c", "d", ""}}},
        {CGridCtrl::EFlavour::Newer, QStringLiteral("a\t\tc"), {{"a", "", "c"}, {"", "", ""}}},
        {CGridCtrl::EFlavour::Older,
         QStringLiteral("1,2,3,4,5\n6"),
         {{"1", "2", "3"}, {"6", "", ""}}},
    };
    for (const Case& c : cases) {
        CGridCtrl grid(3, 4); // the paste is cut at the grid's edge
        grid.SetFlavour(c.flavour);
        for (int r = 1; r < 3; ++r)
            for (int col = 1; col < 4; ++col)
                grid.SetItemText(r, col, QString());
        ASSERT_TRUE(grid.PasteText(c.text, 1, 1));
        for (int r = 0; r < 2; ++r)
            for (int col = 0; col < 3; ++col)
                EXPECT_EQ(grid.GetItemText(r + 1, col + 1), c.expected[r][col])
                    << c.text.toStdString() << " at " << r + 1 << "," << col + 1;
        EXPECT_EQ(grid.GetRowCount(), 3);
        EXPECT_EQ(grid.GetColumnCount(), 4);
    }
}

TEST(GridCtrlClipboard, PasteSkipsReadOnlyCells) {
    CGridCtrl grid(3, 3);
    grid.SetItemText(0, 1, QStringLiteral("locked"));
    grid.SetItemState(0, 1, kStateReadOnly);
    grid.PasteText(QStringLiteral("x\ty\tz"), 0, 0);
    EXPECT_EQ(grid.GetItemText(0, 0), QStringLiteral("x"));
    EXPECT_EQ(grid.GetItemText(0, 1), QStringLiteral("locked"));
    EXPECT_EQ(grid.GetItemText(0, 2), QStringLiteral("z"));
}

// --- painting ---------------------------------------------------------------------------------

TEST_F(GridFixture, CellColoursReadBackFromTheImage) {
    struct Case {
        int row, col;
        Colour colour;
        Colour expected;
    } cases[] = {
        {1, 1, Rgb(0, 255, 0), Rgb(0, 255, 0)},
        {2, 3, Rgb(255, 0, 0), Rgb(255, 0, 0)},
        {4, 2, Rgb(255, 255, 0), Rgb(255, 255, 0)},
        {3, 3, kDefaultColour, kWhite},
        {0, 4, kDefaultColour, kFace},
        {5, 0, Rgb(100, 100, 100), Rgb(100, 100, 100)},
    };
    for (const Case& c : cases)
        grid.SetItemBkColour(c.row, c.col, c.colour);
    const QImage image = Grab();
    for (const Case& c : cases)
        EXPECT_EQ(PixelAt(image, CentreOf(c.row, c.col)), c.expected) << c.row << "," << c.col;
    // Grid lines at the right and bottom edge of a cell, the outside colour past the last cell.
    const QRect cell = grid.GetCellRect(2, 3);
    EXPECT_EQ(PixelAt(image, QPoint(cell.right(), cell.center().y())), kLine);
    EXPECT_EQ(PixelAt(image, QPoint(cell.center().x(), cell.bottom())), kLine);
    EXPECT_EQ(PixelAt(image, QPoint(8 * 50 + 10, 10)), kOutside);
    EXPECT_EQ(PixelAt(image, QPoint(10, 10 * 20 + 10)), kOutside);
}

TEST_F(GridFixture, ScrolledCellsMoveButFixedOnesStay) {
    grid.SetRowCount(200);
    grid.SetColumnCount(100);
    for (int r = 10; r < 200; ++r)
        grid.SetRowHeight(r, 20);
    for (int c = 8; c < 100; ++c)
        grid.SetColumnWidth(c, 50);
    grid.SetItemBkColour(0, 12, Rgb(0, 0, 255));
    grid.SetItemBkColour(30, 0, Rgb(0, 0, 254));
    grid.SetItemBkColour(30, 12, Rgb(255, 0, 255));
    grid.SetScrollPos(11 * 50, 29 * 20); // column 12 and row 30 become the first scrolled ones
    const QImage image = Grab();
    EXPECT_EQ(PixelAt(image, QPoint(75, 10)), Rgb(0, 0, 255));
    EXPECT_EQ(PixelAt(image, QPoint(25, 30)), Rgb(0, 0, 254));
    EXPECT_EQ(PixelAt(image, QPoint(75, 30)), Rgb(255, 0, 255));
}

TEST_F(GridFixture, MergedFixedRowRangeIsCentredOnOneLine) {
    grid.SetFixedRowCount(2);
    grid.SetRowHeight(0, 30);
    grid.SetItemText(0, 1, QStringLiteral("HEAD"));
    grid.SetItemFormat(0, 1, kTextLeft); // a merge in the fixed rows is centred whatever its format
    ASSERT_TRUE(grid.Merge(0, 1, 0, 5)); // columns 1..6, 300 px
    const QRect merged = grid.GetCellRect(0, 4);
    ASSERT_EQ(merged, QRect(50, 0, 300, 30));
    const QImage image = Grab();
    const QRect ink = InkBox(image, merged.adjusted(0, 0, -1, -1));
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), merged.center().x(), 3);
    EXPECT_NEAR(ink.center().y(), merged.center().y(), 3);
    // No grid line inside the merged range.
    for (int x = merged.left() + 1; x < merged.right(); ++x)
        EXPECT_NE(PixelAt(image, QPoint(x, 3)), kLine) << x;
    // A text too long for a narrow merge is cut with an ellipsis and stays inside.
    grid.SetItemText(1, 1, QStringLiteral("a very long header text indeed"));
    ASSERT_TRUE(grid.Merge(1, 1, 0, 1)); // 100 px
    const QImage second = Grab();
    const QRect narrow = grid.GetCellRect(1, 2);
    const QRect longInk = InkBox(second, narrow.adjusted(0, 0, -1, -1));
    ASSERT_FALSE(longInk.isEmpty());
    EXPECT_EQ(InkBox(second, QRect(narrow.right() + 1, narrow.top(), 50, narrow.height())),
              QRect());
    EXPECT_LT(longInk.right(), narrow.right());
}

TEST_F(GridFixture, CoveredCellsAreDrawnAsTheirOwner) {
    grid.SetItemBkColour(2, 2, Rgb(0, 200, 0));
    grid.SetItemBkColour(3, 4, Rgb(255, 0, 0)); // hidden under the merge
    ASSERT_TRUE(grid.Merge(2, 2, 2, 3));
    const QImage image = Grab();
    EXPECT_EQ(PixelAt(image, CentreOf(3, 4)), Rgb(0, 200, 0));
    const QRect single = grid.Geometry().GetSingleCellRect(3, 4);
    EXPECT_EQ(PixelAt(image, single.center()), Rgb(0, 200, 0));
    // Scrolling the owner out of view still paints the rest of the merge.
    grid.SetRowCount(100);
    grid.SetScrollPos(0, 2 * 20);
    const QImage scrolled = Grab();
    const QRect cell = grid.Geometry().GetSingleCellRect(4, 5);
    EXPECT_EQ(PixelAt(scrolled, cell.center()), Rgb(0, 200, 0));
}

TEST_F(GridFixture, PaintingTouchesOnlyVisibleCells) {
    grid.SetRowCount(262);
    grid.SetColumnCount(4098);
    for (int r = 0; r < 262; r += 7)
        for (int c = 0; c < 4098; c += 5)
            grid.SetItemBkColour(r, c, Rgb(0, 255, 0));
    grid.SetScrollPos(1000 * 50, 100 * 20);
    (void)Grab();
    // 600 x 300 px of 50 x 20 cells: at most 13 columns and 16 rows (partial ones included).
    EXPECT_GT(grid.GetLastPaintedCellCount(), 0);
    EXPECT_LE(grid.GetLastPaintedCellCount(), 13 * 16);
}

TEST_F(GridFixture, SelectionIsPaintedInTheHighlightColour) {
    Click(3, 3);
    const QImage image = Grab();
    const Colour highlight = FromQColor(grid.palette().color(QPalette::Highlight));
    EXPECT_EQ(PixelAt(image, CentreOf(3, 3) + QPoint(0, 5)), highlight);
    EXPECT_EQ(PixelAt(image, CentreOf(3, 4)), kWhite);
}

// --- mouse, keyboard, wheel ------------------------------------------------------------------

TEST_F(GridFixture, ClicksSelectCellsAndHeadersSelectLines) {
    QSignalSpy clicked(&grid, &CGridCtrl::cellClicked);
    Click(2, 2);
    EXPECT_EQ(grid.GetFocusCell(), (SCellId{2, 2}));
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(2, 2, 2, 2));
    EXPECT_EQ(clicked.count(), 1);
    Click(4, 5, Qt::ShiftModifier);
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(2, 2, 4, 5));
    EXPECT_NE(grid.GetItemState(3, 3) & kStateSelected, 0u);
    Click(7, 7, Qt::ControlModifier);
    EXPECT_TRUE(grid.IsCellSelected(7, 7));
    EXPECT_TRUE(grid.IsCellSelected(3, 3));
    EXPECT_FALSE(grid.IsCellSelected(6, 6));
    Click(0, 3); // column header
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(1, 3, 9, 3));
    Click(5, 0); // row header
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(5, 1, 5, 7));
    Click(0, 0); // corner
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(1, 1, 9, 7));
}

TEST_F(GridFixture, KeyboardMovesTheFocusAroundHiddenAndMergedCells) {
    grid.SetColumnWidth(3, 0);
    ASSERT_TRUE(grid.Merge(5, 4, 1, 1)); // (5,4)..(6,5)
    Click(2, 2);
    QTest::keyClick(grid.viewport(), Qt::Key_Right);
    EXPECT_EQ(grid.GetFocusCell(), (SCellId{2, 4})); // column 3 is hidden
    QTest::keyClick(grid.viewport(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(2, 4, 3, 4));
    grid.SetFocusCell(4, 5);
    QTest::keyClick(grid.viewport(), Qt::Key_Down);
    EXPECT_EQ(grid.GetFocusCell(), (SCellId{5, 4})); // into the merge: its owner
    QTest::keyClick(grid.viewport(), Qt::Key_Down);
    EXPECT_EQ(grid.GetFocusCell(), (SCellId{7, 4})); // out of it below its last row
    QTest::keyClick(grid.viewport(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(grid.GetFocusCell(), (SCellId{1, 1}));
    QTest::keyClick(grid.viewport(), Qt::Key_Up); // fixed row: stays
    EXPECT_EQ(grid.GetFocusCell(), (SCellId{1, 1}));
    QTest::keyClick(grid.viewport(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid.GetFocusCell(), (SCellId{9, 7}));
    QTest::keyClick(grid.viewport(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(grid.GetSelectedRange(), CCellRange(1, 1, 9, 7));
}

TEST_F(GridFixture, WheelScrollsByTheWheelLinesAndLeavesCtrlToTheParent) {
    grid.SetRowCount(100);
    for (int r = 10; r < 100; ++r)
        grid.SetRowHeight(r, 20);
    QApplication::setWheelScrollLines(3);
    const QPoint at = CentreOf(3, 3);
    QWheelEvent down(at, grid.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid.viewport(), &down);
    EXPECT_EQ(grid.GetScrollY(), 3 * 20);
    EXPECT_TRUE(down.isAccepted());
    QWheelEvent zoom(at, grid.viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                     Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid.viewport(), &zoom);
    EXPECT_EQ(grid.GetScrollY(), 3 * 20);
    EXPECT_FALSE(zoom.isAccepted()); // propagates to the chart page
    QWheelEvent up(at, grid.viewport()->mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid.viewport(), &up);
    EXPECT_EQ(grid.GetScrollY(), 0);
}

// --- editing, title tip, drag and drop, printing ------------------------------------------------

TEST_F(GridFixture, InPlaceEditTakesEnterAndDropsEscape) {
    grid.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
    grid.SetItemText(2, 2, QStringLiteral("old"));
    QSignalSpy ended(&grid, &CGridCtrl::endEdit);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, CentreOf(2, 2));
    ASSERT_TRUE(grid.IsEditing());
    CInPlaceEdit* edit = grid.GetInPlaceEdit();
    EXPECT_EQ(edit->text(), QStringLiteral("old"));
    EXPECT_EQ(edit->geometry(), grid.GetCellRect(2, 2).adjusted(0, 0, -1, -1));
    edit->setText(QStringLiteral("new"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(grid.GetItemText(2, 2), QStringLiteral("new"));
    ASSERT_EQ(ended.count(), 1);
    EXPECT_TRUE(ended.at(0).at(2).toBool());

    ASSERT_TRUE(grid.EditCell(2, 2));
    grid.GetInPlaceEdit()->setText(QStringLiteral("dropped"));
    QTest::keyClick(grid.GetInPlaceEdit(), Qt::Key_Escape);
    EXPECT_EQ(grid.GetItemText(2, 2), QStringLiteral("new"));
    ASSERT_EQ(ended.count(), 2);
    EXPECT_FALSE(ended.at(1).at(2).toBool());

    // Typing on the focus cell starts an edit with that character; Tab moves on.
    grid.SetFocusCell(3, 3);
    grid.setFocus();
    QTest::keyClick(grid.viewport(), Qt::Key_7);
    ASSERT_TRUE(grid.IsEditing());
    EXPECT_EQ(grid.GetInPlaceEdit()->text(), QStringLiteral("7"));
    QTest::keyClick(grid.GetInPlaceEdit(), Qt::Key_Tab);
    EXPECT_EQ(grid.GetItemText(3, 3), QStringLiteral("7"));
    EXPECT_EQ(grid.GetFocusCell(), (SCellId{3, 4}));
}

TEST_F(GridFixture, NoEditorOnFixedReadOnlyOrNotEditableCells) {
    grid.SetItemState(4, 4, kStateReadOnly);
    EXPECT_FALSE(grid.EditCell(0, 2));
    EXPECT_FALSE(grid.EditCell(4, 4));
    grid.SetEditable(false);
    EXPECT_FALSE(grid.EditCell(2, 2));
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, CentreOf(2, 2));
    EXPECT_FALSE(grid.IsEditing());
}

TEST_F(GridFixture, TitleTipShowsTextsThatDoNotFit) {
    grid.SetItemText(2, 2, QStringLiteral("a text far too long for fifty pixels"));
    grid.SetItemText(3, 3, QStringLiteral("ok"));
    QTest::mouseMove(grid.viewport(), CentreOf(2, 2));
    ASSERT_TRUE(grid.GetTitleTip()->IsShown());
    EXPECT_EQ(grid.GetTitleTip()->text(), QStringLiteral("a text far too long for fifty pixels"));
    EXPECT_GT(grid.GetTitleTip()->width(), 50);
    QTest::mouseMove(grid.viewport(), CentreOf(3, 3));
    EXPECT_FALSE(grid.GetTitleTip()->IsShown());
}

TEST_F(GridFixture, DroppedTextFillsAnEditableGridOnly) {
    // Dropping needs no drag-and-drop flag: that one only allows dragging out.
    ASSERT_FALSE(grid.IsDragAndDropEnabled());
    QMimeData data;
    data.setText(QStringLiteral("x\ty\r\nz"));
    const QPoint at = CentreOf(4, 2);
    {
        // The window system sends enter and move before the drop.
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid.viewport(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid.viewport(), &move);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid.viewport(), &drop);
    }
    EXPECT_EQ(grid.GetItemText(4, 2), QStringLiteral("x"));
    EXPECT_EQ(grid.GetItemText(4, 3), QStringLiteral("y"));
    EXPECT_EQ(grid.GetItemText(5, 2), QStringLiteral("z"));
    grid.SetEditable(false);
    data.setText(QStringLiteral("no"));
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &drop);
    EXPECT_EQ(grid.GetItemText(4, 2), QStringLiteral("x"));
    EXPECT_FALSE(drop.isAccepted());
}

TEST(GridCtrlPrint, PdfHasOnePagePerLayoutPageAndTheFlavourFont) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("grid-print-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    CGridCtrl grid(300, 40, 2, 2);
    for (int r = 0; r < 300; ++r)
        for (int c = 0; c < 40; ++c)
            grid.SetItemText(r, c, QString::number(r + c));
    ASSERT_TRUE(grid.Merge(0, 2, 0, 5));
    const QString path = QString::fromStdString((dir / "grid.pdf").string());
    const int printed = grid.PrintToPdf(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    const int pages = static_cast<int>(pdf.count("/Type /Page\n")) +
                      static_cast<int>(pdf.count("/Type /Page\r")) +
                      static_cast<int>(pdf.count("/Type /Page ")) +
                      static_cast<int>(pdf.count("/Type /Page/"));
    EXPECT_GT(printed, 1); // 300 rows do not fit one page
    EXPECT_EQ(pages, printed);
    EXPECT_EQ(grid.GetPrintFontFamily(), QStringLiteral("Arial"));
    grid.SetFlavour(CGridCtrl::EFlavour::Older);
    EXPECT_EQ(grid.GetPrintFontFamily(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(grid.PrintToPdf(QString::fromStdString((dir / "no/such/dir/x.pdf").string())), 0);
    CGridCtrl empty;
    EXPECT_EQ(empty.PrintToPdf(QString::fromStdString((dir / "empty.pdf").string())), 0);
    std::filesystem::remove_all(dir);
}

TEST(GridCtrlRows, InsertedRowTakesTheFormatTheCellAboveIsDrawnWith) {
    CGridCtrl grid(4, 3, 1, 1);
    // The header row's cells have no format of their own: they use their default cell's.
    grid.GetDefaultCell(true, false).SetFormat(kTextRight | kTextSingleLine);
    ASSERT_EQ(grid.InsertRow(1), 1);
    EXPECT_EQ(grid.GetItemFormat(1, 2), kTextRight | kTextSingleLine);
    EXPECT_EQ(grid.GetItemFormat(2, 2), kDefaultFormat);
}

TEST(GridCtrlLifetime, DestroyingAGridWhileEditingIsSafe) {
    for (bool withWindow : {false, true}) {
        auto window = std::make_unique<QWidget>();
        auto* grid = new CGridCtrl(5, 5, 1, 1, window.get());
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        ASSERT_TRUE(grid->EditCell(2, 2));
        ASSERT_TRUE(grid->GetInPlaceEdit()->hasFocus());
        QPointer<CInPlaceEdit> edit = grid->GetInPlaceEdit();
        if (withWindow)
            window.reset(); // the grid goes with its window, the editor with the grid
        else
            delete grid; // the editor must not report to a grid half destroyed
        EXPECT_TRUE(edit.isNull());
    }
}

TEST(GridCtrlPrint, EveryPageEndsWithItsCentredFooter) {
    CGridCtrl grid(120, 6, 1, 1);
    for (int r = 0; r < 120; ++r)
        grid.SetItemText(r, 1, QString::number(r));
    // A4 at 96 dpi, pages painted into images instead of a printer.
    QImage page(794, 1123, QImage::Format_RGB32);
    std::vector<QImage> pages;
    QPainter painter(&page);
    page.fill(Qt::white);
    const int count = grid.PrintPages(painter, page.rect(), page, [&] {
        pages.push_back(page.copy());
        page.fill(Qt::white);
        return true;
    });
    painter.end();
    pages.push_back(page);
    ASSERT_GT(count, 1);
    ASSERT_EQ(static_cast<int>(pages.size()), count);
    // The footer is two text lines high with the text at its bottom; the cells end above it.
    const int footerTop = page.height() - 25;
    for (const QImage& image : pages) {
        const QRect ink =
            InkBox(image, QRect(0, footerTop, image.width(), image.height() - footerTop));
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_NEAR(ink.center().x(), image.width() / 2, 4);
    }
    // The grid starts at the top left of the first page.
    EXPECT_FALSE(InkBox(pages[0], QRect(0, 0, 300, 100)).isEmpty());
}
