#include "SondexView.h"

#include "ScanLogData.h"

#include "GridCtrl.h"
#include "PassShareBar.h"
#include "PassShareView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QWheelEvent>

using namespace sondex;

CSondexView::CSondexView(CScanLogData* data, QWidget* parent) : QScrollArea(parent), m_pData(data) {
    setFocusPolicy(Qt::StrongFocus);
    setWidgetResizable(false);
    m_pPage = new QWidget;
    QPalette palette = m_pPage->palette();
    palette.setColor(QPalette::Window, kBackground);
    m_pPage->setPalette(palette);
    m_pPage->setAutoFillBackground(true);
    setWidget(m_pPage);
    QPalette own = viewport()->palette();
    own.setColor(QPalette::Window, kBackground);
    viewport()->setPalette(own);
    viewport()->setAutoFillBackground(true);
}

CSondexView::~CSondexView() {
    // The tables refer to grids of the page; drop them before the widgets go.
    m_tables.clear();
}

QString CSondexView::FrameTitle(const LogHeader& header) {
    return QStringLiteral("Sondex Tool -- [Project:%1 DDRType:%2 CLK:%3]")
        .arg(QString::fromStdWString(header.project), QString::fromStdWString(header.ddrType),
             QString::fromStdWString(header.clock));
}

void CSondexView::OnInitialUpdate() {
    if (m_pData != nullptr) {
        m_header = m_pData->GetHeader();
    }
}

void CSondexView::EnsureGrids() {
    if (m_bGridsBuilt) {
        return;
    }
    m_bGridsBuilt = true;
    if (m_pData != nullptr) {
        int id = 0;
        for (const auto& [index, table] : m_pData->GetTables()) {
            auto* grid = new CGridCtrl(0, 0, 0, 0, m_pPage);
            grid->setObjectName(QStringLiteral("table%1").arg(index));
            grid->setProperty("gridId", id++);
            grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            auto ddr = std::make_unique<CDDRTable>(table.get(), grid);
            ddr->Fill();
            grid->show();
            if (m_share) {
                const CDDRTable* shown = ddr.get();
                const CPinScanTable* data = table.get();
                const int tableIndex = index;
                auto* view = new CPassShareView(
                    *grid,
                    [this, shown, tableIndex](int gridRow, int gridCol) {
                        int row = 0;
                        int col = 0;
                        return shown->TableCell(gridRow, gridCol, row, col)
                                   ? m_share(tableIndex, row, col)
                                   : SPassShare{};
                    },
                    [shown, data](const std::function<void(int, int)>& visit) {
                        data->ForEachCell([&](int row, int col, const CCellList&) {
                            int tableRow = 0;
                            int tableCol = 0;
                            // Transposed: grid row = table column, grid column = table row.
                            if (shown->TableCell(col, row, tableRow, tableCol)) {
                                visit(col, row);
                            }
                        });
                    },
                    [ddr = ddr.get()] { ddr->PaintCells(); }, this);
                m_shareViews.emplace(index, view);
            }
            m_tables.emplace(index, std::move(ddr));
        }
    }
    if (m_share) {
        // One switch for every table of the document.
        m_pShareBar = new CPassShareBar(m_pPage);
        m_pShareBar->setAutoFillBackground(true);
        for (const auto& [index, view] : m_shareViews) {
            connect(m_pShareBar, &CPassShareBar::ViewChanged, view, &CPassShareView::SetShareView);
            view->SetShareView(m_pShareBar->IsShareView());
        }
        m_pShareBar->show();
    }
    LayoutGrids();
}

void CSondexView::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    // The scroll range follows every size change.
    LayoutGrids();
}

void CSondexView::SetShareSource(std::function<SPassShare(int table, int row, int col)> share) {
    m_share = std::move(share);
}

CPassShareView* CSondexView::ShareView(int index) const {
    const auto it = m_shareViews.find(index);
    return it == m_shareViews.end() ? nullptr : it->second;
}

void CSondexView::LayoutGrids() {
    int y = 0;
    int widest = 0;
    if (m_pShareBar != nullptr) {
        const QSize bar = m_pShareBar->sizeHint();
        m_pShareBar->setGeometry(0, 0, bar.width(), bar.height());
        y = bar.height();
        widest = bar.width();
    }
    for (const auto& [index, table] : m_tables) {
        const QSize size = table->GridSize();
        table->GetGrid()->setGeometry(0, y, size.width(), size.height());
        widest = std::max(widest, size.width());
        y += size.height() + table->GetGrid()->GetRowHeight(0);
    }
    // The page is at least the visible area, so its colour fills the view.
    const QSize visible = viewport()->size();
    m_pPage->resize(std::max(widest, visible.width()),
                    std::max(y + kBottomMargin, visible.height()));
}

void CSondexView::ZoomBy(int step) {
    for (const auto& [index, table] : m_tables) {
        table->Zoom(step);
    }
    LayoutGrids();
}

void CSondexView::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Left) {
            emit switchDocument(-1);
            return;
        }
        if (event->key() == Qt::Key_Right) {
            emit switchDocument(+1);
            return;
        }
    }
    QScrollArea::keyPressEvent(event);
}

void CSondexView::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        // One zoom step per wheel notch (120), the rest kept for the next event.
        m_nWheelRemainder += event->angleDelta().y();
        const int step = m_nWheelRemainder / 120;
        m_nWheelRemainder %= 120;
        if (step != 0) {
            ZoomBy(step);
        }
        event->accept();
        return;
    }
    QScrollArea::wheelEvent(event);
}

CGridCtrl* CSondexView::GridAt(const QPoint& globalPos) const {
    const QPoint onPage = m_pPage->mapFromGlobal(globalPos);
    for (const auto& [index, table] : m_tables) {
        if (table->GetGrid()->geometry().contains(onPage)) {
            return table->GetGrid();
        }
    }
    return nullptr;
}

void CSondexView::contextMenuEvent(QContextMenuEvent* event) {
    CGridCtrl* grid = GridAt(event->globalPos());
    QMenu menu(this);
    QAction* cut = menu.addAction(QStringLiteral("Cu&t"));
    QAction* copy = menu.addAction(QStringLiteral("&Copy"));
    QAction* paste = menu.addAction(QStringLiteral("&Paste"));
    const bool editable = grid != nullptr && grid->IsEditable();
    cut->setEnabled(editable);
    copy->setEnabled(grid != nullptr);
    paste->setEnabled(editable);
    QAction* chosen = menu.exec(event->globalPos());
    if (grid == nullptr || chosen == nullptr) {
        return;
    }
    if (chosen == cut) {
        grid->OnEditCut();
    } else if (chosen == copy) {
        grid->OnEditCopy();
    } else if (chosen == paste) {
        grid->OnEditPaste();
    }
}
