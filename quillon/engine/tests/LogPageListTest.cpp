#include "DdrTestSupport.h"
#include "LogPageList.h"

using namespace quillon;
using namespace ddrtest;

namespace {

class LogPageList : public CDdrEngineTest {};

const std::vector<int> kDdr2 = {34, 40, 48, 60, 80};

std::vector<std::wstring> Names(const CLogPageList& list) {
    std::vector<std::wstring> names;
    for (size_t i = 0; i < list.GetPageCount(); ++i) {
        names.push_back(list.GetPageName(static_cast<int>(i)));
    }
    return names;
}

// Every lane passes the first passLength positions of every row.
CellFn PassFirst(int passLength) {
    return [passLength](int, int, int column, int step) {
        return std::optional<int>(column * 8 + step + 3 < passLength ? 1 : 0);
    };
}

// Counts one record's flags in a merged cell: (passes, fails).
std::pair<int, int> Flags(CLogPageBase& page, int byte, int column, const CellKey& key) {
    CellList cells;
    if (!page.GetCells(byte, column, key, cells)) {
        return {-1, -1};
    }
    int pass = 0;
    int fail = 0;
    for (const CLogDataBase* r : cells) {
        const auto* d = dynamic_cast<const CLogDataDDR*>(r);
        (d->GetPassFlag() == 1 ? pass : fail)++;
    }
    return {pass, fail};
}

} // namespace

TEST_F(LogPageList, SortModes) {
    struct SCase {
        int mode;
        std::vector<std::wstring> order;
    };
    const SCase cases[] = {
        {kSortByName, {L"B.txt", L"C.txt", L"a.txt", L"b.txt"}},
        {kSortAscendingByWeakest, {L"C.txt", L"b.txt", L"a.txt", L"B.txt"}},
        {kSortDescendingByWeakest, {L"B.txt", L"a.txt", L"b.txt", L"C.txt"}},
        {7, {L"a.txt", L"b.txt", L"B.txt", L"C.txt"}}, // unknown mode: scan order
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.mode);
        GetDrvStgRegistry().Clear();
        CLogPageList list;
        list.AddPage(MakePage(L"a.txt", kDdr2, PassFirst(40)));
        list.AddPage(MakePage(L"b.txt", kDdr2, PassFirst(30)));
        list.AddPage(MakePage(L"B.txt", kDdr2, PassFirst(50)));
        list.AddPage(MakePage(L"C.txt", kDdr2, PassFirst(20)));
        list.AnalyseAndSort(c.mode);
        EXPECT_EQ(Names(list), c.order);
    }
    EXPECT_TRUE(Texts().empty());
}

TEST_F(LogPageList, EqualValuesKeepScanOrder) {
    CLogPageList list;
    for (const wchar_t* name : {L"x3.txt", L"x1.txt", L"x2.txt"}) {
        list.AddPage(MakePage(name, kDdr2, PassFirst(40)));
    }
    list.AnalyseAndSort(kSortAscendingByWeakest);
    EXPECT_EQ(Names(list), (std::vector<std::wstring>{L"x3.txt", L"x1.txt", L"x2.txt"}));
}

TEST_F(LogPageList, FailedAnalysisDuringSortShowsItsMessagePerPage) {
    CLogPageList list;
    list.AddPage(MakePage(L"a.txt", kDdr2, PassFirst(0)));
    list.AddPage(MakePage(L"b.txt", kDdr2, PassFirst(10)));
    list.AnalyseAndSort(kSortDescendingByWeakest);
    EXPECT_EQ(Texts(), std::vector<std::wstring>{L"analyse result failed"});
    EXPECT_EQ(Names(list), (std::vector<std::wstring>{L"b.txt", L"a.txt"}));
}

TEST_F(LogPageList, NamesOutOfRangeAreEmpty) {
    CLogPageList list;
    list.AddPage(MakePage(L"a.txt", kDdr2, AllPass()));
    EXPECT_EQ(list.GetPageName(0), L"a.txt");
    EXPECT_EQ(list.GetPageName(1), L"");
    EXPECT_EQ(list.GetPageName(-1), L"");
    EXPECT_EQ(list.GetPage(5), nullptr);
}

TEST_F(LogPageList, MergeAddsFailRecordsForMissingCells) {
    // Position (lane 0, column 0, step 0, drive 34): pass in logs 1 and 3, fail in log 2.
    // (lane 0, column 1, step 0, 34): present in log 1 only.
    // (lane 1, column 2, step 0, 34): missing in log 1, passing in logs 2 and 3.
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
            return 1;
        };
    };
    CLogPageList list;
    list.AddPage(MakePage(L"1.txt", kDdr2, cells(1)));
    list.AddPage(MakePage(L"2.txt", kDdr2, cells(2)));
    list.AddPage(MakePage(L"3.txt", kDdr2, cells(3)));
    ASSERT_TRUE(list.BuildMergedPage());
    CLogPageBase* merged = list.GetMergedPage();
    ASSERT_NE(merged, nullptr);
    EXPECT_EQ(merged->GetName(), L"统计图");
    EXPECT_EQ(Flags(*merged, 0, 0, {0, 34}), std::make_pair(2, 1));
    EXPECT_EQ(Flags(*merged, 0, 1, {0, 34}), std::make_pair(1, 2)); // two added fails
    EXPECT_EQ(Flags(*merged, 1, 2, {0, 34}), std::make_pair(2, 0));
    EXPECT_EQ(Flags(*merged, 3, 6, {4, 80}), std::make_pair(3, 0));

    auto* page = dynamic_cast<CLogPageDDR*>(merged);
    ASSERT_NE(page, nullptr);
    const std::set<int>& rows = page->RowSetOfKind(kDdrKindDDR2);
    EXPECT_FALSE(page->CellPasses(0, 3, rows));  // failed in log 2
    EXPECT_FALSE(page->CellPasses(0, 11, rows)); // missing in a later log
    EXPECT_TRUE(page->CellPasses(5, 19, rows));  // first seen in log 2
    EXPECT_EQ(page->GetColumnIndexMap().size(), 7u);
    EXPECT_EQ(page->GetColumnValue(6), 144);
    int rows0 = 0, cols0 = 0;
    page->GetPageSize(rows0, cols0);
    EXPECT_EQ(rows0, 4);
    EXPECT_EQ(cols0, 7);
    page->GetBlockSize(rows0, cols0);
    EXPECT_EQ(rows0, 5);
    EXPECT_EQ(cols0, 8);

    // The merged page is analysed like a log page.
    RateMap rates;
    std::vector<SBestParam> best;
    int rowPassNum = 0;
    EXPECT_TRUE(page->Analyse(rates, best, rowPassNum));
    EXPECT_EQ(rowPassNum, 44); // lane 0, 34: positions 3 and 11 fail, 12..55 is the longest run
    // Freeing deletes the merged page first; the log pages' records stay valid until then.
    list.Free();
    EXPECT_EQ(list.GetMergedPage(), nullptr);
    EXPECT_EQ(list.GetPageCount(), 0u);
}

TEST_F(LogPageList, OneLogMergesToTheSamePattern) {
    CLogPageList list;
    list.AddPage(MakePage(L"1.txt", kDdr2, PassFirst(17)));
    ASSERT_TRUE(list.BuildMergedPage());
    auto* merged = dynamic_cast<CLogPageDDR*>(list.GetMergedPage());
    auto* log = dynamic_cast<CLogPageDDR*>(list.GetPage(0));
    ASSERT_NE(merged, nullptr);
    const std::set<int>& rows = log->RowSetOfKind(kDdrKindDDR2);
    for (int row = 0; row < 20; ++row) {
        for (int p = 0; p < 56; ++p) {
            EXPECT_EQ(merged->CellPasses(row, p, rows), log->CellPasses(row, p, rows));
        }
    }
}

TEST_F(LogPageList, RebuildReplacesTheMergedPage) {
    CLogPageList list;
    EXPECT_FALSE(list.BuildMergedPage()); // no pages, no merged page
    list.AddPage(MakePage(L"1.txt", kDdr2, AllPass()));
    ASSERT_TRUE(list.BuildMergedPage());
    ASSERT_TRUE(list.BuildMergedPage());
    EXPECT_EQ(Flags(*list.GetMergedPage(), 0, 0, {0, 34}), std::make_pair(1, 0));
}
