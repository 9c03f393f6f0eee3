#pragma once

#include "LogDataBase.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <utility>
#include <vector>

/// Key of a cell inside a block: DDR (dqs_step_dly, drv_stg), eMMC (in-block column value,
/// in-block row value); ordered by the first value, then the second.
using CellKey = std::pair<int, int>;
/// The records of one key (one per data line that hit it; the merged page one per log).
/// The pointers are owned by the page that made the records.
using CellList = std::vector<CLogDataBase*>;

namespace quillon {

/// The cells of one block: record pointers grouped by key, in key order, the records of a key
/// in the order they were added. A log adds its records in any order and they are sorted
/// once; a merged page appends whole key groups log after log. Records lie in one array,
/// each key holding a slice of it with room to grow, so neither a log of a million lines nor
/// a statistics page over hundreds of logs makes one heap object per key.
///
/// Lazily built index: a const reader (Find, VisitGroups, MakeMap, the counts) first folds
/// records added since the last read into the groups, so only the mutable members below
/// change under const. Call Sort() once the adding is done before reading one store from
/// several threads; until then a store is read and written by one thread at a time.
class CCompactCellStore {
public:
    /// Adds one record under key; records of one key keep the order of their Add calls.
    void Add(const CellKey& key, CLogDataBase* record);
    /// Folds every added record into the key groups (once; later calls do nothing).
    void Sort() { Fold(); }
    /// Deletes every group and record pointer (the records themselves belong to the page).
    void Clear();

    [[nodiscard]] bool Empty() const { return m_vecPending.empty() && m_vecGroups.empty(); }
    /// Number of distinct keys.
    [[nodiscard]] size_t KeyCount() const;
    /// Number of record pointers over all keys.
    [[nodiscard]] size_t RecordCount() const;

    /// The records of key, in their order; empty when the key has none.
    [[nodiscard]] std::span<CLogDataBase* const> Find(const CellKey& key) const;
    /// Calls visit(key, records, count) for every key, in key order (count is never 0).
    template <class F> void VisitGroups(F&& visit) const;
    /// The cells as a key map, for a caller that wants one; the store is not changed.
    [[nodiscard]] std::map<CellKey, CellList> MakeMap() const;

    /// The statistics merge of one log's block into this one, in one walk over both key
    /// orders. A key of source gets source's records appended; a key new to this store first
    /// gets fresh(key) = (record, n): n copies of record (the logs merged before, which
    /// lacked it). A key this store holds and source lacks gets missing(key) appended unless
    /// that is nullptr.
    template <class Missing, class Fresh>
    void MergeGroups(const CCompactCellStore& source, Missing&& missing, Fresh&& fresh);

private:
    struct SEntry {
        CellKey key;
        CLogDataBase* pRecord;
    };
    /// A key's slice of the record array: m_nCount records from m_nStart, room for
    /// m_nCapacity.
    struct SGroup {
        CellKey key;
        uint32_t m_nCount;
        uint32_t m_nCapacity;
        size_t m_nStart;
    };
    /// One group of the merge plan: the key, its group in this store (or none) and the
    /// records to append.
    struct SPlanStep {
        CellKey key;
        const SGroup* pTarget;
        CLogDataBase* pFill;
        size_t nFill;
        CLogDataBase* const* pAppend;
        size_t nAppend;
    };

    /// Folds the pending records into the groups.
    void Fold() const;
    /// Carries out a merge plan: groups in plan order, grown where their slice is full.
    void Apply(const std::vector<SPlanStep>& plan) const;
    [[nodiscard]] const SGroup* FindGroup(const CellKey& key) const;

    // Mutable for the lazily built index only (see the class comment).
    mutable std::vector<SEntry> m_vecPending;   ///< added since the last fold
    mutable bool m_bPendingSorted = true;       ///< the pending keys arrived in order
    mutable std::vector<SGroup> m_vecGroups;    ///< by key
    mutable std::vector<CLogDataBase*> m_vecRecords; ///< the slices of every group
    mutable size_t m_nUnused = 0; ///< slots of the record array no group uses any more
};

template <class F> void CCompactCellStore::VisitGroups(F&& visit) const {
    Fold();
    for (const SGroup& group : m_vecGroups) {
        visit(group.key, m_vecRecords.data() + group.m_nStart, static_cast<size_t>(group.m_nCount));
    }
}

template <class Missing, class Fresh>
void CCompactCellStore::MergeGroups(const CCompactCellStore& source, Missing&& missing,
                                    Fresh&& fresh) {
    if (&source == this) { // the plan points into source's records, which Apply moves
        const CCompactCellStore copy = source;
        MergeGroups(copy, missing, fresh);
        return;
    }
    Fold();
    source.Fold();
    std::vector<SPlanStep> plan;
    plan.reserve(std::max(m_vecGroups.size(), source.m_vecGroups.size()));
    auto target = m_vecGroups.cbegin();
    const auto targetEnd = m_vecGroups.cend();
    const auto missingStep = [&](const SGroup& group) {
        CLogDataBase* fill = missing(group.key);
        plan.push_back({group.key, &group, fill, fill != nullptr ? 1u : 0u, nullptr, 0});
    };
    for (const SGroup& from : source.m_vecGroups) {
        for (; target != targetEnd && target->key < from.key; ++target) {
            missingStep(*target);
        }
        CLogDataBase* const* records = source.m_vecRecords.data() + from.m_nStart;
        if (target != targetEnd && target->key == from.key) {
            plan.push_back({from.key, &*target, nullptr, 0, records, from.m_nCount});
            ++target;
            continue;
        }
        const std::pair<CLogDataBase*, size_t> prefix = fresh(from.key);
        plan.push_back({from.key, nullptr, prefix.first, prefix.first != nullptr ? prefix.second : 0,
                        records, from.m_nCount});
    }
    for (; target != targetEnd; ++target) {
        missingStep(*target);
    }
    Apply(plan);
}

} // namespace quillon
