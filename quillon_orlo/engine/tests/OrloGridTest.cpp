#include "OrloGrid.h"

#include <gtest/gtest.h>

using namespace orlo;

TEST(OrloGrid, RowsStandForCombinationsOfZeroToThree) {
    EXPECT_EQ(GetOrloRowCombination(1), (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_EQ(GetOrloRowCombination(27), (std::array<int, 4>{0, 1, 2, 2}));
    EXPECT_EQ(GetOrloRowCombination(256), (std::array<int, 4>{3, 3, 3, 3}));
    EXPECT_EQ(GetOrloRowCombination(66), (std::array<int, 4>{1, 0, 0, 1}));
}

TEST(OrloGrid, HeaderRowAndValueColumns) {
    const CLogPageOrlo page(L"a.txt");
    EXPECT_EQ(GetOrloGridCell(page, 1, 0, 0).m_strText, L"");
    EXPECT_EQ(GetOrloGridCell(page, 1, 0, 1).m_strText, L"dqs");
    EXPECT_EQ(GetOrloGridCell(page, 1, 0, 4).m_strText, L"clk");
    EXPECT_EQ(GetOrloGridCell(page, 1, 0, 5).m_strText, L"0");
    EXPECT_EQ(GetOrloGridCell(page, 1, 0, 36).m_strText, L"31");
    const SOrloCell number = GetOrloGridCell(page, 1, 7, 0);
    EXPECT_EQ(number.m_strText, L"  7");
    EXPECT_EQ(number.m_align, EOrloAlign::Right);
    const SOrloCell value = GetOrloGridCell(page, 1, 27, 3);
    EXPECT_EQ(value.m_strText, L"2");
    EXPECT_TRUE(value.m_bHasBack);
    EXPECT_EQ(value.m_crBack, kOrloDarkGrey);
    EXPECT_EQ(GetOrloGridCell(page, 1, 300, 3).m_strText, L""); // outside: nothing
    EXPECT_EQ(OrloColumnWidth(0), 32);
    EXPECT_EQ(OrloColumnWidth(4), 34);
    EXPECT_EQ(OrloColumnWidth(5), 28);
}

TEST(OrloGrid, LogPageShowsGreenForPassesOnly) {
    CLogPageOrlo page(L"a.txt");
    AddRecord(page, 0, 1, 2, 2, 7, 1);
    AddRecord(page, 0, 1, 2, 2, 7, 1);
    AddRecord(page, 0, 1, 2, 2, 8, 0);
    const SOrloCell pass = GetOrloGridCell(page, 3, 27, 5 + 7);
    EXPECT_EQ(pass.m_crBack, kOrloGreen);
    EXPECT_EQ(pass.m_strText, L""); // no count on a log page
    EXPECT_EQ(GetOrloGridCell(page, 3, 27, 5 + 8).m_crBack, kOrloWhite);
    EXPECT_EQ(GetOrloGridCell(page, 3, 1, 5 + 7).m_crBack, kOrloWhite); // not held
}

TEST(OrloGrid, StatisticsPageShowsCountsAgainstN) {
    CLogPageOrlo page(L"统计图");
    DrvCombination c(0, 1, 2, 2);
    c.m_entries[3] = {3, 1, 3};
    c.m_entries[4] = {4, 1, 2};
    c.m_entries[5] = {5, 1, 4};
    page.Append(c);
    struct SCase {
        int clkwr;
        const wchar_t* text;
        bool hasBack;
        uint32_t back;
    };
    const SCase cases[] = {{3, L"3", true, kOrloGreen},
                           {4, L"2", true, kOrloYellow},
                           {5, L"4", false, kOrloWhite}, // above N: the default colour
                           {6, L"", true, kOrloWhite}};
    for (const SCase& s : cases) {
        const SOrloCell cell = GetOrloGridCell(page, 3, 27, 5 + s.clkwr);
        EXPECT_EQ(cell.m_strText, s.text) << s.clkwr;
        EXPECT_EQ(cell.m_bHasBack, s.hasBack) << s.clkwr;
        if (s.hasBack) {
            EXPECT_EQ(cell.m_crBack, s.back) << s.clkwr;
        }
    }
    SOrloMark mark;
    mark.m_bSet = true;
    mark.m_drive = {0, 1, 2, 2};
    for (int col = 1; col <= 4; ++col) {
        EXPECT_EQ(GetOrloGridCell(page, 3, 27, col, mark).m_crBack, kOrloRed);
        EXPECT_EQ(GetOrloGridCell(page, 3, 28, col, mark).m_crBack, kOrloDarkGrey);
    }
    EXPECT_EQ(GetOrloGridCell(page, 3, 27, 5 + 3, mark).m_crBack, kOrloGreen);
}

TEST(OrloGrid, CellObjectColours) {
    EXPECT_EQ(CLogDataOrlo(0).GetColor(), 0x0000FFu);
    EXPECT_EQ(CLogDataOrlo(1).GetColor(), 0x00FF00u);
    EXPECT_EQ(CLogDataOrlo(-1).GetColor(), 0xFFFFFFu);
    EXPECT_EQ(CLogDataOrlo(2).GetColor(), 0xFFFFFFu);
}
