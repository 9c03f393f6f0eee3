#pragma once

#include "GridCell.h"
#include "PinScanTable.h"

#include <QString>

#include <vector>

class CGridCtrl;

/// Background of a data cell from its results in arrival order: the latest result's colour
/// while none has failed, red from the first failing result on.
[[nodiscard]] grid::Colour CellBackground(const sondex::CCellList& results);
/// Text of a data cell: the number of failing results in a statistics table, else empty.
[[nodiscard]] QString CellText(const sondex::CCellList& results, bool statistical);
/// The pin name of a range: the second piece of its name split at '_' ("Lpddr3_CA" gives "CA").
[[nodiscard]] QString PinNameOf(const sondex::CValueRange* range);

/// One scan table shown in a grid, transposed: grid row r shows table column r and grid
/// column c table row c, so the row-parameter values run across the grid.
class CDDRTable {
public:
    static constexpr int kColumnWidth = 47; ///< pixels, also the widest a zoom makes them
    static constexpr int kRowHeight = 21;
    static constexpr int kMinSize = 12;
    static constexpr int kMinZoom = 80;
    static constexpr int kMaxZoom = 120;
    static constexpr grid::Colour kFixedBk = grid::Rgb(225, 228, 192);
    static constexpr grid::Colour kGridBk = grid::Rgb(221, 233, 255);
    static constexpr grid::Colour kNoResultBk = grid::Rgb(255, 255, 255);
    static constexpr grid::Colour kFailBk = grid::Rgb(255, 0, 0);

    /// table is not owned; grid belongs to the view's window tree.
    CDDRTable(const sondex::CPinScanTable* table, CGridCtrl* grid);
    virtual ~CDDRTable() = default;
    CDDRTable(const CDDRTable&) = delete;
    CDDRTable& operator=(const CDDRTable&) = delete;

    /// Sizes the grid and writes every header and data cell.
    void Fill();
    /// Colours and texts of the data cells as Fill writes them (the strict view).
    void PaintCells();
    /// The table cell (row, column) a grid cell shows; false for header cells.
    [[nodiscard]] bool TableCell(int gridRow, int gridCol, int& tableRow, int& tableCol) const;
    /// Adds step to the zoom counter; row heights and column widths follow only while the
    /// counter stays in 80..120, and each only while it stays in its own bounds.
    virtual void Zoom(int step);

    [[nodiscard]] int GetZoom() const { return m_nZoom; }
    [[nodiscard]] CGridCtrl* GetGrid() const { return m_pGrid; }
    [[nodiscard]] const sondex::CPinScanTable* GetTable() const { return m_pTable; }
    /// Size the view gives the grid: one column and one row more than the cells need.
    [[nodiscard]] QSize GridSize() const;

private:
    CGridCtrl* m_pGrid = nullptr;
    const sondex::CPinScanTable* m_pTable = nullptr;
    int m_nGridRows = 0;
    int m_nGridColumns = 0;
    int m_nRowParamCount = 0;
    int m_nColParamCount = 0;
    int m_nLastColRangeCount = 1;
    std::vector<const sondex::CValueRange*> m_rowRanges;
    std::vector<const sondex::CValueRange*> m_colRanges;
    int m_nZoom = 100;
};
