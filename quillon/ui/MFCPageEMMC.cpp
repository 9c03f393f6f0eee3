#include "MFCPageEMMC.h"

#include "GridCtrl.h"
#include "SongFamilies.h"
#include "LogPageBase.h"
#include "LogPageList.h"
#include "PassShareBar.h"
#include "PassShareView.h"

#include <QFont>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <climits>

using namespace quillon;

namespace {

constexpr int kHeaderRows = 2;
constexpr int kHeaderCols = 2;
constexpr grid::Colour kWhite = 0xFFFFFF;

} // namespace

CMFCPageEMMC::CMFCPageEMMC(const CLogPageBase& page, const SEmmcNames& names, bool maximised,
                           QWidget* parent)
    : QDialog(parent), m_page(page), m_names(names), m_bMaximised(maximised) {
    if (!m_bMaximised) {
        setWindowFlags(Qt::Widget);
    } else {
        setWindowTitle(QStringLiteral("Chart Max"));
        setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    }
    m_pLayout = new QVBoxLayout(this);
    // The grid ends 3 pixels short of the right edge and 2 of the bottom.
    m_pLayout->setContentsMargins(0, 0, 3, 2);
}

CMFCPageEMMC::~CMFCPageEMMC() = default;

void CMFCPageEMMC::Initialise() {
    if (m_pGrid != nullptr) {
        return;
    }
    m_page.GetBlockSize(m_nSubRows, m_nSubCols);
    m_page.GetPageSize(m_nPageRows, m_nPageCols);
    m_pGrid = new CGridCtrl(0, 0, 0, 0, this);
    m_pGrid->SetFlavour(CGridCtrl::EFlavour::Older);
    m_pGrid->SetEditable(false);
    QFont font;
    font.setFamilies(SongFamilies());
    font.setPixelSize(11);
    m_pGrid->SetFontEverywhere(font);
    // Cells without records are white; they keep the default instead of an item each.
    m_pGrid->GetDefaultCell(false, false).SetBackClr(kWhite);
    m_pGrid->GetDefaultCell(false, false)
        .SetFormat(grid::kTextCenter | grid::kTextVCenter | grid::kTextSingleLine);
    m_pLayout->addWidget(m_pGrid, 1);
    m_pGrid->viewport()->installEventFilter(this);
    m_pGrid->installEventFilter(this);
    Fill();
    if (m_pShareList != nullptr && m_page.GetName() == kMergedPageName) {
        const int r = std::max(0, m_nSubRows);
        const int c = std::max(0, m_nSubCols);
        m_pShareView = new CPassShareView(
            *m_pGrid, [this](int gridRow, int gridCol) { return GridShare(gridRow, gridCol); },
            [this, r, c](const std::function<void(int, int)>& visit) {
                CChartCellsEMMC::ForEachCell(m_page, [&](const SEmmcChartCell& cell) {
                    visit(GridRow(cell.nRow, cell.nInRow, r), GridCol(cell.nCol, cell.nInCol, c));
                });
            },
            [this] { PaintRecords(); }, this);
        m_pLayout->insertWidget(0, m_pShareView->CreateBar(this));
    }
    m_pLayout->activate();
    if (m_bMaximised) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void CMFCPageEMMC::PaintRecords() {
    CGridCtrl& grid = *m_pGrid;
    const int r = std::max(0, m_nSubRows);
    const int c = std::max(0, m_nSubCols);
    // Only the cells with records: a full DDR50 page has a million cells.
    // Text and colour go in with one item, so the store finds each cell once.
    SGridItem item;
    item.nMask = grid::kMaskText | grid::kMaskBackColour;
    CChartCellsEMMC::ForEachCell(m_page, [&grid, &item, r, c](const SEmmcChartCell& cell) {
        item.nRow = GridRow(cell.nRow, cell.nInRow, r);
        item.nCol = GridCol(cell.nCol, cell.nInCol, c);
        if (!grid.IsValid(item.nRow, item.nCol)) {
            return;
        }
        item.crBackClr = cell.nColor;
        item.strText = QString::fromStdWString(cell.strText);
        grid.SetItem(item);
    });
}

void CMFCPageEMMC::SetShareList(const CLogPageList* list) {
    m_pShareList = list;
}

SPassShare CMFCPageEMMC::GridShare(int gridRow, int gridCol) const {
    const int r = m_nSubRows;
    const int c = m_nSubCols;
    if (m_pShareList == nullptr || r <= 0 || c <= 0 || gridRow < kHeaderRows ||
        gridCol < kHeaderCols) {
        return {};
    }
    const int inRow = (gridRow - kHeaderRows) % (r + 1) - 1;
    if (inRow < 0) {
        return {}; // a block row's title row
    }
    const int row = (gridRow - kHeaderRows) / (r + 1);
    const int col = (gridCol - kHeaderCols) / c;
    const int inCol = (gridCol - kHeaderCols) % c;
    return m_pShareList->CellShare(row, col, CellKey(inCol, inRow));
}

void CMFCPageEMMC::Fill() {
    CGridCtrl& grid = *m_pGrid;
    const int r = std::max(0, m_nSubRows);
    const int c = std::max(0, m_nSubCols);
    const int dataCols = c * std::max(0, m_nPageCols);
    const int rows = std::max(0, m_nPageRows) * (r + 1) + kHeaderRows;
    grid.SetRowCount(rows);
    grid.SetColumnCount(dataCols + kHeaderCols);
    grid.SetFixedRowCount(kHeaderRows);
    grid.SetFixedColumnCount(kHeaderCols);
    const unsigned topLeft = grid::kTextLeft | grid::kTextSingleLine;
    const unsigned right = grid::kTextRight | grid::kTextVCenter | grid::kTextSingleLine;

    for (int col = 0; col < m_nPageCols; ++col) {
        const int first = GridCol(col, 0, c);
        grid.SetItemText(0, first, CChartCellsEMMC::ColumnHeader(m_names.strCol, col));
        grid.SetItemFormat(0, first, topLeft);
        for (int inCol = 0; inCol < c; ++inCol) {
            grid.SetItemText(1, first + inCol, CChartCellsEMMC::InBlockHeader(inCol));
            grid.SetItemFormat(1, first + inCol, topLeft);
        }
    }
    for (int row = 0; row < m_nPageRows; ++row) {
        const int first = GridRow(row, 0, r);
        grid.SetItemText(first, 0, CChartCellsEMMC::RowHeader(m_names.strRow, row));
        // The block's label sits at the top of its merged column, where the block starts.
        grid.SetItemFormat(first, 0, grid::kTextRight | grid::kTextSingleLine);
        for (int inRow = 0; inRow < r; ++inRow) {
            grid.SetItemText(first + inRow, 1, CChartCellsEMMC::InBlockHeader(inRow));
            grid.SetItemFormat(first + inRow, 1, right);
        }
    }
    PaintRecords();

    for (int col = kHeaderCols; col < grid.GetColumnCount(); ++col) {
        grid.SetColumnWidth(col, 35);
    }
    for (int row = 0; row < rows; ++row) {
        grid.SetRowHeight(row, 35);
    }
    // The title row above every block row, merged over the data part.
    for (int row = 0; row < m_nPageRows; ++row) {
        const int title = kHeaderRows + row * (r + 1);
        grid.SetRowHeight(title, row == 0 ? 24 : grid.GetDefaultRowHeight());
        if (dataCols > 1) {
            grid.Merge(title, kHeaderCols, 0, dataCols - 1);
        }
        if (r > 1) {
            grid.Merge(title + 1, 0, r - 1, 0);
        }
    }
    if (m_nPageRows > 0) {
        grid.SetItemText(kHeaderRows, 0, m_names.strRow);
        grid.SetItemText(kHeaderRows, 1, m_names.strInRow);
    }
    grid.SetItemText(0, 0, m_names.strCol);
    grid.SetItemText(1, 0, m_names.strInCol);
    grid.SetItemFormat(0, 0, right);
    grid.SetItemFormat(1, 0, right);
    grid.Merge(0, 0, 0, 1);
    grid.Merge(1, 0, 0, 1);
    if (c > 1) {
        for (int col = 0; col < m_nPageCols; ++col) {
            grid.Merge(0, GridCol(col, 0, c), 0, c - 1);
        }
    }
    grid.SetColumnWidth(0, 75);
    grid.SetColumnWidth(1, 43);
    grid.SetRowHeight(0, 15);
    grid.Refresh();
}

void CMFCPageEMMC::Zoom(int steps) {
    if (m_pGrid == nullptr) {
        return;
    }
    // The rule decides on the zoom value; the grid adds the step to its own sizes, which
    // for four thousand columns is cheaper than copying them out and back.
    std::vector<int> none;
    if (!m_zoom.Zoom(steps, none, none)) {
        return;
    }
    m_pGrid->AddToRowHeights(3, steps, 1, INT_MAX);
    m_pGrid->AddToColumnWidths(2, steps, 1, INT_MAX);
    m_pGrid->Refresh();
}

bool CMFCPageEMMC::eventFilter(QObject* watched, QEvent* event) {
    if (ZoomOnCtrlWheel(event)) {
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CMFCPageEMMC::keyPressEvent(QKeyEvent* event) {
    if (!TakeCloseKey(*this, event, m_bMaximised)) {
        QDialog::keyPressEvent(event);
    }
}
