#pragma once

#include "DiagDataBase.h"

#include "OrloGridCells.h"
#include "OrloGridZoom.h"

#include <QWidget>

class CGridCtrl;
class QFrame;

namespace orlo {
class CLogPageOrlo;
}

/// One tab of the main dialog: the 257 x 37 grid of one Orlo log (entries that passed are
/// green). The grid is built the first time the page is shown, so a scan of many logs does
/// not pay for grids nobody looks at.
class CMFCPageOrlo : public QWidget, public CDiagDataBase {
    Q_OBJECT

public:
    /// page is not owned; nPages is the number of log pages of the scan (N).
    CMFCPageOrlo(const orlo::CLogPageOrlo* page, int nPages, QWidget* owner);
    ~CMFCPageOrlo() override;

    /// Ctrl + wheel: steps of the zoom, kept between 80 and 120.
    void Zoom(int step) override;
    [[nodiscard]] int GetZoom() const { return m_zoom.Zoom(); }

    /// Builds and fills the grid unless it exists.
    void Initialise();
    [[nodiscard]] CGridCtrl* Grid() const { return m_pGrid; }
    [[nodiscard]] QFrame* GridFrame() const { return m_pGridFrame; }
    [[nodiscard]] const orlo::CLogPageOrlo* Page() const { return m_pPage; }
    [[nodiscard]] int PageCount() const { return m_nPages; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    /// Places the page's controls for its current size.
    virtual void LayoutControls();
    /// Writes cell (row, col) of the grid from the page, with mark on the value columns.
    void FillCell(int row, int col, const orlo::SOrloMark& mark);
    /// Called once the grid has been built and filled.
    virtual void OnGridBuilt() {}
    /// The mark the statistics page keeps; none on a log page.
    [[nodiscard]] virtual orlo::SOrloMark CurrentMark() const { return orlo::SOrloMark(); }

    QFrame* m_pGridFrame = nullptr;

private:
    void ApplyZoomSizes();

    const orlo::CLogPageOrlo* m_pPage;
    int m_nPages;
    CGridCtrl* m_pGrid = nullptr;
    orlo::COrloGridZoom m_zoom;
};
