#include "HynixChartZoom.h"

#include <cstddef>

namespace quillon {

bool CHynixChartZoom::Zoom(int step, std::vector<int>& rowHeights, std::vector<int>& colWidths) {
    m_nZoom += step;
    if (m_nZoom < 80 || m_nZoom > 120) {
        m_nZoom = m_nZoom < 80 ? 80 : 120;
        return false;
    }
    for (size_t r = 3; r < rowHeights.size(); ++r) {
        if (rowHeights[r] + step > 1) {
            rowHeights[r] += step;
        }
    }
    const int fixed[3] = {38, 90, 90};
    for (size_t c = 0; c < 3 && c < colWidths.size(); ++c) {
        colWidths[c] = fixed[c];
    }
    for (size_t c = 2; c < colWidths.size(); ++c) {
        if (colWidths[c] + step > 1) {
            colWidths[c] += step;
        }
    }
    return true;
}

} // namespace quillon
