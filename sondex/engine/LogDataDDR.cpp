#include "LogDataDDR.h"

namespace sondex {

uint32_t CLogDataDDR::GetColor() const {
    if (m_nState == kFail) {
        return 0x0000FF;
    }
    if (m_nState == kPass) {
        return 0x00FF00;
    }
    return 0xFFFFFF;
}

} // namespace sondex
