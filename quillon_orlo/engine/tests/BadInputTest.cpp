// The Orlo scan command on the files of samples/bad: logs that are no Orlo logs are listed
// in the skip question, a scan without an accepted log fails with its message and keeps no
// result, and an over-long data line is read in its 1023-character pieces.

#include "LogPageOrlo.h"
#include "LogScanOrlo.h"
#include "OrloSession.h"
#include "SettingsFile.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const fs::path kBad = fs::path(SUITE_SOURCE_DIR) / "samples" / "bad";
constexpr const wchar_t* kScanFailed = L"扫描分析Orlo日志文件失败，请检查日志文件是否正确";

class BadInputOrloTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("badinput_orlo_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "normal");
        fs::copy_file(fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon_orlo" / "QuillonOrlo.ini",
                      m_dir / "QuillonOrlo.ini");
        GetSettings().SetPath(m_dir / "QuillonOrlo.ini");
        m_pScoped = std::make_unique<CScopedPrompt>(m_prompt);
    }
    void TearDown() override {
        m_pScoped.reset();
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    // A bad sample as a log of the normal folder (".txt" so the folder search finds it).
    std::wstring AddLog(const char* sample, const char* name) {
        const fs::path target = m_dir / "normal" / name;
        fs::copy_file(kBad / sample, target);
        return PathToWide(target);
    }
    orlo::SOrloScanRequest Request() const {
        orlo::SOrloScanRequest request;
        request.m_strNormalDir = PathToWide(m_dir / "normal");
        return request;
    }
    fs::path m_dir;
    CRecordingPrompt m_prompt;
    std::unique_ptr<CScopedPrompt> m_pScoped;
};

} // namespace

TEST_F(BadInputOrloTest, NoOrloLogAmongTheBadFilesFailsTheScan) {
    const std::wstring empty = AddLog("empty.txt", "a_empty.txt");
    const std::wstring cr = AddLog("cr_only.txt", "b_cr.txt");
    const std::wstring garbage = AddLog("binary_garbage.bin", "c_garbage.txt");
    const std::wstring nul = AddLog("ddr_nul_bytes.txt", "d_nul.txt");
    const std::wstring question = L"扫描失败\nFile: \"" + empty + L"\"\nFile: \"" + cr +
                                  L"\"\nFile: \"" + garbage + L"\"\nFile: \"" + nul +
                                  L"\"\n\n不是Orlo的log，跳过扫描失败文件继续分析?";
    // No: the scan is abandoned; Yes: nothing is left to judge. Both fail the same way.
    for (const bool answer : {false, true}) {
        SCOPED_TRACE(answer);
        m_prompt.Clear();
        m_prompt.Script({answer});
        orlo::COrloSession session;
        EXPECT_EQ(session.Scan(Request()), orlo::EOrloScanEnd::ScanFailed);
        EXPECT_EQ(session.Result(), nullptr);
        ASSERT_EQ(m_prompt.Records().size(), 2u);
        EXPECT_EQ(m_prompt.Records()[0].text, question);
        EXPECT_TRUE(m_prompt.Records()[0].question);
        EXPECT_EQ(m_prompt.Records()[1].text, kScanFailed);
        // Without a result no verdict is made and no result prompt shown.
        m_prompt.Clear();
        EXPECT_FALSE(session.AnalyseMergedPage().m_bPass);
        session.ShowResultPrompt();
        EXPECT_TRUE(m_prompt.Texts().empty());
    }
}

TEST_F(BadInputOrloTest, WithoutTheCheckBadFilesAreSkippedSilently) {
    ASSERT_TRUE(GetSettings().WriteCheckLogFile(false));
    AddLog("empty.txt", "a_empty.txt");
    AddLog("binary_garbage.bin", "c_garbage.txt");
    orlo::COrloSession session;
    EXPECT_EQ(session.Scan(Request()), orlo::EOrloScanEnd::ScanFailed);
    EXPECT_EQ(m_prompt.Texts(), std::vector<std::wstring>{kScanFailed});
}

TEST_F(BadInputOrloTest, LineOver1023CharactersIsReadInPieces) {
    // 1030 characters of filler, then the data line: the first 1023 are one piece, the data
    // line with the rest of the filler the next one, which holds every item name.
    const std::wstring path = AddLog("orlo_line_1100.txt", "b01_n25c.txt");
    std::vector<std::wstring> lines;
    ASSERT_TRUE(orlo::ReadOrloDataLines(path, lines));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), 1100u - 1023u + 1u);
    EXPECT_EQ(lines[0].substr(0, 7), L"yyyyyyy");

    orlo::COrloSession session;
    ASSERT_EQ(session.Scan(Request()), orlo::EOrloScanEnd::Scanned);
    EXPECT_TRUE(m_prompt.Texts().empty());
    const orlo::OrloPageList* result = session.Result();
    ASSERT_NE(result, nullptr);
    ASSERT_EQ(result->PageCount(), 1u);
    const orlo::DrvCombination* combination = result->Pages()[0]->Find(1, 1, 0, 0);
    ASSERT_NE(combination, nullptr);
    EXPECT_EQ(combination->m_entries[4].m_nState, 1);
    EXPECT_EQ(combination->m_entries[4].m_nPassCount, 1);
    EXPECT_EQ(result->Pages()[0]->Combinations().size(), 1u);
}
