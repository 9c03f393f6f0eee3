#include "PassShareView.h"

#include "GridCtrl.h"
#include "PassShareBar.h"

#include <QHelpEvent>
#include <QToolTip>

CPassShareView::CPassShareView(CGridCtrl& grid, ShareFn share, CellsFn cells, StrictFn strict,
                               QObject* parent)
    : QObject(parent), m_grid(grid), m_share(std::move(share)), m_cells(std::move(cells)),
      m_strict(std::move(strict)) {
    m_grid.viewport()->installEventFilter(this);
}

CPassShareBar* CPassShareView::CreateBar(QWidget* parent) {
    if (m_pBar == nullptr) {
        m_pBar = new CPassShareBar(parent);
        connect(m_pBar, &CPassShareBar::ViewChanged, this, &CPassShareView::SetShareView);
        if (m_pBar->IsShareView()) {
            m_bShareView = false;
            SetShareView(true);
        }
    }
    return m_pBar;
}

void CPassShareView::SetShareView(bool share) {
    if (m_pBar != nullptr && m_pBar->IsShareView() != share) {
        m_pBar->SetShareView(share); // comes back here through ViewChanged
        return;
    }
    if (m_bShareView == share) {
        return;
    }
    m_bShareView = share;
    Paint();
}

void CPassShareView::Paint() {
    if (!m_bShareView) {
        if (m_strict) {
            m_strict();
        }
        m_grid.Refresh();
        return;
    }
    if (m_cells && m_share) {
        m_cells([this](int row, int col) {
            const SPassShare share = m_share(row, col);
            if (share.m_nLogs > 0) {
                m_grid.SetItemBkColour(row, col, PassShareColor(share.Share()));
            }
        });
    }
    m_grid.Refresh();
}

QString CPassShareView::ToolTip(int gridRow, int gridCol) const {
    return m_share ? PassShareToolTipText(m_share(gridRow, gridCol)) : QString();
}

bool CPassShareView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip && watched == m_grid.viewport()) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const SCellId hit = m_grid.Geometry().HitTest(help->pos());
        const QString text = hit.IsValid() ? ToolTip(hit.nRow, hit.nCol) : QString();
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), text, m_grid.viewport());
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}
