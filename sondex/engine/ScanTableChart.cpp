#include "ScanTableChart.h"

#include "LogDataDDR.h"
#include "TextUtil.h"
#include "ValueRange.h"

#include <algorithm>

namespace sondex {

namespace {

constexpr uint32_t kNoResultBk = 0xFFFFFF;
constexpr uint32_t kFailBk = 0x0000FF;

} // namespace

uint32_t ScanCellColour(const CCellList& results) {
    uint32_t colour = kNoResultBk;
    for (const CLogDataDDR result : results) {
        if (result.GetState() == CLogDataDDR::kFail) {
            return kFailBk;
        }
        colour = result.GetColor();
    }
    return colour;
}

std::wstring ScanCellText(const CCellList& results, bool statistical) {
    if (!statistical) {
        return std::wstring();
    }
    int fails = 0;
    for (const CLogDataDDR result : results) {
        fails += result.GetState() == CLogDataDDR::kFail ? 1 : 0;
    }
    return FormatW(L"%d", fails);
}

std::wstring ScanPinName(const CValueRange* range) {
    if (range == nullptr) {
        return std::wstring();
    }
    const std::wstring& name = range->GetName();
    const size_t first = name.find(L'_');
    if (first == std::wstring::npos) {
        return std::wstring();
    }
    const size_t second = name.find(L'_', first + 1);
    return name.substr(first + 1, second == std::wstring::npos ? std::wstring::npos
                                                               : second - first - 1);
}

CChartTable ScanTableChart(const CPinScanTable& table) {
    const int gridRows = table.GetColCount();
    const int gridCols = table.GetRowCount();
    const int nB = table.GetRowParamCount();
    const int nC = table.GetColParamCount();
    const auto& rowRanges = table.GetRowRanges();
    const auto& colRanges = table.GetColRanges();
    CChartTable chart(gridRows, gridCols);
    chart.SetHeaderRows(std::min(nB, gridRows));
    chart.SetHeaderCols(std::min(nC, gridCols));
    const auto headerValue = [&table](int tableRow, int tableCol) {
        return table.GetHeaderValue(tableRow, tableCol).value_or(0);
    };
    for (int i = 0; i < nB && i < gridRows; ++i) {
        if (nC >= 1) {
            chart.SetText(i, nC - 1,
                          WideToUtf8(ScanPinName(i < static_cast<int>(rowRanges.size())
                                                     ? rowRanges[static_cast<size_t>(i)]
                                                     : nullptr)));
        }
        for (int c = nC; c < gridCols; ++c) {
            chart.SetText(i, c, Format("0x%x", static_cast<uint32_t>(headerValue(c, i))));
        }
    }
    if (nB < gridRows) {
        for (int j = 0; j < nC && j < gridCols; ++j) {
            chart.SetText(nB, j,
                          WideToUtf8(ScanPinName(j < static_cast<int>(colRanges.size())
                                                     ? colRanges[static_cast<size_t>(j)]
                                                     : nullptr)));
        }
    }
    const int every = std::max(1, table.GetLastColRangeCount());
    for (int i = nB + 1; i < gridRows; ++i) {
        for (int j = 0; j < nC && j < gridCols; ++j) {
            if (j == nC - 1 || (i - nB - 1) % every == 0) {
                chart.SetText(i, j, std::to_string(headerValue(j, i)));
            }
        }
    }
    const bool statistical = table.IsStatistical();
    table.ForEachCell([&](int tableRow, int tableCol, const CCellList& results) {
        const int row = tableCol;
        const int col = tableRow;
        if (row <= nB || col < nC || row >= gridRows || col >= gridCols) {
            return;
        }
        chart.SetColour(row, col, CChartTable::FromColorRef(ScanCellColour(results)));
        chart.SetText(row, col, WideToUtf8(ScanCellText(results, statistical)));
    });
    return chart;
}

} // namespace sondex
