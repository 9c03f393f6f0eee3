#include "OrloGridZoom.h"

#include "OrloGridCells.h"

namespace orlo {

COrloGridZoom::COrloGridZoom()
    : m_rowHeights(kOrloGridRows, kOrloRowHeight), m_colWidths(kOrloGridCols) {
    for (int col = 0; col < kOrloGridCols; ++col) {
        m_colWidths[col] = OrloColumnWidth(col);
    }
}

bool COrloGridZoom::Step(int step) {
    m_nZoom += step;
    if (m_nZoom < 80 || m_nZoom > 120) {
        m_nZoom = m_nZoom < 80 ? 80 : 120;
        return false;
    }
    for (size_t row = 3; row < m_rowHeights.size(); ++row) {
        if (m_rowHeights[row] + step > 1) {
            m_rowHeights[row] += step;
        }
    }
    m_colWidths[0] = 35;
    m_colWidths[1] = 50;
    for (size_t col = 2; col < m_colWidths.size(); ++col) {
        if (m_colWidths[col] + step > 1) {
            m_colWidths[col] += step;
        }
    }
    return true;
}

} // namespace orlo
