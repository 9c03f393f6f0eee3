#include "MFCPageOrlo.h"

#include "GridCtrl.h"
#include "LogPageOrlo.h"

#include <QFrame>
#include <QKeyEvent>
#include <QWheelEvent>

namespace {

// Page margins around the grid frame, in pixels.
constexpr int kMargin = 4;

unsigned FormatOf(orlo::EOrloAlign align) {
    const unsigned common = grid::kTextVCenter | grid::kTextSingleLine | grid::kTextNoPrefix;
    switch (align) {
    case orlo::EOrloAlign::Left:
        return grid::kTextLeft | common;
    case orlo::EOrloAlign::Right:
        return grid::kTextRight | common;
    case orlo::EOrloAlign::Centre:
        break;
    }
    return grid::kTextCenter | common;
}

} // namespace

CMFCPageOrlo::CMFCPageOrlo(const orlo::CLogPageOrlo* page, int nPages, QWidget* owner)
    : QWidget(owner), m_pPage(page), m_nPages(nPages) {
    setAutoFillBackground(true);
    m_pGridFrame = new QFrame(this);
    m_pGridFrame->setFrameShape(QFrame::NoFrame);
}

CMFCPageOrlo::~CMFCPageOrlo() = default;

void CMFCPageOrlo::Initialise() {
    if (m_pGrid != nullptr || m_pPage == nullptr) {
        return;
    }
    m_pGrid = new CGridCtrl(orlo::kOrloGridRows, orlo::kOrloGridCols, 1, 1);
    m_pGrid->SetFlavour(CGridCtrl::EFlavour::Older);
    m_pGrid->Create(m_pGridFrame->rect(), m_pGridFrame, 1001);
    m_pGrid->SetEditable(false);
    const orlo::SOrloMark mark = CurrentMark();
    for (int row = 0; row < orlo::kOrloGridRows; ++row) {
        for (int col = 0; col < orlo::kOrloGridCols; ++col) {
            FillCell(row, col, mark);
        }
    }
    ApplyZoomSizes();
    m_pGrid->show();
    OnGridBuilt();
}

void CMFCPageOrlo::FillCell(int row, int col, const orlo::SOrloMark& mark) {
    const orlo::SOrloCell cell = orlo::GetOrloGridCell(*m_pPage, m_nPages, row, col, mark);
    m_pGrid->SetItemText(row, col, cell.m_strText);
    m_pGrid->SetItemFormat(row, col, FormatOf(cell.m_align));
    m_pGrid->SetItemBkColour(row, col, cell.m_bHasBack ? cell.m_crBack : grid::kDefaultColour);
}

void CMFCPageOrlo::ApplyZoomSizes() {
    if (m_pGrid == nullptr) {
        return;
    }
    for (int row = 0; row < orlo::kOrloGridRows; ++row) {
        m_pGrid->SetRowHeight(row, m_zoom.RowHeight(row));
    }
    for (int col = 0; col < orlo::kOrloGridCols; ++col) {
        m_pGrid->SetColumnWidth(col, m_zoom.ColumnWidth(col));
    }
    m_pGrid->Refresh();
}

void CMFCPageOrlo::Zoom(int step) {
    if (m_zoom.Step(step)) {
        ApplyZoomSizes();
    }
}

void CMFCPageOrlo::showEvent(QShowEvent* event) {
    Initialise();
    LayoutControls();
    QWidget::showEvent(event);
}

void CMFCPageOrlo::resizeEvent(QResizeEvent* event) {
    LayoutControls();
    QWidget::resizeEvent(event);
}

void CMFCPageOrlo::LayoutControls() {
    m_pGridFrame->setGeometry(kMargin, kMargin, std::max(0, width() - 2 * kMargin),
                              std::max(0, height() - 2 * kMargin));
    if (m_pGrid != nullptr) {
        m_pGrid->setGeometry(m_pGridFrame->rect());
    }
}

void CMFCPageOrlo::wheelEvent(QWheelEvent* event) {
    if (!ZoomOnCtrlWheel(event)) {
        QWidget::wheelEvent(event); // the grid's scrolling
    }
}

void CMFCPageOrlo::keyPressEvent(QKeyEvent* event) {
    // A page never closes the dialog or presses its default button.
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
