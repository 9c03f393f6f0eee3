#include "DdrTestSupport.h"
#include "LogPageEMMC.h"
#include "LogPageList.h"

using namespace quillon;
using namespace ddrtest;

namespace {

class CellShare : public CDdrEngineTest {};

const std::vector<int> kDdr2 = {34, 40, 48, 60, 80};

SPassShare Share(int logs, int passed, std::vector<std::wstring> failed) {
    SPassShare share;
    share.m_nLogs = logs;
    share.m_nPassed = passed;
    share.m_vecFailedLogs = std::move(failed);
    return share;
}

std::unique_ptr<CLogPageEMMC> EmmcPage(const std::wstring& name, int32_t mode) {
    auto page = std::make_unique<CLogPageEMMC>();
    page->SetName(name);
    page->SetPageSize(2, 2);
    page->SetBlockSize(8, 8);
    page->SetLogMode(mode);
    page->CreateBlocks();
    return page;
}

} // namespace

TEST_F(CellShare, DdrCellsReadLogByLogFromTheMergedRecords) {
    // (lane 0, column 0, step 0, 34): pass in logs 1 and 3, fail in log 2.
    // (lane 0, column 1, step 0, 34): in log 1 only (the merge fails it for logs 2 and 3).
    // (lane 1, column 2, step 0, 34): missing in log 1, passing in logs 2 and 3.
    // (lane 2, column 3, step 1, 40): failing in logs 1 and 3.
    auto cells = [](int log) {
        return [log](int byte, int drv, int column, int step) -> std::optional<int> {
            if (byte == 0 && column == 0 && step == 0 && drv == 34) {
                return log == 2 ? 0 : 1;
            }
            if (byte == 0 && column == 1 && step == 0 && drv == 34 && log != 1) {
                return std::nullopt;
            }
            if (byte == 1 && column == 2 && step == 0 && drv == 34 && log == 1) {
                return std::nullopt;
            }
            if (byte == 2 && column == 3 && step == 1 && drv == 40 && log != 2) {
                return 0;
            }
            return 1;
        };
    };
    CLogPageList list;
    EXPECT_EQ(list.CellShare(0, 0, {0, 34}), SPassShare{}); // no merged page yet
    list.AddPage(MakePage(L"1.txt", kDdr2, cells(1)));
    list.AddPage(MakePage(L"2.txt", kDdr2, cells(2)));
    list.AddPage(MakePage(L"3.txt", kDdr2, cells(3)));
    ASSERT_TRUE(list.BuildMergedPage());

    struct SCase {
        int byte, column;
        CellKey key;
        SPassShare expected;
    };
    const SCase cases[] = {
        {0, 0, {0, 34}, Share(3, 2, {L"2.txt"})},
        {0, 1, {0, 34}, Share(3, 1, {L"2.txt", L"3.txt"})},
        {1, 2, {0, 34}, Share(2, 2, {})},
        {2, 3, {1, 40}, Share(3, 1, {L"1.txt", L"3.txt"})},
        {3, 6, {4, 80}, Share(3, 3, {})},
        {0, 0, {9, 34}, SPassShare{}}, // no such key
        {5, 0, {0, 34}, SPassShare{}}, // no such block
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.byte << "," << c.column);
        const SPassShare share = list.CellShare(c.byte, c.column, c.key);
        EXPECT_EQ(share, c.expected);
    }
    const SPassShare twoOfThree = list.CellShare(0, 0, {0, 34});
    EXPECT_DOUBLE_EQ(twoOfThree.Share(), 2.0 / 3.0);
    EXPECT_EQ(PassShareToolTip(twoOfThree), L"passed in 2 of 3 logs (67 %)\nfailed in:\n2.txt");

    // The strict count of the same cell comes from the same records.
    CellList records;
    ASSERT_TRUE(list.GetMergedPage()->GetCells(0, 1, {0, 34}, records));
    EXPECT_EQ(records.size(), 3u);
}

TEST_F(CellShare, DuplicateLinesOfOneLogCountOnce) {
    auto first = MakePage(L"a.txt", kDdr2, AllPass());
    // A second line for one cell of log a, failing: a failed there, once.
    ASSERT_TRUE(first->AddCell(kPhases[0], 0, {0, 34}, std::make_unique<CLogDataDDR>(0)));
    first->Finish();
    CLogPageList list;
    list.AddPage(std::move(first));
    list.AddPage(MakePage(L"b.txt", kDdr2, AllPass()));
    ASSERT_TRUE(list.BuildMergedPage());
    EXPECT_EQ(list.CellShare(0, 0, {0, 34}), Share(2, 1, {L"a.txt"}));
    EXPECT_EQ(list.CellShare(0, 0, {1, 34}), Share(2, 2, {}));
}

TEST_F(CellShare, EmmcPassMarksCountEveryLog) {
    // Mode 0 marks passing cells: a log without a record there did not pass it.
    CLogPageList list;
    auto one = EmmcPage(L"1.txt", 0);
    auto two = EmmcPage(L"2.txt", 0);
    auto three = EmmcPage(L"3.txt", 0);
    ASSERT_TRUE(one->AddCell(0, 0, 1, 0, kEmmcNoError));
    ASSERT_TRUE(two->AddCell(0, 0, 1, 0, kEmmcNoError));
    ASSERT_TRUE(three->AddCell(0, 0, 1, 0, kEmmcReadError));
    ASSERT_TRUE(two->AddCell(1, 1, 2, 3, kEmmcNoError)); // first seen in log 2
    ASSERT_TRUE(two->AddCell(1, 1, 2, 3, kEmmcNoError)); // twice there
    list.AddPage(std::move(one));
    list.AddPage(std::move(two));
    list.AddPage(std::move(three));
    ASSERT_TRUE(list.BuildMergedPage());
    // eMMC blocks are addressed (row value, column value), cells (in-block column, row).
    EXPECT_EQ(list.CellShare(0, 0, {1, 0}), Share(3, 2, {L"3.txt"}));
    EXPECT_EQ(list.CellShare(1, 1, {2, 3}), Share(3, 1, {L"1.txt", L"3.txt"}));
    EXPECT_EQ(list.CellShare(0, 0, {5, 5}), SPassShare{});
}

TEST_F(CellShare, EmmcErrorMarksFailTheLogsThatHaveThem) {
    CLogPageList list;
    auto one = EmmcPage(L"1.txt", 1);
    auto two = EmmcPage(L"2.txt", 1);
    ASSERT_TRUE(two->AddCell(1, 0, 4, 4, kEmmcWriteError));
    list.AddPage(std::move(one));
    list.AddPage(std::move(two));
    ASSERT_TRUE(list.BuildMergedPage());
    EXPECT_EQ(list.CellShare(0, 1, {4, 4}), Share(2, 1, {L"2.txt"}));
}
