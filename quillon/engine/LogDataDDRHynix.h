#pragma once

#include "LogDataBase.h"

namespace quillon {

/// A Hynix cell record: the pass flag of one data line, 1 pass, 0 fail. A class of its own:
/// the Hynix page tests only these records and the DDR page only CLogDataDDR.
class CLogDataDDRHynix : public CLogDataBase {
public:
    explicit CLogDataDDRHynix(int passFlag) : m_nPassFlag(passFlag) {}

    [[nodiscard]] int GetPassFlag() const { return m_nPassFlag; }
    /// Green for a pass, red for a fail, white for any other flag value.
    [[nodiscard]] ColorRef GetColor() const override;

private:
    int m_nPassFlag;
};

} // namespace quillon
