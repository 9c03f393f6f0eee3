#include "LogDataDDRHynix.h"

namespace quillon {

ColorRef CLogDataDDRHynix::GetColor() const {
    switch (m_nPassFlag) {
    case 0:
        return kColorFail;
    case 1:
        return kColorPass;
    default:
        return kColorNoData;
    }
}

} // namespace quillon
