#include "DdrLogGenerator.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <tuple>

namespace loggen {

namespace {

constexpr int kLanes = 4;
constexpr int kPhases[] = {36, 54, 72, 90, 108, 126, 144};
constexpr int kSteps = 8; // dqs_step_dly -3 to 4
constexpr int kPositions = 7 * kSteps;

// Window widths per drive-strength ordinal, in cells of 56. Mid strengths open the widest
// eye on DDR1; on DDR2 the window closes as the driver gets weaker.
const std::vector<int>& BaseWidths(EDdrGeneration generation) {
    static const std::vector<int> ddr1 = {48, 50, 50, 48, 46, 42, 36};
    static const std::vector<int> ddr2 = {50, 48, 46, 42, 36, 30, 24};
    static const std::vector<int> ddr3 = {48, 44};
    switch (generation) {
    case EDdrGeneration::Ddr1:
        return ddr1;
    case EDdrGeneration::Ddr2:
        return ddr2;
    default:
        return ddr3;
    }
}

const char* MemDrive(EDdrGeneration generation) {
    switch (generation) {
    case EDdrGeneration::Ddr1:
        return "48ohm";
    case EDdrGeneration::Ddr2:
        return "40ohm";
    default:
        return "34ohm";
    }
}

struct SWindow {
    int m_nLo = 0;
    int m_nHi = -1;
};

// Per-lane and per-row jitter drawn from the board's seed in a fixed order, so one seed
// always gives the same windows whatever the caller asks first.
std::vector<std::vector<SWindow>> Windows(const SLogSpec& spec) {
    std::mt19937 rng(spec.m_board.m_nSeed);
    const std::vector<int>& widths = BaseWidths(spec.m_eGeneration);
    std::vector<std::vector<SWindow>> windows(kLanes, std::vector<SWindow>(widths.size()));
    for (int lane = 0; lane < kLanes; ++lane) {
        const int centre = 28 + spec.m_board.m_nShift + static_cast<int>(rng() % 5) - 2;
        for (size_t r = 0; r < widths.size(); ++r) {
            int width = widths[r] + spec.m_board.m_nWidthDelta + static_cast<int>(rng() % 4) - 2;
            if (lane == spec.m_board.m_nWeakLane) {
                width += spec.m_board.m_nWeakLaneDelta;
            }
            width = std::max(width, 0);
            SWindow& w = windows[lane][r];
            w.m_nLo = std::max(centre - width / 2, 0);
            w.m_nHi = std::min(centre - width / 2 + width - 1, kPositions - 1);
        }
    }
    return windows;
}

// Stray fails sit two cells inside a window edge, where marginal boards drop single
// cells; they shorten the longest run without hiding the window.
std::set<std::tuple<int, int, int>> StrayFails(const SLogSpec& spec,
                                               const std::vector<std::vector<SWindow>>& windows) {
    std::mt19937 rng(spec.m_board.m_nSeed * 7919u + 13u);
    std::set<std::tuple<int, int, int>> fails;
    const int rows = static_cast<int>(windows[0].size());
    for (int i = 0; i < spec.m_board.m_nStrayFails; ++i) {
        const int lane = static_cast<int>(rng() % kLanes);
        const int ordinal = static_cast<int>(rng() % rows);
        const SWindow& w = windows[lane][ordinal];
        if (w.m_nHi - w.m_nLo < 6) {
            continue;
        }
        const int position = (rng() % 2) ? w.m_nLo + 2 : w.m_nHi - 2;
        fails.insert({lane, ordinal, position});
    }
    return fails;
}

void AppendLine(std::string& out, const std::string& line) {
    out += line;
    out += "\r\n";
}

} // namespace

std::vector<int> ScannedDriveStrengths(EDdrGeneration generation) {
    switch (generation) {
    case EDdrGeneration::Ddr1:
        return {31, 33, 39, 43, 48, 55, 64};
    case EDdrGeneration::Ddr2:
        // LPDDR2 output drivers; the analysis counts the first ones, the board scans all.
        return {34, 40, 48, 60, 80, 120, 240};
    default:
        return {34, 40};
    }
}

const char* GenerationName(EDdrGeneration generation) {
    switch (generation) {
    case EDdrGeneration::Ddr1:
        return "ddr1";
    case EDdrGeneration::Ddr2:
        return "ddr2";
    default:
        return "ddr3";
    }
}

int DataLineCount(EDdrGeneration generation) {
    return kLanes * kPositions * static_cast<int>(ScannedDriveStrengths(generation).size());
}

bool WindowPasses(const SLogSpec& spec, int lane, int ordinal, int position) {
    const auto windows = Windows(spec);
    if (lane < 0 || lane >= kLanes || ordinal < 0 ||
        ordinal >= static_cast<int>(windows[lane].size())) {
        return false;
    }
    const SWindow& w = windows[lane][ordinal];
    return position >= w.m_nLo && position <= w.m_nHi;
}

std::string MakeDdrLog(const SLogSpec& spec) {
    const auto windows = Windows(spec);
    const auto strays = StrayFails(spec, windows);
    const std::vector<int> drives = ScannedDriveStrengths(spec.m_eGeneration);
    const SBoardProfile& board = spec.m_board;
    std::string out;
    out.reserve(static_cast<size_t>(DataLineCount(spec.m_eGeneration)) * 84 + 1024);
    char line[256];

    AppendLine(out, "");
    std::snprintf(line, sizeof line, "%s%sDDR scan loader 1.3.2 (built Mar  2 2026 10:12:44)",
                  board.m_strPlatform.c_str(), board.m_strPlatform.empty() ? "" : " ");
    AppendLine(out, line);
    AppendLine(out, "****************************************");
    AppendLine(out, "* project = " + spec.m_strProject);
    AppendLine(out, std::string("* ddr type = ") + GenerationName(spec.m_eGeneration));
    AppendLine(out, "* ddr clk = " + spec.m_strClock);
    AppendLine(out, "****************************************");
    AppendLine(out, "board SN: " + board.m_strSerial);
    AppendLine(out, "start ddr timing scan ...");

    int passes = 0;
    int fails = 0;
    for (size_t r = 0; r < drives.size(); ++r) {
        std::snprintf(line, sizeof line, "---- drv_stg %dohm ----", drives[r]);
        AppendLine(out, line);
        for (int c = 0; c < 7; ++c) {
            for (int s = 0; s < kSteps; ++s) {
                const int position = c * kSteps + s;
                for (int lane = 0; lane < kLanes; ++lane) {
                    const SWindow& w = windows[lane][r];
                    const bool pass = position >= w.m_nLo && position <= w.m_nHi &&
                                      !strays.count({lane, static_cast<int>(r), position});
                    (pass ? passes : fails)++;
                    std::snprintf(line, sizeof line,
                                  "dxn=%d, drv_stg=%dohm, mem_drv=%s, sdll_phs_dly=%d, "
                                  "dqs_step_dly=%d, %s",
                                  lane, drives[r], MemDrive(spec.m_eGeneration), kPhases[c], s - 3,
                                  pass ? "pass" : "fail");
                    AppendLine(out, line);
                }
            }
        }
    }
    std::snprintf(line, sizeof line, "ddr timing scan done: %d items, %d ok, %d bad",
                  passes + fails, passes, fails);
    AppendLine(out, line);
    return out;
}

bool WriteLogFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        return false;
    }
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(file);
}

namespace {

struct SSampleSet {
    const char* m_szFolder;
    EDdrGeneration m_eGeneration;
    const char* m_szProject;
    const char* m_szClock;
    std::vector<SBoardProfile> m_boards;
};

std::vector<SSampleSet> SampleSets() {
    return {
        {"lpddr2_pass",
         EDdrGeneration::Ddr2,
         "P7",
         "400",
         {
             {"VR2-0013", "Varro", 11, 0, 0, -1, 0, 3},
             {"VR2-0021", "Varro", 23, 1, 0, -1, 0, 2},
             {"VR2-0034", "Varro", 37, -1, -1, -1, 0, 3},
             {"VR2-0042", "Varro", 41, 1, 1, -1, 0, 2},
         }},
        {"lpddr2_fail",
         EDdrGeneration::Ddr2,
         "P7",
         "400",
         {
             {"VR2-0107", "Varro", 101, 0, 0, -1, 0, 2},
             {"VR2-0115", "Varro", 113, -1, -2, 2, -16, 3},
             {"VR2-0128", "Varro", 127, 1, 0, -1, 0, 2},
         }},
        {"lpddr",
         EDdrGeneration::Ddr1,
         "K3",
         "200",
         {
             {"KS1-0201", "Kestin", 201, 0, 0, -1, 0, 2},
             {"KS1-0214", "Kestin", 211, 1, 0, -1, 0, 3},
             {"KS1-0230", "Kestin", 223, -1, 1, -1, 0, 2},
         }},
        {"ddr3",
         EDdrGeneration::Ddr3,
         "PM9",
         "533",
         {
             {"PL3-0302", "Pellam", 307, 0, 0, -1, 0, 2},
             {"PL3-0317", "Pellam", 311, -1, 0, -1, 0, 1},
             {"PL3-0325", "Pellam", 331, 1, -1, -1, 0, 2},
         }},
    };
}

} // namespace

int WriteSampleSets(const std::filesystem::path& root) {
    int written = 0;
    for (const SSampleSet& set : SampleSets()) {
        const std::filesystem::path dir = root / set.m_szFolder;
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        for (const SBoardProfile& board : set.m_boards) {
            SLogSpec spec;
            spec.m_eGeneration = set.m_eGeneration;
            spec.m_strProject = set.m_szProject;
            spec.m_strClock = set.m_szClock;
            spec.m_board = board;
            const std::string name = spec.m_strProject + "_" + board.m_strSerial + ".txt";
            if (WriteLogFile(dir / name, MakeDdrLog(spec))) {
                ++written;
            }
        }
    }
    return written;
}

std::vector<std::filesystem::path> WriteBenchLogs(const std::filesystem::path& dir, int count) {
    std::vector<std::filesystem::path> paths;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    for (int i = 0; i < count; ++i) {
        SLogSpec spec;
        spec.m_eGeneration = EDdrGeneration::Ddr2;
        char serial[32];
        std::snprintf(serial, sizeof serial, "VR2-%04d", 1000 + i);
        spec.m_board.m_strSerial = serial;
        spec.m_board.m_nSeed = 5000u + static_cast<uint32_t>(i);
        spec.m_board.m_nShift = i % 3 - 1;
        spec.m_board.m_nStrayFails = 2 + i % 3;
        const std::filesystem::path path = dir / ("P7_" + std::string(serial) + ".txt");
        if (WriteLogFile(path, MakeDdrLog(spec))) {
            paths.push_back(path);
        }
    }
    return paths;
}

} // namespace loggen
