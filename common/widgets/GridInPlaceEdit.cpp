#include "GridInPlaceEdit.h"

#include <QKeyEvent>

CInPlaceEdit::CInPlaceEdit(QWidget* parent, const QRect& rect, int row, int col,
                           const QString& text, QChar initial)
    : QLineEdit(parent), m_nRow(row), m_nCol(col) {
    setFrame(false);
    setGeometry(rect);
    // A typed character replaces the text, as in a spreadsheet; F2 or a double click keeps it.
    if (!initial.isNull()) {
        setText(QString(initial));
        end(false);
    } else {
        setText(text);
        selectAll();
    }
    show();
    setFocus(Qt::OtherFocusReason);
}

void CInPlaceEdit::EndEdit(bool accepted, int key) {
    if (m_bEnded)
        return;
    m_bEnded = true;
    emit editFinished(m_nRow, m_nCol, text(), accepted, key);
    hide();
    deleteLater();
}

bool CInPlaceEdit::event(QEvent* event) {
    // Tab would otherwise move the focus before the grid learns which key ended the edit.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            EndEdit(true, key->key());
            return true;
        }
    }
    return QLineEdit::event(event);
}

void CInPlaceEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Up:
    case Qt::Key_Down:
        EndEdit(true, event->key());
        return;
    case Qt::Key_Escape:
        EndEdit(false, event->key());
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void CInPlaceEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason)
        EndEdit(true, 0);
}
