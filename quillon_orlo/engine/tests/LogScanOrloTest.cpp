#include "LogScanOrlo.h"

#include "LogRead.h"
#include "OrloFixture.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

#include <random>

using namespace orlo;
using quillon::ContainsNoCaseAscii;
using quillon::LogBytesToPieces;
using quillon::ReadFieldValue;
using namespace orlotest;

namespace {

const std::wstring kLineEndingText = L"文件格式错误，请更改文件 %ls 为windows行尾结束符(CR/LF)";

std::wstring LineEndingMessage(const std::wstring& path) {
    return FormatW(kLineEndingText.c_str(), path.c_str());
}

std::string Lines(int count, const std::string& line) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += line + "\r\n";
    }
    return text;
}

} // namespace

TEST(CheckOrloHeader, SignatureMustLieWithinTheFirstTenPieces) {
    struct SCase {
        const char* what;
        std::string text;
        bool expected;
    };
    const std::string sig = "DDR SCAN TOOL VER1.0";
    const SCase cases[] = {
        {"third line", Lines(2, "boot") + sig + "\r\n", true},
        {"tenth line", Lines(9, "boot") + sig + "\r\n", true},
        {"eleventh line", Lines(10, "boot") + sig + "\r\n", false},
        {"any order", "TOOL VER1.0 by SCAN of DDR\r\n", true},
        {"case matters", "ddr scan tool ver1.0\r\n", false},
        {"words on two lines", "DDR SCAN\r\nTOOL VER1.0\r\n", false},
        {"other version", "DDR SCAN TOOL VER2.0\r\n", false},
        // A 600-character line is two pieces; the signature in its tail is piece 2.
        {"tail of a long line", std::string(520, 'x') + sig + "\r\n", true},
        // Ten pieces of 511 characters come before the signature.
        {"after ten full pieces", std::string(10 * 511, 'x') + sig + "\r\n", false},
        {"split by a piece end", std::string(500, 'x') + sig + "\r\n", false},
        {"no line end at all", sig, true},
        {"empty", "", false},
    };
    CTempDir dir;
    CRecordingPrompt prompt;
    CScopedPrompt guard(prompt);
    for (const SCase& c : cases) {
        const std::wstring path = dir.Write("h.txt", c.text);
        EXPECT_EQ(CheckOrloHeader(path), c.expected) << c.what;
    }
    EXPECT_TRUE(prompt.Records().empty());
}

TEST(CheckOrloHeader, MissingFileShowsOpenMessage) {
    CTempDir dir;
    CRecordingPrompt prompt;
    CScopedPrompt guard(prompt);
    const std::wstring path = dir.WPath("missing.txt");
    EXPECT_FALSE(CheckOrloHeader(path));
    EXPECT_EQ(prompt.Texts(), std::vector<std::wstring>{L"open file " + path + L" failed !"});
}

TEST(ReadOrloPassMark, MarkIsTheWordBeforeTheSmiley) {
    struct SCase {
        const wchar_t* line;
        bool found;
        int pass;
    };
    const SCase cases[] = {
        {L"clkwr=7 pass :))))))", true, 1},   {L"clkwr=7 FAIL :))))))", true, 0},
        {L"clkwr=7 passed :))))))", true, 1}, {L"clkwr=7 PaSs:))))))\n", true, 1},
        {L"fail then pass :))))))", true, 1}, // pass is looked for first
        {L"fail :)))))) pass", true, 0},      // only the text before the marker counts
        {L"clkwr=7 pass", false, -5},         // no marker
        {L"clkwr=7 pass :)))))", false, -5},  // five parentheses are not the marker
        {L":)))))) pass", false, -5},         // the word after the marker
        {L"clkwr=7 ok :))))))", false, -5},   {L"", false, -5},
        {L"ppass fFAIL :))))))", true, 1},     // a word after a repeated first letter
        {L"ffail :))))))", true, 0},           {L"pas:))))))", false, -5},
        {L"fai:)))))) l", false, -5},          // a word cut by the marker
        {L"xfailpas :))))))", true, 0},
    };
    for (const SCase& c : cases) {
        int pass = -5;
        EXPECT_EQ(ReadOrloPassMark(c.line, pass), c.found) << c.line;
        EXPECT_EQ(pass, c.pass) << c.line;
    }
}

TEST(ReadOrloDataLines, LineEndsAndDataLines) {
    CTempDir dir;
    CRecordingPrompt prompt;
    CScopedPrompt guard(prompt);
    const std::string line = DataLine(7, 2, 1, 3, 0, true);

    // LF only is accepted; CR LF arrives as LF.
    std::vector<std::wstring> lines;
    std::wstring path = dir.Write("lf.txt", "banner\n" + line + "\n" + line);
    EXPECT_TRUE(ReadOrloDataLines(path, lines));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], Utf8ToWide(line) + L"\n");
    EXPECT_EQ(lines[1], Utf8ToWide(line)); // the last line has no LF
    lines.clear();
    path = dir.Write("crlf.txt", line + "\r\n");
    EXPECT_TRUE(ReadOrloDataLines(path, lines));
    EXPECT_EQ(lines, std::vector<std::wstring>{Utf8ToWide(line) + L"\n"});
    EXPECT_TRUE(prompt.Records().empty());

    // CR only, one line without a break, an empty file: the line-ending message.
    for (const std::string& text : {line + "\r" + line + "\r", line, std::string()}) {
        prompt.Clear();
        lines.clear();
        path = dir.Write("bad.txt", text);
        EXPECT_FALSE(ReadOrloDataLines(path, lines));
        EXPECT_EQ(prompt.Texts(), std::vector<std::wstring>{LineEndingMessage(path)});
    }

    // Line feeds but no data line: false without a message. The keywords are case-sensitive.
    prompt.Clear();
    lines.clear();
    path = dir.Write("nodata.txt", "CLKWR=1, dqs_drv=1, data_drv=1, ctl=1, clk_drv=1 pass\n");
    EXPECT_FALSE(ReadOrloDataLines(path, lines));
    EXPECT_TRUE(prompt.Records().empty());

    path = dir.WPath("missing.txt");
    EXPECT_FALSE(ReadOrloDataLines(path, lines));
    EXPECT_EQ(prompt.Texts(), std::vector<std::wstring>{L"open file " + path + L" failed !"});
}

TEST(ReadOrloDataLines, LongLinesArriveInPiecesOf1023) {
    CTempDir dir;
    CRecordingPrompt prompt;
    CScopedPrompt guard(prompt);
    // 1500 characters with all five names at the start: one data piece of 1023 characters and
    // a tail that is not a data line.
    std::string longLine = DataLine(1, 0, 0, 0, 0, true);
    longLine += std::string(1500 - longLine.size(), 'y');
    // All names in a tail beyond 1023 characters: only the tail piece is a data line.
    std::string tailLine = std::string(1023, 'z') + DataLine(2, 0, 0, 0, 0, true);
    std::vector<std::wstring> lines;
    const std::wstring path = dir.Write("long.txt", longLine + "\n" + tailLine + "\n");
    EXPECT_TRUE(ReadOrloDataLines(path, lines));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 1023u);
    EXPECT_EQ(lines[1], Utf8ToWide(DataLine(2, 0, 0, 0, 0, true)) + L"\n");
}

TEST(GetOrloTemperatureClass, ByNameSubstringOfTheTemperatureLists) {
    const std::vector<std::wstring> low = {L"/logs/low/15.txt", L"/logs/low/b.txt"};
    const std::vector<std::wstring> high = {L"/logs/high/b.txt", L"/logs/high/h1.txt"};
    EXPECT_EQ(GetOrloTemperatureClass(L"5.txt", low, high), kTemperatureLow); // inside 15.txt
    EXPECT_EQ(GetOrloTemperatureClass(L"15.txt", low, high), kTemperatureLow);
    EXPECT_EQ(GetOrloTemperatureClass(L"b.txt", low, high), kTemperatureLow); // low first
    EXPECT_EQ(GetOrloTemperatureClass(L"h1.txt", low, high), kTemperatureHigh);
    EXPECT_EQ(GetOrloTemperatureClass(L"25.txt", low, high), kTemperatureNormal);
    EXPECT_EQ(GetOrloTemperatureClass(L"5.txt", {}, {}), kTemperatureNormal);
}

class CLogScanOrloTest : public ::testing::Test {
protected:
    CTempDir m_dir;
    CRecordingPrompt m_prompt;
    CScopedPrompt m_guard{m_prompt};
};

TEST_F(CLogScanOrloTest, RecordsValuesMarksAndTemperatures) {
    CSettingsGuard settings(m_dir, "");
    CLogScanOrlo scanner;
    scanner.m_fileList = {
        m_dir.Write("normal/5.txt",
                    OrloLog({"some banner text", DataLine(7, 2, 1, 3, 0, true),
                             DataLine(7, 2, 1, 3, 0, true), DataLine(8, 2, 1, 3, 0, false),
                             "clkwr=9, dqs_drv=2, data_drv=1, ctl=3, clk_drv=0 pass",
                             "clkwr = 1 0, dqs_drv = 40ohm, data_drv=-2, ctl=x, clk_drv=3 pass "
                             ":))))))",
                             DataLine(32, 2, 1, 3, 0, true), DataLine(-1, 2, 1, 3, 0, true)})),
        m_dir.Write("low/15.txt", OrloLog({DataLine(7, 2, 1, 3, 0, true)})),
        m_dir.Write("high/h.txt", OrloLog({DataLine(6, 2, 1, 3, 0, true)}))};
    scanner.m_lowList = {scanner.m_fileList[1]};
    scanner.m_highList = {scanner.m_fileList[2]};
    ASSERT_TRUE(scanner.Scan());
    EXPECT_TRUE(m_prompt.Records().empty());
    std::unique_ptr<OrloPageList> result = scanner.TakeResult();
    ASSERT_TRUE(result);
    EXPECT_EQ(scanner.Result(), nullptr);
    ASSERT_EQ(result->PageCount(), 3u);

    const CLogPageOrlo& a = *result->Pages()[0];
    EXPECT_EQ(a.Name(), L"5.txt");
    EXPECT_EQ(a.Temperature(), kTemperatureLow); // its name is inside 15.txt
    EXPECT_EQ(result->Pages()[1]->Temperature(), kTemperatureLow);
    EXPECT_EQ(result->Pages()[2]->Temperature(), kTemperatureHigh);

    ASSERT_EQ(a.Combinations().size(), 2u);
    const DrvCombination& c = a.Combinations()[0];
    EXPECT_EQ(c.Key(), (std::array<int, 4>{2, 1, 3, 0}));
    EXPECT_EQ(c.m_entries[7].m_nPassCount, 2); // two pass lines
    EXPECT_EQ(c.m_entries[8].m_nState, -1);    // a fail
    EXPECT_EQ(c.m_entries[9].m_nState, -1);    // no marker: ignored
    // Units and blanks read as their digits; a value without digits is 0.
    const DrvCombination& u = a.Combinations()[1];
    EXPECT_EQ(u.Key(), (std::array<int, 4>{40, -2, 0, 3}));
    EXPECT_EQ(u.m_entries[10].m_nState, 1);

    const CLogPageOrlo& merged = *result->Merged();
    EXPECT_EQ(merged.Find(2, 1, 3, 0)->m_entries[7].m_nPassCount, 3);
    EXPECT_EQ(merged.Find(2, 1, 3, 0)->m_entries[6].m_nPassCount, 1);
}

TEST_F(CLogScanOrloTest, LastLineWithLineFeedIsRecordedOnce) {
    CSettingsGuard settings(m_dir, "");
    CLogScanOrlo scanner;
    scanner.m_fileList = {m_dir.Write("a.txt", OrloLog({DataLine(3, 0, 0, 0, 0, true)}))};
    ASSERT_TRUE(scanner.Scan());
    const auto result = scanner.TakeResult();
    EXPECT_EQ(result->Pages()[0]->Find(0, 0, 0, 0)->m_entries[3].m_nPassCount, 1);
}

TEST_F(CLogScanOrloTest, NonOrloLogsAskBeforeTheyAreSkipped) {
    const std::wstring good = m_dir.Write("a.txt", OrloLog({DataLine(3, 0, 0, 0, 0, true)}));
    const std::wstring other = m_dir.Write("b.txt", "some other log\r\n");
    const std::wstring question =
        L"扫描失败\nFile: \"" + other + L"\"\n\n不是Orlo的log，跳过扫描失败文件继续分析?";
    struct SCase {
        const char* settings;
        bool answer;
        bool expectQuestion;
        bool expectResult;
    };
    const SCase cases[] = {
        {"[IsCheckLogFile]\nEnable=1\n", true, true, true},
        {"[IsCheckLogFile]\nEnable=1\n", false, true, false},
        {"", false, true, false}, // Enable defaults to 1
        {"[IsCheckLogFile]\nEnable=0\n", false, false, true},
    };
    for (const SCase& c : cases) {
        CSettingsGuard settings(m_dir, c.settings);
        m_prompt.Clear();
        m_prompt.SetDefaultAnswer(c.answer);
        CLogScanOrlo scanner;
        scanner.m_fileList = {good, other};
        EXPECT_EQ(scanner.Scan(), c.expectResult) << c.settings;
        if (c.expectQuestion) {
            ASSERT_EQ(m_prompt.Records().size(), 1u);
            EXPECT_TRUE(m_prompt.Records()[0].question);
            EXPECT_EQ(m_prompt.Records()[0].text, question);
        } else {
            EXPECT_TRUE(m_prompt.Records().empty());
        }
        const auto result = scanner.TakeResult();
        EXPECT_EQ(result != nullptr, c.expectResult);
        if (result) {
            ASSERT_EQ(result->PageCount(), 1u);
            EXPECT_EQ(result->PageName(0), L"a.txt");
            EXPECT_NE(result->Merged(), nullptr);
        }
    }
}

TEST_F(CLogScanOrloTest, SignedLogWithoutLineFeedOrDataAbandonsTheScan) {
    CSettingsGuard settings(m_dir, "");
    const std::wstring good = m_dir.Write("a.txt", OrloLog({DataLine(3, 0, 0, 0, 0, true)}));
    const std::wstring noLf =
        m_dir.Write("b.txt", "DDR SCAN TOOL VER1.0 " + DataLine(3, 0, 0, 0, 0, true));
    const std::wstring noData = m_dir.Write("c.txt", OrloLog({"nothing scanned"}));
    CLogScanOrlo scanner;
    scanner.m_fileList = {good, noLf};
    EXPECT_FALSE(scanner.Scan());
    EXPECT_EQ(scanner.Result(), nullptr);
    EXPECT_EQ(m_prompt.Texts(), std::vector<std::wstring>{LineEndingMessage(noLf)});

    m_prompt.Clear();
    CLogScanOrlo second;
    second.m_fileList = {noData, good};
    EXPECT_FALSE(second.Scan());
    EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(CLogScanOrloTest, UnreadableFileCountsAsNotOrlo) {
    CSettingsGuard settings(m_dir, "[IsCheckLogFile]\nEnable=1\n");
    const std::wstring good = m_dir.Write("a.txt", OrloLog({DataLine(3, 0, 0, 0, 0, true)}));
    const std::wstring missing = m_dir.WPath("gone.txt");
    m_prompt.SetDefaultAnswer(true);
    CLogScanOrlo scanner;
    scanner.m_fileList = {missing, good};
    EXPECT_TRUE(scanner.Scan());
    ASSERT_EQ(m_prompt.Records().size(), 2u);
    EXPECT_EQ(m_prompt.Records()[0].text, L"open file " + missing + L" failed !");
    EXPECT_TRUE(m_prompt.Records()[1].question);
}

// Mended: when no log at all is an Orlo log, skipping them used to leave an empty merged
// page that passed against missing limits.
TEST_F(CLogScanOrloTest, NoAcceptedLogIsAFailedScan) {
    for (const char* settings : {"[IsCheckLogFile]\nEnable=1\n", "[IsCheckLogFile]\nEnable=0\n"}) {
        CSettingsGuard guard(m_dir, settings);
        m_prompt.SetDefaultAnswer(true);
        CLogScanOrlo scanner;
        scanner.m_fileList = {m_dir.Write("x.txt", "not a log\r\n")};
        EXPECT_FALSE(scanner.Scan()) << settings;
        EXPECT_EQ(scanner.TakeResult(), nullptr);
    }
}

TEST_F(CLogScanOrloTest, BinaryGarbageDoesNotCrash) {
    CSettingsGuard settings(m_dir, "[IsCheckLogFile]\nEnable=0\n");
    std::mt19937 random(7);
    std::string garbage = "DDR SCAN TOOL VER1.0\n";
    for (int i = 0; i < 200000; ++i) {
        garbage += static_cast<char>(random() & 0xFF);
    }
    // Fragments of data lines among the noise, some with absurd values.
    garbage += "\nclkwr=99999999999999999999,dqs_drv=--5,data_drv=,ctl,clk_drv pass :))))))\n";
    garbage += "clk_drv=ctl=data_drv=dqs_drv=clkwr=";
    garbage += std::string(3000, '\0');
    garbage += "\n";
    CLogScanOrlo scanner;
    scanner.m_fileList = {m_dir.Write("g.txt", garbage),
                          m_dir.Write("a.txt", OrloLog({DataLine(1, 0, 0, 0, 0, true)}))};
    EXPECT_TRUE(scanner.Scan());
    const auto result = scanner.TakeResult();
    ASSERT_TRUE(result);
    for (const auto& page : result->Pages()) {
        for (const DrvCombination& c : page->Combinations()) {
            for (const ClkwrEntry& e : c.m_entries) {
                EXPECT_TRUE(e.m_nState == 1 || e.m_nState == -1);
            }
        }
    }
}

// CR-only line ends over megabytes: every piece is looked at once, the file is refused.
TEST(ReadOrloDataLines, LargeFileWithoutLineFeedIsRefused) {
    CTempDir dir;
    CRecordingPrompt prompt;
    CScopedPrompt guard(prompt);
    std::string text;
    const std::string line = DataLine(7, 2, 1, 3, 0, true) + "\r";
    while (text.size() < 4'000'000) {
        text += line;
    }
    const std::wstring path = dir.Write("cr.txt", text);
    std::vector<std::wstring> lines;
    EXPECT_FALSE(ReadOrloDataLines(path, lines));
    EXPECT_EQ(prompt.Texts(), std::vector<std::wstring>{LineEndingMessage(path)});
    EXPECT_GT(lines.size(), 1000u); // the pieces holding all five names were still data lines
}

namespace {

// The reader as it was before it worked on bytes: the log widened whole, cut into pieces of
// 1023 characters, each name searched on its own, the shared field reader. The byte reader
// must agree with it on any input.
struct SReferenceRead {
    bool header = false;
    bool lineFeed = false;
    std::vector<std::wstring> dataLines;
    CLogPageOrlo page;
};

SReferenceRead ReferenceRead(const std::string& bytes) {
    SReferenceRead ref;
    std::wstring text;
    std::vector<std::wstring_view> pieces;
    LogBytesToPieces(bytes, text, pieces);
    for (size_t i = 0; i < pieces.size() && i < 10 && !ref.header; ++i) {
        const std::wstring_view p = pieces[i];
        ref.header = p.find(L"DDR") != p.npos && p.find(L"SCAN") != p.npos &&
                     p.find(L"TOOL") != p.npos && p.find(L"VER1.0") != p.npos;
    }
    const std::wstring_view all = text;
    const wchar_t* names[] = {L"clkwr", L"dqs_drv", L"data_drv", L"ctl", L"clk_drv"};
    for (size_t pos = 0; pos < all.size();) {
        const size_t limit = std::min(all.size(), pos + 1023);
        const size_t lf = all.substr(pos, limit - pos).find(L'\n');
        const size_t end = lf != all.npos ? pos + lf + 1 : limit;
        const std::wstring_view piece = all.substr(pos, end - pos);
        pos = end;
        ref.lineFeed = ref.lineFeed || piece.back() == L'\n';
        size_t at[5];
        bool data = true;
        for (size_t i = 0; i < 5 && data; ++i) {
            at[i] = piece.find(names[i]);
            data = at[i] != piece.npos;
        }
        if (!data) {
            continue;
        }
        ref.dataLines.emplace_back(piece);
        const size_t marker = piece.find(L":))))))");
        if (marker == piece.npos) {
            continue;
        }
        int pass = 0;
        if (ContainsNoCaseAscii(piece.substr(0, marker), L"pass")) {
            pass = 1;
        } else if (!ContainsNoCaseAscii(piece.substr(0, marker), L"fail")) {
            continue;
        }
        int values[5] = {};
        for (size_t i = 0; i < 5; ++i) {
            ReadFieldValue(names[i], piece.substr(at[i]), values[i]);
        }
        AddRecord(ref.page, values[1], values[2], values[3], values[4], values[0], pass);
    }
    return ref;
}

std::vector<std::string> PageSummary(const CLogPageOrlo& page) {
    std::vector<std::string> rows;
    for (const DrvCombination& c : page.Combinations()) {
        std::string row = Format("%d/%d/%d/%d:", c.m_nDqsDrv, c.m_nDataDrv, c.m_nCtl, c.m_nClkDrv);
        for (const ClkwrEntry& e : c.m_entries) {
            row += Format(" %d,%d", e.m_nState, e.m_nPassCount);
        }
        rows.push_back(row);
    }
    return rows;
}

// Header check, data lines and the parsed page of one log, by the reader and by the
// reference, with the same messages.
void ExpectSameAsReference(const CTempDir& dir, const std::string& bytes, const std::string& what) {
    SCOPED_TRACE(what);
    const SReferenceRead ref = ReferenceRead(bytes);
    CRecordingPrompt prompt;
    CScopedPrompt guard(prompt);
    const std::wstring path = dir.Write("log.txt", bytes);
    EXPECT_EQ(CheckOrloHeader(path), ref.header);
    std::vector<std::wstring> lines;
    EXPECT_EQ(ReadOrloDataLines(path, lines), ref.lineFeed && !ref.dataLines.empty());
    EXPECT_EQ(lines, ref.dataLines);
    EXPECT_EQ(prompt.Records().empty(), ref.lineFeed);
    if (!ref.header) {
        return;
    }
    CLogScanOrlo scanner;
    scanner.m_fileList = {path};
    const bool scanned = scanner.Scan();
    EXPECT_EQ(scanned, ref.lineFeed && !ref.dataLines.empty());
    if (scanned) {
        const auto result = scanner.TakeResult();
        EXPECT_EQ(PageSummary(*result->Pages()[0]), PageSummary(ref.page));
    }
}

} // namespace

TEST_F(CLogScanOrloTest, ItemNamesValuesAndMarksAsTheLineReaderDeliversThem) {
    CSettingsGuard settings(m_dir, "[IsCheckLogFile]\nEnable=0\n");
    const std::string banner = "DDR SCAN TOOL VER1.0\r\n";
    const std::string cases[] = {
        // Names in another order, as parts of other words, twice (the first counts).
        "clk_drv=3, ctl=2, data_drv=1, dqs_drv=0, clkwr=5 pass :))))))",
        "xclkwr=5, ydqs_drv=1, zdata_drv=2, wctl=3, vclk_drv=4 fail :))))))",
        "clkwr=5, clkwr=6, dqs_drv=1, data_drv=1, ctl=1, clk_drv=1 pass :))))))",
        "clk_clkwr=4, ctlclkwr=3, dqs_drv=1, data_drv=2, clk_drv=7, PaSs:))))))",
        "cclk_drv=1, cctl=2, ddata_drv=3, ddqs_drv=4, cclkwr=5 FAIL :))))))",
        // Bytes above 127, a lone CR and signs inside values.
        "clkwr=\xb5"
        "7, dqs_drv=1\r2, data_drv=-3, ctl=4-5, clk_drv=--6 pass :))))))",
        "clkwr=99999999999, dqs_drv=-99999999999, data_drv=, ctl,clk_drv pass :))))))",
        // A name at the very end of the line, the mark after the marker, no marker.
        "dqs_drv=1, data_drv=1, ctl=1, clk_drv=1 pass :)))))) clkwr",
        "clkwr=1, dqs_drv=1, data_drv=1, ctl=1, clk_drv=1 :)))))) pass",
        "clkwr=2, dqs_drv=1, data_drv=1, ctl=1, clk_drv=1 pass :)))))",
        "clkwr=3, dqs_drv=1, data_drv=1, ctl=1, clk_drv=1 fai:)))))) l pass",
    };
    for (const std::string& line : cases) {
        ExpectSameAsReference(m_dir, banner + line + "\r\n" + line, line);
        ExpectSameAsReference(m_dir, banner + line + "\r\r\n" + line + "\n", line + " (CR CR LF)");
    }
    // Lines about the length of a piece: the LF is the 1024th character or the first of the
    // next piece, and a name may be cut by the piece end.
    const std::string line = DataLine(9, 1, 2, 3, 4, true);
    for (const size_t length : {1021u, 1022u, 1023u, 1024u, 1025u, 2046u, 2047u}) {
        for (const size_t cut : {0u, 5u, 40u}) {
            const std::string padded =
                std::string(length - line.size() - cut, 'x') + line + std::string(cut, 'y');
            ExpectSameAsReference(m_dir, banner + padded + "\r\n" + line + "\r\n",
                                  Format("line of %zu, %zu after the data", length, cut));
        }
    }
    // Header pieces: the signature after long lines and cut by the end of a 511 piece.
    ExpectSameAsReference(m_dir, std::string(1022, 'h') + "\r\n" + banner + line + "\r\n",
                          "banner after two pieces");
    ExpectSameAsReference(m_dir, std::string(497, 'h') + banner + line + "\r\n",
                          "banner cut by the piece end");
}

TEST_F(CLogScanOrloTest, RandomTextReadsAsTheLineReaderDeliversIt) {
    CSettingsGuard settings(m_dir, "[IsCheckLogFile]\nEnable=0\n");
    const std::string fragments[] = {
        "clkwr=", "dqs_drv=", "data_drv=", "ctl=", "clk_drv=", "clk", "c", "d", "_drv", "1", "23",
        "-", ",", " ", "pass", "PASS", "fail", "FaIl", ":))))))", ":)))))", "\r", "\n", "\r\n",
        "\xb5", "\xff", "DDR SCAN TOOL VER1.0", std::string(500, 'x'), std::string(1000, 'z')};
    std::mt19937 random(19);
    for (int file = 0; file < 150; ++file) {
        std::string bytes;
        const int count = 1 + static_cast<int>(random() % 80);
        for (int i = 0; i < count; ++i) {
            bytes += fragments[random() % std::size(fragments)];
        }
        ExpectSameAsReference(m_dir, bytes, Format("random file %d", file));
    }
}
