#include "InPlaceCombo.h"

#include "EditListCtrl.h"

#include <QFocusEvent>
#include <QKeyEvent>

CInPlaceCombo::CInPlaceCombo(CEditListCtrl* list, int row, int col, const QStringList& choices,
                             const QString& initialText)
    : QComboBox(list->viewport()), m_pList(list), m_nRow(row), m_nCol(col), m_choices(choices),
      m_strInitial(initialText) {
    setObjectName(QStringLiteral("InPlaceCombo"));
    setProperty("controlId", kControlId);
    setEditable(false);
    setFont(list->font());
    addItems(choices);
    setCurrentIndex(FindPrefix(choices, initialText));
    setFocusPolicy(Qt::StrongFocus);
    show();
    setFocus(Qt::OtherFocusReason);
}

int CInPlaceCombo::FindPrefix(const QStringList& choices, const QString& text) {
    for (int i = 0; i < choices.size(); ++i)
        if (choices[i].startsWith(text, Qt::CaseInsensitive))
            return i;
    return -1;
}

void CInPlaceCombo::ReturnFocus() {
    if (m_pList)
        m_pList->setFocus(Qt::OtherFocusReason);
    // When the focus could not move (an inactive window), the edit still has to end.
    if (!m_bFinished)
        Finish();
}

void CInPlaceCombo::hidePopup() {
    QComboBox::hidePopup();
    ReturnFocus();
}

void CInPlaceCombo::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        m_bCancelled = true;
        ReturnFocus();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        ReturnFocus();
        return;
    default:
        QComboBox::keyPressEvent(event);
    }
}

void CInPlaceCombo::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    // Opening the drop-down moves the focus to it; that is not the end of the edit.
    if (event->reason() == Qt::PopupFocusReason)
        return;
    Finish();
}

void CInPlaceCombo::Finish() {
    if (m_bFinished)
        return;
    m_bFinished = true;
    // No text when cancelled, and none when nothing was chosen: leaving a box that shows no
    // choice must not blank the cell.
    std::optional<QString> text;
    if (!m_bCancelled && currentIndex() >= 0)
        text = currentText();
    const int row = m_nRow;
    const int col = m_nCol;
    CEditListCtrl* list = m_pList;
    hide();
    deleteLater();
    if (list)
        list->OnEndEdit(row, col, text);
}
