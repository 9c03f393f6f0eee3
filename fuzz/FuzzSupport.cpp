#include "FuzzSupport.h"

#include "SettingsFile.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace fuzz {

void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", what, file, line);
    std::abort();
}

namespace {

const fs::path& Scratch() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("fuzz_" + std::to_string(::getpid()));
        fs::create_directories(d);
        // The engines read their settings at the moment they need them: give them a file of
        // their own, which the targets fill as they like.
        GetSettings().SetPath(d / "settings.ini");
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(fs::temp_directory_path() / ("fuzz_" + std::to_string(::getpid())), ec);
        });
        return d;
    }();
    return dir;
}

} // namespace

fs::path FreshDir(const std::string& name) {
    const fs::path dir = Scratch() / name;
    std::error_code ec;
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir, ec);
    fs::create_directories(dir);
    return dir;
}

fs::path SettingsPath() {
    return Scratch() / "settings.ini";
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

SAnswers TakeAnswers(FuzzedDataProvider& input) {
    SAnswers answers;
    const uint16_t bits = input.ConsumeIntegral<uint16_t>();
    const int count = bits & 0x7;
    for (int i = 0; i < count; ++i) {
        answers.m_answers.push_back(((bits >> (3 + i)) & 1) != 0);
    }
    answers.m_bDefault = (bits & 0x8000) != 0;
    return answers;
}

void ScriptPrompt(CRecordingPrompt& prompt, const SAnswers& answers) {
    for (const bool answer : answers.m_answers) {
        prompt.Script({answer});
    }
    prompt.SetDefaultAnswer(answers.m_bDefault);
}

std::wstring PromptDigest(const CRecordingPrompt& prompt) {
    std::wstring digest;
    for (const SPromptRecord& record : prompt.Records()) {
        digest += record.text;
        digest += L'\x1';
        digest += record.caption;
        digest += record.question ? (record.answer ? L"?Y" : L"?N") : L"!";
        digest += L'\n';
    }
    return digest;
}

std::vector<std::string> SplitParts(std::string_view rest, size_t maxParts) {
    std::vector<std::string> parts;
    constexpr std::string_view kSeparator = "\n@@\n";
    while (parts.size() + 1 < maxParts) {
        const size_t at = rest.find(kSeparator);
        if (at == std::string_view::npos) {
            break;
        }
        parts.emplace_back(rest.substr(0, at + 1));
        rest.remove_prefix(at + kSeparator.size());
    }
    parts.emplace_back(rest);
    return parts;
}

} // namespace fuzz
