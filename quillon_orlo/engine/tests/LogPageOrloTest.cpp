#include "LogPageOrlo.h"
#include "OrloPageList.h"

#include <gtest/gtest.h>

using namespace orlo;

namespace {

std::unique_ptr<CLogPageOrlo> PageWithPasses(const std::wstring& name,
                                             std::initializer_list<int> passes) {
    auto page = std::make_unique<CLogPageOrlo>(name, kTemperatureNormal);
    for (int c = 0; c < kClkwrCount; ++c) {
        bool pass = false;
        for (int p : passes) {
            pass = pass || p == c;
        }
        AddRecord(*page, 2, 1, 3, 0, c, pass ? 1 : 0);
    }
    return page;
}

} // namespace

TEST(OrloDrvCombination, NewCombinationHas32FreshEntries) {
    const DrvCombination c(2, 1, 3, 0);
    for (int i = 0; i < kClkwrCount; ++i) {
        EXPECT_EQ(c.m_entries[i].m_nClkwr, i);
        EXPECT_EQ(c.m_entries[i].m_nState, -1);
        EXPECT_EQ(c.m_entries[i].m_nPassCount, 0);
    }
    const DrvCombination zero;
    EXPECT_EQ(zero.Key(), (std::array<int, 4>{0, 0, 0, 0}));
    DrvCombination other(2, 1, 3, 0);
    other.m_entries[4].m_nState = 1;
    EXPECT_TRUE(c.SameDrive(other)); // entries take no part
    EXPECT_FALSE(c.SameDrive(DrvCombination(2, 1, 3, 1)));
}

TEST(OrloAddRecord, PassFailAndOutOfRangeClkwr) {
    CLogPageOrlo page(L"a.txt");
    AddRecord(page, 2, 1, 3, 0, 7, 1);
    ASSERT_EQ(page.Combinations().size(), 1u);
    const DrvCombination& c = page.Combinations()[0];
    EXPECT_EQ(c.Key(), (std::array<int, 4>{2, 1, 3, 0}));
    EXPECT_EQ(c.m_entries[7].m_nState, 1);
    EXPECT_EQ(c.m_entries[7].m_nPassCount, 1);

    // A fail creates its combination but changes no entry.
    AddRecord(page, 2, 1, 3, 1, 7, 0);
    ASSERT_EQ(page.Combinations().size(), 2u);
    for (const ClkwrEntry& e : page.Combinations()[1].m_entries) {
        EXPECT_EQ(e.m_nState, -1);
        EXPECT_EQ(e.m_nPassCount, 0);
    }

    // Outside 0..31 nothing happens, not even a new combination.
    for (int clkwr : {-1, 32, 1000}) {
        AddRecord(page, 9, 9, 9, 9, clkwr, 1);
    }
    EXPECT_EQ(page.Combinations().size(), 2u);
    AddRecord(page, 9, 9, 9, 9, 31, 1);
    AddRecord(page, 9, 9, 9, 9, 0, 1);
    ASSERT_EQ(page.Combinations().size(), 3u);
    EXPECT_EQ(page.Combinations()[2].m_entries[31].m_nState, 1);
    EXPECT_EQ(page.Combinations()[2].m_entries[0].m_nState, 1);
}

TEST(OrloAddRecord, RepeatedPassCountsTwiceAndOrderIsFirstSeen) {
    CLogPageOrlo page(L"a.txt");
    AddRecord(page, 1, 0, 0, 0, 3, 1);
    AddRecord(page, 0, 0, 0, 0, 3, 1);
    AddRecord(page, 1, 0, 0, 0, 3, 1); // back to the first combination
    AddRecord(page, 0, 0, 0, 0, 4, 0);
    ASSERT_EQ(page.Combinations().size(), 2u);
    EXPECT_EQ(page.Combinations()[0].m_nDqsDrv, 1);
    EXPECT_EQ(page.Combinations()[0].m_entries[3].m_nPassCount, 2);
    EXPECT_EQ(page.Combinations()[1].m_entries[3].m_nPassCount, 1);
    EXPECT_EQ(page.Find(0, 0, 0, 0), &page.Combinations()[1]);
    EXPECT_EQ(page.Find(0, 0, 0, 5), nullptr);
}

TEST(OrloBuildMergedPage, PassCountsFollowTheFirstPageThenOnePerLaterPage) {
    struct SCase {
        std::initializer_list<int> first;
        std::initializer_list<int> second;
        int expectedState;
        int expectedCount;
    };
    const SCase cases[] = {
        {{7}, {7}, 1, 2}, // both logs passed 7
        {{}, {7}, 1, 1},  // only the second
        {{7}, {}, 1, 1},  // only the first
        {{}, {}, -1, 0},  // neither
    };
    for (const SCase& c : cases) {
        OrloPageList list;
        list.Append(PageWithPasses(L"a.txt", c.first));
        list.Append(PageWithPasses(L"b.txt", c.second));
        BuildMergedPage(list);
        ASSERT_NE(list.Merged(), nullptr);
        EXPECT_EQ(list.Merged()->Name(), L"统计图");
        EXPECT_EQ(list.Merged()->Temperature(), kTemperatureNone);
        const DrvCombination* m = list.Merged()->Find(2, 1, 3, 0);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->m_entries[7].m_nState, c.expectedState);
        EXPECT_EQ(m->m_entries[7].m_nPassCount, c.expectedCount);
        // The pages keep their own counts.
        EXPECT_LE(list.Pages()[0]->Find(2, 1, 3, 0)->m_entries[7].m_nPassCount, 1);
    }
}

TEST(OrloBuildMergedPage, CopiesTheFirstPagesCountsAndKeepsCombinationOrder) {
    OrloPageList list;
    auto a = std::make_unique<CLogPageOrlo>(L"a.txt");
    AddRecord(*a, 0, 0, 0, 1, 5, 1);
    AddRecord(*a, 0, 0, 0, 1, 5, 1); // twice in the first log: count 2 carried over
    auto b = std::make_unique<CLogPageOrlo>(L"b.txt");
    AddRecord(*b, 3, 3, 3, 3, 0, 1);
    AddRecord(*b, 0, 0, 0, 1, 5, 1);
    AddRecord(*b, 0, 0, 0, 1, 5, 1); // a later page adds one, however often it passed
    list.Append(std::move(a));
    list.Append(std::move(b));
    BuildMergedPage(list);
    const auto& merged = list.Merged()->Combinations();
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_EQ(merged[0].Key(), (std::array<int, 4>{0, 0, 0, 1}));
    EXPECT_EQ(merged[1].Key(), (std::array<int, 4>{3, 3, 3, 3}));
    EXPECT_EQ(merged[0].m_entries[5].m_nPassCount, 3);
    EXPECT_EQ(merged[1].m_entries[0].m_nPassCount, 1);
}

TEST(OrloPageList, PageNamesAndFree) {
    OrloPageList list;
    list.Append(std::make_unique<CLogPageOrlo>(L"a.txt"));
    BuildMergedPage(list);
    EXPECT_EQ(list.PageName(0), L"a.txt");
    EXPECT_EQ(list.PageName(1), L"");
    list.Free();
    EXPECT_EQ(list.PageCount(), 0u);
    EXPECT_EQ(list.Merged(), nullptr);
}
