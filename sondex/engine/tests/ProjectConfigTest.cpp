#include "ProjectConfig.h"
#include "SondexTestSupport.h"

#include "FileUtil.h"
#include "TextUtil.h"

#include <gtest/gtest.h>

using namespace sondex;
using namespace sondextest;

namespace {

std::vector<int32_t> RangeValues(const CProjectConfig& config, const wchar_t* name) {
    const CValueRange* range = config.FindRange(name);
    return range ? range->GetValues() : std::vector<int32_t>{-1};
}

// A configuration read straight from the records of an ini, without the .dat in between.
void FillFromIni(CProjectConfig& config, const fs::path& ini) {
    for (const auto& record : CProjectConfig::CompileIni(ini)) {
        config.AddRecord(record);
    }
    config.BuildGroups();
}

SDatRecord Rec(uint16_t type, std::wstring text, int32_t number = 0,
               std::vector<int32_t> values = {}) {
    return SDatRecord{type, std::move(text), number, std::move(values)};
}

} // namespace

TEST(ProjectConfigTest, IniSectionsGiveTheLookups) {
    CTestConfig t;
    const CProjectConfig& c = t.Config();
    EXPECT_TRUE(t.LoadMessages().empty());
    EXPECT_EQ(c.GetPromptLines(), (std::vector<std::wstring>{L"Sondex usage", L"Pick a folder"}));
    ASSERT_NE(c.FindProjectName(0x1234), nullptr);
    EXPECT_EQ(*c.FindProjectName(0x1234), L"P1");
    EXPECT_EQ(c.FindProjectName(0x1235), nullptr);
    EXPECT_EQ(c.GetFirstProjectName(), L"P1");
    EXPECT_EQ(*c.FindDdrTypeName(3), L"Lpddr3");
    EXPECT_EQ(c.GetPinName(0x30), L"sr");
    EXPECT_EQ(c.GetPinName(0x31), L"");
    EXPECT_EQ(c.GetIsPrint(L"CLK"), 0);
    EXPECT_EQ(c.GetIsPrint(L"DQ"), 1);
    EXPECT_EQ(c.GetIsPrint(L"CA"), 1);  // absent
    EXPECT_EQ(c.GetIsPrint(L"clk"), 1); // keys compare case-sensitively
    EXPECT_EQ(c.GetResultText1(), L"所有log均通过");
    EXPECT_EQ(c.GetResultText2(), L"请重新扫描");
    ASSERT_NE(c.FindMinPassMap(L"LPDDR3"), nullptr);
    EXPECT_EQ(c.FindMinPassMap(L"LPDDR3")->at(L"CA_sr2_800"), 24);
    EXPECT_EQ(c.FindMinPassMap(L"Ddr5"), nullptr);
    EXPECT_EQ(c.FindRange(L"lpddr3_CA"), nullptr); // exact name
    EXPECT_EQ(RangeValues(c, L"Lpddr3_VREF"), (std::vector<int32_t>{1, 2, 3}));
}

TEST(ProjectConfigTest, ValueRangeForms) {
    CTestConfig t(R"([ValueRange]
Full=0x0~0x1F
List=0x3, 0x1,0x2
Down=0x5~0x2
NoPrefix=5,6
Dup=0x1
Dup=0x2
OneEnd=0x5~
Huge=0x0~0x100
Max=0x0~0xFF
Empty=
)");
    const CProjectConfig& c = t.Config();
    std::vector<int32_t> full(32);
    for (int i = 0; i < 32; ++i) {
        full[static_cast<size_t>(i)] = i;
    }
    EXPECT_EQ(RangeValues(c, L"Full"), full);
    EXPECT_EQ(RangeValues(c, L"List"), (std::vector<int32_t>{3, 1, 2}));
    EXPECT_EQ(RangeValues(c, L"Down"), std::vector<int32_t>{});
    EXPECT_EQ(RangeValues(c, L"NoPrefix"), (std::vector<int32_t>{0, 0}));
    EXPECT_EQ(RangeValues(c, L"Dup"), std::vector<int32_t>{1}); // the first is used
    // Outside what a range holds: left out, so the lookup finds nothing.
    EXPECT_EQ(c.FindRange(L"OneEnd"), nullptr);
    EXPECT_EQ(c.FindRange(L"Huge"), nullptr);
    EXPECT_EQ(RangeValues(c, L"Max").size(), 256u);
    EXPECT_EQ(RangeValues(c, L"Empty"), std::vector<int32_t>{});
}

TEST(ProjectConfigTest, NumbersDuplicatesAndEntriesWithoutEquals) {
    CTestConfig t(R"([ProjectName]
Hex=0x10
Dec=17
Neg=-3
Again=0x10
just a line
[InfoName]
A = 0XaB
[Result]
R1=ok
R2=0
)");
    const CProjectConfig& c = t.Config();
    EXPECT_EQ(c.GetProjectNames(),
              (std::map<int32_t, std::wstring>{{0x10, L"Hex"}, {17, L"Dec"}, {-3, L"Neg"}}));
    EXPECT_EQ(c.GetPinName(0xAB), L"A");
    EXPECT_EQ(c.GetFirstProjectName(), L"Neg");
    EXPECT_EQ(c.GetResultText2(), L""); // "0" switches the incomplete message off
}

TEST(ProjectConfigTest, MinPassGroupsFollowMapOrder) {
    CTestConfig t;
    const auto* groups = t.Config().FindMinPassGroups(L"lpddr3");
    ASSERT_NE(groups, nullptr);
    // Map order: CA_sr0_800, CA_sr0_933, CA_sr1_800, CA_sr2_800, DQ_sr0_800.
    const std::vector<SMinPassGroup> expected = {
        {L"CA_sr_800", {0, 1, 2}}, {L"CA_sr_933", {0}}, {L"DQ_sr_800", {0}}};
    EXPECT_EQ(*groups, expected);
    EXPECT_TRUE(t.Config().FindMinPassGroups(L"Lpddr2")->empty());
    EXPECT_EQ(t.Config().FindMinPassGroups(L"Lpddr5"), nullptr);
}

TEST(ProjectConfigTest, DatRoundTripGivesTheIniConfiguration) {
    CTestConfig t;
    CProjectConfig direct;
    FillFromIni(direct, t.Ini());
    EXPECT_TRUE(direct.SameContent(t.Config()));

    // Read back alone, without the ini next to it.
    CProjectConfig fromDat;
    CRecordingPrompt prompt;
    CScopedPrompt scope(prompt);
    ASSERT_TRUE(fromDat.Load(fs::path(), t.Dat()));
    EXPECT_TRUE(prompt.Texts().empty());
    EXPECT_TRUE(fromDat.SameContent(t.Config()));
    EXPECT_EQ(fromDat.GetRanges().size(), 6u);
}

TEST(ProjectConfigTest, DatRecordLayout) {
    CTestConfig t("[Prompt]\nA=Hi\n[ProjectName]\nP=0x1234\n[ValueRange]\nR=0x1,0x2\n");
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(t.Dat(), bytes));
    const std::string expected =
        std::string("\x00\x00\x04\x00H\x00i\x00", 8) +
        std::string("\x01\x00\x02\x00\x34\x12\x00\x00P\x00", 10) +
        std::string("\x04\x00\x02\x00R\x00\x02\x00\x00\x00\x01\x00\x00\x00\x02\x00\x00\x00", 18);
    EXPECT_EQ(bytes, expected);
}

TEST(ProjectConfigTest, EmptyPromptLineDoesNotCutOffTheRest) {
    // Before: the empty first Prompt line became a record of length 0, which ends the .dat
    // for the reader, so projects, types and ranges were lost and every log was rejected.
    CTestConfig t(
        "[Prompt]\nLine1=\nLine2=second\n[ProjectName]\nP1=0x1234\n[DdrType]\nLpddr3=3\n");
    CProjectConfig fromDat;
    ASSERT_TRUE(fromDat.Load(fs::path(), t.Dat()));
    EXPECT_EQ(fromDat.GetPromptLines(), std::vector<std::wstring>{L"second"});
    ASSERT_NE(fromDat.FindProjectName(0x1234), nullptr);
    EXPECT_EQ(*fromDat.FindDdrTypeName(3), L"Lpddr3");
}

TEST(ProjectConfigTest, ReadingStopsAtALengthZeroRecordOfAForeignDat) {
    std::string image;
    ASSERT_TRUE(CProjectConfig::EncodeRecords({Rec(kDatPrompt, L"one")}, image));
    image += std::string("\x00\x00\x00\x00", 4);
    std::string tail;
    ASSERT_TRUE(CProjectConfig::EncodeRecords({Rec(kDatProjectName, L"P", 5)}, tail));
    image += tail;
    std::vector<SDatRecord> records;
    EXPECT_TRUE(CProjectConfig::DecodeImage(image, records));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text, L"one");
}

TEST(ProjectConfigTest, DamagedDatKeepsTheRecordsBeforeTheDamage) {
    std::string good;
    ASSERT_TRUE(CProjectConfig::EncodeRecords(
        {Rec(kDatProjectName, L"P1", 0x1234), Rec(kDatValueRange, L"Lpddr3_CA", 0, {1, 2, 3})},
        good));
    struct Case {
        const char* what;
        std::string image;
        size_t kept;
    } cases[] = {
        {"cut inside the values", good.substr(0, good.size() - 2), 1},
        {"cut inside the header", good.substr(0, 12 + 2), 1},
        {"unknown type",
         good.substr(0, 12) + std::string("\x0A\x00\x02\x00\x41\x00", 6) + good.substr(12), 1},
        {"odd length", std::string("\x00\x00\x03\x00\x41\x00\x42", 7), 0},
        {"negative count", std::string("\x04\x00\x02\x00R\x00\xFF\xFF\xFF\xFF", 10), 0},
        {"count beyond the end",
         std::string("\x04\x00\x02\x00R\x00\x10\x00\x00\x00\x01\x00\x00\x00", 14), 0},
    };
    for (const auto& c : cases) {
        std::vector<SDatRecord> records;
        EXPECT_FALSE(CProjectConfig::DecodeImage(c.image, records)) << c.what;
        EXPECT_EQ(records.size(), c.kept) << c.what;
    }

    CTempDir dir;
    const fs::path dat = dir.Write("Sondex.dat", cases[0].image);
    CProjectConfig config;
    CRecordingPrompt prompt;
    CScopedPrompt scope(prompt);
    EXPECT_TRUE(config.Load(dir.Path() / "Sondex.ini", dat));
    EXPECT_EQ(prompt.Texts(), std::vector<std::wstring>{L"配置文件\"" + PathToWide(dat) +
                                                        L"\" 已损坏，损坏处之后的配置被忽略"});
    EXPECT_NE(config.FindProjectName(0x1234), nullptr);
    EXPECT_EQ(config.FindRange(L"Lpddr3_CA"), nullptr);
}

TEST(ProjectConfigTest, MissingConfigurationShowsTheMessageAndStaysEmpty) {
    CTempDir dir;
    CProjectConfig config;
    CRecordingPrompt prompt;
    CScopedPrompt scope(prompt);
    EXPECT_FALSE(config.Load(dir.Path() / "Sondex.ini", dir.Path() / "Sondex.dat"));
    EXPECT_EQ(prompt.Texts(),
              std::vector<std::wstring>{L"配置文件\"" + PathToWide(dir.Path() / "Sondex.dat") +
                                        L"\" 不存在，请提供配置文件 "});
    EXPECT_TRUE(config.GetProjectNames().empty());
    EXPECT_EQ(config.GetFirstProjectName(), L"");
}

TEST(ProjectConfigTest, ReadOnlyDatStillUsesTheIni) {
    CTempDir dir;
    const fs::path ini = dir.Write("Sondex.ini", "[ProjectName]\nP1=0x1234\n");
    const fs::path dat = dir.Write("Sondex.dat", "stale");
    fs::permissions(dat, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    CProjectConfig config;
    CRecordingPrompt prompt;
    CScopedPrompt scope(prompt);
    EXPECT_TRUE(config.Load(ini, dat));
    EXPECT_EQ(prompt.Texts(), std::vector<std::wstring>{L"配置文件\"" + PathToWide(dat) +
                                                        L"\" 无法写入，本次直接使用\"" +
                                                        PathToWide(ini) + L"\" 中的配置"});
    EXPECT_NE(config.FindProjectName(0x1234), nullptr);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(dat, bytes));
    EXPECT_EQ(bytes, "stale"); // left as it was
}

TEST(ProjectConfigTest, SectionsAreReadThroughA1024CharacterBuffer) {
    std::string ini = "[Prompt]\n";
    for (int i = 0; i < 100; ++i) {
        ini += "L" + std::to_string(i) + "=" + std::string(20, 'x') + "\n";
    }
    CTestConfig t(ini);
    const auto& lines = t.Config().GetPromptLines();
    size_t chars = 0;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        chars += lines[static_cast<size_t>(i)].size();
    }
    // Each line takes its text plus '=' and key and a NUL: 1024 characters hold 40 of them.
    EXPECT_GE(lines.size(), 40u);
    EXPECT_LT(lines.size(), 45u);
    EXPECT_LE(chars, 1024u);
}

TEST(ProjectConfigTest, EncodeStopsAtTheBufferSize) {
    std::vector<SDatRecord> records(3, Rec(kDatPrompt, L"abcd"));
    std::string image;
    EXPECT_FALSE(CProjectConfig::EncodeRecords(records, image, 25));
    EXPECT_EQ(image.size(), 24u); // two records of 12 bytes
    EXPECT_TRUE(CProjectConfig::EncodeRecords(records, image, 36));
}

TEST(ProjectConfigTest, LongMinPassKeysAndLongTextsAreOutsideTheConfiguration) {
    const std::string longKey = "CA_sr0" + std::string(44, 'x') + "_800"; // 54 characters
    CTestConfig t("[Lpddr3_MinPass]\n" + longKey + "=10\nCA_sr0_800=20\n");
    EXPECT_EQ(t.Config().FindMinPassMap(L"Lpddr3")->size(), 1u);

    CProjectConfig config;
    config.AddRecord(Rec(kDatPrompt, std::wstring(3000, L'p')));
    EXPECT_EQ(config.GetPromptLines().at(0).size(), CProjectConfig::kMaxTextChars);
}
