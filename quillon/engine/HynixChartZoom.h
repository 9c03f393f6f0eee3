#pragma once

#include <vector>

namespace quillon {

/// The zoom of the Hynix chart page: 100 at start, held within 80 .. 120; a step inside the
/// range resizes rows from 3 on and columns from 2 on by the step (each only while it stays
/// above 1 pixel), after columns 0 .. 2 are set back to 38, 90, 90.
class CHynixChartZoom {
public:
    /// Applies step a to zoom and to the sizes; false when the zoom hit a limit (the sizes
    /// are then left as they are).
    bool Zoom(int step, std::vector<int>& rowHeights, std::vector<int>& colWidths);
    [[nodiscard]] int Value() const { return m_nZoom; }

private:
    int m_nZoom = 100;
};

} // namespace quillon
