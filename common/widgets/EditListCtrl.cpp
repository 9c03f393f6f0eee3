#include "EditListCtrl.h"

#include "InPlaceCombo.h"

#include <QApplication>
#include <QCursor>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>

#include <algorithm>

// The list's own cell drawing: the text 6 pixels from the left edge, and on the active cell a
// highlight just wider than the text with a focus frame.
class CEditListDelegate : public QStyledItemDelegate {
public:
    explicit CEditListDelegate(CEditListCtrl* list) : QStyledItemDelegate(list), m_pList(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QRect cell = option.rect;
        const QString text = index.data(Qt::DisplayRole).toString();
        const QFontMetrics fm(option.font);
        // An empty text counts as 41 pixels so an empty active cell still shows its highlight.
        const int textWidth = text.isEmpty() ? 41 : fm.horizontalAdvance(text);
        const int left = cell.left() + 4;
        const int right = std::min(left + textWidth + 10, cell.right() + 1);
        const QRect highlight(left, cell.top(), std::max(0, right - left), cell.height());
        QColor textColour = option.palette.color(QPalette::Text);
        painter->save();
        if (m_pList->m_bButtonDown && index.row() == m_pList->m_nActiveRow &&
            index.column() == m_pList->m_nActiveCol) {
            if (m_pList->m_bCellActive) {
                painter->fillRect(highlight, option.palette.color(QPalette::Highlight));
                textColour = option.palette.color(QPalette::HighlightedText);
            }
            QStyleOptionFocusRect focus;
            focus.rect = highlight;
            focus.palette = option.palette;
            focus.state = QStyle::State_HasFocus;
            focus.backgroundColor = option.palette.color(QPalette::Highlight);
            m_pList->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, m_pList);
        }
        const QRect textRect = cell.adjusted(6, 0, 0, 0);
        painter->setFont(option.font);
        painter->setPen(textColour);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          fm.elidedText(text, Qt::ElideRight, textRect.width()));
        painter->restore();
    }

private:
    CEditListCtrl* m_pList;
};

namespace {

// The view paints a selected row's panel before its cells; this list draws its cells entirely
// by itself, so the panel is left out (only the active cell is highlighted).
class CEditListStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element == PE_PanelItemViewRow)
            return;
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
};

} // namespace

CEditListCtrl::CEditListCtrl(QWidget* parent) : QTableWidget(parent) {
    auto* style = new CEditListStyle;
    style->setParent(this);
    setStyle(style);
    setItemDelegate(new CEditListDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Texts change only through the drop-down list, never through the view's own editors.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    // A list view lets a column be as narrow as the owner likes, down to nothing.
    horizontalHeader()->setMinimumSectionSize(0);
    setShowGrid(false);
    setWordWrap(false);
}

CEditListCtrl::~CEditListCtrl() {
    // An open box would report its end to a list already half destroyed.
    if (m_pCombo) {
        m_pCombo->Detach();
        delete m_pCombo.data();
    }
}

void CEditListCtrl::SetComboColumn(bool on, int column) {
    const auto it = std::find(m_comboColumns.begin(), m_comboColumns.end(), column);
    if (on && it == m_comboColumns.end())
        m_comboColumns.push_back(column);
    else if (!on && it != m_comboColumns.end())
        m_comboColumns.erase(it);
}

bool CEditListCtrl::IsComboColumn(int column) const {
    return std::find(m_comboColumns.begin(), m_comboColumns.end(), column) != m_comboColumns.end();
}

int CEditListCtrl::InsertColumn(int column, const QString& heading, int width) {
    column = std::clamp(column, 0, columnCount());
    insertColumn(column);
    setHorizontalHeaderItem(column, new QTableWidgetItem(heading));
    setColumnWidth(column, width);
    return column;
}

int CEditListCtrl::InsertItem(int row, const QString& text) {
    row = std::clamp(row, 0, rowCount());
    insertRow(row);
    if (columnCount() > 0)
        SetItemText(row, 0, text);
    return row;
}

bool CEditListCtrl::SetItemText(int row, int column, const QString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return false;
    if (QTableWidgetItem* cell = item(row, column))
        cell->setText(text);
    else
        setItem(row, column, new QTableWidgetItem(text));
    return true;
}

QString CEditListCtrl::GetItemText(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

void CEditListCtrl::DeleteAllItems() {
    setRowCount(0);
    m_nActiveRow = -1;
    m_nActiveCol = -1;
    m_bCellActive = false;
}

void CEditListCtrl::DropActiveCell() {
    m_nActiveRow = -1;
    m_nActiveCol = -1;
    m_bCellActive = false;
    m_bButtonDown = false;
    viewport()->update();
}

bool CEditListCtrl::IsPointerInside() const {
    return rect().contains(mapFromGlobal(QCursor::pos()));
}

void CEditListCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QTableWidget::mousePressEvent(event);
        return;
    }
    OnLeftButtonDown(event->position().toPoint());
}

// Two quick clicks also make a double click, which comes after the second press: the press
// already did the work, and the view's own double-click handling must not start an editor.
void CEditListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        QTableWidget::mouseDoubleClickEvent(event);
}

void CEditListCtrl::OnLeftButtonDown(const QPoint& pos) {
    m_bButtonDown = true;
    const QModelIndex hit = indexAt(pos);
    if (!hit.isValid()) {
        DropActiveCell();
        clearSelection();
        viewport()->update();
        return;
    }
    const int row = hit.row();
    const int column = hit.column();
    clearSelection();
    selectionModel()->setCurrentIndex(hit, QItemSelectionModel::NoUpdate);
    selectRow(row);
    if (m_bCellActive && row == m_nActiveRow && column == m_nActiveCol) {
        if (IsComboColumn(column)) {
            QStringList choices;
            emit choiceRequest(column, &choices);
            ShowInPlaceCombo(row, column, choices, GetItemText(row, column));
        }
        return;
    }
    m_nActiveRow = row;
    m_nActiveCol = column;
    m_bCellActive = true;
    viewport()->update();
}

CInPlaceCombo* CEditListCtrl::ShowInPlaceCombo(int row, int column, const QStringList& choices,
                                               const QString& initialText) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return nullptr;
    if (columnWidth(column) <= kMinComboColumnWidth || isColumnHidden(column))
        return nullptr;
    // An owner that offers nothing gets no box: an empty box could only blank the cell.
    if (choices.isEmpty())
        return nullptr;
    scrollTo(model()->index(row, column));
    const int x = columnViewportPosition(column);
    const int left = x + 4;
    const int right = std::min(left + columnWidth(column) - 3, viewport()->width());
    const int top = rowViewportPosition(row);
    // The edit part is one list row high; the drop-down opens below it as its own window.
    auto* combo = new CInPlaceCombo(this, row, column, choices, initialText);
    combo->setGeometry(left, top, std::max(1, right - left), rowHeight(row));
    m_pCombo = combo;
    return combo;
}

void CEditListCtrl::OnEndEdit(int row, int column, const std::optional<QString>& text) {
    Q_UNUSED(column);
    if (m_nActiveCol >= 0 && text && row >= 0 && row < rowCount()) {
        const int activeCol = m_nActiveCol;
        SetItemText(row, activeCol, *text);
        emit valueChanged(row, activeCol, *text);
    }
    if (!IsPointerInside())
        DropActiveCell();
    viewport()->update();
}

void CEditListCtrl::focusOutEvent(QFocusEvent* event) {
    QTableWidget::focusOutEvent(event);
    const QWidget* next = QApplication::focusWidget();
    if (next && next != this && !IsPointerInside())
        DropActiveCell();
}
