#pragma once

#include "LogDataBase.h"

namespace quillon {

/// A DDR cell record: the pass flag of one data line, 1 pass, 0 fail.
class CLogDataDDR final : public CLogDataBase {
public:
    explicit CLogDataDDR(int passFlag) : m_nPassFlag(passFlag) {}

    [[nodiscard]] int GetPassFlag() const { return m_nPassFlag; }
    /// Green for a pass, red for a fail, white for any other flag value.
    [[nodiscard]] ColorRef GetColor() const override;

private:
    int m_nPassFlag;
};

} // namespace quillon
