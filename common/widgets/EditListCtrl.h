#pragma once

#include "InPlaceCombo.h"

#include <QPointer>
#include <QStringList>
#include <QTableWidget>

#include <optional>
#include <vector>

/// A report-style list whose cells the user changes by picking a value from a drop-down list
/// that opens over the cell: the first click on a cell chooses it, the second opens the box.
/// The owner supplies the choices when asked (choiceRequest) and learns of every change
/// (valueChanged). Rows, columns and texts are filled with the list operations below.
class CEditListCtrl : public QTableWidget {
    Q_OBJECT

public:
    /// Columns at most this wide never open the drop-down list.
    static constexpr int kMinComboColumnWidth = 9;

    explicit CEditListCtrl(QWidget* parent = nullptr);
    ~CEditListCtrl() override;

    /// on: the column is edited through the drop-down list (added once); off: it no longer is.
    void SetComboColumn(bool on, int column);
    [[nodiscard]] bool IsComboColumn(int column) const;

    // List operations of the owner.
    int InsertColumn(int column, const QString& heading, int width);
    /// Inserts a row before row (appends past the end) with text in column 0; returns its index.
    int InsertItem(int row, const QString& text);
    bool SetItemText(int row, int column, const QString& text);
    [[nodiscard]] QString GetItemText(int row, int column) const;
    void DeleteAllItems();
    [[nodiscard]] int GetItemCount() const { return rowCount(); }

    // The active cell chosen by a first click.
    [[nodiscard]] int GetActiveRow() const { return m_nActiveRow; }
    [[nodiscard]] int GetActiveColumn() const { return m_nActiveCol; }
    [[nodiscard]] bool IsCellActive() const { return m_bCellActive; }
    [[nodiscard]] bool IsButtonDown() const { return m_bButtonDown; }
    /// Forgets the active cell and repaints.
    void DropActiveCell();

    /// Opens the drop-down list over (row, column); nullptr when the column does not exist, is
    /// at most 9 pixels wide or there is nothing to choose from.
    CInPlaceCombo* ShowInPlaceCombo(int row, int column, const QStringList& choices,
                                    const QString& initialText);
    [[nodiscard]] CInPlaceCombo* GetInPlaceCombo() const { return m_pCombo.data(); }
    /// End of an edit, as the drop-down list reports it: text is absent when cancelled.
    void OnEndEdit(int row, int column, const std::optional<QString>& text);

    /// Whether the mouse pointer is over the list (the pointer decides whether a lost focus
    /// drops the active cell).
    [[nodiscard]] virtual bool IsPointerInside() const;

signals:
    /// The owner fills choices with the values offered for the column.
    void choiceRequest(int column, QStringList* choices);
    /// The text of (row, column) was changed by the user.
    void valueChanged(int row, int column, const QString& text);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    friend class CEditListDelegate;
    void OnLeftButtonDown(const QPoint& pos);

    int m_nActiveCol = -1;
    int m_nActiveRow = -1;
    bool m_bCellActive = false;
    bool m_bButtonDown = false;
    std::vector<int> m_comboColumns;
    QPointer<CInPlaceCombo> m_pCombo;
};
