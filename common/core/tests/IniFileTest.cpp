#include "IniFile.h"
#include "FileUtil.h"
#include "ScratchFolder.h"
#include "SettingsFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override { m_file = m_dir / "Quillon.ini"; }
    void Write(const std::string& bytes) {
        std::ofstream(m_file, std::ios::binary) << bytes;
    }
    std::string Bytes() {
        std::string s;
        EXPECT_TRUE(ReadFileBytes(m_file, s));
        return s;
    }
    testsupport::CScratchFolder m_scratch{"ini_test"};
    const fs::path m_dir = m_scratch.Path();
    fs::path m_file;
};

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesDefault) {
    EXPECT_EQ(ini::ReadString(m_file, L"LogType", L"Type", L"dflt"), L"dflt");
    EXPECT_EQ(ini::ReadInt(m_file, L"LogType", L"Type", 7), 7);
    Write("[Other]\r\nType=3\r\n[LogType]\r\nName=1\r\n");
    EXPECT_EQ(ini::ReadInt(m_file, L"Missing", L"Type", 7), 7);
    EXPECT_EQ(ini::ReadInt(m_file, L"LogType", L"Type", 7), 7);
    EXPECT_FALSE(ini::HasKey(m_file, L"LogType", L"Type"));
    EXPECT_TRUE(ini::HasKey(m_file, L"logtype", L"NAME"));
}

TEST_F(IniFileTest, NamesIgnoreCaseAndValuesAreTrimmed) {
    Write("; comment\r\n[ LogType ]\r\n  tYpE  =   2 x  \r\n");
    EXPECT_EQ(ini::ReadString(m_file, L"logtype", L"TYPE", L""), L"2 x");
    EXPECT_EQ(ini::ReadInt(m_file, L"LOGTYPE", L"type", 9), 2);
}

TEST_F(IniFileTest, FirstOfDuplicateKeysWins) {
    Write("[A]\nk=1\nk=2\n");
    EXPECT_EQ(ini::ReadInt(m_file, L"A", L"k", 0), 1);
}

TEST_F(IniFileTest, ReadStringIsCutToTheBuffer) {
    const std::string longValue(300, 'v');
    Write("[A]\r\nk=" + longValue + "\r\n");
    EXPECT_EQ(ini::ReadString(m_file, L"A", L"k", L"").size(), 255u);
    EXPECT_EQ(ini::ReadString(m_file, L"A", L"k", L"", 10), std::wstring(9, L'v'));
    EXPECT_EQ(ini::ReadString(m_file, L"A", L"none", L"abcdef", 4), L"abc");
    EXPECT_EQ(ini::ReadString(m_file, L"A", L"k", L"", 0), L"");
}

TEST_F(IniFileTest, ReadIntTakesLeadingDigits) {
    struct Case {
        const char* value;
        int expected;
    } cases[] = {{"12", 12},  {"  42abc", 42}, {"-5", -5}, {"abc", 0}, {"", 0},
                 {"-", 0},    {"3.9", 3},      {"+4", 4},  {"007", 7}, {"4294967297", 1},
                 {"+-4", 0},  {"-+4", 0},       {"+", 0},  {"\"-8\"", -8}, {"\"+60\"", 60}};
    for (const auto& c : cases) {
        Write(std::string("[S]\r\nk=") + c.value + "\r\n");
        EXPECT_EQ(ini::ReadInt(m_file, L"S", L"k", 99), c.expected) << c.value;
    }
}

TEST_F(IniFileTest, WriteCreatesFileSectionAndKey) {
    ASSERT_TRUE(ini::WriteString(m_file, L"IsCheckLogFile", L"Enable", L"0"));
    EXPECT_EQ(Bytes(), "[IsCheckLogFile]\r\nEnable=0\r\n");
    ASSERT_TRUE(ini::WriteString(m_file, L"ResultPrompt", L"Prompt", L"好"));
    EXPECT_EQ(Bytes(), "[IsCheckLogFile]\r\nEnable=0\r\n[ResultPrompt]\r\nPrompt=\xE5\xA5\xBD\r\n");
    EXPECT_EQ(ini::ReadString(m_file, L"ResultPrompt", L"Prompt", L""), L"好");
}

TEST_F(IniFileTest, WriteReplacesInPlaceAndKeepsEveryOtherLine) {
    const std::string before = "; top comment\r\n[A]\r\nx = 1 ; not a comment\r\n\r\n"
                               "[B]\r\n  Key = old  \r\ny=2\r\n\r\n; tail\r\n[C]\r\nz=3";
    Write(before);
    ASSERT_TRUE(ini::WriteString(m_file, L"b", L"KEY", L"new"));
    EXPECT_EQ(Bytes(), "; top comment\r\n[A]\r\nx = 1 ; not a comment\r\n\r\n"
                       "[B]\r\nKEY=new\r\ny=2\r\n\r\n; tail\r\n[C]\r\nz=3");
    // A new key goes after the last key line of its section, before blank and comment lines.
    ASSERT_TRUE(ini::WriteString(m_file, L"B", L"w", L"9"));
    EXPECT_EQ(Bytes(), "; top comment\r\n[A]\r\nx = 1 ; not a comment\r\n\r\n"
                       "[B]\r\nKEY=new\r\ny=2\r\nw=9\r\n\r\n; tail\r\n[C]\r\nz=3");
    // A key in the last section of a file without a final line break.
    ASSERT_TRUE(ini::WriteString(m_file, L"C", L"q", L"4"));
    EXPECT_EQ(Bytes(), "; top comment\r\n[A]\r\nx = 1 ; not a comment\r\n\r\n"
                       "[B]\r\nKEY=new\r\ny=2\r\nw=9\r\n\r\n; tail\r\n[C]\r\nz=3\r\nq=4\r\n");
}

TEST_F(IniFileTest, WriteKeepsLfEndings) {
    Write("[A]\nx=1\n");
    ASSERT_TRUE(ini::WriteString(m_file, L"A", L"y", L"2"));
    EXPECT_EQ(Bytes(), "[A]\nx=1\ny=2\n");
}

TEST_F(IniFileTest, ReadOnlyFileIsNeverChanged) {
    Write("[A]\r\nx=1\r\n");
    fs::permissions(m_file, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(ini::WriteString(m_file, L"A", L"x", L"2"));
    EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\n");
}

TEST_F(IniFileTest, UnwritableFolderFailsCleanly) {
    EXPECT_FALSE(ini::WriteString(m_dir / "no" / "such" / "dir.ini", L"A", L"x", L"1"));
    EXPECT_FALSE(ini::WriteString(m_file, L"", L"x", L"1"));
    EXPECT_FALSE(fs::exists(m_file));
}

TEST_F(IniFileTest, SectionLinesAreCutToTheBuffer) {
    Write("[Prompt]\r\n; c\r\nP1=abc\r\n\r\nP2=defgh\r\n[Next]\r\nP3=x\r\n");
    EXPECT_EQ(ini::ReadSection(m_file, L"prompt", 1024),
              (std::vector<std::wstring>{L"P1=abc", L"P2=defgh"}));
    // 10 characters: "P1=abc\0" takes 7, one is kept for the final NUL, "P" is cut from the rest.
    EXPECT_EQ(ini::ReadSection(m_file, L"Prompt", 10), (std::vector<std::wstring>{L"P1=abc", L"P"}));
    EXPECT_TRUE(ini::ReadSection(m_file, L"None", 1024).empty());
    EXPECT_EQ(ini::ReadSectionNames(m_file), (std::vector<std::wstring>{L"Prompt", L"Next"}));
}

TEST_F(IniFileTest, SettingsSharedKeysAndDefaults) {
    CSettingsFile settings;
    settings.SetPath(m_file);
    EXPECT_TRUE(settings.ReadCheckLogFile());
    EXPECT_FALSE(settings.ReadResultPrompt(kResultPromptDefaultQuillon).has_value());
    EXPECT_EQ(settings.ReadResultPrompt(kResultPromptDefaultOrlo), std::optional<std::wstring>(L""));
    ASSERT_TRUE(settings.WriteCheckLogFile(false));
    EXPECT_FALSE(settings.CheckLogFile());
    EXPECT_EQ(Bytes(), "[IsCheckLogFile]\r\nEnable=0\r\n");
    Write("[ResultPrompt]\r\nPrompt=  测试通过 \r\n[IsCheckLogFile]\r\nEnable=abc\r\n");
    EXPECT_FALSE(settings.ReadCheckLogFile()); // no digits reads as 0
    EXPECT_FALSE(settings.ReadResultPrompt(kResultPromptDefaultQuillon).has_value());
    EXPECT_EQ(settings.ReadResultPrompt(kResultPromptDefaultOrlo), std::optional<std::wstring>(L"测试通过"));
}

} // namespace
