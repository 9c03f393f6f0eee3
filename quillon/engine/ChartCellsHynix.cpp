#include "ChartCellsHynix.h"

#include "LogPageBase.h"
#include "LogPageList.h"
#include "TextUtil.h"

namespace quillon {

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

SPassShare CChartCellsHynix::Share(const CLogPageList& list, int row, int col) const {
    if (m_nDriveRows <= 0 || m_nSubColumns <= 0 || row < 0 || col < 0 || row >= DataRowCount() ||
        col >= DataColCount()) {
        return {};
    }
    return list.CellShare(row / m_nDriveRows, col / m_nSubColumns,
                          CellKey(col % m_nSubColumns - 3, kVarroDrvStg));
}

} // namespace quillon
