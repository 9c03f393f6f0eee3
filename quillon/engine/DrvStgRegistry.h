#pragma once

#include <map>

namespace quillon {

/// DDR kinds recognised from the drive strengths of a scan (they replace the log type).
enum EDdrKind : int {
    kDdrKindNone = -1,
    kDdrKindDDR1 = 0,
    kDdrKindDDR2 = 1,
    kDdrKindDDR3 = 2,
};

/// The process-wide registry of the drive strengths (drv_stg values) of a scan: it gives each
/// value the ordinal of its row inside a byte lane. Emptied at the start of every DDR and
/// Hynix scan, filled while the logs are read, read by every analysis after the scan.
class CDrvStgRegistry {
public:
    void Clear() { m_mapOrdinals.clear(); }
    /// A new value gets the ordinal of the largest value present plus 1 (0 for the first);
    /// a known value keeps its ordinal.
    void Register(int value);
    /// The first value, in ascending order, whose ordinal is ordinal; -1 when none has it.
    [[nodiscard]] int ValueOfOrdinal(int ordinal) const;
    /// The ordinal of value; false when it is not registered.
    [[nodiscard]] bool OrdinalOf(int value, int& ordinal) const;
    /// kDdrKindDDR3 for exactly two values, else DDR2 when 34 is present, else DDR1 when 31
    /// is present, else kDdrKindNone.
    [[nodiscard]] int GetDDRKind() const;
    [[nodiscard]] const std::map<int, int>& Map() const { return m_mapOrdinals; }
    [[nodiscard]] bool Empty() const { return m_mapOrdinals.empty(); }

private:
    std::map<int, int> m_mapOrdinals; ///< drv_stg value -> ordinal
};

/// The process-wide registry, created on first use.
[[nodiscard]] CDrvStgRegistry& GetDrvStgRegistry();

} // namespace quillon
