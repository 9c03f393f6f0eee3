#pragma once

#include "BatchExitCodes.h"
#include "CliReport.h"
#include "FolderWorkflow.h"
#include "HtmlReport.h"
#include "ScanProgress.h"
#include "UserPrompt.h"

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

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

/// The folder analysis of `sondex-cli analyse` under the installed project configuration:
/// run.folder and run.selectedSr in; the number of log files, the verdict and the exit
/// code out, the statistics document made the active one. Returns the number of logs opened.
int AnalyseSondexFolder(SCliRun& run, sondex::CFolderWorkflow& workflow,
                        const ScanProgressFn& progress = {});

/// Writes the report of an analysed run into dir (which exists): report gets the existing
/// configuration files and the folder's logs, the JSON document holds messages.
[[nodiscard]] bool WriteSondexRunReport(const std::filesystem::path& dir, const SCliRun& run,
                                        const sondex::CFolderWorkflow& workflow,
                                        const std::vector<SPromptRecord>& messages,
                                        SReportRun report, std::string& error);

/// The report of `sondex-cli analyse folder --sr ... --report dir` under the installed
/// project configuration, for a window: the folder is analysed again on its own, quietly
/// (questions answered No, nothing echoed), so the report is the batch program's.
[[nodiscard]] bool WriteSondexFolderReport(const std::filesystem::path& dir,
                                           const std::filesystem::path& folder,
                                           const std::vector<int32_t>& selectedSr,
                                           SReportRun report, std::string& error);
