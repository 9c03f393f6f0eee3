#include "DdrTestSupport.h"
#include "LogDataDDRHynix.h"
#include "LogPageDDRHynix.h"

#include <functional>
#include <type_traits>
#include <memory>

using namespace ddrtest;
using namespace quillon;

namespace {

class LogPageDDRGrid : public CDdrEngineTest {};

/// A page of 4 lanes x 7 columns, blocks of 1 drive-strength row x 8 steps, drive strength
/// 34 only, passing on positions 8 .. 20 of every lane.
template <class Page> std::unique_ptr<Page> OneRowPage() {
    auto page = std::make_unique<Page>();
    page->SetPageSize(4, 7);
    page->SetBlockSize(1, 8);
    for (int byte = 0; byte < 4; ++byte) {
        for (int column = 0; column < 7; ++column) {
            for (int s = 0; s < 8; ++s) {
                const int p = column * 8 + s;
                const int flag = p >= 8 && p <= 20 ? 1 : 0;
                std::unique_ptr<CLogDataBase> record;
                if constexpr (std::is_same_v<Page, CLogPageDDRHynix>) {
                    record = std::make_unique<CLogDataDDRHynix>(flag);
                } else {
                    record = std::make_unique<CLogDataDDR>(flag);
                }
                EXPECT_TRUE(page->AddCell(kPhases[static_cast<size_t>(column)], byte, {s - 3, 34},
                                          std::move(record)));
            }
        }
    }
    page->Finish();
    return page;
}

} // namespace

// Every intended difference between the two pages is one hook; this table names them all.
TEST_F(LogPageDDRGrid, HooksOfTheDdrAndTheHynixPageTable) {
    GetDrvStgRegistry().Register(34);
    GetDrvStgRegistry().Register(40); // exactly two values: the DDR3 kind, row set {34, 40}
    struct SCase {
        const char* name;
        std::function<std::unique_ptr<CLogPageDDRGrid>()> make;
        bool ddrFailFails;
        bool hynixFailFails;
        bool strength48TakesPart;
        int laneValue; // of a row with run length 5 and 9 passing positions
        bool everyLane;
        double divisor; // 7 columns x 8 steps, DDR3 kind
        bool runFields;
        std::wstring message;
        std::wstring toolLog;
    };
    const SCase cases[] = {
        {"DDR", [] { return std::make_unique<CLogPageDDR>(); }, true, false, false, 5, false,
         2.0 * 7 * 8, true, L"occur serious error:fabsRow = 7",
         L"occur serious error: fabsRow = 7"},
        {"Hynix", [] { return std::make_unique<CLogPageDDRHynix>(); }, false, true, true, 9, true,
         7.0 * 8, false, L"occur serious error: fabsRow = 7", L"发生严重错误 fabsRow = 7"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_prompt.Clear();
        const std::unique_ptr<CLogPageDDRGrid> page = c.make();
        page->SetPageSize(4, 7);
        page->SetBlockSize(2, 8);
        const CLogDataDDR ddrFail(0);
        const CLogDataDDR ddrPass(1);
        const CLogDataDDRHynix hynixFail(0);
        EXPECT_EQ(page->IsFailedRecord(&ddrFail), c.ddrFailFails);
        EXPECT_EQ(page->IsFailedRecord(&hynixFail), c.hynixFailFails);
        EXPECT_FALSE(page->IsFailedRecord(&ddrPass));
        EXPECT_TRUE(page->IsFailedRecord(page->MakeFailRecord().get()));
        EXPECT_EQ(page->StrengthTakesPart(48, kDdrKindDDR3), c.strength48TakesPart);
        EXPECT_TRUE(page->StrengthTakesPart(40, kDdrKindDDR3));
        EXPECT_EQ(page->LaneValueOfRow(SRunRecord{3, 7, 5}, 9), c.laneValue);
        EXPECT_EQ(page->ValuesEveryLane(), c.everyLane);
        EXPECT_DOUBLE_EQ(page->RateDivisor(kDdrKindDDR3), c.divisor);
        EXPECT_EQ(page->KeepsRunFields(), c.runFields);
        page->ReportBadSelectedRow(7);
        EXPECT_EQ(Texts(), std::vector<std::wstring>{c.message});
        EXPECT_TRUE(ToolLogHas(c.toolLog));
    }
}

// One analysis for both: the same passing cells give the same best parameters, apart from
// the run fields the Hynix page does not keep, and the lane values of each page's rule.
TEST_F(LogPageDDRGrid, SameCellsGiveTheSameBestParametersOnBothPages) {
    GetDrvStgRegistry().Register(34);
    GetDrvStgRegistry().Register(40); // DDR3 kind: selected and verdict row ordinal 0 (34)
    auto ddr = OneRowPage<CLogPageDDR>();
    auto hynix = OneRowPage<CLogPageDDRHynix>();
    RateMap ddrRates;
    RateMap hynixRates;
    std::vector<SBestParam> ddrBest;
    std::vector<SBestParam> hynixBest;
    int ddrRow = 0;
    int hynixRow = 0;
    EXPECT_TRUE(ddr->Analyse(ddrRates, ddrBest, ddrRow));
    EXPECT_TRUE(hynix->Analyse(hynixRates, hynixBest, hynixRow));
    ASSERT_EQ(ddrBest.size(), 4u);
    ASSERT_EQ(hynixBest.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        // Run 8 .. 20, middle 14: column 1 (54), step 14 % 8 - 3 = 3.
        EXPECT_EQ(hynixBest[i].m_nSdllPhsDly, 54);
        EXPECT_EQ(hynixBest[i].m_nDqsStepDly, 3);
        EXPECT_EQ(hynixBest[i].m_nRunStart, 0);
        EXPECT_EQ(hynixBest[i].m_nRunEnd, 0);
        SBestParam withoutRun = ddrBest[i];
        EXPECT_EQ(withoutRun.m_nRunStart, 8);
        EXPECT_EQ(withoutRun.m_nRunEnd, 20);
        withoutRun.m_nRunStart = 0;
        withoutRun.m_nRunEnd = 0;
        EXPECT_EQ(withoutRun, hynixBest[i]);
    }
    // The run of 13 over the DDR row set of two strengths, the 13 passes over 56 positions.
    EXPECT_EQ(ddrRow, 13);
    EXPECT_EQ(hynixRow, 13);
    ASSERT_EQ(ddrRates.size(), 4u);
    ASSERT_EQ(hynixRates.size(), 4u);
    EXPECT_DOUBLE_EQ(ddrRates.at(2), 13.0 / 112.0);
    EXPECT_DOUBLE_EQ(hynixRates.at(2), 13.0 / 56.0);
    EXPECT_EQ(ddr->GetRunTotals().at(3), 13);
    EXPECT_EQ(hynix->GetPassCounts().at(3), 13);
}

// A page without drive-strength rows: only the Hynix page reports its lanes (at rate 0).
TEST_F(LogPageDDRGrid, LanesWithoutRowsAreReportedByTheHynixPageOnly) {
    GetDrvStgRegistry().Register(48);
    CLogPageDDR ddr;
    CLogPageDDRHynix hynix;
    for (CLogPageDDRGrid* page : {static_cast<CLogPageDDRGrid*>(&ddr),
                                  static_cast<CLogPageDDRGrid*>(&hynix)}) {
        page->SetPageSize(2, 7);
        page->SetBlockSize(0, 8);
    }
    RateMap rates;
    std::vector<SBestParam> best;
    int rowPassNum = 0;
    EXPECT_FALSE(ddr.Analyse(rates, best, rowPassNum));
    EXPECT_TRUE(rates.empty());
    EXPECT_FALSE(hynix.Analyse(rates, best, rowPassNum));
    EXPECT_EQ(rates, (RateMap{{0, 0.0}, {1, 0.0}}));
}

// The merged page of each class fills a key a later log lacks with its own class's fail
// record, which that page's cell test counts.
TEST_F(LogPageDDRGrid, MergeFillsMissingKeysWithThePagesFailRecord) {
    GetDrvStgRegistry().Register(48);
    const auto check = [](CLogPageDDRGrid& first, CLogPageDDRGrid& second) {
        first.SetPageSize(1, 1);
        first.SetBlockSize(1, 8);
        second.SetPageSize(1, 1);
        second.SetBlockSize(1, 8);
        auto merged = first.CreateMergePage();
        merged->MergeFrom(first);
        merged->MergeFrom(second);
        auto& grid = dynamic_cast<CLogPageDDRGrid&>(*merged);
        CellList cells;
        ASSERT_TRUE(grid.GetCells(0, 0, {0, 48}, cells));
        ASSERT_EQ(cells.size(), 2u);
        EXPECT_FALSE(grid.IsFailedRecord(cells[0]));
        EXPECT_TRUE(grid.IsFailedRecord(cells[1]));
        EXPECT_EQ(grid.GetName(), L"统计图");
    };
    CLogPageDDR ddrA;
    CLogPageDDR ddrB;
    ddrA.SetPageSize(1, 1);
    ddrB.SetPageSize(1, 1);
    ASSERT_TRUE(ddrA.AddCell(36, 0, {0, 48}, 1));
    ASSERT_TRUE(ddrB.AddCell(36, 0, {1, 48}, 1));
    check(ddrA, ddrB);
    CLogPageDDRHynix hynixA;
    CLogPageDDRHynix hynixB;
    hynixA.SetPageSize(1, 1);
    hynixB.SetPageSize(1, 1);
    ASSERT_TRUE(hynixA.AddCell(36, 0, {0, 48}, std::make_unique<CLogDataDDRHynix>(1)));
    ASSERT_TRUE(hynixB.AddCell(36, 0, {1, 48}, std::make_unique<CLogDataDDRHynix>(1)));
    check(hynixA, hynixB);
}

// The name lives in the base page: what a page is named is what every caller reads.
TEST_F(LogPageDDRGrid, NameIsTheBasePagesName) {
    CLogPageDDRHynix hynix;
    CLogPageBase& base = hynix;
    base.SetName(L"a.txt");
    EXPECT_EQ(hynix.GetName(), L"a.txt");
    CLogPageDDR ddr;
    ddr.SetName(L"b.txt");
    EXPECT_TRUE(static_cast<CLogPageBase&>(ddr).IsLessByName(ddr) == false);
    CLogPageDDR other;
    other.SetName(L"c.txt");
    EXPECT_TRUE(ddr.IsLessByName(other));
    EXPECT_FALSE(ddr.IsLessByName(hynix)); // pages of two classes are never ordered
}
