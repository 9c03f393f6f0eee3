#include "SondexReport.h"

#include "ProjectConfig.h"
#include "ResultFormModel.h"
#include "ScanLogData.h"
#include "ScanTableChart.h"
#include "TextUtil.h"

#include <algorithm>
#include <fstream>

using namespace sondex;

namespace fs = std::filesystem;

namespace {

std::string U8(const std::wstring& text) {
    return WideToUtf8(text);
}

// The documents in the order the report shows them: the statistics document first.
std::vector<const CLogDocument*> ReportDocuments(const CFolderWorkflow& workflow) {
    std::vector<const CLogDocument*> documents;
    if (const CLogDocument* stats = workflow.GetStatisticsDocument(); stats && stats->GetData()) {
        documents.push_back(stats);
    }
    for (const auto& document : workflow.GetDocuments()) {
        if (!document->IsStatistics() && document->GetData()) {
            documents.push_back(document.get());
        }
    }
    return documents;
}

std::string DocumentName(const CLogDocument& document) {
    return document.IsStatistics() ? U8(document.GetTitle()) : U8(document.GetData()->GetName());
}

std::string TableTitle(const CPinScanTable& table, int index) {
    return "table " + std::to_string(index) + ": " + U8(table.GetFirstRowName()) + " " +
           U8(table.GetSubName()) + " sr" + std::to_string(table.GetSrIndex());
}

// Why a log failed: its failing result entries; and whether it was read to the end, which
// a passing log can miss too (it then counts in the incomplete list).
std::string FailReason(const CLogDocument& document) {
    std::string reason;
    if (!document.IsParsed() || !document.IsComplete()) {
        reason = "incomplete log";
    }
    for (const SResultRow& row : BuildResultRows(document.GetResults())) {
        if (row.result != L"Pass") {
            reason += (reason.empty() ? "" : "; ") + U8(row.type) + " pass width " +
                      std::to_string(row.passWidth) + " ps: " + U8(row.result);
        }
    }
    return reason;
}

void AddResultRows(CHtmlReport& report, const std::vector<SResultRow>& rows) {
    std::vector<std::vector<std::string>> table = {{"Type", "PassWidth", "Result"}};
    for (const SResultRow& row : rows) {
        table.push_back({U8(row.type), std::to_string(row.passWidth), U8(row.result)});
    }
    if (table.size() == 1) {
        table.push_back({"(no result entry)", "", ""});
    }
    report.AddTable(table);
}

} // namespace

std::string SondexReportHtml(const SCliRun& run, const CFolderWorkflow& workflow,
                             const SReportRun& reportRun) {
    CHtmlReport report("Sondex report");
    const std::string failList = U8(workflow.GetFailList());
    std::string banner = run.exitCode == 0 ? "PASS" : run.exitCode == 1 ? "FAIL" : "NO VERDICT";
    if (!failList.empty()) {
        banner += " — failing logs: " + failList;
    }
    const std::string incomplete = U8(workflow.GetIncompleteList());
    if (!incomplete.empty()) {
        banner += " — incomplete logs: " + incomplete;
    }
    report.SetOverallVerdict(run.exitCode == 0   ? EReportVerdict::Pass
                             : run.exitCode == 1 ? EReportVerdict::Fail
                                                 : EReportVerdict::None,
                             banner);
    AddRunFacts(report, reportRun);
    report.AddFact("folder", U8(PathToWide(run.folder)));
    std::string sr;
    for (const int32_t value : run.selectedSr) {
        sr += (sr.empty() ? "" : ",") + std::to_string(value);
    }
    report.AddFact("SR", sr);
    report.AddFact("logs", std::to_string(workflow.GetOpenRecords().size()) + " opened of " +
                               std::to_string(run.logFiles) + " files");

    report.AddSection("Verdicts", "verdicts");
    std::vector<CHtmlReport::SVerdictRow> rows;
    const CLogDocument* stats = workflow.GetStatisticsDocument();
    if (stats != nullptr) {
        const std::wstring& verdict = workflow.GetResultForm().GetVerdictText();
        rows.push_back({U8(stats->GetTitle()),
                        verdict == L"Pass"   ? EReportVerdict::Pass
                        : verdict.empty()    ? EReportVerdict::None
                                             : EReportVerdict::Fail,
                        verdict.empty() ? "no verdict" : U8(verdict),
                        U8(workflow.GetResultForm().GetFailListText()), "statistics of all logs"});
    }
    size_t next = 0;
    const auto& documents = workflow.GetDocuments();
    for (const SLogOpenRecord& record : workflow.GetOpenRecords()) {
        const std::string name = U8(PathToWide(record.path.filename()));
        if (!record.opened) {
            rows.push_back({name, EReportVerdict::None, "not opened",
                            "status " + std::to_string(record.status) +
                                "; the folder analysis stopped here",
                            ""});
            continue;
        }
        // Documents follow the open records in order, as in the JSON document.
        while (next < documents.size() && documents[next]->IsStatistics()) {
            ++next;
        }
        const CLogDocument* document = next < documents.size() ? documents[next++].get() : nullptr;
        if (document == nullptr || document->GetData() == nullptr) {
            rows.push_back({name, EReportVerdict::None, "no data", "", ""});
            continue;
        }
        const LogHeader& header = document->GetHeader();
        rows.push_back({name, document->IsPassed() ? EReportVerdict::Pass : EReportVerdict::Fail,
                        document->IsPassed() ? "Pass" : "Fail", FailReason(*document),
                        U8(header.project) + " " + U8(header.ddrType) + " " + U8(header.clock) +
                            " MHz, tcnt " + std::to_string(header.tcnt) + " ps"});
    }
    report.AddVerdictTable("log", rows);

    if (stats != nullptr) {
        report.AddSection("Result form", "form");
        AddResultRows(report, workflow.GetResultForm().GetRows());
        report.AddParagraph(U8(workflow.GetResultForm().GetParameterText()));
    }
    int index = 0;
    for (const CLogDocument* document : ReportDocuments(workflow)) {
        report.AddSection(DocumentName(*document) +
                              (document->IsStatistics() ? " (statistics of all logs)" : ""),
                          "doc" + std::to_string(index++));
        if (!document->IsStatistics()) {
            report.AddVerdict(document->IsPassed() ? EReportVerdict::Pass : EReportVerdict::Fail,
                              document->IsPassed() ? "Pass" : "Fail", FailReason(*document));
            AddResultRows(report, BuildResultRows(document->GetResults()));
        }
        for (const auto& [tableIndex, table] : document->GetData()->GetTables()) {
            report.AddParagraph(TableTitle(*table, tableIndex));
            CChartTable chart = ScanTableChart(*table);
            chart.SetTitle(TableTitle(*table, tableIndex));
            report.AddChart(chart);
        }
    }
    AddRunFiles(report, reportRun);
    return report.Html();
}

bool WriteSondexReport(const fs::path& dir, const std::function<void(std::ostream&)>& writeJson,
                       const SCliRun& run, const CFolderWorkflow& workflow,
                       const SReportRun& report, std::string& error) {
    const fs::path jsonPath = dir / "sondex-cli.json";
    if (!WriteReportJson(jsonPath, writeJson, error)) {
        return false;
    }
    int index = 0;
    for (const CLogDocument* document : ReportDocuments(workflow)) {
        for (const auto& [tableIndex, table] : document->GetData()->GetTables()) {
            const std::string name =
                DocumentName(*document) + "-table" + std::to_string(tableIndex);
            if (!WriteReportFile(dir / ReportFileName(index++, name, ".csv"),
                                 ChartCsv(ScanTableChart(*table)), error)) {
                return false;
            }
        }
    }
    return WriteReportFile(dir / "report.html", SondexReportHtml(run, workflow, report), error);
}

int AnalyseSondexFolder(SCliRun& run, CFolderWorkflow& workflow, const ScanProgressFn& progress) {
    run.logFiles = FindLogFiles(run.folder).size();
    for (int sr = 0; sr < CFolderWorkflow::kSrCount; ++sr) {
        workflow.SetSrSelected(sr, std::find(run.selectedSr.begin(), run.selectedSr.end(), sr) !=
                                       run.selectedSr.end());
    }
    const int opened = workflow.AnalyzeFolder(run.folder, progress);
    CLogDocument* stats = workflow.GetStatisticsDocument();
    if (stats) {
        // As the statistics document's frame becomes active after a folder analysis.
        workflow.Activate(stats);
        run.verdict = workflow.GetResultForm().GetVerdictText();
    }
    bool abandoned = false;
    for (const auto& record : workflow.GetOpenRecords()) {
        abandoned = abandoned || !record.opened;
    }
    // The exit status follows the folder's verdict (every log opened and none failed), not
    // the form's verdict text: the form shows "Fail" for a statistics document without
    // result entries even when every log passed.
    if (!run.configLoaded || opened == 0 || abandoned || !stats) {
        run.exitCode = kExitNoVerdict;
    } else {
        run.exitCode = workflow.IsAllPassed() ? kExitPass : kExitFail;
    }
    return opened;
}

bool WriteSondexRunReport(const fs::path& dir, const SCliRun& run,
                          const CFolderWorkflow& workflow,
                          const std::vector<SPromptRecord>& messages, SReportRun report,
                          std::string& error) {
    for (const fs::path& file : {run.iniPath, run.datPath}) {
        if (!file.empty() && fs::exists(file)) {
            report.m_vecSettings.push_back(file);
        }
    }
    report.m_vecInputs = FindLogFiles(run.folder);
    const auto writeJson = [&](std::ostream& out) {
        WriteJsonReport(out, run, workflow, messages);
    };
    return WriteSondexReport(dir, writeJson, run, workflow, report, error);
}

bool WriteSondexFolderReport(const fs::path& dir, const fs::path& folder,
                             const std::vector<int32_t>& selectedSr, SReportRun report,
                             std::string& error) {
    const CProjectConfig& config = GetProjectConfig();
    SCliRun run;
    run.folder = folder;
    run.selectedSr = selectedSr;
    run.iniPath = config.GetIniPath();
    run.datPath = config.GetDatPath();
    run.sourcePath = config.GetSourcePath();
    run.iniCompiled = config.IsCompiledFromIni();
    run.configLoaded = !config.GetSourcePath().empty();
    CConsolePrompt quiet(false);
    quiet.SetEcho(false);
    CFolderWorkflow workflow;
    {
        CScopedPrompt scope(quiet);
        AnalyseSondexFolder(run, workflow);
    }
    return WriteSondexRunReport(dir, run, workflow, quiet.Records(), std::move(report), error);
}
