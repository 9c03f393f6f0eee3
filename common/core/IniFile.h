#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The ini reader and writer behind every settings file. It keeps the private-profile
// behaviours the programs rely on: section and key names compare without regard to case,
// a value is the text after '=' without surrounding blanks, reads give the caller's
// default for a missing file, section or key, texts arrive cut to a fixed buffer, and
// writes change only the one key line (or add the file, section or key) and keep every
// other byte of the file. Lines starting with ';' or '#' are comments.
//
// A file may be UTF-8 (with or without byte-order mark), UTF-16 LE or BE with byte-order
// mark, or GBK as a Chinese Windows system saves it (DetectTextEncoding tells which); writes
// keep the file's encoding, byte-order mark and line endings. A file that is none of these
// is read as the closer of UTF-8 and GBK, each stray byte as the character of the same
// value, with one tool-log line; writes into it keep every other byte as well.

namespace ini {

/// A text value as read into a buffer of bufferChars characters: at most bufferChars - 1
/// characters arrive (the default too is cut so). bufferChars 0 gives an empty text. One
/// pair of double quotes around the value is taken off; the default arrives without its
/// trailing blanks.
[[nodiscard]] std::wstring ReadString(const std::filesystem::path& file, std::wstring_view section,
                                      std::wstring_view key, std::wstring_view defaultValue,
                                      size_t bufferChars = 256);

/// An integer value: the default when the key does not exist, otherwise the number formed
/// by the value's leading decimal digits after an optional '-' or '+' (0 when there are
/// none), read inside a pair of surrounding double quotes as ReadString reads the text.
/// Numbers wrap at 32 bits.
[[nodiscard]] int ReadInt(const std::filesystem::path& file, std::wstring_view section,
                          std::wstring_view key, int defaultValue);

/// True when the key exists in the section.
[[nodiscard]] bool HasKey(const std::filesystem::path& file, std::wstring_view section,
                          std::wstring_view key);

/// The lines of a section as read into a buffer of bufferChars characters holding each
/// line followed by a NUL and a final NUL: lines (trimmed, comments and blank lines left
/// out) are taken while they fit; the first that does not fit is cut to the room left
/// and ends the list.
[[nodiscard]] std::vector<std::wstring> ReadSection(const std::filesystem::path& file,
                                                    std::wstring_view section, size_t bufferChars);

/// The names of all sections, in file order (duplicates once).
[[nodiscard]] std::vector<std::wstring> ReadSectionNames(const std::filesystem::path& file);

/// Writes key=value: replaces the key's line in place, or adds the key at the end of its
/// section, or the section at the end of the file, or creates the file. Every other line is
/// kept byte for byte. Section and key are taken without surrounding blanks (as reads take
/// them). Returns false, changing nothing, when the file is read-only or cannot be written,
/// when section or key is empty, when any of the three holds a line break, or when the key
/// holds '=' or starts with '[', ';' or '#', or the section holds ']', or when the file's
/// encoding cannot hold the new line (refusal then receives a message saying why, which
/// also goes to the tool log). A value that ReadString would find quoted is written inside
/// one more pair of quotes, so it reads back as it was given.
bool WriteString(const std::filesystem::path& file, std::wstring_view section,
                 std::wstring_view key, std::wstring_view value, std::wstring* refusal = nullptr);

} // namespace ini
