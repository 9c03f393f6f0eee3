// sondex-cli with its project configuration saved as a Chinese Windows system saves it (GBK, or
// UTF-16 LE with byte-order mark; CR LF) gives the document it gives with the UTF-8 file.

#include "TextEncoding.h"
#include "TextUtil.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "sondex";

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Every line ending as CR LF, as a Windows editor saves the file.
std::string WithCrLf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            out += '\r';
        }
        out += text[i];
    }
    return out;
}

std::string Saved(const std::string& utf8, ETextEncoding encoding) {
    const auto bytes = EncodeText(Utf8ToWide(utf8), encoding);
    EXPECT_TRUE(bytes.has_value());
    return (encoding == ETextEncoding::Utf16Le ? std::string("\xFF\xFE") : std::string()) +
           bytes.value_or("");
}

json RunJson(const std::string& args, int& exitCode) {
    const std::string command = std::string("'") + SONDEX_CLI_PATH + "' " + args + " --json 2>/dev/null";
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe != nullptr) {
        std::array<char, 4096> buffer{};
        size_t n = 0;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
            out.append(buffer.data(), n);
        }
        const int status = ::pclose(pipe);
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return json::parse(out, nullptr, false);
}

TEST(SondexCliConfigEncoding, GbkAndUtf16ConfigurationGivesTheUtf8Document) {
    const fs::path dir = fs::temp_directory_path() / ("sondex_cli_enc_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    const std::string text = WithCrLf(ReadAll(kSamples / "Sondex.ini"));
    const std::pair<const char*, ETextEncoding> copies[] = {
        {"utf8", ETextEncoding::Utf8}, {"gbk", ETextEncoding::Gbk}, {"utf16", ETextEncoding::Utf16Le}};
    json reference;
    std::string referenceDat;
    for (const auto& [name, encoding] : copies) {
        fs::create_directories(dir / name);
        const fs::path config = dir / name / "Sondex.ini";
        std::ofstream(config, std::ios::binary) << Saved(text, encoding);
        ASSERT_EQ(DetectTextEncoding(ReadAll(config)).encoding, encoding) << name;
        int code = -1;
        json doc = RunJson("analyse '" + (kSamples / "logs").string() + "' --config '" +
                               config.string() + "'",
                           code);
        ASSERT_TRUE(doc.is_object()) << name;
        EXPECT_EQ(code, 1) << name; // the sample folder holds a failing and a cut log
        EXPECT_EQ(doc["config"]["loaded"], true) << name;
        doc.erase("config"); // the paths of this copy
        // The compiled configuration: notice lines and result texts in UTF-16 records.
        const std::string dat = ReadAll(dir / name / "Sondex.dat");
        if (encoding == ETextEncoding::Utf8) {
            reference = doc;
            referenceDat = dat;
            EXPECT_NE(dat.find(Saved("所有log均已通过测试", ETextEncoding::Utf16Le).substr(2)),
                      std::string::npos);
            ASSERT_EQ(doc["messages"].size(), 1u);
            EXPECT_EQ(doc["messages"][0]["text"], "log文件\tK7_board05.Txt, 请检查串口连接后重新扫描");
        } else {
            EXPECT_EQ(doc, reference) << name << "\n" << doc.dump().substr(0, 400);
            EXPECT_EQ(dat, referenceDat) << name;
        }
    }
    fs::remove_all(dir);
}

} // namespace
