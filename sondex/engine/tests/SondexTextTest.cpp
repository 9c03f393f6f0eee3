#include "SondexText.h"

#include "NumberText.h"

#include <gtest/gtest.h>

#include <random>

using namespace sondex;

TEST(SondexTextTest, SplitTrimsAndDropsEmptyPieces) {
    const auto pieces = SplitTrimmed(std::string_view(", 0x1\tA , ,\n0x2 ,"), ',');
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], "0x1\tA");
    EXPECT_EQ(pieces[1], "0x2");
    EXPECT_TRUE(SplitTrimmed(std::string_view(" , \n ,"), ',').empty());
    const auto wide = SplitTrimmed(std::wstring_view(L"~0x5 ~ 0x9~"), L'~');
    ASSERT_EQ(wide.size(), 2u);
    EXPECT_EQ(wide[1], L"0x9");
}

TEST(SondexTextTest, HexSaturatingReadsLikeTheBase16Conversion) {
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {
        {"0x320", 0x320},
        {"  0X1f**\n", 0x1F},
        {"1f", 0x1F},
        {"0xFFFFFFFFFF", INT32_MAX},
        {"zz", 0},
        {"0x", 0},
        {"0xg", 0},
        {"-0x10", -16},
        {"0000000C****\n", 12},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<int32_t>(ParseHex(c.text, kHexConversion).value_or(0)), c.value)
            << c.text;
    }
}

TEST(SondexTextTest, HexWordNeedsALowerCasePrefix) {
    EXPECT_EQ(ParseHex(std::string_view("0xB1001005"), kHexPrintedUnsigned).value_or(0),
              0xB1001005u);
    EXPECT_EQ(ParseHex(std::string_view("0xb1001005"), kHexPrintedUnsigned).value_or(0),
              0xB1001005u);
    EXPECT_EQ(ParseHex(std::string_view("0XB1001005"), kHexPrintedUnsigned).value_or(0), 0u);
    EXPECT_EQ(ParseHex(std::wstring_view(L"5"), kHexPrintedUnsigned).value_or(0), 0u);
    EXPECT_EQ(ParseHex(std::wstring_view(L"0x1FFFFFFFF"), kHexPrintedUnsigned).value_or(0),
              0xFFFFFFFFu);
}

TEST(SondexTextTest, CodeNumbersAreHexBehind0XOrLeadingDecimal) {
    EXPECT_EQ(ParseCodeNumber(L"0X1234****\n"), 0x1234);
    EXPECT_EQ(ParseCodeNumber(L"0x1234"), 0x1234);
    EXPECT_EQ(ParseCodeNumber(L"42abc"), 42);
    EXPECT_EQ(ParseCodeNumber(L"-7"), -7);
    EXPECT_EQ(ParseCodeNumber(L" 0X1234"), 0); // a space before the code: decimal 0
    EXPECT_EQ(ParseCodeNumber(L""), 0);
}

TEST(SondexTextTest, SegmentNumberExtraction) {
    struct Case {
        const wchar_t* key;
        int segment;
        int32_t number;
        const wchar_t* rest;
    } cases[] = {
        {L"CA_sr2_800", 2, 800, L"CA_sr2"},
        {L"CA_sr2_800", 1, 2, L"CA_sr_800"},
        {L"CA_sr_800", 2, 800, L"CA_sr"},
        {L"CA_s1r2_933", 1, 12, L"CA_sr_933"},
        {L"CA_800", 2, 0, L"CA_800"},
        {L"CA_800", 1, 800, L"CA"},
        {L"_", 1, 0, L""},
        {L"", 0, 0, L""},
    };
    for (const auto& c : cases) {
        const auto got = ExtractSegmentNumber(c.key, c.segment);
        EXPECT_EQ(got.number, c.number) << c.key << " " << c.segment;
        EXPECT_EQ(got.rest, c.rest) << c.key << " " << c.segment;
    }
}

TEST(SondexTextTest, RecordLineCursorMatchesSplittingLinesThenFields) {
    // The cursor's one pass must give what splitting at ',' and then at tab gives.
    std::mt19937 rng(11);
    const char alphabet[] = {',', '\t', ' ', '\n', '\r', 'a', '0', 'x'};
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int n = static_cast<int>(rng() % 40);
        for (int i = 0; i < n; ++i) {
            text.push_back(alphabet[rng() % sizeof alphabet]);
        }
        std::vector<std::vector<std::string_view>> expected;
        for (const auto line : SplitTrimmed(std::string_view(text), ',')) {
            expected.push_back(SplitTrimmed(line, '\t'));
        }
        std::vector<std::vector<std::string_view>> got;
        CRecordLineCursor cursor(text);
        std::vector<std::string_view> fields;
        while (cursor.Next(fields)) {
            got.push_back(fields);
        }
        ASSERT_EQ(got, expected) << "'" << text << "'";
    }
}
