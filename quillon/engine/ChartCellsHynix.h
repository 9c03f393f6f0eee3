#pragma once

#include "ChartCellsDDR.h"

#include <string>
#include <vector>

namespace quillon {

class CLogPageBase;
class CLogPageList;

// What the Hynix chart page shows of a page, without a window: the colour and text of every
// data cell (lane-major rows lane x drive rows + ordinal, columns column index x sub-columns
// + sub-column) and the header texts. Cells are looked up under drv_stg 48, the Hynix part's
// drive strength; lanes are shown as the page holds them.

class CChartCellsHynix {
public:
    /// The drive strength the grid reads its cells under, and the pair shown in its columns.
    static constexpr int kVarroDrvStg = 48;
    static constexpr int kHynixDrvStg = 34;

    void Build(const CLogPageBase& page);

    [[nodiscard]] int Lanes() const { return m_nLanes; }
    [[nodiscard]] int DriveRows() const { return m_nDriveRows; }
    [[nodiscard]] int Columns() const { return m_nColumns; }
    [[nodiscard]] int SubColumns() const { return m_nSubColumns; }
    [[nodiscard]] int DataRowCount() const { return m_nLanes * m_nDriveRows; }
    [[nodiscard]] int DataColCount() const { return m_nColumns * m_nSubColumns; }
    [[nodiscard]] bool IsMergedPage() const { return m_bMerged; }
    /// No records: white without text. Otherwise each record's colour in turn (the last
    /// wins); on the merged page every failing record counts ("%d") and keeps the cell red.
    [[nodiscard]] const SChartCell& Cell(int row, int col) const;

    /// Row 0 over a data column: "%3d" of the column's sdll_phs_dly (-1 unknown).
    [[nodiscard]] std::wstring PhaseHeader(int col) const;
    /// Row 1: "%3d" of the dqs_step_dly (col % sub-columns - 3).
    [[nodiscard]] std::wstring StepHeader(int col) const;
    /// Column 0 of a lane's first row "%3d"; columns 1 and 2 "%3d" of 48 and 34.
    [[nodiscard]] static std::wstring LaneLabel(int lane);
    [[nodiscard]] static std::wstring VarroDriveLabel();
    [[nodiscard]] static std::wstring HynixDriveLabel();

    /// One string per data row: G green, R red, . white (no records), ? any other colour.
    [[nodiscard]] std::vector<std::string> ColorRows() const;
    /// The string of one data row, as ColorRows holds it.
    [[nodiscard]] std::string ColorRow(int row) const;
    [[nodiscard]] std::vector<std::vector<std::wstring>> TextRows() const;
    /// What the logs of list say about data cell (row, col) of the merged page this chart
    /// shows (the same byte lane, column and key the cell is read from); nothing for a cell
    /// outside the grid.
    [[nodiscard]] SPassShare Share(const CLogPageList& list, int row, int col) const;

private:
    int m_nLanes = 0;
    int m_nDriveRows = 0;
    int m_nColumns = 0;
    int m_nSubColumns = 0;
    bool m_bMerged = false;
    std::vector<int> m_vecColumnValues;
    std::vector<SChartCell> m_vecCells;
};

} // namespace quillon
