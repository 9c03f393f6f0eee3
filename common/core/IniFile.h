#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The ini reader and writer behind every settings file. It keeps the private-profile
// behaviours the programs rely on: section and key names compare without regard to case,
// a value is the text after '=' without surrounding blanks, reads give the caller's
// default for a missing file, section or key, texts arrive cut to a fixed buffer, and
// writes change only the one key line (or add the file, section or key) and keep every
// other byte of the file. Files are UTF-8 (a UTF-8 BOM is accepted); lines starting with
// ';' or '#' are comments.

namespace ini {

/// A text value as read into a buffer of bufferChars characters: at most bufferChars - 1
/// characters arrive (the default too is cut so). bufferChars 0 gives an empty text.
[[nodiscard]] std::wstring ReadString(const std::filesystem::path& file, std::wstring_view section,
                                      std::wstring_view key, std::wstring_view defaultValue,
                                      size_t bufferChars = 256);

/// An integer value: the default when the key does not exist, otherwise the number formed
/// by the value's leading decimal digits after an optional '-' (0 when there are none).
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
/// holds '=' or starts with '[', ';' or '#', or the section holds ']'.
bool WriteString(const std::filesystem::path& file, std::wstring_view section,
                 std::wstring_view key, std::wstring_view value);

} // namespace ini
