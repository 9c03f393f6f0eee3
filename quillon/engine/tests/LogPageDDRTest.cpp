#include "AnalyzerSettings.h"
#include "DdrTestSupport.h"

#include <algorithm>
#include <random>

using namespace quillon;
using namespace ddrtest;

namespace {

class LogPageDDR : public CDdrEngineTest {};

const std::vector<int> kDdr2 = {34, 40, 48, 60, 80};
const std::vector<int> kDdr3 = {34, 40};

std::string Positions(std::initializer_list<std::pair<int, int>> ranges) {
    std::string pattern(56, '0');
    for (const auto& [from, to] : ranges) {
        for (int p = from; p <= to; ++p) {
            pattern[static_cast<size_t>(p)] = '1';
        }
    }
    return pattern;
}

struct SAnalysis {
    bool ok = false;
    RateMap rates;
    std::vector<SBestParam> best;
    int rowPassNum = -1;
};

SAnalysis Analyse(CLogPageDDR& page) {
    SAnalysis a;
    a.ok = page.Analyse(a.rates, a.best, a.rowPassNum);
    return a;
}

SBestParam Best(int byte, int phase, int step, int drv, int start, int end) {
    SBestParam b;
    b.m_nByte = byte;
    b.m_nSdllPhsDly = phase;
    b.m_nDqsStepDly = step;
    b.m_nDrvStg = drv;
    b.m_nRunStart = start;
    b.m_nRunEnd = end;
    return b;
}

} // namespace

TEST(FindLongestRun, Rules) {
    auto runOf = [](const std::string& pattern) {
        std::vector<bool> passes;
        for (const char c : pattern) {
            passes.push_back(c == '1');
        }
        return FindLongestRun(passes);
    };
    EXPECT_EQ(runOf("11111000001111100"), (SRunRecord{0, 4, 5})); // first of two equal runs
    EXPECT_EQ(runOf("0110111"), (SRunRecord{4, 6, 3}));           // a longer later run wins
    EXPECT_EQ(runOf("0000"), (SRunRecord{1, 0, 0}));
    EXPECT_EQ(runOf(""), (SRunRecord{1, 0, 0}));
    EXPECT_EQ(runOf("1"), (SRunRecord{0, 0, 1}));
}

TEST_F(LogPageDDR, RunRulesGiveBestParametersTable) {
    struct SCase {
        const char* name;
        std::string pattern;
        SBestParam best; // for lane 0 (every lane has the same pattern)
        int rowPassNum;
    };
    const SCase cases[] = {
        // Two runs of 5: the first one, middle 2: column 0, step -1.
        {"first longest run", Positions({{0, 4}, {10, 14}}), Best(0, 36, -1, 40, 0, 4), 5},
        // 7..9 crosses from column 0 into column 1: one run of 3, middle 8.
        {"run across columns", Positions({{7, 9}}), Best(0, 54, -3, 40, 7, 9), 3},
        {"whole row", Positions({{0, 55}}), Best(0, 90, 0, 40, 0, 55), 56},
        {"last position", Positions({{55, 55}}), Best(0, 144, 4, 40, 55, 55), 1},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        GetDrvStgRegistry().Clear();
        auto page = MakePage(L"a.txt", kDdr2, Pattern(c.pattern));
        const SAnalysis a = Analyse(*page);
        EXPECT_TRUE(a.ok);
        ASSERT_EQ(a.best.size(), 4u);
        EXPECT_EQ(a.best[0], c.best);
        EXPECT_EQ(a.best[3].m_nByte, 3);
        EXPECT_EQ(page->GetBestRecords().at(0), c.best);
        EXPECT_EQ(a.rowPassNum, c.rowPassNum);
    }
    EXPECT_TRUE(Texts().empty());
}

TEST_F(LogPageDDR, NoPassGivesRunOneZeroZeroAndFailedAnalysis) {
    auto page = MakePage(L"a.txt", kDdr2, Pattern(Positions({})));
    const SAnalysis a = Analyse(*page);
    EXPECT_FALSE(a.ok);
    EXPECT_EQ(a.rowPassNum, 0);
    ASSERT_EQ(a.best.size(), 4u); // the outputs are complete also on failure
    EXPECT_EQ(a.best[2], Best(2, 36, -3, 40, 1, 0));
    EXPECT_EQ(page->GetRowRuns()[0], (SRunRecord{1, 0, 0}));
    for (const auto& [byte, rate] : a.rates) {
        EXPECT_EQ(rate, 0.0);
    }
    EXPECT_EQ(Texts(), std::vector<std::wstring>{L"analyse result failed"});
    EXPECT_TRUE(ToolLogHas(L"nRowPassNum=0, 通过率最低的Byte:0, 指定的Row=0"));
}

TEST_F(LogPageDDR, RowsOutsideTheRowSetNeverPass) {
    // DDR2 row set {34, 40, 48, 60} on a log of five drive strengths: 80 never counts.
    auto page = MakePage(L"a.txt", kDdr2, AllPass());
    const SAnalysis a = Analyse(*page);
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(page->GetRunTotals(), (std::map<int, int>{{0, 224}, {1, 224}, {2, 224}, {3, 224}}));
    EXPECT_EQ(a.rates, (RateMap{{0, 1.0}, {1, 1.0}, {2, 1.0}, {3, 1.0}}));
    EXPECT_EQ(page->GetRowRuns()[4].m_nLength, 0); // lane 0, ordinal 4 = 80
    EXPECT_EQ(page->GetRowRuns()[3].m_nLength, 56);
    EXPECT_EQ(a.rowPassNum, 56);
}

TEST_F(LogPageDDR, RowSetFromSettingsDecidesTheDivisor) {
    Set(L"CalcPageRow", L"PageRowDDR2", L"34,40,48,60,80");
    auto page = MakePage(L"a.txt", kDdr2, [](int byte, int drv, int, int) {
        return std::optional<int>(drv == 80 && byte == 1 ? 0 : 1);
    });
    const SAnalysis a = Analyse(*page);
    ASSERT_TRUE(a.ok);
    EXPECT_DOUBLE_EQ(a.rates.at(0), 1.0);
    EXPECT_DOUBLE_EQ(a.rates.at(1), 224.0 / 280.0);
}

TEST_F(LogPageDDR, RegistryOfExactlyTwoValuesIsDdr3) {
    auto page = MakePage(L"a.txt", kDdr3, [](int, int drv, int column, int) {
        return std::optional<int>(drv == 40 || column < 3 ? 1 : 0);
    });
    EXPECT_EQ(GetDrvStgRegistry().GetDDRKind(), kDdrKindDDR3);
    Set(L"CheckRow", L"Row_DDR3", L"40");
    const SAnalysis a = Analyse(*page);
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(page->GetSelectedRow(), 1);
    EXPECT_EQ(a.best[0], Best(0, 90, 0, 40, 0, 55));
    // Verdict row is always the first for DDR3: 34 passes in columns 0 to 2 only.
    EXPECT_EQ(a.rowPassNum, 24);
    EXPECT_DOUBLE_EQ(a.rates.at(0), (24.0 + 56.0) / (2 * 56));
}

TEST_F(LogPageDDR, SelectedRowNeverReadGivesSeriousErrorPerLane) {
    Set(L"CheckRow", L"Row_DDR2", L"41");
    auto page = MakePage(L"a.txt", kDdr2, AllPass());
    ASSERT_EQ(page->GetSelectedRow(), 0xFFFF);
    const SAnalysis a = Analyse(*page);
    EXPECT_TRUE(a.ok); // verdict row falls back to ordinal 0, which passes
    EXPECT_TRUE(a.best.empty());
    EXPECT_TRUE(page->GetBestRecords().empty());
    const std::wstring serious = L"occur serious error:fabsRow = 65535";
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{analyzer::kRowMessageDDR2, serious, serious,
                                                  serious, serious, analyzer::kRowMessageDDR2}));
    EXPECT_TRUE(ToolLogHas(L"occur serious error: fabsRow = 65535"));
}

TEST_F(LogPageDDR, SelectedRowKeepsLastValidValue) {
    auto page = MakePage(L"a.txt", kDdr2, AllPass());
    Set(L"CheckRow", L"Row_DDR2", L"60");
    (void)Analyse(*page);
    EXPECT_EQ(page->GetSelectedRow(), 3);
    Set(L"CheckRow", L"Row_DDR2", L"61");
    const SAnalysis a = Analyse(*page);
    EXPECT_EQ(page->GetSelectedRow(), 3);
    ASSERT_EQ(a.best.size(), 4u);
    EXPECT_EQ(a.best[1].m_nDrvStg, 60);
}

TEST_F(LogPageDDR, SelectedRowBeyondTheLanesRowsIsSerious) {
    // Row_DDR2 = 80 is allowed (ordinal 4) but a page of two rows per lane has no row 4.
    Set(L"CheckRow", L"Row_DDR2", L"80");
    GetDrvStgRegistry().Register(34); // kind DDR2 with three values
    auto page = MakePage(L"a.txt", {34, 40, 48}, AllPass());
    page->SetBlockSize(2, 8);
    const SAnalysis a = Analyse(*page);
    EXPECT_TRUE(a.best.empty());
    const std::vector<std::wstring> texts = Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), L"occur serious error:fabsRow = 4"), 4);
}

TEST_F(LogPageDDR, WeakestLaneAndRowPassNum) {
    Set(L"CheckRow", L"Row_DDR2", L"48"); // verdict row ordinal 2 (and best row)
    auto page = MakePage(L"a.txt", kDdr2, [](int byte, int drv, int column, int step) {
        const int p = column * 8 + step + 3;
        if (byte == 2 && drv == 48) {
            return std::optional<int>(p >= 10 && p < 40 ? 1 : 0);
        }
        if (byte == 3 && drv == 34) {
            return std::optional<int>(p < 50 ? 1 : 0);
        }
        return std::optional<int>(1);
    });
    const SAnalysis a = Analyse(*page);
    ASSERT_TRUE(a.ok);
    EXPECT_DOUBLE_EQ(a.rates.at(2), (3 * 56 + 30) / 224.0);
    EXPECT_DOUBLE_EQ(a.rates.at(3), (3 * 56 + 50) / 224.0);
    EXPECT_EQ(a.rowPassNum, 30);                       // lane 2, ordinal 2
    EXPECT_EQ(a.best[2], Best(2, 90, -3, 48, 10, 39)); // middle 24: column 3, step -3
}

TEST_F(LogPageDDR, EqualRatesTakeTheLowestLane) {
    auto page = MakePage(L"a.txt", kDdr2, [](int byte, int drv, int column, int) {
        return std::optional<int>((byte == 1 || byte == 3) && drv == 34 && column == 6 ? 0 : 1);
    });
    const SAnalysis a = Analyse(*page);
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(a.rowPassNum, 48); // lane 1, ordinal 0: columns 0 to 5
}

TEST_F(LogPageDDR, KindNoneRatesAreZero) {
    auto page = MakePage(L"a.txt", {48, 60, 80}, AllPass());
    ASSERT_EQ(GetDrvStgRegistry().GetDDRKind(), kDdrKindNone);
    page->SetSelectedRow(0);
    const SAnalysis a = Analyse(*page);
    EXPECT_FALSE(a.ok);
    EXPECT_EQ(a.rates, (RateMap{{0, 0.0}, {1, 0.0}, {2, 0.0}, {3, 0.0}}));
    EXPECT_EQ(a.rowPassNum, 0);
    EXPECT_EQ(Texts(), std::vector<std::wstring>{L"analyse result failed"});
    EXPECT_TRUE(ToolLogHas(L"drv_stg size = 0"));
    ASSERT_EQ(a.best.size(), 4u); // from the run (1, 0, 0) of the selected row
    EXPECT_EQ(a.best[0], Best(0, 36, -3, 48, 1, 0));
}

TEST_F(LogPageDDR, FailRecordAmongPassesFailsTheCell) {
    auto page = MakePage(L"a.txt", kDdr2, AllPass());
    // A second data line for the same key: one fail among passes fails the position.
    ASSERT_TRUE(page->AddCell(36, 0, {-3, 34}, std::make_unique<CLogDataDDR>(0)));
    const std::set<int>& rows = page->RowSetOfKind(kDdrKindDDR2);
    EXPECT_FALSE(page->CellPasses(0, 0, rows));
    EXPECT_TRUE(page->CellPasses(0, 1, rows));
    EXPECT_TRUE(page->CellPasses(5, 0, rows));  // lane 1, ordinal 0
    EXPECT_FALSE(page->CellPasses(4, 0, rows)); // drive strength 80 not in the set
    CellList cells;
    EXPECT_TRUE(page->GetCells(0, 0, {-3, 34}, cells));
    EXPECT_EQ(cells.size(), 2u);
}

TEST_F(LogPageDDR, AddCellRefusesOutsideThePage) {
    auto page = std::make_unique<CLogPageDDR>();
    page->SetName(L"x.txt");
    page->SetPageSize(4, 7);
    page->SetBlockSize(5, 8);
    for (const int phase : kPhases) {
        EXPECT_TRUE(page->AddCell(phase, 0, {0, 34}, std::make_unique<CLogDataDDR>(1)));
    }
    EXPECT_FALSE(page->AddCell(162, 0, {0, 34}, std::make_unique<CLogDataDDR>(1)));
    EXPECT_TRUE(ToolLogHas(L"logName=x.txt, nPageCol=7, m_nPageSizeCol=7"));
    EXPECT_TRUE(ToolLogHas(L"logName=x.txt, Row=0, m_nPageSizeRow=4"));
    EXPECT_FALSE(page->AddCell(36, 4, {0, 34}, std::make_unique<CLogDataDDR>(1)));
    EXPECT_TRUE(ToolLogHas(L"logName=x.txt, Row=4, m_nPageSizeRow=4"));
    EXPECT_FALSE(page->AddCell(36, -1, {0, 34}, std::make_unique<CLogDataDDR>(1)));
    EXPECT_EQ(page->GetColumnValue(7), 162);
    EXPECT_EQ(page->FindBlock(-1, 0), nullptr);
}

TEST_F(LogPageDDR, ColumnIndexIsThePositionAmongValuesSeenSoFar) {
    auto page = std::make_unique<CLogPageDDR>();
    page->SetPageSize(4, 7);
    page->SetBlockSize(5, 8);
    ASSERT_TRUE(page->AddCell(54, 0, {0, 34}, std::make_unique<CLogDataDDR>(1)));
    ASSERT_TRUE(page->AddCell(36, 0, {1, 34}, std::make_unique<CLogDataDDR>(1)));
    ASSERT_TRUE(page->AddCell(72, 0, {2, 34}, std::make_unique<CLogDataDDR>(1)));
    // 54 took column 0 first; 36 then sorts first and lands in column 0 too.
    EXPECT_EQ(page->GetColumnIndexMap(), (std::map<int, int>{{0, 54}, {2, 72}}));
    EXPECT_EQ(page->GetColumnValue(1), -1);
    const SLogBlock* block = page->FindBlock(0, 0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->Cells().KeyCount(), 2u);
    EXPECT_EQ(block->SubColCount(), 0); // made by add cell
}

TEST_F(LogPageDDR, PassFlagCellsAndPageSizeChange) {
    auto page = std::make_unique<CLogPageDDR>();
    page->SetPageSize(4, 7);
    page->SetBlockSize(5, 8);
    ASSERT_TRUE(page->AddCell(36, 3, {0, 34}, 1));
    ASSERT_TRUE(page->AddCell(54, 3, {0, 34}, 0));
    // A new page size must not send cells to the blocks of the old layout.
    page->SetPageSize(7, 4);
    ASSERT_TRUE(page->AddCell(36, 5, {1, 34}, 1));
    ASSERT_TRUE(page->AddCell(36, 3, {2, 34}, 0));
    ASSERT_TRUE(page->AddCell(72, 0, {0, 34}, 1));
    ASSERT_TRUE(page->AddCell(90, 0, {0, 34}, 1));
    EXPECT_FALSE(page->AddCell(108, 0, {0, 34}, 1)); // column 4 of 4
    ASSERT_NE(page->FindBlock(5, 0), nullptr);
    EXPECT_EQ(page->FindBlock(5, 0)->Cells().KeyCount(), 1u);
    EXPECT_EQ(page->FindBlock(3, 0)->Cells().KeyCount(), 2u);
    CellList cells;
    ASSERT_TRUE(page->GetCells(3, 1, {0, 34}, cells));
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(cells[0]->GetColor(), kColorFail);
    page->Clear();
    EXPECT_TRUE(page->FindBlock(3, 0)->Cells().Empty());
}

TEST_F(LogPageDDR, FinishCreatesMissingBlocksOnly) {
    auto page = std::make_unique<CLogPageDDR>();
    page->SetPageSize(4, 7);
    page->SetBlockSize(5, 8);
    ASSERT_TRUE(page->AddCell(36, 1, {0, 34}, std::make_unique<CLogDataDDR>(1)));
    page->Finish();
    EXPECT_EQ(page->Blocks().size(), 28u);
    EXPECT_EQ(page->FindBlock(1, 0)->SubRowCount(), 0);
    EXPECT_EQ(page->FindBlock(2, 3)->SubRowCount(), 5);
    EXPECT_EQ(page->FindBlock(2, 3)->SubColCount(), 8);
    SLogBlock copy;
    EXPECT_TRUE(page->GetBlock(1, 0, copy));
    EXPECT_EQ(copy.Cells().KeyCount(), 1u);
    EXPECT_FALSE(page->GetBlock(0, 7, copy));
    EXPECT_EQ(page->FindBlock(0, 7), nullptr); // get block creates nothing
    CellList cells;
    EXPECT_FALSE(page->GetCells(0, 7, {0, 34}, cells));
    EXPECT_NE(page->FindBlock(0, 7), nullptr); // get cells does
}

TEST_F(LogPageDDR, ComparisonsByWeakestValueAndName) {
    // Run length of every counted row (34, 40, 48, 60) of each lane.
    using Runs = std::vector<std::vector<int>>;
    auto lanes = [](Runs runs) {
        return [runs](int byte, int drv, int column, int step) {
            const int p = column * 8 + step + 3;
            const int index = drv == 34 ? 0 : drv == 40 ? 1 : drv == 48 ? 2 : 3;
            const int run =
                drv == 80 ? 0 : runs[static_cast<size_t>(byte)][static_cast<size_t>(index)];
            return std::optional<int>(p < run ? 1 : 0);
        };
    };
    auto a =
        MakePage(L"a.txt", kDdr2,
                 lanes({{25, 25, 25, 25}, {30, 30, 30, 30}, {20, 20, 25, 25}, {37, 37, 38, 38}}));
    auto b =
        MakePage(L"B.txt", kDdr2,
                 lanes({{24, 24, 24, 23}, {24, 24, 24, 23}, {24, 24, 24, 23}, {24, 24, 24, 23}}));
    EXPECT_EQ(a->GetWeakestValue(), 280); // never analysed
    EXPECT_FALSE(a->IsLessByWeakestByte(*b));
    a->AnalyseForSort();
    b->AnalyseForSort();
    EXPECT_EQ(a->GetRunTotals(), (std::map<int, int>{{0, 100}, {1, 120}, {2, 90}, {3, 150}}));
    EXPECT_EQ(a->GetWeakestValue(), 90);
    EXPECT_EQ(b->GetWeakestValue(), 95);
    EXPECT_TRUE(a->IsLessByWeakestByte(*b));
    EXPECT_FALSE(b->IsLessByWeakestByte(*a));
    EXPECT_TRUE(b->IsGreaterByWeakestByte(*a));
    EXPECT_FALSE(a->IsGreaterByWeakestByte(*b));
    EXPECT_FALSE(a->IsLessByWeakestByte(*a));
    EXPECT_TRUE(b->IsLessByName(*a)); // 'B' (0x42) before 'a' (0x61)
    EXPECT_FALSE(a->IsLessByName(*b));
    EXPECT_FALSE(a->IsLessByName(*a));
}

TEST_F(LogPageDDR, ClearDeletesRecordsAndRowSets) {
    auto page = MakePage(L"a.txt", kDdr2, AllPass());
    page->Clear();
    EXPECT_TRUE(page->FindBlock(0, 0)->Cells().Empty());
    EXPECT_TRUE(page->GetRowSetDDR1().empty());
    EXPECT_TRUE(page->GetRowSetDDR2().empty());
    EXPECT_EQ(page->GetRowSetDDR3(), (std::set<int>{34, 40}));
}

TEST_F(LogPageDDR, RecordColours) {
    EXPECT_EQ(CLogDataDDR(1).GetColor(), 0x00FF00u);
    EXPECT_EQ(CLogDataDDR(0).GetColor(), 0x0000FFu);
    EXPECT_EQ(CLogDataDDR(2).GetColor(), 0xFFFFFFu);
}

namespace {

// Every block of a page as text: keys in map order with the pass flags of their records.
std::string BlockDigest(const CLogPageDDR& page) {
    std::ostringstream out;
    for (const auto& [blockKey, block] : page.Blocks()) {
        out << '[' << blockKey.first << ',' << blockKey.second << ' ' << block.SubRowCount() << 'x'
            << block.SubColCount() << ']';
        for (const auto& [key, list] : block.MakeMap()) {
            out << ' ' << key.first << '/' << key.second << ':';
            for (const CLogDataBase* record : list) {
                const auto* ddr = dynamic_cast<const CLogDataDDR*>(record);
                if (ddr == nullptr) {
                    out << '?';
                } else {
                    out << ddr->GetPassFlag();
                }
            }
        }
    }
    return out.str();
}

struct SCellLine {
    int phase;
    int byte;
    CellKey key;
    int flag;
};

// Lines of a log in a scrambled order, with some keys twice and a few fails.
std::vector<SCellLine> ScrambledLines(unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<SCellLine> lines;
    for (const int phase : kPhases) {
        for (int byte = 0; byte < 4; ++byte) {
            for (const int drv : kDdr2) {
                for (int step = -3; step <= 4; ++step) {
                    if (rng() % 9 == 0) {
                        continue; // a cell this log lacks
                    }
                    lines.push_back({phase, byte, {step, drv}, rng() % 6 == 0 ? 0 : 1});
                    if (rng() % 11 == 0) {
                        lines.push_back({phase, byte, {step, drv}, static_cast<int>(rng() % 2)});
                    }
                }
            }
        }
    }
    std::shuffle(lines.begin() + 1, lines.end(), rng); // the first phase stays column 0
    return lines;
}

// A page from lines; mapEvery > 0 asks for its blocks after every mapEvery lines, so that
// later lines go to blocks whose key maps are already made.
std::unique_ptr<CLogPageDDR> PageOf(const std::vector<SCellLine>& lines, size_t mapEvery) {
    auto page = std::make_unique<CLogPageDDR>();
    page->SetName(L"p.txt");
    page->SetPageSize(4, 7);
    page->SetBlockSize(5, 8);
    for (size_t i = 0; i < lines.size(); ++i) {
        const SCellLine& line = lines[i];
        EXPECT_TRUE(page->AddCell(line.phase, line.byte, line.key, line.flag));
        if (mapEvery > 0 && i % mapEvery == 0) {
            (void)page->FindBlock(line.byte, 0);
            (void)page->Blocks();
        }
    }
    page->Finish();
    return page;
}

} // namespace

// A page's cells give the same blocks, analysis and merge whether they were read where they
// were added or after the page made its key maps.
TEST_F(LogPageDDR, CellsAddedInAnyOrderGiveTheSameBlocksAnalysisAndMerge) {
    for (const int drv : kDdr2) {
        GetDrvStgRegistry().Register(drv);
    }
    const std::vector<SCellLine> first = ScrambledLines(1);
    const std::vector<SCellLine> second = ScrambledLines(2);

    CLogPageDDR mergedFlat;
    CLogPageDDR mergedMapped;
    std::vector<std::unique_ptr<CLogPageDDR>> keep;
    for (const auto* lines : {&first, &second}) {
        auto flat = PageOf(*lines, 0);
        auto mapped = PageOf(*lines, 97);
        const SAnalysis a = Analyse(*flat);
        const SAnalysis b = Analyse(*mapped);
        EXPECT_EQ(a.ok, b.ok);
        EXPECT_EQ(a.rates, b.rates);
        EXPECT_EQ(a.rowPassNum, b.rowPassNum);
        EXPECT_EQ(flat->GetRowRuns(), mapped->GetRowRuns());
        // Merged while the first is still flat and the second mapped.
        mergedFlat.MergeFrom(*flat);
        mergedMapped.MergeFrom(*mapped);
        EXPECT_EQ(BlockDigest(*flat), BlockDigest(*mapped));
        keep.push_back(std::move(flat));
        keep.push_back(std::move(mapped));
    }
    const std::string merged = BlockDigest(mergedFlat);
    EXPECT_EQ(merged, BlockDigest(mergedMapped));
    // Records of one key keep the order of their lines, and a key missing from the second
    // log got a failed record in the merge.
    EXPECT_NE(merged.find(":10"), std::string::npos);
    EXPECT_NE(merged.find(":0"), std::string::npos);
    EXPECT_NE(BlockDigest(*keep[0]).find(":10 "), std::string::npos);
}

// Names compare by UTF-16 code units: upper case before lower case, and a character beyond
// U+FFFF (a surrogate pair, 0xD83D ...) before U+FF00, unlike a comparison of code points.
TEST(IsNameBefore, ComparesUtf16CodeUnits) {
    EXPECT_TRUE(IsNameBefore(L"B.txt", L"a.txt"));
    EXPECT_FALSE(IsNameBefore(L"a.txt", L"B.txt"));
    EXPECT_TRUE(IsNameBefore(L"\U0001F600", L"\uFF00"));
    EXPECT_FALSE(IsNameBefore(L"\uFF00", L"\U0001F600"));
    EXPECT_TRUE(IsNameBefore(L"ab", L"abc"));
    EXPECT_FALSE(IsNameBefore(L"abc", L"abc"));
}
