#include "ChartCellsEMMC.h"

#include "ChildDlgEMMCModel.h"
#include "LogDataEMMC.h"
#include "LogPageBase.h"
#include "LogPageEMMC.h"
#include "TextUtil.h"

namespace quillon {

namespace {

void Describe(CLogDataBase* const* records, size_t count, std::wstring& text, ColorRef& color) {
    text.clear();
    color = kColorNoData;
    for (size_t i = 0; i < count; ++i) {
        const CLogDataBase* record = records[i];
        const auto* emmc = dynamic_cast<const CLogDataEMMC*>(record);
        text += EmmcRecordLetter(emmc != nullptr ? emmc->GetErrorCode() : kEmmcNoResult);
        color = record->GetColor();
    }
}

} // namespace

SChartCell CChartCellsEMMC::Cell(const CLogPageBase& page, int col, int row, int inCol, int inRow) {
    SChartCell cell;
    CellList list;
    if (const auto* emmc = dynamic_cast<const CLogPageEMMC*>(&page)) {
        list = emmc->CellRecords(col, row, inCol, inRow); // no cell map is filled for this
    } else if (const SLogBlock* block = page.FindBlock(row, col)) {
        const auto it = block->m_mapCells.find({inCol, inRow});
        if (it != block->m_mapCells.end()) {
            list = it->second;
        }
    }
    if (list.empty()) {
        return cell;
    }
    cell.m_bHasRecords = true;
    Describe(list.data(), list.size(), cell.m_strText, cell.m_nColor);
    return cell;
}

void CChartCellsEMMC::ForEachCell(const CLogPageBase& page,
                                  const std::function<void(const SEmmcChartCell&)>& visit) {
    const auto* emmc = dynamic_cast<const CLogPageEMMC*>(&page);
    if (emmc == nullptr) {
        return;
    }
    SEmmcChartCell cell;
    for (const auto& [blockKey, block] : emmc->Blocks()) {
        emmc->VisitCells(blockKey.first, blockKey.second,
                         [&](const CellKey& key, CLogDataBase* const* records, size_t count) {
                             cell.nCol = blockKey.first;
                             cell.nRow = blockKey.second;
                             cell.nInCol = key.first;
                             cell.nInRow = key.second;
                             Describe(records, count, cell.strText, cell.nColor);
                             visit(cell);
                         });
    }
}

size_t CChartCellsEMMC::CountCells(const CLogPageBase& page) {
    const auto* emmc = dynamic_cast<const CLogPageEMMC*>(&page);
    if (emmc == nullptr) {
        return 0;
    }
    size_t count = 0;
    for (const auto& entry : emmc->Blocks()) {
        emmc->VisitCells(entry.first.first, entry.first.second,
                         [&count](const CellKey&, CLogDataBase* const*, size_t) { ++count; });
    }
    return count;
}

std::wstring CChartCellsEMMC::ColumnHeader(const std::wstring& colName, int colValue) {
    return FormatW(L"%ls 0x%X", colName.c_str(), static_cast<unsigned>(colValue));
}

std::wstring CChartCellsEMMC::InBlockHeader(int value) {
    return FormatW(L"0x%X", static_cast<unsigned>(value));
}

std::wstring CChartCellsEMMC::RowHeader(const std::wstring& rowName, int rowValue) {
    return FormatW(L"%ls 0x%X", rowName.c_str(), static_cast<unsigned>(rowValue));
}

bool CEmmcChartZoom::Zoom(int step, std::vector<int>& rowHeights, std::vector<int>& colWidths) {
    m_nZoom += step;
    if (m_nZoom <= 64 || m_nZoom >= 136) {
        m_nZoom = m_nZoom <= 64 ? 65 : 135;
        return false;
    }
    for (size_t r = 3; r < rowHeights.size(); ++r) {
        if (rowHeights[r] + step > 0) {
            rowHeights[r] += step;
        }
    }
    for (size_t c = 2; c < colWidths.size(); ++c) {
        if (colWidths[c] + step > 0) {
            colWidths[c] += step;
        }
    }
    return true;
}

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
