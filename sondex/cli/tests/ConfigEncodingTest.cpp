// sondex-cli with its project configuration saved as a Chinese Windows system saves it (GBK, or
// UTF-16 LE with byte-order mark; CR LF) gives the document it gives with the UTF-8 file.

#include "SondexCliFixture.h"

#include "ScratchFolder.h"
#include "TextEncoding.h"
#include "WindowsSavedText.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using nlohmann::json;
using testsupport::ReadAll;
using testsupport::SavedAs;
using testsupport::WithCrLf;

namespace {

const fs::path kSamples = kSondexSamples;

using SondexCliConfigEncoding = SondexCliFixture;

TEST_F(SondexCliConfigEncoding, GbkAndUtf16ConfigurationGivesTheUtf8Document) {
    const testsupport::CScratchFolder scratch("sondex_cli_enc");
    const fs::path dir = scratch.Path();
    const std::string text = WithCrLf(ReadAll(kSamples / "Sondex.ini"));
    json reference;
    std::string referenceDat;
    for (const auto& [name, encoding] : testsupport::kWindowsSavings) {
        fs::create_directories(dir / name);
        const fs::path config = dir / name / "Sondex.ini";
        ASSERT_TRUE(testsupport::WriteSavedAs(config, text, encoding)) << name;
        // The sample folder holds a failing and a cut log: exit 1.
        json doc = RunJson({"analyse", (kSamples / "logs").string(), "--config", config.string()},
                           1);
        ASSERT_TRUE(doc.is_object()) << name;
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
}

} // namespace
