#pragma once

#include <array>
#include <cstdint>
#include <string>

// Writes Orlo scan logs as a board prints them over its UART: a boot banner with the scan
// tool's signature, then one line per drive-strength combination and clkwr. Pass windows
// depend on the drive values and the board, and shrink and shift when hot or cold.

namespace orlogen {

enum : int { kNormal = 0, kLow = 1, kHigh = 2 };

struct SRange {
    int first = 0;
    int last = 3;
};

struct SOptions {
    SRange dqs{0, 3};
    SRange data{0, 3};
    SRange ctl{0, 3};
    SRange clk{0, 3};
};

/// Number of data lines a log of these options holds.
[[nodiscard]] int DataLineCount(const SOptions& options);

/// The bytes of one log of a board (1, 2, ...) at a temperature class; seed varies the run.
[[nodiscard]] std::string GenerateLog(const SOptions& options, int board, int temperature,
                                      uint32_t seed);

/// A settings file whose limits these boards meet with some margin.
[[nodiscard]] std::string GenerateSettings(const SOptions& options);

/// File name of a board's log at a temperature, e.g. "orlo_b01_n25c.txt".
[[nodiscard]] std::string LogFileName(int board, int temperature);

} // namespace orlogen
