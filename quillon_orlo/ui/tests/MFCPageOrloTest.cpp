#include "MFCPageOrlo.h"
#include "MFCPageOrloMain.h"
#include "OrloUiFixture.h"

#include "EditListCtrl.h"
#include "GridCtrl.h"
#include "LogPageOrlo.h"
#include "OrloGridCells.h"
#include "OrloPageList.h"

#include <QApplication>
#include <QFrame>
#include <QtTest/qtestspontaneevent.h>
#include <QLabel>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>

namespace {

using orloui::ColourAt;

constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kYellow = 0x00FFFF;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kDarkGrey = 0x646464;

// Grid rows of two combinations: (dqs, data, ctl, clk) = (0, 0, 0, 1) and (0, 0, 1, 2).
constexpr int kRowA = 2;
constexpr int kRowB = 7;

struct SLine {
    int ctl, clk, clkwr, pass;
};

std::unique_ptr<orlo::CLogPageOrlo> MakePage(const char* name, std::initializer_list<SLine> lines) {
    auto page = std::make_unique<orlo::CLogPageOrlo>(QString::fromUtf8(name).toStdWString(),
                                                     orlo::kTemperatureNormal);
    for (const SLine& l : lines) {
        orlo::AddRecord(*page, 0, 0, l.ctl, l.clk, l.clkwr, l.pass);
    }
    return page;
}

// Three logs: clkwr 0 of combination A passes in all three, clkwr 1 in two, clkwr 2 in none;
// combination B passes at clkwr 3 in the first log only.
std::unique_ptr<orlo::OrloPageList> ThreeLogs() {
    auto list = std::make_unique<orlo::OrloPageList>();
    list->Append(MakePage("a.txt", {{0, 1, 0, 1}, {0, 1, 1, 1}, {0, 1, 2, 0}, {1, 2, 3, 1}}));
    list->Append(MakePage("b.txt", {{0, 1, 0, 1}, {0, 1, 1, 0}, {0, 1, 2, 0}}));
    list->Append(MakePage("c.txt", {{0, 1, 0, 1}, {0, 1, 1, 1}, {0, 1, 2, 0}}));
    orlo::BuildMergedPage(*list);
    return list;
}

// A pixel inside the cell clear of its centred text.
QPoint CellPoint(CMFCPageOrlo& page, int row, int col) {
    CGridCtrl* grid = page.Grid();
    const QRect cell = grid->GetCellRect(row, col);
    return grid->viewport()->mapTo(&page, cell.topLeft() + QPoint(3, 3));
}

class CMFCPageOrloTest : public orloui::COrloUiTest {
protected:
    void SetUp() override {
        orloui::COrloUiTest::SetUp();
        m_pList = ThreeLogs();
    }
    std::unique_ptr<orlo::OrloPageList> m_pList;
};

TEST_F(CMFCPageOrloTest, StatisticsGridShowsPassCountsGreenAtNYellowBelowWhiteOtherwise) {
    CMFCPageOrloMain page(m_pList->Merged(), 3, nullptr);
    page.resize(1100, 700);
    page.show();
    ASSERT_NE(page.Grid(), nullptr);
    CGridCtrl& grid = *page.Grid();
    EXPECT_EQ(grid.GetRowCount(), 257);
    EXPECT_EQ(grid.GetColumnCount(), 37);
    const int c0 = orlo::kOrloFirstClkwrCol;
    EXPECT_EQ(grid.GetItemText(kRowA, c0).toStdString(), "3");
    EXPECT_EQ(grid.GetItemText(kRowA, c0 + 1).toStdString(), "2");
    EXPECT_EQ(grid.GetItemText(kRowA, c0 + 2).toStdString(), "");
    EXPECT_EQ(grid.GetItemText(kRowB, c0 + 3).toStdString(), "1");
    EXPECT_EQ(ColourAt(page, CellPoint(page, kRowA, c0)), kGreen);
    EXPECT_EQ(ColourAt(page, CellPoint(page, kRowA, c0 + 1)), kYellow);
    EXPECT_EQ(ColourAt(page, CellPoint(page, kRowA, c0 + 2)), kWhite);
    EXPECT_EQ(ColourAt(page, CellPoint(page, kRowB, c0 + 3)), kYellow);
    EXPECT_EQ(ColourAt(page, CellPoint(page, 1, c0)), kWhite); // a combination no log holds
    // Headings and the value columns on dark grey.
    EXPECT_EQ(grid.GetItemText(0, 1).toStdString(), "dqs");
    EXPECT_EQ(grid.GetItemText(0, c0 + 31).toStdString(), "31");
    EXPECT_EQ(grid.GetItemText(27, 0).toStdString(), " 27");
    EXPECT_EQ(grid.GetItemText(27, 2).toStdString(), "1");
    EXPECT_EQ(grid.GetItemText(27, 3).toStdString(), "2");
    EXPECT_EQ(grid.GetItemText(27, 4).toStdString(), "2");
    EXPECT_EQ(ColourAt(page, CellPoint(page, kRowA, 1)), kDarkGrey);
}

TEST_F(CMFCPageOrloTest, CountAboveNKeepsTheDefaultColour) {
    CMFCPageOrloMain page(m_pList->Merged(), 2, nullptr);
    page.resize(1100, 700);
    page.show();
    const int c0 = orlo::kOrloFirstClkwrCol;
    EXPECT_EQ(page.Grid()->GetItemText(kRowA, c0).toStdString(), "3");
    EXPECT_EQ(page.Grid()->GetItemBkColour(kRowA, c0), grid::kDefaultColour);
    EXPECT_EQ(ColourAt(page, CellPoint(page, kRowA, c0 + 1)), kGreen); // 2 of N = 2
}

TEST_F(CMFCPageOrloTest, LogPageShowsPassesGreenAndEverythingElseWhiteWithoutText) {
    CMFCPageOrlo page(m_pList->Pages()[0].get(), 3, nullptr);
    page.resize(1100, 700);
    page.show();
    ASSERT_NE(page.Grid(), nullptr);
    const int c0 = orlo::kOrloFirstClkwrCol;
    EXPECT_EQ(ColourAt(page, CellPoint(page, kRowA, c0)), kGreen);
    EXPECT_EQ(ColourAt(page, CellPoint(page, kRowA, c0 + 1)), kGreen);
    EXPECT_EQ(ColourAt(page, CellPoint(page, kRowA, c0 + 2)), kWhite); // failed
    EXPECT_EQ(ColourAt(page, CellPoint(page, kRowA, c0 + 3)), kWhite); // not scanned
    EXPECT_EQ(page.Grid()->GetItemText(kRowA, c0).toStdString(), "");
}

TEST_F(CMFCPageOrloTest, BestCombinationIsMarkedRedAndAnEarlierMarkTurnsBackToGrey) {
    CMFCPageOrloMain page(m_pList->Merged(), 3, nullptr);
    page.resize(1100, 700);
    page.show();
    page.ShowBestSet(0, 0, 0, 1, 0);
    for (int col = 1; col <= 4; ++col) {
        EXPECT_EQ(ColourAt(page, CellPoint(page, kRowA, col)), kRed) << col;
        EXPECT_EQ(ColourAt(page, CellPoint(page, kRowB, col)), kDarkGrey) << col;
    }
    page.ShowBestSet(0, 0, 1, 2, 3);
    for (int col = 1; col <= 4; ++col) {
        EXPECT_EQ(ColourAt(page, CellPoint(page, kRowA, col)), kDarkGrey) << col;
        EXPECT_EQ(ColourAt(page, CellPoint(page, kRowB, col)), kRed) << col;
    }
    // The clkwr cells of the marked row keep their own colours.
    EXPECT_EQ(ColourAt(page, CellPoint(page, kRowB, orlo::kOrloFirstClkwrCol + 3)), kYellow);
}

TEST_F(CMFCPageOrloTest, RecommendedSetListHasFiveColumnsAndOneRowRefilledEachTime) {
    CMFCPageOrloMain page(m_pList->Merged(), 3, nullptr);
    page.resize(1100, 700);
    CEditListCtrl& list = *page.BestList();
    const char* const titles[] = {"dqs_drv", "data_drv", "ctl_drv", "clk_drv", "clkwr"};
    const int widths[] = {56, 60, 56, 56, 60};
    ASSERT_EQ(list.columnCount(), 5);
    for (int col = 0; col < 5; ++col) {
        EXPECT_EQ(list.horizontalHeaderItem(col)->text().toStdString(), titles[col]);
        EXPECT_EQ(list.columnWidth(col), widths[col]);
    }
    EXPECT_EQ(list.selectionBehavior(), QAbstractItemView::SelectRows);
    page.ShowBestSet(1, 2, 3, 0, 17);
    page.ShowBestSet(2, 1, 0, 3, 9);
    ASSERT_EQ(list.GetItemCount(), 1);
    const char* const values[] = {"2", "1", "0", "3", "9"};
    for (int col = 0; col < 5; ++col) {
        EXPECT_EQ(list.GetItemText(0, col).toStdString(), values[col]);
    }
}

TEST_F(CMFCPageOrloTest, FirstVerdictMovesTheSetAndShowsTheTextsLaterOnesOnlyRecolour) {
    CMFCPageOrloMain page(m_pList->Merged(), 3, nullptr);
    page.resize(1100, 700);
    page.show();
    const QRect label = page.BestLabel()->geometry();
    const QRect list = page.BestList()->geometry();
    const QRect frame = page.VerdictFrame()->geometry();
    const QRect result = page.ResultLabel()->geometry();
    const QRect reason = page.ReasonLabel()->geometry();
    EXPECT_FALSE(page.ResultLabel()->isVisible());
    EXPECT_FALSE(page.ReasonLabel()->isVisible());

    page.ShowVerdict(false, L"原因:0,0,0,1的clkwr的pass数目1小于4");
    const auto check = [&]() {
        EXPECT_EQ(page.BestLabel()->x(), label.x() + 180);
        EXPECT_EQ(page.BestList()->x(), list.x() + 180);
        EXPECT_EQ(page.BestList()->geometry().right(), list.right());
        EXPECT_EQ(page.VerdictFrame()->x(), frame.x());
        EXPECT_EQ(page.VerdictFrame()->width(), frame.width() + 180);
        const QRect r = page.ResultLabel()->geometry();
        EXPECT_EQ(r.left(), result.left() + 15);
        EXPECT_EQ(r.top(), result.top() - 30);
        EXPECT_EQ(r.right(), result.right() + 150);
        EXPECT_EQ(r.bottom(), result.bottom() + 55);
        const QRect s = page.ReasonLabel()->geometry();
        EXPECT_EQ(s.left(), reason.left() + 10);
        EXPECT_EQ(s.right(), reason.right() + 175);
        EXPECT_EQ(page.ResultLabel()->text().toStdString(), "FAIL");
        EXPECT_EQ(page.ReasonLabel()->text().toStdString(), "原因:0,0,0,1的clkwr的pass数目1小于4");
    };
    check();
    EXPECT_TRUE(page.ResultLabel()->isVisible());
    EXPECT_EQ(page.ResultLabel()->font().pointSize(), 60);
    EXPECT_EQ(page.ResultLabel()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_FALSE(page.Verdict());

    page.ShowVerdict(true, L"");
    check(); // nothing moves again and the first texts stay
    EXPECT_EQ(page.ResultLabel()->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    EXPECT_TRUE(page.Verdict());
    // The text is painted in the verdict's colour.
    const QImage text = page.ResultLabel()->grab().toImage();
    bool green = false;
    for (int y = 0; y < text.height() && !green; ++y) {
        for (int x = 0; x < text.width() && !green; ++x) {
            green = text.pixelColor(x, y) == QColor(0, 255, 0);
        }
    }
    EXPECT_TRUE(green);
}

TEST_F(CMFCPageOrloTest, ZoomStepsInsideEightyToOneTwentyAndStopsAtTheLimits) {
    CMFCPageOrlo page(m_pList->Pages()[0].get(), 3, nullptr);
    page.resize(1100, 700);
    page.Initialise();
    CGridCtrl& grid = *page.Grid();
    EXPECT_EQ(grid.GetRowHeight(3), 28);
    EXPECT_EQ(grid.GetColumnWidth(0), 32);
    EXPECT_EQ(grid.GetColumnWidth(1), 34);
    EXPECT_EQ(grid.GetColumnWidth(5), 28);

    page.Zoom(1);
    EXPECT_EQ(page.GetZoom(), 101);
    EXPECT_EQ(grid.GetRowHeight(2), 28); // rows from 3 on
    EXPECT_EQ(grid.GetRowHeight(3), 29);
    EXPECT_EQ(grid.GetColumnWidth(0), 35);
    EXPECT_EQ(grid.GetColumnWidth(1), 50);
    EXPECT_EQ(grid.GetColumnWidth(2), 35);
    EXPECT_EQ(grid.GetColumnWidth(5), 29);
    for (int i = 0; i < 25; ++i) {
        page.Zoom(1);
    }
    EXPECT_EQ(page.GetZoom(), 120);
    EXPECT_EQ(grid.GetRowHeight(3), 48);
    EXPECT_EQ(grid.GetColumnWidth(5), 48);

    page.Zoom(-45); // below 80: the zoom is set to 80 and nothing is resized
    EXPECT_EQ(page.GetZoom(), 80);
    EXPECT_EQ(grid.GetRowHeight(3), 48);
    page.Zoom(-1);
    EXPECT_EQ(page.GetZoom(), 80);
    EXPECT_EQ(grid.GetColumnWidth(5), 48);
}

TEST_F(CMFCPageOrloTest, CtrlWheelOnTheGridZoomsThePagePlainWheelDoesNot) {
    CMFCPageOrlo page(m_pList->Pages()[0].get(), 3, nullptr);
    page.resize(1100, 700);
    page.show();
    QWidget* viewport = page.Grid()->viewport();
    const auto wheel = [&](Qt::KeyboardModifiers modifiers, int delta) {
        QWheelEvent event(QPointF(50, 50), viewport->mapToGlobal(QPointF(50, 50)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        // As from the window system: only those travel on to the parents when ignored.
        // (sendEvent would mark it as synthesized again).
        QSpontaneKeyEvent::setSpontaneous(&event);
        QApplication::instance()->notify(viewport, &event);
    };
    wheel(Qt::ControlModifier, 240);
    EXPECT_EQ(page.GetZoom(), 102);
    wheel(Qt::NoModifier, 120);
    EXPECT_EQ(page.GetZoom(), 102);
    wheel(Qt::ControlModifier | Qt::ShiftModifier, 120);
    EXPECT_EQ(page.GetZoom(), 102);
    wheel(Qt::ControlModifier, -120);
    EXPECT_EQ(page.GetZoom(), 101);
}

} // namespace
