#include "ScanSnapshot.h"

namespace quillon {

std::shared_ptr<const CScanSnapshot> CScanSnapshot::TakeProcessWide() {
    return std::make_shared<const CScanSnapshot>(GetDrvStgRegistry(), GetLaneSwapMap());
}

} // namespace quillon
