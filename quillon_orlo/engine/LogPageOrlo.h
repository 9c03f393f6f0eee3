#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

// The data an Orlo log is parsed into: per drive-strength combination, one entry per
// write-clock delay (clkwr 0..31) holding whether and how often it passed.

namespace orlo {

/// Number of clkwr values a combination holds (the board scans 0..31).
inline constexpr int kClkwrCount = 32;

/// Temperature class of a page.
enum : int {
    kTemperatureNone = -1, ///< not classified (the merged page)
    kTemperatureNormal = 0,
    kTemperatureLow = 1,
    kTemperatureHigh = 2,
};

/// Name of the merged statistics page.
inline constexpr const wchar_t* kMergedPageName = L"统计图";

/// One clkwr value of a combination.
struct ClkwrEntry {
    int m_nClkwr = 0;     ///< the clkwr this entry stands for; equals its position
    int m_nState = -1;    ///< 1 once a pass has been recorded, -1 before
    int m_nPassCount = 0; ///< passes recorded
};

/// One drive-strength combination with its 32 clkwr entries. Two combinations are the same
/// when their four drive values are equal; the entries take no part in that.
struct DrvCombination {
    DrvCombination();
    DrvCombination(int dqsDrv, int dataDrv, int ctl, int clkDrv);

    [[nodiscard]] bool SameDrive(const DrvCombination& other) const {
        return m_nDqsDrv == other.m_nDqsDrv && m_nDataDrv == other.m_nDataDrv &&
               m_nCtl == other.m_nCtl && m_nClkDrv == other.m_nClkDrv;
    }
    [[nodiscard]] std::array<int, 4> Key() const {
        return {m_nDqsDrv, m_nDataDrv, m_nCtl, m_nClkDrv};
    }

    std::array<ClkwrEntry, kClkwrCount> m_entries;
    int m_nDqsDrv = 0;
    int m_nDataDrv = 0;
    int m_nCtl = 0;
    int m_nClkDrv = 0;
};

/// One parsed log, or the merged statistics page. Each combination is held once, in the
/// order of its first data line.
class CLogPageOrlo {
public:
    explicit CLogPageOrlo(std::wstring name = std::wstring(), int temperature = kTemperatureNone)
        : m_strName(std::move(name)), m_nTemperature(temperature) {}

    [[nodiscard]] const std::wstring& Name() const { return m_strName; }
    void SetName(std::wstring name) { m_strName = std::move(name); }
    [[nodiscard]] int Temperature() const { return m_nTemperature; }
    void SetTemperature(int temperature) { m_nTemperature = temperature; }

    [[nodiscard]] const std::vector<DrvCombination>& Combinations() const { return m_combinations; }
    /// The combination with these drive values, or null.
    [[nodiscard]] const DrvCombination* Find(int dqsDrv, int dataDrv, int ctl, int clkDrv) const;
    [[nodiscard]] DrvCombination* Find(int dqsDrv, int dataDrv, int ctl, int clkDrv);
    /// Appends a combination whose drive values are not held yet and returns it.
    DrvCombination& Append(const DrvCombination& combination);
    /// The combination with these drive values, appended (with fresh entries) when missing.
    DrvCombination& FindOrAppend(int dqsDrv, int dataDrv, int ctl, int clkDrv);
    /// Room for count combinations, so that a page filled line by line is not moved as it
    /// grows (the logs of one scan hold about as many combinations each).
    void Reserve(size_t count) { m_combinations.reserve(count); }
    /// Gives back room reserved beyond the combinations held.
    void ShrinkToFit() { m_combinations.shrink_to_fit(); }

private:
    // Appends a combination known not to be held yet.
    DrvCombination& AppendNew(const DrvCombination& combination);

    std::wstring m_strName;
    int m_nTemperature;
    std::vector<DrvCombination> m_combinations;
    // Position of every combination by its drive values; logs print thousands of lines for a
    // few hundred combinations, so lookups must not walk the list.
    std::map<std::array<int, 4>, size_t> m_index;
    size_t m_nLastHit = 0; // data lines come grouped by combination
};

/// Records one data line in a page: a clkwr outside 0..31 is ignored; otherwise the
/// combination is created if needed and, on a pass, its entry at clkwr gets state 1 and one
/// more pass. A fail creates the combination without touching an entry.
void AddRecord(CLogPageOrlo& page, int dqsDrv, int dataDrv, int ctl, int clkDrv, int clkwr,
               int pass);

} // namespace orlo
