#include "AnalyseDDR.h"

#include "AnalyseReport.h"
#include "ChartCellsDDR.h"
#include "DrvStgRegistry.h"
#include "LogPageList.h"
#include "QuillonSession.h"
#include "ScanProgress.h"
#include "ResultPanelDDRModel.h"
#include "TextUtil.h"

#include <cmath>
#include <memory>

using namespace quillon;

namespace {

using nlohmann::json;

std::string U8(const std::wstring& text) {
    return WideToUtf8(text);
}

const char* KindName(int kind) {
    switch (kind) {
    case kDdrKindDDR1:
        return "DDR1";
    case kDdrKindDDR2:
        return "DDR2";
    case kDdrKindDDR3:
        return "DDR3";
    default:
        return "none";
    }
}

const char* MenuName(int logType) {
    switch (logType) {
    case 0:
        return "lpDDR";
    case 1:
        return "lpDDR2";
    case 2:
        return "DDR3";
    default:
        return "?";
    }
}

// What one tab yields, for the document and the text report.
struct STabResult {
    std::wstring m_strName;
    bool m_bMerged = false;
    SQuillonTabView m_view;
    CResultPanelDDRModel m_panel;
    bool m_bVerdictMade = false;
    const CChartCellsDDR* m_pChart = nullptr;
};

json PageJson(const STabResult& tab) {
    json page = {{"name", U8(tab.m_strName)}, {"merged", tab.m_bMerged}};
    page["bestPoint"] = nullptr;
    page["recommended"] = nullptr;
    page["cells"] = nullptr;
    // Every page has its chart; only the analysis is missing where the kind is none.
    if (!tab.m_view.m_bShown) {
        // The tab change of a log type that is no DDR kind analyses nothing.
        page["analysed"] = false;
        for (const char* key :
             {"rowPassNum", "bestRecords", "rates", "rateTexts", "bestList", "verdict"}) {
            page[key] = nullptr;
        }
    } else {
        page["analysed"] = tab.m_view.m_bAnalysed;
        page["rowPassNum"] = tab.m_view.m_nRowPassNum;
        json best = json::array();
        for (const SBestParam& record : tab.m_view.m_vecBest) {
            best.push_back(record.Values());
        }
        page["bestRecords"] = best;
        analysereport::PutPanelJson(page, tab.m_panel, tab.m_bVerdictMade);
    }
    return page; // the chart follows as it is written
}

// The pages of the document, each written as it comes from its tab's chart.
CJsonStreamWriter::MemberWriter PagesMember(const std::vector<STabResult>& results) {
    return {"pages", [&results](CJsonStreamWriter& writer) {
                writer.BeginArray();
                for (const STabResult& tab : results) {
                    writer.Object(PageJson(tab),
                                  analysereport::ChartMembers(*tab.m_pChart, tab.m_bMerged));
                }
                writer.EndArray();
            }};
}

void AppendPageText(std::string& text, const STabResult& tab) {
    text += U8(tab.m_strName);
    text += tab.m_bMerged ? "  (statistics of all logs)\n" : "\n";
    if (!tab.m_view.m_bShown) {
        text += "  not analysed: the logs are of no DDR kind\n";
        return;
    }
    const CResultPanelDDRModel& panel = tab.m_panel;
    text += "  pass rate:";
    for (int lane = 0; lane < 4; ++lane) {
        text += Format("  Byte%d %s", lane,
                       panel.RateTexts()[static_cast<size_t>(lane)].empty()
                           ? "-"
                           : U8(panel.RateTexts()[static_cast<size_t>(lane)]).c_str());
    }
    text += Format("\n  continuous pass length: %d%s\n", tab.m_view.m_nRowPassNum,
                   tab.m_view.m_bAnalysed ? "" : "  (analyse result failed)");
    text += "  best parameters:  BYTE  drv_stg  sdll_phs_dly  dqs_step_dly\n";
    if (panel.Rows().empty()) {
        text += "                    (none)\n";
    }
    for (const auto& row : panel.Rows()) {
        text += Format("                    %4s  %7s  %12s  %12s\n", U8(row[0]).c_str(),
                       U8(row[1]).c_str(), U8(row[2]).c_str(), U8(row[3]).c_str());
    }
    analysereport::AppendVerdictText(text, panel, tab.m_bVerdictMade);
}

// Shows tab index in the session, as a click on the tab does, and keeps what it showed.
STabResult ShowTab(CQuillonSession& session, int index) {
    const SQuillonTab& tab = session.Tabs()[static_cast<size_t>(index)];
    STabResult result;
    result.m_strName = tab.m_strName;
    result.m_bMerged = tab.m_bMerged;
    result.m_pChart = &tab.m_chart;
    result.m_view = session.ShowTab(index);
    result.m_panel = session.Panel();
    result.m_bVerdictMade = result.m_view.m_bShown && session.Panel().VerdictMade();
    return result;
}

// The report note of a Write bin end.
std::string WriteNote(EQuillonWriteEnd end, int kind) {
    switch (end) {
    case EQuillonWriteEnd::Written:
        return "written";
    case EQuillonWriteEnd::WriteFailed:
        return "not written";
    case EQuillonWriteEnd::NoImage:
        return "no image path";
    case EQuillonWriteEnd::NotStatistics:
        return "a log tab is selected";
    case EQuillonWriteEnd::NotFourRows:
        return "the best-parameter list does not hold 4 rows";
    case EQuillonWriteEnd::NothingToWrite:
        break;
    }
    return Format("DDR kind %d (%s) results cannot be written back", kind, KindName(kind));
}

} // namespace

void AnalyseDDR(const SAnalyseOptions& options, int logType, SAnalyseOutput& output) {
    json& doc = output.m_doc;
    std::string& text = output.m_strText;
    analysereport::StartDocument(options, output);
    text += Format("Quillon %s analysis of %s\n", MenuName(logType),
                   U8(options.m_strDirectory).c_str());

    analysereport::CSessionHolder holder(options);
    CQuillonSession& session = holder.Session();
    session.SetLogType(logType);
    const EQuillonAnalyseEnd end = session.Analyse(options.m_strDirectory, options.m_nSortMode,
                                                     CTerminalProgress().Callback());
    switch (end) {
    case EQuillonAnalyseEnd::Scanned:
        break;
    case EQuillonAnalyseEnd::DirEmpty:
        text += "no verdict: no log directory\n";
        return;
    case EQuillonAnalyseEnd::NoLogFile:
        text += "no verdict: no log file found\n";
        return;
    case EQuillonAnalyseEnd::ScanFailed:
    case EQuillonAnalyseEnd::UnknownLogType:
        text +=
            Format("no verdict: the scan of %zu log files was abandoned\n", session.FileCount());
        return;
    }
    const CLogPageList& pages = *session.PageList();
    const int kind = session.LogType();
    doc["scanned"] = true;
    doc["logType"] = kind;
    doc["header"] = {{"project", U8(session.Project())},
                     {"ddrType", U8(session.DdrType())},
                     {"ddrClock", U8(session.DdrClock())}};
    text += Format("log type %d -> %d (%s); project %s, ddr type %s, ddr clk %s\n", logType, kind,
                   KindName(kind), U8(session.Project()).c_str(), U8(session.DdrType()).c_str(),
                   U8(session.DdrClock()).c_str());

    // As in the window: building the tabs ends with tab 0 shown, the result prompt follows,
    // Write bin is pressed with the statistics tab still selected, then the log tabs are
    // looked at one by one.
    const int tabCount = static_cast<int>(session.Tabs().size());
    std::vector<STabResult> results;
    if (tabCount > 0) {
        results.push_back(ShowTab(session, 0));
    }
    session.ShowResultPrompt();
    json writeBin;
    std::string writeNote;
    std::optional<EQuillonWriteEnd> writeRefused;
    bool written = false;
    if (options.m_strImage) {
        written =
            analysereport::SessionWriteBin(session, options, writeBin, writeNote, writeRefused);
    }
    for (int t = 1; t < tabCount; ++t) {
        results.push_back(ShowTab(session, t));
    }

    int passed = 0;
    int failed = 0;
    int noVerdict = 0;
    for (const STabResult& tab : results) {
        AppendPageText(text, tab);
        if (!tab.m_view.m_bShown || tab.m_bMerged) {
            continue; // the statistics page is summed up on its own
        }
        if (!tab.m_bVerdictMade) {
            ++noVerdict;
        } else if (tab.m_panel.Passed()) {
            ++passed;
        } else {
            ++failed;
        }
    }

    const STabResult* first =
        !results.empty() && results[0].m_view.m_bShown ? &results[0] : nullptr;
    const bool verdict = first != nullptr && first->m_bVerdictMade;
    std::string summary;
    if (verdict) {
        const bool pass = first->m_panel.Passed();
        output.m_nExitCode = pass ? kExitPass : kExitFail;
        summary = Format("%s: %s", pass ? "PASS" : "FAIL", U8(first->m_strName).c_str());
        if (!first->m_panel.Reason().empty()) {
            summary += " (" + U8(first->m_panel.Reason()) + ")";
        }
    } else {
        summary = "NO VERDICT";
    }
    summary += Format("; %zu logs of %zu files: %d PASS, %d FAIL, %d without verdict",
                      pages.GetPageCount(), session.FileCount(), passed, failed, noVerdict);

    if (options.m_strImage) {
        doc["writeBin"] = writeBin;
        text += "write bin " + U8(*options.m_strImage) + ": " +
                (writeRefused ? WriteNote(*writeRefused, kind) : writeNote) + "\n";
        // A write-back that was asked for and did not happen is no success of the run.
        if (!written) {
            output.m_nExitCode = kExitNoVerdict;
        }
    }
    doc["summary"] = {
        {"verdict", verdict ? json(first->m_panel.Passed() ? "PASS" : "FAIL") : json(nullptr)},
        {"logs", pages.GetPageCount()},
        {"files", session.FileCount()},
        {"exitCode", output.m_nExitCode}};
    text += summary + "\n";
    for (const STabResult& tab : results) {
        output.m_vecChartAxes.push_back(ChartAxes(*tab.m_pChart));
    }
    WriteAnalyseDocument(output, {PagesMember(results)});
}
