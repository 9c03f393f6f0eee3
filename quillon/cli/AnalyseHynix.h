#pragma once

#include "QuillonCli.h"

/// The Hynix analysis (log type 3) as the main dialog runs it: find the logs, scan them with
/// the Hynix scanner, then for the statistics tab and each log tab analyse the page, show it
/// in the Hynix result panel and judge it. Write bin does nothing for Hynix results.
void AnalyseHynix(const SAnalyseOptions& options, int logType, SAnalyseOutput& output);
