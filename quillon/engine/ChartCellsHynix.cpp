#include "ChartCellsHynix.h"

#include "LogPageBase.h"
#include "LogPageList.h"
#include "TextUtil.h"

namespace quillon {

namespace {

char ColorLetter(const SChartCell& cell) {
    if (!cell.m_bHasRecords) {
        return '.';
    }
    switch (cell.m_nColor) {
    case kColorPass:
        return 'G';
    case kColorFail:
        return 'R';
    default:
        return '?';
    }
}

} // namespace

void CChartCellsHynix::Build(const CLogPageBase& page) {
    page.GetPageSize(m_nLanes, m_nColumns);
    page.GetBlockSize(m_nDriveRows, m_nSubColumns);
    m_nLanes = std::max(m_nLanes, 0);
    m_nColumns = std::max(m_nColumns, 0);
    m_nDriveRows = std::max(m_nDriveRows, 0);
    m_nSubColumns = std::max(m_nSubColumns, 0);
    m_bMerged = page.GetName() == kMergedPageName;
    m_vecColumnValues.clear();
    for (int c = 0; c < m_nColumns; ++c) {
        m_vecColumnValues.push_back(page.GetColumnValue(c));
    }
    m_vecCells.assign(static_cast<size_t>(DataRowCount()) * static_cast<size_t>(DataColCount()),
                      SChartCell{});
    for (int row = 0; row < DataRowCount(); ++row) {
        const int lane = row / m_nDriveRows;
        for (int col = 0; col < DataColCount(); ++col) {
            const SLogBlock* block = page.FindBlock(lane, col / m_nSubColumns);
            if (block == nullptr) {
                continue;
            }
            const auto it = block->m_mapCells.find({col % m_nSubColumns - 3, kVarroDrvStg});
            if (it == block->m_mapCells.end() || it->second.empty()) {
                continue;
            }
            SChartCell& cell = m_vecCells[static_cast<size_t>(row) * DataColCount() + col];
            cell.m_bHasRecords = true;
            int fails = 0;
            for (const CLogDataBase* record : it->second) {
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

const SChartCell& CChartCellsHynix::Cell(int row, int col) const {
    static const SChartCell empty;
    if (row < 0 || col < 0 || row >= DataRowCount() || col >= DataColCount()) {
        return empty;
    }
    return m_vecCells[static_cast<size_t>(row) * DataColCount() + col];
}

std::wstring CChartCellsHynix::PhaseHeader(int col) const {
    const int index = m_nSubColumns > 0 ? col / m_nSubColumns : -1;
    const int value = index >= 0 && index < static_cast<int>(m_vecColumnValues.size())
                          ? m_vecColumnValues[static_cast<size_t>(index)]
                          : -1;
    return FormatW(L"%3d", value);
}

std::wstring CChartCellsHynix::StepHeader(int col) const {
    return FormatW(L"%3d", m_nSubColumns > 0 ? col % m_nSubColumns - 3 : 0);
}

std::wstring CChartCellsHynix::LaneLabel(int lane) {
    return FormatW(L"%3d", lane);
}
std::wstring CChartCellsHynix::VarroDriveLabel() {
    return FormatW(L"%3d", kVarroDrvStg);
}
std::wstring CChartCellsHynix::HynixDriveLabel() {
    return FormatW(L"%3d", kHynixDrvStg);
}

std::string CChartCellsHynix::ColorRow(int row) const {
    std::string text;
    for (int col = 0; col < DataColCount(); ++col) {
        text.push_back(ColorLetter(Cell(row, col)));
    }
    return text;
}

std::vector<std::string> CChartCellsHynix::ColorRows() const {
    std::vector<std::string> rows;
    for (int row = 0; row < DataRowCount(); ++row) {
        rows.push_back(ColorRow(row));
    }
    return rows;
}

std::vector<std::vector<std::wstring>> CChartCellsHynix::TextRows() const {
    return ChartTextRows(*this);
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
