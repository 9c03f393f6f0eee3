// The Sondex log reader, the document open and the configuration load on the files of
// samples/bad: each gets its designed message and status, a damaged .dat keeps the records
// before the damage, and a refused open leaves no document data.

#include "FileUtil.h"
#include "LogDocument.h"
#include "ProjectConfig.h"
#include "ScanLogReader.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace sondex;

namespace fs = std::filesystem;

namespace {

const fs::path kBad = fs::path(SUITE_SOURCE_DIR) / "samples" / "bad";

class BadInputSondexTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("badinput_sondex_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_pScoped = std::make_unique<CScopedPrompt>(m_prompt);
        // The sample configuration, compiled as the program does at start-up.
        fs::copy_file(fs::path(SUITE_SOURCE_DIR) / "samples" / "sondex" / "Sondex.ini",
                      m_dir / "Sondex.ini");
        ASSERT_TRUE(m_config.Load(m_dir / "Sondex.ini", m_dir / "Sondex.dat"));
        m_pConfig = std::make_unique<CScopedProjectConfig>(m_config);
        ASSERT_TRUE(m_prompt.Texts().empty());
    }
    void TearDown() override {
        m_pConfig.reset();
        m_pScoped.reset();
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    fs::path m_dir;
    CRecordingPrompt m_prompt;
    std::unique_ptr<CScopedPrompt> m_pScoped;
    CProjectConfig m_config;
    std::unique_ptr<CScopedProjectConfig> m_pConfig;
};

} // namespace

TEST_F(BadInputSondexTest, LogsWithoutBlocksAreWrongFormat) {
    for (const char* sample :
         {"empty.txt", "cr_only.txt", "binary_garbage.bin", "ddr_no_data_lines.txt",
          "ddr_nul_bytes.txt", "ddr_line_600.txt", "orlo_line_1100.txt"}) {
        SCOPED_TRACE(sample);
        m_prompt.Clear();
        const fs::path path = kBad / sample;
        CScanLogReader reader(path);
        EXPECT_EQ(reader.ReadLog(), CScanLogReader::kStatusNoBlock);
        EXPECT_TRUE(reader.GetBlocks().empty());
        CLogDocument document;
        EXPECT_FALSE(document.OpenLog(path, {0}));
        EXPECT_EQ(document.GetData(), nullptr);
        EXPECT_EQ(m_prompt.Texts(), std::vector<std::wstring>{L"log file\"" + PathToWide(path) +
                                                              L"\" wrong format, please check it"});
    }
}

TEST_F(BadInputSondexTest, TruncatedLogAsksWhetherToContinue) {
    const fs::path path = kBad / "kestinx_truncated.Txt";
    CScanLogReader reader(path);
    EXPECT_EQ(reader.ReadLog(), CScanLogReader::kStatusIncomplete);
    EXPECT_TRUE(reader.IsStartSeen());
    EXPECT_FALSE(reader.IsEndSeen());
    EXPECT_EQ(reader.GetHeader().project, L"K7");
    ASSERT_EQ(reader.GetBlocks().size(), 1u);
    const std::wstring question =
        L"log文件kestinx_truncated.Txt不完整，将影响分析结果的准确性, 是否继续";
    for (const bool answer : {false, true}) {
        SCOPED_TRACE(answer);
        m_prompt.Clear();
        m_prompt.Script({answer});
        CLogDocument document;
        EXPECT_EQ(document.OpenLog(path, {0}), answer);
        ASSERT_EQ(m_prompt.Records().size(), 1u);
        EXPECT_EQ(m_prompt.Records()[0].text, question);
        EXPECT_EQ(m_prompt.Records()[0].caption, L"警告");
        EXPECT_EQ(document.GetData() != nullptr, answer);
        if (answer) {
            EXPECT_FALSE(document.IsComplete());
        }
    }
}

TEST_F(BadInputSondexTest, MissingLogCannotBeOpened) {
    const fs::path path = m_dir / "missing.Txt";
    CLogDocument document;
    EXPECT_FALSE(document.OpenLog(path, {0}));
    EXPECT_EQ(document.GetReadStatus(), CScanLogReader::kStatusOpenFailed);
    EXPECT_EQ(m_prompt.Texts(),
              (std::vector<std::wstring>{L"open file " + PathToWide(path) + L" failed !",
                                         L"open log file\"" + PathToWide(path) +
                                             L"\" failed, please check it"}));
}

TEST_F(BadInputSondexTest, TruncatedDatKeepsTheRecordsBeforeTheDamage) {
    const fs::path dat = m_dir / "cut.dat";
    fs::copy_file(kBad / "sondex_truncated.dat", dat);
    std::string image;
    ASSERT_TRUE(ReadFileBytes(dat, image));
    std::vector<SDatRecord> records;
    EXPECT_FALSE(CProjectConfig::DecodeImage(image, records));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].type, kDatPrompt);
    EXPECT_EQ(records[0].text, L"Sondex");

    m_prompt.Clear();
    CProjectConfig config;
    EXPECT_TRUE(config.Load(m_dir / "no.ini", dat));
    EXPECT_EQ(m_prompt.Texts(), std::vector<std::wstring>{L"配置文件\"" + PathToWide(dat) +
                                                          L"\" 已损坏，损坏处之后的配置被忽略"});
    EXPECT_EQ(config.GetPromptLines(), std::vector<std::wstring>{L"Sondex"});
    EXPECT_TRUE(config.GetProjectNames().empty());
    // The damaged file is read, never rewritten.
    std::string after;
    ASSERT_TRUE(ReadFileBytes(dat, after));
    EXPECT_EQ(after, image);
}

TEST_F(BadInputSondexTest, GarbageAsDatOrIniGivesNoConfiguration) {
    // Binary garbage as the .dat: damaged at once, nothing configured.
    const fs::path dat = m_dir / "garbage.dat";
    fs::copy_file(kBad / "binary_garbage.bin", dat);
    m_prompt.Clear();
    CProjectConfig fromDat;
    EXPECT_TRUE(fromDat.Load(m_dir / "no.ini", dat));
    EXPECT_EQ(m_prompt.Texts(), std::vector<std::wstring>{L"配置文件\"" + PathToWide(dat) +
                                                          L"\" 已损坏，损坏处之后的配置被忽略"});
    EXPECT_TRUE(fromDat.GetProjectNames().empty());

    // The same garbage, an empty file and a CR-only file as the ini: they compile to nothing.
    for (const char* sample : {"binary_garbage.bin", "empty.txt", "cr_only.txt"}) {
        SCOPED_TRACE(sample);
        m_prompt.Clear();
        const fs::path ini = m_dir / "bad.ini";
        fs::copy_file(kBad / sample, ini, fs::copy_options::overwrite_existing);
        EXPECT_TRUE(CProjectConfig::CompileIni(ini).empty());
        CProjectConfig config;
        EXPECT_TRUE(config.Load(ini, m_dir / "bad.dat"));
        EXPECT_TRUE(m_prompt.Texts().empty());
        EXPECT_TRUE(config.GetProjectNames().empty());
        EXPECT_EQ(fs::file_size(m_dir / "bad.dat"), 0u);
    }
}

TEST_F(BadInputSondexTest, NoIniAndNoDatIsReported) {
    const fs::path dat = m_dir / "none.dat";
    CProjectConfig config;
    EXPECT_FALSE(config.Load(m_dir / "none.ini", dat));
    EXPECT_EQ(m_prompt.Texts(), std::vector<std::wstring>{L"配置文件\"" + PathToWide(dat) +
                                                          L"\" 不存在，请提供配置文件 "});
}
