#pragma once

#include "LogDataBase.h"

#include <string>
#include <vector>

namespace quillon {

class CLogPageBase;

/// One data cell of a DDR or Hynix chart as drawn.
struct SChartCell {
    ColorRef m_nColor = kColorNoData;
    std::wstring m_strText;
    bool m_bHasRecords = false;
    bool operator==(const SChartCell&) const = default;
};

/// Name of the merged statistics page; a page of this name shows fail counts.
inline constexpr const wchar_t* kMergedPageName = L"统计图";

/// The letter of a cell in a chart string: G green, R red, '.' white (no records, or records
/// whose colour is white: the string says what the chart shows), ? any other colour.
[[nodiscard]] char ChartColorLetter(const SChartCell& cell);

/// The cells of a DDR or Hynix chart page, computed without a window: data rows are numbered
/// lane x drive rows + ordinal (lane 0 first), data columns column index x sub-columns +
/// sub-column; the widget adds its header rows and columns. The DDR and Hynix charts differ
/// only in how they read a cell's records from their page.
class CChartCellGrid {
public:
    [[nodiscard]] int Lanes() const { return m_nLanes; }
    [[nodiscard]] int DriveRows() const { return m_nDriveRows; }
    [[nodiscard]] int Columns() const { return m_nColumns; }
    [[nodiscard]] int SubColumns() const { return m_nSubColumns; }
    [[nodiscard]] int DataRowCount() const { return m_nLanes * m_nDriveRows; }
    [[nodiscard]] int DataColCount() const { return m_nColumns * m_nSubColumns; }
    [[nodiscard]] bool IsMergedPage() const { return m_bMerged; }
    /// The cell at (data row, data column); a white empty cell outside the grid.
    [[nodiscard]] const SChartCell& Cell(int row, int col) const;

    /// Header row 0 over a data column: the column's sdll_phs_dly, "%3d" (-1 unknown); empty
    /// outside the grid.
    [[nodiscard]] std::wstring PhaseHeader(int col) const;
    /// Header row 1 over a data column: its dqs_step_dly (sub-column - 3), "%3d"; empty
    /// outside the grid.
    [[nodiscard]] std::wstring StepHeader(int col) const;
    /// Header column 0 of a lane's first data row: the lane number, "%3d".
    [[nodiscard]] static std::wstring LaneLabel(int lane);

    /// One string per data row, a ChartColorLetter per data column.
    [[nodiscard]] std::vector<std::string> ColorRows() const;
    /// The string of one data row, as ColorRows holds it.
    [[nodiscard]] std::string ColorRow(int row) const;
    /// The text of every data cell, row by row.
    [[nodiscard]] std::vector<std::vector<std::wstring>> TextRows() const;

protected:
    CChartCellGrid() = default;
    /// Takes the sizes, the merged flag and the column values of page; every cell becomes
    /// white and empty.
    void Reset(const CLogPageBase& page);
    /// The data cell at (row, col), which must lie inside the grid.
    [[nodiscard]] SChartCell& CellAt(int row, int col);

    int m_nLanes = 0;
    int m_nDriveRows = 0;
    int m_nColumns = 0;
    int m_nSubColumns = 0;
    bool m_bMerged = false;
    std::vector<int> m_vecColumnValues; ///< sdll_phs_dly per column index
    std::vector<SChartCell> m_vecCells;
};

} // namespace quillon
