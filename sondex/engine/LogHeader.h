#pragma once

#include <cstdint>
#include <string>

namespace sondex {

/// The four header values of a KestinX log, copied into every table of the log.
struct LogHeader {
    std::wstring project; ///< project name looked up from the first header line
    std::wstring ddrType; ///< configured DDR type name, for example "Lpddr3"
    std::wstring clock;   ///< decimal text of the memory clock in MHz
    int32_t tcnt = 0;     ///< time step of one scan row in picoseconds

    bool operator==(const LogHeader&) const = default;
};

} // namespace sondex
