#pragma once

#include "ChartCellsDDR.h"
#include "DiagDataBase.h"
#include "PassShare.h"

#include <QDialog>

#include <functional>
#include <vector>

class CGridCtrl;
class CPassShareBar;
class CPassShareView;

// The DDR chart page: a grid of the page's cells with two header rows (sdll_phs_dly,
// dqs_step_dly), two header columns (byte lane, drv_stg) and per lane a title row above its
// drive-strength rows. Embedded in a tab it swallows Enter and Escape; opened on its own
// (Chart Max) it is a maximised window that those keys close.
class CMFCPageDDR : public QDialog, public CDiagDataBase {
    Q_OBJECT
public:
    /// chart is not owned and must outlive the page. maximised: the page is its own window.
    CMFCPageDDR(const quillon::CChartCellsDDR& chart, bool maximised, QWidget* parent = nullptr);
    ~CMFCPageDDR() override;

    /// Builds and fills the grid (once); a maximised page then maximises its window.
    void Initialise();
    /// The chart's cells have changed (a live page filling): paints them again; builds the grid
    /// first when it has not been built.
    void RefreshCells();
    /// A page of a scan still arriving: rows whose drive strength the board has not printed
    /// yet get no label (a log tab shows -1 there).
    void SetFilling(bool filling) { m_bFilling = filling; }
    /// The tab was shown: paints the best-run marks of the page's analysis over the cells.
    void MarkBestRuns(const std::vector<quillon::SBestRunMark>& marks);
    /// The logs behind the cells of a merged page (data row, data column); set before
    /// Initialise, it adds the view switch and the tool tips naming the failing logs.
    void SetShareSource(std::function<SPassShare(int row, int col)> share);
    /// Strict view (false, the default) or pass-share view (true).
    void SetShareView(bool share);
    [[nodiscard]] bool IsShareView() const;
    [[nodiscard]] CPassShareBar* ShareBar() const;
    /// The tool tip of a grid cell: the share and the failing logs of a data cell of a
    /// merged page with a share source; empty otherwise.
    [[nodiscard]] QString CellToolTip(int gridRow, int gridCol) const;
    void Zoom(int steps) override;

    [[nodiscard]] int ZoomValue() const { return m_nZoom; }
    [[nodiscard]] bool IsMaximised() const { return m_bMaximised; }
    [[nodiscard]] CGridCtrl* Grid() const { return m_pGrid; }
    [[nodiscard]] const quillon::CChartCellsDDR& Chart() const { return m_chart; }

    /// Grid row of a data row (lane x n + ordinal): two header rows, then per lane a title
    /// row and its n rows.
    [[nodiscard]] static int GridRow(int dataRow, int driveRows);
    /// Grid column of a data column.
    [[nodiscard]] static int GridCol(int dataCol) { return dataCol + 2; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Fill();
    /// Header texts and data cells from the chart.
    void FillCells();
    /// The strict view's background colours: the records' colours and the best-run marks.
    void PaintStrict();
    /// The data cell of a grid cell; false for header and title cells.
    [[nodiscard]] bool DataCell(int gridRow, int gridCol, int& row, int& col) const;

    const quillon::CChartCellsDDR& m_chart;
    CGridCtrl* m_pGrid = nullptr;
    bool m_bMaximised = false;
    int m_nDriveRows = 0;
    int m_nSubCols = 0;
    int m_nPageRows = 0;
    int m_nPageCols = 0;
    int m_nZoom = 100;
    bool m_bFilling = false;
    std::function<SPassShare(int, int)> m_share;
    CPassShareView* m_pShareView = nullptr; ///< merged page with a share source only
    std::vector<quillon::SBestRunMark> m_vecMarks; ///< the marks of the last tab show
};
