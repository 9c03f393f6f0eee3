#pragma once

#include <cstdint>

namespace quillon {

/// Colours are 0x00BBGGRR values (red in the low byte).
using ColorRef = uint32_t;
inline constexpr ColorRef kColorPass = 0x00FF00;   ///< green
inline constexpr ColorRef kColorFail = 0x0000FF;   ///< red
inline constexpr ColorRef kColorNoData = 0xFFFFFF; ///< white

/// One cell record of a page: what one data line (or one merge) says about a cell.
class CLogDataBase {
public:
    CLogDataBase() = default;
    virtual ~CLogDataBase() = default;
    CLogDataBase(const CLogDataBase&) = delete;
    CLogDataBase& operator=(const CLogDataBase&) = delete;

    /// The colour the record gives its cell.
    [[nodiscard]] virtual ColorRef GetColor() const = 0;
};

} // namespace quillon
