#include "ValueRange.h"

namespace sondex {

CValueRange::CValueRange(std::wstring name, std::vector<int32_t> values)
    : m_strName(std::move(name)), m_vecValues(std::move(values)) {
    if (m_vecValues.size() > static_cast<size_t>(kMaxValues)) {
        m_vecValues.resize(kMaxValues);
    }
}

} // namespace sondex
