#pragma once

#include "UartLineStore.h"

#include <QAbstractListModel>
#include <QTimer>

#include <string_view>

// The lines of a capture as a list model: received pieces go into the line store at once;
// views hear of new rows at most every 50 ms, so a fast port does not repaint per piece.
// The text still waiting for its line feed is shown as the last row.
class CUartLineModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kRepaintMs = 50;

    explicit CUartLineModel(QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;

    /// Adds a received piece; the views hear of it when the repaint timer fires.
    void Append(std::string_view piece);
    /// Tells the views about every row now (the timer does this on its own).
    void Flush();
    void Clear();

    [[nodiscard]] const quillon::CUartLineStore& Store() const { return m_store; }
    [[nodiscard]] bool IsFlushPending() const { return m_timer.isActive(); }

private:
    quillon::CUartLineStore m_store;
    int m_nShownRows = 0;          ///< rows the views know of
    QTimer m_timer;
};
