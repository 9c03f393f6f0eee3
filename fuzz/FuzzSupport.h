#pragma once

// Shared pieces of the fuzz targets: a scratch folder per process, file helpers, a
// recording prompt that answers from the fuzz input, and the check that turns a broken
// invariant into a finding.

#include "UserPrompt.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

namespace fs = std::filesystem;

/// Prints what broke and aborts, so libFuzzer keeps the input as a crash.
[[noreturn]] void Fail(const char* what, const char* file, int line);

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            ::fuzz::Fail(#cond, __FILE__, __LINE__);                                               \
        }                                                                                          \
    } while (false)

/// Emptied folder <temp>/fuzz_<pid>/<name>; the settings file of the process points into
/// the scratch folder so no target touches a file beside the program.
fs::path FreshDir(const std::string& name);
/// <temp>/fuzz_<pid>/settings.ini (created empty on first use of FreshDir).
fs::path SettingsPath();

void WriteBytes(const fs::path& path, std::string_view bytes);
[[nodiscard]] std::string ReadBytes(const fs::path& path);

/// The answers the questions of one run get, taken from the input.
struct SAnswers {
    std::vector<bool> m_answers;
    bool m_bDefault = false;
};
[[nodiscard]] SAnswers TakeAnswers(FuzzedDataProvider& input);

/// A CRecordingPrompt scripted with answers.
void ScriptPrompt(CRecordingPrompt& prompt, const SAnswers& answers);

/// Every prompt record as one text (text, caption, question, answer), for comparing runs.
[[nodiscard]] std::wstring PromptDigest(const CRecordingPrompt& prompt);

/// Splits the rest of the input into up to maxParts parts at the separator line "\n@@\n".
[[nodiscard]] std::vector<std::string> SplitParts(std::string_view rest, size_t maxParts);

} // namespace fuzz
