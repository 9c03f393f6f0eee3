#include "ChartCellGrid.h"

#include "LogPageBase.h"
#include "TextUtil.h"

#include <algorithm>

namespace quillon {

char ChartColorLetter(const SChartCell& cell) {
    if (!cell.m_bHasRecords) {
        return '.';
    }
    switch (cell.m_nColor) {
    case kColorNoData:
        return '.';
    case kColorPass:
        return 'G';
    case kColorFail:
        return 'R';
    default:
        return '?';
    }
}

void CChartCellGrid::Reset(const CLogPageBase& page) {
    m_nLanes = std::max(page.GetPageSizeRow(), 0);
    m_nColumns = std::max(page.GetPageSizeCol(), 0);
    m_nDriveRows = std::max(page.GetSubRowCount(), 0);
    m_nSubColumns = std::max(page.GetSubColCount(), 0);
    m_bMerged = page.GetName() == kMergedPageName;
    m_vecColumnValues.assign(static_cast<size_t>(m_nColumns), -1);
    for (int c = 0; c < m_nColumns; ++c) {
        m_vecColumnValues[static_cast<size_t>(c)] = page.GetColumnValue(c);
    }
    m_vecCells.assign(static_cast<size_t>(DataRowCount()) * static_cast<size_t>(DataColCount()),
                      SChartCell{});
}

SChartCell& CChartCellGrid::CellAt(int row, int col) {
    return m_vecCells[static_cast<size_t>(row) * static_cast<size_t>(DataColCount()) +
                      static_cast<size_t>(col)];
}

const SChartCell& CChartCellGrid::Cell(int row, int col) const {
    static const SChartCell empty;
    if (row < 0 || col < 0 || row >= DataRowCount() || col >= DataColCount()) {
        return empty;
    }
    return m_vecCells[static_cast<size_t>(row) * static_cast<size_t>(DataColCount()) +
                      static_cast<size_t>(col)];
}

std::wstring CChartCellGrid::PhaseHeader(int col) const {
    if (m_nSubColumns <= 0 || col < 0 || col >= DataColCount()) {
        return std::wstring();
    }
    return FormatW(L"%3d", m_vecColumnValues[static_cast<size_t>(col / m_nSubColumns)]);
}

std::wstring CChartCellGrid::StepHeader(int col) const {
    if (m_nSubColumns <= 0 || col < 0 || col >= DataColCount()) {
        return std::wstring();
    }
    return FormatW(L"%3d", col % m_nSubColumns - 3);
}

std::wstring CChartCellGrid::LaneLabel(int lane) {
    return FormatW(L"%3d", lane);
}

std::string CChartCellGrid::ColorRow(int row) const {
    std::string text;
    text.reserve(static_cast<size_t>(std::max(DataColCount(), 0)));
    for (int col = 0; col < DataColCount(); ++col) {
        text += ChartColorLetter(Cell(row, col));
    }
    return text;
}

std::vector<std::string> CChartCellGrid::ColorRows() const {
    std::vector<std::string> rows;
    for (int row = 0; row < DataRowCount(); ++row) {
        rows.push_back(ColorRow(row));
    }
    return rows;
}

std::vector<std::vector<std::wstring>> CChartCellGrid::TextRows() const {
    std::vector<std::vector<std::wstring>> rows;
    for (int row = 0; row < DataRowCount(); ++row) {
        std::vector<std::wstring> texts;
        for (int col = 0; col < DataColCount(); ++col) {
            texts.push_back(Cell(row, col).m_strText);
        }
        rows.push_back(std::move(texts));
    }
    return rows;
}

} // namespace quillon
