#include "LogDataOrlo.h"

#include "OrloGridCells.h"

namespace orlo {

uint32_t CLogDataOrlo::GetColor() const {
    if (m_nState == 0) {
        return kOrloRed;
    }
    return m_nState == 1 ? kOrloGreen : kOrloWhite;
}

} // namespace orlo
