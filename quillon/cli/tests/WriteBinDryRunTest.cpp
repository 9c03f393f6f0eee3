// quillon-cli --write-bin IMAGE --dry-run: the words before and after, and nothing written;
// then the real write stores exactly those words and keeps the original as IMAGE.bak.

#include "QuillonCli.h"

#include "FileUtil.h"
#include "ProgramRun.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon";

using SRun = testsupport::SProgramRun;

SRun RunProgram(const std::string& args) {
    return testsupport::RunProgram(QUILLON_CLI_PATH, args);
}

std::string Quote(const fs::path& path) {
    return testsupport::ShellQuote(path);
}

std::string Bytes(const fs::path& path) {
    return testsupport::GetBytes(path);
}

uint32_t WordAt(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

struct SDryRunCase {
    const char* name;
    const char* folder;
    const char* type;
    size_t firstOffset;
    size_t wordCount;
};

class WriteBinDryRun : public ::testing::TestWithParam<SDryRunCase> {
protected:
    void SetUp() override {
        std::ofstream(m_settings) << "[LogType]\nType=1\n";
        testsupport::PutBytes(m_image, testsupport::RandomBytes(40000, 7));
    }
    std::string Args(bool dryRun, bool asJson) const {
        return "analyse " + Quote(kSamples / GetParam().folder) + " --type " + GetParam().type +
               " --settings " + Quote(m_settings) + " --write-bin " + Quote(m_image) +
               (dryRun ? " --dry-run" : "") + (asJson ? " --json" : "");
    }
    testsupport::CScratchFolder m_scratch{"quillon_dry_run"};
    const fs::path m_dir = m_scratch.Path();
    const fs::path m_settings = m_dir / "test.ini";
    const fs::path m_image = m_dir / "fw.bin";
};

} // namespace

TEST_P(WriteBinDryRun, ListsTheWordsWritesNothingAndTheWriteMatchesIt) {
    const std::string original = Bytes(m_image);
    const SRun dry = RunProgram(Args(true, true));
    ASSERT_EQ(dry.m_nExitCode, 0) << dry.m_strOut;
    const json doc = json::parse(dry.m_strOut);
    EXPECT_EQ(doc["writeBin"]["written"], false);
    EXPECT_EQ(doc["writeBin"]["dryRun"], true);
    const json& words = doc["writeBin"]["words"];
    ASSERT_EQ(words.size(), GetParam().wordCount);
    EXPECT_EQ(words[0]["offset"], GetParam().firstOffset);
    for (const json& word : words) {
        EXPECT_EQ(word["before"], WordAt(original, word["offset"].get<size_t>()));
    }
    EXPECT_EQ(Bytes(m_image), original);
    EXPECT_FALSE(fs::exists(m_dir / "fw.bin.bak"));

    // The text report shows the same words.
    const SRun text = RunProgram(Args(true, false));
    EXPECT_EQ(text.m_nExitCode, 0);
    char line[64];
    std::snprintf(line, sizeof line, "0x%04zX: 0x%08X -> 0x%08X", words[0]["offset"].get<size_t>(),
                  words[0]["before"].get<uint32_t>(), words[0]["after"].get<uint32_t>());
    EXPECT_NE(text.m_strOut.find(line), std::string::npos) << text.m_strOut;
    EXPECT_EQ(Bytes(m_image), original);

    // The real write stores exactly the words shown, and keeps the original.
    const SRun write = RunProgram(Args(false, true));
    ASSERT_EQ(write.m_nExitCode, 0);
    EXPECT_EQ(json::parse(write.m_strOut)["writeBin"]["written"], true);
    const std::string after = Bytes(m_image);
    for (const json& word : words) {
        EXPECT_EQ(WordAt(after, word["offset"].get<size_t>()), word["after"].get<uint32_t>());
    }
    EXPECT_EQ(Bytes(m_dir / "fw.bin.bak"), original);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, WriteBinDryRun,
    ::testing::Values(SDryRunCase{"Lpddr2", "lpddr2_pass", "lpddr2", 0x5C00, 7},
                      SDryRunCase{"EmmcSdr50", "emmc_sdr50", "emmc-sdr50", 0x5C80, 8}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WriteBinDryRunArgs, DryRunNeedsAnImage) {
    const char* argv[] = {"quillon-cli", "analyse", "dir", "--dry-run"};
    int exitCode = -1;
    std::string message;
    EXPECT_FALSE(ParseAnalyseArgs(4, argv, exitCode, message).has_value());
    EXPECT_EQ(exitCode, 64);
    const char* withImage[] = {"quillon-cli", "analyse", "dir",
                               "--write-bin", "fw.bin",  "--dry-run"};
    const auto options = ParseAnalyseArgs(6, withImage, exitCode, message);
    ASSERT_TRUE(options.has_value()) << message;
    EXPECT_TRUE(options->m_bDryRun);
}
