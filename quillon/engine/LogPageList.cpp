#include "LogPageList.h"

#include "LogPageEMMC.h"

#include <algorithm>
#include <span>

namespace quillon {

void CLogPageList::AddPage(std::unique_ptr<CLogPageBase> page) {
    if (page != nullptr) {
        if (m_pScanSnapshot != nullptr) {
            page->SetScanSnapshot(m_pScanSnapshot);
        }
        m_vecPages.push_back(std::move(page));
    }
}

void CLogPageList::TakeScanSnapshot() {
    m_pScanSnapshot = CScanSnapshot::TakeProcessWide();
    for (const auto& page : m_vecPages) {
        page->SetScanSnapshot(m_pScanSnapshot);
    }
    if (m_pMergedPage != nullptr) {
        m_pMergedPage->SetScanSnapshot(m_pScanSnapshot);
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
    if (m_pScanSnapshot != nullptr) {
        merged->SetScanSnapshot(m_pScanSnapshot);
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

namespace {

// The records a log page holds for one cell, without changing the page.
std::span<CLogDataBase* const> LogRecords(const CLogPageBase& page, int byte, int columnIndex,
                                          const CellKey& key, bool& hasBlock) {
    const SLogBlock* block = page.FindBlock(byte, columnIndex);
    hasBlock = block != nullptr;
    if (block == nullptr) {
        return {};
    }
    return block->Find(key);
}

bool RecordFails(const CLogDataBase* record) {
    return record == nullptr || record->GetColor() == kColorFail;
}

} // namespace

SPassShare CLogPageList::CellShare(int byte, int columnIndex, const CellKey& key) const {
    SPassShare share;
    if (m_pMergedPage == nullptr) {
        return share;
    }
    if (const auto* merged = dynamic_cast<const CLogPageEMMC*>(m_pMergedPage.get())) {
        // eMMC pages keep one shared record per code, so a log's run is found by counting its
        // own records (mode 0 gives a log without any one "no result" record).
        const CellList records = merged->CellRecords(columnIndex, byte, key.first, key.second);
        if (records.empty()) {
            return share;
        }
        const int32_t mode = merged->GetLogMode();
        size_t pos = 0;
        for (const auto& page : m_vecPages) {
            const auto* log = dynamic_cast<const CLogPageEMMC*>(page.get());
            if (log == nullptr) {
                continue;
            }
            const size_t own =
                log->CellRecords(columnIndex, byte, key.first, key.second).size();
            const size_t length = mode == 0 ? std::max<size_t>(own, 1) : own;
            if (pos + length > records.size()) {
                break;
            }
            const bool passed = mode == 0
                                    ? CLogPageEMMC::IsCellGood(records.data() + pos, length, 0)
                                    : length == 0;
            pos += length;
            ++share.m_nLogs;
            if (passed) {
                ++share.m_nPassed;
            } else {
                share.m_vecFailedLogs.push_back(log->GetName());
            }
        }
        return share;
    }

    const SLogBlock* block = m_pMergedPage->FindBlock(byte, columnIndex);
    if (block == nullptr) {
        return share;
    }
    const auto records = block->Find(key);
    if (records.empty()) {
        return share;
    }
    // The merge appended, log by log, either the log's own records or (for a log that has
    // the block but lacks the key, once the key is known) one fail record.
    size_t pos = 0;
    for (const auto& page : m_vecPages) {
        if (pos >= records.size()) {
            break;
        }
        bool hasBlock = false;
        const auto own = LogRecords(*page, byte, columnIndex, key, hasBlock);
        size_t length = 0;
        if (!own.empty()) {
            if (pos + own.size() > records.size() ||
                !std::equal(own.begin(), own.end(), records.begin() + static_cast<std::ptrdiff_t>(pos))) {
                continue; // not merged at this cell (outside the page size it was merged with)
            }
            length = own.size();
        } else if (hasBlock && pos > 0) {
            length = 1;
        } else {
            continue;
        }
        const auto first = records.begin() + static_cast<std::ptrdiff_t>(pos);
        const bool failed = std::any_of(first, first + static_cast<std::ptrdiff_t>(length),
                                        [](const CLogDataBase* r) { return RecordFails(r); });
        pos += length;
        ++share.m_nLogs;
        if (failed) {
            share.m_vecFailedLogs.push_back(page->GetName());
        } else {
            ++share.m_nPassed;
        }
    }
    return share;
}

} // namespace quillon
