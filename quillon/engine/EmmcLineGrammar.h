#pragma once

#include "LogText.h"
#include "NumberText.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// The text of an eMMC scan line: four "NAME=0x.." values and one error flag "(W)".
// Lines are single-byte text, so the same rules serve byte lines and wide lines.

/// The four error-flag tags of the eMMC panel, in matching order W, R, C, Y.
struct SEmmcTags {
    std::wstring strW; ///< write error, code 1
    std::wstring strR; ///< read error, code 0
    std::wstring strC; ///< check error, code 2
    std::wstring strY; ///< no error, code 3
};

/// Error codes of an eMMC record.
enum EEmmcErrorCode : int32_t {
    kEmmcNoResult = -1, ///< the merge's stand-in for a log that has no record there
    kEmmcReadError = 0,
    kEmmcWriteError = 1,
    kEmmcCheckError = 2,
    kEmmcNoError = 3,
};

/// Log modes: 0 the log marks passing settings (Y only), 1 it marks errors (W, R, C),
/// 2 it marks both (all four); -1 any other combination of non-empty tags.
[[nodiscard]] int32_t EmmcLogMode(const SEmmcTags& tags);

/// The value of the field whose name was found at pos (nameLength characters): its field text
/// read as "0x%X". 0 when it cannot be read. Inline: the scan reads four per line.
template <class Ch>
[[nodiscard]] inline uint32_t ReadEmmcValueAt(std::basic_string_view<Ch> line, size_t pos,
                                              size_t nameLength) {
    return ParseHex(HexFieldText(line, pos + nameLength), kHexPrinted).value_or(0);
}

/// The value after the first occurrence of name, as ReadEmmcValueAt reads it; 0 when the
/// name does not occur.
template <class Ch>
[[nodiscard]] uint32_t ReadEmmcValue(std::basic_string_view<Ch> line,
                                     std::basic_string_view<Ch> name);

/// How a line's flag was read.
enum class EEmmcFlag {
    kCode,    ///< a tag matched; the code is set
    kNoParen, ///< no "(" in the line: the scan's last matched code applies
    kNoMatch, ///< a flag that matches no tag, or a "(" among the last two characters
};

struct SEmmcFlagResult {
    EEmmcFlag eKind = EEmmcFlag::kNoMatch;
    int32_t nCode = 0;
};

/// Tags converted to the line's character type; a tag holding a character that the line
/// type cannot hold never matches.
template <class Ch> struct TEmmcLineTags {
    std::basic_string<Ch> tags[4]; ///< W, R, C, Y
    bool usable[4] = {false, false, false, false};
};

[[nodiscard]] TEmmcLineTags<char> MakeEmmcByteTags(const SEmmcTags& tags);
[[nodiscard]] TEmmcLineTags<wchar_t> MakeEmmcWideTags(const SEmmcTags& tags);

/// The flag is the first "(" with the two characters after it; the first non-empty tag (in
/// the order W, R, C, Y) that occurs inside those three characters gives the code.
template <class Ch>
[[nodiscard]] SEmmcFlagResult ReadEmmcFlag(std::basic_string_view<Ch> line,
                                           const TEmmcLineTags<Ch>& tags);

/// Text as bytes when every character fits in one byte (log lines are read that way).
[[nodiscard]] std::optional<std::string> EmmcWideToBytes(std::wstring_view text);

} // namespace quillon
