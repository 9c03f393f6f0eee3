#include "LogPageList.h"

#include <algorithm>

void CLogPageList::AddPage(std::unique_ptr<CLogPageBase> page) {
    if (page != nullptr) {
        m_vecPages.push_back(std::move(page));
    }
}

CLogPageBase* CLogPageList::GetPage(size_t i) const {
    return i < m_vecPages.size() ? m_vecPages[i].get() : nullptr;
}

std::wstring CLogPageList::GetPageName(int i) const {
    if (i < 0 || static_cast<size_t>(i) >= m_vecPages.size()) {
        return std::wstring();
    }
    return m_vecPages[static_cast<size_t>(i)]->GetName();
}

void CLogPageList::AnalyseAndSort(int sortMode) {
    using PagePtr = std::unique_ptr<CLogPageBase>;
    // A stable sort: it never leaves the range even for page classes whose comparison is
    // not a strict order, and pages of equal value keep their scan order.
    switch (sortMode) {
    case kSortDescendingByWeakest:
        for (const PagePtr& page : m_vecPages) {
            page->AnalyseForSort();
        }
        std::stable_sort(
            m_vecPages.begin(), m_vecPages.end(),
            [](const PagePtr& a, const PagePtr& b) { return a->IsGreaterByWeakestByte(*b); });
        break;
    case kSortAscendingByWeakest:
        for (const PagePtr& page : m_vecPages) {
            page->AnalyseForSort();
        }
        std::stable_sort(
            m_vecPages.begin(), m_vecPages.end(),
            [](const PagePtr& a, const PagePtr& b) { return a->IsLessByWeakestByte(*b); });
        break;
    case kSortByName:
        std::stable_sort(m_vecPages.begin(), m_vecPages.end(),
                         [](const PagePtr& a, const PagePtr& b) { return a->IsLessByName(*b); });
        break;
    default:
        break;
    }
}

bool CLogPageList::BuildMergedPage() {
    m_pMergedPage.reset();
    if (m_vecPages.empty()) {
        return false;
    }
    std::unique_ptr<CLogPageBase> merged = m_vecPages.front()->CreateMergePage();
    if (merged == nullptr) {
        return false;
    }
    for (const auto& page : m_vecPages) {
        merged->MergeFrom(*page);
    }
    m_pMergedPage = std::move(merged);
    return true;
}

void CLogPageList::Free() {
    m_pMergedPage.reset();
    for (auto& page : m_vecPages) {
        page->Clear();
        page.reset();
    }
    m_vecPages.clear();
}
