#include "EmmcCellGrid.h"

#include <algorithm>

namespace quillon {

void CEmmcCellGrid::Reset(int32_t cols, int32_t rows, bool initialGood) {
    m_nCols = std::max(cols, 0);
    m_nRows = std::max(rows, 0);
    m_good.assign(static_cast<size_t>(m_nCols) * static_cast<size_t>(m_nRows), initialGood ? 1 : 0);
    m_firstGood.reset();
    m_outside = nullptr;
}

void CEmmcCellGrid::Set(int64_t col, int64_t row, bool good) {
    if (col < 0 || row < 0 || col >= m_nCols || row >= m_nRows) {
        return;
    }
    m_good[static_cast<size_t>(row) * static_cast<size_t>(m_nCols) + static_cast<size_t>(col)] =
        good ? 1 : 0;
}

} // namespace quillon
