#include "ChartCellsHynix.h"

#include "LogPageBase.h"
#include "LogPageList.h"
#include "TextUtil.h"

void CChartCellsHynix::Build(const CLogPageBase& page) {
    Reset(page);
    for (int row = 0; row < DataRowCount(); ++row) {
        const int lane = row / m_nDriveRows;
        for (int col = 0; col < DataColCount(); ++col) {
            const SLogBlock* block = page.FindBlock(lane, col / m_nSubColumns);
            if (block == nullptr) {
                continue;
            }
            const auto records = block->Find({col % m_nSubColumns - 3, kVarroDrvStg});
            if (records.empty()) {
                continue;
            }
            SChartCell& cell = CellAt(row, col);
            cell.m_bHasRecords = true;
            int fails = 0;
            for (const CLogDataBase* record : records) {
                const ColorRef color = record->GetColor();
                if (m_bMerged) {
                    if (color == kColorFail) {
                        ++fails;
                    }
                    // Once a log failed the cell it stays red.
                    cell.m_nColor = fails > 0 ? kColorFail : color;
                } else {
                    cell.m_nColor = color;
                }
            }
            if (m_bMerged && fails > 0) {
                cell.m_strText = FormatW(L"%d", fails);
            }
        }
    }
}

std::wstring CChartCellsHynix::VarroDriveLabel() {
    return FormatW(L"%3d", kVarroDrvStg);
}
std::wstring CChartCellsHynix::HynixDriveLabel() {
    return FormatW(L"%3d", kHynixDrvStg);
}

bool CHynixChartZoom::Zoom(int step, std::vector<int>& rowHeights, std::vector<int>& colWidths) {
    m_nZoom += step;
    if (m_nZoom < 80 || m_nZoom > 120) {
        m_nZoom = m_nZoom < 80 ? 80 : 120;
        return false;
    }
    for (size_t r = 3; r < rowHeights.size(); ++r) {
        if (rowHeights[r] + step > 1) {
            rowHeights[r] += step;
        }
    }
    const int fixed[3] = {38, 90, 90};
    for (size_t c = 0; c < 3 && c < colWidths.size(); ++c) {
        colWidths[c] = fixed[c];
    }
    for (size_t c = 2; c < colWidths.size(); ++c) {
        if (colWidths[c] + step > 1) {
            colWidths[c] += step;
        }
    }
    return true;
}

SPassShare CChartCellsHynix::Share(const CLogPageList& list, int row, int col) const {
    if (m_nDriveRows <= 0 || m_nSubColumns <= 0 || row < 0 || col < 0 || row >= DataRowCount() ||
        col >= DataColCount()) {
        return {};
    }
    return list.CellShare(row / m_nDriveRows, col / m_nSubColumns,
                          CellKey(col % m_nSubColumns - 3, kVarroDrvStg));
}
