#pragma once

#include "QuillonCli.h"

/// The eMMC analysis (log types 4 SDR50 and 5 DDR50) as the main dialog runs it: the
/// parameter panel with the flavour's defaults and the --emmc fields, the scan, the
/// best-point search on the statistics page and its recommended values, and Write bin with
/// those values. The overall verdict is PASS when the statistics page recommends a point
/// with a positive score, FAIL when it finds none.
void AnalyseEmmc(const SAnalyseOptions& options, int logType, SAnalyseOutput& output);
