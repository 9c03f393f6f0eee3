#include "DrvStgRegistry.h"

namespace quillon {

void CDrvStgRegistry::Register(int value) {
    if (m_mapOrdinals.count(value) != 0) {
        return;
    }
    const int ordinal = m_mapOrdinals.empty() ? 0 : m_mapOrdinals.rbegin()->second + 1;
    m_mapOrdinals.emplace(value, ordinal);
}

int CDrvStgRegistry::ValueOfOrdinal(int ordinal) const {
    for (const auto& [value, ord] : m_mapOrdinals) {
        if (ord == ordinal) {
            return value;
        }
    }
    return -1;
}

bool CDrvStgRegistry::OrdinalOf(int value, int& ordinal) const {
    const auto it = m_mapOrdinals.find(value);
    if (it == m_mapOrdinals.end()) {
        return false;
    }
    ordinal = it->second;
    return true;
}

int CDrvStgRegistry::GetDDRKind() const {
    if (m_mapOrdinals.size() == 2) {
        return kDdrKindDDR3;
    }
    if (m_mapOrdinals.count(34) != 0) {
        return kDdrKindDDR2;
    }
    if (m_mapOrdinals.count(31) != 0) {
        return kDdrKindDDR1;
    }
    return kDdrKindNone;
}

CDrvStgRegistry& GetDrvStgRegistry() {
    static CDrvStgRegistry registry;
    return registry;
}

} // namespace quillon
