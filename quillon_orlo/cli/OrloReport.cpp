#include "OrloReport.h"

#include "OrloCli.h"
#include "OrloPageList.h"
#include "TextUtil.h"

#include <fstream>

namespace fs = std::filesystem;

namespace orlo {

namespace {


// The pages in tab order: the statistics page first, then the logs.
std::vector<const CLogPageOrlo*> ReportPages(const OrloPageList& result) {
    std::vector<const CLogPageOrlo*> pages;
    if (result.Merged() != nullptr) {
        pages.push_back(result.Merged());
    }
    for (const auto& page : result.Pages()) {
        pages.push_back(page.get());
    }
    return pages;
}

} // namespace

CChartTable OrloPageChart(const CLogPageOrlo& page, int nPages, const SOrloMark& mark) {
    CChartTable table(kOrloGridRows, kOrloGridCols);
    table.SetTitle(WideToUtf8(page.Name()));
    table.SetHeaderRows(1);
    table.SetHeaderCols(1);
    for (int row = 0; row < kOrloGridRows; ++row) {
        for (int col = 0; col < kOrloGridCols; ++col) {
            const SOrloCell cell = GetOrloGridCell(page, nPages, row, col, mark);
            table.SetText(row, col, WideToUtf8(cell.m_strText));
            if (cell.m_bHasBack) {
                table.SetColour(row, col, CChartTable::FromColorRef(cell.m_crBack));
            }
        }
    }
    return table;
}

SOrloMark OrloReportMark(const std::optional<SOrloAnalysis>& analysis) {
    SOrloMark mark;
    if (analysis && analysis->m_bBestRun && analysis->m_bBestFound) {
        mark.m_bSet = true;
        mark.m_drive = {analysis->m_nDqsDrv, analysis->m_nDataDrv, analysis->m_nCtl,
                        analysis->m_nClkDrv};
    }
    return mark;
}

std::string OrloReportHtml(const COrloSession& session,
                           const std::optional<SOrloAnalysis>& analysis, const SReportRun& run) {
    CHtmlReport report("QuillonOrlo report");
    const OrloPageList* result = session.Result();
    const std::string reason = analysis ? WideToUtf8(analysis->m_strReason) : std::string();
    if (!analysis) {
        report.SetOverallVerdict(EReportVerdict::None,
                                 result ? "NO VERDICT" : "NO VERDICT: nothing was scanned");
    } else {
        report.SetOverallVerdict(analysis->m_bPass ? EReportVerdict::Pass : EReportVerdict::Fail,
                                 std::string(analysis->m_bPass ? "PASS" : "FAIL") +
                                     (reason.empty() ? "" : ": " + reason));
    }
    AddRunFacts(report, run);
    if (result != nullptr) {
        report.AddFact("logs", std::to_string(result->PageCount()) + " of " +
                                   std::to_string(session.FileList().size()) + " files");
    }

    report.AddSection("Verdicts", "verdicts");
    std::vector<CHtmlReport::SVerdictRow> rows;
    if (analysis && result != nullptr && result->Merged() != nullptr) {
        rows.push_back({WideToUtf8(result->Merged()->Name()),
                        analysis->m_bPass ? EReportVerdict::Pass : EReportVerdict::Fail,
                        analysis->m_bPass ? "PASS" : "FAIL", reason, "statistics of all logs"});
    }
    if (result != nullptr) {
        // A log page is not judged on its own: the statistics page holds the verdict.
        for (const auto& page : result->Pages()) {
            rows.push_back({WideToUtf8(page->Name()), EReportVerdict::None, "scanned",
                            "judged with all logs on the statistics page",
                            std::string(TemperatureWord(page->Temperature())) + ", " +
                                std::to_string(page->Combinations().size()) + " combinations"});
        }
    }
    report.AddVerdictTable("temperature", rows);

    if (analysis && analysis->m_bBestRun) {
        report.AddSection("Recommended set", "best");
        if (!analysis->m_bBestFound) {
            report.AddParagraph("the search for the recommended set did not complete");
        }
        std::vector<std::string> heads;
        std::vector<std::string> values;
        const auto best = GetOrloBestRow(analysis->m_nDqsDrv, analysis->m_nDataDrv,
                                         analysis->m_nCtl, analysis->m_nClkDrv, analysis->m_nClkwr);
        for (size_t i = 0; i < kOrloBestColumns.size(); ++i) {
            heads.push_back(WideToUtf8(kOrloBestColumns[i].m_szTitle));
            values.push_back(WideToUtf8(best[i]));
        }
        report.AddTable({heads, values});
    }

    if (result != nullptr) {
        const int nPages = static_cast<int>(result->PageCount());
        const SOrloMark mark = OrloReportMark(analysis);
        for (const CLogPageOrlo* page : ReportPages(*result)) {
            const bool merged = page == result->Merged();
            const std::string what = merged ? std::string("statistics of all logs")
                                            : std::string(TemperatureWord(page->Temperature()));
            report.AddSection(WideToUtf8(page->Name()) + " (" + what + ")");
            report.AddChart(OrloPageChart(*page, nPages, merged ? mark : SOrloMark()));
        }
    }
    AddRunFiles(report, run);
    return report.Html();
}

bool WriteOrloReport(const fs::path& dir, const std::function<void(std::ostream&)>& writeJson,
                     const COrloSession& session, const std::optional<SOrloAnalysis>& analysis,
                     const SReportRun& run, std::string& error) {
    const fs::path jsonPath = dir / "quillon-orlo-cli.json";
    if (!WriteReportJson(jsonPath, writeJson, error)) {
        return false;
    }
    if (const OrloPageList* result = session.Result()) {
        const int nPages = static_cast<int>(result->PageCount());
        const SOrloMark mark = OrloReportMark(analysis);
        int index = 0;
        for (const CLogPageOrlo* page : ReportPages(*result)) {
            const CChartTable chart =
                OrloPageChart(*page, nPages, page == result->Merged() ? mark : SOrloMark());
            if (!WriteReportFile(dir / ReportFileName(index++, chart.Title(), ".csv"),
                                 ChartCsv(chart), error)) {
                return false;
            }
        }
    }
    return WriteReportFile(dir / "report.html", OrloReportHtml(session, analysis, run), error);
}

} // namespace orlo
