#pragma once

#include <cstdint>

namespace sondex {

/// One result of a scan-table cell as printed in a record line.
class CLogDataDDR {
public:
    static constexpr int32_t kFail = 0;
    static constexpr int32_t kPass = 1;
    static constexpr int32_t kOther = 2; ///< neither pass nor fail

    explicit CLogDataDDR(int32_t state) : m_nState(state) {}
    virtual ~CLogDataDDR() = default;

    [[nodiscard]] int32_t GetState() const { return m_nState; }
    /// Cell colour as 0x00BBGGRR: red for fail, green for pass, white for any other state.
    [[nodiscard]] virtual uint32_t GetColor() const;

private:
    int32_t m_nState;
};

} // namespace sondex
