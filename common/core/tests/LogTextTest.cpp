#include "LogText.h"

#include "ScratchFiles.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The rule written plainly: CR LF becomes LF over the whole text, then the text is cut after
// every LF and after kLogPieceChars characters.
std::vector<std::string> PlainPieces(const std::string& bytes) {
    std::string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) {
            text += bytes[i];
        }
    }
    std::vector<std::string> pieces;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        end = std::min(end, at + kLogPieceChars);
        pieces.push_back(text.substr(at, end - at));
        at = end;
    }
    return pieces;
}

// The pieces the cutter gives when the bytes are fed in chunks of chunkSize.
std::vector<std::string> CutInChunks(std::string bytes, size_t chunkSize) {
    std::vector<std::string> pieces;
    const auto keep = [&](std::string_view piece) {
        pieces.emplace_back(piece);
        return true;
    };
    CLogPieceCutter cutter;
    for (size_t at = 0; at < bytes.size(); at += chunkSize) {
        const size_t size = std::min(chunkSize, bytes.size() - at);
        EXPECT_TRUE(cutter.Feed(bytes.data() + at, size, keep));
    }
    EXPECT_TRUE(cutter.Finish(keep));
    return pieces;
}

TEST(LogPieceCutter, Table) {
    const std::string line511(kLogPieceChars, 'a');
    struct SCase {
        const char* what;
        std::string bytes;
        std::vector<std::string> pieces;
    };
    const SCase cases[] = {
        {"empty", "", {}},
        {"CR LF becomes LF", "a\r\nb\r\n", {"a\n", "b\n"}},
        {"a lone CR stays", "a\rb\n", {"a\rb\n"}},
        {"CR CR LF keeps one CR", "a\r\r\n", {"a\r\n"}},
        {"a last line without LF", "a\nbc", {"a\n", "bc"}},
        {"a CR at the very end stays", "a\r", {"a\r"}},
        {"LF alone", "\n\n", {"\n", "\n"}},
        {"511 characters and LF", line511 + "\r\n", {line511, "\n"}},
        {"510 characters and LF", line511.substr(1) + "\n", {line511.substr(1) + "\n"}},
        {"1023 characters", line511 + line511 + "b", {line511, line511, "b"}},
        {"511 characters, no LF", line511, {line511}},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(PlainPieces(c.bytes), c.pieces) << c.what;
        for (size_t chunk :
             {size_t(1), size_t(2), size_t(3), size_t(7), size_t(512), size_t(4096)}) {
            EXPECT_EQ(CutInChunks(c.bytes, chunk), c.pieces) << c.what << ", chunks of " << chunk;
        }
    }
}

TEST(LogPieceCutter, AnyChunkingGivesThePlainRule) {
    std::mt19937 rng(7);
    const char alphabet[] = {'a', 'b', '\r', '\n', ' ', 'x'};
    for (int round = 0; round < 200; ++round) {
        std::string bytes(rng() % 1600, 'a');
        for (char& c : bytes) {
            // Long runs without LF now and then, to cross the piece limit.
            c = (round % 4 == 0) ? alphabet[rng() % 2] : alphabet[rng() % sizeof alphabet];
        }
        const std::vector<std::string> expected = PlainPieces(bytes);
        for (size_t chunk : {size_t(1), size_t(5), size_t(64), size_t(511), size_t(2048)}) {
            ASSERT_EQ(CutInChunks(bytes, chunk), expected) << "round " << round << ", " << chunk;
        }
    }
}

TEST(LogPieceCutter, StopsWhenAskedAndCanBeUsedAgain) {
    std::string bytes = "a\nb\nc\n";
    CLogPieceCutter cutter;
    std::vector<std::string> pieces;
    const auto firstTwo = [&](std::string_view piece) {
        pieces.emplace_back(piece);
        return pieces.size() < 2;
    };
    EXPECT_FALSE(cutter.Feed(bytes.data(), bytes.size(), firstTwo));
    EXPECT_EQ(pieces, (std::vector<std::string>{"a\n", "b\n"}));
    cutter.Reset();
    std::string next = "d\r";
    pieces.clear();
    const auto keep = [&](std::string_view piece) {
        pieces.emplace_back(piece);
        return true;
    };
    EXPECT_TRUE(cutter.Feed(next.data(), next.size(), keep));
    EXPECT_TRUE(cutter.Finish(keep));
    EXPECT_EQ(pieces, (std::vector<std::string>{"d\r"}));
}

TEST(CutLogStream, ReadsAStreamOfAnySizeHint) {
    const std::string bytes = "one\r\ntwo\r\n" + std::string(600, 'z');
    for (uint64_t hint : {uint64_t(0), uint64_t(3), uint64_t(bytes.size()), UINT64_MAX}) {
        std::istringstream in(bytes);
        std::vector<std::string> pieces;
        EXPECT_EQ(CutLogStream(in, hint,
                               [&](std::string_view piece) {
                                   pieces.emplace_back(piece);
                                   return true;
                               }),
                  ELogStreamEnd::kRead);
        EXPECT_EQ(pieces, PlainPieces(bytes)) << hint;
    }
    std::istringstream in(bytes);
    int calls = 0;
    EXPECT_EQ(CutLogStream(in, 4, [&](std::string_view) { return ++calls < 2; }),
              ELogStreamEnd::kStopped);
    EXPECT_EQ(calls, 2);
}

TEST(HexFieldText, Table) {
    struct SCase {
        const char* line;
        size_t nameEnd;
        const char* text;
    };
    const SCase cases[] = {
        {"K=0x1F,L", 1, "0x1F"}, {"K=0x1F:x", 1, "0x1F"},
        {"K=0x1F y", 1, "0x1F"}, {"K=0x1F\n", 1, "0x1F"},
        {"K=0x1F", 1, "0x1F"},   {"K:0x2", 1, "0x2"},
        {"K=", 1, ""},           {"K", 1, ""},
        {"K= 0x1", 1, ""},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(HexFieldText(std::string_view(c.line), c.nameEnd), c.text) << c.line;
        const std::string_view narrow(c.line);
        const std::wstring wide(narrow.begin(), narrow.end());
        const std::string_view expected(c.text);
        EXPECT_EQ(HexFieldText(std::wstring_view(wide), c.nameEnd),
                  std::wstring(expected.begin(), expected.end()))
            << c.line;
    }
}

TEST(FindInLogLine, FindsTheFirstOccurrenceAsAPlainSearchDoes) {
    struct SCase {
        const char* line;
        const char* key;
    };
    const SCase cases[] = {
        {"CP=0x0 WD=0x1 RP=0x2 RN=0x3 (W)\n", "RN"},
        {"CP=0x0 WD=0x1 RP=0x2 RN=0x3 (W)\n", "CP"},
        {"CP=0x0 WD=0x1 RP=0x2 RN=0x3 (W)\n", "XX"},
        {"dxn=1, drv_stg=2, sdll_phs_dly=3, dqs_step_dly=4 pass", "dqs_step_dly"},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "ab"},
        {"abababababababababababababababababc", "abc"},
        {"k", "k"},
        {"", "k"},
        {"short", "longer key"},
        {"key at the end of a line longer than sixteen: key", "key:"},
        {"same first and last: axa aya", "aya"},
        {"any", ""},
    };
    for (const SCase& c : cases) {
        const std::string_view line(c.line);
        const std::string_view key(c.key);
        EXPECT_EQ(FindInLogLine(line, key), line.find(key)) << c.line << " / " << c.key;
        const std::wstring wideLine(line.begin(), line.end());
        const std::wstring wideKey(key.begin(), key.end());
        EXPECT_EQ(FindInLogLine(std::wstring_view(wideLine), std::wstring_view(wideKey)),
                  line.find(key))
            << c.line << " / " << c.key;
    }
    // Every start position and every line length around the register widths.
    std::mt19937 rng(3);
    for (int round = 0; round < 2000; ++round) {
        std::string line(rng() % 70, 'a');
        for (char& c : line) {
            c = static_cast<char>('a' + rng() % 3);
        }
        std::string key(1 + rng() % 4, 'a');
        for (char& c : key) {
            c = static_cast<char>('a' + rng() % 3);
        }
        ASSERT_EQ(FindInLogLine(std::string_view(line), std::string_view(key)), line.find(key))
            << line << " / " << key;
    }
}

class FindLogFilesTest : public ::testing::Test {
protected:
    void SetUp() override { m_dir = testsupport::MakeScratchFolder("logtext"); }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    void Touch(const fs::path& relative) { testsupport::PutBytes(m_dir / relative, "x\n"); }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const fs::path& file : FindLogFilesUnder(m_dir)) {
            names.push_back(file.string());
        }
        return names;
    }
    fs::path m_dir;
};

TEST_F(FindLogFilesTest, TxtNamesInAnyCaseSortedByUpperCaseThenExactName) {
    Touch("b.txt");
    Touch("a.TXT");
    Touch("A.txt");
    Touch("c.log");
    Touch("d.Txt.bak");
    fs::create_directory(m_dir / "sub.tXt");
    Touch("sub.tXt/z.txt");
    fs::create_directory(m_dir / "plain");
    Touch("plain/hidden.txt");
    EXPECT_EQ(Names(), (std::vector<std::string>{"A.txt", "a.TXT", "b.txt", "sub.tXt/z.txt"}));
    const std::vector<fs::path> full = FindLogFiles(m_dir);
    ASSERT_EQ(full.size(), 4u);
    EXPECT_EQ(full[3], m_dir / "sub.tXt" / "z.txt");
}

TEST_F(FindLogFilesTest, LinksBackUpTheTreeAreSearchedOnce) {
    Touch("a.txt");
    fs::create_directory(m_dir / "sub.txt");
    Touch("sub.txt/b.txt");
    fs::create_directory_symlink(m_dir, m_dir / "sub.txt" / "loop.txt");
    fs::create_directory_symlink(m_dir / "sub.txt", m_dir / "twin.txt");
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.txt", "sub.txt/b.txt"}));
}

TEST_F(FindLogFilesTest, MissingOrEmptyFolderGivesNothing) {
    EXPECT_TRUE(FindLogFilesUnder(m_dir).empty());
    EXPECT_TRUE(FindLogFilesUnder(m_dir / "missing").empty());
    EXPECT_TRUE(FindLogFiles(m_dir / "missing").empty());
}

} // namespace
