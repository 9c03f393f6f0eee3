#include "PinScanTable.h"
#include "SondexTestSupport.h"

#include "SondexText.h"

#include <gtest/gtest.h>

#include <random>

using namespace sondex;
using namespace sondextest;

namespace {

const LogHeader kHeader{L"P1", L"Lpddr3", L"800", 12};

std::vector<std::string_view> Fields(const std::string& line) {
    return sondex::SplitTrimmed(line, '\t');
}

std::vector<int32_t> States(const CPinScanTable& table, int row, int col) {
    std::vector<int32_t> out;
    if (const auto* cells = table.GetCells(row, col)) {
        for (const auto& c : *cells) {
            out.push_back(c.GetState());
        }
    }
    return out;
}

// A table of rowPin by DQ (4) x sr (4) filled from pass(row value, dq, sr).
std::unique_ptr<CPinScanTable> MakeTable(uint32_t rowPin,
                                         const std::function<bool(int, int, int)>& pass,
                                         const std::vector<int32_t>& selectedSr = {0},
                                         const LogHeader& header = kHeader) {
    auto table = std::make_unique<CPinScanTable>(header);
    // CA has 8 values, DQ and CLK 4.
    const std::string lines = TableLines(rowPin, rowPin == kPinCA ? 8 : 4, pass);
    bool first = true;
    for (const auto line : sondex::SplitTrimmed(lines, '\n')) {
        const auto fields = sondex::SplitTrimmed(line, '\t');
        if (first) {
            EXPECT_TRUE(table->ParsePinLine(fields));
            table->BuildLayout(selectedSr);
            first = false;
        }
        EXPECT_TRUE(table->ParseRow(fields));
    }
    return table;
}

} // namespace

TEST(PinScanTableTest, ParameterWordExample) {
    CTestConfig config;
    std::vector<uint32_t> words;
    int32_t state = -1;
    const std::string line = "0x1\t0xB1001005\t0xC1002002\t0X0";
    ASSERT_TRUE(sondex::ReadRecordFields(Fields(line), words, state));
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0] >> 28, 0xBu);          // row parameter
    EXPECT_EQ((words[0] >> 24) & 0xF, 1u);    // position 1
    EXPECT_EQ((words[0] >> 8) & 0xFF, 0x10u); // pin CA
    EXPECT_EQ(words[0] & 0xFF, 5u);           // value 5
    EXPECT_EQ(state, CLogDataDDR::kPass);

    CPinScanTable table(kHeader);
    ASSERT_TRUE(table.ParsePinLine(Fields(line)));
    ASSERT_EQ(table.GetRowRanges().size(), 1u);
    EXPECT_EQ(table.GetRowRanges()[0]->GetName(), L"Lpddr3_CA");
    EXPECT_EQ(table.GetColRanges()[0]->GetName(), L"Lpddr3_DQ");
    EXPECT_EQ(table.GetFirstRowName(), L"CA");
    table.BuildLayout({0});
    ASSERT_TRUE(table.ParseRow(Fields(line))); // the pin line is a data row too
    // CA value 5 is data row nC + 5, DQ value 2 data column nB + 1 + 2.
    EXPECT_EQ(States(table, 1 + 5, 1 + 1 + 2), std::vector<int32_t>{CLogDataDDR::kPass});
    EXPECT_EQ(table.GetCellKeyCount(), 1u);
}

TEST(PinScanTableTest, RecordFieldRules) {
    struct Case {
        const char* line;
        bool ok;
        int32_t state;
    } cases[] = {
        {"0x1\t0xB1001005\t0x0", true, CLogDataDDR::kPass},
        {"0x1\t0xb1001005\t0x0", true, CLogDataDDR::kPass},
        {"0x1\t0xB1001005\t0XF", true, CLogDataDDR::kFail},
        {"0x1\t0xB1001005\t0xf", true, CLogDataDDR::kFail},
        {"0x1\t0xB1001005\t0x2", true, CLogDataDDR::kOther},
        {"0x1\t0xB1001005\tabc", true, CLogDataDDR::kOther},
        {"0x1\t0X0", false, 0},              // fewer than 3 fields
        {"0x12\t0xB1001005\t0X0", false, 0}, // first field not 3 characters
        {"0x1\t0xB1001005\t0X00", false, 0}, // result not 3 characters
        {"0x1\t0xB100100\t0X0", false, 0},   // 9-character word
        {"0x1\t0xB10010G5\t0X0", false, 0},  // not hexadecimal
        {"0x1\t1xB1001005\t0X0", false, 0},  // no prefix
    };
    for (const auto& c : cases) {
        std::vector<uint32_t> words;
        int32_t state = -1;
        const std::string line = c.line;
        EXPECT_EQ(sondex::ReadRecordFields(Fields(line), words, state), c.ok) << c.line;
        if (c.ok) {
            EXPECT_EQ(state, c.state) << c.line;
        }
    }
    // "0X" passes the field check but reads as 0, whose axis is invalid.
    std::vector<uint32_t> words;
    int32_t state = 0;
    ASSERT_TRUE(sondex::ReadRecordFields(Fields("0x1\t0XB1001005\t0X0"), words, state));
    EXPECT_EQ(words, std::vector<uint32_t>{0u});
}

TEST(PinScanTableTest, PinLineRejections) {
    CTestConfig config;
    struct Case {
        const char* what;
        std::string line;
    } cases[] = {
        {"upper-case prefix reads as axis 0", "0x1\t0XB1001005\t0xC1002002\t0X0"},
        {"axis A", "0x1\t0xA1001005\t0xC1002002\t0X0"},
        {"pin code not configured", "0x1\t0xB1001005\t0xC1009902\t0X0"},
        {"bad field", "0x1\t0xB1001005\t0xC100200\t0X0"},
    };
    for (const auto& c : cases) {
        CPinScanTable table(kHeader);
        EXPECT_FALSE(table.ParsePinLine(Fields(c.line))) << c.what;
        EXPECT_EQ(table.GetRowParamCount() + table.GetColParamCount(), 0) << c.what;
        EXPECT_TRUE(table.GetRowRanges().empty() && table.GetColRanges().empty()) << c.what;
    }
    // A rejected line leaves no names behind for the next try.
    CPinScanTable table(kHeader);
    EXPECT_FALSE(table.ParsePinLine(Fields("0x1\t0xB1001005\t0xC1003002\t0xA1001005\t0X0")));
    EXPECT_EQ(table.GetSrIndex(), -1);
    EXPECT_EQ(table.GetFirstRowName(), L"");
    ASSERT_TRUE(table.ParsePinLine(Fields("0x1\t0xB2001005\t0xC1002002\t0X0")));
    EXPECT_EQ(table.GetFirstRowName(), L""); // no row parameter at position 1
    EXPECT_EQ(table.GetSrIndex(), -1);

    // Beyond what a table holds: 8 x 256^3 combinations.
    CTestConfig big("[ProjectName]\nP1=1\n[DdrType]\nLpddr3=3\n[InfoName]\nA=1\nB=2\n[ValueRange]\n"
                    "Lpddr3_A=0x0~0xFF\nLpddr3_B=0x0~0xFF\n");
    CPinScanTable huge(kHeader);
    EXPECT_FALSE(
        huge.ParsePinLine(Fields("0x1\t0xB1000100\t0xC1000200\t0xC2000200\t0xC3000200\t0X0")));
    EXPECT_TRUE(huge.ParsePinLine(Fields("0x1\t0xB1000100\t0xC1000200\t0X0")));
}

TEST(PinScanTableTest, BuildLayoutOfOneByFourByThree) {
    CTestConfig config;
    CPinScanTable table(kHeader);
    ASSERT_TRUE(table.ParsePinLine(Fields(
        Record({Word(0xB, 1, kPinCA, 0), Word(0xC, 1, kPinDQ, 0), Word(0xC, 2, kPinVref, 1)}))));
    table.BuildLayout({0, 2});
    EXPECT_EQ(table.GetRowCount(), 2 + 8);
    EXPECT_EQ(table.GetColCount(), 1 + 1 + 12);
    EXPECT_EQ(table.GetLastColRangeCount(), 3);
    EXPECT_EQ(table.GetTcnt(), 12);
    EXPECT_EQ(table.GetSelectedSr(), (std::vector<int32_t>{0, 2}));
    const int dq[] = {0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3};
    const int vref[] = {1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3};
    for (int k = 0; k < 12; ++k) {
        EXPECT_EQ(table.GetHeaderValue(0, 2 + k), dq[k]) << k;
        EXPECT_EQ(table.GetHeaderValue(1, 2 + k), vref[k]) << k;
        EXPECT_EQ(table.GetValuesByCol().at(2 + k), (std::vector<int32_t>{dq[k], vref[k]}));
    }
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(table.GetHeaderValue(2 + k, 0), k);
        EXPECT_EQ(table.GetRowByValues().at({k}), 2 + k);
    }
    EXPECT_EQ(table.GetColByValues().at({3, 3}), 13);
    EXPECT_FALSE(table.GetHeaderValue(0, 1).has_value()); // spacer column
    EXPECT_FALSE(table.GetHeaderValue(2, 1).has_value());
    EXPECT_FALSE(table.GetHeaderValue(0, 0).has_value());
    EXPECT_EQ(table.GetHeaderValues().size(), 2u * 12u + 8u);
}

TEST(PinScanTableTest, ParseRowRejections) {
    CTestConfig config;
    CPinScanTable table(kHeader);
    ASSERT_TRUE(table.ParsePinLine(Fields(
        Record({Word(0xB, 1, kPinCA, 0), Word(0xC, 1, kPinDQ, 0), Word(0xC, 2, kPinSr, 0)}))));
    table.BuildLayout({0});
    struct Case {
        const char* what;
        std::vector<uint32_t> words;
        bool ok;
    } cases[] = {
        {"good", {Word(0xB, 1, kPinCA, 3), Word(0xC, 1, kPinDQ, 1), Word(0xC, 2, kPinSr, 2)}, true},
        {"column words in either field order",
         {Word(0xC, 2, kPinSr, 2), Word(0xB, 1, kPinCA, 4), Word(0xC, 1, kPinDQ, 1)},
         false},
        {"positions 1 then 2 in other fields",
         {Word(0xC, 1, kPinDQ, 1), Word(0xC, 2, kPinSr, 2), Word(0xB, 1, kPinCA, 4)},
         true},
        {"position 0",
         {Word(0xB, 0, kPinCA, 3), Word(0xC, 1, kPinDQ, 1), Word(0xC, 2, kPinSr, 2)},
         false},
        {"position beyond the count",
         {Word(0xB, 2, kPinCA, 3), Word(0xC, 1, kPinDQ, 1), Word(0xC, 2, kPinSr, 2)},
         false},
        {"pin of another range",
         {Word(0xB, 1, kPinDQ, 3), Word(0xC, 1, kPinDQ, 1), Word(0xC, 2, kPinSr, 2)},
         false},
        {"value outside the range",
         {Word(0xB, 1, kPinCA, 9), Word(0xC, 1, kPinDQ, 1), Word(0xC, 2, kPinSr, 2)},
         false},
        {"a column parameter missing", {Word(0xB, 1, kPinCA, 3), Word(0xC, 1, kPinDQ, 1)}, false},
        {"axis D",
         {Word(0xD, 1, kPinCA, 3), Word(0xC, 1, kPinDQ, 1), Word(0xC, 2, kPinSr, 2)},
         false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(table.ParseRow(Fields(Record(c.words))), c.ok) << c.what;
    }
    EXPECT_EQ(table.GetCellKeyCount(), 2u);
    EXPECT_EQ(table.GetSubIndex(), 1); // the sr column, named by the CA_sr MinPass group
    EXPECT_EQ(table.GetSrIndex(), 1);
}

TEST(PinScanTableTest, ColumnWordsAtPositionsTwoThenOneLeaveOneValue) {
    CTestConfig config;
    CPinScanTable table(kHeader);
    ASSERT_TRUE(table.ParsePinLine(Fields(
        Record({Word(0xB, 1, kPinCA, 0), Word(0xC, 1, kPinDQ, 0), Word(0xC, 2, kPinSr, 0)}))));
    table.BuildLayout({0});
    EXPECT_FALSE(table.ParseRow(Fields(
        Record({Word(0xB, 1, kPinCA, 3), Word(0xC, 2, kPinSr, 2), Word(0xC, 1, kPinDQ, 1)}))));
    EXPECT_TRUE(table.GetCellKeyCount() == 0);
}

TEST(PinScanTableTest, CellTestAndLongestRun) {
    CTestConfig config;
    // One row parameter CA (8 values) and one column parameter sr: data rows 1..8.
    struct Case {
        const char* column; // P pass, F fail, O other, B pass then fail, . no cell
        int run;
    } cases[] = {
        {"PPPPPPPP", 8}, {".PPPPPPP", 7}, {"PPPPPPP.", 7}, {"PP.PPPPP", 8},
        {"PP...PPP", 8}, {"PF.PPPPP", 5}, {"PP.FPPPP", 4}, {"PP.F.PPP", 3},
        {"PPPPFPPP", 4}, {"OOPPPPPP", 8}, {"PPBPPPPP", 5}, {"FFFFFFFF", 0},
        {"........", 0}, {"P......P", 8}, {".P.....P", 7}, {"P......F", 1},
    };
    for (const auto& c : cases) {
        CPinScanTable table(kHeader);
        ASSERT_TRUE(
            table.ParsePinLine(Fields(Record({Word(0xB, 1, kPinCA, 0), Word(0xC, 1, kPinSr, 0)}))));
        table.BuildLayout({0});
        for (int r = 0; r < 8; ++r) {
            const char m = c.column[r];
            const auto add = [&](const char* result) {
                ASSERT_TRUE(table.ParseRow(
                    Fields(Record({Word(0xB, 1, kPinCA, r), Word(0xC, 1, kPinSr, 0)}, result))));
            };
            if (m == 'P')
                add("0X0");
            if (m == 'F')
                add("0XF");
            if (m == 'O')
                add("0x7");
            if (m == 'B') {
                add("0X0");
                add("0XF");
            }
        }
        const int col = 2;
        EXPECT_EQ(table.LongestRun(col), c.run) << c.column;
        // The cell test row by row gives the same run.
        int best = 0;
        int count = 0;
        for (int r = 1; r <= 8; ++r) {
            count = table.CellPasses(r, col) ? count + 1 : 0;
            best = std::max(best, count);
        }
        EXPECT_EQ(best, c.run) << c.column;
    }
}

TEST(PinScanTableTest, MinPassThroughSegmentExtraction) {
    CTestConfig config;
    const auto pass = [](int, int, int) { return true; };
    auto ca = MakeTable(kPinCA, pass);
    EXPECT_EQ(ca->GetSubName(), L"sr");
    EXPECT_EQ(ca->GetConfiguredValues(), std::vector<int32_t>{0});
    EXPECT_EQ(ca->MinPass(0), 48);
    EXPECT_EQ(ca->MinPass(1), 36);
    EXPECT_EQ(ca->MinPass(2), 24); // CA_sr2_800
    EXPECT_EQ(ca->MinPass(3), 0);

    auto ca933 = MakeTable(kPinCA, pass, {0}, LogHeader{L"P1", L"Lpddr3", L"933", 12});
    EXPECT_EQ(ca933->GetSubName(), L"sr");
    EXPECT_EQ(ca933->MinPass(0), 60);
    EXPECT_EQ(ca933->MinPass(2), 0);

    auto ca400 = MakeTable(kPinCA, pass, {0}, LogHeader{L"P1", L"Lpddr3", L"400", 12});
    EXPECT_EQ(ca400->GetSubName(), L"");
    EXPECT_TRUE(ca400->GetConfiguredValues().empty());

    auto dq = MakeTable(kPinDQ, pass);
    EXPECT_EQ(dq->GetSubName(), L"sr");
    EXPECT_EQ(dq->MinPass(0), 24);
}

TEST(PinScanTableTest, GroupWidthsAndEntries) {
    CTestConfig config;
    // Column (dq, sr) passes rows dq .. 7 - sr: its run is 8 - sr - dq.
    const auto window = [](int r, int dq, int sr) { return r >= dq && r < 8 - sr; };
    struct Case {
        const char* what;
        std::vector<int32_t> selected;
        int32_t tcnt;
        ResultMap entries;
        bool verdict;
    } cases[] = {
        {"sr 0: one column per group, smallest over dq", {0}, 12, {{L"1#CA_sr0", 5 * 12}}, true},
        {"sr 0 with a short step fails", {0}, 9, {{L"0#CA_sr0", 5 * 9}}, false},
        {"sr 1 widths, verdict still on the sr-0 columns", {1}, 9, {{L"1#CA_sr1", 4 * 9}}, false},
        {"groups of three columns report their smallest column",
         {0, 1, 2},
         12,
         {{L"1#CA_sr2", 3 * 12}},
         true},
        {"unconfigured value has MinPass 0", {3}, 12, {{L"1#CA_sr3", 2 * 12}}, true},
    };
    for (const auto& c : cases) {
        auto table =
            MakeTable(kPinCA, window, c.selected, LogHeader{L"P1", L"Lpddr3", L"800", c.tcnt});
        ResultMap results;
        EXPECT_EQ(table->AnalyzeTable(results), c.verdict) << c.what;
        EXPECT_EQ(results, c.entries) << c.what;
        EXPECT_EQ(table->GetVerdictRuns(), (std::map<int32_t, int>{{0, 5}})) << c.what;
        EXPECT_EQ(table->GetSr0Runs().size(), 4u) << c.what;
    }
}

TEST(PinScanTableTest, VerdictAndEntriesEdgeCases) {
    CTestConfig config;
    // Every cell fails: runs 0, width 0, an entry starting with "0#".
    auto dead = MakeTable(kPinCA, [](int, int, int) { return false; });
    ResultMap results;
    EXPECT_FALSE(dead->AnalyzeTable(results));
    EXPECT_EQ(results, (ResultMap{{L"0#CA_sr0", 0}}));

    // An existing text keeps its earlier width.
    results = {{L"1#CA_sr0", 1}};
    auto good = MakeTable(kPinCA, [](int, int, int) { return true; });
    EXPECT_TRUE(good->AnalyzeTable(results));
    EXPECT_EQ(results, (ResultMap{{L"1#CA_sr0", 1}}));

    // No MinPass group for the pin: no entry, pass.
    auto clk = MakeTable(kPinClk, [](int, int, int) { return false; });
    results.clear();
    EXPECT_TRUE(clk->AnalyzeTable(results));
    EXPECT_TRUE(results.empty());
}

TEST(PinScanTableTest, UnsupportedDdrTypeShowsTheMessageAndPasses) {
    CTestConfig config;
    CRecordingPrompt prompt;
    CScopedPrompt scope(prompt);
    CPinScanTable table(LogHeader{L"P1", L"Ddr5", L"800", 12});
    ASSERT_TRUE(table.ParsePinLine(Fields(Record({Word(0xB, 1, kPinCA, 0)}))));
    table.BuildLayout({0});
    EXPECT_EQ(prompt.Texts(), std::vector<std::wstring>{L"Only support Lpddr2 ,Lpddr3 and Lpddr4"});
    ResultMap results;
    EXPECT_TRUE(table.AnalyzeTable(results));
    EXPECT_TRUE(results.empty());
    EXPECT_EQ(table.MinPass(0), 0);
}

TEST(PinScanTableTest, CellColours) {
    EXPECT_EQ(CLogDataDDR(CLogDataDDR::kFail).GetColor(), 0x0000FFu);
    EXPECT_EQ(CLogDataDDR(CLogDataDDR::kPass).GetColor(), 0x00FF00u);
    EXPECT_EQ(CLogDataDDR(CLogDataDDR::kOther).GetColor(), 0xFFFFFFu);
    EXPECT_EQ(CLogDataDDR(-5).GetColor(), 0xFFFFFFu);
}

// The one-pass reader of printed record lines must agree with the field split followed by
// ReadRecordFields whenever it accepts a line, and accept the lines a log prints.
TEST(PinScanTableTest, PlainRecordLineDecodingMatchesTheFieldSplit) {
    struct Case {
        const char* line;
        bool plain; // the one-pass reader accepts it
    } cases[] = {
        {" 0x1\t0xB1001005\t0xC1004010\t0X0\n", true},
        {"0x1\t0xB1001005\t0XF", true},
        {"0x1\t0XB1001005\t0x0 \r \t\n", true}, // "0X" word reads as 0
        {"\t 0x1\t0xb1001005\tabc\t\t", true},
        {"0x1\t0xB1001005\t0x0\tjunk\n", false}, // a fourth field
        {"0x1\t\t0xB1001005\t0x0\n", false},     // empty field between tabs
        {"0x1 \t0xB1001005\t0x0\n", false},      // blank inside a field
        {"0 1\t0xB1001005\t0x0\n", false},       // blank inside the first field
        {"0x1\t0xB10010G5\t0x0\n", false},       // not hexadecimal
        {"0x12\t0xB1001005\t0x0\n", false},      // first field of 4 characters
        {"0x1\t0x0\n", false},                   // no word
        {"0x1\t0xB1001005\t0x0x\n", false},      // result of 4 characters
        {"", false},
        {" \n", false},
    };
    for (const auto& c : cases) {
        std::vector<uint32_t> fast;
        int32_t fastState = -1;
        const bool plain = sondex::DecodePlainRecordLine(c.line, fast, fastState);
        EXPECT_EQ(plain, c.plain) << c.line;
        std::vector<std::string_view> fields;
        sondex::CRecordLineCursor::SplitRecordLine(c.line, fields);
        std::vector<uint32_t> words;
        int32_t state = -2;
        const bool ok = sondex::ReadRecordFields(fields, words, state);
        if (plain) {
            EXPECT_TRUE(ok) << c.line;
            EXPECT_EQ(fast, words) << c.line;
            EXPECT_EQ(fastState, state) << c.line;
        }
    }
    // Printed lines with random edits (a character replaced, added or taken out):
    // whenever the one-pass reader accepts one, it gives the field split's result.
    std::mt19937 rng(7);
    const std::string printed = " 0x1\t0xB1001005\t0XC2005001\t0xF\r\n";
    const char alphabet[] = {'\t', ' ', '\n', '\r', '0', 'x', 'X', 'f', 'G', '1'};
    int accepted = 0;
    for (int round = 0; round < 5000; ++round) {
        std::string line = printed;
        for (int edit = static_cast<int>(rng() % 3); edit-- > 0;) {
            const size_t at = rng() % line.size();
            const char c = alphabet[rng() % sizeof alphabet];
            switch (rng() % 3) {
            case 0:
                line[at] = c;
                break;
            case 1:
                line.insert(line.begin() + static_cast<std::ptrdiff_t>(at), c);
                break;
            default:
                line.erase(at, 1);
                break;
            }
        }
        std::vector<uint32_t> fast;
        int32_t fastState = -1;
        if (!sondex::DecodePlainRecordLine(line, fast, fastState)) {
            continue;
        }
        ++accepted;
        std::vector<std::string_view> fields;
        sondex::CRecordLineCursor::SplitRecordLine(line, fields);
        std::vector<uint32_t> words;
        int32_t state = -2;
        ASSERT_TRUE(sondex::ReadRecordFields(fields, words, state)) << "'" << line << "'";
        ASSERT_EQ(fast, words) << "'" << line << "'";
        ASSERT_EQ(fastState, state) << "'" << line << "'";
    }
    EXPECT_GT(accepted, 0);
}

// Words out of position order take the value-list way: a second word at position 1 is put
// in front of the first, so DQ 1 then DQ 3 read as DQ 3, sr 1. Words in order land where
// the value lists would put them.
TEST(PinScanTableTest, WordsOutOfPositionOrderUseTheValueLists) {
    CTestConfig config;
    CPinScanTable table(kHeader);
    ASSERT_TRUE(table.ParsePinLine(Fields(
        Record({Word(0xB, 1, kPinCA, 0), Word(0xC, 1, kPinDQ, 0), Word(0xC, 2, kPinSr, 0)}))));
    table.BuildLayout({0});
    const int row = table.GetRowByValues().at({4});
    EXPECT_TRUE(table.ParseRow(Fields(Record(
        {Word(0xB, 1, kPinCA, 4), Word(0xC, 1, kPinDQ, 1), Word(0xC, 1, kPinDQ, 3)}, "0XF"))));
    EXPECT_EQ(States(table, row, table.GetColByValues().at({3, 1})),
              std::vector<int32_t>{CLogDataDDR::kFail});
    EXPECT_TRUE(table.ParseRow(Fields(Record(
        {Word(0xB, 1, kPinCA, 4), Word(0xC, 1, kPinDQ, 2), Word(0xC, 2, kPinSr, 3)}, "0X0"))));
    EXPECT_EQ(States(table, row, table.GetColByValues().at({2, 3})),
              std::vector<int32_t>{CLogDataDDR::kPass});
    EXPECT_EQ(table.GetCellKeyCount(), 2u);
}
