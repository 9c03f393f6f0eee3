#include "OrloAnalysis.h"

#include "OrloFixture.h"

#include <gtest/gtest.h>

using namespace orlo;
using namespace orlotest;

namespace {

// A merged-page combination whose entries in [first, last] have the given pass count.
DrvCombination Combo(int dqs, int data, int ctl, int clk, int first = -1, int last = -1,
                     int count = 1) {
    DrvCombination c(dqs, data, ctl, clk);
    for (int i = std::max(first, 0); first >= 0 && i <= last; ++i) {
        c.m_entries[i].m_nState = 1;
        c.m_entries[i].m_nPassCount = count;
    }
    return c;
}

CLogPageOrlo Page(std::initializer_list<DrvCombination> combinations) {
    CLogPageOrlo page(L"统计图");
    for (const DrvCombination& c : combinations) {
        page.Append(c);
    }
    return page;
}

struct SVerdict {
    bool pass;
    std::wstring reason;
};

SVerdict Judge(const CLogPageOrlo& page, const std::vector<OrloThreshold>& thresholds,
               const std::vector<OrloClkwrLimit>& limits, int nPages) {
    SVerdict v{true, L"unset"};
    const bool returned = CheckOrloVerdict(page, thresholds, limits, nPages, v.pass, v.reason);
    EXPECT_EQ(returned, v.pass);
    return v;
}

} // namespace

TEST(OrloLists, SplitPairAtSlashes) {
    using V = std::vector<std::wstring>;
    EXPECT_EQ(SplitOrloPair(L"4/5"), (V{L"4", L"5"}));
    EXPECT_EQ(SplitOrloPair(L"4/5/"), (V{L"4", L"5"})); // nothing after a final slash
    EXPECT_EQ(SplitOrloPair(L"/5"), (V{L"", L"5"}));
    EXPECT_EQ(SplitOrloPair(L"4//5"), (V{L"4", L"", L"5"}));
    EXPECT_EQ(SplitOrloPair(L"4/5//"), (V{L"4", L"5", L""}));
    EXPECT_EQ(SplitOrloPair(L"4"), (V{L"4"}));
    EXPECT_EQ(SplitOrloPair(L"/"), (V{L""}));
    EXPECT_EQ(SplitOrloPair(L""), (V{}));
}

TEST(OrloLists, NumbersReadLikeTheSettingsFileExpects) {
    struct SCase {
        const wchar_t* text;
        int value;
    };
    const SCase cases[] = {{L"12", 12},
                           {L"  -3", -3},
                           {L"+7", 7},
                           {L"20ohm", 20},
                           {L"1 2", 1},
                           {L"", 0},
                           {L"x5", 0},
                           {L"--5", 0},
                           {L"\t9", 9},
                           {L"2147483647", 2147483647},
                           {L"99999999999", 2147483647},
                           {L"-99999999999", -2147483647 - 1}};
    for (const SCase& c : cases) {
        EXPECT_EQ(ParseDecimalInt(c.text, kOrloNumberBlanks), c.value) << c.text;
    }
}

TEST(OrloLists, ThresholdKeysAreParsedAndMalformedOnesSkipped) {
    CTempDir dir;
    CSettingsGuard settings(dir, "[Settings]\n"
                                 "dqs/data_0=1/2\nThresholdValue_0=20\n"
                                 "dqs/data_1=4//5\nThresholdValue_1=21\n"
                                 "dqs/data_2=4/5/\nThresholdValue_2=22\n"
                                 "dqs/data_3=/5\nThresholdValue_3=23\n"
                                 "dqs/data_4=3/3\n"      // no value
                                 "ThresholdValue_5=25\n" // no pair
                                 "dqs/data_6= 2 / 1ohm\nThresholdValue_6= 26x\n"
                                 "dqs/data_7=7\nThresholdValue_7=27\n"   // one part
                                 "dqs/data_8=8/8\nThresholdValue_8=28\n" // beyond index 7
                                 "[BestParam]\n"
                                 "ctl/clk_0=2/1\nclkwr_0=6\n"
                                 "ctl/clk_15=3/3\nclkwr_15=9\n"
                                 "ctl/clk_16=1/1\nclkwr_16=4\n");
    std::vector<OrloThreshold> thresholds{{9, 9, 9}}; // replaced, not appended to
    EXPECT_TRUE(ReadOrloThresholds(thresholds));
    ASSERT_EQ(thresholds.size(), 4u);
    const int expected[][3] = {{1, 2, 20}, {4, 5, 22}, {0, 5, 23}, {2, 1, 26}};
    for (size_t i = 0; i < thresholds.size(); ++i) {
        EXPECT_EQ(thresholds[i].m_nDqsDrv, expected[i][0]) << i;
        EXPECT_EQ(thresholds[i].m_nDataDrv, expected[i][1]) << i;
        EXPECT_EQ(thresholds[i].m_nThreshold, expected[i][2]) << i;
    }
    std::vector<OrloClkwrLimit> limits;
    EXPECT_TRUE(ReadOrloClkwrLimits(limits));
    ASSERT_EQ(limits.size(), 2u);
    EXPECT_EQ(limits[0].m_nCtl, 2);
    EXPECT_EQ(limits[0].m_nClkDrv, 1);
    EXPECT_EQ(limits[0].m_nClkwrLimit, 6);
    EXPECT_EQ(limits[1].m_nCtl, 3);
    EXPECT_EQ(limits[1].m_nClkwrLimit, 9);

    settings.Set("");
    EXPECT_FALSE(ReadOrloThresholds(thresholds));
    EXPECT_TRUE(thresholds.empty());
    EXPECT_FALSE(ReadOrloClkwrLimits(limits));
}

TEST(OrloLists, LookupTakesTheFirstEntry) {
    const std::vector<OrloThreshold> t = {{1, 2, 5}, {1, 2, 9}};
    ASSERT_NE(FindOrloThreshold(t, 1, 2), nullptr);
    EXPECT_EQ(FindOrloThreshold(t, 1, 2)->m_nThreshold, 5);
    EXPECT_EQ(FindOrloThreshold(t, 2, 1), nullptr);
    const std::vector<OrloClkwrLimit> l = {{0, 1, 3}, {0, 1, 8}};
    EXPECT_EQ(FindOrloClkwrLimit(l, 0, 1)->m_nClkwrLimit, 3);
    EXPECT_EQ(FindOrloClkwrLimit(l, 1, 0), nullptr);
}

TEST(OrloGetPassWindow, CountsFromFirstToLastFullPassWithGaps) {
    DrvCombination c = Combo(0, 0, 0, 0, 3, 9, 2);
    c.m_entries[6].m_nPassCount = 1; // passed in one log of two
    EXPECT_EQ(GetPassWindow(c, 2), 7);
    EXPECT_EQ(CountFullPasses(c, 2), 6);
    EXPECT_EQ(GetPassWindow(c, 3), 0); // a third log: nothing passed everywhere
    EXPECT_EQ(CountFullPasses(c, 3), 0);

    DrvCombination ends = Combo(0, 0, 0, 0);
    for (int i : {4, 20}) {
        ends.m_entries[i] = {i, 1, 1};
    }
    EXPECT_EQ(GetPassWindow(ends, 1), 17);
    EXPECT_EQ(CountFullPasses(ends, 1), 2);
    EXPECT_EQ(GetPassWindow(Combo(0, 0, 0, 0, 31, 31), 1), 1);
    EXPECT_EQ(GetPassWindow(Combo(0, 0, 0, 0, 0, 31), 1), 32);
    EXPECT_EQ(GetPassWindow(Combo(0, 0, 0, 0), 1), 0);
}

TEST(CheckOrloVerdict, StepsInOrderWithTheirReasons) {
    CTempDir dir;
    CSettingsGuard settings(dir, "");
    const std::vector<OrloThreshold> block12 = {{1, 2, 0}};
    const std::vector<OrloClkwrLimit> limit00 = {{0, 0, 6}, {0, 2, 0}, {0, 3, 0}, {0, 1, 3}};
    struct SCase {
        const char* what;
        std::string settings;
        CLogPageOrlo page;
        std::vector<OrloThreshold> thresholds;
        bool pass;
        std::wstring reason;
    };
    std::vector<SCase> cases;
    cases.push_back({"window 5 below limit 6", "", Page({Combo(1, 2, 0, 0, 10, 14)}), block12,
                     false, L"原因:1,2,0,0的clkwr的pass数目5小于6"});
    cases.push_back(
        {"unlisted pair is never checked", "", Page({Combo(1, 2, 1, 1)}), block12, true, L""});
    cases.push_back({"unlisted block is never checked", "", Page({Combo(3, 3, 0, 0, 10, 14)}),
                     block12, true, L""});
    cases.push_back({"broken row with clk_drv 2", "", Page({Combo(1, 2, 0, 2)}), block12, false,
                     L"原因:断行dqs:1,data:2,ctl:0,clk:2"});
    cases.push_back(
        {"no full pass with clk_drv 3 passes", "", Page({Combo(1, 2, 0, 3)}), block12, true, L""});
    cases.push_back({"limit comes before broken row", "", Page({Combo(1, 2, 0, 1)}), block12, false,
                     L"原因:1,2,0,1的clkwr的pass数目0小于3"});
    cases.push_back({"first failing combination in page order", "",
                     Page({Combo(1, 2, 0, 2), Combo(1, 2, 0, 0, 10, 14)}), block12, false,
                     L"原因:断行dqs:1,data:2,ctl:0,clk:2"});
    cases.push_back({"a combination fails before the block maximum",
                     "[Settings]\nMaxThresholdValue=100\n", Page({Combo(1, 2, 0, 0, 10, 14)}),
                     block12, false, L"原因:1,2,0,0的clkwr的pass数目5小于6"});
    cases.push_back({"largest block sum below MaxThresholdValue",
                     "[Settings]\nMaxThresholdValue=20\n[BestParam]\nMaxClkwrLen=30\n",
                     Page({Combo(1, 2, 0, 0, 0, 9), Combo(1, 2, 0, 3, 0, 8)}), block12, false,
                     L"块中最大的pass数目:19,不满足块的最大阀值:20"});
    cases.push_back({"longest window below MaxClkwrLen", "[BestParam]\nMaxClkwrLen=11\n",
                     Page({Combo(1, 2, 0, 0, 0, 9), Combo(1, 2, 0, 3, 0, 8),
                           Combo(1, 2, 3, 0, 0, 20)}), // unlisted pair: not a row of its own
                     block12, false, L"行中最大的clkwr长度:10,不满足最大clkwr长度限制:11"});
    cases.push_back({"block below its threshold",
                     "",
                     Page({Combo(1, 2, 0, 0, 0, 9), Combo(1, 2, 0, 3, 0, 8)}),
                     {{1, 2, 20}},
                     false,
                     L"原因: dqs=1,data=2标识块中\npass数目:19,不满足阀值:20"});
    cases.push_back({"every threshold entry of a block is checked",
                     "",
                     Page({Combo(1, 2, 0, 0, 0, 9)}),
                     {{1, 2, 5}, {1, 2, 11}},
                     false,
                     L"原因: dqs=1,data=2标识块中\npass数目:10,不满足阀值:11"});
    cases.push_back({"blocks in dqs then data order",
                     "",
                     Page({Combo(2, 0, 0, 0, 0, 9), Combo(1, 3, 0, 0, 0, 9)}),
                     {{2, 0, 11}, {1, 3, 11}},
                     false,
                     L"原因: dqs=1,data=3标识块中\npass数目:10,不满足阀值:11"});
    cases.push_back({"all met",
                     "[Settings]\nMaxThresholdValue=19\n[BestParam]\nMaxClkwrLen=10\n",
                     Page({Combo(1, 2, 0, 0, 0, 9), Combo(1, 2, 0, 3, 0, 8)}),
                     {{1, 2, 19}},
                     true,
                     L""});
    cases.push_back(
        {"empty lists and no maxima pass", "", Page({Combo(1, 2, 0, 2)}), {}, true, L""});
    cases.push_back({"empty threshold list: the maxima decide",
                     "[Settings]\nMaxThresholdValue=1\n",
                     Page({Combo(1, 2, 0, 0, 0, 9)}),
                     {},
                     false,
                     L"块中最大的pass数目:0,不满足块的最大阀值:1"});
    for (const SCase& c : cases) {
        settings.Set(c.settings);
        const SVerdict v = Judge(c.page, c.thresholds, limit00, 1);
        EXPECT_EQ(v.pass, c.pass) << c.what;
        EXPECT_EQ(v.reason, c.reason) << c.what;
    }
}

TEST(CheckOrloVerdict, EmptyLimitListSkipsTheCombinationChecks) {
    CTempDir dir;
    CSettingsGuard settings(dir, "");
    const SVerdict v =
        Judge(Page({Combo(1, 2, 0, 2), Combo(1, 2, 0, 0, 1, 1)}), {{1, 2, 0}}, {}, 1);
    EXPECT_TRUE(v.pass);
    EXPECT_EQ(v.reason, L"");
}

TEST(CheckOrloVerdict, LimitsAreReadAtEveryCall) {
    CTempDir dir;
    CSettingsGuard settings(dir, "[Settings]\nMaxThresholdValue=5\n");
    const CLogPageOrlo page = Page({Combo(1, 2, 0, 0, 0, 3)});
    EXPECT_FALSE(Judge(page, {{1, 2, 0}}, {}, 1).pass);
    settings.Set("[Settings]\nMaxThresholdValue=4\n");
    EXPECT_TRUE(Judge(page, {{1, 2, 0}}, {}, 1).pass);
}

namespace {

struct SBest {
    bool found;
    int dqs, data, ctl, clk, clkwr;
};

SBest Best(const CLogPageOrlo& page, const std::vector<OrloThreshold>& thresholds,
           const std::vector<OrloClkwrLimit>& limits, int nPages = 1) {
    SBest b{false, 0, 0, 0, 0, 0};
    b.found =
        FindOrloBestParam(page, thresholds, limits, nPages, b.dqs, b.data, b.ctl, b.clk, b.clkwr);
    return b;
}

void ExpectBest(const SBest& b, const SBest& e, const char* what) {
    EXPECT_EQ(b.found, e.found) << what;
    EXPECT_EQ(b.dqs, e.dqs) << what;
    EXPECT_EQ(b.data, e.data) << what;
    EXPECT_EQ(b.ctl, e.ctl) << what;
    EXPECT_EQ(b.clk, e.clk) << what;
    EXPECT_EQ(b.clkwr, e.clkwr) << what;
}

} // namespace

TEST(FindOrloBestParam, EqualSumsChooseTheFirstBlockInOrder) {
    const CLogPageOrlo page =
        Page({Combo(2, 0, 0, 0, 0, 9), Combo(1, 3, 0, 0, 5, 14), Combo(1, 0, 0, 0, 0, 3)});
    ExpectBest(Best(page, {{2, 0, 0}, {1, 3, 0}, {1, 0, 0}}, {{0, 0, 0}}), {true, 1, 3, 0, 0, 9},
               "(1,3) before (2,0)");
}

TEST(FindOrloBestParam, CandidatePairsInLimitListOrder) {
    const CLogPageOrlo page =
        Page({Combo(1, 2, 1, 0, 10, 17), Combo(1, 2, 2, 1, 4, 11), Combo(1, 2, 3, 3, 0, 2)});
    ExpectBest(Best(page, {{1, 2, 0}}, {{2, 1, 0}, {1, 0, 0}, {3, 3, 0}}), {true, 1, 2, 2, 1, 7},
               "listed 2/1 first");
    ExpectBest(Best(page, {{1, 2, 0}}, {{1, 0, 0}, {2, 1, 0}}), {true, 1, 2, 1, 0, 13},
               "listed 1/0 first");
}

TEST(FindOrloBestParam, BestLengthHonoursEachPairsLimit) {
    // (1,0) is longer but misses its limit of 12; (2,1) meets its limit of 5.
    const CLogPageOrlo page = Page({Combo(1, 2, 1, 0, 0, 9), Combo(1, 2, 2, 1, 20, 27)});
    ExpectBest(Best(page, {{1, 2, 0}}, {{1, 0, 12}, {2, 1, 5}}), {true, 1, 2, 2, 1, 23},
               "limit applies");
    // Nothing meets its limit: the best length is 0 and no combination has window 0.
    ExpectBest(Best(page, {{1, 2, 0}}, {{1, 0, 12}, {2, 1, 12}}), {false, 1, 2, 0, 0, 0},
               "no candidate");
    // A listed combination without any full pass has window 0 and is then the candidate.
    const CLogPageOrlo withEmpty = Page({Combo(1, 2, 1, 0, 0, 9), Combo(1, 2, 0, 3)});
    ExpectBest(Best(withEmpty, {{1, 2, 0}}, {{1, 0, 12}, {0, 3, 12}}), {true, 1, 2, 0, 3, 0},
               "window 0 candidate");
}

TEST(FindOrloBestParam, ClkwrIsTheMiddleOfTheFullPasses) {
    struct SCase {
        DrvCombination combo;
        int clkwr;
    };
    DrvCombination gap = Combo(0, 0, 0, 0);
    gap.m_entries[4] = {4, 1, 1};
    gap.m_entries[21] = {21, 1, 1};
    DrvCombination partial = Combo(0, 0, 0, 0, 10, 20, 1);
    for (int i = 10; i <= 13; ++i) {
        partial.m_entries[i].m_nPassCount = 2;
    }
    const SCase cases[] = {{Combo(0, 0, 0, 0, 10, 17), 13}, // (10 + 17) / 2
                           {Combo(0, 0, 0, 0, 9, 9), 9},
                           {gap, 12},
                           {Combo(0, 0, 0, 0, 0, 31), 15}};
    for (const SCase& c : cases) {
        const SBest b = Best(Page({c.combo}), {{0, 0, 0}}, {{0, 0, 0}});
        EXPECT_TRUE(b.found);
        EXPECT_EQ(b.clkwr, c.clkwr);
    }
    const SBest b = Best(Page({partial}), {{0, 0, 0}}, {{0, 0, 0}}, 2);
    EXPECT_TRUE(b.found);
    EXPECT_EQ(b.clkwr, 11); // full passes (count 2) only at 10..13
}

TEST(FindOrloBestParam, EarlyStopsLeaveLaterOutputsAtZero) {
    // A broken row in a listed block stops at once, listed pair or not.
    ExpectBest(Best(Page({Combo(1, 2, 0, 0, 0, 9), Combo(1, 2, 3, 2)}), {{1, 2, 0}}, {{0, 0, 0}}),
               {false, 0, 0, 0, 0, 0}, "broken row");
    // A broken row in an unlisted block does not count.
    ExpectBest(Best(Page({Combo(1, 2, 0, 0, 0, 9), Combo(3, 3, 3, 2)}), {{1, 2, 0}}, {{0, 0, 0}}),
               {true, 1, 2, 0, 0, 4}, "unlisted block");
    // Some block below its threshold: the block is chosen, nothing after it.
    ExpectBest(Best(Page({Combo(1, 2, 0, 0, 0, 9), Combo(2, 2, 0, 0, 0, 3)}),
                    {{1, 2, 0}, {2, 2, 5}}, {{0, 0, 0}}),
               {false, 1, 2, 0, 0, 0}, "threshold");
    // Empty limit list: no candidates.
    ExpectBest(Best(Page({Combo(1, 2, 0, 0, 0, 9)}), {{1, 2, 0}}, {}), {false, 1, 2, 0, 0, 0},
               "no limits");
    // Without any listed block the search goes on with (0, 0).
    ExpectBest(Best(Page({Combo(0, 0, 1, 1, 2, 6), Combo(1, 2, 0, 0, 0, 9)}), {}, {{1, 1, 0}}),
               {true, 0, 0, 1, 1, 4}, "no blocks");
}
