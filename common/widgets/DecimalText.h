#pragma once

#include <climits>
#include <cstddef>
#include <string>

namespace widgets {

// Decimal value of a text as the settings' colour texts and the version number read it:
// leading blanks, a sign, digits; anything else ends it; no digits give 0; out-of-range
// values stop at the int limits.
[[nodiscard]] inline int DecimalValue(const std::wstring& strText) {
    std::size_t i = 0;
    while (i < strText.size() && (strText[i] == L' ' || strText[i] == L'\t')) {
        ++i;
    }
    bool bNegative = false;
    if (i < strText.size() && (strText[i] == L'-' || strText[i] == L'+')) {
        bNegative = strText[i] == L'-';
        ++i;
    }
    long long nValue = 0;
    for (; i < strText.size() && strText[i] >= L'0' && strText[i] <= L'9'; ++i) {
        nValue = nValue * 10 + (strText[i] - L'0');
        if (nValue > static_cast<long long>(INT_MAX) + 1) {
            nValue = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (bNegative) {
        nValue = -nValue;
    }
    return static_cast<int>(nValue > INT_MAX ? INT_MAX : nValue);
}

} // namespace widgets
