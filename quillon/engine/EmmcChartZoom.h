#pragma once

#include <vector>

namespace quillon {

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

} // namespace quillon
