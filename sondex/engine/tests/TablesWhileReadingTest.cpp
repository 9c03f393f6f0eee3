// Tables built while a log is read must equal the tables built afterwards from the block
// texts, with the same messages in the same order.

#include "FolderWorkflow.h"
#include "LogDocument.h"
#include "LogText.h"
#include "PinScanTable.h"
#include "ScanLogData.h"
#include "ScanLogReader.h"
#include "SondexTestSupport.h"

#include "SondexText.h"
#include "TextUtil.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <sstream>

using namespace sondex;
using namespace sondextest;

namespace {

// Everything a table shows, as one text, so two tables compare in one assertion.
std::string Describe(const CScanLogData& data) {
    std::ostringstream out;
    out << "tables " << data.GetTableCount() << "\n";
    for (const auto& [index, table] : data.GetTables()) {
        out << "table " << index << " rows " << table->GetRowCount() << " cols "
            << table->GetColCount() << " nB " << table->GetRowParamCount() << " nC "
            << table->GetColParamCount() << " sr " << table->GetSrIndex() << " sub "
            << table->GetSubIndex() << " tcnt " << table->GetTcnt() << " keys "
            << table->GetCellKeyCount() << " last " << table->GetLastColRangeCount() << "\n";
        out << " first " << WideToUtf8(table->GetFirstRowName()) << " subName "
            << WideToUtf8(table->GetSubName()) << "\n";
        for (const auto* r : table->GetRowRanges()) {
            out << " row range " << WideToUtf8(r->GetName()) << "\n";
        }
        for (const auto* r : table->GetColRanges()) {
            out << " col range " << WideToUtf8(r->GetName()) << "\n";
        }
        for (const int32_t v : table->GetConfiguredValues()) {
            out << " configured " << v << "\n";
        }
        for (const int32_t v : table->GetSelectedSr()) {
            out << " selected " << v << "\n";
        }
        for (const auto& [key, value] : table->GetHeaderValues()) {
            out << " header " << key.first << "," << key.second << "=" << value << "\n";
        }
        table->ForEachCell([&](int row, int col, const CPinScanTable::CellList& list) {
            out << " cell " << row << "," << col << ":";
            for (const auto& result : list) {
                out << result.GetState();
            }
            out << "\n";
        });
    }
    return out.str();
}

std::string DescribeResults(CScanLogData& data) {
    ResultMap results;
    const bool passed = data.Analyze(results);
    std::ostringstream out;
    out << "passed " << passed << "\n";
    for (const auto& [text, width] : results) {
        out << WideToUtf8(text) << "=" << width << "\n";
    }
    return out.str();
}

struct SOutcome {
    int status = -1;
    bool direct = false;
    bool parsed = false;
    LogHeader header;
    bool start = false;
    bool end = false;
    std::vector<std::wstring> messages;
    std::string tables;
    std::string results;
};

// The way of the block texts: read, then ParseBlocks over the texts.
SOutcome ThroughBlockTexts(const fs::path& path, const std::vector<int32_t>& sr) {
    SOutcome o;
    CRecordingPrompt prompt;
    CScopedPrompt scope(prompt);
    CScanLogReader reader(path);
    o.status = reader.ReadLog();
    o.header = reader.GetHeader();
    o.start = reader.IsStartSeen();
    o.end = reader.IsEndSeen();
    if (o.status == CScanLogReader::kStatusOk || o.status == CScanLogReader::kStatusIncomplete) {
        CScanLogData data(L"a.Txt", reader.GetHeader(), reader.TakeBlocks());
        o.parsed = data.ParseBlocks(sr);
        o.tables = Describe(data);
        o.results = DescribeResults(data);
    }
    o.messages = prompt.Texts();
    return o;
}

// The way of the document: tables built while reading, held messages shown after.
SOutcome WhileReading(const fs::path& path, const std::vector<int32_t>& sr) {
    SOutcome o;
    CRecordingPrompt prompt;
    CScopedPrompt scope(prompt);
    CScanLogReader reader(path);
    CScanLogData data(L"a.Txt", LogHeader(), {});
    reader.SetTableTarget(&data, sr);
    o.status = reader.ReadLog();
    o.header = reader.GetHeader();
    o.start = reader.IsStartSeen();
    o.end = reader.IsEndSeen();
    o.direct = reader.HasBuiltTables();
    if (o.status == CScanLogReader::kStatusOk || o.status == CScanLogReader::kStatusIncomplete) {
        data.SetHeader(reader.GetHeader());
        if (o.direct) {
            EXPECT_TRUE(reader.GetBlocks().empty());
            for (const auto& text : reader.TakeHeldMessages()) {
                GetPrompt().Show(text);
            }
            o.parsed = reader.AreTablesParsed();
        } else {
            data.SetBlocks(reader.TakeBlocks());
            o.parsed = data.ParseBlocks(sr);
        }
        o.tables = Describe(data);
        o.results = DescribeResults(data);
    }
    o.messages = prompt.Texts();
    return o;
}

void ExpectSame(const SOutcome& a, const SOutcome& b, const std::string& what) {
    EXPECT_EQ(a.status, b.status) << what;
    EXPECT_EQ(a.parsed, b.parsed) << what;
    EXPECT_EQ(a.header, b.header) << what;
    EXPECT_EQ(a.start, b.start) << what;
    EXPECT_EQ(a.end, b.end) << what;
    EXPECT_EQ(a.messages, b.messages) << what;
    EXPECT_EQ(a.tables, b.tables) << what;
    EXPECT_EQ(a.results, b.results) << what;
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

const auto kPassBand = [](int r, int, int sr) { return r >= 1 && r < 7 - sr; };

} // namespace

TEST(TablesWhileReadingTest, SameTablesAndMessagesAsTheBlockTexts) {
    CTestConfig config;
    CTempDir dir;
    const std::string ca = TableLines(kPinCA, 8, kPassBand);
    const std::string dq = TableLines(kPinDQ, 4, kPassBand);
    const std::string clk = TableLines(kPinClk, 4, kPassBand);
    const std::string bad = Record({Word(0xB, 1, 0x77, 1), Word(0xC, 1, kPinDQ, 0)});
    struct Case {
        const char* what;
        std::string text;
        bool direct; // the tables are built while reading
    } cases[] = {
        {"three blocks, two sharing a table",
         Header() + kStart + ca + kSeparator + dq + kSeparator + ca + kEnd, true},
        {"CR LF line ends", WithCrLf(Header() + kStart + ca + kSeparator + dq + kEnd), true},
        {"hidden table between two shown",
         Header() + kStart + ca + kSeparator + clk + kSeparator + dq + kEnd, true},
        {"pin line of an unknown pin, then a good one",
         Header() + kStart + bad + ca + kSeparator + bad + kEnd, true},
        {"commas split a line in two",
         Header() + kStart + ca + "0x1\t" + Hex8(Word(0xB, 1, kPinCA, 2)) + "\t" +
             Hex8(Word(0xC, 1, kPinDQ, 1)) + "\t0X,0x1\t" + Hex8(Word(0xB, 1, kPinCA, 3)) + "\t" +
             Hex8(Word(0xC, 1, kPinDQ, 2)) + "\t" + Hex8(Word(0xC, 2, kPinSr, 1)) + "\t0XF\n" +
             kEnd,
         true},
        {"star in the result field reads as a header line",
         Header() + kStart + ca + "0x1\t" + Hex8(Word(0xB, 1, kPinCA, 2)) + "\t0X*\n" + kEnd, true},
        {"record lines of other forms",
         Header() + kStart + ca + "0X1\t0xB1001002\t0X0\n" +
             "0x1\t0XB1001003\t0xc1002002\t0xc2003001 \t 0x0\n" +
             "0x1\t\t0xB1001004\t0xC1002001\t0xC2003002\t0XF\n" + kEnd,
         true},
        {"incomplete log", Header() + ca + kSeparator + dq, true},
        {"no criteria for the DDR type", Header(0x1234, 2) + kStart + ca + kEnd, true},
        {"first block before the header lines", kStart + ca + Header() + kEnd, false},
        {"three header lines only", "**0x1234**\n**0x3**\n**0x320**\n" + kStart + ca + kEnd, false},
        {"rejected project after a block", kStart + ca + Header(0x9999) + kEnd, false},
        {"no block", Header() + kStart + kEnd, false},
        {"a line longer than a piece",
         Header() + kStart + ca + "0x1\t" + std::string(700, 'a') + "\n" + dq + kEnd, true},
    };
    for (const auto& c : cases) {
        const fs::path path = dir.Write("a.Txt", c.text);
        for (const std::vector<int32_t>& sr : {std::vector<int32_t>{0}, {0, 1, 2, 3}}) {
            const SOutcome text = ThroughBlockTexts(path, sr);
            const SOutcome direct = WhileReading(path, sr);
            EXPECT_EQ(direct.direct, c.direct) << c.what;
            ExpectSame(text, direct, c.what);
        }
    }
}

// Random edits of a log (bytes replaced, put in or taken out) change nothing between the
// two ways, whatever they do to the lines.
TEST(TablesWhileReadingTest, EditedLogsGiveTheSameTables) {
    CTestConfig config;
    CTempDir dir;
    const std::string log = Header() + kStart + TableLines(kPinCA, 8, kPassBand) + kSeparator +
                            TableLines(kPinDQ, 4, kPassBand) + kEnd;
    const char alphabet[] = {'\t', ' ', '\n', '\r', ',', '*', '0', 'x', 'X', 'f', 'C', '\x80'};
    std::mt19937 rng(11);
    int direct = 0;
    for (int round = 0; round < 150; ++round) {
        std::string text = round % 2 ? WithCrLf(log) : log;
        for (int edit = static_cast<int>(rng() % 6) + 1; edit-- > 0;) {
            // Edits fall behind the header lines mostly, so most logs keep their header.
            const size_t from = round % 10 == 0 ? 0 : 200;
            const size_t at = from + rng() % (text.size() - from);
            const char c = alphabet[rng() % sizeof alphabet];
            switch (rng() % 3) {
            case 0:
                text[at] = c;
                break;
            case 1:
                text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), c);
                break;
            default:
                text.erase(at, 1);
                break;
            }
        }
        const fs::path path = dir.Write("a.Txt", text);
        const SOutcome a = ThroughBlockTexts(path, {0});
        const SOutcome b = WhileReading(path, {0});
        direct += b.direct ? 1 : 0;
        ExpectSame(a, b, "round " + std::to_string(round));
    }
    EXPECT_GT(direct, 0);
}

// A log larger than the read buffer: lines, and a CR LF pair, cut by the buffer's end read
// as if the file were read in one piece.
TEST(TablesWhileReadingTest, LinesAcrossTheReadBufferEnd) {
    CTestConfig config;
    CTempDir dir;
    constexpr size_t kBuffer = size_t(1) << 18;
    const std::string line =
        Record({Word(0xB, 1, kPinCA, 1), Word(0xC, 1, kPinDQ, 1), Word(0xC, 2, kPinSr, 1)});
    for (const size_t shift : {size_t(0), size_t(1), size_t(2), size_t(20), size_t(300)}) {
        // Lines of no meaning fill the buffer up to a record line whose CR then sits at
        // the buffer's last byte (shift 0), whose LF sits there (1), or which the buffer's
        // end cuts (more); a line longer than a piece follows.
        std::string text = WithCrLf(Header() + kStart + TableLines(kPinCA, 8, kPassBand));
        const std::string crLine = WithCrLf(line);
        const size_t want = kBuffer - 1 - shift;
        size_t pad = want - (text.size() + crLine.size() - 2);
        while (pad > 200) {
            text += std::string(98, '#') + "\r\n";
            pad -= 100;
        }
        text += std::string(pad - 2, '#') + "\r\n" + crLine;
        ASSERT_EQ(text[want], '\r');
        text += WithCrLf("0x1\t" + std::string(600, 'b') + "\n" + line + kSeparator +
                         TableLines(kPinDQ, 4, kPassBand) + kEnd);
        const fs::path path = dir.Write("big.Txt", text);

        CRecordingPrompt prompt;
        CScopedPrompt scope(prompt);
        CScanLogReader reader(path);
        ASSERT_EQ(reader.ReadLog(), CScanLogReader::kStatusOk);
        // The expected block texts: the file with CR LF made LF, cut at the line breaks
        // and at 511 characters, the record lines each behind ", ".
        std::string converted;
        for (size_t i = 0; i < text.size(); ++i) {
            if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
                converted += text[i];
            }
        }
        std::vector<std::string> expected(1);
        size_t at = converted.find(kStart) + kStart.size();
        while (at < converted.size()) {
            size_t end = converted.find('\n', at);
            end = end == std::string::npos ? converted.size() : end + 1;
            end = std::min(end, at + kLogPieceChars);
            const std::string piece = converted.substr(at, end - at);
            if (piece == kSeparator) {
                expected.emplace_back();
            } else if (piece.rfind("0x", 0) == 0 && piece != kEnd) {
                expected.back() += ", " + piece;
            }
            at = end;
        }
        EXPECT_EQ(reader.GetBlocks(), expected) << "shift " << shift;
        ExpectSame(ThroughBlockTexts(path, {0}), WhileReading(path, {0}),
                   "shift " + std::to_string(shift));
    }
}

// Table messages come after the incomplete-log question and only when the log is opened.
TEST(TablesWhileReadingTest, TableMessagesFollowTheIncompleteQuestion) {
    CTestConfig config;
    CTempDir dir;
    const std::string bad = Record({Word(0xB, 1, 0x77, 1), Word(0xC, 1, kPinDQ, 0)});
    // Ddr5 has a CA range but no pass criteria.
    std::string lines;
    for (uint32_t r = 0; r < 8; ++r) {
        lines += Record({Word(0xB, 1, kPinCA, r)});
    }
    const fs::path path = dir.Write("b.Txt", Header(0x1234, 5) + kStart + bad + lines);
    const std::wstring question = L"log文件b.Txt不完整，将影响分析结果的准确性, 是否继续";
    for (const bool answer : {true, false}) {
        CRecordingPrompt prompt;
        prompt.Script({answer});
        CScopedPrompt scope(prompt);
        CLogDocument document;
        EXPECT_EQ(document.OpenLog(path, {0}), answer);
        std::vector<std::wstring> expected{question};
        if (answer) {
            expected.push_back(L"获取针脚信息失败,请检查区块第一行log格式");
            expected.push_back(L"Only support Lpddr2 ,Lpddr3 and Lpddr4");
            EXPECT_FALSE(document.IsParsed());
            ASSERT_NE(document.GetData(), nullptr);
            EXPECT_EQ(document.GetData()->GetTableCount(), 1);
            EXPECT_EQ(document.GetData()->GetTable(0)->GetCellKeyCount(), 8u);
        }
        EXPECT_EQ(prompt.Texts(), expected) << answer;
        ASSERT_FALSE(prompt.Records().empty());
        EXPECT_TRUE(prompt.Records().front().question);
    }
}

// Every byte in every digit of a word: the eight-at-a-time digit reading accepts exactly
// the hexadecimal digits and gives the field split's value.
TEST(TablesWhileReadingTest, WordDigitsOfEveryByte) {
    for (const char* prefix : {"0x", "0X"}) {
        for (int position = 0; position < 8; ++position) {
            for (int byte = 0; byte < 256; ++byte) {
                std::string word = std::string(prefix) + "B1C2d3E4";
                word[2 + static_cast<size_t>(position)] = static_cast<char>(byte);
                const std::string line = "0x1\t" + word + "\t0X0\n";
                std::vector<uint32_t> fast;
                int32_t fastState = -1;
                const bool plain = sondex::DecodePlainRecordLine(line, fast, fastState);
                std::vector<std::string_view> fields;
                sondex::CRecordLineCursor::SplitRecordLine(line, fields);
                std::vector<uint32_t> words;
                int32_t state = -2;
                const bool ok = sondex::ReadRecordFields(fields, words, state);
                const bool hex = std::isxdigit(byte) != 0;
                EXPECT_EQ(plain, hex) << position << " " << byte;
                if (hex) {
                    ASSERT_TRUE(ok);
                    EXPECT_EQ(fast, words) << position << " " << byte;
                    EXPECT_EQ(fastState, state);
                }
            }
        }
    }
    std::vector<uint32_t> words;
    int32_t state = 0;
    ASSERT_TRUE(sondex::DecodePlainRecordLine("0x1\t0xFEDCBA98\t0x01234567\t0X0", words, state));
    EXPECT_EQ(words, (std::vector<uint32_t>{0xFEDCBA98u, 0x01234567u}));
}

// Header values computed from the geometry agree with the header value map made on
// request, for log tables and for the statistics table merged from them; the merged
// table's maps are those of the first log's table.
TEST(TablesWhileReadingTest, HeaderValuesAgreeWithTheMaps) {
    CTestConfig config;
    CTempDir dir;
    const std::string vrefLines = [] {
        std::string out;
        for (uint32_t r = 0; r < 8; ++r) {
            for (uint32_t v = 1; v <= 3; ++v) {
                out += Record({Word(0xB, 1, kPinCA, r), Word(0xB, 2, kPinVref, v),
                               Word(0xC, 1, kPinSr, v % 4)});
            }
        }
        return out;
    }();
    const std::string log = Header() + kStart + TableLines(kPinCA, 8, kPassBand) + kSeparator +
                            vrefLines + kSeparator + Record({Word(0xB, 1, kPinDQ, 1)}) + kEnd;
    dir.Write("logs/a.Txt", log);
    dir.Write("logs/b.Txt", log);
    CRecordingPrompt prompt;
    CScopedPrompt scope(prompt);
    CFolderWorkflow workflow;
    ASSERT_EQ(workflow.AnalyzeFolder(dir.Path() / "logs"), 2);
    const auto check = [](const CPinScanTable& table, const std::string& what) {
        const auto& map = table.GetHeaderValues();
        size_t found = 0;
        for (int row = -1; row <= table.GetRowCount() + 1; ++row) {
            for (int col = -1; col <= table.GetColCount() + 1; ++col) {
                const auto it = map.find({row, col});
                const auto value = table.GetHeaderValue(row, col);
                ASSERT_EQ(value.has_value(), it != map.end()) << what << " " << row << "," << col;
                if (value) {
                    EXPECT_EQ(*value, it->second) << what << " " << row << "," << col;
                    ++found;
                }
            }
        }
        EXPECT_EQ(found, map.size()) << what;
    };
    const CScanLogData* first = workflow.GetDocuments().front()->GetData();
    const CScanLogData* stats = workflow.GetStatisticsDocument()->GetData();
    ASSERT_EQ(first->GetTableCount(), 3);
    for (const auto& [index, table] : first->GetTables()) {
        check(*table, "log table " + std::to_string(index));
        const CPinScanTable* merged = stats->GetTable(index);
        ASSERT_NE(merged, nullptr);
        check(*merged, "merged table " + std::to_string(index));
        EXPECT_EQ(merged->GetHeaderValues(), table->GetHeaderValues());
        EXPECT_EQ(merged->GetColByValues(), table->GetColByValues());
        EXPECT_EQ(merged->GetValuesByCol(), table->GetValuesByCol());
        EXPECT_EQ(merged->GetRowByValues(), table->GetRowByValues());
        EXPECT_EQ(merged->GetValuesByRow(), table->GetValuesByRow());
    }
    // The CA, VREF by sr table: row values (CA, VREF) and column values (sr).
    const CPinScanTable& two = *first->GetTable(1);
    EXPECT_EQ(two.GetValuesByRow().at(1 + 5), (CPinScanTable::ValueList{1, 3}));
    EXPECT_EQ(two.GetRowByValues().at({7, 1}), 1 + 21);
    EXPECT_EQ(two.GetColByValues().at({2}), 2 + 1 + 2);
    // A table never laid out has no header values.
    const CPinScanTable empty;
    EXPECT_TRUE(empty.GetHeaderValues().empty());
    EXPECT_TRUE(empty.GetColByValues().empty());
    EXPECT_FALSE(empty.GetHeaderValue(0, 0).has_value());
}

// A cell list keeps its results in arrival order whether it holds one (in place) or more.
TEST(TablesWhileReadingTest, CellListKeepsArrivalOrder) {
    const auto states = [](const CPinScanTable::CellList& list) {
        std::vector<int32_t> out;
        for (const auto& r : list) {
            out.push_back(r.GetState());
        }
        return out;
    };
    CPinScanTable::CellList list;
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.begin(), list.end());
    EXPECT_THROW((void)list.at(0), std::out_of_range);
    list.emplace_back(CLogDataDDR::kPass);
    EXPECT_EQ(states(list), (std::vector<int32_t>{1}));
    EXPECT_EQ(list.front().GetState(), CLogDataDDR::kPass);
    EXPECT_THROW((void)list.at(1), std::out_of_range);
    list.emplace_back(CLogDataDDR::kFail);
    list.emplace_back(CLogDataDDR::kOther);
    EXPECT_EQ(states(list), (std::vector<int32_t>{1, 0, 2}));
    EXPECT_EQ(list.back().GetState(), CLogDataDDR::kOther);
    EXPECT_EQ(list[1].GetState(), CLogDataDDR::kFail);

    CPinScanTable::CellList merged;
    CPinScanTable::CellList one;
    one.emplace_back(CLogDataDDR::kFail);
    merged.append(one);
    EXPECT_EQ(states(merged), (std::vector<int32_t>{0}));
    for (int i = 0; i < 40; ++i) {
        merged.append(i % 2 ? one : list);
    }
    ASSERT_EQ(merged.size(), 1u + 20u * 3u + 20u);
    EXPECT_EQ(merged.at(1).GetState(), CLogDataDDR::kPass);
    EXPECT_EQ(merged.at(4).GetState(), CLogDataDDR::kFail);
    EXPECT_EQ(merged.back().GetState(), CLogDataDDR::kFail);
    const CPinScanTable::CellList copy = merged;
    EXPECT_EQ(states(copy), states(merged));

    // Copies and moves of lists held in place and on the heap keep every result.
    CPinScanTable::CellList moved = std::move(merged);
    EXPECT_EQ(states(moved), states(copy));
    EXPECT_TRUE(merged.empty()); // NOLINT(bugprone-use-after-move): a moved-from list is empty
    CPinScanTable::CellList small;
    small.emplace_back(CLogDataDDR::kOther);
    CPinScanTable::CellList target = list;
    target = small;
    EXPECT_EQ(states(target), (std::vector<int32_t>{2}));
    target = std::move(moved);
    EXPECT_EQ(states(target), states(copy));
    target = target;
    EXPECT_EQ(states(target), states(copy));
    CPinScanTable::CellList fromSmall = std::move(small);
    EXPECT_EQ(states(fromSmall), (std::vector<int32_t>{2}));
    std::vector<CPinScanTable::CellList> many(3);
    many[1] = copy;
    many.resize(100); // moves the lists
    EXPECT_EQ(states(many[1]), states(copy));
    EXPECT_TRUE(many[0].empty());
}

// Longest runs agree with the cell test row by row (a missing cell passes only between
// passing cells), on tables with random results and random missing cells.
TEST(TablesWhileReadingTest, LongestRunsFollowTheCellTest) {
    CTestConfig config;
    const LogHeader header{L"P1", L"Lpddr3", L"800", 12};
    std::mt19937 rng(5);
    for (int round = 0; round < 40; ++round) {
        CPinScanTable table(header);
        const std::string pin = Record({Word(0xB, 1, kPinCA, 0), Word(0xC, 1, kPinSr, 0)});
        ASSERT_TRUE(table.ParsePinLine(sondex::SplitTrimmed(pin, '\t')));
        table.BuildLayout({0});
        for (uint32_t r = 0; r < 8; ++r) {
            for (uint32_t sr = 0; sr < 4; ++sr) {
                if (rng() % 3 == 0) {
                    continue; // missing cell
                }
                const std::string line = Record({Word(0xB, 1, kPinCA, r), Word(0xC, 1, kPinSr, sr)},
                                                rng() % 4 == 0 ? "0XF" : "0X0");
                ASSERT_TRUE(table.ParseRow(sondex::SplitTrimmed(line, '\t')));
            }
        }
        for (int col = 2; col < table.GetColCount(); ++col) {
            int best = 0;
            int count = 0;
            for (int row = 1; row < table.GetRowCount(); ++row) {
                count = table.CellPasses(row, col) ? count + 1 : 0;
                best = std::max(best, count);
            }
            EXPECT_EQ(table.LongestRun(col), best) << round << " " << col;
        }
    }
}

// Merging with the folder's log count given beforehand gives the same statistics as
// merging without it.
TEST(TablesWhileReadingTest, MergeCountChangesNoStatistics) {
    CTestConfig config;
    CTempDir dir;
    for (int i = 0; i < 4; ++i) {
        dir.Write("logs/" + std::to_string(i) + ".Txt",
                  Header() + kStart + TableLines(kPinCA, 8 - i, [i](int r, int, int sr) {
                      return r > i - sr;
                  }) + kEnd);
    }
    CRecordingPrompt prompt;
    CScopedPrompt scope(prompt);
    CFolderWorkflow workflow;
    ASSERT_EQ(workflow.AnalyzeFolder(dir.Path() / "logs"), 4);
    CScanLogData plain;
    for (const auto& document : workflow.GetDocuments()) {
        if (!document->IsStatistics()) {
            EXPECT_TRUE(plain.MergeLog(*document->GetData()));
        }
    }
    EXPECT_EQ(Describe(*workflow.GetStatisticsDocument()->GetData()), Describe(plain));
    EXPECT_NE(Describe(plain).find(":0000\n"), std::string::npos); // a cell failing in all four
}

// Lines that repeat the words of the line before take a shorter way; it must give what the
// full checks give. Table b sees a rejected line between every two lines, so it never
// takes the shorter way; both tables must end up alike and answer every line alike.
TEST(TablesWhileReadingTest, RepeatedWordsGiveWhatTheFullChecksGive) {
    CTestConfig config;
    const LogHeader header{L"P1", L"Lpddr3", L"800", 12};
    const std::string pin =
        Record({Word(0xB, 1, kPinCA, 0), Word(0xC, 1, kPinDQ, 0), Word(0xC, 2, kPinSr, 0)});
    CPinScanTable a(header);
    CPinScanTable b(header);
    for (CPinScanTable* t : {&a, &b}) {
        ASSERT_TRUE(t->ParsePinLine(sondex::SplitTrimmed(pin, '\t')));
        t->BuildLayout({0});
    }
    const std::vector<uint32_t> breaker{Word(0xB, 9, kPinCA, 0)};
    std::mt19937 rng(3);
    for (int line = 0; line < 3000; ++line) {
        const uint32_t r = rng() % 10; // 8 and 9 lie outside the CA range
        const uint32_t dq = rng() % 4;
        const uint32_t sr = rng() % 5;
        std::vector<uint32_t> words;
        switch (rng() % 8) {
        case 0: // sr before DQ: the value-list way
            words = {Word(0xB, 1, kPinCA, r), Word(0xC, 2, kPinSr, sr), Word(0xC, 1, kPinDQ, dq)};
            break;
        case 1: // a pin of another range at a known position
            words = {Word(0xB, 1, kPinVref, r), Word(0xC, 1, kPinDQ, dq), Word(0xC, 2, kPinSr, sr)};
            break;
        case 2: // a word missing
            words = {Word(0xB, 1, kPinCA, r), Word(0xC, 1, kPinDQ, dq)};
            break;
        case 3: // the unused digits set
            words = {Word(0xB, 1, kPinCA, r) | 0x00AB0000u, Word(0xC, 1, kPinDQ, dq),
                     Word(0xC, 2, kPinSr, sr) | 0x00110000u};
            break;
        default:
            words = {Word(0xB, 1, kPinCA, r), Word(0xC, 1, kPinDQ, dq), Word(0xC, 2, kPinSr, sr)};
            break;
        }
        const int32_t state = static_cast<int32_t>(rng() % 3);
        const bool okA = a.ParseRowWords(words, state);
        EXPECT_FALSE(b.ParseRowWords(breaker, 0));
        const bool okB = b.ParseRowWords(words, state);
        ASSERT_EQ(okA, okB) << "line " << line;
    }
    EXPECT_EQ(a.GetSubIndex(), b.GetSubIndex());
    EXPECT_EQ(a.GetCellKeyCount(), b.GetCellKeyCount());
    std::ostringstream da;
    std::ostringstream db;
    const auto dump = [](const CPinScanTable& t, std::ostringstream& out) {
        t.ForEachCell([&](int row, int col, const CPinScanTable::CellList& list) {
            out << row << "," << col << ":";
            for (const auto& result : list) {
                out << result.GetState();
            }
            out << "\n";
        });
    };
    dump(a, da);
    dump(b, db);
    EXPECT_EQ(da.str(), db.str());
    EXPECT_GT(a.GetCellKeyCount(), 100u);
}
