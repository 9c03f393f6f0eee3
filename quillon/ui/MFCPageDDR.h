#pragma once

#include "ChartCellsDDR.h"
#include "DdrGridPage.h"

#include <vector>

// The DDR chart page: a grid of the page's cells with two header rows (sdll_phs_dly,
// dqs_step_dly), two header columns (byte lane, drv_stg) and per lane a title row above its
// drive-strength rows. Embedded in a tab it swallows Enter and Escape; opened on its own
// (Chart Max) it is a maximised window that those keys close.
class CMFCPageDDR : public CDdrGridPage {
    Q_OBJECT
public:
    /// chart is not owned and must outlive the page. maximised: the page is its own window.
    CMFCPageDDR(const quillon::CChartCellsDDR& chart, bool maximised, QWidget* parent = nullptr);
    ~CMFCPageDDR() override;

    /// The chart's cells have changed (a live page filling): paints them again; builds the grid
    /// first when it has not been built.
    void RefreshCells();
    /// A page of a scan still arriving: rows whose drive strength the board has not printed
    /// yet get no label (a log tab shows -1 there).
    void SetFilling(bool filling) { m_bFilling = filling; }
    /// The tab was shown: paints the best-run marks of the page's analysis over the cells.
    void MarkBestRuns(const std::vector<quillon::SBestRunMark>& marks);
    void Zoom(int steps) override;

    [[nodiscard]] int ZoomValue() const { return m_nZoom; }
    [[nodiscard]] const quillon::CChartCellsDDR& Chart() const { return m_chart; }

    /// Grid column of a data column.
    [[nodiscard]] static int GridCol(int dataCol) { return dataCol + 2; }

protected:
    void Fill() override;
    /// The records' colours and the best-run marks.
    void PaintStrict() override;

private:
    /// Header texts and data cells from the chart.
    void FillCells();

    const quillon::CChartCellsDDR& m_chart;
    int m_nZoom = 100;
    bool m_bFilling = false;
    std::vector<quillon::SBestRunMark> m_vecMarks; ///< the marks of the last tab show
};
