#pragma once

#include "BestParam.h"
#include "ChartCellsDDR.h"
#include "ChartCellsEMMC.h"
#include "ChartCellsHynix.h"
#include "ChildDlgDDRHynixModel.h"
#include "ChildDlgEMMCModel.h"
#include "LogDataBase.h"
#include "LogPageList.h"
#include "MergePageEMMCModel.h"
#include "ResultPanelDDRModel.h"
#include "ScanProgress.h"
#include "WriteBinBase.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

// The window-less part of Quillon's workflow for every log type: Analyse, the tabs with their
// chart cells, showing a tab in the result panel of the log type (DDR or Hynix), the eMMC
// best point and recommended values, the result prompt, the sort box and Write bin. The main
// dialog turns clicks into these calls and paints what the session holds; quillon-cli walks
// the same calls in the order a user would, so both raise the same messages in the same order.

/// How an Analyse command ended.
enum class EQuillonAnalyseEnd {
    Scanned,        ///< tabs are built; show tab 0, then the result prompt
    DirEmpty,       ///< "log file directory can not be empty" was shown; results kept
    NoLogFile,      ///< "find no valid log file, ..." was shown; results discarded
    ScanFailed,     ///< the scanner's messages were shown; results discarded
    UnknownLogType, ///< the log type is none of 0 .. 5; kUnknownLogType was shown
};

/// How a Write bin command ended.
enum class EQuillonWriteEnd {
    Written,        ///< the writer put the list into the image
    WriteFailed,    ///< the writer refused or failed and showed why
    NoImage,        ///< ".bin file could not be empty, ..." was shown
    NotStatistics,  ///< a log tab is selected; the refusal was shown
    NotFourRows,    ///< the list does not hold four rows; string resource 1 was shown
    NothingToWrite, ///< no parameter block (DDR3, Hynix, none) or no eMMC best point
};

/// One tab: its page (owned by the page list) and the cells its chart shows. DDR tabs fill
/// m_chart, Hynix tabs m_chartHynix; eMMC charts read their page directly (a full page has a
/// million cells, so nothing dense is kept).
struct SQuillonTab {
    std::wstring m_strName;
    CLogPageBase* m_pPage = nullptr;
    bool m_bMerged = false;
    CChartCellsDDR m_chart;
    CChartCellsHynix m_chartHynix;
};

/// What showing a tab produced.
struct SQuillonTabView {
    bool m_bShown = false; ///< a DDR kind or Hynix: the page was analysed and shown in its panel
    bool m_bAnalysed = false;
    int m_nRowPassNum = 0;
    std::vector<SBestParam> m_vecBest;
    std::vector<SBestRunMark> m_vecMarks; ///< best-run marks of the tab's chart
};

class CQuillonSession {
public:
    /// Shown when Analyse is asked for a log type no scanner reads (a settings file may hold
    /// any number).
    static constexpr const wchar_t* kUnknownLogType =
        L"unknown log type, please choose one in the LogType menu";

    CQuillonSession() = default;
    CQuillonSession(const CQuillonSession&) = delete;
    CQuillonSession& operator=(const CQuillonSession&) = delete;

    /// The log type (0 lpDDR, 1 lpDDR2, 2 DDR3, 3 Hynix, 4 and 5 eMMC; after a DDR analysis
    /// the DDR kind of the drive strengths, -1 for none).
    [[nodiscard]] int LogType() const { return m_nLogType; }
    void SetLogType(int logType) { m_nLogType = logType; }

    /// Analyse from the directory check to the built tabs: discards the previous results,
    /// finds the logs, scans them with the log type's sizes and sortMode (DDR: then replaces
    /// the log type by the DDR kind; eMMC: names, sizes and tags from EmmcPanel()) and builds
    /// one tab per page, the statistics page first. eMMC: the best point of the statistics
    /// page is searched and handed to the recommended values. The caller then shows tab 0 and
    /// the result prompt.
    /// progress, when given, is called once per log file in scan order before it is read;
    /// results and messages are the same with or without it.
    EQuillonAnalyseEnd Analyse(const std::wstring& directory, int sortMode,
                               ScanProgressFn progress = {});

    /// Tab change: selects tab index; for a DDR kind analyses its page, shows it in the panel
    /// and computes the best-run marks; for Hynix the same in the Hynix panel without marks.
    /// Nothing happens for an index without a tab.
    const SQuillonTabView& ShowTab(int index);

    /// The result prompt: ResultPrompt/Prompt when ResultPrompt/Enabel is not 0 and the
    /// statistics verdict (a verdict made by the shown tab 0) is PASS. True when shown.
    bool ShowResultPrompt();

    /// Sort box change: with DDR or Hynix results analyses and sorts the pages by sortMode and
    /// rebuilds the tabs; the caller shows tab 0. False (nothing changed) otherwise.
    bool ChangeSort(int sortMode);

    /// Write bin with image: lpDDR and lpDDR2 from the panel's list, eMMC from the
    /// recommended values as edited.
    EQuillonWriteEnd WriteBin(const std::wstring& image);

    /// The checks of Write bin, each refusal shown as the command shows it, and the writer
    /// that holds what the statistics tab shows; nullptr, with end saying why, when there is
    /// none. WriteBin is this and the write; a dry run previews with the same writer.
    [[nodiscard]] std::unique_ptr<CWriteBinBase> MakeWriter(const std::wstring& image,
                                                            EQuillonWriteEnd& end);

    /// Reset: the DDR panel from stored, the Hynix panel from storedHynix, the recommended
    /// values emptied, no tabs, no page list.
    void Reset(const CResultPanelDDRModel::SStoredList& stored,
               const CChildDlgDDRHynixModel::SStoredList& storedHynix =
                   CChildDlgDDRHynixModel::DefaultStoredList());

    [[nodiscard]] const std::vector<SQuillonTab>& Tabs() const { return m_vecTabs; }
    [[nodiscard]] int SelectedTab() const { return m_nSelectedTab; }
    [[nodiscard]] const SQuillonTabView& TabView() const { return m_view; }
    [[nodiscard]] const CLogPageList* PageList() const { return m_pPages.get(); }
    [[nodiscard]] CResultPanelDDRModel& Panel() { return m_panel; }
    [[nodiscard]] const CResultPanelDDRModel& Panel() const { return m_panel; }
    [[nodiscard]] CChildDlgDDRHynixModel& HynixPanel() { return m_hynixPanel; }
    [[nodiscard]] const CChildDlgDDRHynixModel& HynixPanel() const { return m_hynixPanel; }
    /// The eMMC parameter panel's fields, read by an eMMC Analyse.
    [[nodiscard]] CChildDlgEMMCModel& EmmcPanel() { return m_emmcPanel; }
    /// The recommended values of the eMMC statistics tab; Write bin reads them back.
    [[nodiscard]] CMergePageEMMCModel& MergePage() { return m_mergePage; }
    [[nodiscard]] const CMergePageEMMCModel& MergePage() const { return m_mergePage; }
    /// The cleaned parameter names, log mode and best point of the last eMMC scan.
    [[nodiscard]] const SEmmcNames& EmmcNames() const { return m_emmcNames; }
    [[nodiscard]] int EmmcLogMode() const { return m_nEmmcLogMode; }
    [[nodiscard]] const SEmmcSizes& EmmcSizes() const { return m_emmcSizes; }
    [[nodiscard]] const std::optional<SEmmcBestPoint>& EmmcBest() const { return m_emmcBest; }
    /// The number of files the last Analyse found.
    [[nodiscard]] size_t FileCount() const { return m_nFileCount; }
    /// The logs' header of the last DDR scan.
    [[nodiscard]] const std::wstring& Project() const { return m_strProject; }
    [[nodiscard]] const std::wstring& DdrType() const { return m_strDdrType; }
    [[nodiscard]] const std::wstring& DdrClock() const { return m_strDdrClock; }
    /// "QuillonTool - [Project:%s DDRType:%s DDRclk:%s]" of the last DDR scan.
    [[nodiscard]] std::wstring ScanTitle() const;
    /// The title before any analysis and after a log type change.
    [[nodiscard]] static std::wstring DefaultTitle() { return L"Quillon Tool  For Pellam"; }

private:
    void Discard();
    void BuildTabs();
    [[nodiscard]] bool ScanDdr(std::vector<std::wstring> files, int sortMode);
    [[nodiscard]] bool ScanHynix(std::vector<std::wstring> files, int sortMode);
    [[nodiscard]] bool ScanEmmc(std::vector<std::wstring> files, int sortMode);
    void SearchEmmcBest();

    int m_nLogType = 0;
    int m_nScannedType = -1; ///< the log type the last Analyse scanned with (before the DDR kind)
    std::unique_ptr<CLogPageList> m_pPages;
    std::vector<SQuillonTab> m_vecTabs;
    int m_nSelectedTab = -1;
    SQuillonTabView m_view;
    bool m_bStatisticsVerdict = false; ///< tab 0 was shown and gave a verdict
    CResultPanelDDRModel m_panel;
    CChildDlgDDRHynixModel m_hynixPanel;
    CChildDlgEMMCModel m_emmcPanel;
    CMergePageEMMCModel m_mergePage;
    SEmmcNames m_emmcNames;
    SEmmcSizes m_emmcSizes;
    int m_nEmmcLogMode = -1;
    std::optional<SEmmcBestPoint> m_emmcBest;
    size_t m_nFileCount = 0;
    std::wstring m_strProject;
    std::wstring m_strDdrType;
    std::wstring m_strDdrClock;
    ScanProgressFn m_progress; ///< the running Analyse's progress callback
};

} // namespace quillon
