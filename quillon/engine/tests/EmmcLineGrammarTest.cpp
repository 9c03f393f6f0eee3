#include "EmmcLineGrammar.h"
#include "LogRead.h"

#include <gtest/gtest.h>

using namespace quillon;

namespace {

const SEmmcTags kSdrTags{L"(W)", L"(R)", L"(C)", L""};
const SEmmcTags kDdrTags{L"", L"", L"", L"(Y)"};
const SEmmcTags kAllTags{L"(W)", L"(R)", L"(C)", L"(Y)"};

} // namespace

TEST(EmmcLineGrammar, LogModeByNonEmptyTags) {
    struct SCase {
        SEmmcTags tags;
        int32_t mode;
    };
    const SCase cases[] = {
        {kDdrTags, 0},
        {kSdrTags, 1},
        {kAllTags, 2},
        {{L"(W)", L"", L"", L"(Y)"}, -1},
        {{L"", L"", L"", L""}, -1},
        {{L"(W)", L"(R)", L"", L""}, -1},
        {{L"(W)", L"", L"(C)", L"(Y)"}, -1},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(EmmcLogMode(c.tags), c.mode)
            << c.tags.strW.size() << c.tags.strR.size() << c.tags.strC.size() << c.tags.strY.size();
    }
}

TEST(EmmcLineGrammar, HexValuesTable) {
    struct SCase {
        const char* line;
        const char* name;
        uint32_t value;
    };
    const SCase cases[] = {
        {"PDATA=0x1, PCLK=0x2, WRDL=0x10, RPOS=0x3F (W)\n", "PDATA", 0x1},
        {"PDATA=0x1, PCLK=0x2, WRDL=0x10, RPOS=0x3F (W)\n", "RPOS", 0x3F},
        {"PDATA=0x1, PCLK=0x2, WRDL=0x10, RPOS=0x3F (W)\n", "WRDL", 0x10},
        {"PDATA=1, PCLK=0x2", "PDATA", 0},            // no 0x prefix
        {"PDATA=0X1F, PCLK=0x2", "PDATA", 0},         // the prefix is lower-case
        {"PDATA:0x1f:", "PDATA", 0x1F},               // any separator, ':' ends the text
        {"PDATA=0x", "PDATA", 0},                     // no digit
        {"PDATA=", "PDATA", 0},                       // nothing after the separator
        {"PDATA", "PDATA", 0},                        // no separator at all
        {"xx=0x5 PDATA=0x7 PDATA=0x9", "PDATA", 0x7}, // the first occurrence
        {"PDATA=0x1FFFFFFFF", "PDATA", 0xFFFFFFFF},   // held at 32 bits
        {"PDATA=0x2a;junk", "PDATA", 0x2A},           // digits end at the first non-digit
        {"CP=0x3 WD=0x3F", "WD", 0x3F},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(ReadEmmcValue<char>(c.line, c.name), c.value) << c.line << " / " << c.name;
        const std::wstring wline(c.line, c.line + std::char_traits<char>::length(c.line));
        const std::wstring wname(c.name, c.name + std::char_traits<char>::length(c.name));
        EXPECT_EQ(ReadEmmcValue<wchar_t>(wline, wname), c.value) << c.line;
    }
}

TEST(EmmcLineGrammar, ValuesReadAsTheHexadecimalFieldReaderReadsThem) {
    const char* const lines[] = {
        "K=0x1F,",       "K=0x-1 ", "K=0x+a:", "K=0x0x10", "K=0x0X1", "K=0x0xg",        "K=0x",
        "K=0xFFFFFFFFF", "K=0x12g", "K=1",     "K=",       "K",       "K=0x7fffffff\n", "K=0x 1",
    };
    for (const char* text : lines) {
        const std::string line(text);
        const std::wstring wide(line.begin(), line.end());
        int expected = 0;
        (void)ReadFieldHex(L"K", wide, expected);
        EXPECT_EQ(ReadEmmcValue<char>(line, "K"), static_cast<uint32_t>(expected)) << text;
        EXPECT_EQ(ReadEmmcValue<wchar_t>(wide, L"K"), static_cast<uint32_t>(expected)) << text;
    }
}

TEST(EmmcLineGrammar, FlagTable) {
    struct SCase {
        const char* line;
        const SEmmcTags* tags;
        EEmmcFlag kind;
        int32_t code;
    };
    const SCase cases[] = {
        {"A=0x1 (W)\n", &kSdrTags, EEmmcFlag::kCode, kEmmcWriteError},
        {"A=0x1 (R)\n", &kSdrTags, EEmmcFlag::kCode, kEmmcReadError},
        {"A=0x1 (C)\n", &kSdrTags, EEmmcFlag::kCode, kEmmcCheckError},
        {"A=0x1 (Y)\n", &kDdrTags, EEmmcFlag::kCode, kEmmcNoError},
        {"A=0x1 (R)\n", &kDdrTags, EEmmcFlag::kNoMatch, 0}, // DDR50: (R) is dropped
        {"A=0x1 (Y)\n", &kSdrTags, EEmmcFlag::kNoMatch, 0},
        {"A=0x1\n", &kSdrTags, EEmmcFlag::kNoParen, 0},
        {"A=0x1 (W\n", &kSdrTags, EEmmcFlag::kNoMatch, 0}, // "(W\n" holds no tag
        {"A=0x1 (\n", &kSdrTags, EEmmcFlag::kNoMatch, 0},  // "(" among the last two
        {"A=0x1 (", &kSdrTags, EEmmcFlag::kNoMatch, 0},
        {"A(x) B (W)\n", &kSdrTags, EEmmcFlag::kNoMatch, 0}, // only the first "(" counts
        {"A=0x1 (Y)\n", &kAllTags, EEmmcFlag::kCode, kEmmcNoError},
    };
    const auto byteSdr = MakeEmmcByteTags(kSdrTags);
    const auto byteDdr = MakeEmmcByteTags(kDdrTags);
    const auto byteAll = MakeEmmcByteTags(kAllTags);
    for (const SCase& c : cases) {
        const auto& tags = c.tags == &kSdrTags ? byteSdr : c.tags == &kDdrTags ? byteDdr : byteAll;
        const SEmmcFlagResult got = ReadEmmcFlag<char>(c.line, tags);
        EXPECT_EQ(got.eKind, c.kind) << c.line;
        if (c.kind == EEmmcFlag::kCode) {
            EXPECT_EQ(got.nCode, c.code) << c.line;
        }
    }
}

TEST(EmmcLineGrammar, TagsMatchInsideTheFlagInOrderWRCY) {
    // A one-letter tag occurs inside the three-character flag; W is tried first.
    const SEmmcTags tags{L"W", L"(W)", L"C", L"Y"};
    const auto bytes = MakeEmmcByteTags(tags);
    EXPECT_EQ(ReadEmmcFlag<char>("x (W)", bytes).nCode, kEmmcWriteError);
    // A tag longer than the flag never matches.
    const SEmmcTags longTags{L"(W))", L"(R)", L"(C)", L""};
    EXPECT_EQ(ReadEmmcFlag<char>("x (W))", MakeEmmcByteTags(longTags)).eKind, EEmmcFlag::kNoMatch);
}

TEST(EmmcLineGrammar, WideTagsOutsideOneByteNeverMatchByteLines) {
    const SEmmcTags tags{L"(写)", L"(R)", L"(C)", L""};
    const auto bytes = MakeEmmcByteTags(tags);
    EXPECT_FALSE(bytes.usable[0]);
    EXPECT_EQ(ReadEmmcFlag<char>("x (R)", bytes).nCode, kEmmcReadError);
    EXPECT_FALSE(EmmcWideToBytes(L"名称"));
    EXPECT_EQ(EmmcWideToBytes(L"PDATA\u00e9"), std::string("PDATA\xe9"));
}
