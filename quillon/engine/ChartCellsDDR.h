#pragma once

#include "BestParam.h"
#include "ChartCellGrid.h"
#include "DrvStgRegistry.h"
#include "LaneSwapMap.h"
#include "LogDataBase.h"
#include "PassShare.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace quillon {

class CLogPageBase;
class CLogPageList;

// What a DDR chart page shows of a page, computed without a window: the colour and text of
// every data cell (log page or merged statistics page), the header texts, and the marks of
// the best runs.

/// A background mark of the best runs.
struct SBestRunMark {
    int m_nRow = 0; ///< data row (lane x n + ordinal)
    int m_nCol = 0; ///< data column (0 .. columns x sub-columns - 1)
    ColorRef m_nColor = 0;
    bool operator==(const SBestRunMark&) const = default;
};

inline constexpr ColorRef kColorBestRun = 0x00C800;    ///< RGB (0, 200, 0)
inline constexpr ColorRef kColorBestMiddle = 0x00FFFF; ///< RGB (255, 255, 0)

class CChartCellsDDR : public CChartCellGrid {
public:
    /// Reads the cells of page: lane b of the chart shows the page's byte swap(b) (byte-lane
    /// swap map), row r of a lane the drive strength of registry ordinal r, both as the page's
    /// scan left them. The chart keeps them for its marks and shares.
    void Build(const CLogPageBase& page);

    /// Header column 1 of a data row: the drv_stg of the row's ordinal, "%3d".
    [[nodiscard]] std::wstring DriveLabel(int row) const;

    /// What the logs of list say about data cell (row, col) of the merged page this chart
    /// shows (the same byte lane, column and key the cell is read from); nothing for a cell
    /// outside the grid.
    [[nodiscard]] SPassShare Share(const CLogPageList& list, int row, int col) const;

    /// The marks of the best runs: lane i shows the record of lane swap(i); on its row of the
    /// record's drive strength the columns from run start to run end get kColorBestRun and
    /// the middle column (start + end) / 2 kColorBestMiddle (after them). Cells outside the
    /// grid are skipped.
    [[nodiscard]] std::vector<SBestRunMark>
    BestRunMarks(const std::map<int, SBestParam>& bestRecords) const;

private:
    /// Sets data cell (lane, drive row r, column c, sub-column s) from its records.
    void FillCell(int lane, int r, int c, int s, CLogDataBase* const* records, size_t count);

    std::vector<int> m_vecDriveValues; ///< drv_stg per ordinal
    CDrvStgRegistry m_registry;        ///< the drive strengths of the page's scan
    CLaneSwapMap m_swap;               ///< the lane map of the page's scan
};

} // namespace quillon
