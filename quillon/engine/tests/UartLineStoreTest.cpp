#include "UartLineStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quillon;

namespace {

std::vector<std::string> Rows(const CUartLineStore& store) {
    std::vector<std::string> rows;
    for (size_t i = 0; i < store.RowCount(); ++i) {
        rows.emplace_back(store.Row(i));
    }
    return rows;
}

struct SPiecesCase {
    const char* m_szName;
    std::vector<std::string> m_vecPieces;
    std::vector<std::string> m_vecLines;   // completed lines
    std::string m_strPending;
};

class UartLineStorePieces : public ::testing::TestWithParam<SPiecesCase> {};

TEST_P(UartLineStorePieces, AssemblesLines) {
    const SPiecesCase& c = GetParam();
    CUartLineStore store;
    for (const std::string& piece : c.m_vecPieces) {
        store.Feed(piece);
    }
    ASSERT_EQ(store.LineCount(), c.m_vecLines.size());
    for (size_t i = 0; i < c.m_vecLines.size(); ++i) {
        EXPECT_EQ(std::string(store.Line(i)), c.m_vecLines[i]) << "line " << i;
    }
    EXPECT_EQ(std::string(store.Pending()), c.m_strPending);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UartLineStorePieces,
    ::testing::Values(
        SPiecesCase{"SplitMidLineWithCrLf", {"abc", "def\r\nghi", "\n"}, {"abcdef", "ghi"}, ""},
        // Each line feed ends a line, even several in one piece.
        SPiecesCase{"SeveralLinesInOnePiece", {"one\ntwo\nthree\n"}, {"one", "two", "three"}, ""},
        SPiecesCase{"CrInOnePieceLfInNext", {"abc\r", "\nx"}, {"abc"}, "x"},
        SPiecesCase{"CrInsideLineKept", {"a\rb\n"}, {"a\rb"}, ""},
        SPiecesCase{"EmptyPieces", {"", "ab", "", "\n", ""}, {"ab"}, ""},
        SPiecesCase{"EmptyLines", {"\n\r\n\n"}, {"", "", ""}, ""},
        SPiecesCase{"ZeroByteFirst", {std::string("\0ab\n", 4)}, {std::string("\0ab", 3)}, ""},
        SPiecesCase{"OnlyPending", {"boot> "}, {}, "boot> "},
        SPiecesCase{"NonUtf8Bytes", {"\xff\xfe\n\xe4\xb8"}, {"\xff\xfe"}, "\xe4\xb8"}),
    [](const auto& info) { return std::string(info.param.m_szName); });

TEST(UartLineStore, LongPieceIsTakenWhole) {
    // Pieces far above a kilobyte, lines crossing piece ends.
    std::string all;
    for (int i = 0; i < 5000; ++i) {
        all += "line " + std::to_string(i) + " " + std::string(size_t(i % 97), 'x') + "\r\n";
    }
    CUartLineStore store;
    for (size_t at = 0; at < all.size(); at += 7777) {
        store.Feed(std::string_view(all).substr(at, 7777));
    }
    ASSERT_EQ(store.LineCount(), 5000u);
    for (int i : {0, 1, 2500, 4999}) {
        EXPECT_EQ(std::string(store.Line(size_t(i))),
                  "line " + std::to_string(i) + " " + std::string(size_t(i % 97), 'x'));
    }
    EXPECT_TRUE(store.Pending().empty());
}

TEST(UartLineStore, ByteByByteMatchesWholePiece) {
    const std::string text = "a\r\nbb\n\r\nccc\r\r\nd";
    CUartLineStore whole;
    whole.Feed(text);
    CUartLineStore bytes;
    for (char c : text) {
        bytes.Feed(std::string_view(&c, 1));
    }
    EXPECT_EQ(Rows(whole), Rows(bytes));
    EXPECT_EQ(Rows(whole), (std::vector<std::string>{"a", "bb", "", "ccc\r", "d"}));
}

TEST(UartLineStore, PendingRowFollowsLines) {
    CUartLineStore store;
    store.Feed("x\ny");
    EXPECT_EQ(store.RowCount(), 2u);
    EXPECT_EQ(std::string(store.Row(1)), "y");
    store.Feed("z\n");
    EXPECT_EQ(store.RowCount(), 2u);
    EXPECT_EQ(std::string(store.Row(1)), "yz");
    store.Clear();
    EXPECT_EQ(store.RowCount(), 0u);
}

struct SDecodeCase {
    const char* m_szName;
    std::string m_strBytes;
    std::u32string m_strText;
};

class UartDecode : public ::testing::TestWithParam<SDecodeCase> {};

TEST_P(UartDecode, NoByteIsDropped) {
    EXPECT_EQ(DecodeUartText(GetParam().m_strBytes), GetParam().m_strText);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UartDecode,
    ::testing::Values(
        SDecodeCase{"Ascii", "PASS\tok", U"PASS\tok"},
        SDecodeCase{"Utf8Chinese", "\xe6\xb5\x8b\xe8\xaf\x95", U"\u6d4b\u8bd5"},
        SDecodeCase{"Latin1Bytes", "\xb5s \xff", U"\u00b5s \u00ff"},
        SDecodeCase{"TruncatedUtf8", "a\xe6\xb5", U"a\u00e6\u00b5"},
        SDecodeCase{"Overlong", "\xc0\xaf", U"\u00c0\u00af"},
        SDecodeCase{"Surrogate", "\xed\xa0\x80", U"\u00ed\u00a0\u0080"},
        SDecodeCase{"ZeroAndControl", std::string("\0a\x1b\r", 4), U"\u2400a\u241b\u240d"}),
    [](const auto& info) { return std::string(info.param.m_szName); });

} // namespace

namespace {

TEST(UartLineStore, LinesAcrossBlocksAndLongerThanABlock) {
    // Enough lines to fill several blocks, and one line longer than a block.
    const std::string huge(CUartLineStore::kBlockBytes + 123, 'h');
    CUartLineStore store;
    std::vector<std::string> expected;
    for (int i = 0; i < 60000; ++i) {
        std::string line = std::to_string(i) + std::string(size_t(i % 50), 'x');
        if (i == 30000) {
            line = huge;
        }
        store.Feed(line + "\r");
        store.Feed("\n");
        expected.push_back(line);
    }
    ASSERT_EQ(store.LineCount(), expected.size());
    for (size_t i = 0; i < expected.size(); i += 997) {
        EXPECT_EQ(std::string(store.Line(i)), expected[i]) << i;
    }
    EXPECT_EQ(std::string(store.Line(30000)), huge);
    EXPECT_EQ(std::string(store.Line(30001)), expected[30001]);
    EXPECT_EQ(std::string(store.Line(59999)), expected[59999]);
    EXPECT_GE(store.MemoryBytes(), huge.size());
}

} // namespace
