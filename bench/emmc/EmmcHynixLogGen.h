#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Hynix and eMMC scan logs as boards print them over their UART (CR LF line ends), for the
// bundled samples and the benchmarks. Every log is a pure function of its seed.

namespace emmcgen {

/// A Hynix LPDDR2 log: banner, header, then 4 lanes x 7 phases x 8 steps of data lines with
/// drv_stg 48; each lane passes a window of positions that moves with the seed. weak makes
/// narrower windows (a board that fails the continuous-pass rule).
[[nodiscard]] std::string HynixLog(uint32_t seed, bool weak = false);

/// An eMMC SDR50 log read in mode 1 (the board prints the failing settings with (W), (R) or
/// (C)): PDATA 0..3 x PCLK 0..3 blocks of WRDL x RPOS 0..0x3F. Every block has a window of
/// good settings; the rows around it are printed with their errors, rows far from it are not
/// scanned.
[[nodiscard]] std::string EmmcSdr50Log(uint32_t seed);

/// An eMMC DDR50 log read in mode 0 (the board prints the passing settings with (Y)): CP
/// 0..3 x WD 0..0x3F blocks of RP x RN 0..0x3F. small prints only a few passing windows
/// (a bundled sample); otherwise every one of the 4 x 64 x 64 x 64 settings is printed,
/// failing ones with (R), (W) or (C), which mode 0 drops.
[[nodiscard]] std::string EmmcDdr50Log(uint32_t seed, bool small);

/// Number of settings a full DDR50 log prints, and of those that pass (records a page keeps).
struct SDdr50Counts {
    size_t nLines = 0;
    size_t nPassing = 0;
};
[[nodiscard]] SDdr50Counts CountDdr50(const std::string& log);

/// Writes the bundled samples under root: quillon/hynix, quillon/emmc_sdr50, quillon/emmc_ddr50.
std::vector<std::filesystem::path> WriteSamples(const std::filesystem::path& root);

} // namespace emmcgen
