#pragma once

#include "ChartTable.h"
#include "PinScanTable.h"

#include <cstdint>
#include <string>

namespace sondex {

// What a scan table's grid shows, without a window: the colour and text of a data cell, the
// pin names of the headers, and the whole grid as a chart table for the exports. The grid is
// transposed: grid row r shows table column r and grid column c table row c, so the
// row-parameter values run across the top.

/// Background of a data cell from its results in arrival order (0x00BBGGRR): the latest
/// result's colour while none has failed, red from the first failing result on.
[[nodiscard]] uint32_t ScanCellColour(const CCellList& results);
/// Text of a data cell: the number of failing results in a statistics table, else empty.
[[nodiscard]] std::wstring ScanCellText(const CCellList& results, bool statistical);
/// The pin name of a range: the second piece of its name split at '_' ("Lpddr3_CA" gives "CA").
[[nodiscard]] std::wstring ScanPinName(const CValueRange* range);

/// The grid of table: row-parameter values in hex across the top with their pin names,
/// column-parameter values down the left (all but the last only where they change), and
/// the data cells with their colours and texts.
[[nodiscard]] CChartTable ScanTableChart(const CPinScanTable& table);

} // namespace sondex
