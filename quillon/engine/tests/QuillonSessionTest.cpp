#include "QuillonSession.h"

#include "LaneSwapMap.h"
#include "LogPageBase.h"
#include "LogRead.h"
#include "LogScanEMMC.h"
#include "SettingsFile.h"
#include "SettingsFileScope.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <optional>

#include <unistd.h>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon";

class QuillonSessionTest : public testsupport::CSettingsFileTest {
protected:
    void SetUp() override {
        WriteIni("");
    }
    void TearDown() override {
        GetLaneSwapMap().SetIdentity();
    }
    void WriteIni(const std::string& text) { m_settingsFile.Write(text); }
    static std::vector<std::wstring> Names(const CQuillonSession& session) {
        std::vector<std::wstring> names;
        for (const SQuillonTab& tab : session.Tabs()) {
            names.push_back(tab.m_strName);
        }
        return names;
    }

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

    // A settings file may name a log type no scanner reads.
    session.SetLogType(7);
    EXPECT_EQ(session.Analyse((kSamples / "emmc_sdr50").wstring(), 2),
              EQuillonAnalyseEnd::UnknownLogType);
    EXPECT_EQ(m_prompt.Texts().back(), CQuillonSession::kUnknownLogType);
}

uint32_t WordAt(const std::vector<char>& bytes, size_t offset) {
    uint32_t word = 0;
    for (size_t i = 0; i < 4; ++i) {
        word |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    }
    return word;
}

std::vector<char> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(QuillonSessionTest, HynixKeepsItsLogTypeAndShowsTabsInItsOwnPanel) {
    WriteIni("[ResultPrompt]\nEnabel=1\nPrompt=all good\n");
    CQuillonSession session;
    session.SetLogType(3);
    ASSERT_EQ(session.Analyse((kSamples / "hynix").wstring(), 2), EQuillonAnalyseEnd::Scanned);
    EXPECT_EQ(session.LogType(), 3);
    ASSERT_EQ(session.Tabs().size(), 4u);
    EXPECT_TRUE(session.Tabs()[0].m_bMerged);
    EXPECT_EQ(session.Tabs()[0].m_strName, L"统计图");
    for (const SQuillonTab& tab : session.Tabs()) {
        EXPECT_EQ(tab.m_chartHynix.Lanes(), 4);
        EXPECT_EQ(tab.m_chartHynix.DriveRows(), 1);
        EXPECT_EQ(tab.m_chart.Lanes(), 0); // no DDR chart for a Hynix page
    }
    const SQuillonTabView& view = session.ShowTab(0);
    EXPECT_TRUE(view.m_bShown);
    EXPECT_TRUE(session.HynixPanel().VerdictMade());
    EXPECT_FALSE(session.HynixPanel().RateTexts()[0].empty());
    EXPECT_FALSE(session.Panel().Shown()); // the DDR panel is left alone
    // The Hynix panel has no pass flag: no result prompt, whatever the verdict.
    const size_t before = m_prompt.Texts().size();
    EXPECT_FALSE(session.ShowResultPrompt());
    // No writer exists for Hynix results: Write bin does nothing and says nothing.
    EXPECT_EQ(session.WriteBin((m_dir / "image.bin").wstring()), EQuillonWriteEnd::NothingToWrite);
    EXPECT_EQ(m_prompt.Texts().size(), before);
    EXPECT_FALSE(fs::exists(m_dir / "image.bin"));

    const std::wstring weak = L"hynix_board03_weak.txt";
    session.ShowTab(3);
    EXPECT_EQ(session.Tabs()[3].m_strName, weak);
    EXPECT_TRUE(session.ChangeSort(0));
    EXPECT_EQ(session.Tabs().size(), 4u);
    EXPECT_EQ(session.SelectedTab(), -1);

    session.Reset(CResultPanelDDRModel::DefaultStoredList(),
                  CChildDlgDDRHynixModel::DefaultStoredList());
    EXPECT_TRUE(session.Tabs().empty());
    EXPECT_TRUE(session.HynixPanel().Conclusion().empty());
    EXPECT_TRUE(session.HynixPanel().RateTexts()[0].empty());
}

TEST_F(QuillonSessionTest, EmmcAnalyseFindsTheBestPointAndWriteBinTakesTheEditedValues) {
    struct SCase {
        int m_nLogType;
        const char* m_szFolder;
        size_t m_nBlock;
        uint32_t m_nMagic;
    };
    const SCase cases[] = {{4, "emmc_sdr50", 0x5C88, 0xEAC0AD50u},
                           {5, "emmc_ddr50", 0x5CA0, 0xEAC1DD50u}};
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.m_szFolder);
        CQuillonSession session;
        session.SetLogType(c.m_nLogType);
        session.EmmcPanel().SetMode(c.m_nLogType, true);
        ASSERT_EQ(session.Analyse((kSamples / c.m_szFolder).wstring(), 2),
                  EQuillonAnalyseEnd::Scanned);
        EXPECT_EQ(session.LogType(), c.m_nLogType);
        ASSERT_EQ(session.Tabs().size(), 3u);
        EXPECT_TRUE(session.Tabs()[0].m_bMerged);
        ASSERT_TRUE(session.EmmcBest().has_value());
        const SEmmcBestPoint best = *session.EmmcBest();
        CMergePageEMMCModel& merge = session.MergePage();
        EXPECT_EQ(merge.Value(CMergePageEMMCModel::kRow), FormatW(L"0x%X", best.nRow));
        EXPECT_EQ(merge.Value(CMergePageEMMCModel::kInCol), FormatW(L"0x%X", best.nInCol));
        EXPECT_EQ(merge.Label(CMergePageEMMCModel::kRow), session.EmmcNames().strRow);
        // A tab change shows nothing in a panel for eMMC.
        EXPECT_FALSE(session.ShowTab(1).m_bShown);
        EXPECT_EQ(session.WriteBin((m_dir / "image.bin").wstring()),
                  EQuillonWriteEnd::NotStatistics);
        session.ShowTab(0);

        const fs::path image = m_dir / (std::string(c.m_szFolder) + ".bin");
        std::ofstream(image, std::ios::binary) << std::string(0x6000, '\xEE');
        merge.SetValue(CMergePageEMMCModel::kRow, L"0x2");
        merge.SetValue(CMergePageEMMCModel::kInRow, L"1f");
        ASSERT_EQ(session.WriteBin(image.wstring()), EQuillonWriteEnd::Written);
        const std::vector<char> bytes = ReadAll(image);
        ASSERT_EQ(bytes.size(), 0x6000u);
        EXPECT_EQ(WordAt(bytes, 0x5C80), 17u);
        EXPECT_EQ(WordAt(bytes, c.m_nBlock), c.m_nMagic);
        EXPECT_EQ(WordAt(bytes, c.m_nBlock + 4), 2u);                            // row, edited
        EXPECT_EQ(WordAt(bytes, c.m_nBlock + 8), static_cast<uint32_t>(best.nCol)); // kept
        EXPECT_EQ(WordAt(bytes, c.m_nBlock + 12), 0x1Fu);                        // in-block row
        EXPECT_EQ(WordAt(bytes, c.m_nBlock + 16), static_cast<uint32_t>(best.nInCol));

        session.Reset(CResultPanelDDRModel::DefaultStoredList());
        EXPECT_FALSE(session.EmmcBest().has_value());
        EXPECT_TRUE(session.MergePage().GetRecords().empty());
        EXPECT_EQ(session.WriteBin(image.wstring()), EQuillonWriteEnd::NothingToWrite);
    }
}

TEST_F(QuillonSessionTest, EmmcScanWithInvalidTagsShowsTheScanFailure) {
    CQuillonSession session;
    session.SetLogType(4);
    session.EmmcPanel().SetMode(4, true);
    session.EmmcPanel().SetField(kEmmcTagR, L""); // W and C without R: no log mode
    EXPECT_EQ(session.Analyse((kSamples / "emmc_sdr50").wstring(), 2),
              EQuillonAnalyseEnd::ScanFailed);
    ASSERT_FALSE(m_prompt.Texts().empty());
    EXPECT_EQ(m_prompt.Texts().back(), kEmmcScanFailedMessage);
    EXPECT_TRUE(session.Tabs().empty());
}

} // namespace

TEST_F(QuillonSessionTest, ProgressNamesEveryFileOnceInOrderAndChangesNothing) {
    struct SCase {
        int m_nLogType;
        const char* m_szFolder;
    };
    const SCase cases[] = {{1, "lpddr2_fail"}, {2, "ddr3"}, {3, "hynix"}, {5, "emmc_ddr50"}};
    // What an Analyse leaves: its messages, tabs, chart texts and colours, eMMC best point.
    struct SOutcome {
        EQuillonAnalyseEnd m_end;
        std::vector<std::wstring> m_vecTexts;
        std::vector<std::wstring> m_vecTabs;
        std::vector<std::vector<std::string>> m_vecColours;
        std::vector<std::vector<std::vector<std::wstring>>> m_vecCellTexts;
        std::optional<int32_t> m_bestScore;
        bool operator==(const SOutcome&) const = default;
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.m_szFolder);
        const std::wstring folder = (kSamples / c.m_szFolder).wstring();
        auto run = [&](ScanProgressFn progress) {
            m_prompt.Clear();
            CQuillonSession session;
            session.SetLogType(c.m_nLogType);
            if (c.m_nLogType >= 4) {
                session.EmmcPanel().SetMode(c.m_nLogType, true);
            }
            SOutcome outcome;
            outcome.m_end = session.Analyse(folder, 1, std::move(progress));
            outcome.m_vecTexts = m_prompt.Texts();
            outcome.m_vecTabs = Names(session);
            for (const SQuillonTab& tab : session.Tabs()) {
                outcome.m_vecColours.push_back(tab.m_chart.ColorRows());
                outcome.m_vecCellTexts.push_back(tab.m_chart.TextRows());
                outcome.m_vecColours.push_back(tab.m_chartHynix.ColorRows());
            }
            if (session.EmmcBest().has_value()) {
                outcome.m_bestScore = session.EmmcBest()->nScore;
            }
            return outcome;
        };
        const SOutcome plain = run({});
        ASSERT_EQ(plain.m_end, EQuillonAnalyseEnd::Scanned);

        std::vector<std::wstring> files;
        ASSERT_TRUE(FindLogFiles(folder, files));
        std::vector<std::wstring> expected;
        for (const std::wstring& path : files) {
            expected.push_back(fs::path(path).filename().wstring());
        }
        std::vector<std::wstring> seen;
        std::vector<size_t> indexes;
        const SOutcome withProgress = run([&](size_t index, size_t total, const std::wstring& name) {
            EXPECT_EQ(total, files.size());
            indexes.push_back(index);
            seen.push_back(name);
        });
        EXPECT_EQ(seen, expected);
        std::vector<size_t> ordinals(files.size());
        std::iota(ordinals.begin(), ordinals.end(), size_t{1});
        EXPECT_EQ(indexes, ordinals);
        EXPECT_TRUE(withProgress == plain);
        EXPECT_GT(plain.m_vecTabs.size(), 1u);
    }
}
