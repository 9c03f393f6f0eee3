#pragma once

#include "ChartCellsDDR.h"
#include "EmmcBestPoint.h"

#include <functional>
#include <string>
#include <vector>

namespace quillon {

class CLogPageBase;

// What the eMMC chart page shows of a page, without a window: the letters and colour of a
// cell, the header texts, the cells that hold records (the grid of a full DDR50 page has a
// million cells, so nothing dense is built), and the zoom rule.

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

/// The zoom of the eMMC chart page: 100 at start; reaching 64 or less (or 136 or more) sets
/// 65 (135) and stops; otherwise rows from 3 on and columns from 2 on grow by the step, each
/// only while it stays above 0 pixels.
class CEmmcChartZoom {
public:
    /// False when the zoom hit a limit (the sizes are then left as they are).
    bool Zoom(int step, std::vector<int>& rowHeights, std::vector<int>& colWidths);
    [[nodiscard]] int Value() const { return m_nZoom; }

private:
    int m_nZoom = 100;
};

/// The eMMC result page's recommended values ("推荐取值"): the best-point records of the
/// merged page, four value texts and four label texts; Write bin reads the edited texts back.
class CMergePageEMMCModel {
public:
    enum EValue : int { kRow = 0, kCol = 1, kInRow = 2, kInCol = 3 };

    /// The captions of the layout before a record replaces them.
    static constexpr const wchar_t* kLayoutLabels[4] = {L"行参数名:", L"列参数名:",
                                                        L"块内部行参数名:", L"块内部列参数名:"};

    /// With a record: values "0x%X" of row, column, in-block row, in-block column, labels the
    /// four parameter names (row, column, in-block row, in-block column).
    void Init(std::vector<SEmmcBestPoint> records, const std::wstring& rowName,
              const std::wstring& colName, const std::wstring& inRowName,
              const std::wstring& inColName);

    [[nodiscard]] const std::wstring& Value(EValue which) const { return m_values[which]; }
    [[nodiscard]] const std::wstring& Label(EValue which) const { return m_labels[which]; }
    void SetValue(EValue which, std::wstring text) { m_values[which] = std::move(text); }

    /// The records for Write bin: each value text read as a base-16 number ("0x" allowed)
    /// into the first record (row, column, in-block column, in-block row); empty without one.
    [[nodiscard]] std::vector<SEmmcBestPoint> GetRecords() const;

private:
    std::vector<SEmmcBestPoint> m_records;
    std::wstring m_values[4];
    std::wstring m_labels[4] = {kLayoutLabels[0], kLayoutLabels[1], kLayoutLabels[2],
                                kLayoutLabels[3]};
};

} // namespace quillon
