#include "AnalyseHynix.h"

#include "AnalyseFixture.h"
#include "SettingsFile.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon";

class AnalyseHynixTest : public CAnalyseFixture {
protected:
    AnalyseHynixTest() : CAnalyseFixture("analyse_hynix_") {}
    SAnalyseOutput Run(const fs::path& dir, std::optional<fs::path> image = std::nullopt) {
        SAnalyseOptions options;
        options.m_strDirectory = PathToWide(dir);
        options.m_nLogType = 3;
        if (image) {
            options.m_strImage = PathToWide(*image);
        }
        m_prompt = std::make_unique<CConsolePrompt>(false);
        m_prompt->SetEcho(false);
        CScopedPrompt scope(*m_prompt);
        return RunAnalyse(options, *m_prompt);
    }
};

} // namespace

TEST_F(AnalyseHynixTest, SamplesGiveTheDocumentedDocument) {
    const SAnalyseOutput out = Run(kSamples / "hynix");
    const json& doc = out.m_doc;
    EXPECT_EQ(doc["logType"], 3);
    EXPECT_EQ(doc["scanned"], true);
    EXPECT_TRUE(doc["messages"].empty());
    ASSERT_EQ(doc["pages"].size(), 4u);
    const json& merged = doc["pages"][0];
    EXPECT_EQ(merged["name"], "统计图");
    EXPECT_EQ(merged["merged"], true);
    EXPECT_EQ(merged["verdict"]["made"], true);
    EXPECT_EQ(merged["verdict"]["conclusion"], "FAIL"); // the weak board narrows the window
    ASSERT_EQ(merged["chart"].size(), 4u);
    EXPECT_EQ(merged["chart"][0].get<std::string>().size(), 56u);
    ASSERT_EQ(merged["chartText"].size(), 4u);
    ASSERT_EQ(merged["rates"].size(), 4u);
    ASSERT_FALSE(merged["bestList"].empty());
    EXPECT_EQ(merged["bestList"][0][1], "48/34");
    EXPECT_TRUE(merged["bestPoint"].is_null());
    const json& board = doc["pages"][1];
    EXPECT_EQ(board["name"], "hynix_board01.txt");
    EXPECT_EQ(board["verdict"]["conclusion"], "PASS");
    EXPECT_EQ(board["bestRecords"].size(), 4u);
    EXPECT_EQ(board["bestRecords"][0][3], 48);
    EXPECT_TRUE(board["chartText"].is_null());
    EXPECT_EQ(doc["pages"][3]["verdict"]["conclusion"], "FAIL");
    EXPECT_EQ(out.m_nExitCode, 1);
}

TEST_F(AnalyseHynixTest, WriteBinDoesNothing) {
    const fs::path image = m_dir / "fw.bin";
    std::ofstream(image, std::ios::binary) << std::string(0x6000, 'x');
    const SAnalyseOutput out = Run(kSamples / "hynix", image);
    EXPECT_EQ(out.m_doc["writeBin"], (json{{"attempted", true}, {"written", false}}));
    EXPECT_TRUE(out.m_doc["messages"].empty());
    EXPECT_EQ(out.m_nExitCode, 2);
}
