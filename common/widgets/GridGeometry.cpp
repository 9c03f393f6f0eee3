#include "GridGeometry.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

int ClampToInt(long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

} // namespace

void CGridGeometry::SetRowCount(int count, int newHeight) {
    count = std::max(0, count);
    m_rowHeights.resize(static_cast<size_t>(count), std::max(0, newHeight));
    m_nFixedRows = std::min(m_nFixedRows, count);
    m_bOffsetsDirty = true;
    DropMergesOutside();
}

void CGridGeometry::SetColumnCount(int count, int newWidth) {
    count = std::max(0, count);
    m_colWidths.resize(static_cast<size_t>(count), std::max(0, newWidth));
    m_nFixedCols = std::min(m_nFixedCols, count);
    m_bOffsetsDirty = true;
    DropMergesOutside();
}

void CGridGeometry::SetFixedRowCount(int count, int newHeight) {
    count = std::max(0, count);
    if (count > GetRowCount())
        SetRowCount(count, newHeight);
    m_nFixedRows = count;
    m_bOffsetsDirty = true;
}

void CGridGeometry::SetFixedColumnCount(int count, int newWidth) {
    count = std::max(0, count);
    if (count > GetColumnCount())
        SetColumnCount(count, newWidth);
    m_nFixedCols = count;
    m_bOffsetsDirty = true;
}

void CGridGeometry::InsertRow(int index, int height) {
    index = std::clamp(index, 0, GetRowCount());
    m_rowHeights.insert(m_rowHeights.begin() + index, std::max(0, height));
    for (CCellRange& merge : m_merges) {
        if (merge.GetMinRow() >= index) {
            merge.SetMinRow(merge.GetMinRow() + 1);
            merge.SetMaxRow(merge.GetMaxRow() + 1);
        } else if (merge.GetMaxRow() >= index) {
            // The new row lies inside the merge: keep the merge one rectangle.
            merge.SetMaxRow(merge.GetMaxRow() + 1);
        }
    }
    m_bOffsetsDirty = true;
    RebuildMergeIndex();
}

int CGridGeometry::GetRowHeight(int row) const {
    return row >= 0 && row < GetRowCount() ? m_rowHeights[static_cast<size_t>(row)] : 0;
}

int CGridGeometry::GetColumnWidth(int col) const {
    return col >= 0 && col < GetColumnCount() ? m_colWidths[static_cast<size_t>(col)] : 0;
}

bool CGridGeometry::SetRowHeight(int row, int height) {
    if (row < 0 || row >= GetRowCount())
        return false;
    m_rowHeights[static_cast<size_t>(row)] = std::max(0, height);
    m_bOffsetsDirty = true;
    return true;
}

bool CGridGeometry::SetColumnWidth(int col, int width) {
    if (col < 0 || col >= GetColumnCount())
        return false;
    m_colWidths[static_cast<size_t>(col)] = std::max(0, width);
    m_bOffsetsDirty = true;
    return true;
}

void CGridGeometry::AddToRowHeights(int firstRow, int delta, int minHeight, int maxHeight) {
    for (size_t i = static_cast<size_t>(std::max(0, firstRow)); i < m_rowHeights.size(); ++i) {
        const long long h = static_cast<long long>(m_rowHeights[i]) + delta;
        if (h >= minHeight && h <= maxHeight)
            m_rowHeights[i] = static_cast<int>(h);
    }
    m_bOffsetsDirty = true;
}

void CGridGeometry::AddToColumnWidths(int firstCol, int delta, int minWidth, int maxWidth) {
    for (size_t i = static_cast<size_t>(std::max(0, firstCol)); i < m_colWidths.size(); ++i) {
        const long long w = static_cast<long long>(m_colWidths[i]) + delta;
        if (w >= minWidth && w <= maxWidth)
            m_colWidths[i] = static_cast<int>(w);
    }
    m_bOffsetsDirty = true;
}

bool CGridGeometry::StepZoom(int& zoom, int step, int minZoom, int maxZoom) {
    zoom += step;
    if (zoom < minZoom) {
        zoom = minZoom;
        return false;
    }
    if (zoom > maxZoom) {
        zoom = maxZoom;
        return false;
    }
    return true;
}

void CGridGeometry::EnsureOffsets() const {
    if (!m_bOffsetsDirty)
        return;
    m_rowTops.resize(m_rowHeights.size() + 1);
    m_rowTops[0] = 0;
    for (size_t i = 0; i < m_rowHeights.size(); ++i)
        m_rowTops[i + 1] = m_rowTops[i] + m_rowHeights[i];
    m_colLefts.resize(m_colWidths.size() + 1);
    m_colLefts[0] = 0;
    for (size_t i = 0; i < m_colWidths.size(); ++i)
        m_colLefts[i + 1] = m_colLefts[i] + m_colWidths[i];
    m_bOffsetsDirty = false;
    ClampScroll();
}

int CGridGeometry::GetRowTop(int row) const {
    EnsureOffsets();
    row = std::clamp(row, 0, GetRowCount());
    return ClampToInt(m_rowTops[static_cast<size_t>(row)]);
}

int CGridGeometry::GetColumnLeft(int col) const {
    EnsureOffsets();
    col = std::clamp(col, 0, GetColumnCount());
    return ClampToInt(m_colLefts[static_cast<size_t>(col)]);
}

void CGridGeometry::SetViewportSize(int width, int height) {
    m_nViewWidth = std::max(0, width);
    m_nViewHeight = std::max(0, height);
    ClampScroll();
}

int CGridGeometry::GetMaxScrollX() const {
    const int scrollable = GetTotalWidth() - GetFixedWidth();
    const int room = std::max(0, m_nViewWidth - GetFixedWidth());
    return std::max(0, scrollable - room);
}

int CGridGeometry::GetMaxScrollY() const {
    const int scrollable = GetTotalHeight() - GetFixedHeight();
    const int room = std::max(0, m_nViewHeight - GetFixedHeight());
    return std::max(0, scrollable - room);
}

void CGridGeometry::SetScrollPos(int x, int y) {
    m_nScrollX = std::clamp(x, 0, GetMaxScrollX());
    m_nScrollY = std::clamp(y, 0, GetMaxScrollY());
}

void CGridGeometry::ClampScroll() const {
    m_nScrollX = std::clamp(m_nScrollX, 0, GetMaxScrollX());
    m_nScrollY = std::clamp(m_nScrollY, 0, GetMaxScrollY());
}

void CGridGeometry::ScrollRows(int count) {
    const int base = GetFixedHeight();
    int row = RowAtVirtual(base + m_nScrollY);
    if (row < 0)
        row = m_nFixedRows;
    // A partly hidden first row counts as one step when scrolling back.
    if (count < 0 && GetRowTop(row) - base < m_nScrollY)
        ++row;
    const int target = std::clamp(row + count, m_nFixedRows, std::max(m_nFixedRows, GetRowCount()));
    SetScrollPos(m_nScrollX, GetRowTop(target) - base);
}

void CGridGeometry::ScrollColumns(int count) {
    const int base = GetFixedWidth();
    int col = ColumnAtVirtual(base + m_nScrollX);
    if (col < 0)
        col = m_nFixedCols;
    if (count < 0 && GetColumnLeft(col) - base < m_nScrollX)
        ++col;
    const int target =
        std::clamp(col + count, m_nFixedCols, std::max(m_nFixedCols, GetColumnCount()));
    SetScrollPos(GetColumnLeft(target) - base, m_nScrollY);
}

void CGridGeometry::EnsureVisible(int row, int col) {
    EnsureOffsets();
    int x = m_nScrollX;
    int y = m_nScrollY;
    if (row >= m_nFixedRows && row < GetRowCount()) {
        const int top = GetRowTop(row) - GetFixedHeight();
        const int bottom = top + GetRowHeight(row);
        const int room = std::max(0, m_nViewHeight - GetFixedHeight());
        if (top < y)
            y = top;
        else if (bottom > y + room)
            y = std::min(top, bottom - room);
    }
    if (col >= m_nFixedCols && col < GetColumnCount()) {
        const int left = GetColumnLeft(col) - GetFixedWidth();
        const int right = left + GetColumnWidth(col);
        const int room = std::max(0, m_nViewWidth - GetFixedWidth());
        if (left < x)
            x = left;
        else if (right > x + room)
            x = std::min(left, right - room);
    }
    SetScrollPos(x, y);
}

int CGridGeometry::ClientX(int col) const {
    const int left = GetColumnLeft(col);
    return col < m_nFixedCols ? left : left - m_nScrollX;
}

int CGridGeometry::ClientY(int row) const {
    const int top = GetRowTop(row);
    return row < m_nFixedRows ? top : top - m_nScrollY;
}

QRect CGridGeometry::GetSingleCellRect(int row, int col) const {
    if (row < 0 || row >= GetRowCount() || col < 0 || col >= GetColumnCount())
        return {};
    return {ClientX(col), ClientY(row), GetColumnWidth(col), GetRowHeight(row)};
}

QRect CGridGeometry::GetCellRect(int row, int col) const {
    const CCellRange range = GetMergedRange(row, col);
    if (!range.IsValid())
        return {};
    const int left = ClientX(range.GetMinCol());
    const int top = ClientY(range.GetMinRow());
    const int width = GetColumnLeft(range.GetMaxCol() + 1) - GetColumnLeft(range.GetMinCol());
    const int height = GetRowTop(range.GetMaxRow() + 1) - GetRowTop(range.GetMinRow());
    return {left, top, width, height};
}

int CGridGeometry::RowAtVirtual(int y) const {
    EnsureOffsets();
    if (y < 0 || y >= GetTotalHeight())
        return -1;
    // First row whose bottom lies below y; rows of height 0 are skipped that way.
    const auto it = std::upper_bound(m_rowTops.begin() + 1, m_rowTops.end(), y);
    return static_cast<int>(it - m_rowTops.begin()) - 1;
}

int CGridGeometry::ColumnAtVirtual(int x) const {
    EnsureOffsets();
    if (x < 0 || x >= GetTotalWidth())
        return -1;
    const auto it = std::upper_bound(m_colLefts.begin() + 1, m_colLefts.end(), x);
    return static_cast<int>(it - m_colLefts.begin()) - 1;
}

SCellId CGridGeometry::HitTest(const QPoint& point) const {
    if (point.x() < 0 || point.y() < 0)
        return {};
    const int fixedW = GetFixedWidth();
    const int fixedH = GetFixedHeight();
    const int vx = point.x() < fixedW ? point.x() : point.x() + m_nScrollX;
    const int vy = point.y() < fixedH ? point.y() : point.y() + m_nScrollY;
    const int row = RowAtVirtual(vy);
    const int col = ColumnAtVirtual(vx);
    if (row < 0 || col < 0)
        return {};
    return {row, col};
}

CCellRange CGridGeometry::GetVisibleNonFixedRange() const {
    const int fixedW = GetFixedWidth();
    const int fixedH = GetFixedHeight();
    if (m_nViewWidth <= fixedW || m_nViewHeight <= fixedH)
        return {};
    const int firstRow = RowAtVirtual(fixedH + m_nScrollY);
    const int firstCol = ColumnAtVirtual(fixedW + m_nScrollX);
    if (firstRow < 0 || firstCol < 0)
        return {};
    int lastRow = RowAtVirtual(m_nViewHeight - 1 + m_nScrollY);
    int lastCol = ColumnAtVirtual(m_nViewWidth - 1 + m_nScrollX);
    if (lastRow < 0)
        lastRow = GetRowCount() - 1;
    if (lastCol < 0)
        lastCol = GetColumnCount() - 1;
    return {firstRow, firstCol, lastRow, lastCol};
}

CCellRange CGridGeometry::GetFullyVisibleNonFixedRange() const {
    CCellRange range = GetVisibleNonFixedRange();
    if (!range.IsValid())
        return range;
    if (range.GetMaxRow() > range.GetMinRow() &&
        ClientY(range.GetMaxRow()) + GetRowHeight(range.GetMaxRow()) > m_nViewHeight)
        range.SetMaxRow(range.GetMaxRow() - 1);
    if (range.GetMaxCol() > range.GetMinCol() &&
        ClientX(range.GetMaxCol()) + GetColumnWidth(range.GetMaxCol()) > m_nViewWidth)
        range.SetMaxCol(range.GetMaxCol() - 1);
    return range;
}

bool CGridGeometry::Merge(int row, int col, int extraRows, int extraCols) {
    extraRows = std::abs(extraRows);
    extraCols = std::abs(extraCols);
    const CCellRange range(row, col, row + extraRows, col + extraCols);
    if (row < 0 || col < 0 || range.GetMaxRow() >= GetRowCount() ||
        range.GetMaxCol() >= GetColumnCount())
        return false;
    if (extraRows == 0 && extraCols == 0)
        return false;
    for (const CCellRange& merge : m_merges)
        if (merge.Intersects(range))
            return false;
    m_merges.push_back(range);
    RebuildMergeIndex();
    return true;
}

bool CGridGeometry::MergeRow(int row, int col, int extraCols) {
    if (row < m_nFixedRows || col < m_nFixedCols)
        return false;
    return Merge(row, col, 0, extraCols);
}

void CGridGeometry::ClearMerges() {
    m_merges.clear();
    RebuildMergeIndex();
}

void CGridGeometry::DropMergesOutside() {
    const int rows = GetRowCount();
    const int cols = GetColumnCount();
    const auto outside = [&](const CCellRange& m) {
        return m.GetMaxRow() >= rows || m.GetMaxCol() >= cols;
    };
    const auto it = std::remove_if(m_merges.begin(), m_merges.end(), outside);
    if (it != m_merges.end() || m_rowMerges.size() != static_cast<size_t>(rows)) {
        m_merges.erase(it, m_merges.end());
        RebuildMergeIndex();
    }
}

void CGridGeometry::RebuildMergeIndex() {
    m_rowMerges.assign(m_rowHeights.size(), {});
    for (size_t i = 0; i < m_merges.size(); ++i)
        for (int r = m_merges[i].GetMinRow(); r <= m_merges[i].GetMaxRow(); ++r)
            if (r >= 0 && r < GetRowCount())
                m_rowMerges[static_cast<size_t>(r)].push_back(static_cast<int>(i));
    for (std::vector<int>& list : m_rowMerges)
        std::sort(list.begin(), list.end(), [this](int a, int b) {
            return m_merges[static_cast<size_t>(a)].GetMinCol() <
                   m_merges[static_cast<size_t>(b)].GetMinCol();
        });
}

int CGridGeometry::FindMerge(int row, int col) const {
    if (row < 0 || static_cast<size_t>(row) >= m_rowMerges.size())
        return -1;
    const std::vector<int>& list = m_rowMerges[static_cast<size_t>(row)];
    if (list.empty())
        return -1;
    // Last merge starting at or before col.
    const auto it = std::upper_bound(list.begin(), list.end(), col, [this](int c, int index) {
        return c < m_merges[static_cast<size_t>(index)].GetMinCol();
    });
    if (it == list.begin())
        return -1;
    const int index = *(it - 1);
    return m_merges[static_cast<size_t>(index)].InRange(row, col) ? index : -1;
}

CCellRange CGridGeometry::GetMergedRange(int row, int col) const {
    if (row < 0 || row >= GetRowCount() || col < 0 || col >= GetColumnCount())
        return {};
    const int index = FindMerge(row, col);
    return index >= 0 ? m_merges[static_cast<size_t>(index)] : CCellRange(row, col, row, col);
}

bool CGridGeometry::IsMergeOwner(int row, int col) const {
    const int index = FindMerge(row, col);
    return index >= 0 && m_merges[static_cast<size_t>(index)].GetTopLeft() == SCellId{row, col};
}

bool CGridGeometry::IsCovered(int row, int col) const {
    const int index = FindMerge(row, col);
    return index >= 0 && !(m_merges[static_cast<size_t>(index)].GetTopLeft() == SCellId{row, col});
}

SCellId CGridGeometry::GetMergeOwner(int row, int col) const {
    const int index = FindMerge(row, col);
    return index >= 0 ? m_merges[static_cast<size_t>(index)].GetTopLeft() : SCellId{row, col};
}
