// Hynix LPDDR2 logs: the detection, the Hynix scan, then the analysis, verdict and chart of
// every tab. A refused scan leaves no pages; the same logs and answers give the same result.

#include "FuzzSupport.h"
#include "PageDigest.h"

#include "ChartCellsHynix.h"
#include "LogPageDDRHynix.h"
#include "LogRead.h"
#include "LogScanHynix.h"
#include "SettingsFile.h"
#include "TextUtil.h"
#include "VerdictHynix.h"

using namespace quillon;

namespace {

struct SRun {
    bool m_bScanned = false;
    std::wstring m_strDigest;
    std::wstring m_strPrompts;
};

SRun RunOnce(const std::vector<std::wstring>& files, int sortMode, const fuzz::SAnswers& answers) {
    CRecordingPrompt prompt;
    fuzz::ScriptPrompt(prompt, answers);
    CScopedPrompt scoped(prompt);
    SRun run;
    for (const std::wstring& file : files) {
        run.m_strDigest += IsHynixLog(file) ? L"H" : L"-";
    }
    CLogScanHynix scanner;
    scanner.SetFileList(files);
    scanner.SetPageSize(4, 7);
    scanner.SetSubColCount(8);
    scanner.SetDrvStgRowCount(1);
    scanner.SetSortMode(sortMode);
    run.m_bScanned = scanner.Scan();
    if (!run.m_bScanned) {
        FUZZ_CHECK(scanner.GetPageList() == nullptr);
        run.m_strPrompts = fuzz::PromptDigest(prompt);
        return run;
    }
    std::unique_ptr<CLogPageList> pages = scanner.TakePageList();
    FUZZ_CHECK(pages != nullptr);
    run.m_strDigest += fuzz::PageListDigest(pages.get());
    std::vector<CLogPageBase*> tabs;
    if (CLogPageBase* merged = pages->GetMergedPage()) {
        tabs.push_back(merged);
    }
    for (size_t i = 0; i < pages->GetPageCount(); ++i) {
        tabs.push_back(pages->GetPage(i));
    }
    for (CLogPageBase* tab : tabs) {
        auto* page = dynamic_cast<CLogPageDDRHynix*>(tab);
        FUZZ_CHECK(page != nullptr);
        std::map<int, double> rates;
        std::vector<SBestParam> best;
        int rowPassNum = 0;
        const bool analysed = page->Analyse(rates, best, rowPassNum);
        CVerdictHynix verdict;
        const bool judged = verdict.Judge(rates, rowPassNum);
        CChartCellsHynix chart;
        chart.Build(*page);
        run.m_strDigest += FormatW(L"%d %d %zu %d %d|", analysed ? 1 : 0, rowPassNum, best.size(),
                                   judged ? 1 : 0, verdict.GetResultCode());
        run.m_strDigest += verdict.GetConclusion() + L"|" + verdict.GetReason() + L"|";
        for (const std::string& row : chart.ColorRows()) {
            run.m_strDigest += Utf8ToWide(row);
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
    const int sortMode = config % 4;
    const bool checkLogFile = (config & 0x10) != 0;
    const fuzz::SAnswers answers = fuzz::TakeAnswers(input);
    const std::vector<std::string> parts =
        fuzz::SplitParts(input.ConsumeRemainingBytesAsString(), 3);

    const fuzz::fs::path dir = fuzz::FreshDir("hynix");
    // The analyzer settings of the samples (drive-strength rows, limits), with the check of
    // the logs' completeness on or off.
    static const std::string settings =
        fuzz::ReadBytes(SUITE_SOURCE_DIR "/samples/quillon/Quillon.ini");
    fuzz::WriteBytes(fuzz::SettingsPath(), settings);
    GetSettings().WriteCheckLogFile(checkLogFile);
    const char* names[] = {"h2.txt", "H1.txt", "h3.txt"};
    for (size_t i = 0; i < parts.size(); ++i) {
        fuzz::WriteBytes(dir / names[i], parts[i]);
    }
    std::vector<std::wstring> files;
    FUZZ_CHECK(FindLogFiles(PathToWide(dir), files));

    const SRun first = RunOnce(files, sortMode, answers);
    const SRun second = RunOnce(files, sortMode, answers);
    FUZZ_CHECK(first.m_bScanned == second.m_bScanned);
    FUZZ_CHECK(first.m_strDigest == second.m_strDigest);
    FUZZ_CHECK(first.m_strPrompts == second.m_strPrompts);
    return 0;
}
