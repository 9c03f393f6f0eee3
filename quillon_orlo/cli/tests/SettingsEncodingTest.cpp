// quillon-orlo-cli with its settings file saved as a Chinese Windows system saves it (GBK, or
// UTF-16 LE with byte-order mark; CR LF) gives the document it gives with the UTF-8 file.

#include "TextEncoding.h"
#include "WindowsSavedText.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace fs = std::filesystem;
using nlohmann::json;
using testsupport::ReadAll;
using testsupport::RunCommand;
using testsupport::SavedAs;
using testsupport::WithCrLf;

namespace {

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon_orlo";

json RunJson(const std::string& args, int& exitCode) {
    return json::parse(
        RunCommand(std::string("'") + ORLO_CLI_PATH + "' " + args + " --json 2>/dev/null",
                   exitCode),
        nullptr, false);
}

TEST(OrloCliSettingsEncoding, GbkAndUtf16SettingsGiveTheUtf8Document) {
    const fs::path dir = fs::temp_directory_path() / ("orlo_cli_enc_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string text = WithCrLf(ReadAll(kSamples / "QuillonOrlo.ini"));
    const std::string folders = " --normal '" + (kSamples / "normal").string() + "' --low '" +
                                (kSamples / "low").string() + "' --high '" +
                                (kSamples / "high").string() + "'";
    const std::pair<const char*, ETextEncoding> copies[] = {{"utf8.ini", ETextEncoding::Utf8},
                                                            {"gbk.ini", ETextEncoding::Gbk},
                                                            {"utf16.ini", ETextEncoding::Utf16Le}};
    json reference;
    for (const auto& [name, encoding] : copies) {
        const fs::path settings = dir / name;
        std::ofstream(settings, std::ios::binary) << SavedAs(text, encoding);
        ASSERT_EQ(DetectTextEncoding(ReadAll(settings)).encoding, encoding) << name;
        int code = -1;
        const json doc =
            RunJson("scan" + folders + " --settings '" + settings.string() + "'", code);
        ASSERT_TRUE(doc.is_object()) << name;
        EXPECT_EQ(code, 0) << name;
        if (encoding == ETextEncoding::Utf8) {
            reference = doc;
            // The thresholds and the Chinese pass prompt of the file took effect.
            EXPECT_EQ(doc["verdict"]["pass"], true);
            ASSERT_EQ(doc["messages"].size(), 1u);
            EXPECT_EQ(doc["messages"][0]["text"], "所有温度下扫描通过, 请使用推荐参数");
        } else {
            EXPECT_EQ(doc, reference) << name << "\n" << doc.dump().substr(0, 400);
        }
        const std::string after = ReadAll(settings);
        EXPECT_EQ(DetectTextEncoding(after).encoding, encoding) << name;
        EXPECT_EQ(after, SavedAs(text, encoding)) << name;
    }
    fs::remove_all(dir);
}

} // namespace
