#include "LogPageOrlo.h"

namespace orlo {

DrvCombination::DrvCombination() {
    for (int i = 0; i < kClkwrCount; ++i) {
        m_entries[i].m_nClkwr = i;
    }
}

DrvCombination::DrvCombination(int dqsDrv, int dataDrv, int ctl, int clkDrv) : DrvCombination() {
    m_nDqsDrv = dqsDrv;
    m_nDataDrv = dataDrv;
    m_nCtl = ctl;
    m_nClkDrv = clkDrv;
}

const DrvCombination* CLogPageOrlo::Find(int dqsDrv, int dataDrv, int ctl, int clkDrv) const {
    const std::array<int, 4> key{dqsDrv, dataDrv, ctl, clkDrv};
    if (m_nLastHit < m_combinations.size() && m_combinations[m_nLastHit].Key() == key) {
        return &m_combinations[m_nLastHit];
    }
    auto it = m_index.find(key);
    return it == m_index.end() ? nullptr : &m_combinations[it->second];
}

DrvCombination* CLogPageOrlo::Find(int dqsDrv, int dataDrv, int ctl, int clkDrv) {
    const std::array<int, 4> key{dqsDrv, dataDrv, ctl, clkDrv};
    if (m_nLastHit < m_combinations.size() && m_combinations[m_nLastHit].Key() == key) {
        return &m_combinations[m_nLastHit];
    }
    auto it = m_index.find(key);
    if (it == m_index.end()) {
        return nullptr;
    }
    m_nLastHit = it->second;
    return &m_combinations[it->second];
}

DrvCombination& CLogPageOrlo::Append(const DrvCombination& combination) {
    if (DrvCombination* held = Find(combination.m_nDqsDrv, combination.m_nDataDrv,
                                    combination.m_nCtl, combination.m_nClkDrv)) {
        return *held; // each combination is held once
    }
    return AppendNew(combination);
}

DrvCombination& CLogPageOrlo::AppendNew(const DrvCombination& combination) {
    m_index.emplace(combination.Key(), m_combinations.size());
    m_nLastHit = m_combinations.size();
    m_combinations.push_back(combination);
    return m_combinations.back();
}

DrvCombination& CLogPageOrlo::FindOrAppend(int dqsDrv, int dataDrv, int ctl, int clkDrv) {
    if (DrvCombination* held = Find(dqsDrv, dataDrv, ctl, clkDrv)) {
        return *held;
    }
    return AppendNew(DrvCombination(dqsDrv, dataDrv, ctl, clkDrv));
}

void AddRecord(CLogPageOrlo& page, int dqsDrv, int dataDrv, int ctl, int clkDrv, int clkwr,
               int pass) {
    if (clkwr < 0 || clkwr >= kClkwrCount) {
        return;
    }
    DrvCombination& combination = page.FindOrAppend(dqsDrv, dataDrv, ctl, clkDrv);
    if (pass == 1) {
        ClkwrEntry& entry = combination.m_entries[clkwr];
        entry.m_nState = 1;
        ++entry.m_nPassCount;
    }
}

} // namespace orlo
