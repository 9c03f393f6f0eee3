// The scan-table grids of a document: the transposed layout, cell colours and texts, the
// zoom rule, and switching documents with the keyboard.

#include "SondexWindowTestSupport.h"

#include "ChildFrame.h"
#include "DDRTable.h"
#include "ResultFormView.h"
#include "SondexView.h"

#include "LogDocument.h"

#include "GridCtrl.h"

#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>

using namespace sondex;
using namespace sondexui;

namespace {

CCellList Cells(std::initializer_list<int32_t> states) {
    CCellList list;
    for (const int32_t s : states) {
        list.emplace_back(s);
    }
    return list;
}

constexpr int32_t F = CLogDataDDR::kFail;
constexpr int32_t P = CLogDataDDR::kPass;
constexpr int32_t O = CLogDataDDR::kOther;

} // namespace

TEST(DDRTableCellTest, BackgroundFollowsTheResultsInArrivalOrder) {
    const grid::Colour red = grid::Rgb(255, 0, 0);
    const grid::Colour green = grid::Rgb(0, 255, 0);
    const grid::Colour white = grid::Rgb(255, 255, 255);
    struct SCase {
        std::initializer_list<int32_t> states;
        grid::Colour expected;
    };
    const SCase cases[] = {
        {{F, P}, red},    {{P, O}, white}, {{O, P}, green}, {{P}, green},
        {{P, P, F}, red}, {{F}, red},      {{O}, white},    {{}, white},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(CellBackground(Cells(c.states)), c.expected) << c.states.size();
    }
}

TEST(DDRTableCellTest, StatisticsCellsCountTheirFailures) {
    EXPECT_EQ(CellText(Cells({F, F, P}), true), QStringLiteral("2"));
    EXPECT_EQ(CellText(Cells({P, P}), true), QStringLiteral("0"));
    EXPECT_EQ(CellText(Cells({F, O, F, F}), true), QStringLiteral("3"));
    EXPECT_EQ(CellText(Cells({F, F, P}), false), QString());
}

TEST(DDRTableCellTest, PinNameIsTheSecondPieceOfTheRangeName) {
    const CValueRange ca(L"Lpddr3_CA", {0, 1});
    const CValueRange bare(L"VREF", {0});
    const CValueRange more(L"Lpddr4_DQ_B", {0});
    EXPECT_EQ(PinNameOf(&ca), QStringLiteral("CA"));
    EXPECT_EQ(PinNameOf(&bare), QString());
    EXPECT_EQ(PinNameOf(&more), QStringLiteral("DQ"));
    EXPECT_EQ(PinNameOf(nullptr), QString());
}

class CSondexViewTest : public CSondexWindowTest {};

TEST_F(CSondexViewTest, LogTableIsShownTransposed) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->OpenLogFile(Q(kSamples / "logs" / "K7_board04.Txt")));
    CSondexView* view = frame->Frames()[0]->GetView();
    ASSERT_EQ(view->GetTables().size(), 3u);
    const CDDRTable& ddr = *view->GetTables().begin()->second;
    const CPinScanTable& table = *ddr.GetTable();
    CGridCtrl* grid = ddr.GetGrid();
    // One row parameter (CA, 32 values), two column parameters (VREF 2 values, sr 4).
    ASSERT_EQ(table.GetRowParamCount(), 1);
    ASSERT_EQ(table.GetColParamCount(), 2);
    EXPECT_EQ(grid->GetRowCount(), table.GetColCount());
    EXPECT_EQ(grid->GetColumnCount(), table.GetRowCount());
    EXPECT_EQ(grid->GetRowCount(), 1 + 1 + 8);
    EXPECT_EQ(grid->GetColumnCount(), 2 + 32);
    EXPECT_EQ(grid->GetFixedRowCount(), 1);
    EXPECT_EQ(grid->GetFixedColumnCount(), 2);

    EXPECT_EQ(grid->GetItemText(0, 1), QStringLiteral("CA"));
    EXPECT_EQ(grid->GetItemText(0, 2), QStringLiteral("0x0"));
    EXPECT_EQ(grid->GetItemText(0, 33), QStringLiteral("0x1f"));
    EXPECT_EQ(grid->GetItemText(1, 0), QStringLiteral("VREF"));
    EXPECT_EQ(grid->GetItemText(1, 1), QStringLiteral("sr"));
    // VREF only where it changes (every fourth data row), sr on every data row.
    const QString vref[] = {"16", "", "", "", "24", "", "", ""};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(grid->GetItemText(2 + i, 0), vref[i]) << i;
        EXPECT_EQ(grid->GetItemText(2 + i, 1), QString::number(i % 4)) << i;
    }
    // Data cells: colour of the results, no text in a log's table.
    int red = 0;
    int green = 0;
    table.ForEachCell([&](int tableRow, int tableCol, const CCellList& list) {
        EXPECT_EQ(grid->GetItemBkColour(tableCol, tableRow), CellBackground(list));
        EXPECT_TRUE(grid->GetItemText(tableCol, tableRow).isEmpty());
        red += CellBackground(list) == CDDRTable::kFailBk ? 1 : 0;
        green += CellBackground(list) == grid::Rgb(0, 255, 0) ? 1 : 0;
    });
    EXPECT_GT(red, 0);
    EXPECT_GT(green, 0);
    EXPECT_EQ(grid->GetEffectiveBkColour(0, 5), CDDRTable::kFixedBk);
    EXPECT_EQ(grid->GetGridBkColour(), CDDRTable::kGridBk);
    for (int c = 0; c < grid->GetColumnCount(); ++c) {
        EXPECT_EQ(grid->GetColumnWidth(c), 47);
    }
    for (int r = 0; r < grid->GetRowCount(); ++r) {
        EXPECT_EQ(grid->GetRowHeight(r), 21);
    }
    // Painted colours: a fixed cell and the page around the grids.
    const QImage image = grid->viewport()->grab().toImage();
    const QRect fixedCell = grid->GetCellRect(0, 5);
    EXPECT_EQ(image.pixelColor(fixedCell.left() + 3, fixedCell.bottom() - 3),
              QColor(225, 228, 192));
}

TEST_F(CSondexViewTest, GridsStandOneRowApartAndSetTheScrollRange) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->OpenLogFile(Q(kSamples / "logs" / "K7_board01.Txt")));
    CSondexView* view = frame->Frames()[0]->GetView();
    int y = 0;
    int widest = 0;
    for (const auto& [index, ddr] : view->GetTables()) {
        CGridCtrl* grid = ddr->GetGrid();
        const QRect expected(0, y, (grid->GetColumnCount() + 1) * 47,
                             (grid->GetRowCount() + 1) * 21);
        EXPECT_EQ(grid->geometry(), expected);
        y += expected.height() + 21;
        widest = std::max(widest, expected.width());
    }
    EXPECT_GE(view->GetPage()->height(), y + CSondexView::kBottomMargin);
    EXPECT_GE(view->GetPage()->width(), widest);
    const QImage page = view->GetPage()->grab().toImage();
    EXPECT_EQ(page.pixelColor(page.width() - 2, page.height() - 2), CSondexView::kBackground);
}

TEST_F(CSondexViewTest, ZoomStaysInItsBounds) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->OpenLogFile(Q(kSamples / "logs" / "K7_board01.Txt")));
    CSondexView* view = frame->Frames()[0]->GetView();
    const CDDRTable& ddr = *view->GetTables().begin()->second;
    CGridCtrl* grid = ddr.GetGrid();

    // Zooming in at start changes no size (they are at their largest) but moves the counter.
    view->ZoomBy(5);
    EXPECT_EQ(ddr.GetZoom(), 105);
    EXPECT_EQ(grid->GetRowHeight(3), 21);
    EXPECT_EQ(grid->GetColumnWidth(3), 47);
    view->ZoomBy(30); // beyond 120: clamped, nothing else
    EXPECT_EQ(ddr.GetZoom(), 120);
    view->ZoomBy(-1);
    EXPECT_EQ(ddr.GetZoom(), 119);
    EXPECT_EQ(grid->GetRowHeight(3), 20);
    EXPECT_EQ(grid->GetColumnWidth(3), 46);
    EXPECT_EQ(grid->geometry().height(), (grid->GetRowCount() + 1) * 20);
    view->ZoomBy(-10); // rows would be 10: they stay, columns shrink
    EXPECT_EQ(ddr.GetZoom(), 109);
    EXPECT_EQ(grid->GetRowHeight(3), 20);
    EXPECT_EQ(grid->GetColumnWidth(3), 36);
    view->ZoomBy(-40); // below 80: clamped, nothing else
    EXPECT_EQ(ddr.GetZoom(), 80);
    EXPECT_EQ(grid->GetColumnWidth(3), 36);

    // Control + wheel: one step per notch, toward zero.
    QWheelEvent wheel(QPointF(10, 10), view->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, 240),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    EXPECT_EQ(ddr.GetZoom(), 82);
    EXPECT_EQ(grid->GetColumnWidth(3), 38);
}

TEST_F(CSondexViewTest, LeftAndRightSwitchDocumentsWithoutWrapping) {
    const fs::path folder = Folder("keys");
    CopySample(folder, "K7_board01.Txt", "a.Txt");
    CopySample(folder, "K7_board02.Txt", "b.Txt");
    auto frame = MakeFrame();
    ASSERT_EQ(frame->AnalyzeFolder(Q(folder)), 2);
    const auto& frames = frame->Frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frame->ActiveFrame(), frames[2]);
    QTest::keyClick(frames[2]->GetView(), Qt::Key_Right);
    EXPECT_EQ(frame->ActiveFrame(), frames[2]);
    QTest::keyClick(frames[2]->GetView(), Qt::Key_Left);
    EXPECT_EQ(frame->ActiveFrame(), frames[1]);
    EXPECT_EQ(frame->ResultForm()->ParameterLabel()->text().left(8), QStringLiteral("Project:"));
    QTest::keyClick(frames[1]->GetView(), Qt::Key_Left);
    EXPECT_EQ(frame->ActiveFrame(), frames[0]);
    QTest::keyClick(frames[0]->GetView(), Qt::Key_Left);
    EXPECT_EQ(frame->ActiveFrame(), frames[0]);
    QTest::keyClick(frames[0]->GetView(), Qt::Key_Right);
    EXPECT_EQ(frame->ActiveFrame(), frames[1]);
}
