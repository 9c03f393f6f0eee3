#pragma once

#include "ChartCellsEMMC.h"
#include "ChildDlgEMMCModel.h"
#include "DiagDataBase.h"
#include "EmmcChartZoom.h"
#include "PassShare.h"

#include <QDialog>

class CGridCtrl;
namespace quillon {
class CLogPageBase;
class CLogPageList;
} // namespace quillon
class CPassShareView;
class QVBoxLayout;

// The eMMC chart page: blocks of in-block rows and columns under two header rows (column
// parameter, in-block column) and two header columns (row parameter, in-block row), a title
// row above each block row. A DDR50 page has about a million cells, so only the cells that
// hold records get an item of their own; the rest show the grid's white default.
class CMFCPageEMMC : public QDialog, public CDiagDataBase {
    Q_OBJECT
public:
    /// page is not owned and must outlive the chart page. maximised: its own window (Chart Max).
    CMFCPageEMMC(const quillon::CLogPageBase& page, const quillon::SEmmcNames& names,
                 bool maximised, QWidget* parent = nullptr);
    ~CMFCPageEMMC() override;

    /// Builds and fills the grid (once); a maximised page then maximises its window.
    virtual void Initialise();
    void Zoom(int steps) override;
    /// The scan's pages, for the merged page's Strict / Pass share switch and tool tips; set
    /// before Initialise. list must outlive the page.
    void SetShareList(const quillon::CLogPageList* list);
    /// The pass-share view of the merged page with a share list, else nullptr.
    [[nodiscard]] CPassShareView* ShareView() const { return m_pShareView; }
    /// What the logs say about a grid cell of the merged page (nothing for other cells).
    [[nodiscard]] SPassShare GridShare(int gridRow, int gridCol) const;

    [[nodiscard]] int ZoomValue() const { return m_zoom.Value(); }
    [[nodiscard]] bool IsMaximised() const { return m_bMaximised; }
    [[nodiscard]] CGridCtrl* Grid() const { return m_pGrid; }

    /// Grid row of (block row, in-block row) with in-block rows per block.
    [[nodiscard]] static int GridRow(int row, int inRow, int subRows) {
        return 2 + row * (subRows + 1) + 1 + inRow;
    }
    /// Grid column of (block column, in-block column).
    [[nodiscard]] static int GridCol(int col, int inCol, int subCols) {
        return 2 + col * subCols + inCol;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    /// The layout the grid goes into (the result page puts its group above it).
    [[nodiscard]] QVBoxLayout* PageLayout() const { return m_pLayout; }

private:
    void Fill();
    /// Text and colour of every cell with records (the strict view).
    void PaintRecords();

    const quillon::CLogPageBase& m_page;
    quillon::SEmmcNames m_names;
    CGridCtrl* m_pGrid = nullptr;
    QVBoxLayout* m_pLayout = nullptr;
    bool m_bMaximised = false;
    int m_nSubRows = 128;
    int m_nSubCols = 128;
    int m_nPageRows = 4;
    int m_nPageCols = 4;
    quillon::CEmmcChartZoom m_zoom;
    const quillon::CLogPageList* m_pShareList = nullptr;
    CPassShareView* m_pShareView = nullptr;
};
