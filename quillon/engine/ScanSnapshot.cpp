#include "ScanSnapshot.h"

std::shared_ptr<const CScanSnapshot> CScanSnapshot::TakeProcessWide() {
    return std::make_shared<const CScanSnapshot>(GetDrvStgRegistry(), GetLaneSwapMap());
}
