#include "LogDataDDR.h"

namespace quillon {

ColorRef CLogDataDDR::GetColor() const {
    switch (m_nPassFlag) {
    case 1:
        return kColorPass;
    case 0:
        return kColorFail;
    default:
        return kColorNoData;
    }
}

} // namespace quillon
