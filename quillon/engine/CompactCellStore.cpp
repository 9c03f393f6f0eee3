#include "CompactCellStore.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <stdexcept>

namespace quillon {

namespace {

// Slices start at 32-bit offsets: a store of more than 4G record pointers (32 GB) is refused
// rather than wrapped.
uint32_t Offset(size_t value) {
    if (value > std::numeric_limits<uint32_t>::max()) {
        throw std::length_error("cell store beyond 2^32 records");
    }
    return static_cast<uint32_t>(value);
}

} // namespace

size_t CCompactCellStore::SliceSize(size_t count) {
    return count <= 2 ? count : std::bit_ceil(count);
}

void CCompactCellStore::Add(const CellKey& key, CLogDataBase* record) {
    if (!m_vecPending.empty() && key < m_vecPending.back().key) {
        m_bPendingSorted = false;
    }
    m_vecPending.push_back({key, record});
}

void CCompactCellStore::Clear() {
    std::vector<SEntry>().swap(m_vecPending);
    std::vector<CellKey>().swap(m_vecKeys);
    std::vector<SGroup>().swap(m_vecGroups);
    std::vector<CLogDataBase*>().swap(m_vecRecords);
    m_bPendingSorted = true;
    m_nUnused = 0;
}

size_t CCompactCellStore::KeyCount() const {
    Fold();
    size_t count = 0;
    ForEachGroup([&count](const CellKey&, CLogDataBase* const*, size_t) { ++count; });
    return count;
}

size_t CCompactCellStore::RecordCount() const {
    Fold();
    if (!m_vecKeys.empty()) {
        return m_vecKeys.size();
    }
    size_t count = 0;
    for (const SGroup& group : m_vecGroups) {
        count += group.m_nCount;
    }
    return count;
}

const CCompactCellStore::SGroup* CCompactCellStore::FindGroup(const CellKey& key) const {
    const auto it = std::lower_bound(m_vecGroups.begin(), m_vecGroups.end(), key,
                                     [](const SGroup& g, const CellKey& k) { return g.key < k; });
    return it != m_vecGroups.end() && it->key == key ? &*it : nullptr;
}

std::span<CLogDataBase* const> CCompactCellStore::Find(const CellKey& key) const {
    Fold();
    if (!m_vecKeys.empty()) {
        const auto [first, last] = std::equal_range(m_vecKeys.begin(), m_vecKeys.end(), key);
        return {m_vecRecords.data() + (first - m_vecKeys.begin()),
                static_cast<size_t>(last - first)};
    }
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
    if (m_vecKeys.empty() && m_vecGroups.empty()) {
        // A log's cells: the log layout.
        m_vecKeys.reserve(m_vecPending.size());
        m_vecRecords.clear();
        m_vecRecords.reserve(m_vecPending.size());
        m_nUnused = 0;
        for (const SEntry& entry : m_vecPending) {
            m_vecKeys.push_back(entry.key);
            m_vecRecords.push_back(entry.pRecord);
        }
    } else {
        // Records added after a read join their keys' groups.
        ToSlices();
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

void CCompactCellStore::ToSlices() const {
    if (m_vecKeys.empty()) {
        return;
    }
    std::vector<SGroup> groups;
    std::vector<CLogDataBase*> records;
    bool tight = true; // every key's records fill its slice: the record array stays as it is
    ForEachGroup([&](const CellKey& key, CLogDataBase* const*, size_t count) {
        groups.push_back({key, 0, Offset(count)});
        tight = tight && SliceSize(count) == count;
    });
    size_t start = 0;
    for (SGroup& group : groups) {
        group.m_nStart = Offset(start);
        start += SliceSize(group.m_nCount);
    }
    if (!tight) {
        records.resize(start);
        size_t from = 0;
        for (const SGroup& group : groups) {
            std::copy_n(m_vecRecords.begin() + static_cast<std::ptrdiff_t>(from), group.m_nCount,
                        records.begin() + static_cast<std::ptrdiff_t>(group.m_nStart));
            from += group.m_nCount;
        }
        m_vecRecords.swap(records);
    }
    m_vecGroups.swap(groups);
    std::vector<CellKey>().swap(m_vecKeys);
    m_nUnused = 0;
}

void CCompactCellStore::Apply(const std::vector<SPlanStep>& plan) const {
    std::vector<SGroup> groups;
    groups.reserve(plan.size());
    for (const SPlanStep& step : plan) {
        SGroup group{step.key, 0, 0};
        if (step.pTarget != nullptr) {
            group = *step.pTarget;
        }
        const size_t oldCount = group.m_nCount;
        const size_t count = oldCount + step.nFill + step.nAppend;
        if (count > SliceSize(oldCount)) {
            // A full slice moves to the end of the array with the room of its new size.
            const size_t start = m_vecRecords.size();
            m_vecRecords.resize(start + SliceSize(count));
            std::copy_n(m_vecRecords.begin() + static_cast<std::ptrdiff_t>(group.m_nStart),
                        oldCount, m_vecRecords.begin() + static_cast<std::ptrdiff_t>(start));
            m_nUnused += SliceSize(oldCount);
            group.m_nStart = Offset(start);
        }
        auto out = m_vecRecords.begin() + static_cast<std::ptrdiff_t>(group.m_nStart + oldCount);
        out = std::fill_n(out, step.nFill, step.pFill);
        std::copy_n(step.pAppend, step.nAppend, out);
        group.m_nCount = Offset(count);
        groups.push_back(group);
    }
    m_vecGroups.swap(groups);
    if (m_nUnused > m_vecRecords.size() / 2) {
        // Abandoned slices outweigh the live ones: copy the live ones, room included.
        size_t total = 0;
        for (const SGroup& group : m_vecGroups) {
            total += SliceSize(group.m_nCount);
        }
        std::vector<CLogDataBase*> records(total);
        size_t start = 0;
        for (SGroup& group : m_vecGroups) {
            std::copy_n(m_vecRecords.begin() + static_cast<std::ptrdiff_t>(group.m_nStart),
                        group.m_nCount, records.begin() + static_cast<std::ptrdiff_t>(start));
            group.m_nStart = Offset(start);
            start += SliceSize(group.m_nCount);
        }
        m_vecRecords.swap(records);
        m_nUnused = 0;
    }
}

} // namespace quillon
