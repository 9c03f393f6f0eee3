#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace quillon {

/// The good cells of one block over its searched area (in-block columns 0 .. cols - 1,
/// in-block rows 0 .. rows - 1), plus the first good key of the whole block in
/// (in-block column, in-block row) order, which may lie outside that area. Cells outside
/// the area are answered by an optional lookup (the mode-0 walk can start there).
class CEmmcCellGrid {
public:
    using Lookup = std::function<bool(int64_t col, int64_t row)>;

    CEmmcCellGrid() = default;
    CEmmcCellGrid(int32_t cols, int32_t rows, bool initialGood = false) {
        Reset(cols, rows, initialGood);
    }

    /// Sizes the grid (negative sizes count as 0) with every cell set to initialGood, and
    /// forgets the first good key and the outside lookup.
    void Reset(int32_t cols, int32_t rows, bool initialGood);
    /// Sets (col, row); cells outside the area are ignored.
    void Set(int64_t col, int64_t row, bool good);
    /// The first good key of the block (mode 0 starts its walk there).
    void SetFirstGood(int32_t col, int32_t row) { m_firstGood = {col, row}; }
    void SetOutsideLookup(Lookup lookup) { m_outside = std::move(lookup); }

    [[nodiscard]] int32_t Cols() const { return m_nCols; }
    [[nodiscard]] int32_t Rows() const { return m_nRows; }
    [[nodiscard]] bool IsGood(int64_t col, int64_t row) const {
        if (col < 0 || row < 0 || col >= m_nCols || row >= m_nRows) {
            return m_outside ? m_outside(col, row) : false;
        }
        return m_good[static_cast<size_t>(row) * static_cast<size_t>(m_nCols) +
                      static_cast<size_t>(col)] != 0;
    }
    [[nodiscard]] const std::optional<std::array<int32_t, 2>>& FirstGood() const {
        return m_firstGood;
    }

private:
    int32_t m_nCols = 0;
    int32_t m_nRows = 0;
    std::vector<uint8_t> m_good;
    std::optional<std::array<int32_t, 2>> m_firstGood;
    Lookup m_outside;
};

} // namespace quillon
