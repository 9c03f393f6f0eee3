// The ini reader, the writer and the settings object on the files of samples/bad: a broken
// file gives the defaults or the documented readings, never a crash, and a write that
// cannot be one key line, or goes to a read-only file, changes nothing.

#include "FileUtil.h"
#include "IniFile.h"
#include "ScratchFolder.h"
#include "SettingsFile.h"
#include "TextUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const fs::path kBad = fs::path(SUITE_SOURCE_DIR) / "samples" / "bad";

class BadInputIniTest : public ::testing::Test {
protected:
    void SetUp() override { m_file = m_dir / "Quillon.ini"; }
    void Write(const std::string& bytes) { std::ofstream(m_file, std::ios::binary) << bytes; }
    std::string Bytes() const {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(m_file, bytes));
        return bytes;
    }
    testsupport::CScratchFolder m_scratch{"badinput_ini"};
    const fs::path m_dir = m_scratch.Path();
    fs::path m_file;
};

} // namespace

TEST_F(BadInputIniTest, BrokenFilesGiveTheDefaults) {
    for (const char* name : {"empty.txt", "cr_only.txt", "binary_garbage.bin", "ddr_nul_bytes.txt",
                             "sondex_truncated.dat", "short_image.bin"}) {
        SCOPED_TRACE(name);
        const fs::path file = kBad / name;
        ASSERT_TRUE(fs::exists(file));
        EXPECT_EQ(ini::ReadString(file, L"IsCheckLogFile", L"Enable", L"dflt"), L"dflt");
        EXPECT_EQ(ini::ReadInt(file, L"IsCheckLogFile", L"Enable", 7), 7);
        EXPECT_FALSE(ini::HasKey(file, L"ResultPrompt", L"Prompt"));
        EXPECT_TRUE(ini::ReadSection(file, L"Settings", 1024).empty());
        // Reading twice gives the same names (none of these files has a usable section).
        EXPECT_EQ(ini::ReadSectionNames(file), ini::ReadSectionNames(file));
    }
}

TEST_F(BadInputIniTest, BrokenValuesReadAsTheirLeadingDigits) {
    const fs::path file = kBad / "settings_broken.ini";
    struct SCase {
        const wchar_t* section;
        const wchar_t* key;
        int expected;
    };
    const SCase cases[] = {
        {L"IsCheckLogFile", L"Enable", 0},              // no digit
        {L"ResultPrompt", L"Enabel", 0},                // a lone '-'
        {L"Settings", L"ThresholdValue_0", 1215752191}, // wraps at 32 bits
        {L"Settings", L"MaxThresholdValue", -12},       // digits before the garbage
        {L"ResultPrompt", L"Prompt", 5},                // a line without '=' is no key
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.key));
        EXPECT_EQ(ini::ReadInt(file, c.section, c.key, 5), c.expected);
    }
    // A section header without ']' still names a section.
    EXPECT_EQ(
        ini::ReadSectionNames(file),
        (std::vector<std::wstring>{L"IsCheckLogFile", L"ResultPrompt", L"Settings", L"Broken"}));
    EXPECT_EQ(ini::ReadSection(file, L"Broken", 64), std::vector<std::wstring>{L"=no key"});

    CSettingsFile settings;
    settings.SetPath(file);
    EXPECT_FALSE(settings.ReadCheckLogFile());
    // Enabel reads 0: no result prompt.
    EXPECT_FALSE(settings.ReadResultPrompt(kResultPromptDefaultOrlo).has_value());
}

TEST_F(BadInputIniTest, LongValuesArriveCutToTheBuffer) {
    const std::string value(1100, 'v');
    Write("[A]\nk=" + value + "\n");
    EXPECT_EQ(ini::ReadString(m_file, L"A", L"k", L"").size(), 255u);
    EXPECT_EQ(ini::ReadString(m_file, L"A", L"k", L"", 512).size(), 511u);
    EXPECT_EQ(ini::ReadString(m_file, L"A", L"k", L"", 1024).size(), 1023u);
    EXPECT_EQ(ini::ReadString(m_file, L"A", L"k", L"", 2000), std::wstring(1100, L'v'));
    EXPECT_EQ(ini::ReadString(m_file, L"A", L"k", L"", 0), L"");
    // The section's lines as read into a 600-character buffer: the line cut to what fits.
    const std::vector<std::wstring> lines = ini::ReadSection(m_file, L"A", 600);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), 598u);
}

// Found by the ini writer's fuzz target: a value with a line feed became a second key line
// ("Enable=0" then "Type=3"), and a key with '=' or surrounding blanks added a new line on
// every write. Such writes are refused now and the file keeps every byte.
TEST_F(BadInputIniTest, WritesThatCannotBeOneKeyLineChangeNothing) {
    const std::string original = "[IsCheckLogFile]\r\nEnable=1\r\n[LogType]\r\nType=0\r\n";
    struct SCase {
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* value;
    };
    const SCase cases[] = {
        {L"IsCheckLogFile", L"Enable", L"0\r\n[LogType]\r\nType=3"},
        {L"IsCheckLogFile", L"Enable", L"0\nType=3"},
        {L"IsCheckLogFile", L"Enable", L"0\r"},
        {L"IsCheckLogFile", L"En\nable", L"0"},
        {L"IsCheck\nLogFile", L"Enable", L"0"},
        {L"IsCheckLogFile", L"Type=3", L"0"},
        {L"Log]Type", L"Type", L"3"},
        {L"LogType", L"[LogType]", L"3"},
        {L"LogType", L";Type", L"3"},
        {L"LogType", L"#Type", L"3"},
        {L"  ", L"Type", L"3"},
        {L"LogType", L" \t ", L"3"},
        {L"", L"Type", L"3"},
        {L"LogType", L"", L"3"},
    };
    Write(original);
    for (const SCase& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.section) + "/" + WideToUtf8(c.key) + "=" + WideToUtf8(c.value));
        EXPECT_FALSE(ini::WriteString(m_file, c.section, c.key, c.value));
        EXPECT_EQ(Bytes(), original);
    }
    EXPECT_EQ(ini::ReadInt(m_file, L"LogType", L"Type", 9), 0);
}

TEST_F(BadInputIniTest, NamesWithBlanksAreTheTrimmedNames) {
    Write("[LogType]\r\nType=0\r\n");
    // Written twice: one key line, replaced in place, not a new line per write.
    ASSERT_TRUE(ini::WriteString(m_file, L" LogType ", L"\tType ", L"2"));
    ASSERT_TRUE(ini::WriteString(m_file, L" LogType ", L"\tType ", L"3"));
    EXPECT_EQ(Bytes(), "[LogType]\r\nType=3\r\n");
    EXPECT_EQ(ini::ReadInt(m_file, L" logtype", L"TYPE ", 9), 3);
    EXPECT_TRUE(ini::HasKey(m_file, L"LogType ", L" Type"));
}

TEST_F(BadInputIniTest, ReadOnlyFileIsNeverChanged) {
    const std::string original = "[IsCheckLogFile]\r\nEnable=1\r\n";
    Write(original);
    fs::permissions(m_file,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    ASSERT_FALSE(IsFileWritable(m_file));
    CSettingsFile settings;
    settings.SetPath(m_file);
    EXPECT_FALSE(settings.WriteCheckLogFile(false));
    EXPECT_FALSE(ini::WriteString(m_file, L"New", L"Key", L"1"));
    EXPECT_EQ(Bytes(), original);
    EXPECT_TRUE(settings.ReadCheckLogFile());
}

TEST_F(BadInputIniTest, WritesKeepBinaryAndBrokenLines) {
    // Every unrelated line of a broken file stays byte for byte, the garbage included.
    std::string original = "\xEF\xBB\xBF[A]\r\ngarbage \x01\x02\xFF\xFE line\r\n";
    original += std::string("nul\0byte=1\n", 11);
    original += "[Broken\rk=1";
    Write(original);
    ASSERT_TRUE(ini::WriteString(m_file, L"A", L"new", L"x"));
    std::string expected = "\xEF\xBB\xBF[A]\r\ngarbage \x01\x02\xFF\xFE line\r\n";
    expected += std::string("nul\0byte=1\nnew=x\r\n", 18);
    expected += "[Broken\rk=1";
    EXPECT_EQ(Bytes(), expected);
    ASSERT_TRUE(ini::WriteString(m_file, L"Broken", L"k", L"2"));
    expected.replace(expected.size() - 1, 1, "2");
    EXPECT_EQ(Bytes(), expected);
}
