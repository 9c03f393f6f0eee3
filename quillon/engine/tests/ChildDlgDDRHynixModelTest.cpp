#include "ChildDlgDDRHynixModel.h"
#include "SettingsFile.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

class ChildDlgDDRHynixModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        m_dir = fs::temp_directory_path() /
                ("panel_hynix_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        fs::create_directories(m_dir);
        m_oldSettings = GetSettings().Path();
        GetSettings().SetPath(m_dir / "Quillon.ini"); // no file: every default
    }
    void TearDown() override {
        GetSettings().SetPath(m_oldSettings);
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    fs::path m_dir;
    fs::path m_oldSettings;
};

SBestParam Record(int byte, int sdll, int dqs, int drv) {
    SBestParam record;
    record.m_nByte = byte;
    record.m_nSdllPhsDly = sdll;
    record.m_nDqsStepDly = dqs;
    record.m_nDrvStg = drv;
    return record;
}

} // namespace

TEST_F(ChildDlgDDRHynixModelTest, ColumnsAndStoredDefaults) {
    const CChildDlgDDRHynixModel model;
    const auto& columns = model.Columns();
    EXPECT_STREQ(columns[0].szTitle, L"BYTE");
    EXPECT_EQ(columns[0].nWidth, 37);
    EXPECT_STREQ(columns[1].szTitle, L"varro_drv_stg/hynix_drv_stg");
    EXPECT_EQ(columns[1].nWidth, 175);
    EXPECT_EQ(columns[2].nWidth, 84);
    EXPECT_EQ(columns[3].nWidth, 84);
    EXPECT_STREQ(model.ProfileSection(), L"CChildDlgDDRHynix");
    EXPECT_EQ(CChildDlgDDRHynixModel::ProfileKey(2, 1), L"item2_drv_stg");
    EXPECT_EQ(CChildDlgDDRHynixModel::ProfileKey(0, 3), L"item0_dqs_step_dly");
    const auto stored = CChildDlgDDRHynixModel::DefaultStoredList();
    EXPECT_EQ(stored.m_nLogType, -1);
    ASSERT_EQ(stored.m_vecRows.size(), 4u);
    EXPECT_EQ(stored.m_vecRows[3], (CChildDlgDDRHynixModel::RowTexts{L"0", L"30", L"36", L"-3"}));
}

TEST_F(ChildDlgDDRHynixModelTest, RowsShowTheDriveStrengthPair) {
    CRecordingPrompt prompt;
    CScopedPrompt scoped(prompt);
    CChildDlgDDRHynixModel model;
    EXPECT_EQ(model.Rows()[0][1], L"48/34"); // whatever the record holds (stored "30")
    model.ShowPage(
        {Record(0, 90, 0, 48), Record(1, 72, 1, 48), Record(2, 90, 0, 48), Record(3, 108, -1, 48)},
        {{0, 1.0}, {1, 0.5}, {2, 0.75}, {3, 1.0}}, 56, 3, GetLaneSwapMap());
    ASSERT_EQ(model.RowCount(), 4);
    EXPECT_EQ(model.Rows()[1], (CChildDlgDDRHynixModel::RowTexts{L"1", L"48/34", L"72", L"1"}));
    EXPECT_EQ(model.RateTexts()[1], L"50.0%");
    EXPECT_EQ(model.RateBoxColors()[1], 0xF0F0F0u);
    EXPECT_EQ(model.RateBoxColors()[0], 0xFFFFFFu);
    EXPECT_TRUE(model.VerdictMade());
    EXPECT_EQ(model.Conclusion(), L"FAIL");
    EXPECT_EQ(model.ConclusionColor(), 0x0000FFu);
}

TEST_F(ChildDlgDDRHynixModelTest, NoBestParametersKeepTheStoredItems) {
    CRecordingPrompt prompt;
    CScopedPrompt scoped(prompt);
    CChildDlgDDRHynixModel model;
    CChildDlgDDRHynixModel::SStoredList stored = CChildDlgDDRHynixModel::DefaultStoredList();
    stored.m_vecRows[0] = {L"2", L"48", L"126", L"3"};
    model.LoadStored(stored);
    model.ShowPage({}, {{0, 1.0}, {1, 1.0}, {2, 1.0}, {3, 1.0}}, 56, 3, GetLaneSwapMap());
    ASSERT_EQ(model.RowCount(), 4);
    EXPECT_EQ(model.Rows()[0], (CChildDlgDDRHynixModel::RowTexts{L"2", L"48/34", L"126", L"3"}));
    EXPECT_EQ(model.Conclusion(), L"PASS");
}

TEST_F(ChildDlgDDRHynixModelTest, EditingAddAndDelete) {
    CChildDlgDDRHynixModel model;
    EXPECT_FALSE(model.IsEditable(CChildDlgDDRHynixModel::kColDrvStg));
    EXPECT_TRUE(model.Choices(CChildDlgDDRHynixModel::kColDrvStg).empty());
    EXPECT_EQ(model.Choices(CChildDlgDDRHynixModel::kColSdllPhsDly).size(), 7u);
    EXPECT_FALSE(model.EditCell(0, CChildDlgDDRHynixModel::kColDrvStg, L"34"));
    EXPECT_TRUE(model.EditCell(0, CChildDlgDDRHynixModel::kColSdllPhsDly, L"144"));
    EXPECT_EQ(model.Rows()[0][2], L"144");
    model.AddRow();
    EXPECT_EQ(model.Rows().back(), (CChildDlgDDRHynixModel::RowTexts{L"0", L"30", L"36", L"-3"}));
    EXPECT_TRUE(model.DeleteRow(0));
    EXPECT_FALSE(model.DeleteRow(9));
    EXPECT_EQ(model.RowCount(), 4);
    EXPECT_EQ(model.StoredList().m_vecRows.size(), 4u);
}

// The Hynix panel is the DDR panel with its hooks: the same API and the same shown flag,
// reason label and pass flag; the stored DDR kind stays as stored.
TEST_F(ChildDlgDDRHynixModelTest, SharesTheDdrPanelRulesBesideItsHooks) {
    CRecordingPrompt prompt;
    CScopedPrompt scoped(prompt);
    CChildDlgDDRHynixModel model;
    CChildDlgDDRHynixModel::SStoredList stored = CChildDlgDDRHynixModel::DefaultStoredList();
    stored.m_nLogType = 1;
    model.LoadStored(stored);
    EXPECT_EQ(model.Variant(), ELanePanel::Hynix);
    EXPECT_FALSE(model.Shown());
    const std::vector<SBestParam> best = {Record(0, 90, 0, 48), Record(1, 72, 1, 48),
                                          Record(2, 90, 0, 48), Record(3, 108, -1, 48)};
    model.ShowPage(best, {{0, 0.5}, {1, 1.0}, {2, 1.0}, {3, 1.0}}, 56, 3, GetLaneSwapMap());
    EXPECT_TRUE(model.Shown());
    EXPECT_FALSE(model.Passed());
    EXPECT_TRUE(model.ReasonVisible());
    const std::wstring reason = model.ReasonLabel();
    EXPECT_EQ(reason, model.Reason());
    model.ShowPage(best, {{0, 1.0}, {1, 1.0}, {2, 1.0}, {3, 1.0}}, 56, 3, GetLaneSwapMap());
    EXPECT_TRUE(model.Passed());
    EXPECT_TRUE(model.Reason().empty());
    EXPECT_EQ(model.ReasonLabel(), reason); // a PASS leaves the label as it was
    EXPECT_EQ(model.StoredList().m_nLogType, 1);
    EXPECT_EQ(model.DdrKind(), 1);
    std::vector<SBestParam> records;
    ASSERT_TRUE(model.BuildWriteRecords(records));
    EXPECT_EQ(records[3].m_nSdllPhsDly, 108);
    // The DDR panel takes the kind of each page it shows.
    CResultPanelDDRModel ddr;
    EXPECT_EQ(ddr.Variant(), ELanePanel::DDR);
    EXPECT_STREQ(ddr.ProfileSection(), L"CChildDlgDDR");
    EXPECT_EQ(ddr.Columns()[1].nWidth, 60);
    ddr.ShowPage(best, {{0, 1.0}, {1, 1.0}, {2, 1.0}, {3, 1.0}}, 56, 2, GetLaneSwapMap());
    EXPECT_EQ(ddr.DdrKind(), 2);
    EXPECT_EQ(ddr.Rows()[0][CResultPanelDDRModel::kColDrvStg], L"48");
}
