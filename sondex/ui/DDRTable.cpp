#include "DDRTable.h"

#include "GridCtrl.h"
#include "ScanTableChart.h"

using namespace sondex;

CDDRTable::CDDRTable(const CPinScanTable* table, CGridCtrl* grid)
    : m_pGrid(grid), m_pTable(table), m_nGridRows(table->GetColCount()),
      m_nGridColumns(table->GetRowCount()), m_nRowParamCount(table->GetRowParamCount()),
      m_nColParamCount(table->GetColParamCount()),
      m_nLastColRangeCount(table->GetLastColRangeCount()), m_rowRanges(table->GetRowRanges()),
      m_colRanges(table->GetColRanges()) {}

// The cell rules live in the engine, so the exports draw what this grid shows.
grid::Colour CellBackground(const CCellList& results) {
    return ScanCellColour(results);
}

QString CellText(const CCellList& results, bool statistical) {
    return QString::fromStdWString(ScanCellText(results, statistical));
}

QString PinNameOf(const CValueRange* range) {
    return QString::fromStdWString(ScanPinName(range));
}

void CDDRTable::Fill() {
    const int nB = m_nRowParamCount;
    const int nC = m_nColParamCount;
    CGridCtrl& g = *m_pGrid;
    g.SetRowCount(m_nGridRows);
    g.SetColumnCount(m_nGridColumns);
    g.SetFixedRowCount(std::min(nB, m_nGridRows));
    g.SetFixedColumnCount(std::min(nC, m_nGridColumns));
    g.SetFixedBkColour(kFixedBk);
    g.SetGridBkColour(kGridBk);
    g.SetTextBkColour(kNoResultBk);
    for (int r = 0; r < m_nGridRows; ++r) {
        g.SetRowHeight(r, kRowHeight);
    }
    for (int c = 0; c < m_nGridColumns; ++c) {
        g.SetColumnWidth(c, kColumnWidth);
    }

    auto headerValue = [this](int tableRow, int tableCol) -> int32_t {
        return m_pTable->GetHeaderValue(tableRow, tableCol).value_or(0);
    };
    // Row-parameter values across the top, in hex.
    for (int i = 0; i < nB && i < m_nGridRows; ++i) {
        if (nC >= 1) {
            g.SetItemText(i, nC - 1,
                          PinNameOf(i < int(m_rowRanges.size()) ? m_rowRanges[i] : nullptr));
        }
        for (int c = nC; c < m_nGridColumns; ++c) {
            g.SetItemText(
                i, c, QStringLiteral("0x%1").arg(static_cast<uint32_t>(headerValue(c, i)), 0, 16));
        }
    }
    // Column-parameter values down the left; all but the last only where they change.
    if (nB < m_nGridRows) {
        for (int j = 0; j < nC && j < m_nGridColumns; ++j) {
            g.SetItemText(nB, j, PinNameOf(j < int(m_colRanges.size()) ? m_colRanges[j] : nullptr));
        }
    }
    const int every = std::max(1, m_nLastColRangeCount);
    for (int i = nB + 1; i < m_nGridRows; ++i) {
        for (int j = 0; j < nC && j < m_nGridColumns; ++j) {
            if (j == nC - 1 || (i - nB - 1) % every == 0) {
                g.SetItemText(i, j, QString::number(headerValue(j, i)));
            }
        }
    }
    PaintCells();
}

bool CDDRTable::TableCell(int gridRow, int gridCol, int& tableRow, int& tableCol) const {
    if (gridRow <= m_nRowParamCount || gridCol < m_nColParamCount || gridRow >= m_nGridRows ||
        gridCol >= m_nGridColumns) {
        return false;
    }
    tableRow = gridCol;
    tableCol = gridRow;
    return true;
}

void CDDRTable::PaintCells() {
    const int nB = m_nRowParamCount;
    const int nC = m_nColParamCount;
    CGridCtrl& g = *m_pGrid;
    // Data cells; cells without results keep the white default.
    const bool statistical = m_pTable->IsStatistical();
    m_pTable->ForEachCell([&](int tableRow, int tableCol, const CCellList& results) {
        const int row = tableCol;
        const int col = tableRow;
        if (row <= nB || col < nC || row >= m_nGridRows || col >= m_nGridColumns) {
            return;
        }
        g.SetItemBkColour(row, col, CellBackground(results));
        const QString text = CellText(results, statistical);
        if (!text.isEmpty()) {
            g.SetItemText(row, col, text);
        }
    });
    g.Refresh();
}

void CDDRTable::Zoom(int step) {
    const int next = m_nZoom + step;
    if (next < kMinZoom || next > kMaxZoom) {
        m_nZoom = next < kMinZoom ? kMinZoom : kMaxZoom;
        return;
    }
    m_nZoom = next;
    m_pGrid->AddToRowHeights(0, step, kMinSize, kRowHeight);
    m_pGrid->AddToColumnWidths(0, step, kMinSize, kColumnWidth);
}

QSize CDDRTable::GridSize() const {
    const int w = m_nGridColumns > 0 ? m_pGrid->GetColumnWidth(0) : kColumnWidth;
    const int h = m_nGridRows > 0 ? m_pGrid->GetRowHeight(0) : kRowHeight;
    return QSize((m_nGridColumns + 1) * w, (m_nGridRows + 1) * h);
}
