#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Writes DDR timing-scan logs the way the Varro, Kestin and Pellam boards print them over
// their UART: a banner with the project, DDR type and clock, a platform line, one data line
// per (drive strength, phase delay, step delay, byte lane) with its pass or fail mark, and
// CR LF line ends. The pass window of every row is drawn per board and per lane, so logs of
// different boards differ the way real ones do. Output is deterministic for a given seed.

namespace loggen {

enum class EDdrGeneration { Ddr1, Ddr2, Ddr3 };

/// One board: where its windows lie and how they are spoilt.
struct SBoardProfile {
    std::string m_strSerial;             ///< printed in the banner, e.g. "VR2-0013"
    std::string m_strPlatform = "Varro"; ///< Varro, Kestin or Pellam; empty prints none
    uint32_t m_nSeed = 1;                ///< drives the per-lane jitter and the stray fails
    int m_nShift = 0;                    ///< board offset of every window centre, in cells
    int m_nWidthDelta = 0;               ///< added to every window width
    int m_nWeakLane = -1;                ///< lane whose windows shrink by m_nWeakLaneDelta
    int m_nWeakLaneDelta = 0;            ///< negative: narrower windows on the weak lane
    int m_nStrayFails = 3;               ///< isolated fails placed just inside windows
};

struct SLogSpec {
    EDdrGeneration m_eGeneration = EDdrGeneration::Ddr2;
    std::string m_strProject = "P7";
    std::string m_strClock = "400";
    SBoardProfile m_board;
};

/// The drive strengths a board of this generation scans, in the order it prints them.
[[nodiscard]] std::vector<int> ScannedDriveStrengths(EDdrGeneration generation);
/// "ddr1", "ddr2" or "ddr3" as the banner prints it.
[[nodiscard]] const char* GenerationName(EDdrGeneration generation);
/// Number of data lines a log of this generation holds (4 lanes x 7 x 8 x strengths).
[[nodiscard]] int DataLineCount(EDdrGeneration generation);

/// True when the cell passes on this board (before stray fails). Position p is
/// phase column * 8 + step sub-column (0 to 55); ordinal indexes ScannedDriveStrengths.
[[nodiscard]] bool WindowPasses(const SLogSpec& spec, int lane, int ordinal, int position);

/// The whole log as bytes, CR LF line ends.
[[nodiscard]] std::string MakeDdrLog(const SLogSpec& spec);

/// Writes text to path as bytes. Returns false when the file cannot be written.
bool WriteLogFile(const std::filesystem::path& path, const std::string& text);

/// Writes the bundled sample sets (lpddr2_pass, lpddr2_fail, lpddr, ddr3) under root.
/// Returns the number of files written.
int WriteSampleSets(const std::filesystem::path& root);

/// Writes count lpDDR2 logs of 1568 data lines each into dir (the benchmark's input).
/// Returns the paths written.
std::vector<std::filesystem::path> WriteBenchLogs(const std::filesystem::path& dir, int count);

} // namespace loggen
