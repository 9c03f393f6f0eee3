#include "OrloAnalysis.h"

#include "SettingsFile.h"
#include "TextUtil.h"

#include <algorithm>

namespace orlo {

namespace {

constexpr const wchar_t* kSectionSettings = L"Settings";
constexpr const wchar_t* kSectionBestParam = L"BestParam";
// Values are read into the settings file's usual 256-character buffer.
constexpr size_t kValueBufferChars = 256;

// One list entry as read: the pair split into its two numbers and the value, or false when
// the index is to be skipped.
bool ReadPairEntry(const wchar_t* section, const std::wstring& pairKey,
                   const std::wstring& valueKey, int& first, int& second, int& value) {
    const CSettingsFile& settings = GetSettings();
    const std::wstring pair = settings.ReadString(section, pairKey, L"", kValueBufferChars);
    const std::wstring number = settings.ReadString(section, valueKey, L"", kValueBufferChars);
    if (pair.empty() || number.empty()) {
        return false;
    }
    const std::vector<std::wstring> parts = SplitOrloPair(pair);
    if (parts.size() != 2) {
        return false;
    }
    first = ParseDecimalInt(parts[0], kOrloNumberBlanks);
    second = ParseDecimalInt(parts[1], kOrloNumberBlanks);
    value = ParseDecimalInt(number, kOrloNumberBlanks);
    return true;
}

int ReadOrloLimitValue(const wchar_t* section, const wchar_t* key) {
    return ParseDecimalInt(GetSettings().ReadString(section, key, L"", kValueBufferChars),
                           kOrloNumberBlanks);
}

// Window lengths of the combinations of listed blocks, summed per block, in page order.
OrloBlockSums SumListedBlocks(const CLogPageOrlo& page,
                              const std::vector<OrloThreshold>& thresholds, int nPages) {
    OrloBlockSums sums;
    for (const DrvCombination& c : page.Combinations()) {
        if (FindOrloThreshold(thresholds, c.m_nDqsDrv, c.m_nDataDrv)) {
            sums[{c.m_nDqsDrv, c.m_nDataDrv}] += GetPassWindow(c, nPages);
        }
    }
    return sums;
}

int LargestSum(const OrloBlockSums& sums) {
    int largest = 0;
    for (const auto& [block, sum] : sums) {
        largest = std::max(largest, sum);
    }
    return largest;
}

bool IsBrokenRowCandidate(const DrvCombination& c) {
    return c.m_nClkDrv == 1 || c.m_nClkDrv == 2;
}

} // namespace

std::vector<std::wstring> SplitOrloPair(std::wstring_view text) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start < text.size()) {
        const size_t slash = text.find(L'/', start);
        if (slash == std::wstring_view::npos) {
            parts.emplace_back(text.substr(start));
            break;
        }
        parts.emplace_back(text.substr(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

bool ReadOrloThresholds(std::vector<OrloThreshold>& list) {
    list.clear();
    for (int i = 0; i < kMaxOrloThresholds; ++i) {
        OrloThreshold entry;
        if (ReadPairEntry(kSectionSettings, FormatW(L"dqs/data_%d", i),
                          FormatW(L"ThresholdValue_%d", i), entry.m_nDqsDrv, entry.m_nDataDrv,
                          entry.m_nThreshold)) {
            list.push_back(entry);
        }
    }
    return !list.empty();
}

bool ReadOrloClkwrLimits(std::vector<OrloClkwrLimit>& list) {
    list.clear();
    for (int i = 0; i < kMaxOrloClkwrLimits; ++i) {
        OrloClkwrLimit entry;
        if (ReadPairEntry(kSectionBestParam, FormatW(L"ctl/clk_%d", i), FormatW(L"clkwr_%d", i),
                          entry.m_nCtl, entry.m_nClkDrv, entry.m_nClkwrLimit)) {
            list.push_back(entry);
        }
    }
    return !list.empty();
}

const OrloThreshold* FindOrloThreshold(const std::vector<OrloThreshold>& list, int dqsDrv,
                                       int dataDrv) {
    for (const OrloThreshold& entry : list) {
        if (entry.m_nDqsDrv == dqsDrv && entry.m_nDataDrv == dataDrv) {
            return &entry;
        }
    }
    return nullptr;
}

const OrloClkwrLimit* FindOrloClkwrLimit(const std::vector<OrloClkwrLimit>& list, int ctl,
                                         int clkDrv) {
    for (const OrloClkwrLimit& entry : list) {
        if (entry.m_nCtl == ctl && entry.m_nClkDrv == clkDrv) {
            return &entry;
        }
    }
    return nullptr;
}

int GetPassWindow(const DrvCombination& combination, int nPages) {
    int first = -1;
    int last = -1;
    for (int i = 0; i < kClkwrCount; ++i) {
        if (combination.m_entries[i].m_nPassCount == nPages) {
            if (first < 0) {
                first = i;
            }
            last = i;
        }
    }
    return first < 0 ? 0 : last - first + 1;
}

int CountFullPasses(const DrvCombination& combination, int nPages) {
    int count = 0;
    for (const ClkwrEntry& entry : combination.m_entries) {
        if (entry.m_nState == 1 && entry.m_nPassCount == nPages) {
            ++count;
        }
    }
    return count;
}

bool CheckOrloVerdict(const CLogPageOrlo& page, const std::vector<OrloThreshold>& thresholds,
                      const std::vector<OrloClkwrLimit>& limits, int nPages, bool& pass,
                      std::wstring& reason) {
    pass = false;
    reason.clear();
    OrloBlockSums sums;
    int longest = 0;
    for (const DrvCombination& c : page.Combinations()) {
        if (!FindOrloThreshold(thresholds, c.m_nDqsDrv, c.m_nDataDrv)) {
            continue;
        }
        const int window = GetPassWindow(c, nPages);
        sums[{c.m_nDqsDrv, c.m_nDataDrv}] += window;
        const OrloClkwrLimit* limit = FindOrloClkwrLimit(limits, c.m_nCtl, c.m_nClkDrv);
        if (!limit) {
            continue;
        }
        if (window < limit->m_nClkwrLimit) {
            reason = FormatW(L"原因:%d,%d,%d,%d的clkwr的pass数目%d小于%d", c.m_nDqsDrv,
                             c.m_nDataDrv, c.m_nCtl, c.m_nClkDrv, window, limit->m_nClkwrLimit);
            return pass;
        }
        if (IsBrokenRowCandidate(c) && CountFullPasses(c, nPages) == 0) {
            reason = FormatW(L"原因:断行dqs:%d,data:%d,ctl:%d,clk:%d", c.m_nDqsDrv, c.m_nDataDrv,
                             c.m_nCtl, c.m_nClkDrv);
            return pass;
        }
        longest = std::max(longest, window);
    }

    const int largest = LargestSum(sums);
    const int maxThreshold = ReadOrloLimitValue(kSectionSettings, L"MaxThresholdValue");
    const int maxClkwrLen = ReadOrloLimitValue(kSectionBestParam, L"MaxClkwrLen");
    if (largest < maxThreshold) {
        reason = FormatW(L"块中最大的pass数目:%d,不满足块的最大阀值:%d", largest, maxThreshold);
        return pass;
    }
    if (longest < maxClkwrLen) {
        reason =
            FormatW(L"行中最大的clkwr长度:%d,不满足最大clkwr长度限制:%d", longest, maxClkwrLen);
        return pass;
    }

    for (const auto& [block, sum] : sums) {
        for (const OrloThreshold& entry : thresholds) {
            if (entry.m_nDqsDrv == block.first && entry.m_nDataDrv == block.second &&
                sum < entry.m_nThreshold) {
                reason = FormatW(L"原因: dqs=%d,data=%d标识块中\npass数目:%d,不满足阀值:%d",
                                 block.first, block.second, sum, entry.m_nThreshold);
                return pass;
            }
        }
    }
    pass = true;
    return pass;
}

bool FindOrloBestParam(const CLogPageOrlo& page, const std::vector<OrloThreshold>& thresholds,
                       const std::vector<OrloClkwrLimit>& limits, int nPages, int& dqsDrv,
                       int& dataDrv, int& ctl, int& clkDrv, int& clkwr) {
    // Step 1: a listed block with a broken row (clk_drv 1 or 2 without any full pass) has
    // no usable set at all.
    for (const DrvCombination& c : page.Combinations()) {
        if (FindOrloThreshold(thresholds, c.m_nDqsDrv, c.m_nDataDrv) && IsBrokenRowCandidate(c) &&
            CountFullPasses(c, nPages) == 0) {
            return false;
        }
    }
    const OrloBlockSums sums = SumListedBlocks(page, thresholds, nPages);

    // Step 2: the first block (in dqs_drv, data_drv order) with the largest sum.
    int chosenDqs = 0;
    int chosenData = 0;
    if (!sums.empty()) {
        const int largest = LargestSum(sums);
        for (const auto& [block, sum] : sums) {
            if (sum == largest) {
                chosenDqs = block.first;
                chosenData = block.second;
                break;
            }
        }
        dqsDrv = chosenDqs;
        dataDrv = chosenData;
        for (const auto& [block, sum] : sums) {
            for (const OrloThreshold& entry : thresholds) {
                if (entry.m_nDqsDrv == block.first && entry.m_nDataDrv == block.second &&
                    sum < entry.m_nThreshold) {
                    return false;
                }
            }
        }
    }

    // Step 3: among the chosen block's listed pairs, the longest window that meets its limit;
    // the limit list's order breaks ties.
    struct SCandidate {
        int m_nCtl;
        int m_nClkDrv;
        int m_nWindow;
    };
    std::vector<SCandidate> listed;
    int best = 0;
    for (const DrvCombination& c : page.Combinations()) {
        if (c.m_nDqsDrv != chosenDqs || c.m_nDataDrv != chosenData) {
            continue;
        }
        const OrloClkwrLimit* limit = FindOrloClkwrLimit(limits, c.m_nCtl, c.m_nClkDrv);
        if (!limit) {
            continue;
        }
        const int window = GetPassWindow(c, nPages);
        listed.push_back({c.m_nCtl, c.m_nClkDrv, window});
        if (window >= limit->m_nClkwrLimit) {
            best = std::max(best, window);
        }
    }
    const OrloClkwrLimit* chosenPair = nullptr;
    for (const OrloClkwrLimit& entry : limits) {
        const bool candidate = std::any_of(listed.begin(), listed.end(), [&](const SCandidate& s) {
            return s.m_nWindow == best && s.m_nCtl == entry.m_nCtl &&
                   s.m_nClkDrv == entry.m_nClkDrv;
        });
        if (candidate) {
            chosenPair = &entry;
            break;
        }
    }
    if (!chosenPair) {
        return false;
    }
    ctl = chosenPair->m_nCtl;
    clkDrv = chosenPair->m_nClkDrv;

    // Step 4: the middle of the full passes of the chosen combination.
    const DrvCombination* chosen = page.Find(chosenDqs, chosenData, ctl, clkDrv);
    if (!chosen) {
        return false;
    }
    int first = -1;
    int last = -1;
    for (int i = 0; i < kClkwrCount; ++i) {
        const ClkwrEntry& entry = chosen->m_entries[i];
        if (entry.m_nState == 1 && entry.m_nPassCount == nPages) {
            if (first < 0) {
                first = i;
            }
            last = i;
        }
    }
    if (first < 0) {
        first = 0;
        last = 0;
    }
    clkwr = (first + last) / 2;
    return true;
}

} // namespace orlo
