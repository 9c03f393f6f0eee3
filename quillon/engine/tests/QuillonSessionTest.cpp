#include "QuillonSession.h"

#include "LaneSwapMap.h"
#include "LogPageBase.h"
#include "SettingsFile.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon";

class QuillonSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        m_dir = fs::temp_directory_path() /
                ("quillon_session_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        fs::create_directories(m_dir);
        m_oldSettings = GetSettings().Path();
        GetSettings().SetPath(m_dir / "Quillon.ini");
        WriteIni("");
    }
    void TearDown() override {
        GetSettings().SetPath(m_oldSettings);
        GetLaneSwapMap().SetIdentity();
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    void WriteIni(const std::string& text) {
        std::ofstream(m_dir / "Quillon.ini", std::ios::binary) << text;
    }
    static std::vector<std::wstring> Names(const CQuillonSession& session) {
        std::vector<std::wstring> names;
        for (const SQuillonTab& tab : session.Tabs()) {
            names.push_back(tab.m_strName);
        }
        return names;
    }

    fs::path m_dir;
    fs::path m_oldSettings;
    CRecordingPrompt m_prompt;
    CScopedPrompt m_scope{m_prompt};
};

TEST_F(QuillonSessionTest, AnalyseBuildsTheStatisticsTabFirstWithAChartPerPage) {
    CQuillonSession session;
    session.SetLogType(1);
    ASSERT_EQ(session.Analyse((kSamples / "lpddr2_pass").wstring(), 2),
              EQuillonAnalyseEnd::Scanned);
    EXPECT_EQ(session.LogType(), 1);
    EXPECT_EQ(session.FileCount(), 4u);
    EXPECT_EQ(session.ScanTitle(), L"QuillonTool - [Project:P7 DDRType:ddr2 DDRclk:400]");
    ASSERT_EQ(session.Tabs().size(), 5u);
    EXPECT_TRUE(session.Tabs()[0].m_bMerged);
    EXPECT_EQ(session.Tabs()[0].m_pPage, session.PageList()->GetMergedPage());
    EXPECT_EQ(session.Tabs()[0].m_strName, L"统计图");
    for (size_t i = 1; i < session.Tabs().size(); ++i) {
        EXPECT_EQ(session.Tabs()[i].m_pPage, session.PageList()->GetPage(i - 1));
        EXPECT_EQ(session.Tabs()[i].m_chart.DataRowCount(), 20);
    }
    EXPECT_EQ(session.SelectedTab(), -1); // nothing is shown until the caller shows tab 0
    EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(QuillonSessionTest, ShowingATabFillsThePanelAndTheMarks) {
    CQuillonSession session;
    session.SetLogType(1);
    ASSERT_EQ(session.Analyse((kSamples / "lpddr2_fail").wstring(), 2),
              EQuillonAnalyseEnd::Scanned);
    const SQuillonTabView& view = session.ShowTab(0);
    EXPECT_TRUE(view.m_bShown);
    EXPECT_EQ(view.m_vecBest.size(), 4u);
    EXPECT_FALSE(view.m_vecMarks.empty());
    EXPECT_EQ(session.SelectedTab(), 0);
    EXPECT_TRUE(session.Panel().VerdictMade());
    EXPECT_FALSE(session.Panel().Passed());

    // A failing statistics verdict brings no prompt, even when it is enabled.
    WriteIni("[ResultPrompt]\nPrompt=go\nEnabel=1\n");
    EXPECT_FALSE(session.ShowResultPrompt());
    EXPECT_TRUE(m_prompt.Records().empty());

    // Out of range: nothing changes.
    session.ShowTab(17);
    EXPECT_EQ(session.SelectedTab(), 0);
}

TEST_F(QuillonSessionTest, WriteBinRefusalsComeInTheirOrder) {
    CQuillonSession session;
    session.SetLogType(1);
    ASSERT_EQ(session.Analyse((kSamples / "lpddr2_pass").wstring(), 2),
              EQuillonAnalyseEnd::Scanned);
    session.ShowTab(0);
    session.ShowTab(1);
    EXPECT_EQ(session.WriteBin(L""), EQuillonWriteEnd::NoImage);
    EXPECT_EQ(session.WriteBin((m_dir / "fw.bin").wstring()), EQuillonWriteEnd::NotStatistics);
    session.ShowTab(0);
    ASSERT_TRUE(session.Panel().DeleteRow(3));
    EXPECT_EQ(session.WriteBin((m_dir / "fw.bin").wstring()), EQuillonWriteEnd::NotFourRows);
    EXPECT_EQ(m_prompt.Texts(),
              (std::vector<std::wstring>{
                  L".bin file could not be empty, please specify log file full path",
                  L"could not write back to bin file when the chart view is not statistics "
                  L"chart view",
                  CResultPanelDDRModel::kNotFourItems}));
}

TEST_F(QuillonSessionTest, SortChangeRebuildsDdr3TabsAndResetDropsThem) {
    CQuillonSession session;
    session.SetLogType(2);
    ASSERT_EQ(session.Analyse((kSamples / "ddr3").wstring(), 2), EQuillonAnalyseEnd::Scanned);
    const std::vector<std::wstring> byName = Names(session);
    ASSERT_TRUE(session.ChangeSort(1));
    const std::vector<std::wstring> ascending = Names(session);
    ASSERT_TRUE(session.ChangeSort(2));
    EXPECT_EQ(Names(session), byName);
    EXPECT_EQ(ascending.front(), L"统计图");
    EXPECT_TRUE(std::is_permutation(ascending.begin(), ascending.end(), byName.begin()));

    session.Reset(CResultPanelDDRModel::DefaultStoredList());
    EXPECT_TRUE(session.Tabs().empty());
    EXPECT_EQ(session.PageList(), nullptr);
    EXPECT_FALSE(session.ChangeSort(1)); // no results to sort
}

TEST_F(QuillonSessionTest, AnalyseEndsAndWhatTheyKeep) {
    CQuillonSession session;
    session.SetLogType(1);
    ASSERT_EQ(session.Analyse((kSamples / "lpddr2_pass").wstring(), 2),
              EQuillonAnalyseEnd::Scanned);
    // An empty directory box keeps the results; a folder without logs discards them.
    EXPECT_EQ(session.Analyse(L"", 2), EQuillonAnalyseEnd::DirEmpty);
    EXPECT_EQ(session.Tabs().size(), 5u);
    fs::create_directories(m_dir / "empty");
    EXPECT_EQ(session.Analyse((m_dir / "empty").wstring(), 2), EQuillonAnalyseEnd::NoLogFile);
    EXPECT_TRUE(session.Tabs().empty());
    EXPECT_EQ(session.PageList(), nullptr);

    session.SetLogType(4);
    EXPECT_EQ(session.Analyse((kSamples / "emmc_sdr50").wstring(), 2),
              EQuillonAnalyseEnd::NotDdrLogType);
    EXPECT_EQ(m_prompt.Texts().back(), CQuillonSession::kNotDdrLogType);
}

} // namespace
