#pragma once

#include <cstdarg>
#include <filesystem>
#include <string>
#include <string_view>

// Text conversions used across the engines. Wide text is std::wstring; the narrow encoding
// of this platform is UTF-8; log files are single-byte text (one byte = one character).

/// UTF-8 bytes to wide text; a byte that is not part of a valid sequence becomes the
/// character of the same value, so nothing is ever lost or refused. strayBytes, when given,
/// receives the number of such bytes (0: the text is valid UTF-8).
[[nodiscard]] std::wstring Utf8ToWide(std::string_view text, size_t* strayBytes = nullptr);
/// Wide text to UTF-8 bytes; characters outside Unicode become U+FFFD.
[[nodiscard]] std::string WideToUtf8(std::wstring_view text);
/// One byte becomes one character of the same value (how log files are read).
[[nodiscard]] std::wstring BytesToWide(std::string_view bytes);

/// Paths to and from wide text through UTF-8, independent of the C++ locale. A path is
/// bytes: a byte that is not UTF-8 (a GBK name from a USB stick) is carried as U+DC80 +
/// (byte - 0x80), so WideToPath(PathToWide(p)) == p for every path. WideToUtf8 shows such a
/// byte as U+FFFD.
[[nodiscard]] std::wstring PathToWide(const std::filesystem::path& path);
[[nodiscard]] std::filesystem::path WideToPath(std::wstring_view text);
/// A wide path (or name) as shown to the user: the carried bytes become U+FFFD.
[[nodiscard]] std::wstring PathDisplayName(std::wstring_view text);

/// printf-style formatting into a std::wstring. Note: glibc reads "%s" in a wide format
/// as a narrow string; pass wide strings with "%ls".
[[nodiscard]] std::wstring FormatW(const wchar_t* format, ...);
[[nodiscard]] std::wstring VFormatW(const wchar_t* format, va_list args);
/// printf-style formatting into a narrow std::string.
[[nodiscard]] std::string Format(const char* format, ...);

/// ASCII-only case folding, as the designs compare names "without regard to case".
[[nodiscard]] std::wstring ToUpperAscii(std::wstring_view text);
[[nodiscard]] std::wstring ToLowerAscii(std::wstring_view text);
[[nodiscard]] bool EqualsNoCase(std::wstring_view a, std::wstring_view b);

/// Removes the given characters from both ends.
[[nodiscard]] std::wstring TrimChars(std::wstring_view text, std::wstring_view chars);
/// Removes blanks and tabs from both ends.
[[nodiscard]] std::wstring TrimBlanks(std::wstring_view text);

/// UTF-16 code units of a wide text (characters above U+FFFF become surrogate pairs, values
/// beyond U+10FFFF U+FFFD).
[[nodiscard]] std::u16string ToUtf16(std::wstring_view text);
/// Wide text of UTF-16 code units (pairs joined; a lone surrogate is kept as it is).
[[nodiscard]] std::wstring FromUtf16(std::u16string_view text);
