#include "EmmcChartZoom.h"

#include <cstddef>

namespace quillon {

bool CEmmcChartZoom::Zoom(int step, std::vector<int>& rowHeights, std::vector<int>& colWidths) {
    m_nZoom += step;
    if (m_nZoom <= 64 || m_nZoom >= 136) {
        m_nZoom = m_nZoom <= 64 ? 65 : 135;
        return false;
    }
    for (size_t r = 3; r < rowHeights.size(); ++r) {
        if (rowHeights[r] + step > 0) {
            rowHeights[r] += step;
        }
    }
    for (size_t c = 2; c < colWidths.size(); ++c) {
        if (colWidths[c] + step > 0) {
            colWidths[c] += step;
        }
    }
    return true;
}

} // namespace quillon
