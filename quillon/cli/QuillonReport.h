#pragma once

#include "ChartTable.h"
#include "HtmlReport.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>

// The report of a quillon-cli analysis: the JSON document written by the program's own
// writer, then read back to make one CSV per page and report.html. Reading the written
// document keeps the report in step with --json whatever way the document is produced.

/// The chart of a page of the document as a table: the chart letters (and on the statistics
/// page the fail counts) of a DDR or Hynix page, or the eMMC cells that hold records, packed
/// into the rows and columns they use. Header rows and columns label lanes and columns.
[[nodiscard]] CChartTable QuillonPageChart(const nlohmann::json& doc, const nlohmann::json& page);

/// report.html of a document.
[[nodiscard]] std::string QuillonReportHtml(const nlohmann::json& doc, const SReportRun& run);

/// Writes dir/quillon-cli.json through writeJson, one CSV per page and dir/report.html;
/// false with the reason in error when a file cannot be written.
[[nodiscard]] bool WriteQuillonReport(const std::filesystem::path& dir,
                                      const std::function<void(std::ostream&)>& writeJson,
                                      const SReportRun& run, std::string& error);
