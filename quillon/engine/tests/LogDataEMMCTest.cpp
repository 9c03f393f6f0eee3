#include "LogDataEMMC.h"

#include <gtest/gtest.h>

using namespace quillon;

TEST(LogDataEMMC, ColourTablePerMode) {
    struct SCase {
        int32_t code;
        ColorRef mode0;
        ColorRef mode12;
        const wchar_t* letter;
    };
    const SCase cases[] = {
        {kEmmcReadError, 0xFFFFFF, 0x0000FF, L"R"},  {kEmmcWriteError, 0xFFFFFF, 0x00FFFF, L"W"},
        {kEmmcCheckError, 0xFFFFFF, 0x005FBD, L"C"}, {kEmmcNoError, 0x00FF00, 0xFFFFFF, L"Y"},
        {kEmmcNoResult, 0x000000, 0x000000, L"-"},   {7, 0x000000, 0x000000, L"-"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(CLogDataEMMC(c.code, 0).GetColor(), c.mode0) << c.code;
        EXPECT_EQ(CLogDataEMMC(c.code, 1).GetColor(), c.mode12) << c.code;
        EXPECT_EQ(CLogDataEMMC(c.code, 2).GetColor(), c.mode12) << c.code;
        EXPECT_STREQ(EmmcRecordLetter(c.code), c.letter);
    }
}
