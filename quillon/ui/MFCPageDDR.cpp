#include "MFCPageDDR.h"

#include "GridCtrl.h"

#include <climits>

using namespace quillon;

namespace {

constexpr int kHeaderCols = 2;
constexpr int kZoomMin = 80;
constexpr int kZoomMax = 120;

} // namespace

CMFCPageDDR::CMFCPageDDR(const CChartCellsDDR& chart, bool maximised, QWidget* parent)
    : CDdrGridPage(chart, kHeaderCols, maximised, parent), m_chart(chart) {}

CMFCPageDDR::~CMFCPageDDR() = default;

void CMFCPageDDR::Fill() {
    CGridCtrl& grid = *m_pGrid;
    const int dataCols = m_nPageCols * m_nSubCols;
    SizeGrid(kHeaderRows);
    const unsigned centred = grid::kTextCenter | grid::kTextVCenter | grid::kTextSingleLine;

    grid.SetItemText(0, 0, QStringLiteral("sdll_phs_dly(°)"));
    grid.SetItemText(1, 0, QStringLiteral("dqs_step_dly(step)"));
    // The two header names run over both header columns instead of being cut at 36 pixels.
    grid.Merge(0, 0, 0, 1);
    grid.Merge(1, 0, 0, 1);
    for (int col = 0; col < dataCols; ++col) {
        grid.SetItemFormat(0, GridCol(col), centred);
        grid.SetItemFormat(1, GridCol(col), centred);
    }

    for (int lane = 0; lane < m_nPageRows; ++lane) {
        const int title = kHeaderRows + lane * (m_nDriveRows + 1);
        if (lane == 0) {
            grid.SetItemText(title, 0, QStringLiteral("Byte"));
            grid.SetItemText(title, 1, QStringLiteral("dev_stg(ohm)"));
        }
        if (dataCols > 1) {
            grid.Merge(title, kHeaderCols, 0, dataCols - 1);
        }
        for (int ordinal = 0; ordinal < m_nDriveRows; ++ordinal) {
            const int dataRow = lane * m_nDriveRows + ordinal;
            const int row = GridRow(dataRow, m_nDriveRows);
            if (ordinal == 0) {
                grid.SetItemText(row, 0, CChartCellsDDR::LaneLabel(lane));
            }
            grid.SetItemFormat(row, 0, centred);
            grid.SetItemFormat(row, 1, centred);
        }
    }
    FillCells();

    for (int col = 0; col < grid.GetColumnCount(); ++col) {
        grid.SetColumnWidth(col, 36);
    }
    grid.SetColumnWidth(1, 70);
    for (int row = 0; row < grid.GetRowCount(); ++row) {
        grid.SetRowHeight(row, 36);
    }
    for (int lane = 0; lane < m_nPageRows; ++lane) {
        const int title = kHeaderRows + lane * (m_nDriveRows + 1);
        grid.SetRowHeight(title, lane == 0 ? 24 : grid.GetDefaultRowHeight());
    }
    PaintStrict();
    grid.Refresh();
}

void CMFCPageDDR::FillCells() {
    CGridCtrl& grid = *m_pGrid;
    const int dataCols = m_nPageCols * m_nSubCols;
    const unsigned centred = grid::kTextCenter | grid::kTextVCenter | grid::kTextSingleLine;
    // Only the cells that change are set and redrawn: a page filling live repaints a few
    // cells at a time, not the whole grid.
    const auto setText = [&grid](int row, int col, const QString& text) {
        if (grid.GetItemText(row, col) != text) {
            grid.SetItemText(row, col, text);
            grid.RedrawCell(row, col);
        }
    };
    for (int col = 0; col < dataCols; ++col) {
        setText(0, GridCol(col), QString::fromStdWString(m_chart.PhaseHeader(col)));
        setText(1, GridCol(col), QString::fromStdWString(m_chart.StepHeader(col)));
    }
    for (int dataRow = 0; dataRow < m_nPageRows * m_nDriveRows; ++dataRow) {
        const int row = GridRow(dataRow, m_nDriveRows);
        const std::wstring drive = m_chart.DriveLabel(dataRow);
        setText(row, 1, m_bFilling && drive == L" -1" ? QString() : QString::fromStdWString(drive));
        for (int col = 0; col < dataCols; ++col) {
            const SChartCell& cell = m_chart.Cell(dataRow, col);
            if (grid.GetItemBkColour(row, GridCol(col)) != cell.m_nColor) {
                grid.SetItemBkColour(row, GridCol(col), cell.m_nColor);
                grid.RedrawCell(row, GridCol(col));
            }
            if (!cell.m_strText.empty()) {
                setText(row, GridCol(col), QString::fromStdWString(cell.m_strText));
                grid.SetItemFormat(row, GridCol(col), centred);
            }
        }
    }
}

void CMFCPageDDR::RefreshCells() {
    if (m_pGrid == nullptr) {
        Initialise();
        return;
    }
    FillCells();
}

void CMFCPageDDR::PaintStrict() {
    CDdrGridPage::PaintStrict();
    CGridCtrl& grid = *m_pGrid;
    // The best runs are marks of the strict view; the pass-share view shows shares only.
    for (const SBestRunMark& mark : m_vecMarks) {
        const int row = GridRow(mark.m_nRow, m_nDriveRows);
        const int col = GridCol(mark.m_nCol);
        if (grid.IsValid(row, col)) {
            grid.SetItemBkColour(row, col, mark.m_nColor);
        }
    }
}

void CMFCPageDDR::MarkBestRuns(const std::vector<SBestRunMark>& marks) {
    m_vecMarks = marks;
    if (m_pGrid == nullptr || IsShareView()) {
        return;
    }
    PaintStrict();
    m_pGrid->Refresh();
}

void CMFCPageDDR::Zoom(int steps) {
    if (m_pGrid == nullptr) {
        return;
    }
    m_nZoom += steps;
    if (m_nZoom < kZoomMin || m_nZoom > kZoomMax) {
        m_nZoom = m_nZoom < kZoomMin ? kZoomMin : kZoomMax;
        return;
    }
    // Sizes change only where they stay above 1 pixel.
    m_pGrid->AddToRowHeights(3, steps, 2, INT_MAX);
    m_pGrid->SetColumnWidth(0, 35);
    m_pGrid->SetColumnWidth(1, 50);
    m_pGrid->AddToColumnWidths(2, steps, 2, INT_MAX);
    m_pGrid->Refresh();
}
