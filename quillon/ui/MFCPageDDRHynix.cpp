#include "MFCPageDDRHynix.h"

#include "GridCtrl.h"

using namespace quillon;

namespace {

constexpr int kHeaderCols = 3;

} // namespace

CMFCPageDDRHynix::CMFCPageDDRHynix(const CChartCellsHynix& chart, QWidget* parent)
    : CDdrGridPage(chart, kHeaderCols, false, parent), m_chart(chart) {}

CMFCPageDDRHynix::~CMFCPageDDRHynix() = default;

void CMFCPageDDRHynix::Fill() {
    CGridCtrl& grid = *m_pGrid;
    const int dataCols = m_nPageCols * m_nSubCols;
    SizeGrid(kHeaderRows);
    const unsigned topLeft = grid::kTextLeft | grid::kTextSingleLine;
    const unsigned right = grid::kTextRight | grid::kTextVCenter | grid::kTextSingleLine;
    const unsigned centred = grid::kTextCenter | grid::kTextVCenter | grid::kTextSingleLine;

    for (int col = 0; col < dataCols; ++col) {
        grid.SetItemText(0, GridCol(col), m_chart.PhaseHeader(col));
        grid.SetItemText(1, GridCol(col), m_chart.StepHeader(col));
        grid.SetItemFormat(0, GridCol(col), topLeft);
        grid.SetItemFormat(1, GridCol(col), topLeft);
    }
    for (int lane = 0; lane < m_nPageRows; ++lane) {
        for (int ordinal = 0; ordinal < m_nDriveRows; ++ordinal) {
            const int dataRow = lane * m_nDriveRows + ordinal;
            const int row = GridRow(dataRow, m_nDriveRows);
            if (ordinal == 0) {
                grid.SetItemText(row, 0, CChartCellsHynix::LaneLabel(lane));
            }
            grid.SetItemText(row, 1, CChartCellsHynix::VarroDriveLabel());
            grid.SetItemText(row, 2, CChartCellsHynix::HynixDriveLabel());
            for (int col = 0; col < kHeaderCols; ++col) {
                grid.SetItemFormat(row, col, right);
            }
            for (int col = 0; col < dataCols; ++col) {
                const SChartCell& cell = m_chart.Cell(dataRow, col);
                if (!cell.m_strText.empty()) {
                    grid.SetItemText(row, GridCol(col), cell.m_strText);
                }
                grid.SetItemFormat(row, GridCol(col), centred);
            }
        }
    }
    for (int col = 0; col < grid.GetColumnCount(); ++col) {
        grid.SetColumnWidth(col, 36);
    }
    for (int row = 0; row < grid.GetRowCount(); ++row) {
        grid.SetRowHeight(row, 36);
    }
    // The title row above each byte; the first carries the captions of the header columns.
    for (int lane = 0; lane < m_nPageRows; ++lane) {
        const int title = kHeaderRows + lane * (m_nDriveRows + 1);
        grid.SetRowHeight(title, lane == 0 ? 24 : grid.GetDefaultRowHeight());
        if (dataCols > 1) {
            grid.Merge(title, kHeaderCols, 0, dataCols - 1);
        }
    }
    if (m_nPageRows > 0) {
        grid.SetItemText(kHeaderRows, 0, QStringLiteral("Byte"));
        grid.SetItemText(kHeaderRows, 1, QStringLiteral("varro_drv_stg(ohm)"));
        grid.SetItemText(kHeaderRows, 2, QStringLiteral("hynix_drv_stg(ohm)"));
    }
    grid.SetColumnWidth(0, 40);
    grid.SetColumnWidth(1, 90);
    grid.SetColumnWidth(2, 90);
    grid.SetItemText(0, 0, QStringLiteral("sdll_phs_dly(°)"));
    grid.SetItemText(1, 0, QStringLiteral("dqs_step_dly(step)"));
    grid.Merge(0, 0, 0, 2);
    grid.Merge(1, 0, 0, 2);
    grid.SetColumnWidth(1, 70);
    PaintStrict();
    grid.Refresh();
}

void CMFCPageDDRHynix::Zoom(int steps) {
    if (m_pGrid == nullptr) {
        return;
    }
    std::vector<int> heights(size_t(m_pGrid->GetRowCount()));
    std::vector<int> widths(size_t(m_pGrid->GetColumnCount()));
    for (size_t row = 0; row < heights.size(); ++row) {
        heights[row] = m_pGrid->GetRowHeight(int(row));
    }
    for (size_t col = 0; col < widths.size(); ++col) {
        widths[col] = m_pGrid->GetColumnWidth(int(col));
    }
    if (!m_zoom.Zoom(steps, heights, widths)) {
        return;
    }
    for (size_t row = 0; row < heights.size(); ++row) {
        m_pGrid->SetRowHeight(int(row), heights[row]);
    }
    for (size_t col = 0; col < widths.size(); ++col) {
        m_pGrid->SetColumnWidth(int(col), widths[col]);
    }
    m_pGrid->Refresh();
}
