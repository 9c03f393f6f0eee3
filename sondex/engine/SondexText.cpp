#include "SondexText.h"

#include <climits>
#include <cstring>

namespace sondex {
namespace {

template <typename Ch> bool IsSpace(Ch c) {
    return c == Ch(' ') || c == Ch('\t') || c == Ch('\n') || c == Ch('\r') || c == Ch('\v') ||
           c == Ch('\f');
}

template <typename Ch> int HexDigit(Ch c) {
    if (c >= Ch('0') && c <= Ch('9')) {
        return static_cast<int>(c - Ch('0'));
    }
    if (c >= Ch('a') && c <= Ch('f')) {
        return static_cast<int>(c - Ch('a')) + 10;
    }
    if (c >= Ch('A') && c <= Ch('F')) {
        return static_cast<int>(c - Ch('A')) + 10;
    }
    return -1;
}

template <typename Ch> std::basic_string_view<Ch> Trim(std::basic_string_view<Ch> text) {
    size_t b = 0;
    size_t e = text.size();
    while (b < e && IsSpace(text[b])) {
        ++b;
    }
    while (e > b && IsSpace(text[e - 1])) {
        --e;
    }
    return text.substr(b, e - b);
}

template <typename Ch> int32_t HexSaturating(std::basic_string_view<Ch> t) {
    size_t i = 0;
    while (i < t.size() && IsSpace(t[i])) {
        ++i;
    }
    bool negative = false;
    if (i < t.size() && (t[i] == Ch('+') || t[i] == Ch('-'))) {
        negative = t[i] == Ch('-');
        ++i;
    }
    // The prefix counts only when a digit follows it, as the C conversion reads it.
    if (i + 2 < t.size() + 0 && t[i] == Ch('0') && (t[i + 1] == Ch('x') || t[i + 1] == Ch('X')) &&
        HexDigit(t[i + 2]) >= 0) {
        i += 2;
    }
    int64_t value = 0;
    const int64_t limit = negative ? int64_t(INT32_MAX) + 1 : int64_t(INT32_MAX);
    for (; i < t.size(); ++i) {
        const int d = HexDigit(t[i]);
        if (d < 0) {
            break;
        }
        value = value * 16 + d;
        if (value > limit) {
            value = limit;
        }
    }
    return static_cast<int32_t>(negative ? -value : value);
}

template <typename Ch> uint32_t HexWord(std::basic_string_view<Ch> t) {
    if (t.size() < 2 || t[0] != Ch('0') || t[1] != Ch('x')) {
        return 0;
    }
    size_t i = 2;
    if (i + 2 < t.size() && t[i] == Ch('0') && (t[i + 1] == Ch('x') || t[i + 1] == Ch('X')) &&
        HexDigit(t[i + 2]) >= 0) {
        i += 2;
    }
    uint64_t value = 0;
    for (; i < t.size(); ++i) {
        const int d = HexDigit(t[i]);
        if (d < 0) {
            break;
        }
        value = value * 16 + static_cast<uint64_t>(d);
        if (value > UINT32_MAX) {
            value = UINT32_MAX;
        }
    }
    return static_cast<uint32_t>(value);
}

// The byte splitter runs once per record line and field: one pass, no searching twice.
void SplitBytes(std::string_view text, char separator, std::vector<std::string_view>& out) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p <= end) {
        const char* b = p;
        const void* hit = std::memchr(p, separator, static_cast<size_t>(end - p));
        p = hit ? static_cast<const char*>(hit) : end;
        const char* e = p;
        while (b < e && IsSpace(*b)) {
            ++b;
        }
        while (e > b && IsSpace(e[-1])) {
            --e;
        }
        if (e > b) {
            out.emplace_back(b, static_cast<size_t>(e - b));
        }
        ++p;
    }
}

template <typename Ch, typename Out>
void SplitImpl(std::basic_string_view<Ch> text, Ch separator, Out&& add) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::basic_string_view<Ch>::npos) {
            end = text.size();
        }
        const auto piece = Trim(text.substr(start, end - start));
        if (!piece.empty()) {
            add(piece);
        }
        start = end + 1;
    }
}

} // namespace

bool CRecordLineCursor::NextLine(std::string_view& line) {
    if (m_bDone) {
        return false;
    }
    const size_t n = m_text.size();
    const void* hit = std::memchr(m_text.data() + m_pos, ',', n - m_pos);
    const size_t end = hit ? static_cast<size_t>(static_cast<const char*>(hit) - m_text.data()) : n;
    line = m_text.substr(m_pos, end - m_pos);
    m_pos = end + 1;
    m_bDone = end >= n;
    return true;
}

void CRecordLineCursor::SplitRecordLine(std::string_view line,
                                        std::vector<std::string_view>& fields) {
    // Trimming each field at both ends gives the same fields as trimming the line first
    // and its fields after, since a tab is white space too.
    fields.clear();
    SplitBytes(line, '\t', fields);
}

bool CRecordLineCursor::Next(std::vector<std::string_view>& fields) {
    std::string_view line;
    while (NextLine(line)) {
        SplitRecordLine(line, fields);
        if (!fields.empty()) {
            return true;
        }
    }
    fields.clear();
    return false;
}

std::vector<std::string_view> SplitTrimmed(std::string_view text, char separator) {
    std::vector<std::string_view> out;
    SplitTrimmedInto(text, separator, out);
    return out;
}

void SplitTrimmedInto(std::string_view text, char separator, std::vector<std::string_view>& out) {
    out.clear();
    SplitBytes(text, separator, out);
}

std::vector<std::wstring> SplitTrimmed(std::wstring_view text, wchar_t separator) {
    std::vector<std::wstring> out;
    SplitImpl(text, separator, [&](std::wstring_view p) { out.emplace_back(p); });
    return out;
}

int32_t ParseHexSaturating(std::string_view text) {
    return HexSaturating(text);
}
int32_t ParseHexSaturating(std::wstring_view text) {
    return HexSaturating(text);
}
uint32_t ParseHexWord(std::string_view text) {
    return HexWord(text);
}
uint32_t ParseHexWord(std::wstring_view text) {
    return HexWord(text);
}

int32_t ParseDecimalPrefix(std::wstring_view t) {
    size_t i = 0;
    while (i < t.size() && IsSpace(t[i])) {
        ++i;
    }
    bool negative = false;
    if (i < t.size() && (t[i] == L'+' || t[i] == L'-')) {
        negative = t[i] == L'-';
        ++i;
    }
    int64_t value = 0;
    const int64_t limit = negative ? int64_t(INT32_MAX) + 1 : int64_t(INT32_MAX);
    for (; i < t.size() && t[i] >= L'0' && t[i] <= L'9'; ++i) {
        value = value * 10 + (t[i] - L'0');
        if (value > limit) {
            value = limit;
        }
    }
    return static_cast<int32_t>(negative ? -value : value);
}

int32_t ParseCodeNumber(std::wstring_view text) {
    if (text.size() >= 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        return ParseHexSaturating(text.substr(2));
    }
    return ParseDecimalPrefix(text);
}

SSegmentNumber ExtractSegmentNumber(std::wstring_view key, int segment) {
    SSegmentNumber out;
    int64_t number = 0;
    int underscores = 0;
    for (const wchar_t c : key) {
        if (c == L'_') {
            ++underscores;
            out.rest.push_back(c);
        } else if (underscores == segment && c >= L'0' && c <= L'9') {
            number = number * 10 + (c - L'0');
            if (number > INT32_MAX) {
                number = INT32_MAX;
            }
        } else {
            out.rest.push_back(c);
        }
    }
    if (underscores == segment && !out.rest.empty()) {
        out.rest.pop_back();
    }
    out.number = static_cast<int32_t>(number);
    return out;
}

} // namespace sondex
