#pragma once

#include "ResultFormModel.h"

#include <QAbstractTableModel>

#include <vector>

/// The rows of the result list ("Type", "PassWidth", "Result") for the list view.
class CResultListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetRows(std::vector<sondex::SResultRow> rows);
    [[nodiscard]] const std::vector<sondex::SResultRow>& Rows() const { return m_rows; }

    [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index,
                                int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role = Qt::DisplayRole) const override;

private:
    std::vector<sondex::SResultRow> m_rows;
};
