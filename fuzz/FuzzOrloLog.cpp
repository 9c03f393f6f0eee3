// Orlo logs at normal, low and high temperature through the scan command and the
// statistics tab: directory checks, the Orlo scan, the merged-page verdict with the
// sample limits, the result prompt. Two runs with the same answers give the same result.

#include "FuzzSupport.h"

#include "LogPageOrlo.h"
#include "OrloSession.h"
#include "SettingsFile.h"
#include "TextUtil.h"

namespace {

struct SRun {
    int m_nEnd = 0;
    std::wstring m_strDigest;
    std::wstring m_strPrompts;
};

std::wstring Digest(const orlo::CLogPageOrlo& page) {
    std::wstring digest = page.Name() + FormatW(L" t%d\n", page.Temperature());
    for (const orlo::DrvCombination& combination : page.Combinations()) {
        digest += FormatW(L"%d/%d/%d/%d:", combination.m_nDqsDrv, combination.m_nDataDrv,
                          combination.m_nCtl, combination.m_nClkDrv);
        for (const orlo::ClkwrEntry& entry : combination.m_entries) {
            digest += FormatW(L"%d,%d ", entry.m_nState, entry.m_nPassCount);
        }
        digest += L'\n';
    }
    return digest;
}

SRun RunOnce(const orlo::SOrloScanRequest& request, const fuzz::SAnswers& answers) {
    CRecordingPrompt prompt;
    fuzz::ScriptPrompt(prompt, answers);
    CScopedPrompt scoped(prompt);
    SRun run;
    orlo::COrloSession session;
    const orlo::EOrloScanEnd end = session.Scan(request);
    run.m_nEnd = static_cast<int>(end);
    if (end == orlo::EOrloScanEnd::Scanned) {
        const orlo::OrloPageList* result = session.Result();
        FUZZ_CHECK(result != nullptr);
        for (const std::wstring& name : result->TabNames()) {
            run.m_strDigest += name + L"|";
        }
        if (const orlo::CLogPageOrlo* merged = result->Merged()) {
            run.m_strDigest += Digest(*merged);
        }
        for (const auto& page : result->Pages()) {
            run.m_strDigest += Digest(*page);
        }
        const orlo::SOrloAnalysis analysis = session.AnalyseMergedPage();
        run.m_strDigest +=
            FormatW(L"%d %d %d %d %d %d %d %d|", analysis.m_bPass ? 1 : 0,
                    analysis.m_bBestFound ? 1 : 0, analysis.m_bBestRun ? 1 : 0, analysis.m_nDqsDrv,
                    analysis.m_nDataDrv, analysis.m_nCtl, analysis.m_nClkDrv, analysis.m_nClkwr) +
            analysis.m_strReason;
        FUZZ_CHECK(session.Verdict() == analysis.m_bPass);
    } else {
        // Only a successful scan holds a result (the session started without one).
        FUZZ_CHECK(session.Result() == nullptr);
    }
    if (end == orlo::EOrloScanEnd::Scanned || end == orlo::EOrloScanEnd::ScanFailed) {
        session.ShowResultPrompt();
    }
    for (const std::wstring& file : session.FileList()) {
        run.m_strDigest += file + L";";
    }
    run.m_strPrompts = fuzz::PromptDigest(prompt);
    return run;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const uint8_t config = input.ConsumeIntegral<uint8_t>();
    const fuzz::SAnswers answers = fuzz::TakeAnswers(input);
    const std::vector<std::string> parts =
        fuzz::SplitParts(input.ConsumeRemainingBytesAsString(), 4);

    static const std::string settings =
        fuzz::ReadBytes(SUITE_SOURCE_DIR "/samples/quillon_orlo/QuillonOrlo.ini");
    fuzz::WriteBytes(fuzz::SettingsPath(), settings);
    GetSettings().WriteCheckLogFile((config & 0x10) != 0);

    const fuzz::fs::path dir = fuzz::FreshDir("orlo");
    const fuzz::fs::path normal = dir / "normal";
    const fuzz::fs::path low = dir / "low";
    const fuzz::fs::path high = dir / "high";
    for (const fuzz::fs::path& folder : {normal, low, high}) {
        fuzz::fs::create_directories(folder);
    }
    // Parts 0 and 1 are normal logs, part 2 a low one, part 3 a high one.
    const fuzz::fs::path places[] = {normal / "b02_n25c.txt", normal / "B01_n25c.Txt",
                                     low / "b01_lm40c.txt", high / "b01_h85c.txt"};
    for (size_t i = 0; i < parts.size(); ++i) {
        fuzz::WriteBytes(places[i], parts[i]);
    }
    orlo::SOrloScanRequest request;
    request.m_strNormalDir = PathToWide(normal);
    request.m_strLowDir = PathToWide(low);
    request.m_strHighDir = PathToWide(high);
    request.m_bIncludeLow = (config & 1) != 0;
    request.m_bIncludeHigh = (config & 2) != 0;

    const SRun first = RunOnce(request, answers);
    const SRun second = RunOnce(request, answers);
    FUZZ_CHECK(first.m_nEnd == second.m_nEnd);
    FUZZ_CHECK(first.m_strDigest == second.m_strDigest);
    FUZZ_CHECK(first.m_strPrompts == second.m_strPrompts);
    return 0;
}
