#pragma once

#include <filesystem>
#include <string>

// Where a product's settings file and tool log live.
//
// A portable folder (the program's folder holds the settings file, or is a writable folder
// that came with no shipped default) keeps everything beside the program. An installed
// program (no settings file beside it, and a shipped default under ../share/<package>/ or a
// folder it may not write to) uses a per-user copy of the settings file under
// $XDG_CONFIG_HOME/<Product>/, seeded from the shipped default, and writes its tool log
// under $XDG_STATE_HOME/<Product>/.

struct SProductNames {
    std::string strProduct; // "Quillon": the settings file's stem and the per-user folder
    std::string strPackage; // "quillon": the folder of the shipped files under share/
};

struct SProductFiles {
    bool bInstalled = false;
    std::filesystem::path settings;        // the settings file the program reads
    std::filesystem::path shippedSettings; // the default it is seeded from (installed only)
    std::filesystem::path logDir;          // the folder of the tool log
};

/// $XDG_CONFIG_HOME, or ~/.config when it is unset, empty or not absolute.
[[nodiscard]] std::filesystem::path UserConfigHome();
/// $XDG_STATE_HOME, or ~/.local/state when it is unset, empty or not absolute.
[[nodiscard]] std::filesystem::path UserStateHome();

/// Decides the layout for a program in programDir. Touches no file.
[[nodiscard]] SProductFiles LocateProductFiles(const SProductNames& names,
                                               const std::filesystem::path& programDir);
/// The same for the running program.
[[nodiscard]] SProductFiles LocateProductFiles(const SProductNames& names);

/// Installed layout: creates the per-user folders and copies the shipped default when the
/// user has no settings file yet (an existing file is never overwritten). Returns false when
/// a folder could not be made or the copy failed; the program then runs on whatever the
/// settings file gives (its usual "cannot read" handling applies).
bool PrepareProductFiles(const SProductFiles& files);

/// The tool log of the running program: <log folder>/<program name>.log.
[[nodiscard]] std::filesystem::path ProgramLogFile(const SProductFiles& files);

/// Lines for --help and the about box: which settings file and log folder are in use.
[[nodiscard]] std::string DescribeProductFiles(const SProductFiles& files);
