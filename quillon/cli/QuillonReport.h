#pragma once

#include "ChartTable.h"
#include "HtmlReport.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace quillon {
class CChartCellsDDR;
class CChartCellsHynix;
} // namespace quillon

// The report of a quillon-cli analysis: the JSON document written by the program's own
// writer, then read back to make one CSV per page and report.html. Reading the written
// document keeps the report in step with --json whatever way the document is produced.

/// The header texts of a DDR or Hynix page's chart, read from the chart cells the window's
/// chart page takes its headers from (the blanks of their "%3d" texts trimmed).
struct SChartAxes {
    std::vector<std::string> m_vecPhase;    ///< sdll_phs_dly over each data column
    std::vector<std::string> m_vecStep;     ///< dqs_step_dly over each data column
    std::vector<std::string> m_vecRowNames; ///< the row-header columns: "Byte", drive strengths
    std::vector<std::vector<std::string>> m_vecRows; ///< per data row, a text per header column
};
[[nodiscard]] SChartAxes ChartAxes(const quillon::CChartCellsDDR& chart);
[[nodiscard]] SChartAxes ChartAxes(const quillon::CChartCellsHynix& chart);

/// The chart of a page of the document as a table: the chart letters (and on the statistics
/// page the fail counts) of a DDR or Hynix page, or the eMMC cells that hold records, packed
/// into the rows and columns they use. With the page's axes a DDR or Hynix chart is labelled
/// as the window labels it (sdll_phs_dly and dqs_step_dly over the columns, byte lane and
/// drv_stg before the rows); without them, by lane, row and column index.
[[nodiscard]] CChartTable QuillonPageChart(const nlohmann::json& doc, const nlohmann::json& page,
                                           const SChartAxes* axes = nullptr);

/// report.html of a document; axes[i], when there, labels the chart of page i.
[[nodiscard]] std::string QuillonReportHtml(const nlohmann::json& doc, const SReportRun& run,
                                            const std::vector<SChartAxes>& axes = {});

/// Writes dir/quillon-cli.json through writeJson, one CSV per page and dir/report.html;
/// false with the reason in error when a file cannot be written. axes as for the HTML.
[[nodiscard]] bool WriteQuillonReport(const std::filesystem::path& dir,
                                      const std::function<void(std::ostream&)>& writeJson,
                                      const SReportRun& run, std::string& error,
                                      const std::vector<SChartAxes>& axes = {});
