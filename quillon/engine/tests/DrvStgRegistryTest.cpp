#include "DrvStgRegistry.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quillon;

TEST(DrvStgRegistry, OrdinalsFollowTheLargestValue) {
    CDrvStgRegistry registry;
    for (const int v : {34, 40, 48, 40, 34}) {
        registry.Register(v);
    }
    EXPECT_EQ(registry.Map(), (std::map<int, int>{{34, 0}, {40, 1}, {48, 2}}));
    EXPECT_EQ(registry.ValueOfOrdinal(2), 48);
    EXPECT_EQ(registry.ValueOfOrdinal(3), -1);
    int ordinal = -7;
    EXPECT_TRUE(registry.OrdinalOf(40, ordinal));
    EXPECT_EQ(ordinal, 1);
    EXPECT_FALSE(registry.OrdinalOf(60, ordinal));
    EXPECT_EQ(ordinal, 1);
}

TEST(DrvStgRegistry, ValuesOutOfOrderShareOrdinals) {
    // 40 first (0); 34 takes 40's ordinal + 1 (1); 48 is now the largest's successor of 40
    // (ordinal 0 + 1): two values hold ordinal 1 and the smaller one answers for it.
    CDrvStgRegistry registry;
    for (const int v : {40, 34, 48}) {
        registry.Register(v);
    }
    EXPECT_EQ(registry.Map(), (std::map<int, int>{{34, 1}, {40, 0}, {48, 1}}));
    EXPECT_EQ(registry.ValueOfOrdinal(1), 34);
    EXPECT_EQ(registry.ValueOfOrdinal(2), -1);
}

TEST(DrvStgRegistry, DdrKindTable) {
    struct SCase {
        std::vector<int> values;
        int kind;
    };
    const SCase cases[] = {
        {{}, kDdrKindNone},
        {{34, 40}, kDdrKindDDR3},
        {{31, 33}, kDdrKindDDR3}, // exactly two values is DDR3 whatever they are
        {{34, 40, 48, 60, 80}, kDdrKindDDR2},
        {{31, 33, 39, 43, 48, 55, 64}, kDdrKindDDR1},
        {{31, 34, 40}, kDdrKindDDR2}, // 34 wins over 31
        {{48}, kDdrKindNone},
        {{48, 60, 80}, kDdrKindNone},
        {{34}, kDdrKindDDR2},
    };
    for (const SCase& c : cases) {
        CDrvStgRegistry registry;
        for (const int v : c.values) {
            registry.Register(v);
        }
        EXPECT_EQ(registry.GetDDRKind(), c.kind) << testing::PrintToString(c.values);
    }
}

TEST(DrvStgRegistry, ProcessWideAndClear) {
    GetDrvStgRegistry().Clear();
    GetDrvStgRegistry().Register(31);
    EXPECT_FALSE(GetDrvStgRegistry().Empty());
    EXPECT_EQ(GetDrvStgRegistry().GetDDRKind(), kDdrKindDDR1);
    GetDrvStgRegistry().Clear();
    EXPECT_TRUE(GetDrvStgRegistry().Empty());
}
