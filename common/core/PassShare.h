#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the logs of a statistics page say about one cell: the share of logs that passed it,
// shown by the pass-share view of every statistics page, and the names of the logs that
// failed it, shown in the cells' tool tips.

/// One cell of a statistics page, seen log by log.
struct SPassShare {
    int m_nLogs = 0;                           ///< logs that say something about the cell
    int m_nPassed = 0;                         ///< of those, the logs that passed it
    std::vector<std::wstring> m_vecFailedLogs; ///< names of the others, in merge order

    /// passed / logs; 0 without logs.
    [[nodiscard]] double Share() const {
        return m_nLogs > 0 ? static_cast<double>(m_nPassed) / m_nLogs : 0.0;
    }
    bool operator==(const SPassShare&) const = default;
};

/// The colour (0x00BBGGRR) of a share on the ramp red (0 %) - yellow (50 %) - green (100 %):
/// red 0x0000FF at 0, green 0x00FF00 at 1. A share outside [0, 1] is clamped.
[[nodiscard]] uint32_t PassShareColor(double share);

/// The tool tip of a statistics cell: "passed in P of N logs (S %)" and, when some failed,
/// "failed in:" and one log name a line. Empty for a cell no log says anything about.
[[nodiscard]] std::wstring PassShareToolTip(const SPassShare& share);

/// The legend texts of the ramp, left to right: "0 %", "50 %", "100 %".
[[nodiscard]] std::vector<std::wstring> PassShareLegendTexts();
