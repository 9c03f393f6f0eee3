#pragma once

#include <algorithm>

// A cell position and an inclusive rectangle of cells, as the grid control and its geometry
// speak of them. A range with a negative corner or with min > max is invalid (no cells).

struct SCellId {
    int nRow = -1;
    int nCol = -1;
    [[nodiscard]] bool IsValid() const { return nRow >= 0 && nCol >= 0; }
    friend bool operator==(const SCellId&, const SCellId&) = default;
};

class CCellRange {
public:
    CCellRange() = default;
    CCellRange(int minRow, int minCol, int maxRow, int maxCol)
        : m_nMinRow(minRow), m_nMinCol(minCol), m_nMaxRow(maxRow), m_nMaxCol(maxCol) {}

    [[nodiscard]] int GetMinRow() const { return m_nMinRow; }
    [[nodiscard]] int GetMinCol() const { return m_nMinCol; }
    [[nodiscard]] int GetMaxRow() const { return m_nMaxRow; }
    [[nodiscard]] int GetMaxCol() const { return m_nMaxCol; }
    void SetMinRow(int n) { m_nMinRow = n; }
    void SetMinCol(int n) { m_nMinCol = n; }
    void SetMaxRow(int n) { m_nMaxRow = n; }
    void SetMaxCol(int n) { m_nMaxCol = n; }

    [[nodiscard]] bool IsValid() const {
        return m_nMinRow >= 0 && m_nMinCol >= 0 && m_nMinRow <= m_nMaxRow && m_nMinCol <= m_nMaxCol;
    }
    [[nodiscard]] int GetRowSpan() const { return IsValid() ? m_nMaxRow - m_nMinRow + 1 : 0; }
    [[nodiscard]] int GetColSpan() const { return IsValid() ? m_nMaxCol - m_nMinCol + 1 : 0; }
    [[nodiscard]] long long Count() const {
        return static_cast<long long>(GetRowSpan()) * GetColSpan();
    }
    [[nodiscard]] SCellId GetTopLeft() const { return {m_nMinRow, m_nMinCol}; }

    [[nodiscard]] bool InRange(int row, int col) const {
        return IsValid() && row >= m_nMinRow && row <= m_nMaxRow && col >= m_nMinCol &&
               col <= m_nMaxCol;
    }
    [[nodiscard]] bool InRange(const SCellId& cell) const { return InRange(cell.nRow, cell.nCol); }
    [[nodiscard]] bool Intersects(const CCellRange& other) const {
        return IsValid() && other.IsValid() && m_nMinRow <= other.m_nMaxRow &&
               other.m_nMinRow <= m_nMaxRow && m_nMinCol <= other.m_nMaxCol &&
               other.m_nMinCol <= m_nMaxCol;
    }
    [[nodiscard]] CCellRange Intersect(const CCellRange& other) const {
        return {std::max(m_nMinRow, other.m_nMinRow), std::max(m_nMinCol, other.m_nMinCol),
                std::min(m_nMaxRow, other.m_nMaxRow), std::min(m_nMaxCol, other.m_nMaxCol)};
    }
    friend bool operator==(const CCellRange&, const CCellRange&) = default;

private:
    int m_nMinRow = -1;
    int m_nMinCol = -1;
    int m_nMaxRow = -1;
    int m_nMaxCol = -1;
};
