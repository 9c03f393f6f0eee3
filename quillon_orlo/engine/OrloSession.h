#pragma once

#include "OrloPageList.h"
#include "PassShare.h"
#include "ScanProgress.h"

#include <memory>
#include <string>
#include <vector>

// The window-less part of QuillonOrlo's scan command and of showing its statistics tab: the
// GUI and the batch program run the same steps and the same messages.

namespace orlo {

/// Most log files one scan accepts (all three directories together).
inline constexpr int kMaxOrloScanFiles = 100;

/// What the engineer entered: the three directory boxes and the two check boxes.
struct SOrloScanRequest {
    std::wstring m_strNormalDir;
    std::wstring m_strLowDir;
    std::wstring m_strHighDir;
    bool m_bIncludeLow = false;
    bool m_bIncludeHigh = false;
};

/// How a scan command ended; the GUI selects and focuses the named box on the *DirEmpty ones.
enum class EOrloScanEnd {
    Scanned,        ///< the scan succeeded, a result is held
    NormalDirEmpty, ///< nothing changed, the previous result is kept
    LowDirEmpty,
    HighDirEmpty,
    NoLogFile,
    TooManyFiles,
    ScanFailed, ///< the failure message was shown; the result prompt step follows
};

/// What the statistics tab shows after an analysis.
struct SOrloAnalysis {
    bool m_bPass = false;
    std::wstring m_strReason;
    bool m_bBestFound = false; ///< FindOrloBestParam returned true
    bool m_bBestRun = false;   ///< the verdict passed, so the set below was searched
    int m_nDqsDrv = 0;
    int m_nDataDrv = 0;
    int m_nCtl = 0;
    int m_nClkDrv = 0;
    int m_nClkwr = 0;
};

/// Holds the result of the last successful scan and the verdict flag, as the main dialog
/// does.
class COrloSession {
public:
    COrloSession() = default;
    COrloSession(const COrloSession&) = delete;
    COrloSession& operator=(const COrloSession&) = delete;

    /// Steps of the scan command from the directory checks to the scan itself, with their
    /// messages. Settings and profile values are written by the caller beforehand.
    /// progress, when given, is called once per log file in scan order before it is read;
    /// results and messages are the same with or without it.
    EOrloScanEnd Scan(const SOrloScanRequest& request, const ScanProgressFn& progress = {});

    /// Selecting the statistics tab: reads the limit lists afresh, judges the merged page
    /// with N = the number of log pages, keeps the verdict flag and, on pass, searches the
    /// recommended set. Without a result nothing is judged (m_bPass false).
    SOrloAnalysis AnalyseMergedPage();

    /// The last step of a scan command: the configured result prompt when the verdict flag
    /// is set (ResultPrompt/Enabel defaults to 1 here).
    void ShowResultPrompt() const;

    [[nodiscard]] const OrloPageList* Result() const { return m_pResult.get(); }
    [[nodiscard]] bool Verdict() const { return m_bVerdict; }
    /// The file list of the last scan command (normal, then low, then high).
    [[nodiscard]] const std::vector<std::wstring>& FileList() const { return m_fileList; }

private:
    std::unique_ptr<OrloPageList> m_pResult;
    std::vector<std::wstring> m_fileList;
    bool m_bVerdict = false;
};

} // namespace orlo
