#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sondex {

/// The configured values of one scanned parameter ("<DDR type>_<pin name>").
class CValueRange {
public:
    static constexpr int kMaxValues = 256;

    CValueRange(std::wstring name, std::vector<int32_t> values);

    [[nodiscard]] const std::wstring& GetName() const { return m_strName; }
    [[nodiscard]] int GetCount() const { return static_cast<int>(m_vecValues.size()); }
    [[nodiscard]] const std::vector<int32_t>& GetValues() const { return m_vecValues; }
    [[nodiscard]] int32_t GetValue(int index) const {
        return m_vecValues[static_cast<size_t>(index)];
    }

    bool operator==(const CValueRange&) const = default;

private:
    std::wstring m_strName;
    std::vector<int32_t> m_vecValues; ///< at most kMaxValues, in configured order
};

} // namespace sondex
