#pragma once

#include "NumberText.h"

#include <string>

namespace widgets {

// Decimal value of a text as the settings' colour texts and the version number read it:
// only spaces and tabs may open the number (a line break before it gives 0).
[[nodiscard]] inline int DecimalValue(const std::wstring& strText) {
    return ParseDecimalInt(strText, ELeadingBlanks::kSpaceTab);
}

} // namespace widgets
