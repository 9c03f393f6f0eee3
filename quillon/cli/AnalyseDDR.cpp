#include "AnalyseDDR.h"

#include "AnalyseReport.h"
#include "AnalyzerSettings.h"
#include "ChartCellsDDR.h"
#include "DrvStgRegistry.h"
#include "LogPageDDR.h"
#include "LogPageList.h"
#include "LogRead.h"
#include "LogScanDDR.h"
#include "ResultPanelDDRModel.h"
#include "TextUtil.h"
#include "UserPrompt.h"
#include "WriteBinBase.h"

#include <cmath>
#include <memory>

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
    bool m_bAnalysed = false;
    int m_nRowPassNum = 0;
    std::vector<SBestParam> m_vecBest;
    CResultPanelDDRModel m_panel;
    bool m_bVerdictMade = false;
    CChartCellsDDR m_chart;
};

json PageJson(const STabResult& tab, bool shown) {
    json page = {{"name", U8(tab.m_strName)}, {"merged", tab.m_bMerged}};
    page["bestPoint"] = nullptr;
    page["recommended"] = nullptr;
    page["cells"] = nullptr;
    if (!shown) {
        // The tab change of a log type that is no DDR kind analyses nothing.
        page["analysed"] = false;
        for (const char* key : {"rowPassNum", "bestRecords", "rates", "rateTexts", "bestList",
                                "verdict", "chart", "chartText"}) {
            page[key] = nullptr;
        }
        return page;
    }
    page["analysed"] = tab.m_bAnalysed;
    page["rowPassNum"] = tab.m_nRowPassNum;
    json best = json::array();
    for (const SBestParam& record : tab.m_vecBest) {
        best.push_back(record.Values());
    }
    page["bestRecords"] = best;

    analysereport::PutPanelJson(page, tab.m_panel, tab.m_bVerdictMade);
    analysereport::PutChartJson(page, tab.m_chart, tab.m_bMerged);
    return page;
}

void AppendPageText(std::string& text, const STabResult& tab, bool shown) {
    text += U8(tab.m_strName);
    text += tab.m_bMerged ? "  (statistics of all logs)\n" : "\n";
    if (!shown) {
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
    text += Format("\n  continuous pass length: %d%s\n", tab.m_nRowPassNum,
                   tab.m_bAnalysed ? "" : "  (analyse result failed)");
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

// Write bin with the statistics tab selected: the four list rows as records, the writer of
// the log type. Returns whether the image was written.
bool WriteBin(const SAnalyseOptions& options, int logType, const CResultPanelDDRModel& panel,
              std::string& note, json& writeBin) {
    if (options.m_strImage->empty()) {
        GetPrompt().Show(L".bin file could not be empty, please specify log file full path");
        note = "no image path";
        return false;
    }
    if (logType != 0 && logType != 1) {
        // DDR3 (and no DDR kind) results have no parameter block to go into.
        note =
            Format("DDR kind %d (%s) results cannot be written back", logType, KindName(logType));
        return false;
    }
    std::vector<SBestParam> records;
    if (!panel.BuildWriteRecords(records)) {
        note = "the best-parameter list does not hold 4 rows";
        return false;
    }
    std::unique_ptr<CWriteBinBase> writer = CreateBinWriter(logType);
    if (!writer) {
        note = "no writer for this log type";
        return false;
    }
    writer->SetParameters(records);
    return analysereport::RunWriteBin(*writer, options, writeBin, note);
}

} // namespace

void AnalyseDDR(const SAnalyseOptions& options, int logType, SAnalyseOutput& output) {
    json& doc = output.m_doc;
    std::string& text = output.m_strText;
    analysereport::StartDocument(options, output);
    text += Format("Quillon %s analysis of %s\n", MenuName(logType),
                   U8(options.m_strDirectory).c_str());

    std::vector<std::wstring> files;
    if (!analysereport::FindLogs(options, text, files)) {
        return;
    }

    CLogScanDDR scanner;
    scanner.SetFileList(files);
    scanner.SetPageSize(4, 7);
    scanner.SetSubColCount(8);
    scanner.SetDrvStgRowCount(logType == 2 ? 2 : 5);
    scanner.SetSortMode(options.m_nSortMode);
    if (!scanner.Scan()) {
        text += Format("no verdict: the scan of %zu log files was abandoned\n", files.size());
        return;
    }
    std::unique_ptr<CLogPageList> pages = scanner.TakePageList();
    // From here on the log type is the kind the drive strengths of the logs name.
    const int kind = GetDrvStgRegistry().GetDDRKind();
    doc["scanned"] = true;
    doc["logType"] = kind;
    doc["header"] = {{"project", U8(scanner.GetProject())},
                     {"ddrType", U8(scanner.GetDdrType())},
                     {"ddrClock", U8(scanner.GetDdrClock())}};
    text += Format("log type %d -> %d (%s); project %s, ddr type %s, ddr clk %s\n", logType, kind,
                   KindName(kind), U8(scanner.GetProject()).c_str(),
                   U8(scanner.GetDdrType()).c_str(), U8(scanner.GetDdrClock()).c_str());

    // The tabs: the statistics page first, then every log page in list order.
    std::vector<CLogPageBase*> tabs;
    if (CLogPageBase* merged = pages->GetMergedPage()) {
        tabs.push_back(merged);
    } else {
        GetPrompt().Show(L"statistics DDR log data failed");
    }
    for (size_t i = 0; i < pages->GetPageCount(); ++i) {
        tabs.push_back(pages->GetPage(i));
    }

    const bool shown = kind >= 0 && kind <= 2;
    CResultPanelDDRModel panel;
    std::optional<CResultPanelDDRModel> firstTabPanel;
    bool firstVerdictMade = false;
    int passed = 0;
    int failed = 0;
    int noVerdict = 0;
    for (size_t t = 0; t < tabs.size(); ++t) {
        STabResult tab;
        tab.m_strName = tabs[t]->GetName();
        tab.m_bMerged = tabs[t] == pages->GetMergedPage();
        auto* page = dynamic_cast<CLogPageDDR*>(tabs[t]);
        if (shown && page != nullptr) {
            RateMap rates;
            tab.m_bAnalysed = page->Analyse(rates, tab.m_vecBest, tab.m_nRowPassNum);
            panel.ShowPage(tab.m_vecBest, rates, tab.m_nRowPassNum, kind);
            tab.m_bVerdictMade = panel.VerdictMade();
            tab.m_panel = panel;
            tab.m_chart.Build(*page);
            if (tab.m_bMerged) {
                // the statistics page is summed up on its own
            } else if (!tab.m_bVerdictMade) {
                ++noVerdict;
            } else if (panel.Passed()) {
                ++passed;
            } else {
                ++failed;
            }
            if (t == 0) {
                firstTabPanel = panel;
                firstVerdictMade = tab.m_bVerdictMade;
            }
        }
        doc["pages"].push_back(PageJson(tab, shown));
        AppendPageText(text, tab, shown);
    }

    // The result prompt follows the statistics tab's verdict.
    if (firstTabPanel && firstTabPanel->Passed() && firstVerdictMade) {
        if (const std::optional<std::wstring> prompt = analyzer::ReadResultPrompt()) {
            GetPrompt().Show(*prompt);
        }
    }

    std::string summary;
    if (firstTabPanel && firstVerdictMade) {
        const bool pass = firstTabPanel->Passed();
        output.m_nExitCode = pass ? kExitPass : kExitFail;
        summary = Format("%s: %s", pass ? "PASS" : "FAIL", U8(tabs[0]->GetName()).c_str());
        if (!firstTabPanel->Reason().empty()) {
            summary += " (" + U8(firstTabPanel->Reason()) + ")";
        }
    } else {
        summary = "NO VERDICT";
    }
    summary += Format("; %zu logs of %zu files: %d PASS, %d FAIL, %d without verdict",
                      pages->GetPageCount(), files.size(), passed, failed, noVerdict);

    if (options.m_strImage) {
        std::string note;
        json writeBin = {{"attempted", true}, {"written", false}};
        const bool written = firstTabPanel ? WriteBin(options, kind, *firstTabPanel, note, writeBin)
                                           : WriteBin(options, kind, panel, note, writeBin);
        doc["writeBin"] = writeBin;
        text += "write bin " + U8(*options.m_strImage) + ": " + note + "\n";
        // A write-back that was asked for and did not happen is no success of the run.
        if (!written) {
            output.m_nExitCode = kExitNoVerdict;
        }
    }
    doc["summary"] = {{"verdict", firstTabPanel && firstVerdictMade
                                      ? json(firstTabPanel->Passed() ? "PASS" : "FAIL")
                                      : json(nullptr)},
                      {"logs", pages->GetPageCount()},
                      {"files", files.size()},
                      {"exitCode", output.m_nExitCode}};
    text += summary + "\n";
}
