#pragma once

#include <map>

namespace quillon {

/// The process-wide byte-lane swap map: memory byte lane -> chip byte lane, from the SwapByte
/// keys of the settings file. Rebuilt at the start of every DDR scan; the result panel and the
/// chart pages relabel lanes through it.
class CLaneSwapMap {
public:
    /// Reads SwapByte/MemByte0..3; when their lane numbers do not add up to 6, shows "Byte
    /// exchange order error, arrange in original order" and uses the identity map.
    void Rebuild();
    /// The chip lane of memory lane, or lane itself when the map has no entry for it.
    [[nodiscard]] int Swap(int lane) const;
    [[nodiscard]] const std::map<int, int>& Map() const { return m_mapLanes; }
    void SetIdentity();
    void Clear() { m_mapLanes.clear(); }

private:
    std::map<int, int> m_mapLanes;
};

/// The process-wide swap map, created (empty) on first use.
[[nodiscard]] CLaneSwapMap& GetLaneSwapMap();

} // namespace quillon
