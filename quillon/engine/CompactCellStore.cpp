#include "CompactCellStore.h"

#include <algorithm>

namespace quillon {

void CCompactCellStore::Add(const CellKey& key, CLogDataBase* record) {
    if (!m_vecPending.empty() && key < m_vecPending.back().key) {
        m_bPendingSorted = false;
    }
    m_vecPending.push_back({key, record});
}

void CCompactCellStore::Clear() {
    std::vector<SEntry>().swap(m_vecPending);
    std::vector<SGroup>().swap(m_vecGroups);
    std::vector<CLogDataBase*>().swap(m_vecRecords);
    m_bPendingSorted = true;
    m_nUnused = 0;
}

size_t CCompactCellStore::KeyCount() const {
    Fold();
    return m_vecGroups.size();
}

size_t CCompactCellStore::RecordCount() const {
    Fold();
    size_t count = 0;
    for (const SGroup& group : m_vecGroups) {
        count += group.m_nCount;
    }
    return count;
}

const CCompactCellStore::SGroup* CCompactCellStore::FindGroup(const CellKey& key) const {
    Fold();
    const auto it = std::lower_bound(m_vecGroups.begin(), m_vecGroups.end(), key,
                                     [](const SGroup& g, const CellKey& k) { return g.key < k; });
    return it != m_vecGroups.end() && it->key == key ? &*it : nullptr;
}

std::span<CLogDataBase* const> CCompactCellStore::Find(const CellKey& key) const {
    const SGroup* group = FindGroup(key);
    if (group == nullptr) {
        return {};
    }
    return {m_vecRecords.data() + group->m_nStart, static_cast<size_t>(group->m_nCount)};
}

std::map<CellKey, CellList> CCompactCellStore::MakeMap() const {
    std::map<CellKey, CellList> cells;
    VisitGroups([&cells](const CellKey& key, CLogDataBase* const* records, size_t count) {
        // Keys come in order, so each goes at the end of the map.
        cells.emplace_hint(cells.end(), key, CellList(records, records + count));
    });
    return cells;
}

void CCompactCellStore::Fold() const {
    if (m_vecPending.empty()) {
        return;
    }
    if (!m_bPendingSorted) {
        std::stable_sort(m_vecPending.begin(), m_vecPending.end(),
                         [](const SEntry& a, const SEntry& b) { return a.key < b.key; });
    }
    if (m_vecGroups.empty()) {
        // A log's cells: one tight slice per key, in key order.
        m_vecRecords.clear();
        m_vecRecords.reserve(m_vecPending.size());
        m_nUnused = 0;
        for (const SEntry& entry : m_vecPending) {
            if (m_vecGroups.empty() || m_vecGroups.back().key != entry.key) {
                m_vecGroups.push_back({entry.key, 0, 0, m_vecRecords.size()});
            }
            SGroup& group = m_vecGroups.back();
            ++group.m_nCount;
            ++group.m_nCapacity;
            m_vecRecords.push_back(entry.pRecord);
        }
    } else {
        // Records added after a read join their keys' groups.
        std::vector<CLogDataBase*> records;
        records.reserve(m_vecPending.size());
        for (const SEntry& entry : m_vecPending) {
            records.push_back(entry.pRecord);
        }
        std::vector<SPlanStep> plan;
        auto target = m_vecGroups.cbegin();
        for (size_t i = 0; i < m_vecPending.size();) {
            const CellKey key = m_vecPending[i].key;
            size_t j = i + 1;
            while (j < m_vecPending.size() && m_vecPending[j].key == key) {
                ++j;
            }
            for (; target != m_vecGroups.cend() && target->key < key; ++target) {
                plan.push_back({target->key, &*target, nullptr, 0, nullptr, 0});
            }
            const bool known = target != m_vecGroups.cend() && target->key == key;
            plan.push_back({key, known ? &*target : nullptr, nullptr, 0, records.data() + i, j - i});
            if (known) {
                ++target;
            }
            i = j;
        }
        for (; target != m_vecGroups.cend(); ++target) {
            plan.push_back({target->key, &*target, nullptr, 0, nullptr, 0});
        }
        Apply(plan);
    }
    std::vector<SEntry>().swap(m_vecPending);
    m_bPendingSorted = true;
}

void CCompactCellStore::Apply(const std::vector<SPlanStep>& plan) const {
    std::vector<SGroup> groups;
    groups.reserve(plan.size());
    for (const SPlanStep& step : plan) {
        SGroup group{step.key, 0, 0, 0};
        if (step.pTarget != nullptr) {
            group = *step.pTarget;
        }
        const size_t oldCount = group.m_nCount;
        const size_t count = oldCount + step.nFill + step.nAppend;
        if (count > group.m_nCapacity) {
            // A full slice moves to the end of the array with twice the room, so a key that
            // gains a record per merged log moves only a logarithmic number of times.
            const size_t capacity = std::max(count, 2 * oldCount);
            const size_t start = m_vecRecords.size();
            m_vecRecords.resize(start + capacity);
            std::copy_n(m_vecRecords.begin() + static_cast<std::ptrdiff_t>(group.m_nStart),
                        oldCount, m_vecRecords.begin() + static_cast<std::ptrdiff_t>(start));
            m_nUnused += group.m_nCapacity;
            group.m_nStart = start;
            group.m_nCapacity = static_cast<uint32_t>(capacity);
        }
        auto out = m_vecRecords.begin() + static_cast<std::ptrdiff_t>(group.m_nStart + oldCount);
        out = std::fill_n(out, step.nFill, step.pFill);
        std::copy_n(step.pAppend, step.nAppend, out);
        group.m_nCount = static_cast<uint32_t>(count);
        groups.push_back(group);
    }
    m_vecGroups.swap(groups);
    if (m_nUnused > m_vecRecords.size() / 2) {
        // Abandoned slices outweigh the live ones: copy the live ones, room included.
        std::vector<CLogDataBase*> records;
        size_t total = 0;
        for (const SGroup& group : m_vecGroups) {
            total += group.m_nCapacity;
        }
        records.resize(total);
        size_t start = 0;
        for (SGroup& group : m_vecGroups) {
            std::copy_n(m_vecRecords.begin() + static_cast<std::ptrdiff_t>(group.m_nStart),
                        group.m_nCount, records.begin() + static_cast<std::ptrdiff_t>(start));
            group.m_nStart = start;
            start += group.m_nCapacity;
        }
        m_vecRecords.swap(records);
        m_nUnused = 0;
    }
}

} // namespace quillon
