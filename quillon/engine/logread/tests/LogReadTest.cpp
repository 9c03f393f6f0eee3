#include "LogRead.h"

#include "ScratchFolder.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

class CTempDir : public testsupport::CScratchFolder {
public:
    CTempDir() : CScratchFolder("logread_test") {}
    [[nodiscard]] std::wstring Wide() const { return PathToWide(Path()); }
    std::wstring Write(const std::string& name, const std::string& bytes) const {
        return PathToWide(CScratchFolder::Write(name, bytes));
    }
};

const std::wstring kDataLine =
    L"dxn=0, drv_stg=34ohm, mem_drv=40ohm, sdll_phs_dly=36, dqs_step_dly=-3, pass";

bool Split(const std::wstring& path, std::vector<std::wstring>& data,
           std::vector<std::wstring>& other) {
    return SplitLogLines(path, L"dxn", L"drv_stg", L"sdll_phs_dly", L"dqs_step_dly", data, other);
}

} // namespace

TEST(FindLogFiles, MatchesTxtInAnyCaseAndEntersOnlyTxtDirectories) {
    CTempDir dir;
    dir.Write("a.txt", "x");
    dir.Write("B.TXT", "x");
    dir.Write("notes.log", "x");
    dir.Write("old/inner.txt", "x");
    dir.Write("run2.txt/inner.txt", "x");
    dir.Write("run2.txt/skip.dat", "x");
    dir.Write("c.Txt.bak", "x");
    std::vector<std::wstring> files;
    ASSERT_TRUE(FindLogFiles(dir.Wide(), files));
    const std::wstring base = dir.Wide() + L"/";
    // Ascending by upper-cased name: A.TXT < B.TXT < RUN2.TXT.
    EXPECT_EQ(files, (std::vector<std::wstring>{base + L"a.txt", base + L"B.TXT",
                                                base + L"run2.txt/inner.txt"}));
}

TEST(FindLogFiles, OrderIsByUpperCaseNameThenExactName) {
    CTempDir dir;
    for (const char* name : {"b.txt", "A_.txt", "a.txt", "A.txt", "_x.txt", "Z.txt"}) {
        dir.Write(name, "x");
    }
    std::vector<std::wstring> files;
    ASSERT_TRUE(FindLogFiles(dir.Wide() + L"/", files)); // a trailing '/' is not doubled
    std::vector<std::wstring> names;
    for (const auto& f : files) {
        std::wstring name;
        ASSERT_TRUE(GetFileNameOfPath(f, name));
        names.push_back(name);
        EXPECT_EQ(f.find(L"//"), std::wstring::npos);
    }
    // "A.TXT" < "A_.TXT" ('.' < '_'), exact names break the tie: "A.txt" < "a.txt";
    // '_' (0x5F) sorts after the upper-case letters.
    EXPECT_EQ(names, (std::vector<std::wstring>{L"A.txt", L"a.txt", L"A_.txt", L"b.txt", L"Z.txt",
                                                L"_x.txt"}));
}

TEST(FindLogFiles, LinkBackToAParentIsSearchedOnce) {
    CTempDir dir;
    dir.Write("a.txt", "x");
    fs::create_directory_symlink(dir.Path(), dir.Path() / "loop.txt");
    std::vector<std::wstring> files;
    ASSERT_TRUE(FindLogFiles(dir.Wide(), files));
    EXPECT_EQ(files, std::vector<std::wstring>{dir.Wide() + L"/a.txt"});
}

TEST(FindLogFiles, EmptyOrMissingDirectoryGivesFalse) {
    CTempDir dir;
    std::vector<std::wstring> files;
    EXPECT_FALSE(FindLogFiles(dir.Wide(), files));
    EXPECT_FALSE(FindLogFiles(dir.Wide() + L"/missing", files));
    EXPECT_TRUE(files.empty());
}

// Names that are not UTF-8 (GBK from a board's USB stick) used to come back from the
// listing as other bytes, so "open file ... failed !" ended the scan.
TEST(FindLogFiles, NamesThatAreNotUtf8OpenAndShowReplacementCharacters) {
    CTempDir dir;
    const std::string gbk = "\xB2\xE2\xCA\xD4"; // 测试
    dir.Write(gbk + "/" + gbk + "_1.txt", "Varro\r\n" + WideToUtf8(kDataLine) + "\r\n");
    std::vector<std::wstring> files;
    ASSERT_TRUE(FindLogFiles(PathToWide(dir.Path() / gbk), files));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(WideToPath(files[0]), dir.Path() / gbk / (gbk + "_1.txt"));
    CRecordingPrompt prompt;
    CScopedPrompt scope(prompt);
    std::vector<std::wstring> data;
    std::vector<std::wstring> other;
    EXPECT_TRUE(Split(files[0], data, other));
    EXPECT_EQ(data, std::vector<std::wstring>{kDataLine + L"\n"});
    EXPECT_TRUE(prompt.Texts().empty());
    std::wstring name;
    ASSERT_TRUE(GetFileNameOfPath(files[0], name));
    EXPECT_EQ(WideToUtf8(name), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD_1.txt");
}

TEST(SplitLogLines, LineEndingsTable) {
    struct SCase {
        const char* name;
        std::string bytes;
        bool result;
        bool formatMessage;
        size_t data;
        size_t other;
    };
    const std::string data = WideToUtf8(kDataLine);
    const std::vector<SCase> cases = {
        {"crlf", "Varro\r\n" + data + "\r\n" + data + "\r\n", true, false, 2, 1},
        {"lf only", "Varro\n" + data + "\n", true, false, 1, 1},
        {"cr only", "Varro\r" + data + "\r", false, true, 1, 0},
        {"one line no break", data, false, true, 1, 0},
        {"empty", "", false, true, 0, 0},
        {"no data line", "Varro\r\nhello\r\n", false, false, 0, 2},
        {"last line without break", "Varro\r\n" + data, true, false, 1, 1},
        {"binary garbage", std::string("\x00\xFF\x1A\r\n\x80", 6), false, false, 0, 2},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        CTempDir dir;
        const std::wstring path = dir.Write("a.txt", c.bytes);
        CRecordingPrompt prompt;
        CScopedPrompt guard(prompt);
        std::vector<std::wstring> dataLines, otherLines;
        EXPECT_EQ(Split(path, dataLines, otherLines), c.result);
        EXPECT_EQ(dataLines.size(), c.data);
        EXPECT_EQ(otherLines.size(), c.other);
        if (c.formatMessage) {
            EXPECT_EQ(prompt.Texts(),
                      std::vector<std::wstring>{L"文件格式错误，请更改文件 " + path +
                                                L" 为windows行尾结束符(CR/LF)"});
        } else {
            EXPECT_TRUE(prompt.Texts().empty());
        }
    }
}

TEST(SplitLogLines, CrLfBecomesLfAndLoneCrStays) {
    CTempDir dir;
    const std::wstring path =
        dir.Write("a.txt", "a\r\r\nb\rc\r\n" + WideToUtf8(kDataLine) + "\r\n");
    std::vector<std::wstring> data, other;
    ASSERT_TRUE(Split(path, data, other));
    EXPECT_EQ(other, (std::vector<std::wstring>{L"a\r\n", L"b\rc\n"}));
    EXPECT_EQ(data, std::vector<std::wstring>{kDataLine + L"\n"});
}

TEST(SplitLogLines, ThousandTwoHundredLinesGiveExactlyThatMany) {
    CTempDir dir;
    std::string bytes;
    for (int i = 0; i < 1200; ++i) {
        bytes += (i % 3 == 0) ? "Varro line\r\n" : WideToUtf8(kDataLine) + "\r\n";
    }
    const std::wstring path = dir.Write("a.txt", bytes);
    std::vector<std::wstring> data, other;
    ASSERT_TRUE(Split(path, data, other));
    EXPECT_EQ(data.size() + other.size(), 1200u);
    EXPECT_EQ(other.size(), 400u);
}

TEST(SplitLogLines, LongLineIsCutInto511CharacterPieces) {
    CTempDir dir;
    std::string line = WideToUtf8(kDataLine);
    line += std::string(1200 - line.size(), 'x');
    const std::wstring path = dir.Write("a.txt", line + "\r\n");
    std::vector<std::wstring> data, other;
    ASSERT_TRUE(Split(path, data, other));
    ASSERT_EQ(data.size(), 1u);
    ASSERT_EQ(other.size(), 2u);
    EXPECT_EQ(data[0].size(), 511u);
    EXPECT_EQ(other[0].size(), 511u);
    EXPECT_EQ(other[1], std::wstring(1200 - 1022, L'x') + L"\n");
}

TEST(SplitLogLines, LineOfExactly511CharactersLeavesLfAsOwnPiece) {
    CTempDir dir;
    std::string line = WideToUtf8(kDataLine);
    line += std::string(511 - line.size(), 'y');
    const std::wstring path = dir.Write("a.txt", line + "\r\nVarro\r\n");
    std::vector<std::wstring> data, other;
    ASSERT_TRUE(Split(path, data, other));
    EXPECT_EQ(data.size(), 1u);
    EXPECT_EQ(other, (std::vector<std::wstring>{L"\n", L"Varro\n"}));
}

TEST(SplitLogLines, KeywordsAreCaseSensitiveAndBytesAreCharacters) {
    CTempDir dir;
    const std::wstring path =
        dir.Write("a.txt", "DXN=0, drv_stg=34, sdll_phs_dly=36, dqs_step_dly=0, pass\r\n" +
                               WideToUtf8(kDataLine) + "\xE9\r\n");
    std::vector<std::wstring> data, other;
    ASSERT_TRUE(Split(path, data, other));
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(other.size(), 1u);
    // The byte 0xE9 is the character U+00E9, not part of a UTF-8 sequence.
    EXPECT_EQ(data[0], kDataLine + L"\u00E9\n");
}

TEST(SplitLogLines, MissingFileShowsOpenMessage) {
    CTempDir dir;
    CRecordingPrompt prompt;
    CScopedPrompt guard(prompt);
    std::vector<std::wstring> data, other;
    const std::wstring path = dir.Wide() + L"/none.txt";
    EXPECT_FALSE(Split(path, data, other));
    EXPECT_EQ(prompt.Texts(), std::vector<std::wstring>{L"open file " + path + L" failed !"});
    // A directory cannot be read as a log either.
    prompt.Clear();
    EXPECT_FALSE(Split(dir.Wide(), data, other));
    EXPECT_EQ(prompt.Texts().size(), 1u);
}

TEST(SplitLogLines, RandomGarbageNeverCrashes) {
    std::mt19937 rng(7);
    for (int round = 0; round < 20; ++round) {
        CTempDir dir;
        std::string bytes(static_cast<size_t>(rng() % 5000), '\0');
        for (char& c : bytes) {
            c = static_cast<char>(rng() % 256);
        }
        const std::wstring path = dir.Write("g.txt", bytes);
        CRecordingPrompt prompt;
        CScopedPrompt guard(prompt);
        std::vector<std::wstring> data, other;
        (void)Split(path, data, other);
        size_t total = 0;
        for (const auto& l : other) {
            EXPECT_LE(l.size(), 511u);
            total += l.size();
        }
        EXPECT_LE(total, bytes.size());
    }
}

TEST(ReadLogPieces, PiecesViewTheConvertedText) {
    CTempDir dir;
    const std::wstring path = dir.Write("a.txt", "ab\r\n" + std::string(600, 'c') + "\nlast");
    std::wstring text;
    std::vector<std::wstring_view> pieces;
    ASSERT_TRUE(ReadLogPieces(path, text, pieces));
    EXPECT_EQ(text.size(), 3u + 601u + 4u);
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0], L"ab\n");
    EXPECT_EQ(pieces[1].size(), 511u);
    EXPECT_EQ(pieces[2], std::wstring(89, L'c') + L"\n");
    EXPECT_EQ(pieces[3], L"last");
    EXPECT_FALSE(ReadLogPieces(dir.Wide() + L"/none.txt", text, pieces));
    EXPECT_TRUE(pieces.empty());
}

// The pieces of random files (CR and LF runs, long lines, high bytes) against the plain
// rule: CR LF becomes LF, then a piece ends after an LF or after 511 characters.
TEST(ReadLogPieces, AgreesWithThePlainRule) {
    std::mt19937 rng(3);
    CTempDir dir;
    for (int round = 0; round < 60; ++round) {
        std::string bytes;
        const int parts = static_cast<int>(rng() % 40);
        for (int i = 0; i < parts; ++i) {
            switch (rng() % 5) {
            case 0:
                bytes += "\r\n";
                break;
            case 1:
                bytes.push_back(rng() % 2 == 0 ? '\r' : '\n');
                break;
            case 2:
                bytes += std::string(rng() % 1200, 'x');
                break;
            case 3:
                bytes += static_cast<char>(0x80 + rng() % 128);
                break;
            default:
                bytes += "dxn=1, pass";
                break;
            }
        }
        std::wstring expectedText;
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                continue;
            }
            expectedText += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
        }
        std::vector<std::wstring> expected;
        std::wstring current;
        for (const wchar_t c : expectedText) {
            current += c;
            if (c == L'\n' || current.size() == 511) {
                expected.push_back(current);
                current.clear();
            }
        }
        if (!current.empty()) {
            expected.push_back(current);
        }
        const std::wstring path = dir.Write(std::to_string(round) + ".txt", bytes);
        std::wstring text;
        std::vector<std::wstring_view> pieces;
        ASSERT_TRUE(ReadLogPieces(path, text, pieces));
        EXPECT_EQ(text, expectedText);
        ASSERT_EQ(pieces.size(), expected.size());
        for (size_t i = 0; i < pieces.size(); ++i) {
            EXPECT_EQ(pieces[i], expected[i]) << "piece " << i;
        }
    }
}

TEST(ReadLogHeader, ValuesAndStripping) {
    CTempDir dir;
    const std::wstring path = dir.Write("a.txt", "* project = P7 =\r\n"
                                                 "ddr type: ddr2\r\n"
                                                 "**** ddr clk = 200 ****\r\n");
    std::wstring project = L"Unknown", type = L"Unknown", clock = L"Unknown";
    ASSERT_TRUE(ReadLogHeader(path, project, type, clock));
    EXPECT_EQ(project, L"P7");
    EXPECT_EQ(type, L": ddr2"); // only "*", blank, "=", CR and LF are stripped
    EXPECT_EQ(clock, L"200");
}

TEST(ReadLogHeader, OnlyTheFirstElevenLinesAreRead) {
    CTempDir dir;
    std::string bytes;
    for (int i = 0; i < 10; ++i) {
        bytes += "line\r\n";
    }
    bytes += "* ddr clk = 333\r\n";  // line 11
    bytes += "* project = late\r\n"; // line 12
    const std::wstring path = dir.Write("a.txt", bytes);
    std::wstring project = L"Unknown", type = L"Unknown", clock = L"Unknown";
    ASSERT_TRUE(ReadLogHeader(path, project, type, clock));
    EXPECT_EQ(project, L"Unknown");
    EXPECT_EQ(type, L"Unknown");
    EXPECT_EQ(clock, L"333");
}

TEST(ReadLogHeader, LaterMatchWinsAndOneLineCanHoldSeveral) {
    CTempDir dir;
    const std::wstring path =
        dir.Write("a.txt", "* ddr type = ddr1\r\n* ddr type = ddr3 \r\nproject=X ddr clk=5\r\n");
    std::wstring project, type, clock;
    ASSERT_TRUE(ReadLogHeader(path, project, type, clock));
    EXPECT_EQ(type, L"ddr3");
    // "project" is taken out first; the same piece then yields the clock.
    EXPECT_EQ(project, L"X ddr clk=5");
    EXPECT_EQ(clock, L"X =5");
}

TEST(ReadLogHeader, MissingFileShowsOpenMessageAndKeepsValues) {
    CTempDir dir;
    CRecordingPrompt prompt;
    CScopedPrompt guard(prompt);
    std::wstring project = L"Unknown", type = L"Unknown", clock = L"Unknown";
    const std::wstring path = dir.Wide() + L"/none.txt";
    EXPECT_FALSE(ReadLogHeader(path, project, type, clock));
    EXPECT_EQ(prompt.Texts(), std::vector<std::wstring>{L"open file " + path + L" failed !"});
    EXPECT_EQ(project, L"Unknown");
}

TEST(ReadLogHeader, HugeFileWithoutLineBreaks) {
    CTempDir dir;
    const std::wstring path = dir.Write("a.txt", std::string(100000, 'p') + "project=Q\r\n");
    std::wstring project = L"Unknown", type, clock;
    ASSERT_TRUE(ReadLogHeader(path, project, type, clock));
    EXPECT_EQ(project, L"Unknown"); // the line lies beyond the eleventh piece
}

TEST(GetFileNameOfPath, TextAfterLastSlash) {
    std::wstring name = L"keep";
    EXPECT_FALSE(GetFileNameOfPath(L"a.txt", name));
    EXPECT_EQ(name, L"keep");
    EXPECT_TRUE(GetFileNameOfPath(L"/logs/run/a.txt", name));
    EXPECT_EQ(name, L"a.txt");
    EXPECT_TRUE(GetFileNameOfPath(L"/logs/", name));
    EXPECT_EQ(name, L"");
}

TEST(ReadFieldValue, Table) {
    struct SCase {
        const wchar_t* key;
        const wchar_t* line;
        bool found;
        int value;
    };
    const SCase cases[] = {
        {L"drv_stg", L"drv_stg=34ohm", true, 34},
        {L"dqs_step_dly", L"dqs_step_dly=-3", true, -3},
        {L"sdll_phs_dly", L"sdll_phs_dly = 1 08", true, 108},
        {L"dxn", L"dxn=", false, 77},
        {L"dxn", L"dxn", false, 77}, // key at the end: no value text at all
        {L"dqs_step_dly", L"dqs_step_dly=3-1", true, 3},
        {L"dxn", L"dxn=1, dxn=2", true, 1},
        {L"dxn", L"dxn=a3b, x", true, 3},
        {L"dxn", L"dxn=-, 5", false, 77},
        {L"dxn", L"dxn=--3", false, 77},
        {L"dxn", L"dxn=-a4", true, -4},
        {L"dxn", L"dxn=7\n8", true, 7},
        {L"dxn", L"DXN=5", false, 77},
        {L"dxn", L"dxn:99999999999", true, 2147483647},
        {L"dxn", L"dxn=-99999999999", true, -2147483647 - 1},
        {L"dxn", L"dxn=0", true, 0},
        {L"mem", L"dxn=0", false, 77},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(testing::Message() << WideToUtf8(c.line));
        int value = 77;
        EXPECT_EQ(ReadFieldValue(c.key, c.line, value), c.found);
        EXPECT_EQ(value, c.value);
    }
}

TEST(ReadFieldHex, Table) {
    struct SCase {
        const wchar_t* line;
        bool found;
        int value;
    };
    const SCase cases[] = {
        {L"PDATA=0x1, PCLK=0x2", true, 1},
        {L"PDATA=0x3F:next", true, 0x3F},
        {L"PDATA=0xab (W)", true, 0xAB},
        {L"PDATA=0x", false, -5},
        {L"PDATA=12", false, -5},
        {L"PDATA=0X12", false, -5},
        {L"PDATA=0xzz", false, -5},
        {L"PDATA=0xFFFFFFFFF", true, -1},
        {L"PDATA", false, -5},
        {L"PDATA=0x0x1F", true, 0x1F}, // "%X" takes its own prefix too
        {L"PDATA=0x-1", true, -1},
        {L"PDATA=0x+a", true, 10},
        {L"PDATA=0x-", false, -5},
        {L"PDATA=0x0xg", true, 0}, // "0x0" then a non-digit
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(testing::Message() << WideToUtf8(c.line));
        int value = -5;
        EXPECT_EQ(ReadFieldHex(L"PDATA", c.line, value), c.found);
        EXPECT_EQ(value, c.value);
    }
}

TEST(ReadPassMark, Table) {
    struct SCase {
        const wchar_t* line;
        bool marked;
        int flag;
    };
    const SCase cases[] = {
        {L"..., pass", true, 1},      {L"..., PASS", true, 1}, {L"..., Pass", true, 1},
        {L"bypass", true, 1},         {L"fail", true, 0},      {L"FAIL", true, 0},
        {L"fail then pass", true, 1}, {L"nothing", false, 9},  {L"pass, fail", true, 1},
        {L"paSS", true, 1},           {L"fai", false, 9},      {L"", false, 9},
        {L"Fail", true, 0},           {L"xpasx", false, 9},    {L"pas fai", false, 9},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(testing::Message() << WideToUtf8(c.line));
        int flag = 9;
        EXPECT_EQ(ReadPassMark(c.line, flag), c.marked);
        EXPECT_EQ(flag, c.flag);
    }
}

// The mark read against the plain rule on random lines made of the letters of both words.
TEST(ReadPassMark, AgreesWithThePlainRule) {
    std::mt19937 rng(5);
    const std::wstring alphabet = L"pPaAsSfFiIlL ,\u0141\u0161";
    const auto plain = [](std::wstring text, int& flag) {
        for (wchar_t& c : text) {
            if (c >= L'A' && c <= L'Z') {
                c = static_cast<wchar_t>(c + 32);
            }
        }
        if (text.find(L"pass") != std::wstring::npos) {
            flag = 1;
            return true;
        }
        if (text.find(L"fail") != std::wstring::npos) {
            flag = 0;
            return true;
        }
        return false;
    };
    // Pieces of both words, whole words in mixed case and single letters, so that marks,
    // near misses and marks sharing letters all come up often.
    const std::vector<std::wstring> pieces = {L"pa",   L"ass",  L"fa", L"ail", L"pass", L"FaIl",
                                              L"PASS", L"fail", L"a",  L"A",   L"s",    L"l"};
    int marks = 0;
    for (int round = 0; round < 3000; ++round) {
        std::wstring text;
        const int parts = static_cast<int>(rng() % 8);
        for (int i = 0; i < parts; ++i) {
            text += rng() % 2 == 0 ? pieces[rng() % pieces.size()]
                                   : std::wstring(1, alphabet[rng() % alphabet.size()]);
        }
        int expected = 9;
        int flag = 9;
        const bool marked = plain(text, expected);
        EXPECT_EQ(ReadPassMark(text, flag), marked) << WideToUtf8(text);
        EXPECT_EQ(flag, expected) << WideToUtf8(text);
        marks += marked ? 1 : 0;
    }
    EXPECT_GT(marks, 300); // the inputs did exercise both outcomes
    EXPECT_LT(marks, 2700);
}

TEST(CKeySearch, AgreesWithAPlainSearch) {
    std::mt19937 rng(11);
    const std::wstring alphabet = L"dxnrv_stgplhyq=, \u0164\u0264";
    const std::vector<std::wstring> keys = {
        L"dxn",     L"drv_stg", L"sdll_phs_dly",        L"dqs_step_dly", L"d",
        L"\u0164d", L"",        std::wstring(300, L'd')};
    for (const std::wstring& key : keys) {
        const CKeySearch search(key);
        EXPECT_EQ(search.Key(), key);
        for (int round = 0; round < 400; ++round) {
            std::wstring text(rng() % 80, L' ');
            for (wchar_t& c : text) {
                c = alphabet[rng() % alphabet.size()];
            }
            if (round % 3 == 0 && !key.empty() && key.size() < 100) {
                text.insert(rng() % (text.size() + 1), key);
            }
            EXPECT_EQ(search.Find(text), text.find(key)) << WideToUtf8(text);
        }
    }
    // Characters sharing a low byte with a key character must not hide a match.
    const CKeySearch aliased(L"ab\u0161c");
    EXPECT_EQ(aliased.Find(L"xxab\u0161c"), 2u);
    EXPECT_EQ(aliased.Find(L"\u0161ab\u0161c"), 1u);
}

// Data-line detection and key positions against plain searches, on lines made of the keys,
// their pieces and their last characters in random order.
TEST(SplitLogLineViews, KeyPositionsAgreeWithPlainSearches) {
    std::mt19937 rng(13);
    const std::wstring keys[4] = {L"dxn", L"drv_stg", L"sdll_phs_dly", L"dqs_step_dly"};
    const std::vector<std::string> parts = {"dxn",
                                            "drv_stg",
                                            "sdll_phs_dly",
                                            "dqs_step_dly",
                                            "dly",
                                            "_stg",
                                            "dx",
                                            "dqs_step_dl",
                                            "=3, ",
                                            "n",
                                            "g",
                                            "y",
                                            "sdll_phs_dlydqs_step_dly"};
    CTempDir dir;
    std::string bytes;
    std::vector<std::wstring> lines;
    for (int round = 0; round < 600; ++round) {
        std::string line;
        const int count = static_cast<int>(rng() % 10);
        for (int i = 0; i < count; ++i) {
            line += parts[rng() % parts.size()];
        }
        bytes += line + "\r\n";
        lines.push_back(BytesToWide(line) + L"\n");
    }
    const std::wstring path = dir.Write("k.txt", bytes);
    std::wstring text;
    std::vector<std::wstring_view> data, other;
    std::vector<SKeyHits> hits;
    ASSERT_TRUE(
        SplitLogLineViews(path, keys[0], keys[1], keys[2], keys[3], text, data, other, &hits));
    ASSERT_EQ(data.size(), hits.size());
    size_t next = 0;
    size_t expectedData = 0;
    for (const std::wstring& line : lines) {
        bool all = true;
        for (const std::wstring& key : keys) {
            all = all && line.find(key) != std::wstring::npos;
        }
        if (!all) {
            continue;
        }
        ++expectedData;
        ASSERT_LT(next, data.size());
        EXPECT_EQ(data[next], line);
        for (size_t k = 0; k < 4; ++k) {
            EXPECT_EQ(hits[next].m_nPos[k], line.find(keys[k])) << WideToUtf8(line);
        }
        ++next;
    }
    EXPECT_EQ(data.size(), expectedData);
    EXPECT_EQ(data.size() + other.size(), lines.size());
    EXPECT_GT(expectedData, 20u); // the inputs did hold data lines
}

TEST(SplitLogLineViews, ViewsAndKeywordPositions) {
    CTempDir dir;
    const std::wstring path = dir.Write("a.txt", "Varro\r\n" + WideToUtf8(kDataLine) + "\r\n");
    std::wstring text;
    std::vector<std::wstring_view> data, other;
    std::vector<SKeyHits> hits;
    ASSERT_TRUE(SplitLogLineViews(path, L"dxn", L"drv_stg", L"sdll_phs_dly", L"dqs_step_dly", text,
                                  data, other, &hits));
    ASSERT_EQ(data.size(), 1u);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(other, std::vector<std::wstring_view>{L"Varro\n"});
    EXPECT_EQ(data[0], kDataLine + L"\n");
    EXPECT_EQ(hits[0].m_nPos[0], kDataLine.find(L"dxn"));
    EXPECT_EQ(hits[0].m_nPos[1], kDataLine.find(L"drv_stg"));
    EXPECT_EQ(hits[0].m_nPos[2], kDataLine.find(L"sdll_phs_dly"));
    EXPECT_EQ(hits[0].m_nPos[3], kDataLine.find(L"dqs_step_dly"));
    int value = 0;
    EXPECT_TRUE(ReadFieldValueAt(data[0], hits[0].m_nPos[3], 12, value));
    EXPECT_EQ(value, -3);
    value = 5;
    EXPECT_FALSE(ReadFieldValueAt(data[0], std::wstring_view::npos, 3, value));
    EXPECT_FALSE(ReadFieldValueAt(L"dxn", 0, 3, value)); // nothing after the key
    EXPECT_EQ(value, 5);
    const CKeySearch step(L"dqs_step_dly");
    EXPECT_TRUE(ReadFieldValue(step, kDataLine, value));
    EXPECT_EQ(value, -3);
}

// A scanner that looks at a log's pieces before splitting them reads the file once: the split
// of pieces already read gives what the file reader gives, messages included.
TEST(SplitLogPieceViews, AgreesWithTheFileReader) {
    const std::string data = WideToUtf8(kDataLine);
    const std::pair<const char*, std::string> cases[] = {
        {"crlf", "Varro\r\n" + data + "\r\n" + data + "\r\n"},
        {"no line feed", data},
        {"no data line", "Varro\r\nhello\r\n"},
        {"long line", std::string(600, 'x') + data + "\r\n"},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        CTempDir dir;
        const std::wstring path = dir.Write("a.txt", bytes);
        CRecordingPrompt fileReader;
        std::wstring fileText;
        std::vector<std::wstring_view> fileData, fileOther;
        std::vector<SKeyHits> fileHits;
        bool fileResult = false;
        {
            CScopedPrompt guard(fileReader);
            fileResult =
                SplitLogLineViews(path, L"dxn", L"drv_stg", L"sdll_phs_dly", L"dqs_step_dly",
                                  fileText, fileData, fileOther, &fileHits);
        }
        CRecordingPrompt pieceReader;
        std::wstring text;
        std::vector<std::wstring_view> pieces, pieceData, pieceOther;
        std::vector<SKeyHits> pieceHits;
        ASSERT_TRUE(ReadLogPieces(path, text, pieces));
        {
            CScopedPrompt guard(pieceReader);
            EXPECT_EQ(SplitLogPieceViews(path, pieces, L"dxn", L"drv_stg", L"sdll_phs_dly",
                                         L"dqs_step_dly", pieceData, pieceOther, &pieceHits),
                      fileResult);
        }
        EXPECT_EQ(pieceData, fileData);
        EXPECT_EQ(pieceOther, fileOther);
        ASSERT_EQ(pieceHits.size(), fileHits.size());
        for (size_t i = 0; i < pieceHits.size(); ++i) {
            EXPECT_TRUE(std::equal(std::begin(pieceHits[i].m_nPos), std::end(pieceHits[i].m_nPos),
                                   std::begin(fileHits[i].m_nPos)));
        }
        EXPECT_EQ(pieceReader.Texts(), fileReader.Texts());
    }
}
