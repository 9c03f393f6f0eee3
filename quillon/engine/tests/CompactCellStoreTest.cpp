#include "CompactCellStore.h"
#include "LogDataDDR.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using quillon::CCompactCellStore;

using namespace quillon;

namespace {

/// Numbered records: a record's pass flag is its number, so a digest can name it.
class CRecords {
public:
    CLogDataBase* operator[](int id) {
        while (static_cast<int>(m_records.size()) <= id) {
            m_records.emplace_back(static_cast<int>(m_records.size()));
        }
        return &m_records[static_cast<size_t>(id)];
    }

private:
    std::deque<CLogDataDDR> m_records;
};

int Id(const CLogDataBase* record) {
    return dynamic_cast<const CLogDataDDR&>(*record).GetPassFlag();
}

/// The store as "a/b:ids" per key in visiting order, for example "1/2:0,3 4/0:1".
std::string Digest(const CCompactCellStore& store) {
    std::ostringstream out;
    store.VisitGroups([&out](const CellKey& key, CLogDataBase* const* records, size_t count) {
        out << (out.tellp() > 0 ? " " : "") << key.first << '/' << key.second << ':';
        for (size_t i = 0; i < count; ++i) {
            out << (i > 0 ? "," : "") << Id(records[i]);
        }
    });
    return out.str();
}

std::string Digest(const std::map<CellKey, CellList>& cells) {
    std::ostringstream out;
    for (const auto& [key, list] : cells) {
        out << (out.tellp() > 0 ? " " : "") << key.first << '/' << key.second << ':';
        for (size_t i = 0; i < list.size(); ++i) {
            out << (i > 0 ? "," : "") << Id(list[i]);
        }
    }
    return out.str();
}

struct SAdd {
    CellKey key;
    int id;
};

} // namespace

TEST(CompactCellStore, AddedInAnyOrderVisitsKeysInOrderAndRecordsInAddOrderTable) {
    struct SCase {
        const char* name;
        std::vector<SAdd> adds;
        const char* expected;
    };
    const SCase cases[] = {
        {"empty", {}, ""},
        {"one record", {{{2, 3}, 0}}, "2/3:0"},
        {"in order", {{{0, 1}, 0}, {{0, 2}, 1}, {{1, 0}, 2}}, "0/1:0 0/2:1 1/0:2"},
        {"reversed", {{{1, 0}, 0}, {{0, 2}, 1}, {{0, 1}, 2}}, "0/1:2 0/2:1 1/0:0"},
        {"second value orders equal first values", {{{5, 9}, 0}, {{5, -1}, 1}}, "5/-1:1 5/9:0"},
        {"negative keys first", {{{0, 0}, 0}, {{-3, 40}, 1}}, "-3/40:1 0/0:0"},
        {"records of a key keep their order across other keys",
         {{{4, 4}, 0}, {{1, 1}, 1}, {{4, 4}, 2}, {{1, 1}, 3}, {{4, 4}, 4}},
         "1/1:1,3 4/4:0,2,4"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        CRecords records;
        CCompactCellStore store;
        for (const SAdd& add : c.adds) {
            store.Add(add.key, records[add.id]);
        }
        EXPECT_EQ(store.Empty(), c.adds.empty());
        EXPECT_EQ(Digest(store), c.expected);
        EXPECT_EQ(store.RecordCount(), c.adds.size());
    }
}

TEST(CompactCellStore, FindGivesTheRecordsOfOneKeyOrNone) {
    CRecords records;
    CCompactCellStore store;
    store.Add({3, 1}, records[0]);
    store.Add({1, 7}, records[1]);
    store.Add({3, 1}, records[2]);
    // Read before any Sort: the store sorts itself on first read.
    const auto found = store.Find({3, 1});
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(Id(found[0]), 0);
    EXPECT_EQ(Id(found[1]), 2);
    EXPECT_TRUE(store.Find({3, 2}).empty());
    EXPECT_TRUE(store.Find({0, 0}).empty());
    EXPECT_TRUE(store.Find({9, 9}).empty());
    EXPECT_EQ(store.KeyCount(), 2u);
    EXPECT_TRUE(CCompactCellStore().Find({0, 0}).empty());
}

TEST(CompactCellStore, MakeMapHoldsTheSameCellsAndLeavesTheStoreAsItWas) {
    CRecords records;
    CCompactCellStore store;
    store.Add({2, 0}, records[0]);
    store.Add({-1, 5}, records[1]);
    store.Add({2, 0}, records[2]);
    store.Sort();
    const std::string before = Digest(store);
    const std::map<CellKey, CellList> cells = store.MakeMap();
    EXPECT_EQ(Digest(cells), "-1/5:1 2/0:0,2");
    EXPECT_EQ(Digest(store), before);
    EXPECT_EQ(cells.size(), store.KeyCount());
}

TEST(CompactCellStore, RecordsAddedAfterAReadJoinTheirKeys) {
    CRecords records;
    CCompactCellStore store;
    store.Add({1, 1}, records[0]);
    store.Add({3, 3}, records[1]);
    EXPECT_EQ(Digest(store), "1/1:0 3/3:1");
    store.Add({3, 3}, records[2]);
    store.Add({2, 2}, records[3]);
    store.Add({1, 1}, records[4]);
    EXPECT_EQ(Digest(store), "1/1:0,4 2/2:3 3/3:1,2");
    EXPECT_EQ(store.RecordCount(), 5u);
}

TEST(CompactCellStore, RecordsAddedAfterAReadJoinKeysOfManyRecords) {
    CRecords records;
    CCompactCellStore store;
    for (int id = 0; id < 5; ++id) {
        store.Add({id % 2, 0}, records[id]);
    }
    EXPECT_EQ(Digest(store), "0/0:0,2,4 1/0:1,3");
    for (int id = 5; id < 12; ++id) {
        store.Add({0, 0}, records[id]);
        EXPECT_EQ(store.Find({0, 0}).size(), static_cast<size_t>(id - 1));
    }
    EXPECT_EQ(Digest(store), "0/0:0,2,4,5,6,7,8,9,10,11 1/0:1,3");
    EXPECT_EQ(store.KeyCount(), 2u);
}

TEST(CompactCellStore, ClearEmptiesTheStore) {
    CRecords records;
    CCompactCellStore store;
    store.Add({1, 1}, records[0]);
    store.Sort();
    store.Add({2, 2}, records[1]);
    store.Clear();
    EXPECT_TRUE(store.Empty());
    EXPECT_EQ(Digest(store), "");
    EXPECT_EQ(store.KeyCount(), 0u);
    store.Add({5, 5}, records[2]);
    EXPECT_EQ(Digest(store), "5/5:2");
}

TEST(CompactCellStore, MergeGroupsTable) {
    // Records 100 and 101 stand for the missing and the fresh-prefix records.
    struct SCase {
        const char* name;
        std::vector<SAdd> target;
        std::vector<SAdd> source;
        bool fillMissing;
        size_t prefix;
        const char* expected;
    };
    const SCase cases[] = {
        {"into an empty store", {}, {{{1, 0}, 0}, {{0, 0}, 1}}, false, 0, "0/0:1 1/0:0"},
        {"same keys append", {{{0, 0}, 0}, {{1, 0}, 1}}, {{{1, 0}, 2}, {{0, 0}, 3}}, true, 0,
         "0/0:0,3 1/0:1,2"},
        {"a key the source lacks gets the missing record",
         {{{0, 0}, 0}, {{1, 0}, 1}, {{2, 0}, 2}}, {{{1, 0}, 3}}, true, 0,
         "0/0:0,100 1/0:1,3 2/0:2,100"},
        {"no missing record adds nothing", {{{0, 0}, 0}, {{2, 0}, 1}}, {{{2, 0}, 2}}, false, 0,
         "0/0:0 2/0:1,2"},
        {"a key new to the store gets the prefix first", {{{0, 0}, 0}},
         {{{0, 0}, 1}, {{0, 1}, 2}, {{0, 1}, 3}}, false, 2, "0/0:0,1 0/1:101,101,2,3"},
        {"an empty source fills every key", {{{0, 0}, 0}, {{0, 1}, 1}}, {}, true, 0,
         "0/0:0,100 0/1:1,100"},
        {"a target key of three records keeps them before the new one",
         {{{0, 0}, 0}, {{1, 0}, 1}, {{0, 0}, 2}, {{0, 0}, 3}}, {{{0, 0}, 4}}, true, 0,
         "0/0:0,2,3,4 1/0:1,100"},
        {"interleaved keys", {{{0, 0}, 0}, {{4, 0}, 1}}, {{{2, 0}, 2}, {{4, 0}, 3}, {{6, 0}, 4}},
         true, 1, "0/0:0,100 2/0:101,2 4/0:1,3 6/0:101,4"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        CRecords records;
        CCompactCellStore target;
        CCompactCellStore source;
        for (const SAdd& add : c.target) {
            target.Add(add.key, records[add.id]);
        }
        for (const SAdd& add : c.source) {
            source.Add(add.key, records[add.id]);
        }
        CLogDataBase* missing = c.fillMissing ? records[100] : nullptr;
        CLogDataBase* fresh = records[101];
        const size_t prefix = c.prefix;
        target.MergeGroups(
            source, [missing](const CellKey&) { return missing; },
            [fresh, prefix](const CellKey&) { return std::pair<CLogDataBase*, size_t>{fresh, prefix}; });
        EXPECT_EQ(Digest(target), c.expected);
    }
}

TEST(CompactCellStore, MergingIntoItselfDoublesEveryKey) {
    CRecords records;
    CCompactCellStore store;
    store.Add({0, 0}, records[0]);
    store.Add({1, 0}, records[1]);
    store.MergeGroups(
        store, [](const CellKey&) -> CLogDataBase* { return nullptr; },
        [](const CellKey&) { return std::pair<CLogDataBase*, size_t>{nullptr, 0}; });
    EXPECT_EQ(Digest(store), "0/0:0,0 1/0:1,1");
}

// Many merges move and compact the record slices; the result must stay what a plain key map
// built the same way holds.
TEST(CompactCellStore, ManyMergesAndAddsMatchAKeyMap) {
    std::mt19937 random(7);
    CRecords records;
    CCompactCellStore merged;
    std::map<CellKey, CellList> model;
    int next = 0;
    CLogDataBase* fail = records[next++];
    for (int log = 0; log < 200; ++log) {
        CCompactCellStore source;
        std::map<CellKey, CellList> sourceModel;
        const int lines = static_cast<int>(random() % 40);
        for (int i = 0; i < lines; ++i) {
            const CellKey key{static_cast<int>(random() % 6), static_cast<int>(random() % 5)};
            CLogDataBase* record = records[next++];
            source.Add(key, record);
            sourceModel[key].push_back(record);
        }
        const bool first = model.empty();
        for (auto& [key, list] : model) {
            if (!first && sourceModel.count(key) == 0) {
                list.push_back(fail);
            }
        }
        for (const auto& [key, list] : sourceModel) {
            CellList& target = model[key];
            if (target.empty() && log > 0 && !first) {
                target.assign(static_cast<size_t>(log), fail);
            }
            target.insert(target.end(), list.begin(), list.end());
        }
        merged.MergeGroups(
            source, [&](const CellKey&) { return first ? nullptr : fail; },
            [&](const CellKey&) {
                return std::pair<CLogDataBase*, size_t>{fail, first ? 0 : static_cast<size_t>(log)};
            });
        if (log % 17 == 3) {
            // A record added between merges joins its key at the end.
            const CellKey key{static_cast<int>(random() % 6), 9};
            CLogDataBase* record = records[next++];
            merged.Add(key, record);
            model[key].push_back(record);
        }
        ASSERT_EQ(Digest(merged), Digest(model)) << "after log " << log;
    }
    size_t total = 0;
    for (const auto& [key, list] : model) {
        total += list.size();
    }
    EXPECT_EQ(merged.RecordCount(), total);
    EXPECT_EQ(merged.KeyCount(), model.size());
}
