// eMMC logs (SDR50 and DDR50) as the main dialog scans them: the panel's fields (defaults,
// or tags and maxima from the input), the eMMC scan, the best-point search of every tab.
// A refused scan leaves no pages; two runs give the same result.

#include "FuzzSupport.h"
#include "PageDigest.h"

#include "ChildDlgEMMCModel.h"
#include "LogPageEMMC.h"
#include "LogRead.h"
#include "LogScanEMMC.h"
#include "TextUtil.h"
#include "WriterEMMC.h"

using namespace quillon;

namespace {

struct SRun {
    bool m_bScanned = false;
    std::wstring m_strDigest;
    std::wstring m_strPrompts;
};

struct SPanelInput {
    int m_nLogType = kLogTypeEmmcSdr50;
    bool m_bOwnFields = false;
    std::wstring m_tags[4];
    std::wstring m_maxima[4];
};

SRun RunOnce(const std::vector<std::wstring>& files, int sortMode, const SPanelInput& input,
             const fuzz::SAnswers& answers) {
    CRecordingPrompt prompt;
    fuzz::ScriptPrompt(prompt, answers);
    CScopedPrompt scoped(prompt);
    SRun run;

    CChildDlgEMMCModel panel;
    panel.SetMode(input.m_nLogType, true);
    if (input.m_bOwnFields) {
        for (int i = 0; i < 4; ++i) {
            panel.SetField(static_cast<EEmmcField>(kEmmcTagW + i), input.m_tags[i]);
            panel.SetField(static_cast<EEmmcField>(kEmmcRowMax + i), input.m_maxima[i]);
        }
    }
    SEmmcNames names;
    SEmmcTags tags;
    panel.GetNames(names);
    panel.GetTags(tags);
    CLogScanEMMC scanner;
    scanner.SetNames(names);
    scanner.SetTags(tags);
    scanner.SetSizes(panel.GetSizes());
    scanner.SetFileList(files);
    scanner.SetSortMode(sortMode);
    run.m_bScanned = scanner.Scan();
    run.m_strDigest = FormatW(L"mode %d\n", scanner.GetLogMode());
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
        auto* page = dynamic_cast<CLogPageEMMC*>(tab);
        FUZZ_CHECK(page != nullptr);
        if (const std::optional<SEmmcBestPoint> best = page->SearchBestPoint()) {
            const SBestParam record = CWriterEMMC::ToBestParam(*best);
            run.m_strDigest += L"best";
            for (const int32_t value : record.Values()) {
                run.m_strDigest += FormatW(L" %d", value);
            }
            run.m_strDigest += L"\n";
        }
        run.m_strDigest += fuzz::PageDigest(*page);
    }
    run.m_strPrompts = fuzz::PromptDigest(prompt);
    return run;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const uint8_t config = input.ConsumeIntegral<uint8_t>();
    SPanelInput panel;
    panel.m_nLogType = (config & 1) != 0 ? kLogTypeEmmcDdr50 : kLogTypeEmmcSdr50;
    const int sortMode = (config >> 1) % 4;
    panel.m_bOwnFields = (config & 0x10) != 0;
    const fuzz::SAnswers answers = fuzz::TakeAnswers(input);
    if (panel.m_bOwnFields) {
        for (std::wstring& tag : panel.m_tags) {
            tag = BytesToWide(input.ConsumeRandomLengthString(4));
        }
        for (std::wstring& maximum : panel.m_maxima) {
            // Small maxima: the scanner builds every block of a page up front.
            maximum = FormatW(L"0x%X", input.ConsumeIntegralInRange<unsigned>(0, 0x50));
        }
    }
    const std::vector<std::string> parts =
        fuzz::SplitParts(input.ConsumeRemainingBytesAsString(), 3);

    const fuzz::fs::path dir = fuzz::FreshDir("emmc");
    const char* names[] = {"e2.txt", "E1.txt", "e3.txt"};
    for (size_t i = 0; i < parts.size(); ++i) {
        fuzz::WriteBytes(dir / names[i], parts[i]);
    }
    std::vector<std::wstring> files;
    FUZZ_CHECK(FindLogFiles(PathToWide(dir), files));

    const SRun first = RunOnce(files, sortMode, panel, answers);
    const SRun second = RunOnce(files, sortMode, panel, answers);
    FUZZ_CHECK(first.m_bScanned == second.m_bScanned);
    FUZZ_CHECK(first.m_strDigest == second.m_strDigest);
    FUZZ_CHECK(first.m_strPrompts == second.m_strPrompts);
    return 0;
}
