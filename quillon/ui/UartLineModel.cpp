#include "UartLineModel.h"

#include <QFontDatabase>

using namespace quillon;

CUartLineModel::CUartLineModel(QObject* parent) : QAbstractListModel(parent) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(kRepaintMs);
    connect(&m_timer, &QTimer::timeout, this, &CUartLineModel::Flush);
}

int CUartLineModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_nShownRows;
}

QVariant CUartLineModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_nShownRows) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        const std::u32string text = DecodeUartText(m_store.Row(size_t(index.row())));
        return QString::fromUcs4(text.data(), qsizetype(text.size()));
    }
    return {};
}

void CUartLineModel::Append(std::string_view piece) {
    if (piece.empty()) {
        return;
    }
    m_store.Feed(piece);
    if (!m_timer.isActive()) {
        m_timer.start();
    }
}

void CUartLineModel::Flush() {
    m_timer.stop();
    const int rows = int(m_store.RowCount());
    // The last row shown may have been the pending text, which has grown or been completed.
    if (m_nShownRows > 0) {
        const QModelIndex last = index(m_nShownRows - 1);
        emit dataChanged(last, last, {Qt::DisplayRole});
    }
    if (rows > m_nShownRows) {
        beginInsertRows(QModelIndex(), m_nShownRows, rows - 1);
        m_nShownRows = rows;
        endInsertRows();
    }
}

void CUartLineModel::Clear() {
    beginResetModel();
    m_timer.stop();
    m_store.Clear();
    m_nShownRows = 0;
    endResetModel();
}
