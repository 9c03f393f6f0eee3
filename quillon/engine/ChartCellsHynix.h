#pragma once

#include "ChartCellGrid.h"
#include "PassShare.h"

#include <string>
#include <vector>

namespace quillon {

class CLogPageBase;
class CLogPageList;

// What the Hynix chart page shows of a page, without a window: the colour and text of every
// data cell (lane-major rows lane x drive rows + ordinal, columns column index x sub-columns
// + sub-column) and the header texts. Cells are looked up under drv_stg 48, the Hynix part's
// drive strength; lanes are shown as the page holds them.

class CChartCellsHynix : public CChartCellGrid {
public:
    /// The drive strength the grid reads its cells under, and the pair shown in its columns.
    static constexpr int kVarroDrvStg = 48;
    static constexpr int kHynixDrvStg = 34;

    /// Reads the cells of page. No records: white without text. Otherwise each record's
    /// colour in turn (the last wins); on the merged page every failing record counts ("%d")
    /// and keeps the cell red.
    void Build(const CLogPageBase& page);

    /// Columns 1 and 2 of every data row: "%3d" of 48 and 34.
    [[nodiscard]] static std::wstring VarroDriveLabel();
    [[nodiscard]] static std::wstring HynixDriveLabel();

    /// What the logs of list say about data cell (row, col) of the merged page this chart
    /// shows (the same byte lane, column and key the cell is read from); nothing for a cell
    /// outside the grid.
    [[nodiscard]] SPassShare Share(const CLogPageList& list, int row, int col) const;
};

} // namespace quillon
