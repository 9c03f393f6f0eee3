#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Numbers read from the start of a text: settings values, log fields, panel texts. Every
// reader of the system goes through the two functions below; where callers read differently
// (which blanks open the text, whether a sign or a "0x" may appear, how an out-of-range
// number is held) the difference is a named rule, so that a change to one rule is made once.

/// Blanks skipped before a number.
enum class ELeadingBlanks {
    kNone,        ///< the number must open the text
    kSpaceTab,    ///< ' ' and tab only (colour and version texts, typed maxima)
    kAsciiSpace,  ///< the C white-space set: ' ', tab, LF, VT, FF, CR (settings values)
    kLocaleSpace, ///< whatever iswspace calls white space in the current locale
};

/// A leading signed decimal number: blanks, an optional '+' or '-', digits up to the first
/// other character. 0 when no digit follows; held at the int32 limits.
/// The default blanks are those of the settings values.
[[nodiscard]] int32_t ParseDecimalInt(std::wstring_view text,
                                      ELeadingBlanks blanks = ELeadingBlanks::kAsciiSpace);

/// Where a hexadecimal number's "0x" stands.
enum class EHexPrefix {
    /// The text opens with "0x" (lower-case x) as "0x%X" prints it; after it and the sign,
    /// a second "0x" / "0X" directly before a digit is skipped, as %X reads.
    kPrinted,
    /// After the blanks and the sign, "0x" / "0X" is skipped when a digit follows it.
    kOptional,
};

/// Whether a sign may stand before the hexadecimal digits.
enum class EHexSign {
    kNone,     ///< a sign ends the number before any digit
    kAccepted, ///< '+' or '-'
};

/// How a hexadecimal number beyond 32 bits is held.
enum class EHexRange {
    /// The magnitude stops at 0xFFFFFFFF; a negative number then wraps modulo 2^32, as %X
    /// stores it.
    kWord,
    /// Held at 0x7FFFFFFF, or at -0x80000000 when negative, as a base-16 C conversion held
    /// to a 32-bit int.
    kInt32,
};

struct SHexRule {
    ELeadingBlanks eBlanks;
    EHexPrefix ePrefix;
    EHexSign eSign;
    EHexRange eRange;
};

/// "NAME=0x.." fields of the scan logs, read as "0x%X".
inline constexpr SHexRule kHexPrinted{ELeadingBlanks::kNone, EHexPrefix::kPrinted,
                                      EHexSign::kAccepted, EHexRange::kWord};
/// Ranges and lists of the Sondex project configuration: "0x%X" without a sign, so that a
/// '-' in a range reads as 0 rather than as a huge code.
inline constexpr SHexRule kHexPrintedUnsigned{ELeadingBlanks::kNone, EHexPrefix::kPrinted,
                                              EHexSign::kNone, EHexRange::kWord};
/// Codes of the Sondex log header and pin lines: a base-16 C conversion kept to an int32.
inline constexpr SHexRule kHexConversion{ELeadingBlanks::kAsciiSpace, EHexPrefix::kOptional,
                                         EHexSign::kAccepted, EHexRange::kInt32};
/// Maxima typed into the eMMC panel: blanks, an optional "0x", unsigned.
inline constexpr SHexRule kHexTypedMaximum{ELeadingBlanks::kSpaceTab, EHexPrefix::kOptional,
                                           EHexSign::kNone, EHexRange::kWord};

namespace numbertext_detail {

template <class Ch> [[nodiscard]] inline int HexDigitValue(Ch c) {
    if (c >= Ch('0') && c <= Ch('9')) {
        return static_cast<int>(c - Ch('0'));
    }
    if (c >= Ch('a') && c <= Ch('f')) {
        return static_cast<int>(c - Ch('a')) + 10;
    }
    if (c >= Ch('A') && c <= Ch('F')) {
        return static_cast<int>(c - Ch('A')) + 10;
    }
    return -1;
}

[[nodiscard]] bool IsLeadingBlank(wchar_t c, ELeadingBlanks blanks);
[[nodiscard]] bool IsLeadingBlank(char c, ELeadingBlanks blanks);

template <class Ch>
[[nodiscard]] inline std::optional<uint32_t> ParseHexChars(std::basic_string_view<Ch> text,
                                                           const SHexRule& rule) {
    const size_t n = text.size();
    size_t i = 0;
    if (rule.eBlanks != ELeadingBlanks::kNone) {
        while (i < n && numbertext_detail::IsLeadingBlank(text[i], rule.eBlanks)) {
            ++i;
        }
    }
    if (rule.ePrefix == EHexPrefix::kPrinted) {
        if (i + 2 > n || text[i] != Ch('0') || text[i + 1] != Ch('x')) {
            return std::nullopt;
        }
        i += 2;
    }
    bool negative = false;
    if (rule.eSign == EHexSign::kAccepted && i < n && (text[i] == Ch('-') || text[i] == Ch('+'))) {
        negative = text[i] == Ch('-');
        ++i;
    }
    if (i + 2 < n && text[i] == Ch('0') && (text[i + 1] == Ch('x') || text[i + 1] == Ch('X')) &&
        HexDigitValue(text[i + 2]) >= 0) {
        i += 2;
    }
    // The magnitude is held at 2^32, above every limit below, so it never overflows.
    uint64_t magnitude = 0;
    bool any = false;
    for (; i < n; ++i) {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0) {
            break;
        }
        any = true;
        magnitude = magnitude * 16u + static_cast<uint64_t>(digit);
        if (magnitude > 0x100000000ull) {
            magnitude = 0x100000000ull;
        }
    }
    if (!any) {
        return std::nullopt;
    }
    if (rule.eRange == EHexRange::kWord) {
        const auto word =
            static_cast<uint32_t>(magnitude > 0xFFFFFFFFull ? 0xFFFFFFFFull : magnitude);
        return negative ? 0u - word : word;
    }
    const uint64_t limit = negative ? 0x80000000ull : 0x7FFFFFFFull;
    const uint64_t held = magnitude > limit ? limit : magnitude;
    return negative ? static_cast<uint32_t>(0u - static_cast<uint32_t>(held))
                    : static_cast<uint32_t>(held);
}

} // namespace numbertext_detail

/// A hexadecimal number at the start of text under rule: blanks, the "0x" the rule asks for,
/// the sign it allows, hexadecimal digits up to the first other character. The 32 bits of
/// the value (an int32 result as its two's complement); nothing when no digit was read.
/// Byte text and wide text read alike. Inline: the eMMC scan reads four per log line.
[[nodiscard]] inline std::optional<uint32_t> ParseHex(std::string_view text, const SHexRule& rule) {
    return numbertext_detail::ParseHexChars(text, rule);
}
[[nodiscard]] inline std::optional<uint32_t> ParseHex(std::wstring_view text,
                                                      const SHexRule& rule) {
    return numbertext_detail::ParseHexChars(text, rule);
}
