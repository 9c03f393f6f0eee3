#pragma once

#include <filesystem>

// Where the running program lies. Settings, tool log and data files sit next to it.

/// Full path of the running program (from /proc/self/exe unless overridden).
[[nodiscard]] std::filesystem::path GetProgramPath();
/// Makes GetProgramPath return path (tests, and batch programs that stand in for a GUI).
/// An empty path restores the real location.
void SetProgramPathOverride(const std::filesystem::path& path);
/// The program's directory.
[[nodiscard]] std::filesystem::path GetProgramDir();
/// The program's path with its extension (if any) replaced by ext, e.g. ".ini" or ".log".
[[nodiscard]] std::filesystem::path GetProgramSibling(const char* ext);
