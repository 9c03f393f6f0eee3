#include "NumberText.h"

#include <cctype>
#include <climits>
#include <cwctype>

namespace numbertext_detail {

namespace {

template <class Ch> bool IsAsciiSpace(Ch c) {
    return c == Ch(' ') || c == Ch('\t') || c == Ch('\n') || c == Ch('\v') || c == Ch('\f') ||
           c == Ch('\r');
}

} // namespace

bool IsLeadingBlank(wchar_t c, ELeadingBlanks blanks) {
    switch (blanks) {
    case ELeadingBlanks::kNone:
        return false;
    case ELeadingBlanks::kSpaceTab:
        return c == L' ' || c == L'\t';
    case ELeadingBlanks::kAsciiSpace:
        return IsAsciiSpace(c);
    case ELeadingBlanks::kLocaleSpace:
        return std::iswspace(static_cast<wint_t>(c)) != 0;
    }
    return false;
}

bool IsLeadingBlank(char c, ELeadingBlanks blanks) {
    switch (blanks) {
    case ELeadingBlanks::kNone:
        return false;
    case ELeadingBlanks::kSpaceTab:
        return c == ' ' || c == '\t';
    case ELeadingBlanks::kAsciiSpace:
        return IsAsciiSpace(c);
    case ELeadingBlanks::kLocaleSpace:
        return std::isspace(static_cast<unsigned char>(c)) != 0;
    }
    return false;
}

} // namespace numbertext_detail

int32_t ParseDecimalInt(std::wstring_view text, ELeadingBlanks blanks) {
    const size_t n = text.size();
    size_t i = 0;
    while (i < n && numbertext_detail::IsLeadingBlank(text[i], blanks)) {
        ++i;
    }
    bool negative = false;
    if (i < n && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    }
    // Held just above the largest magnitude any result can have, so it never overflows.
    constexpr long long kHeld = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    for (; i < n && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - L'0');
        if (magnitude > kHeld) {
            magnitude = kHeld;
        }
    }
    if (negative) {
        return static_cast<int32_t>(-magnitude);
    }
    return static_cast<int32_t>(magnitude > INT_MAX ? INT_MAX : magnitude);
}
