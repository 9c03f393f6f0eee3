// quillon-orlo-cli with its settings file saved as a Chinese Windows system saves it (GBK, or
// UTF-16 LE with byte-order mark; CR LF) gives the document it gives with the UTF-8 file.

#include "OrloCli.h"

#include "ScratchFolder.h"
#include "TextEncoding.h"
#include "WindowsSavedText.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace fs = std::filesystem;
using nlohmann::json;
using testsupport::ReadAll;
using testsupport::SavedAs;
using testsupport::WithCrLf;

namespace {

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon_orlo";

json RunJson(std::vector<std::string> args, int& exitCode) {
    args.push_back("--json");
    std::ostringstream out;
    std::ostringstream err;
    exitCode = orlo::RunOrloCli(args, out, err);
    return json::parse(out.str(), nullptr, false);
}

TEST(OrloCliSettingsEncoding, GbkAndUtf16SettingsGiveTheUtf8Document) {
    const testsupport::CScratchFolder dir("orlo_cli_enc");
    const std::string text = WithCrLf(ReadAll(kSamples / "QuillonOrlo.ini"));
    json reference;
    for (const auto& [name, encoding] : testsupport::kWindowsSavings) {
        const fs::path settings = dir / (std::string(name) + ".ini");
        ASSERT_TRUE(testsupport::WriteSavedAs(settings, text, encoding)) << name;
        int code = -1;
        const json doc = RunJson({"scan", "--normal", (kSamples / "normal").string(), "--low",
                                  (kSamples / "low").string(), "--high",
                                  (kSamples / "high").string(), "--settings", settings.string()},
                                 code);
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
}

} // namespace
