#pragma once

#include "ChartCellsDDR.h"

#include <functional>
#include <string>
#include <vector>

namespace quillon {

class CLogPageBase;

// What the eMMC chart page shows of a page, without a window: the letters and colour of a
// cell, the header texts, the cells that hold records (the grid of a full DDR50 page has a
// million cells, so nothing dense is built).

/// One eMMC cell with records, addressed by its four values.
struct SEmmcChartCell {
    int nCol = 0;                   ///< column value (block column)
    int nRow = 0;                   ///< row value (block row)
    int nInCol = 0;                 ///< in-block column value
    int nInRow = 0;                 ///< in-block row value
    std::wstring strText;           ///< one letter per record: R, W, C, Y, "-" for no result
    ColorRef nColor = kColorNoData; ///< the colour of the last record
};

class CChartCellsEMMC {
public:
    /// The cell (col, row, inCol, inRow): without records white and empty; otherwise the
    /// letters of all records in turn and the last record's colour.
    [[nodiscard]] static SChartCell Cell(const CLogPageBase& page, int col, int row, int inCol,
                                         int inRow);
    /// Calls visit for every cell that holds records, blocks in (column, row) order, cells in
    /// (in-block column, in-block row) order.
    static void ForEachCell(const CLogPageBase& page,
                            const std::function<void(const SEmmcChartCell&)>& visit);
    /// The number of cells ForEachCell visits, without describing them.
    [[nodiscard]] static size_t CountCells(const CLogPageBase& page);

    /// Row 0 over the first column of a block: "%s 0x%X" (column name, column value).
    [[nodiscard]] static std::wstring ColumnHeader(const std::wstring& colName, int colValue);
    /// Row 1: "0x%X" of the in-block column value; column 1 likewise for in-block rows.
    [[nodiscard]] static std::wstring InBlockHeader(int value);
    /// Column 0 on the first row of a block: "%s 0x%X" (row name, row value).
    [[nodiscard]] static std::wstring RowHeader(const std::wstring& rowName, int rowValue);
};

} // namespace quillon
