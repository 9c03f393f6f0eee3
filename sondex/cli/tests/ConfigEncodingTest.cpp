// sondex-cli with its project configuration saved as a Chinese Windows system saves it (GBK, or
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

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "sondex";

json RunJson(const std::string& args, int& exitCode) {
    return json::parse(
        RunCommand(std::string("'") + SONDEX_CLI_PATH + "' " + args + " --json 2>/dev/null",
                   exitCode),
        nullptr, false);
}

TEST(SondexCliConfigEncoding, GbkAndUtf16ConfigurationGivesTheUtf8Document) {
    const fs::path dir =
        fs::temp_directory_path() / ("sondex_cli_enc_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    const std::string text = WithCrLf(ReadAll(kSamples / "Sondex.ini"));
    const std::pair<const char*, ETextEncoding> copies[] = {{"utf8", ETextEncoding::Utf8},
                                                            {"gbk", ETextEncoding::Gbk},
                                                            {"utf16", ETextEncoding::Utf16Le}};
    json reference;
    std::string referenceDat;
    for (const auto& [name, encoding] : copies) {
        fs::create_directories(dir / name);
        const fs::path config = dir / name / "Sondex.ini";
        std::ofstream(config, std::ios::binary) << SavedAs(text, encoding);
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
            EXPECT_NE(dat.find(SavedAs("所有log均已通过测试", ETextEncoding::Utf16Le).substr(2)),
                      std::string::npos);
            ASSERT_EQ(doc["messages"].size(), 1u);
            EXPECT_EQ(doc["messages"][0]["text"],
                      "log文件\tK7_board05.Txt, 请检查串口连接后重新扫描");
        } else {
            EXPECT_EQ(doc, reference) << name << "\n" << doc.dump().substr(0, 400);
            EXPECT_EQ(dat, referenceDat) << name;
        }
    }
    fs::remove_all(dir);
}

} // namespace
