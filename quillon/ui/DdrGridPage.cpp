#include "DdrGridPage.h"

#include "GridCtrl.h"
#include "SongFamilies.h"
#include "PassShareBar.h"
#include "PassShareView.h"

#include <QBoxLayout>
#include <QFont>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <QWheelEvent>

using namespace quillon;

CDdrGridPage::CDdrGridPage(const CChartCellGrid& cells, int headerCols, bool ownWindow,
                           QWidget* parent)
    : QDialog(parent), m_cells(cells), m_nHeaderCols(headerCols), m_bMaximised(ownWindow) {
    if (!m_bMaximised) {
        // Embedded in a tab the page is a plain child, not a window of its own.
        setWindowFlags(Qt::Widget);
    } else {
        setWindowTitle(QStringLiteral("Chart Max"));
        setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

CDdrGridPage::~CDdrGridPage() = default;

int CDdrGridPage::GridRow(int dataRow, int driveRows) {
    if (driveRows <= 0) {
        return -1;
    }
    return kHeaderRows + (dataRow / driveRows) * (driveRows + 1) + 1 + dataRow % driveRows;
}

void CDdrGridPage::Initialise() {
    if (m_pGrid != nullptr) {
        return;
    }
    m_nDriveRows = m_cells.DriveRows();
    m_nSubCols = m_cells.SubColumns();
    m_nPageRows = m_cells.Lanes();
    m_nPageCols = m_cells.Columns();
    m_pGrid = new CGridCtrl(0, 0, 0, 0, this);
    m_pGrid->SetFlavour(CGridCtrl::EFlavour::Older);
    m_pGrid->SetEditable(false);
    // The dialog font of the charts; where it is not installed the CJK face stands in.
    QFont font;
    font.setFamilies(SongFamilies());
    font.setPixelSize(11);
    m_pGrid->SetFontEverywhere(font);
    layout()->addWidget(m_pGrid);
    m_pGrid->viewport()->installEventFilter(this);
    m_pGrid->installEventFilter(this);
    Fill();
    if (m_share && m_cells.IsMergedPage()) {
        m_pShareView = new CPassShareView(
            *m_pGrid,
            [this](int gridRow, int gridCol) {
                int row = 0;
                int col = 0;
                return DataCell(gridRow, gridCol, row, col) && m_cells.Cell(row, col).m_bHasRecords
                           ? m_share(row, col)
                           : SPassShare{};
            },
            [this](const std::function<void(int, int)>& visit) {
                for (int row = 0; row < m_cells.DataRowCount(); ++row) {
                    for (int col = 0; col < m_cells.DataColCount(); ++col) {
                        if (m_cells.Cell(row, col).m_bHasRecords) {
                            visit(GridRow(row, m_nDriveRows), col + m_nHeaderCols);
                        }
                    }
                }
            },
            [this] { PaintStrict(); }, this);
        static_cast<QBoxLayout*>(layout())->insertWidget(0, m_pShareView->CreateBar(this));
    }
    // A page built while it is being shown gets its grid's size now, not at the next event.
    layout()->activate();
    if (m_bMaximised) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void CDdrGridPage::PaintStrict() {
    for (int row = 0; row < m_cells.DataRowCount(); ++row) {
        for (int col = 0; col < m_cells.DataColCount(); ++col) {
            m_pGrid->SetItemBkColour(GridRow(row, m_nDriveRows), col + m_nHeaderCols,
                                     m_cells.Cell(row, col).m_nColor);
        }
    }
}

void CDdrGridPage::SetShareSource(std::function<SPassShare(int row, int col)> share) {
    m_share = std::move(share);
}

void CDdrGridPage::SetShareView(bool share) {
    if (m_pShareView != nullptr) {
        m_pShareView->SetShareView(share);
    }
}

bool CDdrGridPage::IsShareView() const {
    return m_pShareView != nullptr && m_pShareView->IsShareView();
}

CPassShareBar* CDdrGridPage::ShareBar() const {
    return m_pShareView != nullptr ? m_pShareView->Bar() : nullptr;
}

QString CDdrGridPage::CellToolTip(int gridRow, int gridCol) const {
    return m_pShareView != nullptr ? m_pShareView->ToolTip(gridRow, gridCol) : QString();
}

bool CDdrGridPage::DataCell(int gridRow, int gridCol, int& row, int& col) const {
    if (m_nDriveRows <= 0 || gridRow < kHeaderRows || gridCol < m_nHeaderCols) {
        return false;
    }
    const int inLanes = gridRow - kHeaderRows;
    const int ordinal = inLanes % (m_nDriveRows + 1) - 1;
    if (ordinal < 0) {
        return false; // a lane's title row
    }
    row = inLanes / (m_nDriveRows + 1) * m_nDriveRows + ordinal;
    col = gridCol - m_nHeaderCols;
    return row < m_cells.DataRowCount() && col < m_cells.DataColCount();
}

void CDdrGridPage::SizeGrid(int headerRows) {
    m_pGrid->SetRowCount(m_nPageRows * (m_nDriveRows + 1) + headerRows);
    m_pGrid->SetColumnCount(m_nPageCols * m_nSubCols + m_nHeaderCols);
    m_pGrid->SetFixedRowCount(headerRows);
    m_pGrid->SetFixedColumnCount(m_nHeaderCols);
}

bool CDdrGridPage::eventFilter(QObject* watched, QEvent* event) {
    if (ZoomOnCtrlWheel(event)) {
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CDdrGridPage::keyPressEvent(QKeyEvent* event) {
    if (!TakeCloseKey(*this, event, m_bMaximised)) {
        QDialog::keyPressEvent(event);
    }
}
