#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The encodings a hand-edited text file (a settings file, a project configuration) may come
// in from the engineers' Windows machines, how a file's encoding is told from its bytes, and
// conversions between those bytes and wide text.

enum class ETextEncoding {
    Utf8,
    Utf16Le,
    Utf16Be,
    // The Chinese Windows code page. Read as GB18030, its superset, so whatever such a system
    // or a newer editor saved decodes; written as GBK, so the file stays readable there.
    Gbk,
};

/// "UTF-8", "UTF-16LE", "UTF-16BE" or "GBK", for messages.
[[nodiscard]] const wchar_t* TextEncodingName(ETextEncoding encoding);

struct STextDetection {
    ETextEncoding encoding = ETextEncoding::Utf8;
    size_t bomBytes = 0;   // byte-order mark at the start of the bytes
    size_t strayBytes = 0; // bytes that form no character of the encoding
};

/// The encoding of a file's bytes: a UTF-8 byte-order mark or valid UTF-8 is UTF-8; a UTF-16
/// LE or BE byte-order mark is UTF-16; bytes that decode as GB18030 are GBK. Bytes that are
/// none of these get whichever of UTF-8 and GBK leaves fewer stray bytes (UTF-8 on a tie),
/// and strayBytes says how many there are.
[[nodiscard]] STextDetection DetectTextEncoding(std::string_view bytes);

/// Bytes (without byte-order mark) to wide text. A byte that forms no character becomes the
/// character of the same value, as UTF-8 reading does everywhere, so nothing is lost;
/// strayBytes, when given, receives how many there were. In UTF-16 a trailing odd byte and
/// an unpaired surrogate are strays; in GBK the single byte 0x80 is the euro sign, as the
/// Windows code page has it.
[[nodiscard]] std::wstring DecodeText(std::string_view bytes, ETextEncoding encoding,
                                      size_t* strayBytes = nullptr);

/// Wide text to bytes of the encoding (no byte-order mark). Nothing when a character cannot
/// be held by the encoding (any character outside GBK; in every encoding a surrogate or a
/// value beyond U+10FFFF); firstUnheld then receives its index.
[[nodiscard]] std::optional<std::string> EncodeText(std::wstring_view text, ETextEncoding encoding,
                                                    size_t* firstUnheld = nullptr);

