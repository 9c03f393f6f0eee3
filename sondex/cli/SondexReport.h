#pragma once

#include "CliReport.h"
#include "FolderWorkflow.h"
#include "HtmlReport.h"

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>

// The report of a sondex-cli folder analysis: the JSON document through the program's own
// writer, one CSV per scan table of every document and report.html, the tables drawn cell
// by cell with the rules of the document view's grid.

/// report.html of a folder analysis.
[[nodiscard]] std::string SondexReportHtml(const SCliRun& run,
                                           const sondex::CFolderWorkflow& workflow,
                                           const SReportRun& report);

/// Writes dir/sondex-cli.json through writeJson, one CSV per scan table (statistics
/// document first) and dir/report.html; false with the reason in error when one cannot be
/// written.
[[nodiscard]] bool WriteSondexReport(const std::filesystem::path& dir,
                                     const std::function<void(std::ostream&)>& writeJson,
                                     const SCliRun& run, const sondex::CFolderWorkflow& workflow,
                                     const SReportRun& report, std::string& error);
