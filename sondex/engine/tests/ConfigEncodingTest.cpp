// The project configuration saved on a Chinese Windows system (GBK, or UTF-16 LE with
// byte-order mark; CR LF) compiles into the records of the UTF-8 file: notice lines and
// result texts included.

#include "ProjectConfig.h"
#include "TextEncoding.h"
#include "TextUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

using namespace sondex;

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ProjectConfigEncoding, GbkAndUtf16IniCompileAsTheUtf8Ini) {
    const fs::path sample = fs::path(SUITE_SOURCE_DIR) / "samples" / "sondex" / "Sondex.ini";
    const fs::path dir = fs::temp_directory_path() / ("sondex_cfg_enc_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::vector<SDatRecord> reference = CProjectConfig::CompileIni(sample);
    // The sample's notice lines (type 0) and result texts (type 7) are Chinese.
    std::vector<std::wstring> texts;
    for (const auto& r : reference) {
        if (r.type == 0 || r.type == 7) {
            texts.push_back(r.text);
        }
    }
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), L"请检查串口连接后重新扫描");

    const std::wstring text = Utf8ToWide(ReadAll(sample));
    const struct {
        const char* name;
        ETextEncoding encoding;
        const char* bom;
    } copies[] = {{"gbk.ini", ETextEncoding::Gbk, ""},
                  {"utf16le.ini", ETextEncoding::Utf16Le, "\xFF\xFE"},
                  {"utf16be.ini", ETextEncoding::Utf16Be, "\xFE\xFF"}};
    for (const auto& c : copies) {
        const auto bytes = EncodeText(text, c.encoding);
        ASSERT_TRUE(bytes.has_value()) << c.name;
        std::ofstream(dir / c.name, std::ios::binary) << c.bom << *bytes;
        EXPECT_EQ(CProjectConfig::CompileIni(dir / c.name), reference) << c.name;
    }
    fs::remove_all(dir);
}

} // namespace
