#include "ResultPanelDDRModel.h"

#include "DrvStgRegistry.h"
#include "LaneSwapMap.h"
#include "SettingsFile.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>

#include <unistd.h>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

SBestParam Best(int byte, int sdll, int dqs, int drv, int start = 0, int end = 0) {
    SBestParam r;
    r.m_nByte = byte;
    r.m_nSdllPhsDly = sdll;
    r.m_nDqsStepDly = dqs;
    r.m_nDrvStg = drv;
    r.m_nRunStart = start;
    r.m_nRunEnd = end;
    return r;
}

std::vector<SBestParam> FourLanes() {
    return {Best(0, 36, -3, 40, 1, 50), Best(1, 54, -2, 40, 2, 51), Best(2, 72, -1, 40, 3, 52),
            Best(3, 90, 0, 40, 4, 53)};
}

using Rates = std::map<int, double>;

// Points the settings at a temporary ini for the test and restores the lane map.
class ResultPanelDDRModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        m_dir = fs::temp_directory_path() /
                ("panel_ddr_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        fs::create_directories(m_dir);
        m_oldSettings = GetSettings().Path();
        GetSettings().SetPath(m_dir / "Quillon.ini");
        WriteIni("");
        GetLaneSwapMap().SetIdentity();
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
    void Swap(const char* lanes) {
        std::string ini = "[SwapByte]\n";
        for (int i = 0; i < 4; ++i) {
            ini += "MemByte" + std::to_string(i) + "=ChipByte" + std::string(1, lanes[i]) + "\n";
        }
        WriteIni(ini);
        GetLaneSwapMap().Rebuild();
    }

    fs::path m_dir;
    fs::path m_oldSettings;
    CRecordingPrompt m_prompt;
    CScopedPrompt m_scope{m_prompt};
};

} // namespace

TEST_F(ResultPanelDDRModelTest, StartsWithTheStoredDefaults) {
    CResultPanelDDRModel model;
    ASSERT_EQ(model.RowCount(), 4);
    for (const auto& row : model.Rows()) {
        EXPECT_EQ(row, (CResultPanelDDRModel::RowTexts{L"0", L"30", L"36", L"-3"}));
    }
    const auto& drives = model.Choices(CResultPanelDDRModel::kColDrvStg);
    EXPECT_EQ(drives.size(), 10u);
    EXPECT_EQ(std::find(drives.begin(), drives.end(), L"30"), drives.end());
    EXPECT_EQ(model.Conclusion(), L"ScanAnalyseResult");
    EXPECT_FALSE(model.Shown());
    EXPECT_EQ(model.DdrKind(), -1);
}

TEST_F(ResultPanelDDRModelTest, RateTextsAndTheGreyWeakestBox) {
    CResultPanelDDRModel model;
    model.ShowPage(FourLanes(), Rates{{0, 0.61}, {1, 0.955}, {2, 0.80}, {3, 1.0}}, 50, 1,
                   GetLaneSwapMap());
    EXPECT_EQ(model.RateTexts(),
              (std::array<std::wstring, 4>{L"61.0%", L"95.5%", L"80.0%", L"100.0%"}));
    EXPECT_EQ(model.RateBoxColors(),
              (std::array<ColorRef, 4>{0xF0F0F0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}));
}

TEST_F(ResultPanelDDRModelTest, EqualMinimaGreyTheFirstLane) {
    CResultPanelDDRModel model;
    model.ShowPage(FourLanes(), Rates{{0, 0.9}, {1, 0.7}, {2, 0.9}, {3, 0.7}}, 50, 1,
                   GetLaneSwapMap());
    EXPECT_EQ(model.RateBoxColors(),
              (std::array<ColorRef, 4>{0xFFFFFF, 0xF0F0F0, 0xFFFFFF, 0xFFFFFF}));
}

TEST_F(ResultPanelDDRModelTest, MissingLaneKeepsItsPreviousText) {
    CResultPanelDDRModel model;
    model.ShowPage(FourLanes(), Rates{{0, 0.5}, {1, 0.6}, {2, 0.7}, {3, 0.8}}, 50, 1,
                   GetLaneSwapMap());
    model.ShowPage(FourLanes(), Rates{{0, 0.9}, {1, 0.9}, {3, 0.9}}, 50, 1, GetLaneSwapMap());
    EXPECT_EQ(model.RateTexts(),
              (std::array<std::wstring, 4>{L"90.0%", L"90.0%", L"70.0%", L"90.0%"}));
}

TEST_F(ResultPanelDDRModelTest, SwapMapRelabelsBestRecordsAndRates) {
    Swap("1023");
    CResultPanelDDRModel model;
    model.ShowPage(FourLanes(), Rates{{0, 0.61}, {1, 0.955}, {2, 0.80}, {3, 1.0}}, 50, 1,
                   GetLaneSwapMap());
    ASSERT_EQ(model.BestList().size(), 4u);
    // Row labelled 0 shows what lane 1 measured.
    EXPECT_EQ(model.BestList()[0], Best(0, 54, -2, 40, 2, 51));
    EXPECT_EQ(model.BestList()[1], Best(1, 36, -3, 40, 1, 50));
    EXPECT_EQ(model.Rows()[0], (CResultPanelDDRModel::RowTexts{L"0", L"40", L"54", L"-2"}));
    EXPECT_EQ(model.Rates(), (Rates{{0, 0.955}, {1, 0.61}, {2, 0.80}, {3, 1.0}}));
    EXPECT_EQ(model.RateTexts()[0], L"95.5%");
    EXPECT_EQ(model.RateBoxColors()[1], 0xF0F0F0u);
}

// A swap map may pass the sum check and still name lane 6 (0 + 0 + 0 + 6): that lane has no
// record or rate, so its row is left out instead of reading past the list.
TEST_F(ResultPanelDDRModelTest, SwapToALaneWithoutRecordDropsTheRow) {
    Swap("0006");
    CResultPanelDDRModel model;
    model.ShowPage(FourLanes(), Rates{{0, 0.7}, {1, 0.8}, {2, 0.9}, {3, 0.95}}, 50, 1,
                   GetLaneSwapMap());
    ASSERT_EQ(model.BestList().size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(model.BestList()[static_cast<size_t>(i)].m_nByte, i);
        EXPECT_EQ(model.BestList()[static_cast<size_t>(i)].m_nSdllPhsDly, 36);
    }
    EXPECT_EQ(model.Rates(), (Rates{{0, 0.7}, {1, 0.7}, {2, 0.7}}));
}

TEST_F(ResultPanelDDRModelTest, LaneWithoutBestRecordShortensTheList) {
    // Byte 2 reported the serious error: three records, lanes 0, 1, 3.
    CResultPanelDDRModel model;
    const std::vector<SBestParam> three = {Best(0, 36, -3, 40), Best(1, 54, -2, 40),
                                           Best(3, 90, 0, 40)};
    model.ShowPage(three, Rates{{0, 0.9}, {1, 0.9}, {2, 0.9}, {3, 0.9}}, 50, 1, GetLaneSwapMap());
    // Lane 3 would read position 3 of a list of three: left out.
    ASSERT_EQ(model.BestList().size(), 2u);
    std::vector<SBestParam> records;
    EXPECT_FALSE(model.BuildWriteRecords(records));
    ASSERT_EQ(m_prompt.Texts().size(), 1u);
    EXPECT_EQ(m_prompt.Texts()[0],
              L"BestParameterError,not enough 4 item, can not write back bin file");
}

TEST_F(ResultPanelDDRModelTest, Ddr1ListShowsPlaceholdersAndEditsOnlyTheDriveStrength) {
    CResultPanelDDRModel model;
    std::vector<SBestParam> best = {Best(0, 72, 1, 31), Best(1, 72, 1, 31), Best(2, 90, 0, 31),
                                    Best(3, 90, 0, 31)};
    model.ShowPage(best, Rates{{0, 0.9}, {1, 0.9}, {2, 0.9}, {3, 0.9}}, 50, 0, GetLaneSwapMap());
    for (const auto& row : model.Rows()) {
        EXPECT_EQ(row, (CResultPanelDDRModel::RowTexts{L"0xFF", L"31", L"X", L"X"}));
    }
    EXPECT_FALSE(model.IsEditable(CResultPanelDDRModel::kColByte));
    EXPECT_TRUE(model.IsEditable(CResultPanelDDRModel::kColDrvStg));
    EXPECT_FALSE(model.IsEditable(CResultPanelDDRModel::kColSdllPhsDly));
    EXPECT_FALSE(model.EditCell(0, CResultPanelDDRModel::kColDqsStepDly, L"2"));
    EXPECT_TRUE(model.EditCell(1, CResultPanelDDRModel::kColDrvStg, L"48"));

    std::vector<SBestParam> records;
    ASSERT_TRUE(model.BuildWriteRecords(records));
    ASSERT_EQ(records.size(), 4u);
    for (const SBestParam& r : records) {
        EXPECT_EQ(r, Best(0, 0, 0, 48)); // "0xFF" and "X" read as 0
    }
}

TEST_F(ResultPanelDDRModelTest, DriveStrengthEditGoesIntoEveryRow) {
    CResultPanelDDRModel model;
    model.ShowPage(FourLanes(), Rates{{0, 0.9}, {1, 0.9}, {2, 0.9}, {3, 0.9}}, 50, 1,
                   GetLaneSwapMap());
    ASSERT_TRUE(model.EditCell(2, CResultPanelDDRModel::kColDrvStg, L"48"));
    ASSERT_TRUE(model.EditCell(2, CResultPanelDDRModel::kColSdllPhsDly, L"126"));
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(model.CellText(row, CResultPanelDDRModel::kColDrvStg), L"48");
    }
    EXPECT_EQ(model.CellText(2, CResultPanelDDRModel::kColSdllPhsDly), L"126");
    EXPECT_EQ(model.CellText(1, CResultPanelDDRModel::kColSdllPhsDly), L"54");
    EXPECT_FALSE(model.EditCell(4, CResultPanelDDRModel::kColByte, L"1"));

    std::vector<SBestParam> records;
    ASSERT_TRUE(model.BuildWriteRecords(records));
    EXPECT_EQ(records[2], Best(2, 126, -1, 48));
    // Only the four list values survive the trip through the texts.
    EXPECT_EQ(records[0].m_nRunStart, 0);
    EXPECT_EQ(records[0].m_nRunEnd, 0);
}

TEST_F(ResultPanelDDRModelTest, WriteRecordsReadTextsAsDecimalIntegers) {
    CResultPanelDDRModel model;
    model.ShowPage(FourLanes(), Rates{{0, 0.9}, {1, 0.9}, {2, 0.9}, {3, 0.9}}, 50, 1,
                   GetLaneSwapMap());
    ASSERT_TRUE(model.EditCell(0, CResultPanelDDRModel::kColSdllPhsDly, L"  72ohm"));
    ASSERT_TRUE(model.EditCell(0, CResultPanelDDRModel::kColDqsStepDly, L"-2x"));
    ASSERT_TRUE(model.EditCell(0, CResultPanelDDRModel::kColByte, L"abc"));
    std::vector<SBestParam> records;
    ASSERT_TRUE(model.BuildWriteRecords(records));
    EXPECT_EQ(records[0], Best(0, 72, -2, 40));
}

TEST_F(ResultPanelDDRModelTest, WriteRecordsNeedExactlyFourRows) {
    CResultPanelDDRModel model;
    std::vector<SBestParam> records;
    ASSERT_TRUE(model.DeleteRow(3));
    EXPECT_FALSE(model.BuildWriteRecords(records));
    EXPECT_TRUE(records.empty());
    model.AddRow();
    model.AddRow();
    EXPECT_FALSE(model.BuildWriteRecords(records));
    ASSERT_EQ(m_prompt.Texts().size(), 2u);
    EXPECT_EQ(m_prompt.Texts()[1],
              L"BestParameterError,not enough 4 item, can not write back bin file");
    EXPECT_FALSE(model.DeleteRow(7));
}

TEST_F(ResultPanelDDRModelTest, VerdictPassFailAndNone) {
    CResultPanelDDRModel model;
    model.ShowPage(FourLanes(), Rates{{0, 0.95}, {1, 0.61}, {2, 0.80}, {3, 0.99}}, 45, 1,
                   GetLaneSwapMap());
    EXPECT_TRUE(model.VerdictMade());
    EXPECT_EQ(model.Conclusion(), L"PASS");
    EXPECT_EQ(model.ResultCode(), 2);
    EXPECT_TRUE(model.Passed());
    EXPECT_FALSE(model.ReasonVisible());
    EXPECT_EQ(model.ConclusionColor(), 0x00FF00u);

    model.ShowPage(FourLanes(), Rates{{0, 0.95}, {1, 0.61}, {2, 0.80}, {3, 0.99}}, 39, 1,
                   GetLaneSwapMap());
    EXPECT_EQ(model.Conclusion(), L"FAIL");
    EXPECT_EQ(model.ConclusionColor(), 0x0000FFu);
    const std::wstring reason = L"the continuous pass length:39 in Byte that pass rate is minmum "
                                L"does not reach the standard(less than:40)";
    EXPECT_EQ(model.Reason(), reason);
    EXPECT_TRUE(model.ReasonVisible());
    EXPECT_EQ(model.ReasonLabel(), reason);

    // nRowPassNum 0: no verdict, the FAIL stays on show.
    model.ShowPage(FourLanes(), Rates{{0, 0.95}, {1, 0.61}, {2, 0.80}, {3, 0.99}}, 0, 1,
                   GetLaneSwapMap());
    EXPECT_FALSE(model.VerdictMade());
    EXPECT_EQ(model.Conclusion(), L"FAIL");
    EXPECT_EQ(model.NoVerdictText(), L"analyzer failed");
    EXPECT_FALSE(model.Passed());

    // A later PASS empties the reason but leaves the label showing the last one.
    model.ShowPage(FourLanes(), Rates{{0, 0.95}, {1, 0.61}, {2, 0.80}, {3, 0.99}}, 45, 1,
                   GetLaneSwapMap());
    EXPECT_EQ(model.Conclusion(), L"PASS");
    EXPECT_TRUE(model.Reason().empty());
    EXPECT_EQ(model.ReasonLabel(), reason);
}

TEST_F(ResultPanelDDRModelTest, ResetReloadsTheListAndKeepsTheReason) {
    CResultPanelDDRModel model;
    model.ShowPage(FourLanes(), Rates{{0, 0.5}, {1, 0.9}, {2, 0.9}, {3, 0.9}}, 45, 1,
                   GetLaneSwapMap());
    ASSERT_EQ(model.Conclusion(), L"FAIL");
    const std::wstring reason = model.ReasonLabel();

    CResultPanelDDRModel::SStoredList stored;
    stored.m_nLogType = 1;
    stored.m_vecRows = {{L"1", L"48", L"90", L"2"}};
    model.Reset(stored);
    EXPECT_TRUE(model.Conclusion().empty());
    EXPECT_EQ(model.RateTexts(), (std::array<std::wstring, 4>{}));
    EXPECT_TRUE(model.Rates().empty());
    EXPECT_EQ(model.ReasonLabel(), reason);
    // Exactly four records: the missing items read the key defaults.
    ASSERT_EQ(model.RowCount(), 4);
    EXPECT_EQ(model.Rows()[0], (CResultPanelDDRModel::RowTexts{L"1", L"48", L"90", L"2"}));
    EXPECT_EQ(model.Rows()[3], (CResultPanelDDRModel::RowTexts{L"0", L"30", L"36", L"-3"}));
}

TEST_F(ResultPanelDDRModelTest, StoredListRoundTrip) {
    CResultPanelDDRModel model;
    model.ShowPage(FourLanes(), Rates{{0, 0.9}, {1, 0.9}, {2, 0.9}, {3, 0.9}}, 50, 1,
                   GetLaneSwapMap());
    ASSERT_TRUE(model.EditCell(0, CResultPanelDDRModel::kColDrvStg, L"60"));
    const auto stored = model.StoredList();
    EXPECT_EQ(stored.m_nLogType, 1);

    CResultPanelDDRModel other;
    ASSERT_EQ(stored.m_vecRows.size(), 4u);
    other.LoadStored(stored);
    EXPECT_EQ(other.Rows(), model.Rows());
    EXPECT_EQ(other.DdrKind(), 1);

    // A stored DDR1 list keeps showing the placeholders.
    CResultPanelDDRModel::SStoredList ddr1;
    ddr1.m_nLogType = 0;
    ddr1.m_vecRows.assign(6, {L"0xFF", L"39", L"X", L"X"});
    other.LoadStored(ddr1);
    ASSERT_EQ(other.RowCount(), 4);
    EXPECT_EQ(other.Rows()[2], (CResultPanelDDRModel::RowTexts{L"0xFF", L"39", L"X", L"X"}));
}
