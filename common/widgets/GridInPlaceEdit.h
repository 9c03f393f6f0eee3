#pragma once

#include <QLineEdit>

/// The editor the grid places over a cell. Enter takes the text, Escape drops it, Tab, the
/// arrows Up and Down and a loss of focus take it too; the grid learns which key ended the
/// edit so it can move on. It reports once and then deletes itself.
class CInPlaceEdit : public QLineEdit {
    Q_OBJECT

public:
    CInPlaceEdit(QWidget* parent, const QRect& rect, int row, int col, const QString& text,
                 QChar initial);

    [[nodiscard]] int GetRow() const { return m_nRow; }
    [[nodiscard]] int GetColumn() const { return m_nCol; }
    /// Ends the edit as if the given key was pressed (0: focus loss, which accepts).
    void EndEdit(bool accepted, int key = 0);

signals:
    void editFinished(int row, int col, const QString& text, bool accepted, int key);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    int m_nRow;
    int m_nCol;
    bool m_bEnded = false;
};
