#pragma once

#include "ChartCellGrid.h"
#include "DiagDataBase.h"
#include "PassShare.h"

#include <QDialog>

#include <functional>

class CGridCtrl;
class CPassShareBar;
class CPassShareView;

// What the DDR and Hynix chart pages share: a grid of a chart's cells below two header rows,
// with per lane a title row above its drive-strength rows, the chart font, the Strict / Pass
// share switch of a merged page, Ctrl + wheel zoom and the Enter / Escape rule. A page fills
// its own header columns and data cells.
class CDdrGridPage : public QDialog, public CDiagDataBase {
public:
    ~CDdrGridPage() override;

    /// Builds and fills the grid (once); a page in its own window then maximises it.
    void Initialise();
    /// The logs behind the cells of a merged page (data row, data column); set before
    /// Initialise, it adds the Strict / Pass share switch and the tool tips naming the
    /// failing logs.
    void SetShareSource(std::function<SPassShare(int row, int col)> share);
    /// Strict view (false, the default) or pass-share view (true).
    void SetShareView(bool share);
    [[nodiscard]] bool IsShareView() const;
    /// The pass-share view of a merged page with a share source, else nullptr.
    [[nodiscard]] CPassShareView* ShareView() const { return m_pShareView; }
    [[nodiscard]] CPassShareBar* ShareBar() const;
    /// The tool tip of a grid cell: the share and the failing logs of a data cell of a
    /// merged page with a share source; empty otherwise.
    [[nodiscard]] QString CellToolTip(int gridRow, int gridCol) const;

    [[nodiscard]] bool IsMaximised() const { return m_bMaximised; }
    [[nodiscard]] CGridCtrl* Grid() const { return m_pGrid; }

    /// Grid row of a data row (lane x drive rows + ordinal): two header rows, then per lane a
    /// title row and its drive rows.
    [[nodiscard]] static int GridRow(int dataRow, int driveRows);

protected:
    /// cells is not owned and must outlive the page; headerCols grid columns stand before the
    /// data columns. ownWindow: the page is its own maximised window (Chart Max).
    CDdrGridPage(const quillon::CChartCellGrid& cells, int headerCols, bool ownWindow, QWidget* parent);

    /// Sizes, header texts and data cells of the grid, once it exists.
    virtual void Fill() = 0;
    /// Sizes the grid for the page: headerRows fixed rows, then per lane a title row and its
    /// drive-strength rows; the header columns, then the data columns.
    void SizeGrid(int headerRows);
    /// The strict view's background colours.
    virtual void PaintStrict();
    /// The data cell of a grid cell; false for header and title cells.
    [[nodiscard]] bool DataCell(int gridRow, int gridCol, int& row, int& col) const;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    static constexpr int kHeaderRows = 2;

    const quillon::CChartCellGrid& m_cells;
    const int m_nHeaderCols;
    CGridCtrl* m_pGrid = nullptr;
    bool m_bMaximised = false;
    int m_nDriveRows = 0;
    int m_nSubCols = 0;
    int m_nPageRows = 0;
    int m_nPageCols = 0;
    std::function<SPassShare(int, int)> m_share;
    CPassShareView* m_pShareView = nullptr; ///< merged page with a share source only
};
