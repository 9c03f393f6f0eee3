#include "ChartCellsEMMC.h"

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
        const auto records = block->Find({inCol, inRow});
        list.assign(records.begin(), records.end());
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
    for (const auto& entry : emmc->Blocks()) {
        // A named reference, not a structured binding: clang before 16 cannot capture those.
        const auto& blockKey = entry.first;
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

} // namespace quillon
