// DDR logs (lpDDR, lpDDR2, DDR3) through the steps of the DDR analysis: find the logs, scan,
// then analyse, show and chart every tab. Checks that a refused scan leaves no pages and
// that the same logs and answers give the same pages, messages and results.

#include "FuzzSupport.h"
#include "PageDigest.h"

#include "ChartCellsDDR.h"
#include "DrvStgRegistry.h"
#include "LogPageDDR.h"
#include "LogRead.h"
#include "LogScanDDR.h"
#include "ResultPanelDDRModel.h"
#include "SettingsFile.h"
#include "TextUtil.h"

using namespace quillon;

namespace {

struct SRun {
    bool m_bScanned = false;
    std::wstring m_strDigest;
    std::wstring m_strPrompts;
};

SRun RunOnce(const std::vector<std::wstring>& files, int logType, int sortMode,
             const fuzz::SAnswers& answers) {
    CRecordingPrompt prompt;
    fuzz::ScriptPrompt(prompt, answers);
    CScopedPrompt scoped(prompt);
    SRun run;
    CLogScanDDR scanner;
    scanner.SetFileList(files);
    scanner.SetPageSize(4, 7);
    scanner.SetSubColCount(8);
    scanner.SetDrvStgRowCount(logType == 2 ? 2 : 5);
    scanner.SetSortMode(sortMode);
    run.m_bScanned = scanner.Scan();
    if (!run.m_bScanned) {
        FUZZ_CHECK(scanner.GetPageList() == nullptr);
        run.m_strPrompts = fuzz::PromptDigest(prompt);
        return run;
    }
    std::unique_ptr<CLogPageList> pages = scanner.TakePageList();
    FUZZ_CHECK(pages != nullptr);
    FUZZ_CHECK(scanner.GetPageList() == nullptr);
    const int kind = GetDrvStgRegistry().GetDDRKind();
    run.m_strDigest = scanner.GetProject() + L"|" + scanner.GetDdrType() + L"|" +
                      scanner.GetDdrClock() + FormatW(L"|%d\n", kind) +
                      fuzz::PageListDigest(pages.get());

    std::vector<CLogPageBase*> tabs;
    if (CLogPageBase* merged = pages->GetMergedPage()) {
        tabs.push_back(merged);
    }
    for (size_t i = 0; i < pages->GetPageCount(); ++i) {
        tabs.push_back(pages->GetPage(i));
    }
    if (kind < 0 || kind > 2) {
        run.m_strPrompts = fuzz::PromptDigest(prompt);
        return run;
    }
    CResultPanelDDRModel panel;
    for (CLogPageBase* tab : tabs) {
        auto* page = dynamic_cast<CLogPageDDR*>(tab);
        FUZZ_CHECK(page != nullptr);
        RateMap rates;
        std::vector<SBestParam> best;
        int rowPassNum = 0;
        const bool analysed = page->Analyse(rates, best, rowPassNum);
        panel.ShowPage(best, rates, rowPassNum, kind, page->LaneSwap());
        CChartCellsDDR chart;
        chart.Build(*page);
        run.m_strDigest += FormatW(L"%d %d %zu %d|", analysed ? 1 : 0, rowPassNum, best.size(),
                                   panel.VerdictMade() ? (panel.Passed() ? 2 : 1) : 0);
        run.m_strDigest += panel.Conclusion() + L"|" + panel.Reason() + L"|";
        for (const std::string& row : chart.ColorRows()) {
            run.m_strDigest += Utf8ToWide(row);
        }
        std::vector<SBestParam> records;
        if (panel.BuildWriteRecords(records)) {
            FUZZ_CHECK(records.size() == 4);
        }
        run.m_strDigest += L'\n';
    }
    run.m_strPrompts = fuzz::PromptDigest(prompt);
    return run;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const uint8_t config = input.ConsumeIntegral<uint8_t>();
    const int logType = config % 3;
    const int sortMode = (config >> 2) % 4; // 3 is no sort mode: the order stays
    const bool checkLogFile = (config & 0x10) != 0;
    const fuzz::SAnswers answers = fuzz::TakeAnswers(input);
    const std::vector<std::string> parts =
        fuzz::SplitParts(input.ConsumeRemainingBytesAsString(), 3);

    const fuzz::fs::path dir = fuzz::FreshDir("ddr");
    // The analyzer settings of the samples (drive-strength rows, limits), with the check of
    // the logs' completeness on or off.
    static const std::string settings =
        fuzz::ReadBytes(SUITE_SOURCE_DIR "/samples/quillon/Quillon.ini");
    fuzz::WriteBytes(fuzz::SettingsPath(), settings);
    GetSettings().WriteCheckLogFile(checkLogFile);
    const char* names[] = {"b.txt", "A.Txt", "c.TXT"};
    for (size_t i = 0; i < parts.size(); ++i) {
        fuzz::WriteBytes(dir / names[i], parts[i]);
    }
    std::vector<std::wstring> files;
    FUZZ_CHECK(FindLogFiles(PathToWide(dir), files));
    FUZZ_CHECK(files.size() == parts.size());

    const SRun first = RunOnce(files, logType, sortMode, answers);
    const SRun second = RunOnce(files, logType, sortMode, answers);
    FUZZ_CHECK(first.m_bScanned == second.m_bScanned);
    FUZZ_CHECK(first.m_strDigest == second.m_strDigest);
    FUZZ_CHECK(first.m_strPrompts == second.m_strPrompts);
    return 0;
}
