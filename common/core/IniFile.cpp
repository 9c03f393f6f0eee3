#include "IniFile.h"

#include "FileUtil.h"
#include "SpLog.h"
#include "TextEncoding.h"
#include "TextUtil.h"

#include <mutex>
#include <optional>
#include <set>

namespace fs = std::filesystem;

namespace ini {
namespace {

// One physical line of the file, with its ending kept so writes reproduce it exactly.
struct Line {
    std::string raw;    // bytes without the ending, in the file's encoding
    std::string ending; // CR LF, LF, CR or nothing (last line), in the file's encoding
    std::wstring text;  // raw decoded
};

struct Parsed {
    STextDetection encoding;
    std::string bom;
    std::vector<Line> lines;
    std::string tail; // an odd last byte of a UTF-16 file, kept at the end
};

Parsed Split(const std::string& bytes) {
    Parsed p;
    p.encoding = DetectTextEncoding(bytes);
    p.bom = bytes.substr(0, p.encoding.bomBytes);
    const ETextEncoding enc = p.encoding.encoding;
    const bool utf16 = enc == ETextEncoding::Utf16Le || enc == ETextEncoding::Utf16Be;
    const size_t unit = utf16 ? 2 : 1;
    // Line breaks are found by code unit: in UTF-16 a CR or LF byte may be half of another
    // character, and in GBK no byte of a two- or four-byte character is ever CR or LF.
    const auto unitAt = [&](size_t i) -> unsigned {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        if (!utf16) {
            return b0;
        }
        const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        return enc == ETextEncoding::Utf16Be ? (b0 << 8) | b1 : (b1 << 8) | b0;
    };
    const size_t end = p.bom.size() + (bytes.size() - p.bom.size()) / unit * unit;
    p.tail = bytes.substr(end);
    size_t i = p.bom.size();
    while (i < end) {
        size_t j = i;
        while (j < end && unitAt(j) != '\r' && unitAt(j) != '\n') {
            j += unit;
        }
        Line line{bytes.substr(i, j - i), "", L""};
        if (j < end) {
            const bool crlf = unitAt(j) == '\r' && j + unit < end && unitAt(j + unit) == '\n';
            const size_t len = crlf ? 2 * unit : unit;
            line.ending = bytes.substr(j, len);
            j += len;
        }
        line.text = DecodeText(line.raw, enc);
        p.lines.push_back(std::move(line));
        i = j;
    }
    return p;
}

enum class Kind { Other, Section, Key };

struct LineInfo {
    Kind kind = Kind::Other;
    std::wstring name;  // section name or key name (trimmed)
    std::wstring value; // key value (trimmed)
    std::wstring text;  // the whole line trimmed
};

LineInfo Classify(const Line& line) {
    LineInfo info;
    info.text = TrimBlanks(line.text);
    const std::wstring& t = info.text;
    if (t.empty() || t[0] == L';' || t[0] == L'#') {
        return info;
    }
    if (t[0] == L'[') {
        const size_t close = t.find(L']');
        info.kind = Kind::Section;
        info.name = TrimBlanks(t.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1));
        return info;
    }
    const size_t eq = t.find(L'=');
    if (eq == std::wstring::npos) {
        return info;
    }
    info.kind = Kind::Key;
    info.name = TrimBlanks(t.substr(0, eq));
    info.value = TrimBlanks(t.substr(eq + 1));
    return info;
}

// A file that is not wholly text of the encoding it was taken for is still read (its stray
// bytes as characters of the same value) and written (every other byte kept); the tool log
// says so once per file and process, since settings are read again at every use.
void ReportStrayBytes(const fs::path& file, const STextDetection& encoding) {
    if (encoding.strayBytes == 0) {
        return;
    }
    static std::mutex mutex;
    static std::set<fs::path> reported;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!reported.insert(file).second) {
            return;
        }
    }
    LogError(L"%ls: %zu bytes are no %ls text; read as characters of the same value",
             PathToWide(file).c_str(), encoding.strayBytes, TextEncodingName(encoding.encoding));
}

bool LoadLines(const fs::path& file, Parsed& out) {
    std::string bytes;
    if (!ReadFileBytes(file, bytes)) {
        return false;
    }
    out = Split(bytes);
    ReportStrayBytes(file, out.encoding);
    return true;
}

// Index range [first, end) of the first section named so; first points after the header.
struct SectionRange {
    size_t header = 0;
    size_t first = 0;
    size_t end = 0;
};

std::optional<SectionRange> FindSection(const std::vector<Line>& lines, std::wstring_view name) {
    // Names are compared as the file's are read: without surrounding blanks.
    const std::wstring section = TrimBlanks(name);
    for (size_t i = 0; i < lines.size(); ++i) {
        const LineInfo info = Classify(lines[i]);
        if (info.kind == Kind::Section && EqualsNoCase(info.name, section)) {
            SectionRange r{i, i + 1, lines.size()};
            for (size_t j = i + 1; j < lines.size(); ++j) {
                if (Classify(lines[j]).kind == Kind::Section) {
                    r.end = j;
                    break;
                }
            }
            return r;
        }
    }
    return std::nullopt;
}

std::optional<std::wstring> FindValue(const fs::path& file, std::wstring_view section,
                                      std::wstring_view key) {
    Parsed p;
    if (!LoadLines(file, p)) {
        return std::nullopt;
    }
    const auto range = FindSection(p.lines, section);
    if (!range) {
        return std::nullopt;
    }
    const std::wstring keyName = TrimBlanks(key);
    for (size_t i = range->first; i < range->end; ++i) {
        const LineInfo info = Classify(p.lines[i]);
        if (info.kind == Kind::Key && EqualsNoCase(info.name, keyName)) {
            return info.value;
        }
    }
    return std::nullopt;
}

bool HasLineBreak(std::wstring_view text) {
    return text.find_first_of(L"\r\n") != std::wstring_view::npos;
}

// A section and key that one header line and one key line hold and read back as they
// were given: anything else would add lines, or shadow or hide other keys.
bool IsWritableName(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    if (section.empty() || key.empty() || HasLineBreak(section) || HasLineBreak(key) ||
        HasLineBreak(value)) {
        return false;
    }
    return section.find(L']') == std::wstring_view::npos &&
           key.find(L'=') == std::wstring_view::npos && key[0] != L'[' && key[0] != L';' &&
           key[0] != L'#';
}

std::wstring Cut(std::wstring_view text, size_t bufferChars) {
    if (bufferChars == 0) {
        return std::wstring();
    }
    return std::wstring(text.substr(0, bufferChars - 1));
}

bool IsQuoted(std::wstring_view text) {
    return text.size() >= 2 && text.front() == L'"' && text.back() == L'"';
}

// A value read as a text: one pair of surrounding double quotes is taken off, so
// Prompt="text" reads as text, as on the engineers' Windows machines.
std::wstring Unquote(std::wstring_view value) {
    return std::wstring(IsQuoted(value) ? value.substr(1, value.size() - 2) : value);
}

} // namespace

std::wstring ReadString(const fs::path& file, std::wstring_view section, std::wstring_view key,
                        std::wstring_view defaultValue, size_t bufferChars) {
    const auto value = FindValue(file, section, key);
    if (value) {
        return Cut(Unquote(*value), bufferChars);
    }
    const size_t last = defaultValue.find_last_not_of(L" \t");
    return Cut(defaultValue.substr(0, last == std::wstring_view::npos ? 0 : last + 1), bufferChars);
}

int ReadInt(const fs::path& file, std::wstring_view section, std::wstring_view key,
            int defaultValue) {
    const auto value = FindValue(file, section, key);
    if (!value) {
        return defaultValue;
    }
    const std::wstring v = Unquote(*value);
    size_t i = 0;
    while (i < v.size() && (v[i] == L' ' || v[i] == L'\t')) {
        ++i;
    }
    bool negative = false;
    if (i < v.size() && (v[i] == L'-' || v[i] == L'+')) {
        negative = v[i] == L'-';
        ++i;
    }
    uint32_t n = 0;
    for (; i < v.size() && v[i] >= L'0' && v[i] <= L'9'; ++i) {
        n = n * 10u + static_cast<uint32_t>(v[i] - L'0');
    }
    if (negative) {
        n = 0u - n;
    }
    return static_cast<int>(n);
}

bool HasKey(const fs::path& file, std::wstring_view section, std::wstring_view key) {
    return FindValue(file, section, key).has_value();
}

std::vector<std::wstring> ReadSection(const fs::path& file, std::wstring_view section,
                                      size_t bufferChars) {
    std::vector<std::wstring> out;
    Parsed p;
    if (bufferChars < 2 || !LoadLines(file, p)) {
        return out;
    }
    const auto range = FindSection(p.lines, section);
    if (!range) {
        return out;
    }
    size_t room = bufferChars - 1; // the final NUL
    for (size_t i = range->first; i < range->end && room > 0; ++i) {
        const LineInfo info = Classify(p.lines[i]);
        if (info.text.empty() || info.text[0] == L';' || info.text[0] == L'#') {
            continue;
        }
        if (info.text.size() + 1 <= room) {
            out.push_back(info.text);
            room -= info.text.size() + 1;
        } else {
            out.push_back(info.text.substr(0, room - 1));
            break;
        }
    }
    return out;
}

std::vector<std::wstring> ReadSectionNames(const fs::path& file) {
    std::vector<std::wstring> out;
    Parsed p;
    if (!LoadLines(file, p)) {
        return out;
    }
    for (const auto& line : p.lines) {
        const LineInfo info = Classify(line);
        if (info.kind != Kind::Section) {
            continue;
        }
        bool seen = false;
        for (const auto& s : out) {
            seen = seen || EqualsNoCase(s, info.name);
        }
        if (!seen) {
            out.push_back(info.name);
        }
    }
    return out;
}

bool WriteString(const fs::path& file, std::wstring_view sectionName, std::wstring_view keyName,
                 std::wstring_view value, std::wstring* refusal) {
    const std::wstring section = TrimBlanks(sectionName);
    const std::wstring key = TrimBlanks(keyName);
    if (!IsWritableName(section, key, value)) {
        return false;
    }
    std::error_code ec;
    Parsed p;
    const bool exists = fs::exists(file, ec);
    if (exists && !LoadLines(file, p)) {
        return false;
    }
    const ETextEncoding enc = p.encoding.encoding;
    // A value that would lose a pair of surrounding quotes on reading gets one more pair.
    const std::wstring trimmed = TrimBlanks(value);
    const std::wstring keyText =
        key + L"=" + (IsQuoted(trimmed) ? L"\"" + trimmed + L"\"" : std::wstring(value));
    const std::wstring headerText = L"[" + section + L"]";
    // The new lines are written in the file's own encoding; what it cannot hold is refused
    // before anything is touched.
    std::string keyLine;
    std::string header;
    for (const auto& [text, bytes] : {std::pair{&keyText, &keyLine}, std::pair{&headerText, &header}}) {
        size_t unheld = 0;
        auto encoded = EncodeText(*text, enc, &unheld);
        if (!encoded) {
            const std::wstring why = FormatW(
                L"%ls is %ls text, which cannot hold the character U+%04X of [%ls] %ls; the file "
                L"is left unchanged",
                PathToWide(file).c_str(), TextEncodingName(enc),
                static_cast<unsigned>((*text)[unheld]), section.c_str(), key.c_str());
            LogError(L"%ls", why.c_str());
            if (refusal) {
                *refusal = why;
            }
            return false;
        }
        *bytes = std::move(*encoded);
    }
    // New lines follow the file's own line ending; a new file gets CR LF.
    std::string eol = EncodeText(L"\r\n", enc).value_or("\r\n");
    for (const auto& line : p.lines) {
        if (!line.ending.empty()) {
            eol = line.ending;
            break;
        }
    }
    const auto range = FindSection(p.lines, section);
    if (!range) {
        if (!p.lines.empty() && p.lines.back().ending.empty()) {
            p.lines.back().ending = eol;
        }
        p.lines.push_back({header, eol, headerText});
        p.lines.push_back({keyLine, eol, keyText});
    } else {
        std::optional<size_t> found;
        size_t lastKey = range->header;
        for (size_t i = range->first; i < range->end; ++i) {
            const LineInfo info = Classify(p.lines[i]);
            if (info.kind == Kind::Key) {
                lastKey = i;
                if (!found && EqualsNoCase(info.name, key)) {
                    found = i;
                }
            }
        }
        if (found) {
            p.lines[*found].raw = keyLine;
            p.lines[*found].text = keyText;
        } else {
            if (p.lines[lastKey].ending.empty()) {
                p.lines[lastKey].ending = eol;
            }
            p.lines.insert(p.lines.begin() + static_cast<std::ptrdiff_t>(lastKey + 1),
                           {keyLine, eol, keyText});
        }
    }
    std::string bytes = p.bom;
    for (const auto& line : p.lines) {
        bytes += line.raw;
        bytes += line.ending;
    }
    bytes += p.tail;
    // The encoding is told from the bytes, so new bytes could tip it: GBK text whose only
    // non-ASCII bytes happen to form valid UTF-8 would read as UTF-8. Such a write would
    // change what the file says and is refused.
    const Parsed check = Split(bytes);
    bool same = check.lines.size() == p.lines.size();
    for (size_t i = 0; same && i < p.lines.size(); ++i) {
        same = check.lines[i].text == p.lines[i].text;
    }
    if (!same) {
        const std::wstring why = FormatW(
            L"%ls would read as %ls text instead of %ls after writing [%ls] %ls, and its texts "
            L"would change; the file is left unchanged",
            PathToWide(file).c_str(), TextEncodingName(check.encoding.encoding),
            TextEncodingName(enc), section.c_str(), key.c_str());
        LogError(L"%ls", why.c_str());
        if (refusal) {
            *refusal = why;
        }
        return false;
    }
    return ReplaceFileContents(file, bytes);
}

} // namespace ini
