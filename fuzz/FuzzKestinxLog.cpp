// KestinX scan logs through the Sondex folder analysis with the sample configuration: the
// log reader on its own, then the folder workflow with its statistics document and result
// form. Reading or analysing the same logs twice gives the same result.

#include "FuzzSupport.h"

#include "FolderWorkflow.h"
#include "ProjectConfig.h"
#include "ScanLogReader.h"
#include "TextUtil.h"

using namespace sondex;

namespace {

CProjectConfig& SampleConfig() {
    static CProjectConfig* config = [] {
        auto* loaded = new CProjectConfig;
        const fuzz::fs::path dir = fuzz::FreshDir("kestinx_config");
        fuzz::fs::copy_file(SUITE_SOURCE_DIR "/samples/sondex/Sondex.ini", dir / "Sondex.ini");
        CRecordingPrompt prompt;
        CScopedPrompt scoped(prompt);
        FUZZ_CHECK(loaded->Load(dir / "Sondex.ini", dir / "Sondex.dat"));
        return loaded;
    }();
    return *config;
}

std::wstring ReaderDigest(const fuzz::fs::path& path) {
    CScanLogReader reader(path);
    const int status = reader.ReadLog();
    std::wstring digest = FormatW(L"%d %d %d %zu\n", status, reader.IsStartSeen() ? 1 : 0,
                                  reader.IsEndSeen() ? 1 : 0, reader.GetBlocks().size());
    for (const std::string& block : reader.GetBlocks()) {
        digest += BytesToWide(block) + L"\n";
    }
    return digest;
}

std::wstring WorkflowDigest(const fuzz::fs::path& folder, uint8_t srMask) {
    CFolderWorkflow workflow;
    for (int sr = 0; sr < CFolderWorkflow::kSrCount; ++sr) {
        workflow.SetSrSelected(sr, ((srMask >> sr) & 1) != 0);
    }
    const int opened = workflow.AnalyzeFolder(folder);
    std::wstring digest = FormatW(L"opened %d\n", opened);
    FUZZ_CHECK(opened >= 0 && static_cast<size_t>(opened) <= workflow.GetOpenRecords().size());
    for (const SLogOpenRecord& record : workflow.GetOpenRecords()) {
        digest += FormatW(L"%d %d\n", record.opened ? 1 : 0, record.status);
    }
    if (CLogDocument* statistics = workflow.GetStatisticsDocument()) {
        workflow.Activate(statistics);
    }
    for (const auto& document : workflow.GetDocuments()) {
        workflow.Activate(document.get());
        for (const SResultRow& row : workflow.GetResultForm().GetRows()) {
            digest += FormatW(L"%ls %d %ls\n", row.type.c_str(), row.passWidth, row.result.c_str());
        }
    }
    for (const ResultMap& results : workflow.GetPerLogResults()) {
        for (const auto& [name, width] : results) {
            digest += FormatW(L"%ls=%d ", name.c_str(), width);
        }
        digest += L'\n';
    }
    digest += workflow.GetFailList() + L"|" + workflow.GetIncompleteList() +
              FormatW(L"|%d", workflow.IsAllPassed() ? 1 : 0);
    return digest;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const uint8_t srMask = input.ConsumeIntegral<uint8_t>();
    const fuzz::SAnswers answers = fuzz::TakeAnswers(input);
    const std::vector<std::string> parts =
        fuzz::SplitParts(input.ConsumeRemainingBytesAsString(), 3);

    CProjectConfig& config = SampleConfig();
    CScopedProjectConfig scopedConfig(config);
    const fuzz::fs::path dir = fuzz::FreshDir("kestinx");
    const char* names[] = {"k2.Txt", "K1.txt", "k3.TXT"};
    for (size_t i = 0; i < parts.size(); ++i) {
        fuzz::WriteBytes(dir / names[i], parts[i]);
    }
    std::wstring digests[2];
    std::wstring prompts[2];
    for (int run = 0; run < 2; ++run) {
        CRecordingPrompt prompt;
        fuzz::ScriptPrompt(prompt, answers);
        CScopedPrompt scoped(prompt);
        for (size_t i = 0; i < parts.size(); ++i) {
            digests[run] += ReaderDigest(dir / names[i]);
        }
        digests[run] += WorkflowDigest(dir, srMask);
        prompts[run] = fuzz::PromptDigest(prompt);
    }
    FUZZ_CHECK(digests[0] == digests[1]);
    FUZZ_CHECK(prompts[0] == prompts[1]);
    return 0;
}
