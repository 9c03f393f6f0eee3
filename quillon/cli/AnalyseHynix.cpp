#include "AnalyseHynix.h"

#include "AnalyseReport.h"
#include "ChartCellsHynix.h"
#include "ChildDlgDDRHynixModel.h"
#include "LogPageDDRHynix.h"
#include "LogPageList.h"
#include "LogRead.h"
#include "LogScanHynix.h"
#include "QuillonSession.h"
#include "ScanProgress.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <cmath>
#include <memory>
#include <optional>

using namespace quillon;

namespace {

using nlohmann::json;

std::string U8(const std::wstring& text) {
    return WideToUtf8(text);
}

struct STabResult {
    std::wstring m_strName;
    bool m_bMerged = false;
    bool m_bAnalysed = false;
    int m_nRowPassNum = 0;
    std::vector<SBestParam> m_vecBest;
    CChildDlgDDRHynixModel m_panel;
    bool m_bVerdictMade = false;
    CChartCellsHynix m_chart;
};

json PageJson(const STabResult& tab) {
    json page = {{"name", U8(tab.m_strName)}, {"merged", tab.m_bMerged}};
    page["analysed"] = tab.m_bAnalysed;
    page["rowPassNum"] = tab.m_nRowPassNum;
    json best = json::array();
    for (const SBestParam& record : tab.m_vecBest) {
        best.push_back(record.Values());
    }
    page["bestRecords"] = best;
    analysereport::PutPanelJson(page, tab.m_panel, tab.m_bVerdictMade);
    page["bestPoint"] = nullptr;
    page["recommended"] = nullptr;
    page["cells"] = nullptr;
    return page; // the chart follows as it is written
}

void AppendPageText(std::string& text, const STabResult& tab) {
    text += U8(tab.m_strName);
    text += tab.m_bMerged ? "  (statistics of all logs)\n" : "\n";
    const CChildDlgDDRHynixModel& panel = tab.m_panel;
    text += "  pass rate:";
    for (int lane = 0; lane < 4; ++lane) {
        const std::wstring& rate = panel.RateTexts()[static_cast<size_t>(lane)];
        text += Format("  Byte%d %s", lane, rate.empty() ? "-" : U8(rate).c_str());
    }
    text += Format("\n  continuous pass length: %d%s\n", tab.m_nRowPassNum,
                   tab.m_bAnalysed ? "" : "  (analyse result failed)");
    text += "  best parameters:  BYTE  varro_drv_stg/hynix_drv_stg  sdll_phs_dly  dqs_step_dly\n";
    for (const auto& row : panel.Rows()) {
        text += Format("                    %4s  %27s  %12s  %12s\n", U8(row[0]).c_str(),
                       U8(row[1]).c_str(), U8(row[2]).c_str(), U8(row[3]).c_str());
    }
    analysereport::AppendVerdictText(text, panel, tab.m_bVerdictMade);
}

} // namespace

void AnalyseHynix(const SAnalyseOptions& options, int logType, SAnalyseOutput& output) {
    json& doc = output.m_doc;
    std::string& text = output.m_strText;
    analysereport::StartDocument(options, output);
    text += Format("Quillon Hynix Log analysis of %s\n", U8(options.m_strDirectory).c_str());

    std::vector<std::wstring> files;
    if (!analysereport::FindLogs(options, text, files)) {
        return;
    }
    // The same calls as the window: Analyse, tab 0 shown, the result prompt (never for
    // Hynix), Write bin with the statistics tab selected, then the log tabs one by one.
    analysereport::CSessionHolder holder(options);
    CQuillonSession& session = holder.Session();
    session.SetLogType(logType);
    if (session.Analyse(options.m_strDirectory, options.m_nSortMode,
                        CTerminalProgress().Callback()) !=
        EQuillonAnalyseEnd::Scanned) {
        text += Format("no verdict: the scan of %zu log files was abandoned\n", files.size());
        return;
    }
    const CLogPageList& pages = *session.PageList();
    doc["scanned"] = true;
    doc["logType"] = logType; // a Hynix analysis keeps its log type

    bool statisticsJudged = false;
    bool statisticsPassed = false;
    std::wstring statisticsReason;
    int passed = 0;
    int failed = 0;
    int noVerdict = 0;
    std::optional<EQuillonWriteEnd> writeEnd;
    const int tabCount = static_cast<int>(session.Tabs().size());
    std::vector<STabResult> tabs;
    for (int index = 0; index < tabCount; ++index) {
        const SQuillonTabView& view = session.ShowTab(index);
        const SQuillonTab& shown = session.Tabs()[static_cast<size_t>(index)];
        STabResult tab;
        tab.m_strName = shown.m_strName;
        tab.m_bMerged = shown.m_bMerged;
        if (view.m_bShown) {
            const CChildDlgDDRHynixModel& panel = session.HynixPanel();
            tab.m_bAnalysed = view.m_bAnalysed;
            tab.m_nRowPassNum = view.m_nRowPassNum;
            tab.m_vecBest = view.m_vecBest;
            tab.m_bVerdictMade = panel.VerdictMade();
            tab.m_panel = panel;
            tab.m_chart = shown.m_chartHynix;
            const bool pass = tab.m_bVerdictMade && panel.Conclusion() == L"PASS";
            if (tab.m_bMerged) {
                statisticsJudged = tab.m_bVerdictMade;
                statisticsPassed = pass;
                statisticsReason = panel.Reason();
            } else if (!tab.m_bVerdictMade) {
                ++noVerdict;
            } else if (pass) {
                ++passed;
            } else {
                ++failed;
            }
        }
        if (index == 0) {
            session.ShowResultPrompt();
            if (options.m_strImage) {
                writeEnd = session.WriteBin(*options.m_strImage);
            }
        }
        AppendPageText(text, tab);
        tabs.push_back(std::move(tab));
    }

    std::string summary;
    if (statisticsJudged) {
        output.m_nExitCode = statisticsPassed ? kExitPass : kExitFail;
        summary = Format("%s: %s", statisticsPassed ? "PASS" : "FAIL",
                         U8(session.Tabs()[0].m_strName).c_str());
        if (!statisticsReason.empty()) {
            summary += " (" + U8(statisticsReason) + ")";
        }
    } else {
        summary = "NO VERDICT";
    }
    summary += Format("; %zu logs of %zu files: %d PASS, %d FAIL, %d without verdict",
                      pages.GetPageCount(), files.size(), passed, failed, noVerdict);
    if (writeEnd) {
        // No image writer exists for Hynix results: Write bin does nothing.
        doc["writeBin"] = {{"attempted", true}, {"written", false}};
        text += "write bin " + U8(*options.m_strImage) + ": Hynix results cannot be written back\n";
        output.m_nExitCode = kExitNoVerdict;
    }
    doc["summary"] = {
        {"verdict", statisticsJudged ? json(statisticsPassed ? "PASS" : "FAIL") : json(nullptr)},
        {"logs", pages.GetPageCount()},
        {"files", files.size()},
        {"exitCode", output.m_nExitCode}};
    text += summary + "\n";
    for (const STabResult& tab : tabs) {
        output.m_vecChartAxes.push_back(ChartAxes(tab.m_chart));
    }
    WriteAnalyseDocument(output, {{"pages", [&tabs](CJsonStreamWriter& writer) {
                                       writer.BeginArray();
                                       for (const STabResult& tab : tabs) {
                                           writer.Object(PageJson(tab),
                                                         analysereport::ChartMembers(
                                                             tab.m_chart, tab.m_bMerged));
                                       }
                                       writer.EndArray();
                                   }}});
}
