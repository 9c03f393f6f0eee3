#pragma once

#include <cstdint>

namespace orlo {

/// The cell object of the grids: red for state 0, green for state 1, white otherwise.
class CLogDataOrlo {
public:
    explicit CLogDataOrlo(int state) : m_nState(state) {}
    virtual ~CLogDataOrlo() = default;
    [[nodiscard]] virtual uint32_t GetColor() const;

    int m_nState;
};

} // namespace orlo
