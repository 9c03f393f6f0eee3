#include "MFCPageDDRHynix.h"

#include "GridCtrl.h"
#include "PassShareBar.h"
#include "PassShareView.h"

#include <QFont>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <QWheelEvent>

using namespace quillon;

namespace {

constexpr int kHeaderRows = 2;
constexpr int kHeaderCols = 3;

QFont ChartFont() {
    // The dialog font of the charts; where it is not installed the CJK face stands in.
    QFont font;
    font.setFamilies(
        {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Zen Hei")});
    font.setPixelSize(11);
    return font;
}

} // namespace

CMFCPageDDRHynix::CMFCPageDDRHynix(const CChartCellsHynix& chart, QWidget* parent)
    : QDialog(parent), m_chart(chart) {
    // Embedded in a tab the page is a plain child, not a window of its own.
    setWindowFlags(Qt::Widget);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

CMFCPageDDRHynix::~CMFCPageDDRHynix() = default;

int CMFCPageDDRHynix::GridRow(int dataRow, int driveRows) {
    if (driveRows <= 0) {
        return -1;
    }
    return kHeaderRows + (dataRow / driveRows) * (driveRows + 1) + 1 + dataRow % driveRows;
}

void CMFCPageDDRHynix::Initialise() {
    if (m_pGrid != nullptr) {
        return;
    }
    m_nDriveRows = m_chart.DriveRows();
    m_nSubCols = m_chart.SubColumns();
    m_nPageRows = m_chart.Lanes();
    m_nPageCols = m_chart.Columns();
    m_pGrid = new CGridCtrl(0, 0, 0, 0, this);
    m_pGrid->SetFlavour(CGridCtrl::EFlavour::Older);
    m_pGrid->SetEditable(false);
    const QFont font = ChartFont();
    m_pGrid->setFont(font);
    for (bool fixedRow : {false, true}) {
        for (bool fixedCol : {false, true}) {
            m_pGrid->GetDefaultCell(fixedRow, fixedCol).SetFont(font);
        }
    }
    layout()->addWidget(m_pGrid);
    m_pGrid->viewport()->installEventFilter(this);
    m_pGrid->installEventFilter(this);
    Fill();
    if (m_share && m_chart.IsMergedPage()) {
        m_pShareView = new CPassShareView(
            *m_pGrid,
            [this](int gridRow, int gridCol) {
                int row = 0;
                int col = 0;
                return DataCell(gridRow, gridCol, row, col) && m_chart.Cell(row, col).m_bHasRecords
                           ? m_share(row, col)
                           : SPassShare{};
            },
            [this](const std::function<void(int, int)>& visit) {
                for (int row = 0; row < m_chart.DataRowCount(); ++row) {
                    for (int col = 0; col < m_chart.DataColCount(); ++col) {
                        if (m_chart.Cell(row, col).m_bHasRecords) {
                            visit(GridRow(row, m_nDriveRows), GridCol(col));
                        }
                    }
                }
            },
            [this] { PaintStrict(); }, this);
        static_cast<QBoxLayout*>(layout())->insertWidget(0, m_pShareView->CreateBar(this));
    }
    layout()->activate();
}

void CMFCPageDDRHynix::Fill() {
    CGridCtrl& grid = *m_pGrid;
    const int dataCols = m_nPageCols * m_nSubCols;
    const int rows = m_nPageRows * (m_nDriveRows + 1) + kHeaderRows;
    grid.SetRowCount(rows);
    grid.SetColumnCount(dataCols + kHeaderCols);
    grid.SetFixedRowCount(kHeaderRows);
    grid.SetFixedColumnCount(kHeaderCols);
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
    for (int row = 0; row < rows; ++row) {
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

void CMFCPageDDRHynix::PaintStrict() {
    for (int row = 0; row < m_chart.DataRowCount(); ++row) {
        for (int col = 0; col < m_chart.DataColCount(); ++col) {
            m_pGrid->SetItemBkColour(GridRow(row, m_nDriveRows), GridCol(col),
                                     m_chart.Cell(row, col).m_nColor);
        }
    }
}

void CMFCPageDDRHynix::SetShareSource(std::function<SPassShare(int row, int col)> share) {
    m_share = std::move(share);
}

bool CMFCPageDDRHynix::DataCell(int gridRow, int gridCol, int& row, int& col) const {
    if (m_nDriveRows <= 0 || gridRow < kHeaderRows || gridCol < kHeaderCols) {
        return false;
    }
    const int inLanes = gridRow - kHeaderRows;
    const int ordinal = inLanes % (m_nDriveRows + 1) - 1;
    if (ordinal < 0) {
        return false; // a byte's title row
    }
    row = inLanes / (m_nDriveRows + 1) * m_nDriveRows + ordinal;
    col = gridCol - kHeaderCols;
    return row < m_chart.DataRowCount() && col < m_chart.DataColCount();
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

bool CMFCPageDDRHynix::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel && ZoomOnCtrlWheel(static_cast<QWheelEvent*>(event))) {
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CMFCPageDDRHynix::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        event->accept(); // an embedded page does not close
        return;
    }
    QDialog::keyPressEvent(event);
}
