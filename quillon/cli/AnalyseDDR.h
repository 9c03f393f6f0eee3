#pragma once

#include "QuillonCli.h"

/// The DDR analysis (log types 0 lpDDR, 1 lpDDR2, 2 DDR3) as the main dialog runs it: find
/// the logs, scan, replace the log type by the DDR kind, then for the statistics tab and
/// each log tab analyse the page, show it in the result panel and judge it; the result
/// prompt after a passing statistics page; Write bin with the statistics tab selected.
void AnalyseDDR(const SAnalyseOptions& options, int logType, SAnalyseOutput& output);
