// The ini writer over random files and names: a write either changes nothing (refused) or
// changes exactly the one key line, or adds the key (and its section) and keeps every other
// line; the value written reads back; a read-only file is never changed.

#include "FuzzSupport.h"

#include "IniFile.h"
#include "SettingsFile.h"
#include "TextUtil.h"

namespace {

// Physical lines without their endings, split as the writer does (CR LF, LF or CR).
std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t i = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (i < bytes.size()) {
        const size_t j = bytes.find_first_of("\r\n", i);
        if (j == std::string::npos) {
            lines.push_back(bytes.substr(i));
            break;
        }
        lines.push_back(bytes.substr(i, j - i));
        i = j + ((bytes[j] == '\r' && j + 1 < bytes.size() && bytes[j + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

bool HasLineBreak(const std::wstring& text) {
    return text.find_first_of(L"\r\n") != std::wstring::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    // Names as single-byte text, so every character survives the UTF-8 round trip.
    const std::wstring section = BytesToWide(input.ConsumeRandomLengthString(12));
    const std::wstring key = BytesToWide(input.ConsumeRandomLengthString(12));
    const std::wstring value = BytesToWide(input.ConsumeRandomLengthString(24));
    const bool readOnly = input.ConsumeIntegralInRange<int>(0, 7) == 0;
    const bool missing = input.ConsumeIntegralInRange<int>(0, 7) == 0;
    const std::string bytes = input.ConsumeRemainingBytesAsString();

    const fuzz::fs::path dir = fuzz::FreshDir("iniwrite");
    const fuzz::fs::path file = dir / "write.ini";
    if (!missing) {
        fuzz::WriteBytes(file, bytes);
        if (readOnly) {
            fuzz::fs::permissions(file,
                                  fuzz::fs::perms::owner_write | fuzz::fs::perms::group_write |
                                      fuzz::fs::perms::others_write,
                                  fuzz::fs::perm_options::remove);
        }
    }
    const std::string before = missing ? std::string() : bytes;
    // The values of every other key, and of the key itself before the write.
    std::vector<std::wstring> sectionsBefore = ini::ReadSectionNames(file);

    const bool written = ini::WriteString(file, section, key, value);
    if (!written) {
        FUZZ_CHECK(fuzz::fs::exists(file) == !missing);
        if (!missing) {
            FUZZ_CHECK(fuzz::ReadBytes(file) == before);
        }
        return 0;
    }
    FUZZ_CHECK(!readOnly || missing);
    // Names and values that cannot be one key line are refused.
    const std::wstring cleanSection = TrimBlanks(section);
    const std::wstring cleanKey = TrimBlanks(key);
    FUZZ_CHECK(!cleanSection.empty() && !cleanKey.empty());
    FUZZ_CHECK(!HasLineBreak(section) && !HasLineBreak(key) && !HasLineBreak(value));
    FUZZ_CHECK(cleanKey.find(L'=') == std::wstring::npos);
    FUZZ_CHECK(cleanSection.find(L']') == std::wstring::npos);
    FUZZ_CHECK(cleanKey[0] != L'[' && cleanKey[0] != L';' && cleanKey[0] != L'#');

    const std::string after = fuzz::ReadBytes(file);
    const std::vector<std::string> oldLines = Lines(before);
    const std::vector<std::string> newLines = Lines(after);
    const std::string keyLine = WideToUtf8(cleanKey) + "=" + WideToUtf8(value);
    FUZZ_CHECK(newLines.size() >= oldLines.size() && newLines.size() <= oldLines.size() + 2);
    if (newLines.size() == oldLines.size()) {
        // One key line replaced in place.
        size_t changed = 0;
        for (size_t i = 0; i < oldLines.size(); ++i) {
            if (oldLines[i] != newLines[i]) {
                ++changed;
                FUZZ_CHECK(newLines[i] == keyLine);
            }
        }
        FUZZ_CHECK(changed <= 1);
    } else if (newLines.size() == oldLines.size() + 1) {
        // The key added inside its section.
        size_t i = 0;
        while (i < oldLines.size() && oldLines[i] == newLines[i]) {
            ++i;
        }
        FUZZ_CHECK(newLines[i] == keyLine);
        for (; i < oldLines.size(); ++i) {
            FUZZ_CHECK(oldLines[i] == newLines[i + 1]);
        }
    } else {
        // The section and the key added at the end.
        for (size_t i = 0; i < oldLines.size(); ++i) {
            FUZZ_CHECK(oldLines[i] == newLines[i]);
        }
        FUZZ_CHECK(newLines[oldLines.size()] == "[" + WideToUtf8(cleanSection) + "]");
        FUZZ_CHECK(newLines[oldLines.size() + 1] == keyLine);
    }
    // The value reads back (trimmed, as every value is), and no section got lost.
    FUZZ_CHECK(ini::ReadString(file, section, key, L"\x1", 1 << 20) == TrimBlanks(value));
    const std::vector<std::wstring> sectionsAfter = ini::ReadSectionNames(file);
    for (const std::wstring& name : sectionsBefore) {
        bool found = false;
        for (const std::wstring& other : sectionsAfter) {
            found = found || EqualsNoCase(name, other);
        }
        FUZZ_CHECK(found);
    }
    // Writing the same again changes nothing more.
    FUZZ_CHECK(ini::WriteString(file, section, key, value));
    FUZZ_CHECK(fuzz::ReadBytes(file) == after);
    return 0;
}
