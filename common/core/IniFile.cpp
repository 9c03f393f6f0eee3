#include "IniFile.h"

#include "FileUtil.h"
#include "TextUtil.h"

#include <optional>

namespace fs = std::filesystem;

namespace ini {
namespace {

// One physical line of the file, with its ending kept so writes reproduce it exactly.
struct Line {
    std::string raw;    // bytes without the ending
    std::string ending; // "\r\n", "\n", "\r" or "" (last line)
};

struct Parsed {
    std::string bom;
    std::vector<Line> lines;
};

Parsed Split(const std::string& bytes) {
    Parsed p;
    size_t i = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        p.bom = bytes.substr(0, 3);
        i = 3;
    }
    while (i < bytes.size()) {
        size_t j = bytes.find_first_of("\r\n", i);
        if (j == std::string::npos) {
            p.lines.push_back({bytes.substr(i), ""});
            break;
        }
        Line line{bytes.substr(i, j - i), ""};
        if (bytes[j] == '\r' && j + 1 < bytes.size() && bytes[j + 1] == '\n') {
            line.ending = "\r\n";
            i = j + 2;
        } else {
            line.ending = bytes.substr(j, 1);
            i = j + 1;
        }
        p.lines.push_back(std::move(line));
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

LineInfo Classify(const std::string& raw) {
    LineInfo info;
    info.text = TrimBlanks(Utf8ToWide(raw));
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

bool LoadLines(const fs::path& file, Parsed& out) {
    std::string bytes;
    if (!ReadFileBytes(file, bytes)) {
        return false;
    }
    out = Split(bytes);
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
        const LineInfo info = Classify(lines[i].raw);
        if (info.kind == Kind::Section && EqualsNoCase(info.name, section)) {
            SectionRange r{i, i + 1, lines.size()};
            for (size_t j = i + 1; j < lines.size(); ++j) {
                if (Classify(lines[j].raw).kind == Kind::Section) {
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
        const LineInfo info = Classify(p.lines[i].raw);
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

} // namespace

std::wstring ReadString(const fs::path& file, std::wstring_view section, std::wstring_view key,
                        std::wstring_view defaultValue, size_t bufferChars) {
    const auto value = FindValue(file, section, key);
    return Cut(value ? std::wstring_view(*value) : defaultValue, bufferChars);
}

int ReadInt(const fs::path& file, std::wstring_view section, std::wstring_view key,
            int defaultValue) {
    const auto value = FindValue(file, section, key);
    if (!value) {
        return defaultValue;
    }
    const std::wstring& v = *value;
    size_t i = 0;
    while (i < v.size() && (v[i] == L' ' || v[i] == L'\t')) {
        ++i;
    }
    bool negative = false;
    if (i < v.size() && v[i] == L'-') {
        negative = true;
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
        const LineInfo info = Classify(p.lines[i].raw);
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
        const LineInfo info = Classify(line.raw);
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
                 std::wstring_view value) {
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
    // New lines follow the file's own line ending; a new file gets CR LF.
    std::string eol = "\r\n";
    for (const auto& line : p.lines) {
        if (!line.ending.empty()) {
            eol = line.ending;
            break;
        }
    }
    const std::string keyLine = WideToUtf8(key) + "=" + WideToUtf8(value);
    const auto range = FindSection(p.lines, section);
    if (!range) {
        if (!p.lines.empty() && p.lines.back().ending.empty()) {
            p.lines.back().ending = eol;
        }
        p.lines.push_back({"[" + WideToUtf8(section) + "]", eol});
        p.lines.push_back({keyLine, eol});
    } else {
        std::optional<size_t> found;
        size_t lastKey = range->header;
        for (size_t i = range->first; i < range->end; ++i) {
            const LineInfo info = Classify(p.lines[i].raw);
            if (info.kind == Kind::Key) {
                lastKey = i;
                if (!found && EqualsNoCase(info.name, key)) {
                    found = i;
                }
            }
        }
        if (found) {
            p.lines[*found].raw = keyLine;
        } else {
            if (p.lines[lastKey].ending.empty()) {
                p.lines[lastKey].ending = eol;
            }
            p.lines.insert(p.lines.begin() + static_cast<std::ptrdiff_t>(lastKey + 1), {keyLine, eol});
        }
    }
    std::string bytes = p.bom;
    for (const auto& line : p.lines) {
        bytes += line.raw;
        bytes += line.ending;
    }
    return ReplaceFileContents(file, bytes);
}

} // namespace ini
