#pragma once

#include "DrvStgRegistry.h"
#include "LaneSwapMap.h"

#include <memory>

namespace quillon {

/// The drive-strength registry and the byte-lane swap map as a scan left them. A page list
/// keeps one from the end of its successful scan and hands it to the analysis and the drawing
/// of its pages, so what is shown never changes under a later scan, which empties and refills
/// the process-wide objects first (even when it then fails).
class CScanSnapshot {
public:
    /// An empty registry and an empty swap map (every lane shown as itself).
    CScanSnapshot() = default;
    CScanSnapshot(const CDrvStgRegistry& registry, const CLaneSwapMap& swap)
        : m_registry(registry), m_swap(swap) {}

    /// A copy of the process-wide registry and swap map as they are now.
    [[nodiscard]] static std::shared_ptr<const CScanSnapshot> TakeProcessWide();

    [[nodiscard]] const CDrvStgRegistry& DrvStgs() const { return m_registry; }
    [[nodiscard]] const CLaneSwapMap& LaneSwap() const { return m_swap; }

private:
    CDrvStgRegistry m_registry;
    CLaneSwapMap m_swap;
};

} // namespace quillon
