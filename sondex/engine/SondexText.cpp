#include "SondexText.h"

#include "NumberText.h"

#include <climits>
#include <cstring>

namespace sondex {
namespace {

template <typename Ch> bool IsSpace(Ch c) {
    return c == Ch(' ') || c == Ch('\t') || c == Ch('\n') || c == Ch('\r') || c == Ch('\v') ||
           c == Ch('\f');
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

int32_t ParseCodeNumber(std::wstring_view text) {
    if (text.size() >= 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        return static_cast<int32_t>(ParseHex(text.substr(2), kHexConversion).value_or(0));
    }
    return ParseDecimalInt(text);
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
