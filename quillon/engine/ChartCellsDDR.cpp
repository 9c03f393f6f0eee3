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
    Reset(page);
    m_registry = page.DrvStgs();
    m_swap = page.LaneSwap();
    const CLaneSwapMap& swap = m_swap;
    m_vecDriveValues.assign(static_cast<size_t>(m_nDriveRows), -1);
    for (int r = 0; r < m_nDriveRows; ++r) {
        m_vecDriveValues[static_cast<size_t>(r)] = m_registry.ValueOfOrdinal(r);
    }

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
            // Looked up without creating blocks: showing a page must not change it.
            if (const SLogBlock* block = page.FindBlock(byte, c)) {
                block->VisitCells(fill);
            }
        }
    }
}

void CChartCellsDDR::FillCell(int lane, int r, int c, int s, CLogDataBase* const* records,
                              size_t count) {
    SChartCell& cell = CellAt(lane * m_nDriveRows + r, c * m_nSubColumns + s);
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

std::wstring CChartCellsDDR::DriveLabel(int row) const {
    if (m_nDriveRows <= 0 || row < 0 || row >= DataRowCount()) {
        return std::wstring();
    }
    return FormatW(L"%3d", m_vecDriveValues[static_cast<size_t>(row % m_nDriveRows)]);
}

std::vector<SBestRunMark>
CChartCellsDDR::BestRunMarks(const std::map<int, SBestParam>& bestRecords) const {
    std::vector<SBestRunMark> marks;
    const CDrvStgRegistry& registry = m_registry;
    const CLaneSwapMap& swap = m_swap;
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
    return list.CellShare(
        m_swap.Swap(lane), col / m_nSubColumns,
        CellKey(col % m_nSubColumns - 3, m_vecDriveValues[static_cast<size_t>(ordinal)]));
}

} // namespace quillon
