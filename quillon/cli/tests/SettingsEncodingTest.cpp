// quillon-cli with its settings file saved as a Chinese Windows system saves it (GBK, or
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

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon";
const char* const kPrompt = "扫描通过, 请把最佳参数写入镜像";

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
    const std::string command = std::string("'") + QUILLON_CLI_PATH + "' " + args + " --json 2>/dev/null";
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

TEST(QuillonCliSettingsEncoding, GbkAndUtf16SettingsGiveTheUtf8Document) {
    const fs::path dir = fs::temp_directory_path() / ("quillon_cli_enc_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    // The sample with its pass prompt switched on and written in Chinese, in quotes.
    std::string text = WithCrLf(ReadAll(kSamples / "Quillon.ini"));
    const size_t prompt = text.find("Prompt=");
    ASSERT_NE(prompt, std::string::npos);
    text.replace(prompt, text.find('\r', prompt) - prompt, std::string("Prompt=\"") + kPrompt + "\"");
    ASSERT_NE(text.find("Enabel=0"), std::string::npos);
    text.replace(text.find("Enabel=0"), 8, "Enabel=1");

    const std::pair<const char*, ETextEncoding> copies[] = {
        {"utf8.ini", ETextEncoding::Utf8}, {"gbk.ini", ETextEncoding::Gbk}, {"utf16.ini", ETextEncoding::Utf16Le}};
    json reference;
    for (const auto& [name, encoding] : copies) {
        const fs::path settings = dir / name;
        std::ofstream(settings, std::ios::binary) << Saved(text, encoding);
        ASSERT_EQ(DetectTextEncoding(ReadAll(settings)).encoding, encoding) << name;
        int code = -1;
        const json doc = RunJson("analyse '" + (kSamples / "lpddr2_pass").string() + "' --settings '" +
                                     settings.string() + "'",
                                 code);
        ASSERT_TRUE(doc.is_object()) << name;
        EXPECT_EQ(code, 0) << name;
        if (encoding == ETextEncoding::Utf8) {
            reference = doc;
            // The Chinese prompt arrived, without its quotes.
            ASSERT_FALSE(doc["messages"].empty());
            EXPECT_EQ(doc["messages"].back()["text"], kPrompt);
        } else {
            EXPECT_EQ(doc, reference) << name << "\n" << doc.dump().substr(0, 400);
        }
        // The analysis wrote the check flag back in the file's own encoding.
        const std::string after = ReadAll(settings);
        EXPECT_EQ(DetectTextEncoding(after).encoding, encoding) << name;
        EXPECT_EQ(after, Saved(text, encoding)) << name;
    }
    fs::remove_all(dir);
}

} // namespace
