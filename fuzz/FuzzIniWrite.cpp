// The ini writer over random files and names: a write either changes nothing (refused) or
// changes exactly the one key line, or adds the key (and its section) and keeps every other
// line, in the file's own encoding (UTF-8, UTF-16 or GBK); the value written reads back; a
// read-only file is never changed; a refusal says why.

#include "FuzzSupport.h"

#include "IniFile.h"
#include "SettingsFile.h"
#include "TextEncoding.h"
#include "TextUtil.h"

namespace {

// Physical lines without their endings (CR LF, LF or CR), split by code unit of the file's
// encoding after its byte-order mark; an odd last byte of a UTF-16 file is left out.
std::vector<std::string> Lines(const std::string& bytes, const STextDetection& encoding) {
    const bool utf16 = encoding.encoding == ETextEncoding::Utf16Le ||
                       encoding.encoding == ETextEncoding::Utf16Be;
    const size_t unit = utf16 ? 2 : 1;
    const auto at = [&](size_t i) -> unsigned {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        if (!utf16) {
            return b0;
        }
        const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        return encoding.encoding == ETextEncoding::Utf16Be ? (b0 << 8) | b1 : (b1 << 8) | b0;
    };
    std::vector<std::string> lines;
    const size_t end = encoding.bomBytes + (bytes.size() - encoding.bomBytes) / unit * unit;
    size_t i = encoding.bomBytes;
    while (i < end) {
        size_t j = i;
        while (j < end && at(j) != '\r' && at(j) != '\n') {
            j += unit;
        }
        lines.push_back(bytes.substr(i, j - i));
        if (j < end) {
            j += (at(j) == '\r' && j + unit < end && at(j + unit) == '\n') ? 2 * unit : unit;
        }
        i = j;
    }
    return lines;
}

std::string Encoded(const std::wstring& text, ETextEncoding encoding) {
    return EncodeText(text, encoding).value_or(std::string());
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

    const STextDetection encoding = DetectTextEncoding(before);
    const ETextEncoding enc = encoding.encoding;
    std::wstring why;
    const bool written = ini::WriteString(file, section, key, value, &why);
    FUZZ_CHECK(!written || why.empty());
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

    // The line is written in the file's own encoding, its byte-order mark and any odd last
    // byte kept; a value that would lose a pair of quotes on reading gets one more.
    const std::string after = fuzz::ReadBytes(file);
    FUZZ_CHECK(after.compare(0, encoding.bomBytes, before, 0, encoding.bomBytes) == 0);
    const bool oddTail = enc != ETextEncoding::Utf8 && enc != ETextEncoding::Gbk &&
                         (before.size() - encoding.bomBytes) % 2 == 1;
    FUZZ_CHECK(!oddTail || after.back() == before.back());
    const std::vector<std::string> oldLines = Lines(before, encoding);
    const std::vector<std::string> newLines = Lines(after, encoding);
    const std::wstring trimmed = TrimBlanks(value);
    const bool quoted = trimmed.size() >= 2 && trimmed.front() == L'"' && trimmed.back() == L'"';
    const std::string keyLine =
        Encoded(cleanKey + L"=" + (quoted ? L"\"" + trimmed + L"\"" : value), enc);
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
        FUZZ_CHECK(newLines[oldLines.size()] == Encoded(L"[" + cleanSection + L"]", enc));
        FUZZ_CHECK(newLines[oldLines.size() + 1] == keyLine);
    }
    FUZZ_CHECK(!keyLine.empty());
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
