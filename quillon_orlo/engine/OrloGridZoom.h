#pragma once

#include <vector>

namespace orlo {

/// Sizes of an Orlo grid and the Ctrl+wheel zoom of its page: the zoom runs from 80 to 120;
/// a step inside that range changes every row from row 3 on and every column from column 2
/// on by the step (a size never drops to 1 or below) and fixes columns 0 and 1 at 35 and 50.
class COrloGridZoom {
public:
    COrloGridZoom();

    /// One wheel notch (positive or negative); false when the zoom hit a limit and the sizes
    /// were left alone.
    bool Step(int step);

    [[nodiscard]] int Zoom() const { return m_nZoom; }
    [[nodiscard]] int RowHeight(int row) const { return m_rowHeights.at(row); }
    [[nodiscard]] int ColumnWidth(int col) const { return m_colWidths.at(col); }

private:
    int m_nZoom = 100;
    std::vector<int> m_rowHeights;
    std::vector<int> m_colWidths;
};

} // namespace orlo
