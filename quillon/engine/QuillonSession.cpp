#include "QuillonSession.h"

#include "AnalyzerSettings.h"
#include "DrvStgRegistry.h"
#include "LogPageDDR.h"
#include "LogPageDDRHynix.h"
#include "LogPageEMMC.h"
#include "LogRead.h"
#include "LogScanDDR.h"
#include "LogScanEMMC.h"
#include "LogScanHynix.h"
#include "TextUtil.h"
#include "UserPrompt.h"
#include "WriteBinBase.h"
#include "WriterEMMC.h"

namespace quillon {

namespace {

[[nodiscard]] bool IsDdrLogType(int logType) {
    return logType >= 0 && logType <= 2;
}

constexpr int kLogTypeHynix = 3;

[[nodiscard]] bool IsEmmcLogType(int logType) {
    return logType == kLogTypeEmmcSdr50 || logType == kLogTypeEmmcDdr50;
}

} // namespace

void CQuillonSession::Discard() {
    // Tabs hold pointers into the page list, so they go first.
    m_vecTabs.clear();
    m_nSelectedTab = -1;
    m_view = SQuillonTabView();
    m_bStatisticsVerdict = false;
    m_pPages.reset();
    m_emmcBest.reset();
    m_nEmmcLogMode = -1;
    m_mergePage = CMergePageEMMCModel();
}

EQuillonAnalyseEnd CQuillonSession::Analyse(const std::wstring& directory, int sortMode,
                                            ScanProgressFn progress) {
    // Held for this command only: a later Analyse without one shows no progress.
    m_progress = std::move(progress);
    struct SDropProgress {
        ScanProgressFn& fn;
        ~SDropProgress() { fn = nullptr; }
    } drop{m_progress};
    if (directory.empty()) {
        GetPrompt().Show(L"log file directory can not be empty");
        return EQuillonAnalyseEnd::DirEmpty;
    }
    Discard();
    m_nFileCount = 0;

    std::vector<std::wstring> files;
    if (!FindLogFiles(directory, files)) {
        GetPrompt().Show(L"find no valid log file, can not made a analysis");
        return EQuillonAnalyseEnd::NoLogFile;
    }
    m_nFileCount = files.size();
    m_nScannedType = m_nLogType;
    bool scanned = false;
    if (IsDdrLogType(m_nLogType)) {
        scanned = ScanDdr(std::move(files), sortMode);
    } else if (m_nLogType == kLogTypeHynix) {
        scanned = ScanHynix(std::move(files), sortMode);
    } else if (IsEmmcLogType(m_nLogType)) {
        scanned = ScanEmmc(std::move(files), sortMode);
    } else {
        GetPrompt().Show(kUnknownLogType);
        return EQuillonAnalyseEnd::UnknownLogType;
    }
    if (!scanned) {
        return EQuillonAnalyseEnd::ScanFailed;
    }
    BuildTabs();
    if (IsEmmcLogType(m_nLogType)) {
        SearchEmmcBest();
    }
    return EQuillonAnalyseEnd::Scanned;
}

bool CQuillonSession::ScanDdr(std::vector<std::wstring> files, int sortMode) {
    CLogScanDDR scanner;
    scanner.SetFileList(std::move(files));
    scanner.SetProgress(m_progress);
    scanner.SetPageSize(4, 7);
    scanner.SetSubColCount(8);
    scanner.SetDrvStgRowCount(m_nLogType == 2 ? 2 : 5);
    scanner.SetSortMode(sortMode);
    if (!scanner.Scan()) {
        return false;
    }
    m_pPages = scanner.TakePageList();
    // From here on the log type is the kind the drive strengths of the logs name.
    const CScanSnapshot* snapshot = m_pPages->ScanSnapshot();
    m_nLogType = (snapshot != nullptr ? snapshot->DrvStgs() : GetDrvStgRegistry()).GetDDRKind();
    m_strProject = scanner.GetProject();
    m_strDdrType = scanner.GetDdrType();
    m_strDdrClock = scanner.GetDdrClock();
    return true;
}

bool CQuillonSession::ScanHynix(std::vector<std::wstring> files, int sortMode) {
    CLogScanHynix scanner;
    scanner.SetFileList(std::move(files));
    scanner.SetProgress(m_progress);
    scanner.SetPageSize(4, 7);
    scanner.SetSubColCount(8);
    scanner.SetDrvStgRowCount(1);
    scanner.SetSortMode(sortMode);
    if (!scanner.Scan()) {
        return false;
    }
    // A Hynix analysis keeps its log type and the window its title.
    m_pPages = scanner.TakePageList();
    return true;
}

bool CQuillonSession::ScanEmmc(std::vector<std::wstring> files, int sortMode) {
    SEmmcTags tags;
    m_emmcPanel.GetNames(m_emmcNames);
    m_emmcPanel.GetTags(tags);
    m_emmcSizes = m_emmcPanel.GetSizes();
    CLogScanEMMC scanner;
    scanner.SetFileList(std::move(files));
    scanner.SetProgress(m_progress);
    scanner.SetSortMode(sortMode);
    scanner.SetSizes(m_emmcSizes);
    scanner.SetTags(tags);
    scanner.SetNames(m_emmcNames);
    if (!scanner.Scan()) {
        GetPrompt().Show(kEmmcScanFailedMessage);
        return false;
    }
    m_pPages = scanner.TakePageList();
    m_nEmmcLogMode = scanner.GetLogMode();
    return true;
}

void CQuillonSession::SearchEmmcBest() {
    // The statistics tab's best point becomes the recommended values the user may edit.
    std::vector<SEmmcBestPoint> records;
    if (!m_vecTabs.empty() && m_vecTabs[0].m_bMerged) {
        if (auto* merged = dynamic_cast<CLogPageEMMC*>(m_vecTabs[0].m_pPage)) {
            m_emmcBest = merged->SearchBestPoint();
            if (m_emmcBest) {
                records.push_back(*m_emmcBest);
            }
        }
    }
    m_mergePage = CMergePageEMMCModel();
    m_mergePage.Init(records, m_emmcNames.strRow, m_emmcNames.strCol, m_emmcNames.strInRow,
                     m_emmcNames.strInCol);
}

void CQuillonSession::BuildTabs() {
    m_vecTabs.clear();
    m_nSelectedTab = -1;
    m_view = SQuillonTabView();
    m_bStatisticsVerdict = false;
    if (!m_pPages) {
        return;
    }
    auto addTab = [this](CLogPageBase* page, bool merged) {
        SQuillonTab tab;
        tab.m_strName = page->GetName();
        tab.m_pPage = page;
        tab.m_bMerged = merged;
        // Every DDR page gets its chart, whatever the DDR kind: the cells come from the page.
        if (m_nScannedType == kLogTypeHynix) {
            tab.m_chartHynix.Build(*page);
        } else if (!IsEmmcLogType(m_nScannedType)) {
            tab.m_chart.Build(*page);
        }
        m_vecTabs.push_back(std::move(tab));
    };
    if (CLogPageBase* merged = m_pPages->GetMergedPage()) {
        addTab(merged, true);
    } else if (m_nScannedType == kLogTypeHynix) {
        GetPrompt().Show(L"statistics Hynix log data failed");
    } else if (IsEmmcLogType(m_nScannedType)) {
        GetPrompt().Show(L"statistics EMMC log data failed");
    } else {
        GetPrompt().Show(L"statistics DDR log data failed");
    }
    for (size_t i = 0; i < m_pPages->GetPageCount(); ++i) {
        addTab(m_pPages->GetPage(i), false);
    }
}

const SQuillonTabView& CQuillonSession::ShowTab(int index) {
    if (index < 0 || static_cast<size_t>(index) >= m_vecTabs.size()) {
        return m_view;
    }
    m_nSelectedTab = index;
    m_view = SQuillonTabView();
    SQuillonTab& tab = m_vecTabs[static_cast<size_t>(index)];
    if (m_nLogType == kLogTypeHynix) {
        if (auto* hynix = dynamic_cast<CLogPageDDRHynix*>(tab.m_pPage)) {
            std::map<int, double> rates;
            m_view.m_bShown = true;
            m_view.m_bAnalysed = hynix->Analyse(rates, m_view.m_vecBest, m_view.m_nRowPassNum);
            m_hynixPanel.ShowPage(m_view.m_vecBest, rates, m_view.m_nRowPassNum, m_nLogType,
                                  hynix->LaneSwap());
        }
        return m_view;
    }
    auto* page = dynamic_cast<CLogPageDDR*>(tab.m_pPage);
    if (!IsDdrLogType(m_nLogType) || page == nullptr) {
        // A log type that is no DDR kind analyses nothing on a tab change.
        return m_view;
    }
    RateMap rates;
    m_view.m_bShown = true;
    m_view.m_bAnalysed = page->Analyse(rates, m_view.m_vecBest, m_view.m_nRowPassNum);
    m_panel.ShowPage(m_view.m_vecBest, rates, m_view.m_nRowPassNum, m_nLogType, page->LaneSwap());
    m_view.m_vecMarks = tab.m_chart.BestRunMarks(page->GetBestRecords());
    if (index == 0) {
        m_bStatisticsVerdict = m_panel.VerdictMade();
    }
    return m_view;
}

bool CQuillonSession::ShowResultPrompt() {
    // A pass flag left over from an earlier analysis does not count: only a verdict made by
    // this analysis' first tab does.
    if (!m_bStatisticsVerdict || !m_panel.Passed()) {
        return false;
    }
    const std::optional<std::wstring> prompt = analyzer::ReadResultPrompt();
    if (!prompt) {
        return false;
    }
    GetPrompt().Show(*prompt);
    return true;
}

bool CQuillonSession::ChangeSort(int sortMode) {
    if (!m_pPages || !(IsDdrLogType(m_nLogType) || m_nLogType == kLogTypeHynix)) {
        return false;
    }
    m_vecTabs.clear();
    m_pPages->AnalyseAndSort(sortMode);
    BuildTabs();
    return true;
}

EQuillonWriteEnd CQuillonSession::WriteBin(const std::wstring& image) {
    EQuillonWriteEnd end = EQuillonWriteEnd::Written;
    const std::unique_ptr<CWriteBinBase> writer = MakeWriter(image, end);
    if (!writer) {
        return end;
    }
    return writer->WriteToBin(image) ? EQuillonWriteEnd::Written : EQuillonWriteEnd::WriteFailed;
}

std::unique_ptr<CWriteBinBase> CQuillonSession::MakeWriter(const std::wstring& image,
                                                           EQuillonWriteEnd& end) {
    if (image.empty()) {
        GetPrompt().Show(L".bin file could not be empty, please specify log file full path");
        end = EQuillonWriteEnd::NoImage;
        return nullptr;
    }
    if (!m_vecTabs.empty() && m_nSelectedTab > 0) {
        GetPrompt().Show(
            L"could not write back to bin file when the chart view is not statistics chart view");
        end = EQuillonWriteEnd::NotStatistics;
        return nullptr;
    }
    end = EQuillonWriteEnd::NothingToWrite;
    if (IsEmmcLogType(m_nLogType)) {
        const std::vector<SEmmcBestPoint> points = m_mergePage.GetRecords();
        if (points.empty()) {
            return nullptr; // no best point, so no writer either
        }
        std::unique_ptr<CWriterEMMC> writer;
        if (m_nLogType == kLogTypeEmmcDdr50) {
            writer = std::make_unique<CWriterEMMCddr50>();
        } else {
            writer = std::make_unique<CWriterEMMCsdr50>();
        }
        writer->SetBestPoints(points);
        return writer;
    }
    if (m_nLogType != 0 && m_nLogType != 1) {
        // DDR3 and Hynix results (and no DDR kind) have no parameter block to go into.
        return nullptr;
    }
    std::vector<SBestParam> records;
    if (!m_panel.BuildWriteRecords(records)) {
        end = EQuillonWriteEnd::NotFourRows;
        return nullptr;
    }
    std::unique_ptr<CWriteBinBase> writer = CreateBinWriter(m_nLogType);
    if (writer) {
        writer->SetParameters(records);
    }
    return writer;
}

void CQuillonSession::Reset(const CResultPanelDDRModel::SStoredList& stored,
                            const CChildDlgDDRHynixModel::SStoredList& storedHynix) {
    m_panel.Reset(stored);
    m_hynixPanel.Reset(storedHynix);
    Discard();
}

std::wstring CQuillonSession::ScanTitle() const {
    return L"QuillonTool - [Project:" + m_strProject + L" DDRType:" + m_strDdrType + L" DDRclk:" +
           m_strDdrClock + L"]";
}

} // namespace quillon
