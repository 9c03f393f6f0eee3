#include "ResultListModel.h"

using namespace sondex;

void CResultListModel::SetRows(std::vector<SResultRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int CResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CResultListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant CResultListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole || index.row() >= int(m_rows.size())) {
        return QVariant();
    }
    const SResultRow& row = m_rows[static_cast<size_t>(index.row())];
    switch (index.column()) {
    case 0:
        return QString::fromStdWString(row.type);
    case 1:
        return QString::number(row.passWidth);
    case 2:
        return QString::fromStdWString(row.result);
    default:
        return QVariant();
    }
}

QVariant CResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const char* const kNames[] = {"Type", "PassWidth", "Result"};
    return section >= 0 && section < 3 ? QString::fromLatin1(kNames[section]) : QVariant();
}
