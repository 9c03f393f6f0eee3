#pragma once

#include <QComboBox>
#include <QStringList>

#include <optional>

class CEditListCtrl;

/// The drop-down list that opens over a cell of CEditListCtrl. Enter or Escape (which cancels)
/// and closing the drop-down give the focus back to the list; losing the focus for any reason
/// reports the end of the edit to the list exactly once and destroys the box.
class CInPlaceCombo : public QComboBox {
    Q_OBJECT

public:
    /// The control number the box carries (its "controlId" property).
    static constexpr int kControlId = 0x9999;

    CInPlaceCombo(CEditListCtrl* list, int row, int col, const QStringList& choices,
                  const QString& initialText);

    [[nodiscard]] int GetRow() const { return m_nRow; }
    [[nodiscard]] int GetColumn() const { return m_nCol; }
    [[nodiscard]] bool IsCancelled() const { return m_bCancelled; }
    [[nodiscard]] const QStringList& GetChoices() const { return m_choices; }
    [[nodiscard]] const QString& GetInitialText() const { return m_strInitial; }
    /// Index of the first choice beginning with text, letter case ignored; -1 when none.
    [[nodiscard]] static int FindPrefix(const QStringList& choices, const QString& text);

    /// Forgets the list: the end of the edit is no longer reported.
    void Detach() { m_pList = nullptr; }

    void hidePopup() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ReturnFocus();
    void Finish();

    CEditListCtrl* m_pList;
    int m_nRow;
    int m_nCol;
    QStringList m_choices;
    QString m_strInitial;
    bool m_bCancelled = false;
    bool m_bFinished = false;
};
