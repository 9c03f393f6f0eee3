#include "MergePageEMMCModel.h"

#include "ChildDlgEMMCModel.h"
#include "TextUtil.h"

namespace quillon {

void CMergePageEMMCModel::Init(std::vector<SEmmcBestPoint> records, const std::wstring& rowName,
                               const std::wstring& colName, const std::wstring& inRowName,
                               const std::wstring& inColName) {
    m_records = std::move(records);
    if (m_records.empty()) {
        return;
    }
    const SEmmcBestPoint& point = m_records.front();
    m_values[kRow] = FormatW(L"0x%X", static_cast<unsigned>(point.nRow));
    m_values[kCol] = FormatW(L"0x%X", static_cast<unsigned>(point.nCol));
    m_values[kInRow] = FormatW(L"0x%X", static_cast<unsigned>(point.nInRow));
    m_values[kInCol] = FormatW(L"0x%X", static_cast<unsigned>(point.nInCol));
    m_labels[kRow] = rowName;
    m_labels[kCol] = colName;
    m_labels[kInRow] = inRowName;
    m_labels[kInCol] = inColName;
}

std::vector<SEmmcBestPoint> CMergePageEMMCModel::GetRecords() const {
    std::vector<SEmmcBestPoint> records = m_records;
    if (records.empty()) {
        return records;
    }
    auto read = [](const std::wstring& text) {
        return static_cast<int32_t>(CChildDlgEMMCModel::ParseMaximum(text));
    };
    SEmmcBestPoint& point = records.front();
    point.nRow = read(m_values[kRow]);
    point.nCol = read(m_values[kCol]);
    point.nInCol = read(m_values[kInCol]);
    point.nInRow = read(m_values[kInRow]);
    return records;
}

} // namespace quillon
