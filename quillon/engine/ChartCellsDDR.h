#pragma once

#include "BestParam.h"
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
// the best runs. Data rows are numbered lane x n + ordinal (lane 0 first), data columns
// column index x sub-columns + sub-column; the widget adds its header rows and columns.

/// One data cell as drawn.
struct SChartCell {
    ColorRef m_nColor = kColorNoData;
    std::wstring m_strText;
    bool m_bHasRecords = false;
    bool operator==(const SChartCell&) const = default;
};

/// A background mark of the best runs.
struct SBestRunMark {
    int m_nRow = 0; ///< data row (lane x n + ordinal)
    int m_nCol = 0; ///< data column (0 .. columns x sub-columns - 1)
    ColorRef m_nColor = 0;
    bool operator==(const SBestRunMark&) const = default;
};

/// Name of the merged statistics page; a page of this name shows fail counts.
inline constexpr const wchar_t* kMergedPageName = L"统计图";
inline constexpr ColorRef kColorBestRun = 0x00C800;    ///< RGB (0, 200, 0)
inline constexpr ColorRef kColorBestMiddle = 0x00FFFF; ///< RGB (255, 255, 0)

// The text of every data cell of a DDR or Hynix chart, row by row.
template <class Chart>
[[nodiscard]] std::vector<std::vector<std::wstring>> ChartTextRows(const Chart& chart) {
    std::vector<std::vector<std::wstring>> rows;
    for (int row = 0; row < chart.DataRowCount(); ++row) {
        std::vector<std::wstring> texts;
        for (int col = 0; col < chart.DataColCount(); ++col) {
            texts.push_back(chart.Cell(row, col).m_strText);
        }
        rows.push_back(std::move(texts));
    }
    return rows;
}

class CChartCellsDDR {
public:
    /// Reads the cells of page: lane b of the chart shows the page's byte swap(b) (byte-lane
    /// swap map), row r of a lane the drive strength of registry ordinal r.
    void Build(const CLogPageBase& page);

    [[nodiscard]] int Lanes() const { return m_nLanes; }
    [[nodiscard]] int DriveRows() const { return m_nDriveRows; }
    [[nodiscard]] int Columns() const { return m_nColumns; }
    [[nodiscard]] int SubColumns() const { return m_nSubColumns; }
    [[nodiscard]] int DataRowCount() const { return m_nLanes * m_nDriveRows; }
    [[nodiscard]] int DataColCount() const { return m_nColumns * m_nSubColumns; }
    [[nodiscard]] bool IsMergedPage() const { return m_bMerged; }
    /// The cell at (data row, data column); a white empty cell outside the grid.
    [[nodiscard]] const SChartCell& Cell(int row, int col) const;

    /// Header row 0 over a data column: the column's sdll_phs_dly, "%3d".
    [[nodiscard]] std::wstring PhaseHeader(int col) const;
    /// Header row 1 over a data column: its dqs_step_dly (sub-column - 3), "%3d".
    [[nodiscard]] std::wstring StepHeader(int col) const;
    /// Header column 0 of a lane's first data row: the lane number, "%3d".
    [[nodiscard]] static std::wstring LaneLabel(int lane);
    /// Header column 1 of a data row: the drv_stg of the row's ordinal, "%3d".
    [[nodiscard]] std::wstring DriveLabel(int row) const;

    /// One string per data row: G green, R red, . white (no records), ? any other colour.
    [[nodiscard]] std::vector<std::string> ColorRows() const;
    /// The string of one data row, as ColorRows holds it.
    [[nodiscard]] std::string ColorRow(int row) const;
    /// The text of every data cell, row by row.
    [[nodiscard]] std::vector<std::vector<std::wstring>> TextRows() const;
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

    int m_nLanes = 0;
    int m_nDriveRows = 0;
    int m_nColumns = 0;
    int m_nSubColumns = 0;
    bool m_bMerged = false;
    std::vector<int> m_vecColumnValues; ///< sdll_phs_dly per column index
    std::vector<int> m_vecDriveValues;  ///< drv_stg per ordinal
    std::vector<SChartCell> m_vecCells;
};

} // namespace quillon
