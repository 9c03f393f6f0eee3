#pragma once

#include "CellRange.h"

#include <QPoint>
#include <QRect>

#include <vector>

// The grid's sizes, scrolling and merged ranges without any window: row heights and column
// widths, the fixed header rows and columns that never scroll, the mapping between cells and
// client pixels for a viewport of a given size and scroll position, and the merges.
//
// Pixel coordinates: a cell's "virtual" position is its offset from the grid's top-left corner
// with nothing scrolled; its client position subtracts the scroll offset from non-fixed rows and
// columns only. Scroll offsets are in pixels of the non-fixed part.
class CGridGeometry {
public:
    // --- counts -------------------------------------------------------------------------
    [[nodiscard]] int GetRowCount() const { return static_cast<int>(m_rowHeights.size()); }
    [[nodiscard]] int GetColumnCount() const { return static_cast<int>(m_colWidths.size()); }
    [[nodiscard]] int GetFixedRowCount() const { return m_nFixedRows; }
    [[nodiscard]] int GetFixedColumnCount() const { return m_nFixedCols; }

    /// Grows (new rows get newHeight) or shrinks the grid; a fixed count above the new count
    /// is lowered to it and merges reaching past the new end are dropped.
    void SetRowCount(int count, int newHeight);
    void SetColumnCount(int count, int newWidth);
    /// The grid grows to hold the fixed rows (new rows get newHeight).
    void SetFixedRowCount(int count, int newHeight);
    void SetFixedColumnCount(int count, int newWidth);
    /// Inserts one row of the given height before index (0..row count); rows and merges from
    /// index on move down; a merge that spans the insertion point grows by the new row.
    void InsertRow(int index, int height);

    // --- sizes ----------------------------------------------------------------------------
    [[nodiscard]] int GetRowHeight(int row) const;
    [[nodiscard]] int GetColumnWidth(int col) const;
    bool SetRowHeight(int row, int height);
    bool SetColumnWidth(int col, int width);
    /// Adds delta to the height of every row from firstRow on whose result lies in
    /// [minHeight, maxHeight]; the others keep their size. The zoom steps of the chart pages.
    void AddToRowHeights(int firstRow, int delta, int minHeight, int maxHeight);
    void AddToColumnWidths(int firstCol, int delta, int minWidth, int maxWidth);
    /// zoom += step; outside [minZoom, maxZoom] it is clamped to the nearer bound and the
    /// result is false (the caller then leaves the sizes alone).
    static bool StepZoom(int& zoom, int step, int minZoom, int maxZoom);

    /// Offset of the row's top (column's left) from the grid's top (left), nothing scrolled.
    [[nodiscard]] int GetRowTop(int row) const;
    [[nodiscard]] int GetColumnLeft(int col) const;
    [[nodiscard]] int GetTotalHeight() const { return GetRowTop(GetRowCount()); }
    [[nodiscard]] int GetTotalWidth() const { return GetColumnLeft(GetColumnCount()); }
    [[nodiscard]] int GetFixedHeight() const { return GetRowTop(m_nFixedRows); }
    [[nodiscard]] int GetFixedWidth() const { return GetColumnLeft(m_nFixedCols); }

    // --- viewport and scrolling -----------------------------------------------------------
    void SetViewportSize(int width, int height);
    [[nodiscard]] int GetViewportWidth() const { return m_nViewWidth; }
    [[nodiscard]] int GetViewportHeight() const { return m_nViewHeight; }
    [[nodiscard]] int GetScrollX() const {
        EnsureOffsets();
        return m_nScrollX;
    }
    [[nodiscard]] int GetScrollY() const {
        EnsureOffsets();
        return m_nScrollY;
    }
    [[nodiscard]] int GetMaxScrollX() const;
    [[nodiscard]] int GetMaxScrollY() const;
    /// Sets the scroll offsets, clamped to 0..max.
    void SetScrollPos(int x, int y);
    /// Scrolls by whole rows (columns): from the first visible non-fixed row, count rows on.
    void ScrollRows(int count);
    void ScrollColumns(int count);
    /// Scrolls the least distance that shows the cell (a fixed row or column never scrolls).
    void EnsureVisible(int row, int col);

    /// Client rectangle of one cell (of the whole merge when the cell is in one), whether
    /// visible or not; an empty rectangle outside the grid.
    [[nodiscard]] QRect GetCellRect(int row, int col) const;
    /// Client rectangle of a single cell, ignoring merges.
    [[nodiscard]] QRect GetSingleCellRect(int row, int col) const;
    /// The cell under a client point; invalid outside the cells. Covered cells of a merge are
    /// reported as themselves (GetMergeOwner finds the owner).
    [[nodiscard]] SCellId HitTest(const QPoint& point) const;
    /// Row (column) whose virtual extent holds y (x); -1 outside.
    [[nodiscard]] int RowAtVirtual(int y) const;
    [[nodiscard]] int ColumnAtVirtual(int x) const;
    /// The non-fixed rows and columns at least partly inside the viewport; invalid when none.
    [[nodiscard]] CCellRange GetVisibleNonFixedRange() const;
    /// Same, counting only fully visible rows and columns (at least one of each).
    [[nodiscard]] CCellRange GetFullyVisibleNonFixedRange() const;

    // --- merges ---------------------------------------------------------------------------
    /// Joins (row, col)..(row + extraRows, col + extraCols) into one cell; negative extras count
    /// as their absolute values. Refused (false, nothing changes) when a corner lies outside the
    /// grid, the range is a single cell, or any of its cells is already part of a merge.
    bool Merge(int row, int col, int extraRows, int extraCols);
    /// The one-row form; it also refuses a range starting inside the fixed rows or columns.
    bool MergeRow(int row, int col, int extraCols);
    /// The merge holding the cell, or the single cell itself; invalid outside the grid.
    [[nodiscard]] CCellRange GetMergedRange(int row, int col) const;
    /// Index into GetMerges() of the merge holding the cell, -1 when none.
    [[nodiscard]] int FindMerge(int row, int col) const;
    [[nodiscard]] bool IsMergeOwner(int row, int col) const;
    /// A cell inside a merge other than its top-left cell.
    [[nodiscard]] bool IsCovered(int row, int col) const;
    /// The top-left cell of the merge holding the cell, or the cell itself.
    [[nodiscard]] SCellId GetMergeOwner(int row, int col) const;
    [[nodiscard]] const std::vector<CCellRange>& GetMerges() const { return m_merges; }
    void ClearMerges();

private:
    void RebuildMergeIndex();
    void DropMergesOutside();
    void EnsureOffsets() const;
    void ClampScroll() const;
    [[nodiscard]] int ClientX(int col) const;
    [[nodiscard]] int ClientY(int row) const;

    std::vector<int> m_rowHeights;
    std::vector<int> m_colWidths;
    int m_nFixedRows = 0;
    int m_nFixedCols = 0;
    int m_nViewWidth = 0;
    int m_nViewHeight = 0;
    // Kept within range lazily: a size change only marks the offsets stale, so a page that sets
    // thousands of column widths one by one does not recompute the sums each time.
    mutable int m_nScrollX = 0;
    mutable int m_nScrollY = 0;

    // Prefix sums, rebuilt lazily after a size change so a zoom step costs O(rows + columns).
    mutable std::vector<long long> m_rowTops;
    mutable std::vector<long long> m_colLefts;
    mutable bool m_bOffsetsDirty = true;

    std::vector<CCellRange> m_merges;
    // For each row, the merges touching it as indices into m_merges, sorted by first column
    // (merges never overlap, so one binary search finds a cell's merge).
    std::vector<std::vector<int>> m_rowMerges;
};
