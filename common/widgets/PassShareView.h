#pragma once

#include "PassShare.h"

#include <QObject>
#include <QString>

#include <functional>

class CGridCtrl;
class CPassShareBar;
class QWidget;

// The pass-share view of a statistics grid: the view switch above it, the ramp colours of
// the cells that hold records in the pass-share view, the strict colours back in the strict
// view, and in both views a tool tip on every statistics cell naming the logs that failed it.
// The page that owns the grid says which cells hold records and what the logs say of each.
class CPassShareView : public QObject {
    Q_OBJECT
public:
    /// What the logs say about a grid cell; no logs (m_nLogs 0) for any other cell.
    using ShareFn = std::function<SPassShare(int gridRow, int gridCol)>;
    /// Calls visit(gridRow, gridCol) for every grid cell that holds records.
    using CellsFn = std::function<void(const std::function<void(int gridRow, int gridCol)>&)>;
    /// Paints the strict view's colours again.
    using StrictFn = std::function<void()>;

    /// grid must outlive this object; the tool tips are served from its viewport.
    CPassShareView(CGridCtrl& grid, ShareFn share, CellsFn cells, StrictFn strict,
                   QObject* parent = nullptr);

    /// The view switch, made once, for the page's layout; it starts in the view the bar
    /// starts in (the strict view unless the environment asks otherwise).
    CPassShareBar* CreateBar(QWidget* parent);
    [[nodiscard]] CPassShareBar* Bar() const { return m_pBar; }
    [[nodiscard]] bool IsShareView() const { return m_bShareView; }
    void SetShareView(bool share);
    /// The tool tip of a grid cell; empty where no log says anything.
    [[nodiscard]] QString ToolTip(int gridRow, int gridCol) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Paint();

    CGridCtrl& m_grid;
    ShareFn m_share;
    CellsFn m_cells;
    StrictFn m_strict;
    CPassShareBar* m_pBar = nullptr;
    bool m_bShareView = false;
};
