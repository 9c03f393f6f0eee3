#include "ScanLogData.h"
#include "SondexTestSupport.h"

#include "SondexText.h"

#include <gtest/gtest.h>

using namespace sondex;
using namespace sondextest;

namespace {

const LogHeader kHeader{L"P1", L"Lpddr3", L"800", 12};

// A block text as the reader hands it over: ", " before every record line.
std::string Block(const std::string& lines) {
    std::string out;
    for (const auto line : sondex::SplitTrimmed(lines, '\n')) {
        out += ", ";
        out.append(line);
        out += "\n";
    }
    return out;
}

std::string CaLines(int fromRow, int toRow, bool pass = true) {
    std::string out;
    for (int r = fromRow; r < toRow; ++r) {
        for (int sr = 0; sr < 4; ++sr) {
            out +=
                Record({Word(0xB, 1, kPinCA, r), Word(0xC, 1, kPinSr, sr)}, pass ? "0X0" : "0XF");
        }
    }
    return out;
}

std::string SrFirstLines(int fromRow, int toRow) {
    std::string out;
    for (int r = fromRow; r < toRow; ++r) {
        for (int sr = 0; sr < 4; ++sr) {
            for (int dq = 0; dq < 4; ++dq) {
                out += Record(
                    {Word(0xB, 1, kPinCA, r), Word(0xC, 1, kPinSr, sr), Word(0xC, 2, kPinDQ, dq)});
            }
        }
    }
    return out;
}

struct SParsed {
    std::unique_ptr<CScanLogData> data;
    bool ok = false;
    std::vector<std::wstring> messages;
};

SParsed Parse(const std::vector<std::string>& blocks, const std::vector<int32_t>& sr = {0}) {
    SParsed p;
    CRecordingPrompt prompt;
    CScopedPrompt scope(prompt);
    p.data = std::make_unique<CScanLogData>(L"a.Txt", kHeader, blocks);
    p.ok = p.data->ParseBlocks(sr);
    p.messages = prompt.Texts();
    return p;
}

} // namespace

TEST(ScanLogDataTest, BlocksWithTheSameRangesShareATable) {
    CTestConfig config;
    const SParsed p = Parse({Block(CaLines(0, 4)), Block(CaLines(4, 8)), Block(SrFirstLines(0, 8)),
                             Block(TableLines(kPinCA, 8, [](int, int, int) { return true; }))});
    EXPECT_TRUE(p.ok);
    EXPECT_TRUE(p.messages.empty());
    ASSERT_EQ(p.data->GetTableCount(), 3);
    // Blocks 1 and 2 fill one table; sr, DQ and DQ, sr are other orders: tables of their own.
    EXPECT_EQ(p.data->GetTable(0)->GetCellKeyCount(), 8u * 4u);
    EXPECT_EQ(p.data->GetTable(1)->GetColRanges()[0]->GetName(), L"Lpddr3_sr");
    EXPECT_EQ(p.data->GetTable(2)->GetColRanges()[0]->GetName(), L"Lpddr3_DQ");
    EXPECT_EQ(p.data->GetTable(1)->GetCellKeyCount(), 8u * 16u);
    EXPECT_TRUE(p.data->IsComplete());
}

TEST(ScanLogDataTest, IsPrintHidesTablesWithoutAMessage) {
    CTestConfig config;
    std::string clk;
    for (int r = 0; r < 4; ++r) {
        clk += Record({Word(0xB, 1, kPinClk, r), Word(0xC, 1, kPinSr, 0)});
    }
    clk += "0x1\tbroken line\t0X0\n"; // skipped with the rest of the hidden block
    const SParsed p = Parse({Block(clk), Block(CaLines(0, 8))});
    EXPECT_TRUE(p.ok);
    EXPECT_TRUE(p.messages.empty());
    ASSERT_EQ(p.data->GetTableCount(), 1);
    EXPECT_EQ(p.data->GetTable(0)->GetFirstRowName(), L"CA");
}

TEST(ScanLogDataTest, RejectedPinLineTriesTheNextLine) {
    CTestConfig config;
    const std::string bad = "0x1\t0xB1009900\t0X0\n";
    const SParsed p = Parse({Block(bad + bad + CaLines(0, 8))});
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.messages,
              std::vector<std::wstring>(2, L"获取针脚信息失败,请检查区块第一行log格式"));
    ASSERT_EQ(p.data->GetTableCount(), 1);
    EXPECT_TRUE(p.data->IsComplete());
}

TEST(ScanLogDataTest, RejectedRecordLineAndMissingCells) {
    CTestConfig config;
    const SParsed p =
        Parse({Block(CaLines(0, 7) + Record({Word(0xB, 1, kPinCA, 9), Word(0xC, 1, kPinSr, 0)}))});
    EXPECT_FALSE(p.ok); // CA value 9 is outside the range
    EXPECT_TRUE(p.messages.empty());
    EXPECT_FALSE(p.data->IsComplete()); // row 7 has no results
    const SParsed full = Parse({Block(CaLines(0, 8))});
    EXPECT_TRUE(full.data->IsComplete());
}

TEST(ScanLogDataTest, ACommaSplitsADataLineIntoTwoRecordLines) {
    CTestConfig config;
    const std::string one = Record({Word(0xB, 1, kPinCA, 1), Word(0xC, 1, kPinSr, 0)});
    const std::string two = Record({Word(0xB, 1, kPinCA, 2), Word(0xC, 1, kPinSr, 1)}, "0XF");
    const std::string joined = one.substr(0, one.size() - 1) + "," + two;
    const SParsed p = Parse({Block(joined)});
    EXPECT_TRUE(p.ok);
    const CPinScanTable& t = *p.data->GetTable(0);
    ASSERT_EQ(t.GetCellKeyCount(), 2u);
    EXPECT_EQ(t.GetCells(1 + 1, 2 + 0)->at(0).GetState(), CLogDataDDR::kPass);
    EXPECT_EQ(t.GetCells(1 + 2, 2 + 1)->at(0).GetState(), CLogDataDDR::kFail);
}

TEST(ScanLogDataTest, AnalyzeCombinesTheTables) {
    CTestConfig config;
    ResultMap results{{L"stale", 1}};
    SParsed none = Parse({});
    EXPECT_FALSE(none.data->Analyze(results)); // a log without a table fails
    EXPECT_TRUE(results.empty());

    const auto window = [](int r, int dq, int sr) { return r >= dq && r < 8 - sr; };
    std::string dqLines;
    for (int r = 0; r < 4; ++r) {
        for (int dq = 0; dq < 4; ++dq) {
            for (int sr = 0; sr < 4; ++sr) {
                dqLines += Record(
                    {Word(0xB, 1, kPinDQ, r), Word(0xC, 1, kPinDQ, dq), Word(0xC, 2, kPinSr, sr)},
                    sr == 0 && dq == 1 && (r == 1 || r == 2) ? "0XF" : "0X0");
            }
        }
    }
    SParsed p = Parse({Block(TableLines(kPinCA, 8, window)), Block(dqLines)});
    ASSERT_EQ(p.data->GetTableCount(), 2);
    EXPECT_FALSE(p.data->Analyze(results)); // DQ: run 1 x 12 is below 24
    EXPECT_EQ(results, (ResultMap{{L"1#CA_sr0", 60}, {L"0#DQ_sr0", 12}}));
}

TEST(ScanLogDataTest, MergeLogBuildsTheStatisticsTables) {
    CTestConfig config;
    SParsed a = Parse({Block(CaLines(0, 8))});
    // Log b misses row 0 and adds a fail at row 1, sr 0.
    SParsed b = Parse(
        {Block(CaLines(2, 8) + Record({Word(0xB, 1, kPinCA, 1), Word(0xC, 1, kPinSr, 0)}, "0XF"))});
    SParsed c = Parse({Block(CaLines(0, 8)), Block(SrFirstLines(0, 8))}); // two tables: left out

    CScanLogData stats;
    stats.SetName(CScanLogData::kStatisticsName);
    EXPECT_TRUE(stats.MergeLog(*a.data));
    LogHeader other = kHeader;
    other.tcnt = 20;
    b.data->SetHeader(other);
    EXPECT_TRUE(stats.MergeLog(*b.data));
    EXPECT_FALSE(stats.MergeLog(*c.data));
    ASSERT_EQ(stats.GetTableCount(), 1);
    EXPECT_EQ(stats.GetHeader(), other);
    const CPinScanTable& t = *stats.GetTable(0);
    EXPECT_TRUE(t.IsStatistical());
    EXPECT_EQ(t.GetRowCount(), 1 + 8);
    EXPECT_EQ(t.GetColCount(), 1 + 1 + 4);
    EXPECT_EQ(t.GetFirstRowName(), L"CA");
    const auto states = [&](int row, int col) {
        std::vector<int32_t> out;
        for (const auto& r : *t.GetCells(row, col)) {
            out.push_back(r.GetState());
        }
        return out;
    };
    EXPECT_EQ(states(1, 2), (std::vector<int32_t>{1, 0})); // row 0: missing in b counts as fail
    EXPECT_EQ(states(2, 2), (std::vector<int32_t>{1, 0})); // row 1 sr 0: b failed
    EXPECT_EQ(states(2, 3), (std::vector<int32_t>{1, 0})); // row 1 sr 1: missing in b
    EXPECT_EQ(states(5, 4), (std::vector<int32_t>{1, 1}));
    EXPECT_EQ(t.GetCellKeyCount(), 32u);

    // A key first seen in a later log carries only that log's results.
    SParsed partial = Parse({Block(CaLines(0, 1))});
    CScanLogData late;
    EXPECT_TRUE(late.MergeLog(*partial.data));
    EXPECT_TRUE(late.MergeLog(*a.data));
    EXPECT_EQ(late.GetTable(0)->GetCells(1, 2)->size(), 2u);
    EXPECT_EQ(late.GetTable(0)->GetCells(8, 2)->size(), 1u);
}

TEST(ScanLogDataTest, StatisticsResults) {
    struct Case {
        const char* what;
        std::vector<ResultMap> logs;
        ResultMap expected;
    } cases[] = {
        {"nothing", {}, {}},
        {"lowest width of each text",
         {{{L"1#CA_sr0", 60}}, {{L"1#CA_sr0", 48}}, {{L"1#CA_sr0", 72}}},
         {{L"1#CA_sr0", 48}}},
        {"a text missing in a later log gives 0",
         {{{L"1#CA_sr0", 60}}, {{L"0#CA_sr0", 12}}},
         {{L"1#CA_sr0", 0}}},
        {"failed texts ignore missing and zero widths",
         {{{L"0#CA_sr0", 36}}, {{L"1#CA_sr0", 60}}, {{L"0#CA_sr0", 0}}, {{L"0#CA_sr0", 24}}},
         {{L"0#CA_sr0", 24}}},
        {"only the first log's texts",
         {{{L"1#A_sr0", 5}}, {{L"1#A_sr0", 6}, {L"1#B_sr0", 1}}},
         {{L"1#A_sr0", 5}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ComputeStatisticsResults(c.logs), c.expected) << c.what;
    }
}

TEST(ScanLogDataTest, MergeOfTablesThatDifferKeepsEveryKey) {
    CTestConfig config;
    // Log a: CA x sr (data rows 1..8, columns 2..5); log b: CA x DQ x sr (rows 2..9,
    // columns 2..17), so b's keys reach past a's data area.
    SParsed a = Parse({Block(CaLines(0, 8))});
    SParsed b = Parse({Block(TableLines(kPinCA, 8, [](int, int, int) { return true; }))});
    CScanLogData stats;
    ASSERT_TRUE(stats.MergeLog(*a.data));
    ASSERT_TRUE(stats.MergeLog(*b.data));
    const CPinScanTable& t = *stats.GetTable(0);
    EXPECT_EQ(t.GetRowCount(), 1 + 8); // the geometry stays the first log's
    // Row 1 of a's area has no cell in b: a failure is appended.
    EXPECT_EQ(t.GetCells(1, 2)->size(), 2u);
    EXPECT_EQ(t.GetCells(1, 2)->back().GetState(), CLogDataDDR::kFail);
    // Row 2, column 2 exists in both.
    EXPECT_EQ(t.GetCells(2, 2)->size(), 2u);
    EXPECT_EQ(t.GetCells(2, 2)->back().GetState(), CLogDataDDR::kPass);
    // Keys only b has, inside and outside a's area, carry b's result alone.
    ASSERT_NE(t.GetCells(9, 17), nullptr);
    EXPECT_EQ(t.GetCells(9, 17)->size(), 1u);
    ASSERT_NE(t.GetCells(2, 10), nullptr);
    EXPECT_EQ(t.GetCells(2, 10)->size(), 1u);
    // a's 32 keys and b's 128, of which 4 x 7 lie in a's area already.
    EXPECT_EQ(t.GetCellKeyCount(), 32u + 128u - 28u);
    std::vector<std::pair<int, int>> keys;
    t.ForEachCell(
        [&](int row, int col, const CPinScanTable::CellList&) { keys.emplace_back(row, col); });
    EXPECT_EQ(keys.size(), t.GetCellKeyCount());
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end());
}

// Record lines in other forms than the printed one (blanks around fields, empty fields,
// several lines in one comma-separated piece, a rejected line) go through the field split:
// the tables are the same as from the printed lines, and a rejected line still fails.
TEST(ScanLogDataTest, RecordLinesInOtherFormsGiveTheSameTable) {
    CTestConfig config;
    const std::string printed = CaLines(0, 4);
    std::string odd;
    int n = 0;
    for (const auto line : sondex::SplitTrimmed(printed, '\n')) {
        std::string text(line);
        switch (n++ % 4) {
        case 1: // blanks inside the fields
            for (size_t at = text.find('\t'); at != std::string::npos;
                 at = text.find('\t', at + 3)) {
                text.replace(at, 1, " \t ");
            }
            break;
        case 2: // an empty field
            text.insert(text.find('\t'), "\t");
            break;
        case 3: // this line and the next in one piece
            text += " , ";
            break;
        default:
            break;
        }
        odd += text + (n % 4 == 0 ? "\n" : "\r\n");
    }
    const SParsed a = Parse({Block(printed)});
    const SParsed b = Parse({Block(odd)});
    ASSERT_TRUE(a.ok);
    EXPECT_TRUE(b.ok);
    ASSERT_EQ(b.data->GetTableCount(), a.data->GetTableCount());
    const CPinScanTable& ta = *a.data->GetTable(0);
    const CPinScanTable& tb = *b.data->GetTable(0);
    EXPECT_EQ(tb.GetCellKeyCount(), ta.GetCellKeyCount());
    ta.ForEachCell([&](int row, int col, const CPinScanTable::CellList& cells) {
        const auto* other = tb.GetCells(row, col);
        ASSERT_NE(other, nullptr) << row << "," << col;
        ASSERT_EQ(other->size(), cells.size());
        for (size_t i = 0; i < cells.size(); ++i) {
            EXPECT_EQ((*other)[i].GetState(), cells[i].GetState());
        }
    });
    // A bad word in either form rejects the line.
    for (const std::string& bad : {std::string("0x1\t0xB10010G5\t0XC1005000\t0X0"),
                                   std::string("0x1 \t0xB10010G5\t0XC1005000\t0X0")}) {
        const SParsed c = Parse({Block(printed + bad + "\n")});
        EXPECT_FALSE(c.ok) << bad;
        EXPECT_EQ(c.data->GetTable(0)->GetCellKeyCount(), ta.GetCellKeyCount()) << bad;
    }
}
