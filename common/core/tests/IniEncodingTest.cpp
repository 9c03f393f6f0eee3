// Settings files as the engineers' Windows machines save them: UTF-8, GBK and UTF-16 files
// read and written in place in their own encoding, quoted values, '+' numbers.

#include "IniFile.h"
#include "FileUtil.h"
#include "SettingsFile.h"
#include "TextEncoding.h"
#include "TextUtil.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iconv.h>

namespace fs = std::filesystem;

namespace {

// The test's own converter, straight from the C library, so the files under test are not
// made by the code under test.
std::string Convert(const std::string& utf8, const char* charset) {
    iconv_t cd = iconv_open(charset, "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << charset;
    std::string out(utf8.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* o = out.data();
    size_t outLeft = out.size();
    EXPECT_NE(iconv(cd, &in, &inLeft, &o, &outLeft), static_cast<size_t>(-1)) << charset;
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

struct SEncodingCase {
    const char* name;
    const char* charset;
    const char* bom;
    ETextEncoding encoding;
};

const SEncodingCase kEncodings[] = {
    {"Utf8", "UTF-8", "", ETextEncoding::Utf8},
    {"Utf8Bom", "UTF-8", "\xEF\xBB\xBF", ETextEncoding::Utf8},
    {"Gbk", "GBK", "", ETextEncoding::Gbk},
    {"Utf16Le", "UTF-16LE", "\xFF\xFE", ETextEncoding::Utf16Le},
    {"Utf16Be", "UTF-16BE", "\xFE\xFF", ETextEncoding::Utf16Be},
};

class CScratch {
public:
    explicit CScratch(const std::string& tag) {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "_" + info->name() + "_" + tag;
        for (char& c : name) {
            c = (c == '/') ? '_' : c;
        }
        m_dir = fs::temp_directory_path() / ("ini_enc_" + name);
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    ~CScratch() {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    [[nodiscard]] fs::path File(const std::string& name) const { return m_dir / name; }

private:
    fs::path m_dir;
};

void WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string ReadBytes(const fs::path& file) {
    std::string s;
    EXPECT_TRUE(ReadFileBytes(file, s));
    return s;
}

class IniEncodingTest : public ::testing::TestWithParam<SEncodingCase> {
protected:
    // A settings text (UTF-8 in the source) as a file of the case's encoding.
    [[nodiscard]] std::string Bytes(const std::string& utf8) const {
        return GetParam().bom + Convert(utf8, GetParam().charset);
    }
    CScratch m_scratch{GetParam().name};
    fs::path m_file = m_scratch.File("Quillon.ini");
};

const std::string kSettings = "; 结果提示\r\n"
                              "[ResultPrompt]\r\n"
                              "Prompt=测试通过\r\n"
                              "Enabel=+1\r\n"
                              "Quoted=\"  带引号的提示 \"\r\n"
                              "\r\n"
                              "[设置]\r\n"
                              "ThresholdValue_0=\"+60\"\r\n"
                              "Neg=-5\r\n"
                              "名称=值";

TEST_P(IniEncodingTest, ChineseTextsNumbersAndSectionsReadBack) {
    WriteBytes(m_file, Bytes(kSettings));
    EXPECT_EQ(ini::ReadString(m_file, L"resultprompt", L"PROMPT", L""), L"测试通过");
    EXPECT_EQ(ini::ReadInt(m_file, L"ResultPrompt", L"Enabel", 0), 1);
    EXPECT_EQ(ini::ReadString(m_file, L"ResultPrompt", L"Quoted", L""), L"  带引号的提示 ");
    EXPECT_EQ(ini::ReadInt(m_file, L"设置", L"ThresholdValue_0", 0), 60);
    EXPECT_EQ(ini::ReadInt(m_file, L"设置", L"Neg", 0), -5);
    EXPECT_EQ(ini::ReadString(m_file, L"设置", L"名称", L""), L"值");
    EXPECT_EQ(ini::ReadString(m_file, L"设置", L"Missing", L"缺省  "), L"缺省");
    EXPECT_EQ(ini::ReadSectionNames(m_file), (std::vector<std::wstring>{L"ResultPrompt", L"设置"}));
    EXPECT_EQ(ini::ReadSection(m_file, L"设置", 1024),
              (std::vector<std::wstring>{L"ThresholdValue_0=\"+60\"", L"Neg=-5", L"名称=值"}));
    // Buffer cuts count characters, not bytes of the file's encoding.
    EXPECT_EQ(ini::ReadString(m_file, L"ResultPrompt", L"Prompt", L"", 3), L"测试");
    const STextDetection d = DetectTextEncoding(ReadBytes(m_file));
    EXPECT_EQ(d.encoding, GetParam().encoding);
    EXPECT_EQ(d.bomBytes, std::string(GetParam().bom).size());
    EXPECT_EQ(d.strayBytes, 0u);
}

TEST_P(IniEncodingTest, InPlaceWritesKeepEveryOtherByteAndTheEncoding) {
    WriteBytes(m_file, Bytes(kSettings));
    ASSERT_TRUE(ini::WriteString(m_file, L"ResultPrompt", L"Prompt", L"请使用推荐参数"));
    std::string expected = kSettings;
    expected.replace(expected.find("Prompt=测试通过"), std::string("Prompt=测试通过").size(),
                     "Prompt=请使用推荐参数");
    EXPECT_EQ(ReadBytes(m_file), Bytes(expected));
    // A new key at the end of its section (the last line had no line break).
    ASSERT_TRUE(ini::WriteString(m_file, L"设置", L"新键", L"新值"));
    expected += "\r\n新键=新值\r\n";
    EXPECT_EQ(ReadBytes(m_file), Bytes(expected));
    // A new section at the end of the file.
    ASSERT_TRUE(ini::WriteString(m_file, L"IsCheckLogFile", L"Enable", L"0"));
    expected += "[IsCheckLogFile]\r\nEnable=0\r\n";
    EXPECT_EQ(ReadBytes(m_file), Bytes(expected));
    EXPECT_EQ(ini::ReadString(m_file, L"设置", L"新键", L""), L"新值");
    EXPECT_EQ(ini::ReadString(m_file, L"ResultPrompt", L"Prompt", L""), L"请使用推荐参数");
}

TEST_P(IniEncodingTest, LfEndingsStayLf) {
    WriteBytes(m_file, Bytes("[A]\nx=测试\n"));
    ASSERT_TRUE(ini::WriteString(m_file, L"A", L"y", L"二"));
    EXPECT_EQ(ReadBytes(m_file), Bytes("[A]\nx=测试\ny=二\n"));
}

TEST_P(IniEncodingTest, ValueOutsideTheEncodingIsRefusedAndTheFileKept) {
    WriteBytes(m_file, Bytes(kSettings));
    const std::string before = ReadBytes(m_file);
    // U+1F600 is outside GBK; every Unicode encoding holds it.
    const bool heldByEncoding = GetParam().encoding != ETextEncoding::Gbk;
    std::wstring why;
    EXPECT_EQ(ini::WriteString(m_file, L"ResultPrompt", L"Prompt", L"通过\U0001F600", &why),
              heldByEncoding);
    if (heldByEncoding) {
        EXPECT_TRUE(why.empty());
        EXPECT_EQ(ini::ReadString(m_file, L"ResultPrompt", L"Prompt", L""), L"通过\U0001F600");
    } else {
        EXPECT_EQ(ReadBytes(m_file), before);
        EXPECT_NE(why.find(L"GBK"), std::wstring::npos) << WideToUtf8(why);
        EXPECT_NE(why.find(L"U+1F600"), std::wstring::npos) << WideToUtf8(why);
        EXPECT_NE(why.find(L"unchanged"), std::wstring::npos) << WideToUtf8(why);
    }
    // No encoding holds a lone surrogate; nothing is changed for it.
    const std::string now = ReadBytes(m_file);
    why.clear();
    EXPECT_FALSE(ini::WriteString(m_file, L"ResultPrompt", L"Prompt", std::wstring(1, wchar_t(0xD800)), &why));
    EXPECT_NE(why.find(L"U+D800"), std::wstring::npos) << WideToUtf8(why);
    EXPECT_EQ(ReadBytes(m_file), now);
}

TEST_P(IniEncodingTest, SettingsObjectReadsThePromptAndWritesTheCheckFlag) {
    WriteBytes(m_file, Bytes("[ResultPrompt]\r\nPrompt=\"所有温度下扫描通过\"\r\n"
                             "[IsCheckLogFile]\r\nEnable=1\r\n"));
    CSettingsFile settings;
    settings.SetPath(m_file);
    EXPECT_EQ(settings.ReadResultPrompt(kResultPromptDefaultOrlo),
              std::optional<std::wstring>(L"所有温度下扫描通过"));
    ASSERT_TRUE(settings.WriteCheckLogFile(false));
    EXPECT_EQ(ReadBytes(m_file), Bytes("[ResultPrompt]\r\nPrompt=\"所有温度下扫描通过\"\r\n"
                                       "[IsCheckLogFile]\r\nEnable=0\r\n"));
    EXPECT_FALSE(settings.ReadCheckLogFile());
}

INSTANTIATE_TEST_SUITE_P(Encodings, IniEncodingTest, ::testing::ValuesIn(kEncodings),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TextEncoding, DetectionByByteOrderMarkValidityAndStrayBytes) {
    struct Case {
        const char* what;
        std::string bytes;
        ETextEncoding encoding;
        size_t bom;
        size_t strays;
    } cases[] = {
        {"empty", "", ETextEncoding::Utf8, 0, 0},
        {"ASCII", "[A]\r\nk=v\r\n", ETextEncoding::Utf8, 0, 0},
        {"UTF-8", "k=\xE6\xB5\x8B", ETextEncoding::Utf8, 0, 0},
        {"UTF-8 BOM", "\xEF\xBB\xBFk=1", ETextEncoding::Utf8, 3, 0},
        {"UTF-16LE BOM", std::string("\xFF\xFEk\0", 4), ETextEncoding::Utf16Le, 2, 0},
        {"UTF-16BE BOM", std::string("\xFE\xFF\0k", 4), ETextEncoding::Utf16Be, 2, 0},
        {"UTF-16 odd byte", std::string("\xFF\xFEk\0=", 5), ETextEncoding::Utf16Le, 2, 1},
        {"UTF-16 lone surrogate", std::string("\xFF\xFE\x00\xD8", 4), ETextEncoding::Utf16Le, 2, 2},
        {"GBK", "k=\xB2\xE2\xCA\xD4", ETextEncoding::Gbk, 0, 0},
        {"GB18030 four bytes", "k=\x95\x32\x82\x36", ETextEncoding::Gbk, 0, 0},
        {"code-page euro", "k=\x80", ETextEncoding::Gbk, 0, 0},
        {"GBK with a stray byte", "k=\xB2\xE2\xFF", ETextEncoding::Gbk, 0, 1},
        {"UTF-8 with a stray byte", "k=\xE6\xB5\x8B\r\nj=\xFF\r\n", ETextEncoding::Utf8, 0, 1},
        {"tie goes to UTF-8", "k=\xFF", ETextEncoding::Utf8, 0, 1},
    };
    for (const auto& c : cases) {
        const STextDetection d = DetectTextEncoding(c.bytes);
        EXPECT_EQ(d.encoding, c.encoding) << c.what;
        EXPECT_EQ(d.bomBytes, c.bom) << c.what;
        EXPECT_EQ(d.strayBytes, c.strays) << c.what;
    }
}

TEST(TextEncoding, EncodeAndDecodeAgreeWithTheCodePages) {
    struct Case {
        std::wstring text;
        ETextEncoding encoding;
        std::string bytes;
    } cases[] = {
        {L"测试通过", ETextEncoding::Gbk, "\xB2\xE2\xCA\xD4\xCD\xA8\xB9\xFD"},
        {L"k=€", ETextEncoding::Gbk, "k=\x80"},
        {L"测试通过", ETextEncoding::Utf16Le, "\x4B\x6D\xD5\x8B\x1A\x90\xC7\x8F"},
        {L"测", ETextEncoding::Utf16Be, "\x6D\x4B"},
        {L"\U00020000", ETextEncoding::Utf16Le, std::string("\x40\xD8\x00\xDC", 4)},
        {L"测", ETextEncoding::Utf8, "\xE6\xB5\x8B"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeText(c.text, c.encoding), std::optional<std::string>(c.bytes))
            << TextEncodingName(c.encoding);
        size_t strays = 99;
        EXPECT_EQ(DecodeText(c.bytes, c.encoding, &strays), c.text) << TextEncodingName(c.encoding);
        EXPECT_EQ(strays, 0u);
    }
    // GB18030 four-byte characters decode, though GBK cannot hold them for writing.
    EXPECT_EQ(DecodeText("\x95\x32\x82\x36", ETextEncoding::Gbk), L"\U00020000");
    size_t unheld = 0;
    EXPECT_FALSE(EncodeText(L"ab\U00020000c", ETextEncoding::Gbk, &unheld).has_value());
    EXPECT_EQ(unheld, 2u);
    EXPECT_FALSE(EncodeText(L"a\x110000", ETextEncoding::Utf8, &unheld).has_value());
    EXPECT_EQ(unheld, 1u);
    // A stray byte reads as the character of the same value and decoding goes on.
    size_t strays = 0;
    EXPECT_EQ(DecodeText("\xB2\xE2\xFF\xB2\xE2", ETextEncoding::Gbk, &strays), L"测\xFF测");
    EXPECT_EQ(strays, 1u);
}

TEST(IniQuotesAndNumbers, QuotedValuesAndDefaults) {
    CScratch scratch("q");
    const fs::path file = scratch.File("q.ini");
    struct Case {
        const char* line;
        std::wstring expected;
    } cases[] = {
        {"k=\"val\"", L"val"},
        {"k=  \"val\"  ", L"val"},
        {"k=\"\"", L""},
        {"k=\"", L"\""},
        {"k=\"a\"b\"", L"a\"b"},
        {"k=\"\"x\"\"", L"\"x\""},
        {"k=\"open", L"\"open"},
        {"k=close\"", L"close\""},
        {"k='single'", L"'single'"},
        {"k=a \"b\" c", L"a \"b\" c"},
    };
    for (const auto& c : cases) {
        WriteBytes(file, std::string("[S]\r\n") + c.line + "\r\n");
        EXPECT_EQ(ini::ReadString(file, L"S", L"k", L""), c.expected) << c.line;
    }
    struct Default {
        std::wstring given;
        std::wstring expected;
    } defaults[] = {
        {L"abc  \t ", L"abc"}, {L"  a b ", L"  a b"}, {L"   ", L""}, {L"x", L"x"}, {L"", L""}};
    for (const auto& d : defaults) {
        EXPECT_EQ(ini::ReadString(file, L"S", L"missing", d.given), d.expected) << WideToUtf8(d.given);
        EXPECT_EQ(ini::ReadString(scratch.File("none.ini"), L"S", L"k", d.given), d.expected);
    }
    // Cut after the blanks are gone: "ab" of "ab   " in a buffer of 3.
    EXPECT_EQ(ini::ReadString(file, L"S", L"missing", L"ab   ", 3), L"ab");
}

TEST(IniQuotesAndNumbers, QuotedValueWrittenReadsBackAsGiven) {
    CScratch scratch("w");
    const fs::path file = scratch.File("w.ini");
    const std::wstring values[] = {L"\"q\"", L"\"\"", L"\"a\" and \"b\"", L"plain", L"\"half"};
    for (const auto& v : values) {
        ASSERT_TRUE(ini::WriteString(file, L"S", L"k", v)) << WideToUtf8(v);
        EXPECT_EQ(ini::ReadString(file, L"S", L"k", L""), v) << WideToUtf8(v);
    }
    EXPECT_EQ(ReadBytes(file), "[S]\r\nk=\"half\r\n");
    ASSERT_TRUE(ini::WriteString(file, L"S", L"k", L"\"q\""));
    EXPECT_EQ(ReadBytes(file), "[S]\r\nk=\"\"q\"\"\r\n");
}

TEST(IniQuotesAndNumbers, FileThatIsNoEncodingIsReadAndItsBytesKept) {
    CScratch scratch("n");
    const fs::path file = scratch.File("n.ini");
    // GBK with a stray 0xFF and a lead byte cut by the line end.
    const std::string bytes = "[A]\r\nx=\xB2\xE2\xFF\r\ny=\xB2\r\nz=7\r\n";
    WriteBytes(file, bytes);
    EXPECT_EQ(ini::ReadString(file, L"A", L"x", L""), L"测\xFF");
    EXPECT_EQ(ini::ReadString(file, L"A", L"y", L""), L"\xB2");
    EXPECT_EQ(ini::ReadInt(file, L"A", L"z", 0), 7);
    ASSERT_TRUE(ini::WriteString(file, L"A", L"z", L"通过"));
    EXPECT_EQ(ReadBytes(file), "[A]\r\nx=\xB2\xE2\xFF\r\ny=\xB2\r\nz=\xCD\xA8\xB9\xFD\r\n");
    // A UTF-16 file with an odd last byte keeps it at the end.
    const std::string odd = std::string("\xFF\xFE[\0A\0]\0\r\0\n\0x\0=\0" "1\0", 18) + "!";
    WriteBytes(file, odd);
    EXPECT_EQ(ini::ReadInt(file, L"A", L"x", 0), 1);
    ASSERT_TRUE(ini::WriteString(file, L"B", L"y", L"2"));
    EXPECT_EQ(ReadBytes(file), odd.substr(0, 18) + std::string("\r\0\n\0[\0B\0]\0\r\0\n\0y\0=\0" "2\0\r\0\n\0", 24) + "!");
}

TEST(IniQuotesAndNumbers, WriteThatWouldTipTheEncodingIsRefused) {
    CScratch scratch("t");
    const fs::path file = scratch.File("t.ini");
    // GBK whose only Chinese is the value replaced: "一" in GBK (D2 BB) is also valid UTF-8,
    // so the file would read as UTF-8 afterwards and the value as another character.
    const std::string gbk = "[A]\r\nk=\xB2\xE2\xCA\xD4\r\n";
    WriteBytes(file, gbk);
    std::wstring why;
    EXPECT_FALSE(ini::WriteString(file, L"A", L"k", L"一", &why));
    EXPECT_EQ(ReadBytes(file), gbk);
    EXPECT_NE(why.find(L"UTF-8"), std::wstring::npos) << WideToUtf8(why);
    // With other Chinese text left in the file the same value is written in GBK, and an
    // ASCII value leaves a file that reads the same in either encoding.
    WriteBytes(file, gbk + "j=\xB2\xE2\r\n");
    ASSERT_TRUE(ini::WriteString(file, L"A", L"k", L"一"));
    EXPECT_EQ(ReadBytes(file), "[A]\r\nk=\xD2\xBB\r\nj=\xB2\xE2\r\n");
    EXPECT_EQ(ini::ReadString(file, L"A", L"k", L""), L"一");
    WriteBytes(file, gbk);
    ASSERT_TRUE(ini::WriteString(file, L"A", L"k", L"1"));
    EXPECT_EQ(ReadBytes(file), "[A]\r\nk=1\r\n");
}

// The GBK and UTF-16 copies of the Orlo settings sample, saved as Windows saves them (CR LF;
// UTF-16 LE with byte-order mark), read key for key as the UTF-8 sample does.
TEST(IniFixtures, WindowsCopiesReadAsTheUtf8Sample) {
    const fs::path sample = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon_orlo" / "QuillonOrlo.ini";
    const fs::path fixtures = fs::path(SUITE_TEST_DIR) / "fixtures";
    const struct {
        const char* name;
        ETextEncoding encoding;
        std::string crlf;
    } copies[] = {{"QuillonOrlo_gbk.ini", ETextEncoding::Gbk, "\r\n"},
                  {"QuillonOrlo_utf16.ini", ETextEncoding::Utf16Le, std::string("\r\0\n\0", 4)}};
    const auto sections = ini::ReadSectionNames(sample);
    ASSERT_GE(sections.size(), 3u);
    for (const auto& [name, encoding, crlf] : copies) {
        const fs::path copy = fixtures / name;
        const std::string bytes = ReadBytes(copy);
        EXPECT_EQ(DetectTextEncoding(bytes).encoding, encoding) << name;
        EXPECT_NE(bytes.find(crlf), std::string::npos) << name;
        EXPECT_EQ(ini::ReadSectionNames(copy), sections) << name;
        size_t keys = 0;
        for (const auto& section : sections) {
            const auto lines = ini::ReadSection(sample, section, 65536);
            EXPECT_EQ(ini::ReadSection(copy, section, 65536), lines) << name;
            for (const auto& line : lines) {
                const std::wstring key = line.substr(0, line.find(L'='));
                EXPECT_EQ(ini::ReadString(copy, section, key, L"\x1"),
                          ini::ReadString(sample, section, key, L"\x2"))
                    << name << " " << WideToUtf8(key);
                ++keys;
            }
        }
        EXPECT_GT(keys, 0u);
        EXPECT_EQ(ini::ReadString(copy, L"ResultPrompt", L"Prompt", L""), L"所有温度下扫描通过, 请使用推荐参数");
    }
}

} // namespace
