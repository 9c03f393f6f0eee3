#include "AnalyseEmmc.h"

#include "AnalyseFixture.h"
#include "FileUtil.h"
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

class AnalyseEmmcTest : public CAnalyseFixture {
protected:
    AnalyseEmmcTest() : CAnalyseFixture("analyse_emmc_") {}
    void SetUp() override {
        CAnalyseFixture::SetUp();
        fs::create_directories(m_dir / "logs");
    }
    fs::path MakeImage(size_t size) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<char>((i * 13 + 5) & 0xFF);
        }
        const fs::path path = m_dir / "fw.bin";
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(size));
        m_image = bytes;
        return path;
    }
    static std::string Bytes(const fs::path& path) {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(path, bytes));
        return bytes;
    }
    SAnalyseOutput Run(const fs::path& dir, int type, std::vector<std::string> emmc = {},
                       std::optional<fs::path> image = std::nullopt) {
        SAnalyseOptions options;
        options.m_strDirectory = PathToWide(dir);
        options.m_nLogType = type;
        options.m_vecEmmc = std::move(emmc);
        if (image) {
            options.m_strImage = PathToWide(*image);
        }
        m_prompt = std::make_unique<CConsolePrompt>(false);
        m_prompt->SetEcho(false);
        CScopedPrompt scope(*m_prompt);
        return RunAnalyse(options, *m_prompt);
    }

    std::string m_image;
};

uint32_t WordAt(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<uint8_t>(bytes[offset + static_cast<size_t>(i)]);
    }
    return value;
}

uint32_t Hex(const json& text) {
    return static_cast<uint32_t>(std::stoul(text.get<std::string>(), nullptr, 16));
}

} // namespace

TEST_F(AnalyseEmmcTest, Sdr50SamplesGiveTheDocumentedDocument) {
    const SAnalyseOutput out = Run(kSamples / "emmc_sdr50", 4);
    const json& doc = out.m_doc;
    EXPECT_EQ(doc["program"], "quillon-cli");
    EXPECT_EQ(doc["logType"], 4);
    EXPECT_EQ(doc["scanned"], true);
    EXPECT_EQ(doc["logMode"], 1);
    EXPECT_TRUE(doc["messages"].empty());
    ASSERT_EQ(doc["pages"].size(), 3u);
    const json& merged = doc["pages"][0];
    EXPECT_EQ(merged["name"], "统计图");
    EXPECT_EQ(merged["merged"], true);
    EXPECT_EQ(merged["analysed"], true);
    ASSERT_TRUE(merged["bestPoint"].is_array());
    ASSERT_EQ(merged["bestPoint"].size(), 7u);
    const json& point = merged["bestPoint"];
    EXPECT_GT(point[6].get<int>(), 0);
    EXPECT_EQ(point[4], 0);
    EXPECT_EQ(point[5], 0);
    // The recommended values are the point's row, column, in-block row and in-block column.
    EXPECT_EQ(Hex(merged["recommended"]["row"]), point[0].get<uint32_t>());
    EXPECT_EQ(Hex(merged["recommended"]["col"]), point[1].get<uint32_t>());
    EXPECT_EQ(Hex(merged["recommended"]["inCol"]), point[2].get<uint32_t>());
    EXPECT_EQ(Hex(merged["recommended"]["inRow"]), point[3].get<uint32_t>());
    EXPECT_EQ(merged["recommended"]["row"].get<std::string>().rfind("0x", 0), 0u);
    ASSERT_FALSE(merged["cells"].empty());
    const json& cell = merged["cells"][0];
    for (const char* key : {"col", "row", "inCol", "inRow", "text", "color"}) {
        EXPECT_TRUE(cell.contains(key)) << key;
    }
    EXPECT_EQ(cell["color"].get<std::string>().size(), 8u); // "0x" and six digits
    EXPECT_TRUE(merged["rates"].is_null());
    EXPECT_TRUE(merged["chart"].is_null());
    // Log tabs show their cells, not a point.
    EXPECT_TRUE(doc["pages"][1]["bestPoint"].is_null());
    EXPECT_EQ(doc["pages"][1]["name"], "sdr50_board01.txt");
    EXPECT_FALSE(doc["pages"][1]["cells"].empty());
    EXPECT_EQ(out.m_nExitCode, 0);
    EXPECT_EQ(doc["summary"]["verdict"], "PASS");
}

TEST_F(AnalyseEmmcTest, Ddr50SamplesAndWriteBin) {
    const fs::path image = MakeImage(0x6000);
    const SAnalyseOutput out = Run(kSamples / "emmc_ddr50", 5, {}, image);
    const json& doc = out.m_doc;
    EXPECT_EQ(doc["logMode"], 0);
    EXPECT_EQ(doc["writeBin"], (json{{"attempted", true}, {"written", true}}));
    EXPECT_EQ(MessageTexts(out), std::vector<std::string>{"写EMMC ddr50数据到bin文件成功"});
    const json& rec = doc["pages"][0]["recommended"];
    const std::string bytes = Bytes(image);
    EXPECT_EQ(WordAt(bytes, 0x5C80), 17u);
    EXPECT_EQ(WordAt(bytes, 0x5C84), 48u);
    EXPECT_EQ(bytes.substr(0x5C88, 24), m_image.substr(0x5C88, 24));
    EXPECT_EQ(WordAt(bytes, 0x5CA0), 0xEAC1DD50u);
    EXPECT_EQ(WordAt(bytes, 0x5CA4), Hex(rec["row"]));
    EXPECT_EQ(WordAt(bytes, 0x5CA8), Hex(rec["col"]));
    EXPECT_EQ(WordAt(bytes, 0x5CAC), Hex(rec["inRow"]));
    EXPECT_EQ(WordAt(bytes, 0x5CB0), Hex(rec["inCol"]));
    EXPECT_EQ(out.m_nExitCode, 0);
}

TEST_F(AnalyseEmmcTest, ShortImageIsRefusedAndKept) {
    const fs::path image = MakeImage(0x5C90);
    const SAnalyseOutput out = Run(kSamples / "emmc_sdr50", 4, {}, image);
    EXPECT_EQ(out.m_doc["writeBin"], (json{{"attempted", true}, {"written", false}}));
    ASSERT_EQ(MessageTexts(out).size(), 1u);
    EXPECT_EQ(MessageTexts(out)[0].rfind("bin file \"", 0), 0u);
    EXPECT_EQ(Bytes(image), m_image);
    EXPECT_EQ(out.m_nExitCode, 2);
}

TEST_F(AnalyseEmmcTest, PanelFieldsFromTheCommandLine) {
    // All four tags: mode 2; the SDR50 samples print no (Y), so the point stays the same.
    SAnalyseOutput out = Run(kSamples / "emmc_sdr50", 4, {"tagY=(Y)"});
    EXPECT_EQ(out.m_doc["logMode"], 2);
    EXPECT_EQ(out.m_doc["emmc"]["tagY"], "(Y)");
    // Tags that make no mode: the scanner's message, then the main dialog's.
    out = Run(kSamples / "emmc_sdr50", 4, {"tagR="});
    EXPECT_EQ(
        MessageTexts(out),
        (std::vector<std::string>{"error flag match error",
                                  "scan EMMC log file failed，please check log file is correct"}));
    EXPECT_EQ(out.m_doc["scanned"], false);
    EXPECT_EQ(out.m_nExitCode, 2);
    // Smaller maxima: a page of 2 x 2 blocks.
    out = Run(kSamples / "emmc_sdr50", 4, {"rowMax=0x1", "colMax=1"});
    EXPECT_EQ(out.m_doc["emmc"]["pageRows"], 2);
    EXPECT_EQ(out.m_doc["emmc"]["pageCols"], 2);
    for (const json& cell : out.m_doc["pages"][0]["cells"]) {
        EXPECT_LE(cell["row"].get<int>(), 1);
        EXPECT_LE(cell["col"].get<int>(), 1);
    }
    out = Run(kSamples / "emmc_sdr50", 4, {"speed=3"});
    EXPECT_EQ(out.m_nExitCode, 64);
}

TEST_F(AnalyseEmmcTest, NoLogsNoVerdict) {
    const SAnalyseOutput out = Run(m_dir / "logs", 5);
    EXPECT_EQ(MessageTexts(out),
              std::vector<std::string>{"find no valid log file, can not made a analysis"});
    EXPECT_EQ(out.m_nExitCode, 2);
    EXPECT_EQ(out.m_doc["scanned"], false);
}
