#include "ChartCellsDDR.h"
#include "ChartCellsHynix.h"
#include "ChildDlgDDRHynixModel.h"
#include "DdrTestSupport.h"
#include "LogPageDDRHynix.h"
#include "LogScanDDR.h"
#include "LogScanHynix.h"
#include "ResultPanelDDRModel.h"
#include "ScanSnapshot.h"

using namespace ddrtest;
using namespace quillon;

namespace {

// Everything a tab shows of a page: its analysis, its chart, the best-run marks and the
// result panel filled from them.
struct SShown {
    bool m_bAnalysed = false;
    RateMap m_rates;
    std::vector<SBestParam> m_vecBest;
    int m_nRowPassNum = 0;
    std::vector<std::string> m_vecChart;
    std::vector<std::wstring> m_vecDriveLabels;
    std::vector<SBestRunMark> m_vecMarks;
    std::vector<CResultPanelDDRModel::RowTexts> m_vecPanelRows;
    std::array<std::wstring, 4> m_arrRateTexts;
    std::wstring m_strConclusion;
    bool operator==(const SShown&) const = default;
};

SShown ShowDdr(CLogPageDDR& page, int ddrKind) {
    SShown shown;
    shown.m_bAnalysed = page.Analyse(shown.m_rates, shown.m_vecBest, shown.m_nRowPassNum);
    CChartCellsDDR chart;
    chart.Build(page);
    shown.m_vecChart = chart.ColorRows();
    for (int row = 0; row < chart.DataRowCount(); ++row) {
        shown.m_vecDriveLabels.push_back(chart.DriveLabel(row));
    }
    shown.m_vecMarks = chart.BestRunMarks(page.GetBestRecords());
    CResultPanelDDRModel panel;
    panel.ShowPage(shown.m_vecBest, shown.m_rates, shown.m_nRowPassNum, ddrKind, page.LaneSwap());
    shown.m_vecPanelRows = panel.Rows();
    shown.m_arrRateTexts = panel.RateTexts();
    shown.m_strConclusion = panel.Conclusion();
    return shown;
}

SShown ShowHynix(CLogPageDDRHynix& page) {
    SShown shown;
    shown.m_bAnalysed = page.Analyse(shown.m_rates, shown.m_vecBest, shown.m_nRowPassNum);
    CChartCellsHynix chart;
    chart.Build(page);
    shown.m_vecChart = chart.ColorRows();
    CChildDlgDDRHynixModel panel;
    panel.ShowPage(shown.m_vecBest, shown.m_rates, shown.m_nRowPassNum, 3, page.LaneSwap());
    shown.m_vecPanelRows = panel.Rows();
    shown.m_arrRateTexts = panel.RateTexts();
    shown.m_strConclusion = panel.Conclusion();
    return shown;
}

class ScanSnapshotTest : public CDdrEngineTest {
protected:
    std::unique_ptr<CLogPageList> ScanDdr(std::vector<std::wstring> files, bool expected) {
        CLogScanDDR scanner;
        scanner.SetFileList(std::move(files));
        scanner.SetPageSize(4, 7);
        scanner.SetSubColCount(8);
        scanner.SetDrvStgRowCount(5);
        EXPECT_EQ(scanner.Scan(), expected);
        return scanner.TakePageList();
    }
    void SwapLanes(const wchar_t* chip0, const wchar_t* chip1) {
        Set(L"SwapByte", L"MemByte0", chip0);
        Set(L"SwapByte", L"MemByte1", chip1);
    }
    // A scan that empties the registry, registers other drive strengths, rebuilds the lane
    // map without the swap, and then fails on a file that cannot be read.
    void FailingDdrScan() {
        SwapLanes(L"ChipByte0", L"ChipByte1");
        SLogSpec ddr1;
        ddr1.ddrType = "ddr1";
        ddr1.drvStgs = {31, 33, 39, 43, 48, 55, 64};
        const std::wstring good = WriteFile("b/ddr1.txt", MakeLog(ddr1));
        EXPECT_EQ(ScanDdr({good, PathToWide(m_dir / "b" / "missing.txt")}, false), nullptr);
        // The process-wide objects did change under the shown results.
        EXPECT_EQ(GetDrvStgRegistry().GetDDRKind(), kDdrKindDDR1);
        EXPECT_EQ(GetLaneSwapMap().Swap(0), 0);
    }
};

// Lane b passes the first 8 + 8 x b positions of every row, so every lane reads differently.
std::optional<int> LaneRamp(int byte, int, int column, int step) {
    return std::optional<int>(column * 8 + step + 3 < 8 + 8 * byte ? 1 : 0);
}

} // namespace

TEST_F(ScanSnapshotTest, DdrResultsStayAsScannedUnderALaterFailingScan) {
    SwapLanes(L"ChipByte1", L"ChipByte0");
    SLogSpec spec;
    spec.drvStgs = {34, 40, 48, 60, 80, 120, 240}; // a complete ddr2 log
    spec.cell = LaneRamp;
    const std::wstring a = WriteFile("a/a.txt", MakeLog(spec));
    const std::wstring b = WriteFile("a/b.txt", MakeLog(spec));
    std::unique_ptr<CLogPageList> list = ScanDdr({a, b}, true);
    ASSERT_NE(list, nullptr);
    ASSERT_NE(list->ScanSnapshot(), nullptr);
    EXPECT_EQ(list->ScanSnapshot()->DrvStgs().GetDDRKind(), kDdrKindDDR2);
    auto* merged = dynamic_cast<CLogPageDDR*>(list->GetMergedPage());
    auto* log = dynamic_cast<CLogPageDDR*>(list->GetPage(1));
    ASSERT_NE(merged, nullptr);
    ASSERT_NE(log, nullptr);
    const SShown mergedBefore = ShowDdr(*merged, kDdrKindDDR2);
    const SShown logBefore = ShowDdr(*log, kDdrKindDDR2);
    ASSERT_TRUE(mergedBefore.m_bAnalysed);
    ASSERT_EQ(mergedBefore.m_vecBest.size(), 4u);
    EXPECT_EQ(mergedBefore.m_vecDriveLabels[0], L" 34");
    // The swap of lanes 0 and 1 is in what is shown: row 0 of the list was measured on lane 1.
    EXPECT_EQ(mergedBefore.m_vecPanelRows[0][CResultPanelDDRModel::kColByte], L"0");
    EXPECT_EQ(mergedBefore.m_vecPanelRows[0][CResultPanelDDRModel::kColDqsStepDly],
              FormatW(L"%d", mergedBefore.m_vecBest[1].m_nDqsStepDly));
    EXPECT_EQ(mergedBefore.m_vecChart[0], std::string(16, 'G') + std::string(40, 'R'));

    FailingDdrScan();

    EXPECT_EQ(ShowDdr(*merged, kDdrKindDDR2), mergedBefore);
    EXPECT_EQ(ShowDdr(*log, kDdrKindDDR2), logBefore);
    // Sorting again (the sort box) analyses with the scan's registry too.
    list->AnalyseAndSort(kSortAscendingByWeakest);
    EXPECT_EQ(ShowDdr(*merged, kDdrKindDDR2), mergedBefore);
}

TEST_F(ScanSnapshotTest, HynixResultsStayAsScannedUnderALaterFailingScan) {
    SLogSpec spec;
    spec.platform = "HYNIX lpddr2 board";
    spec.drvStgs = {48};
    spec.cell = LaneRamp;
    CLogScanHynix scanner;
    scanner.SetFileList({WriteFile("h/a.txt", MakeLog(spec))});
    ASSERT_TRUE(scanner.Scan());
    std::unique_ptr<CLogPageList> list = scanner.TakePageList();
    auto* merged = dynamic_cast<CLogPageDDRHynix*>(list->GetMergedPage());
    ASSERT_NE(merged, nullptr);
    const SShown before = ShowHynix(*merged);
    ASSERT_TRUE(before.m_bAnalysed);
    ASSERT_EQ(before.m_vecBest.size(), 4u);
    EXPECT_EQ(before.m_arrRateTexts[3], L"57.1%"); // 32 of 56 positions

    FailingDdrScan();

    EXPECT_EQ(ShowHynix(*merged), before);
}

TEST_F(ScanSnapshotTest, PagesOutsideAFinishedScanReadTheProcessWideObjects) {
    // A page still being scanned (or the live capture's page) has no snapshot of its own.
    CLogPageDDR page;
    GetDrvStgRegistry().Register(34);
    EXPECT_EQ(&page.DrvStgs(), &GetDrvStgRegistry());
    EXPECT_EQ(&page.LaneSwap(), &GetLaneSwapMap());
    // A list hands its snapshot to pages added and merged after it was taken.
    CLogPageList list;
    list.TakeScanSnapshot();
    GetDrvStgRegistry().Register(40);
    auto added = std::make_unique<CLogPageDDR>();
    CLogPageDDR* raw = added.get();
    list.AddPage(std::move(added));
    EXPECT_EQ(&raw->DrvStgs(), &list.ScanSnapshot()->DrvStgs());
    EXPECT_EQ(raw->DrvStgs().Map(), (std::map<int, int>{{34, 0}}));
}
