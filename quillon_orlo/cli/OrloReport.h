#pragma once

#include "ChartTable.h"
#include "HtmlReport.h"
#include "OrloGridCells.h"
#include "OrloSession.h"

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

// The report of a quillon-orlo-cli scan: the JSON document through the program's own
// writer, one CSV per page and report.html, the charts taken cell by cell from the grid
// cells the window paints.

namespace orlo {

/// The grid of page (a scan of nPages logs) as a table, with mark on the statistics page.
[[nodiscard]] CChartTable OrloPageChart(const CLogPageOrlo& page, int nPages,
                                        const SOrloMark& mark = SOrloMark());

/// The recommended-set mark of an analysis (none unless a best set was found).
[[nodiscard]] SOrloMark OrloReportMark(const std::optional<SOrloAnalysis>& analysis);

/// report.html of a scan.
[[nodiscard]] std::string OrloReportHtml(const COrloSession& session,
                                         const std::optional<SOrloAnalysis>& analysis,
                                         const SReportRun& run);

/// Writes dir/quillon-orlo-cli.json through writeJson, one CSV per page (the statistics
/// page first) and dir/report.html; false with the reason in error when one cannot be written.
[[nodiscard]] bool WriteOrloReport(const std::filesystem::path& dir,
                                   const std::function<void(std::ostream&)>& writeJson,
                                   const COrloSession& session,
                                   const std::optional<SOrloAnalysis>& analysis,
                                   const SReportRun& run, std::string& error);

} // namespace orlo
