#include "ScanLogReader.h"
#include "SondexTestSupport.h"

#include "TextUtil.h"

#include <gtest/gtest.h>

using namespace sondex;
using namespace sondextest;

namespace {

struct SRead {
    int status = -1;
    LogHeader header;
    std::vector<std::string> blocks;
    std::vector<std::wstring> messages;
    bool start = false;
    bool end = false;
};

SRead ReadText(const CTempDir& dir, const std::string& text, const std::string& name = "a.Txt") {
    const fs::path path = dir.Write(name, text);
    CRecordingPrompt prompt;
    CScopedPrompt scope(prompt);
    CScanLogReader reader(path);
    SRead r;
    r.status = reader.ReadLog();
    r.header = reader.GetHeader();
    r.blocks = reader.GetBlocks();
    r.messages = prompt.Texts();
    r.start = reader.IsStartSeen();
    r.end = reader.IsEndSeen();
    return r;
}

const std::string kLine = Record({Word(0xB, 1, kPinCA, 5), Word(0xC, 1, kPinDQ, 2)});

} // namespace

TEST(ScanLogReaderTest, HeaderLinesAreLookedUp) {
    CTestConfig config;
    CTempDir dir;
    const SRead r = ReadText(dir, Header(0x1234, 3, 0x320, 12) + kStart + kLine + kEnd);
    EXPECT_EQ(r.status, CScanLogReader::kStatusOk);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(r.header, (LogHeader{L"P1", L"Lpddr3", L"800", 12}));
    ASSERT_EQ(r.blocks.size(), 1u);
    EXPECT_EQ(r.blocks[0], ", " + kLine);
}

TEST(ScanLogReaderTest, HeaderLineForms) {
    CTestConfig config;
    CTempDir dir;
    struct Case {
        const char* what;
        std::string header;
        LogHeader expected;
    } cases[] = {
        {"decimal project code, lower-case hex elsewhere",
         "**4660**0x\n****0x3\n**0x1f4**\n**0x00000000000000FF\n",
         {L"P1", L"Lpddr3", L"500", 255}},
        {"header lines past the fourth are ignored",
         Header() + "***0x9999***\n",
         {L"P1", L"Lpddr3", L"800", 12}},
        {"stars before the line break stay",
         "*0x1234*\n*0x3**\n*0x320**   \n*0x0000000000000010\n",
         {L"P1", L"Lpddr3", L"800", 16}},
        {"short tcnt line",
         "**0x1234**\n**0x3**\n**0x320**\n**0x0001**\n",
         {L"P1", L"Lpddr3", L"800", 0}},
    };
    for (const auto& c : cases) {
        const SRead r = ReadText(dir, c.header + kStart + kLine + kEnd);
        EXPECT_EQ(r.status, CScanLogReader::kStatusOk) << c.what;
        EXPECT_EQ(r.header, c.expected) << c.what;
    }
}

TEST(ScanLogReaderTest, UnknownProjectOrTypeStopsWithTheMessage) {
    CTestConfig config;
    CTempDir dir;
    const fs::path path = dir.Path() / "a.Txt";
    const std::wstring p = PathToWide(path);
    struct Case {
        const char* what;
        std::string header;
        std::wstring message;
    } cases[] = {
        {"project code not configured", Header(0x9999),
         L"P1 工具，log:" + p + L" 文件与工具项目不匹配"},
        {"a space before the code reads as 0",
         "** 0x1234**\n" + Header().substr(Header().find('\n') + 1),
         L"P1 工具，log:" + p + L" 文件与工具项目不匹配"},
        {"upper-case prefix is fine, type unknown", "**0X1234**0x\n**0x00000009**\n**0x320**\n",
         L"log文件：" + p + L" 的DDRType是0x00000009**\n，扫描工具暂未定此类型的判定标准"},
    };
    for (const auto& c : cases) {
        const SRead r = ReadText(dir, c.header + kStart + kLine + kEnd);
        EXPECT_EQ(r.status, CScanLogReader::kStatusRejected) << c.what;
        EXPECT_EQ(r.messages, std::vector<std::wstring>{c.message}) << c.what;
        EXPECT_TRUE(r.blocks.empty()) << c.what;
    }
}

TEST(ScanLogReaderTest, MismatchWithoutAnyConfiguredProjectNamesTheTool) {
    CTestConfig config("[DdrType]\nLpddr3=3\n");
    CTempDir dir;
    const SRead r = ReadText(dir, Header() + kStart + kLine + kEnd);
    EXPECT_EQ(r.status, CScanLogReader::kStatusRejected);
    EXPECT_EQ(r.messages,
              std::vector<std::wstring>{L"Sondex 工具，log:" + PathToWide(dir.Path() / "a.Txt") +
                                        L" 文件与工具项目不匹配"});
}

TEST(ScanLogReaderTest, MarkersAndStatus) {
    CTestConfig config;
    CTempDir dir;
    const std::string h = Header();
    struct Case {
        const char* what;
        std::string body;
        int status;
        size_t blocks;
    } cases[] = {
        {"complete", kStart + kLine + kSeparator + kLine + kEnd, 0, 2},
        {"no end marker", kStart + kLine + kLine, 9, 1},
        {"no start marker", kLine + kEnd, 9, 1},
        {"only markers", kStart + kSeparator + kEnd, 10, 0},
        {"empty blocks are not kept", kStart + kSeparator + kSeparator + kLine + kEnd + kEnd, 0, 1},
        {"marker with spaces behind it", kStart + kLine + "0x434F4E54   \n" + kLine + kEnd, 0, 2},
        {"marker with spaces before it is no record line",
         kStart + kLine + "  0x434F4E54\n" + kLine + kEnd, 0, 1},
        {"marker digits in any case", kStart + kLine + "0x434f4e54\n" + kLine + kEnd, 0, 2},
        {"marker without a lower-case 0x is ignored",
         kStart + kLine + "0X434F4E54\n" + kLine + kEnd, 0, 1},
    };
    for (const auto& c : cases) {
        const SRead r = ReadText(dir, h + c.body);
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_EQ(r.blocks.size(), c.blocks) << c.what;
    }
}

TEST(ScanLogReaderTest, MarkerValueInsideABlockIsNeverData) {
    CTestConfig config;
    CTempDir dir;
    const std::string second = Record({Word(0xB, 1, kPinCA, 6), Word(0xC, 1, kPinDQ, 1)});
    const SRead r =
        ReadText(dir, Header() + kStart + kLine + "0x434F4E54\n" + second + "0x656E6464\n");
    ASSERT_EQ(r.blocks.size(), 2u);
    EXPECT_EQ(r.blocks[0], ", " + kLine);
    EXPECT_EQ(r.blocks[1], ", " + second);
    EXPECT_TRUE(r.end);
    EXPECT_TRUE(r.start);
}

TEST(ScanLogReaderTest, OtherPiecesAreIgnored) {
    CTestConfig config;
    CTempDir dir;
    const std::string noise = "scan begins\n" // no "0x"
                              "  0x1\tstarts with a space\n"
                              "DDR 0x1 mention\n"
                              "0X1\tno lower-case prefix anywhere\n"
                              "\n";
    const SRead r = ReadText(dir, Header() + kStart + noise + kLine + kEnd);
    ASSERT_EQ(r.blocks.size(), 1u);
    EXPECT_EQ(r.blocks[0], ", " + kLine);
}

TEST(ScanLogReaderTest, CrLfBecomesLfAndLongLinesArriveInPieces) {
    CTestConfig config;
    CTempDir dir;
    std::string crlf = Header() + kStart + kLine + kEnd;
    for (size_t i = 0; (i = crlf.find('\n', i)) != std::string::npos; i += 2) {
        crlf.insert(i, "\r");
    }
    SRead r = ReadText(dir, crlf);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.header.tcnt, 12);
    ASSERT_EQ(r.blocks.size(), 1u);
    EXPECT_EQ(r.blocks[0], ", " + kLine);

    // 600 characters: a piece of 511 and one of 89 plus the line break; the second piece
    // starts with "0x" and so is a record line of its own.
    const std::string longLine =
        "0x1" + std::string(508, 'a') + "0x2" + std::string(86, 'b') + "\n";
    r = ReadText(dir, Header() + kStart + longLine + kEnd);
    ASSERT_EQ(r.blocks.size(), 1u);
    EXPECT_EQ(r.blocks[0], ", " + longLine.substr(0, 511) + ", " + longLine.substr(511));
}

TEST(ScanLogReaderTest, BadFiles) {
    CTestConfig config;
    CTempDir dir;
    SRead r = ReadText(dir, "");
    EXPECT_EQ(r.status, CScanLogReader::kStatusNoBlock);
    EXPECT_TRUE(r.messages.empty());

    std::string garbage;
    std::mt19937 rng(7);
    for (int i = 0; i < 300000; ++i) {
        garbage.push_back(static_cast<char>(rng() & 0xFF));
    }
    r = ReadText(dir, garbage);
    EXPECT_TRUE(r.status == CScanLogReader::kStatusNoBlock ||
                r.status == CScanLogReader::kStatusIncomplete ||
                r.status == CScanLogReader::kStatusRejected);

    // A binary tail after a good log: NUL bytes and stray CRs are characters like any other.
    r = ReadText(dir, Header() + kStart + kLine + kEnd + std::string("\0\0\r\r0x\0*", 9));
    EXPECT_EQ(r.status, CScanLogReader::kStatusOk);

    // One huge line without a line break.
    r = ReadText(dir, Header() + kStart + std::string(3 << 20, '0') + kEnd);
    EXPECT_EQ(r.status, CScanLogReader::kStatusNoBlock);

    CRecordingPrompt prompt;
    CScopedPrompt scope(prompt);
    const fs::path missing = dir.Path() / "missing.Txt";
    CScanLogReader reader(missing);
    EXPECT_EQ(reader.ReadLog(), CScanLogReader::kStatusOpenFailed);
    CScanLogReader folder(dir.Path());
    EXPECT_EQ(folder.ReadLog(), CScanLogReader::kStatusOpenFailed);
    EXPECT_EQ(prompt.Texts(),
              (std::vector<std::wstring>{L"open file " + PathToWide(missing) + L" failed !",
                                         L"open file " + PathToWide(dir.Path()) + L" failed !"}));
}

TEST(ScanLogReaderTest, CrLfAcrossTheReadChunksStaysOneLineBreak) {
    CTestConfig config;
    CTempDir dir;
    constexpr size_t kChunk = 1u << 18; // the reader's read size
    std::string lf = Header() + kStart;
    std::string crlf = lf;
    const auto add = [&](const std::string& line) { // line without its break
        lf += line + "\n";
        crlf += line + "\r\n";
    };
    const std::string data = Record({Word(0xB, 1, kPinCA, 1), Word(0xC, 1, kPinDQ, 2)});
    const std::string line = data.substr(0, data.size() - 1);
    while (crlf.size() + 2 * (line.size() + 2) < kChunk - 300) {
        add(line);
    }
    // A noise line (ignored) that puts the next record line's CR last in the first chunk.
    const size_t noise = kChunk - 1 - line.size() - crlf.size() - 2;
    add(std::string(noise, 'n'));
    ASSERT_EQ(crlf.size() + line.size(), kChunk - 1);
    add(line);
    ASSERT_EQ(crlf[kChunk - 1], '\r');
    add(line);
    lf += kEnd;
    crlf += "0x656E6464\r\n";
    const SRead a = ReadText(dir, lf, "lf.Txt");
    const SRead b = ReadText(dir, crlf, "crlf.Txt");
    EXPECT_EQ(a.status, 0);
    EXPECT_EQ(a.blocks, b.blocks);
    ASSERT_EQ(b.blocks.size(), 1u);
    EXPECT_EQ(b.blocks[0].find('\r'), std::string::npos);
}

// Lines that look like printed record lines at their start are still classified by the
// whole line: a star anywhere makes a header line, and a longer first word is a marker.
TEST(ScanLogReaderTest, RecordLookingLinesAreClassifiedByTheWholeLine) {
    CTestConfig config;
    CTempDir dir;
    struct Case {
        const char* what;
        std::string body;
        std::vector<std::string> blocks;
        int status;
    } cases[] = {
        {"printed record lines",
         kLine + kLine,
         {", " + kLine + ", " + kLine},
         CScanLogReader::kStatusOk},
        {"a star late in the line makes it a header line past the fourth",
         kLine + "0x1\t0xB1001005\t0X0*\n" + kLine,
         {", " + kLine + ", " + kLine},
         CScanLogReader::kStatusOk},
        {"a first word that is a separator still closes the block",
         kLine + "0x434F4E54\t\n" + kLine,
         {", " + kLine, ", " + kLine},
         CScanLogReader::kStatusOk},
        {"upper-case prefix and a space after the digit go the general way",
         "0X1\t0xB1001005\t0X0\n0x1 \t0xB1001005\t0X0\n",
         {", 0X1\t0xB1001005\t0X0\n, 0x1 \t0xB1001005\t0X0\n"},
         CScanLogReader::kStatusOk},
    };
    for (const auto& c : cases) {
        const SRead r = ReadText(dir, Header() + kStart + c.body + kEnd);
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_EQ(r.blocks, c.blocks) << c.what;
    }
}
