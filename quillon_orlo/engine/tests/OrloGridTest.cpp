#include "OrloGridCells.h"

#include "LogDataOrlo.h"
#include "OrloGridZoom.h"
#include "OrloVerdictLabels.h"

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

TEST(OrloGridZoom, StepsWithinEightyToHundredTwenty) {
    COrloGridZoom zoom;
    EXPECT_EQ(zoom.RowHeight(5), 28);
    EXPECT_EQ(zoom.ColumnWidth(0), 32);
    EXPECT_TRUE(zoom.Step(10));
    EXPECT_EQ(zoom.Zoom(), 110);
    EXPECT_EQ(zoom.RowHeight(2), 28); // rows 0..2 keep their height
    EXPECT_EQ(zoom.RowHeight(3), 38);
    EXPECT_EQ(zoom.RowHeight(256), 38);
    EXPECT_EQ(zoom.ColumnWidth(0), 35);
    EXPECT_EQ(zoom.ColumnWidth(1), 50);
    EXPECT_EQ(zoom.ColumnWidth(2), 44);
    EXPECT_EQ(zoom.ColumnWidth(36), 38);
    EXPECT_TRUE(zoom.Step(10));
    EXPECT_FALSE(zoom.Step(10)); // 130: held at 120, sizes untouched
    EXPECT_EQ(zoom.Zoom(), 120);
    EXPECT_EQ(zoom.RowHeight(3), 48);
    EXPECT_TRUE(zoom.Step(-40));
    EXPECT_EQ(zoom.Zoom(), 80);
    EXPECT_EQ(zoom.RowHeight(3), 8);
    EXPECT_FALSE(zoom.Step(-1));
    EXPECT_EQ(zoom.Zoom(), 80);
}

TEST(OrloStatisticsPage, BestRowAndColumns) {
    EXPECT_EQ(GetOrloBestRow(1, 2, 2, 1, 13),
              (std::array<std::wstring, 5>{L"1", L"2", L"2", L"1", L"13"}));
    EXPECT_EQ(std::wstring(kOrloBestColumns[2].m_szTitle), L"ctl_drv");
    EXPECT_EQ(kOrloBestColumns[4].m_nWidth, 60);
}

TEST(OrloStatisticsPage, VerdictTextsKeepTheirFirstValueColourFollows) {
    COrloVerdictLabels labels;
    EXPECT_FALSE(labels.Shown());
    EXPECT_TRUE(labels.Update(false, L"原因:断行dqs:1,data:2,ctl:0,clk:2"));
    EXPECT_EQ(labels.ResultText(), L"FAIL");
    EXPECT_EQ(labels.ReasonText(), L"原因:断行dqs:1,data:2,ctl:0,clk:2");
    EXPECT_EQ(labels.ResultColor(), kOrloRed);
    EXPECT_FALSE(labels.Update(true, L""));
    EXPECT_EQ(labels.ResultText(), L"FAIL");
    EXPECT_EQ(labels.ResultColor(), kOrloGreen);

    COrloVerdictLabels passing;
    passing.Update(true, L"ignored");
    EXPECT_EQ(passing.ResultText(), L"PASS");
    EXPECT_EQ(passing.ReasonText(), L""); // empty on pass
}
