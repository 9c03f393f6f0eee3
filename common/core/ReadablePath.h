#pragma once

#include <filesystem>
#include <string>

// Checks of the files and folders a user names (on a command line, in a settings field)
// before they are used, so that a typo is refused instead of silently read as "nothing".

/// Why the file at path cannot be read ("does not exist", "is a directory", "cannot be read:
/// Permission denied", ...); empty when it is a regular file that opens for reading.
[[nodiscard]] std::wstring WhyFileUnreadable(const std::filesystem::path& path);

/// Why the folder at path cannot be listed ("does not exist", "is not a directory",
/// "cannot be read: Permission denied", ...); empty when it can be listed.
[[nodiscard]] std::wstring WhyFolderUnreadable(const std::filesystem::path& path);

/// True when something (a file, a folder, even a dangling link) is at path.
[[nodiscard]] bool PathIsTaken(const std::filesystem::path& path);
