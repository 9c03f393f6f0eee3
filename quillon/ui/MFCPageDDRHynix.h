#pragma once

#include "ChartCellsHynix.h"
#include "DdrGridPage.h"
#include "HynixChartZoom.h"

// The Hynix chart page: a grid of the page's cells with two header rows (sdll_phs_dly,
// dqs_step_dly), three header columns (byte, varro_drv_stg, hynix_drv_stg) and per byte a
// title row above its drive-strength row. It lives in a tab only: Chart Max has no Hynix view.
class CMFCPageDDRHynix : public CDdrGridPage {
    Q_OBJECT
public:
    /// chart is not owned and must outlive the page.
    explicit CMFCPageDDRHynix(const quillon::CChartCellsHynix& chart, QWidget* parent = nullptr);
    ~CMFCPageDDRHynix() override;

    void Zoom(int steps) override;

    [[nodiscard]] int ZoomValue() const { return m_zoom.Value(); }

    [[nodiscard]] static int GridCol(int dataCol) { return dataCol + 3; }

protected:
    void Fill() override;

private:
    const quillon::CChartCellsHynix& m_chart;
    quillon::CHynixChartZoom m_zoom;
};
