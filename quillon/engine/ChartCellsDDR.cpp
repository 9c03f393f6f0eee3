#include "ChartCellsDDR.h"

#include "DrvStgRegistry.h"
#include "LaneSwapMap.h"
#include "LogDataDDR.h"
#include "LogPageDDR.h"
#include "LogPageBase.h"
#include "LogPageList.h"
#include "TextUtil.h"

#include <algorithm>
#include <cstdint>

namespace quillon {

void CChartCellsDDR::Build(const CLogPageBase& page) {
    m_nLanes = std::max(page.GetPageSizeRow(), 0);
    m_nColumns = std::max(page.GetPageSizeCol(), 0);
    m_nDriveRows = std::max(page.GetSubRowCount(), 0);
    m_nSubColumns = std::max(page.GetSubColCount(), 0);
    m_bMerged = page.GetName() == kMergedPageName;

    const CDrvStgRegistry& registry = GetDrvStgRegistry();
    const CLaneSwapMap& swap = GetLaneSwapMap();
    m_vecColumnValues.assign(static_cast<size_t>(m_nColumns), -1);
    for (int c = 0; c < m_nColumns; ++c) {
        m_vecColumnValues[static_cast<size_t>(c)] = page.GetColumnValue(c);
    }
    m_vecDriveValues.assign(static_cast<size_t>(m_nDriveRows), -1);
    for (int r = 0; r < m_nDriveRows; ++r) {
        m_vecDriveValues[static_cast<size_t>(r)] = registry.ValueOfOrdinal(r);
    }

    m_vecCells.assign(static_cast<size_t>(DataRowCount()) * static_cast<size_t>(DataColCount()),
                      SChartCell{});
    const auto* ddrPage = dynamic_cast<const CLogPageDDR*>(&page);
    for (int lane = 0; lane < m_nLanes; ++lane) {
        const int byte = swap.Swap(lane);
        for (int c = 0; c < m_nColumns; ++c) {
            const auto fill = [&](const CellKey& key, CLogDataBase* const* records, size_t count) {
                const int s = key.first + 3;
                if (count == 0 || s < 0 || s >= m_nSubColumns) {
                    return;
                }
                for (int r = 0; r < m_nDriveRows; ++r) {
                    if (m_vecDriveValues[static_cast<size_t>(r)] == key.second) {
                        FillCell(lane, r, c, s, records, count);
                    }
                }
            };
            if (ddrPage != nullptr) {
                // A log page's cells are read where they lie, without making its key maps.
                ddrPage->VisitBlockCells(c, byte, fill);
                continue;
            }
            // Looked up without creating blocks: showing a page must not change it.
            const SLogBlock* block = page.FindBlock(byte, c);
            if (block == nullptr) {
                continue;
            }
            for (const auto& [key, list] : block->m_mapCells) {
                fill(key, list.data(), list.size());
            }
        }
    }
}

void CChartCellsDDR::FillCell(int lane, int r, int c, int s, CLogDataBase* const* records,
                              size_t count) {
    SChartCell& cell = m_vecCells[static_cast<size_t>(lane * m_nDriveRows + r) *
                                      static_cast<size_t>(DataColCount()) +
                                  static_cast<size_t>(c * m_nSubColumns + s)];
    cell.m_bHasRecords = true;
    if (m_bMerged) {
        // The statistics page counts the logs in which the cell failed.
        int fails = 0;
        for (size_t i = 0; i < count; ++i) {
            const auto* ddr = dynamic_cast<const CLogDataDDR*>(records[i]);
            if (ddr != nullptr && ddr->GetPassFlag() == 0) {
                ++fails;
            }
        }
        cell.m_strText = FormatW(L"%d", fails);
        cell.m_nColor = fails > 0 ? kColorFail : kColorPass;
    } else {
        cell.m_nColor = records[count - 1]->GetColor();
    }
}

const SChartCell& CChartCellsDDR::Cell(int row, int col) const {
    static const SChartCell empty;
    if (row < 0 || col < 0 || row >= DataRowCount() || col >= DataColCount()) {
        return empty;
    }
    return m_vecCells[static_cast<size_t>(row) * static_cast<size_t>(DataColCount()) +
                      static_cast<size_t>(col)];
}

std::wstring CChartCellsDDR::PhaseHeader(int col) const {
    if (m_nSubColumns <= 0 || col < 0 || col >= DataColCount()) {
        return std::wstring();
    }
    return FormatW(L"%3d", m_vecColumnValues[static_cast<size_t>(col / m_nSubColumns)]);
}

std::wstring CChartCellsDDR::StepHeader(int col) const {
    if (m_nSubColumns <= 0 || col < 0 || col >= DataColCount()) {
        return std::wstring();
    }
    return FormatW(L"%3d", col % m_nSubColumns - 3);
}

std::wstring CChartCellsDDR::LaneLabel(int lane) {
    return FormatW(L"%3d", lane);
}

std::wstring CChartCellsDDR::DriveLabel(int row) const {
    if (m_nDriveRows <= 0 || row < 0 || row >= DataRowCount()) {
        return std::wstring();
    }
    return FormatW(L"%3d", m_vecDriveValues[static_cast<size_t>(row % m_nDriveRows)]);
}

std::string CChartCellsDDR::ColorRow(int row) const {
    std::string text;
    text.reserve(static_cast<size_t>(std::max(DataColCount(), 0)));
    for (int col = 0; col < DataColCount(); ++col) {
        const SChartCell& cell = Cell(row, col);
        if (!cell.m_bHasRecords || cell.m_nColor == kColorNoData) {
            text += '.';
        } else if (cell.m_nColor == kColorPass) {
            text += 'G';
        } else if (cell.m_nColor == kColorFail) {
            text += 'R';
        } else {
            text += '?';
        }
    }
    return text;
}

std::vector<std::string> CChartCellsDDR::ColorRows() const {
    std::vector<std::string> rows;
    for (int row = 0; row < DataRowCount(); ++row) {
        rows.push_back(ColorRow(row));
    }
    return rows;
}

std::vector<std::vector<std::wstring>> CChartCellsDDR::TextRows() const {
    return ChartTextRows(*this);
}

std::vector<SBestRunMark>
CChartCellsDDR::BestRunMarks(const std::map<int, SBestParam>& bestRecords) const {
    std::vector<SBestRunMark> marks;
    const CDrvStgRegistry& registry = GetDrvStgRegistry();
    const CLaneSwapMap& swap = GetLaneSwapMap();
    const int cols = DataColCount();
    for (int lane = 0; lane < m_nLanes; ++lane) {
        const auto it = bestRecords.find(swap.Swap(lane));
        if (it == bestRecords.end()) {
            continue;
        }
        const SBestParam& record = it->second;
        int ordinal = 0;
        if (!registry.OrdinalOf(record.m_nDrvStg, ordinal) || ordinal < 0 ||
            ordinal >= m_nDriveRows) {
            continue;
        }
        const int row = lane * m_nDriveRows + ordinal;
        const int first = std::max(record.m_nRunStart, 0);
        const int last = std::min(record.m_nRunEnd, cols - 1);
        for (int col = first; col <= last; ++col) {
            marks.push_back({row, col, kColorBestRun});
        }
        // The sum is taken in 64 bits: run fields come from edited or stored records too.
        const int64_t middle = (static_cast<int64_t>(record.m_nRunStart) + record.m_nRunEnd) / 2;
        if (middle >= 0 && middle < cols) {
            marks.push_back({row, static_cast<int>(middle), kColorBestMiddle});
        }
    }
    return marks;
}

SPassShare CChartCellsDDR::Share(const CLogPageList& list, int row, int col) const {
    if (m_nDriveRows <= 0 || m_nSubColumns <= 0 || row < 0 || col < 0 || row >= DataRowCount() ||
        col >= DataColCount()) {
        return {};
    }
    const int lane = row / m_nDriveRows;
    const int ordinal = row % m_nDriveRows;
    return list.CellShare(GetLaneSwapMap().Swap(lane), col / m_nSubColumns,
                          CellKey(col % m_nSubColumns - 3,
                                  m_vecDriveValues[static_cast<size_t>(ordinal)]));
}

} // namespace quillon
