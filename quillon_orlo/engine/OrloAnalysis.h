#pragma once

#include "LogPageOrlo.h"
#include "NumberText.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

// Judging the merged page of a scan: every listed combination must pass at all
// temperatures over a clkwr window long enough for its ctl/clk_drv pair, and every listed
// dqs_drv/data_drv block must gather enough window length. The limits come from the
// settings file, read at every call.

namespace orlo {

/// Threshold of a block (dqs_drv, data_drv): [Settings] dqs/data_%d and ThresholdValue_%d.
struct OrloThreshold {
    int m_nDqsDrv = 0;
    int m_nDataDrv = 0;
    int m_nThreshold = 0;
};

/// Minimal window of a (ctl, clk_drv) pair: [BestParam] ctl/clk_%d and clkwr_%d.
struct OrloClkwrLimit {
    int m_nCtl = 0;
    int m_nClkDrv = 0;
    int m_nClkwrLimit = 0;
};

inline constexpr int kMaxOrloThresholds = 8;
inline constexpr int kMaxOrloClkwrLimits = 16;

/// Block sums, ordered by dqs_drv and then data_drv.
using OrloBlockSums = std::map<std::pair<int, int>, int>;

/// The blanks that may open a number of the settings file's lists and limits: they are read
/// as the C conversion reads them, which skips the white space of the current locale.
inline constexpr ELeadingBlanks kOrloNumberBlanks = ELeadingBlanks::kLocaleSpace;

/// Splits a pair value such as "4/5" at every "/": empty parts count, but nothing follows a
/// final slash ("4/5/" gives 4 and 5, "/5" gives "" and 5, "4//5" three parts).
[[nodiscard]] std::vector<std::wstring> SplitOrloPair(std::wstring_view text);

/// Reads the block threshold list from the settings file; true when it is not empty.
bool ReadOrloThresholds(std::vector<OrloThreshold>& list);
/// Reads the window limit list from the settings file; true when it is not empty.
bool ReadOrloClkwrLimits(std::vector<OrloClkwrLimit>& list);

/// The first entry of the list for this pair, or null when the pair is not listed.
[[nodiscard]] const OrloThreshold* FindOrloThreshold(const std::vector<OrloThreshold>& list,
                                                     int dqsDrv, int dataDrv);
[[nodiscard]] const OrloClkwrLimit* FindOrloClkwrLimit(const std::vector<OrloClkwrLimit>& list,
                                                       int ctl, int clkDrv);

/// Length from the first to the last entry whose pass count equals N (gaps counted), 0 when
/// there is none.
[[nodiscard]] int GetPassWindow(const DrvCombination& combination, int nPages);
/// Number of entries with state 1 and pass count N.
[[nodiscard]] int CountFullPasses(const DrvCombination& combination, int nPages);

/// The verdict on a merged page of nPages logs. Returns pass; reason is empty on pass and
/// otherwise the text that names what failed.
bool CheckOrloVerdict(const CLogPageOrlo& page, const std::vector<OrloThreshold>& thresholds,
                      const std::vector<OrloClkwrLimit>& limits, int nPages, bool& pass,
                      std::wstring& reason);

/// The recommended parameter set. The caller sets the five outputs to 0 first; a step that
/// finds nothing leaves its outputs and those of later steps untouched. True when a full
/// set was found.
bool FindOrloBestParam(const CLogPageOrlo& page, const std::vector<OrloThreshold>& thresholds,
                       const std::vector<OrloClkwrLimit>& limits, int nPages, int& dqsDrv,
                       int& dataDrv, int& ctl, int& clkDrv, int& clkwr);

} // namespace orlo
