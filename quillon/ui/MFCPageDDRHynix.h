#pragma once

#include "ChartCellsHynix.h"
#include "DiagDataBase.h"
#include "HynixChartZoom.h"
#include "PassShare.h"

#include <QDialog>

#include <functional>

class CGridCtrl;
class CPassShareView;

// The Hynix chart page: a grid of the page's cells with two header rows (sdll_phs_dly,
// dqs_step_dly), three header columns (byte, varro_drv_stg, hynix_drv_stg) and per byte a
// title row above its drive-strength row. It lives in a tab only: Chart Max has no Hynix view.
class CMFCPageDDRHynix : public QDialog, public CDiagDataBase {
    Q_OBJECT
public:
    /// chart is not owned and must outlive the page.
    explicit CMFCPageDDRHynix(const quillon::CChartCellsHynix& chart, QWidget* parent = nullptr);
    ~CMFCPageDDRHynix() override;

    /// Builds and fills the grid (once).
    void Initialise();
    void Zoom(int steps) override;
    /// The logs behind the cells of a merged page (data row, data column); set before
    /// Initialise, it adds the Strict / Pass share switch and the tool tips.
    void SetShareSource(std::function<SPassShare(int row, int col)> share);
    /// The pass-share view of a merged page with a share source, else nullptr.
    [[nodiscard]] CPassShareView* ShareView() const { return m_pShareView; }

    [[nodiscard]] int ZoomValue() const { return m_zoom.Value(); }
    [[nodiscard]] CGridCtrl* Grid() const { return m_pGrid; }

    /// Grid row of data row (byte x drive rows + ordinal): two header rows, then per byte a
    /// title row and its drive rows.
    [[nodiscard]] static int GridRow(int dataRow, int driveRows);
    [[nodiscard]] static int GridCol(int dataCol) { return dataCol + 3; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Fill();
    void PaintStrict();
    /// The data cell of a grid cell; false for header and title cells.
    [[nodiscard]] bool DataCell(int gridRow, int gridCol, int& row, int& col) const;

    const quillon::CChartCellsHynix& m_chart;
    CGridCtrl* m_pGrid = nullptr;
    int m_nDriveRows = 0;
    int m_nSubCols = 0;
    int m_nPageRows = 0;
    int m_nPageCols = 0;
    quillon::CHynixChartZoom m_zoom;
    std::function<SPassShare(int, int)> m_share;
    CPassShareView* m_pShareView = nullptr;
};
