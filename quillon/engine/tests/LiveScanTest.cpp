#include "LiveScan.h"

#include "ChartCellsDDR.h"
#include "DdrTestSupport.h"
#include "FileUtil.h"
#include "LogRead.h"
#include "LogScanDDR.h"
#include "ResultPanelDDRModel.h"

#include <gtest/gtest.h>

#include <random>

using namespace quillon;

namespace {

using ddrtest::CDdrEngineTest;
namespace fs = std::filesystem;

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon";

std::string SampleBytes(const std::string& relative) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(kSamples / relative, bytes)) << relative;
    return bytes;
}

// Feeds bytes in pieces of 1 to maxChunk bytes, the sizes drawn from seed.
void FeedInChunks(CLiveScan& live, std::string_view bytes, unsigned seed, size_t maxChunk = 700) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<size_t> size(1, maxChunk);
    while (!bytes.empty()) {
        const size_t n = std::min(bytes.size(), size(random));
        live.Feed(bytes.substr(0, n));
        bytes.remove_prefix(n);
    }
}

// What a page shows and how it is judged: chart colours, analysis, verdict.
struct SJudged {
    std::vector<std::string> m_vecColors;
    RateMap m_rates;
    std::vector<SBestParam> m_vecBest;
    int m_nRowPassNum = 0;
    bool m_bAnalysed = false;
    bool m_bPassed = false;
    std::wstring m_strConclusion;
};

SJudged Judge(CLogPageDDR& page) {
    SJudged out;
    CChartCellsDDR chart;
    chart.Build(page);
    out.m_vecColors = chart.ColorRows();
    out.m_bAnalysed = page.Analyse(out.m_rates, out.m_vecBest, out.m_nRowPassNum);
    CResultPanelDDRModel panel;
    panel.ShowPage(out.m_vecBest, out.m_rates, out.m_nRowPassNum, GetDrvStgRegistry().GetDDRKind(),
                   page.LaneSwap());
    out.m_bPassed = panel.Passed();
    out.m_strConclusion = panel.Conclusion();
    return out;
}

class LiveScanTest : public CDdrEngineTest {
protected:
    void SetUp() override {
        CDdrEngineTest::SetUp();
        m_logs = m_dir / "logs";
        fs::create_directories(m_logs);
        m_now.m_local.tm_year = 126; // 2026-12-10 17:57:45.354
        m_now.m_local.tm_mon = 11;
        m_now.m_local.tm_mday = 10;
        m_now.m_local.tm_hour = 17;
        m_now.m_local.tm_min = 57;
        m_now.m_local.tm_sec = 45;
        m_now.m_nMillisecond = 354;
        m_pLive = std::make_unique<CLiveScan>([this] { return m_now; });
        m_pLive->SetFolder(m_logs);
    }

    // The page of path scanned from disk as Analyse scans it.
    SJudged ScanFromDisk(const fs::path& path) {
        CLogScanDDR scanner;
        scanner.SetFileList({PathToWide(path)});
        scanner.SetPageSize(4, 7);
        scanner.SetSubColCount(8);
        scanner.SetDrvStgRowCount(5);
        EXPECT_TRUE(scanner.Scan());
        m_pDiskPages = scanner.TakePageList();
        EXPECT_EQ(m_pDiskPages->GetPageCount(), 1u);
        return Judge(dynamic_cast<CLogPageDDR&>(*m_pDiskPages->GetPage(0)));
    }

    fs::path m_logs;
    SLiveTime m_now;
    std::unique_ptr<CLiveScan> m_pLive;
    std::unique_ptr<CLogPageList> m_pDiskPages;
};

struct SSampleCase {
    const char* m_szFile;
    const char* m_szSavedName;
    unsigned m_nSeed;
};

class LiveScanSampleTest : public LiveScanTest, public testing::WithParamInterface<SSampleCase> {};

TEST_P(LiveScanSampleTest, LivePageAndSavedFileEqualTheLogScannedFromDisk) {
    const SSampleCase& sample = GetParam();
    const std::string bytes = SampleBytes(sample.m_szFile);
    // Boot chatter before the scan belongs to no log.
    m_pLive->Feed("U-Boot 2024.01\r\nDRAM:  init ...\r\n");
    FeedInChunks(*m_pLive, bytes, sample.m_nSeed);
    ASSERT_EQ(m_pLive->Results().size(), 1u);
    const SLiveScanResult& result = m_pLive->Results()[0];
    EXPECT_EQ(result.m_end, ELiveScanEnd::Complete);
    EXPECT_GE(result.m_nDataLines, result.m_nRequiredLines);
    EXPECT_GT(result.m_nRequiredLines, 0u);
    EXPECT_EQ(result.m_savedPath, m_logs / sample.m_szSavedName);
    std::string saved;
    ASSERT_TRUE(ReadFileBytes(result.m_savedPath, saved));
    EXPECT_TRUE(saved == bytes) << "the saved file differs from what the board printed";

    const SJudged live = Judge(*result.m_pPage);
    const SJudged disk = ScanFromDisk(result.m_savedPath);
    EXPECT_EQ(live.m_vecColors, disk.m_vecColors);
    EXPECT_EQ(live.m_rates, disk.m_rates);
    ASSERT_EQ(live.m_vecBest.size(), disk.m_vecBest.size());
    for (size_t i = 0; i < live.m_vecBest.size(); ++i) {
        EXPECT_EQ(live.m_vecBest[i].m_nByte, disk.m_vecBest[i].m_nByte);
        EXPECT_EQ(live.m_vecBest[i].m_nDrvStg, disk.m_vecBest[i].m_nDrvStg);
        EXPECT_EQ(live.m_vecBest[i].m_nSdllPhsDly, disk.m_vecBest[i].m_nSdllPhsDly);
        EXPECT_EQ(live.m_vecBest[i].m_nDqsStepDly, disk.m_vecBest[i].m_nDqsStepDly);
    }
    EXPECT_EQ(live.m_nRowPassNum, disk.m_nRowPassNum);
    EXPECT_EQ(live.m_bPassed, disk.m_bPassed);
    EXPECT_EQ(live.m_strConclusion, disk.m_strConclusion);
    // The judgement made when the scan ended is the one a log tab makes.
    EXPECT_EQ(result.m_rates, disk.m_rates);
    EXPECT_EQ(result.m_nRowPassNum, disk.m_nRowPassNum);
    EXPECT_FALSE(live.m_vecColors.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Samples, LiveScanSampleTest,
    testing::Values(SSampleCase{"lpddr2_pass/P7_VR2-0013.txt", "VR2-0013.Txt", 1},
                    SSampleCase{"lpddr2_fail/P7_VR2-0107.txt", "VR2-0107.Txt", 2},
                    SSampleCase{"lpddr/K3_KS1-0201.txt", "KS1-0201.Txt", 3},
                    SSampleCase{"lpddr2_pass/P7_VR2-0021.txt", "VR2-0021.Txt", 4}));

TEST_F(LiveScanTest, DifferentBoardsGetDifferentPagesAndRates) {
    // Guards the equality test above against comparing two empty judgements.
    FeedInChunks(*m_pLive, SampleBytes("lpddr2_pass/P7_VR2-0013.txt"), 5);
    const SJudged pass = Judge(*m_pLive->Results().at(0).m_pPage);
    FeedInChunks(*m_pLive, SampleBytes("lpddr2_fail/P7_VR2-0107.txt"), 6);
    const SJudged fail = Judge(*m_pLive->Results().at(1).m_pPage);
    EXPECT_TRUE(pass.m_bAnalysed);
    EXPECT_TRUE(pass.m_bPassed);
    EXPECT_NE(pass.m_strConclusion, CResultPanelDDRModel::kConclusionAtStart);
    EXPECT_NE(pass.m_rates, fail.m_rates);
    EXPECT_NE(pass.m_vecColors, fail.m_vecColors);
}

TEST_F(LiveScanTest, EveryCrLfSplitAcrossTwoPiecesGivesTheSameLogAndPage) {
    const std::string bytes = SampleBytes("lpddr2_pass/P7_VR2-0013.txt");
    // Each piece ends with a CR; its LF starts the next piece.
    size_t at = 0;
    for (size_t cr = bytes.find('\r'); cr != std::string::npos; cr = bytes.find('\r', cr + 1)) {
        m_pLive->Feed(std::string_view(bytes).substr(at, cr + 1 - at));
        at = cr + 1;
    }
    m_pLive->Feed(std::string_view(bytes).substr(at));
    ASSERT_EQ(m_pLive->Results().size(), 1u);
    std::string saved;
    ASSERT_TRUE(ReadFileBytes(m_pLive->Results()[0].m_savedPath, saved));
    EXPECT_TRUE(saved == bytes);
    const SJudged live = Judge(*m_pLive->Results()[0].m_pPage);
    const SJudged disk = ScanFromDisk(m_pLive->Results()[0].m_savedPath);
    EXPECT_EQ(live.m_vecColors, disk.m_vecColors);
    EXPECT_EQ(live.m_rates, disk.m_rates);
    EXPECT_EQ(m_pLive->Results()[0].m_nDataLines, 1568u);
}

TEST_F(LiveScanTest, CellsFillAsDataLinesArrive) {
    const std::string bytes = SampleBytes("lpddr2_pass/P7_VR2-0013.txt");
    const size_t firstData = bytes.find("dxn=");
    m_pLive->Feed(bytes.substr(0, firstData));
    ASSERT_TRUE(m_pLive->InScan());
    EXPECT_EQ(m_pLive->ScanNumber(), 1);
    EXPECT_EQ(m_pLive->DataLines(), 0u);
    EXPECT_EQ(m_pLive->RequiredLines(), 1568u);
    EXPECT_EQ(m_pLive->Project(), L"P7");
    EXPECT_EQ(m_pLive->DdrType(), L"ddr2");
    EXPECT_EQ(m_pLive->DdrClock(), L"400");
    // A line cut mid-way is not placed until its line feed arrives.
    const size_t secondLine = bytes.find('\n', firstData) + 1;
    const uint64_t before = m_pLive->Generation();
    m_pLive->Feed(bytes.substr(firstData, secondLine - firstData - 2));
    EXPECT_EQ(m_pLive->DataLines(), 0u);
    m_pLive->Feed(bytes.substr(secondLine - 2, 2));
    EXPECT_EQ(m_pLive->DataLines(), 1u);
    EXPECT_NE(m_pLive->Generation(), before);
    CChartCellsDDR chart;
    chart.Build(*m_pLive->Page());
    const std::vector<std::string> rows = chart.ColorRows();
    // dxn=0, 34 ohm, first column, step -3: the one cell placed so far, a fail.
    EXPECT_EQ(rows[0][0], 'R');
    EXPECT_EQ(std::count(rows[0].begin(), rows[0].end(), '.'), long(rows[0].size()) - 1);
}

TEST_F(LiveScanTest, TwoScansBackToBackGiveTwoFilesAndTwoPages) {
    const std::string first = SampleBytes("lpddr2_pass/P7_VR2-0013.txt");
    const std::string second = SampleBytes("lpddr2_fail/P7_VR2-0115.txt");
    FeedInChunks(*m_pLive, first + second, 7);
    ASSERT_EQ(m_pLive->Results().size(), 2u);
    EXPECT_EQ(m_pLive->ScanNumber(), 2);
    std::string saved;
    ASSERT_TRUE(ReadFileBytes(m_logs / "VR2-0013.Txt", saved));
    EXPECT_TRUE(saved == first);
    ASSERT_TRUE(ReadFileBytes(m_logs / "VR2-0115.Txt", saved));
    EXPECT_TRUE(saved == second);
    EXPECT_NE(m_pLive->Results()[0].m_pPage.get(), m_pLive->Results()[1].m_pPage.get());
    EXPECT_EQ(m_pLive->Results()[1].m_pPage->GetName(), L"VR2-0115.Txt");
    std::vector<std::wstring> files;
    ASSERT_TRUE(FindLogFiles(PathToWide(m_logs), files));
    EXPECT_EQ(files.size(), 2u);
}

TEST_F(LiveScanTest, PortClosedHalfWayGivesAnInterruptedFileThatAnalyseLeavesAlone) {
    const std::string bytes = SampleBytes("lpddr2_pass/P7_VR2-0013.txt");
    const std::string half = bytes.substr(0, bytes.size() / 2 + 17); // ends mid-line
    FeedInChunks(*m_pLive, half, 8);
    EXPECT_TRUE(m_pLive->InScan());
    EXPECT_TRUE(m_pLive->Results().empty());
    m_pLive->PortClosed();
    EXPECT_FALSE(m_pLive->InScan());
    ASSERT_EQ(m_pLive->Results().size(), 1u);
    const SLiveScanResult& result = m_pLive->Results()[0];
    EXPECT_EQ(result.m_end, ELiveScanEnd::Interrupted);
    EXPECT_LT(result.m_nDataLines, result.m_nRequiredLines);
    EXPECT_EQ(result.m_savedPath, m_logs / "VR2-0013-interrupted.log");
    std::string saved;
    ASSERT_TRUE(ReadFileBytes(result.m_savedPath, saved));
    EXPECT_TRUE(saved == half);
    std::vector<std::wstring> files;
    EXPECT_FALSE(FindLogFiles(PathToWide(m_logs), files)) << "an interrupted scan was listed";
}

TEST_F(LiveScanTest, NextBannerBeforeTheLastDataLineInterruptsAndStartsTheNextScan) {
    const std::string first = SampleBytes("lpddr2_pass/P7_VR2-0013.txt");
    const std::string second = SampleBytes("lpddr2_pass/P7_VR2-0021.txt");
    const std::string cut = first.substr(0, first.find("dxn=", 60000));
    FeedInChunks(*m_pLive, cut + second, 9);
    ASSERT_EQ(m_pLive->Results().size(), 2u);
    EXPECT_EQ(m_pLive->Results()[0].m_end, ELiveScanEnd::Interrupted);
    EXPECT_EQ(m_pLive->Results()[0].m_savedPath, m_logs / "VR2-0013-interrupted.log");
    EXPECT_EQ(m_pLive->Results()[1].m_end, ELiveScanEnd::Complete);
    std::string saved;
    ASSERT_TRUE(ReadFileBytes(m_logs / "VR2-0021.Txt", saved));
    EXPECT_TRUE(saved == second);
}

TEST_F(LiveScanTest, QuietPortEndsTheScanAfterFiveSeconds) {
    const std::string bytes = SampleBytes("lpddr2_pass/P7_VR2-0013.txt");
    // Every data line but no closing line: the count is reached, the scan waits for it.
    const std::string withoutClosing = bytes.substr(0, bytes.rfind("ddr timing scan done"));
    m_now.m_nSteadyMs = 1000;
    FeedInChunks(*m_pLive, withoutClosing, 10);
    EXPECT_TRUE(m_pLive->InScan());
    m_now.m_nSteadyMs = 1000 + CLiveScan::kQuietMs - 1;
    m_pLive->Tick();
    EXPECT_TRUE(m_pLive->InScan());
    m_now.m_nSteadyMs = 1000 + CLiveScan::kQuietMs;
    m_pLive->Tick();
    ASSERT_EQ(m_pLive->Results().size(), 1u);
    EXPECT_EQ(m_pLive->Results()[0].m_end, ELiveScanEnd::Complete);

    // Too few data lines when the board falls quiet: interrupted.
    m_pLive->Feed(bytes.substr(0, 20000));
    m_now.m_nSteadyMs += CLiveScan::kQuietMs;
    m_pLive->Tick();
    ASSERT_EQ(m_pLive->Results().size(), 2u);
    EXPECT_EQ(m_pLive->Results()[1].m_end, ELiveScanEnd::Interrupted);
}

TEST_F(LiveScanTest, QuietBeforeAnyDataLineEndsNothing) {
    const std::string bytes = SampleBytes("lpddr2_pass/P7_VR2-0013.txt");
    m_pLive->Feed(bytes.substr(0, bytes.find("dxn=")));
    m_now.m_nSteadyMs += 60000;
    m_pLive->Tick();
    EXPECT_TRUE(m_pLive->InScan());
    EXPECT_TRUE(m_pLive->Results().empty());
}

TEST_F(LiveScanTest, AnExistingFileIsNeverOverwritten) {
    std::ofstream(m_logs / "VR2-0013.Txt", std::ios::binary) << "an earlier scan";
    std::ofstream(m_logs / "VR2-0013-1.Txt", std::ios::binary) << "another one";
    const std::string bytes = SampleBytes("lpddr2_pass/P7_VR2-0013.txt");
    FeedInChunks(*m_pLive, bytes, 11);
    ASSERT_EQ(m_pLive->Results().size(), 1u);
    EXPECT_EQ(m_pLive->Results()[0].m_savedPath, m_logs / "VR2-0013-2.Txt");
    std::string kept;
    ASSERT_TRUE(ReadFileBytes(m_logs / "VR2-0013.Txt", kept));
    EXPECT_EQ(kept, "an earlier scan");
    ASSERT_TRUE(ReadFileBytes(m_logs / "VR2-0013-1.Txt", kept));
    EXPECT_EQ(kept, "another one");
    // No temporary file is left behind.
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(m_logs)) {
        ++entries;
    }
    EXPECT_EQ(entries, 3u);
    // Readable by others, as the logs a user copies into the folder by hand.
    const fs::perms perms = fs::status(m_logs / "VR2-0013-2.Txt").permissions();
    EXPECT_NE(perms & fs::perms::others_read, fs::perms::none);
}

TEST_F(LiveScanTest, ScanWithoutLogFolderIsJudgedButNotSaved) {
    m_pLive->SetFolder({});
    FeedInChunks(*m_pLive, SampleBytes("lpddr2_pass/P7_VR2-0013.txt"), 12);
    ASSERT_EQ(m_pLive->Results().size(), 1u);
    EXPECT_TRUE(m_pLive->Results()[0].m_savedPath.empty());
    EXPECT_FALSE(m_pLive->Results()[0].m_strSaveError.empty());
    EXPECT_TRUE(m_pLive->Results()[0].m_bAnalysed);
}

TEST_F(LiveScanTest, MissingLogFolderIsReportedNotCreated) {
    m_pLive->SetFolder(m_logs / "typo");
    FeedInChunks(*m_pLive, SampleBytes("lpddr2_pass/P7_VR2-0013.txt"), 13);
    ASSERT_EQ(m_pLive->Results().size(), 1u);
    EXPECT_TRUE(m_pLive->Results()[0].m_savedPath.empty());
    EXPECT_NE(m_pLive->Results()[0].m_strSaveError.find("typo"), std::string::npos)
        << m_pLive->Results()[0].m_strSaveError;
    EXPECT_FALSE(fs::exists(m_logs / "typo"));
}

TEST_F(LiveScanTest, DataLinesWithoutAHeaderStartNoScan) {
    const std::string bytes = SampleBytes("lpddr2_pass/P7_VR2-0013.txt");
    // The capture opened in the middle of a scan.
    m_pLive->Feed(bytes.substr(bytes.find("dxn=", 50000)));
    EXPECT_FALSE(m_pLive->InScan());
    EXPECT_EQ(m_pLive->ScanNumber(), 0);
    m_pLive->PortClosed();
    EXPECT_TRUE(m_pLive->Results().empty());
}

struct SNameCase {
    const char* m_szSn;
    bool m_bInterrupted;
    const char* m_szName;
};

class LiveScanNameTest : public testing::TestWithParam<SNameCase> {};

TEST_P(LiveScanNameTest, FileNameComesFromTheSerialNumberElseTheTime) {
    std::tm local{};
    local.tm_year = 126;
    local.tm_mon = 0;
    local.tm_mday = 2;
    local.tm_hour = 3;
    local.tm_min = 4;
    local.tm_sec = 5;
    EXPECT_EQ(CLiveScan::FileNameFor(GetParam().m_szSn, local, 6, GetParam().m_bInterrupted),
              GetParam().m_szName);
}

INSTANTIATE_TEST_SUITE_P(Names, LiveScanNameTest,
                         testing::Values(SNameCase{"VR2-0013", false, "VR2-0013.Txt"},
                                         SNameCase{"VR2-0013", true, "VR2-0013-interrupted.log"},
                                         SNameCase{"", false, "26-01-02-03-04-05-006.Txt"},
                                         SNameCase{"", true,
                                                   "26-01-02-03-04-05-006-interrupted.log"},
                                         SNameCase{"../etc/passwd", false, "_etc_passwd.Txt"},
                                         SNameCase{"..", false, "26-01-02-03-04-05-006.Txt"},
                                         SNameCase{"SN 12/\xb5", false, "SN_12__.Txt"}));

} // namespace

// The next scan empties the process-wide registry and lane map; a finished scan's page still
// shows and judges what it did when it ended.
TEST_F(LiveScanTest, FinishedScanKeepsItsResultsUnderTheNextScan) {
    FeedInChunks(*m_pLive, SampleBytes("lpddr2_pass/P7_VR2-0013.txt"), 3);
    ASSERT_EQ(m_pLive->Results().size(), 1u);
    CLogPageDDR& page = *m_pLive->Results()[0].m_pPage;
    const SJudged before = Judge(page);
    CChartCellsDDR chart;
    chart.Build(page);
    const std::wstring driveLabel = chart.DriveLabel(0);
    FeedInChunks(*m_pLive, SampleBytes("ddr3/PM9_PL3-0302.txt"), 4);
    ASSERT_EQ(m_pLive->Results().size(), 2u);
    EXPECT_EQ(GetDrvStgRegistry().GetDDRKind(), kDdrKindDDR3); // the registry moved on
    const SJudged after = Judge(page);
    EXPECT_EQ(after.m_vecColors, before.m_vecColors);
    EXPECT_EQ(after.m_rates, before.m_rates);
    EXPECT_EQ(after.m_vecBest, before.m_vecBest);
    EXPECT_EQ(after.m_nRowPassNum, before.m_nRowPassNum);
    chart.Build(page);
    EXPECT_EQ(chart.DriveLabel(0), driveLabel);
}
