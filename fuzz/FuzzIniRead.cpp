// The ini reader over random files: every read call with names and buffer sizes from the
// input. Checks the buffer cut, the defaults of missing keys, that a value is its line's
// text after '=' (trimmed, one pair of quotes off), that HasKey agrees with the reads, and
// that reading the same file twice gives the same values. Files of any bytes: the reader
// tells UTF-8, UTF-16 and GBK apart by itself.

#include "FuzzSupport.h"

#include "IniFile.h"
#include "SettingsFile.h"
#include "TextUtil.h"

#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::wstring section = Utf8ToWide(input.ConsumeRandomLengthString(16));
    const std::wstring key = Utf8ToWide(input.ConsumeRandomLengthString(16));
    const std::wstring fallback = Utf8ToWide(input.ConsumeRandomLengthString(8));
    const size_t bufferChars = input.ConsumeIntegralInRange<size_t>(0, 300);
    const int intDefault = input.ConsumeIntegral<int>();
    const std::string bytes = input.ConsumeRemainingBytesAsString();

    const fuzz::fs::path file = fuzz::FreshDir("iniread") / "read.ini";
    fuzz::WriteBytes(file, bytes);

    const std::wstring text = ini::ReadString(file, section, key, fallback, bufferChars);
    const bool has = ini::HasKey(file, section, key);
    const int number = ini::ReadInt(file, section, key, intDefault);
    FUZZ_CHECK(bufferChars == 0 ? text.empty() : text.size() < bufferChars);
    if (!has) {
        // The default arrives without its trailing blanks.
        const size_t last = fallback.find_last_not_of(L" \t");
        const std::wstring kept = fallback.substr(0, last == std::wstring::npos ? 0 : last + 1);
        FUZZ_CHECK(text == kept.substr(0, bufferChars == 0 ? 0 : bufferChars - 1));
        FUZZ_CHECK(number == intDefault);
    } else {
        // A value is the text after '=' of the key's first line without surrounding blanks
        // and without one pair of surrounding double quotes.
        const std::wstring full = ini::ReadString(file, section, key, L"", 1 << 20);
        FUZZ_CHECK(full.substr(0, bufferChars == 0 ? 0 : bufferChars - 1) == text);
        std::optional<std::wstring> raw;
        for (const std::wstring& line : ini::ReadSection(file, section, 1 << 20)) {
            const size_t eq = line.find(L'=');
            if (!raw && eq != std::wstring::npos &&
                EqualsNoCase(TrimBlanks(line.substr(0, eq)), TrimBlanks(key))) {
                raw = TrimBlanks(line.substr(eq + 1));
            }
        }
        FUZZ_CHECK(raw.has_value());
        const bool quoted = raw->size() >= 2 && raw->front() == L'"' && raw->back() == L'"';
        FUZZ_CHECK(full == (quoted ? raw->substr(1, raw->size() - 2) : *raw));
    }
    const std::vector<std::wstring> lines = ini::ReadSection(file, section, bufferChars);
    size_t used = 0;
    for (const std::wstring& line : lines) {
        used += line.size() + 1;
    }
    FUZZ_CHECK(lines.empty() || used + 1 <= bufferChars);
    const std::vector<std::wstring> names = ini::ReadSectionNames(file);
    for (size_t i = 0; i < names.size(); ++i) {
        for (size_t j = i + 1; j < names.size(); ++j) {
            FUZZ_CHECK(!EqualsNoCase(names[i], names[j]));
        }
    }
    // Each section name found reads back its lines; reading twice gives the same.
    for (const std::wstring& name : names) {
        FUZZ_CHECK(ini::ReadSection(file, name, 4096) == ini::ReadSection(file, name, 4096));
    }
    FUZZ_CHECK(ini::ReadString(file, section, key, fallback, bufferChars) == text);
    FUZZ_CHECK(ini::ReadSectionNames(file) == names);

    // The settings object reads through the same reader.
    GetSettings().SetPath(file);
    FUZZ_CHECK(GetSettings().ReadInt(section, key, intDefault) == number);
    (void)GetSettings().ReadCheckLogFile();
    (void)GetSettings().ReadResultPrompt(kResultPromptDefaultOrlo);
    GetSettings().SetPath(fuzz::SettingsPath());
    return 0;
}
