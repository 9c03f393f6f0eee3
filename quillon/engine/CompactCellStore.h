#pragma once

#include "LogDataBase.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <utility>
#include <vector>

namespace quillon {

/// Key of a cell inside a block: DDR (dqs_step_dly, drv_stg), eMMC (in-block column value,
/// in-block row value); ordered by the first value, then the second.
using CellKey = std::pair<int, int>;
/// The records of one key (one per data line that hit it; the merged page one per log).
/// The pointers are owned by the page that made the records.
using CellList = std::vector<CLogDataBase*>;


/// The cells of one block: record pointers grouped by key, in key order, the records of a key
/// in the order they were added, so neither a log of a million lines nor a statistics page
/// over hundreds of logs makes one heap object per key. Two layouts:
/// - a log's cells, added in any order and sorted once: each record beside its key in two
///   parallel arrays (16 bytes a record), a key's records next to each other;
/// - a merged page's cells, which gain records key by key log after log: one entry per key
///   with a slice of the record array that has room to grow (the log layout turns into this
///   one when records join it after it was read).
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

    [[nodiscard]] bool Empty() const {
        return m_vecPending.empty() && m_vecKeys.empty() && m_vecGroups.empty();
    }
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
    /// A key's slice of the record array: m_nCount records from m_nStart, with room for
    /// SliceSize(m_nCount).
    struct SGroup {
        CellKey key;
        uint32_t m_nStart;
        uint32_t m_nCount;
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

    /// The room of a slice of count records: exact up to 2 (most keys of a log), else the
    /// next power of two, so a key gaining a record per merged log moves a logarithmic number
    /// of times.
    [[nodiscard]] static size_t SliceSize(size_t count);
    /// Folds the pending records into the groups.
    void Fold() const;
    /// Turns the log layout into slices (no change in the other layouts).
    void ToSlices() const;
    /// Carries out a merge plan: groups in plan order, moved where their slice is full.
    void Apply(const std::vector<SPlanStep>& plan) const;
    /// Calls visit(key, records, count) for every key of either layout, pending records aside.
    template <class F> void ForEachGroup(F&& visit) const;
    [[nodiscard]] const SGroup* FindGroup(const CellKey& key) const;

    // Mutable for the lazily built index only (see the class comment).
    mutable std::vector<SEntry> m_vecPending;        ///< added since the last fold
    mutable bool m_bPendingSorted = true;            ///< the pending keys arrived in order
    mutable std::vector<CellKey> m_vecKeys;          ///< log layout: the key of each record
    mutable std::vector<SGroup> m_vecGroups;         ///< slice layout: the groups by key
    mutable std::vector<CLogDataBase*> m_vecRecords; ///< the records of either layout
    mutable size_t m_nUnused = 0; ///< slots of the record array no slice uses any more
};

template <class F> void CCompactCellStore::ForEachGroup(F&& visit) const {
    if (!m_vecKeys.empty()) {
        for (size_t i = 0; i < m_vecKeys.size();) {
            size_t j = i + 1;
            while (j < m_vecKeys.size() && m_vecKeys[j] == m_vecKeys[i]) {
                ++j;
            }
            visit(m_vecKeys[i], m_vecRecords.data() + i, j - i);
            i = j;
        }
        return;
    }
    for (const SGroup& group : m_vecGroups) {
        visit(group.key, m_vecRecords.data() + group.m_nStart, static_cast<size_t>(group.m_nCount));
    }
}

template <class F> void CCompactCellStore::VisitGroups(F&& visit) const {
    Fold();
    ForEachGroup(visit);
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
    ToSlices();
    source.Fold();
    std::vector<SPlanStep> plan;
    plan.reserve(m_vecGroups.size());
    auto target = m_vecGroups.cbegin();
    const auto targetEnd = m_vecGroups.cend();
    const auto missingStep = [&](const SGroup& group) {
        CLogDataBase* fill = missing(group.key);
        plan.push_back({group.key, &group, fill, fill != nullptr ? 1u : 0u, nullptr, 0});
    };
    source.ForEachGroup([&](const CellKey& key, CLogDataBase* const* records, size_t count) {
        for (; target != targetEnd && target->key < key; ++target) {
            missingStep(*target);
        }
        if (target != targetEnd && target->key == key) {
            plan.push_back({key, &*target, nullptr, 0, records, count});
            ++target;
            return;
        }
        const std::pair<CLogDataBase*, size_t> prefix = fresh(key);
        plan.push_back(
            {key, nullptr, prefix.first, prefix.first != nullptr ? prefix.second : 0, records, count});
    });
    for (; target != targetEnd; ++target) {
        missingStep(*target);
    }
    Apply(plan);
}

} // namespace quillon
