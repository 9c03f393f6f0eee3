#include "OrloPageList.h"

namespace orlo {

std::wstring OrloPageList::PageName(size_t i) const {
    return i < m_pages.size() ? m_pages[i]->Name() : std::wstring();
}

std::vector<std::wstring> OrloPageList::TabNames() const {
    std::vector<std::wstring> names{kMergedPageName};
    for (const auto& page : m_pages) {
        names.push_back(page->Name());
    }
    return names;
}

void OrloPageList::Free() {
    m_pMerged.reset();
    for (auto& page : m_pages) {
        page.reset();
    }
    m_pages.clear();
}

void BuildMergedPage(OrloPageList& list) {
    if (!list.Merged()) {
        list.SetMerged(std::make_unique<CLogPageOrlo>(kMergedPageName, kTemperatureNone));
    }
    CLogPageOrlo& merged = *list.Merged();
    for (const auto& page : list.Pages()) {
        for (const DrvCombination& combination : page->Combinations()) {
            DrvCombination* target = merged.Find(combination.m_nDqsDrv, combination.m_nDataDrv,
                                                 combination.m_nCtl, combination.m_nClkDrv);
            if (!target) {
                merged.Append(combination);
                continue;
            }
            for (int i = 0; i < kClkwrCount; ++i) {
                if (combination.m_entries[i].m_nState == 1) {
                    target->m_entries[i].m_nState = 1;
                    ++target->m_entries[i].m_nPassCount;
                }
            }
        }
    }
}

} // namespace orlo
