#pragma once

#include "LogDocument.h"
#include "LogText.h" // the folder search the workflow and its callers use
#include "PassShare.h"
#include "ScanProgress.h"
#include "ResultFormModel.h"

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace sondex {

/// One log of the last folder analysis as the open went.
struct SLogOpenRecord {
    std::filesystem::path path;
    bool opened = false;
    int status = -1; ///< status of the log reader
};

/// The main frame's and the document manager's part of the Sondex workflow, without
/// windows: opening logs as documents, the folder analysis with its statistics document,
/// the SR selection, and the refresh of the result form when a document is activated.
class CFolderWorkflow {
public:
    static constexpr int kSrCount = 4;

    CFolderWorkflow() = default;
    CFolderWorkflow(const CFolderWorkflow&) = delete;
    CFolderWorkflow& operator=(const CFolderWorkflow&) = delete;

    /// The check marks of the "SR VALUE" menu (sr 0 only at start).
    void SetSrSelected(int sr, bool selected);
    void ToggleSr(int sr);
    [[nodiscard]] bool IsSrSelected(int sr) const;
    /// The selected SR values, ascending.
    [[nodiscard]] std::vector<int32_t> GetSelectedSr() const;

    /// Opens one log as a new document; nullptr when the open fails.
    CLogDocument* OpenLog(const std::filesystem::path& path);
    /// Opens every log of the folder (stopping at the first failed open) and, when any
    /// was opened, builds the statistics document. Returns the number of logs opened.
    /// A folder that stopped part way or opened nothing is not all passed; the log that
    /// stopped it is listed in the fail list as "\n<name>\tOpen failed".
    /// progress, when given, is called once per log file in order before it is opened.
    int AnalyzeFolder(const std::filesystem::path& folder, const ScanProgressFn& progress = {});
    /// What the logs of the last folder analysis say about cell (row, col) of statistics
    /// table: read from the statistics cell's results, one run per log in opening order (its
    /// own results, or the fail the merge added for a log without the cell once an earlier
    /// log had it). A log passed when none of its results failed. Nothing without a
    /// statistics document or results there.
    [[nodiscard]] SPassShare CellShare(int table, int row, int col) const;
    /// File New: the statistics document of the current folder.
    CLogDocument* CreateStatisticsDocument();
    void CloseAllDocuments();
    /// Refresh of the result form for an activated document, with the all-passed and
    /// incomplete-logs messages of the statistics document.
    void Activate(CLogDocument* document);

    [[nodiscard]] const std::vector<std::unique_ptr<CLogDocument>>& GetDocuments() const {
        return m_documents;
    }
    /// The statistics document, nullptr when there is none.
    [[nodiscard]] CLogDocument* GetStatisticsDocument() const;
    [[nodiscard]] const CResultFormModel& GetResultForm() const { return m_form; }
    [[nodiscard]] CResultFormModel& GetResultForm() { return m_form; }
    [[nodiscard]] const std::wstring& GetFailList() const { return m_strFailList; }
    [[nodiscard]] const std::wstring& GetIncompleteList() const { return m_strIncompleteList; }
    [[nodiscard]] bool IsAllPassed() const { return m_bAllPassed; }
    [[nodiscard]] bool IsAllPassedShown() const { return m_bAllPassedShown; }
    [[nodiscard]] bool IsIncompleteShown() const { return m_bIncompleteShown; }
    [[nodiscard]] const std::vector<ResultMap>& GetPerLogResults() const { return m_perLogResults; }
    [[nodiscard]] const std::vector<SLogOpenRecord>& GetOpenRecords() const {
        return m_openRecords;
    }
    /// Folder of the last folder analysis that opened a log (the "LogFileDir" setting).
    [[nodiscard]] const std::filesystem::path& GetLogFileDir() const { return m_logFileDir; }
    void SetLogFileDir(const std::filesystem::path& dir) { m_logFileDir = dir; }

private:
    std::array<bool, kSrCount> m_srSelected{true, false, false, false};
    std::vector<std::unique_ptr<CLogDocument>> m_documents; ///< opening order
    std::vector<CScanLogData*> m_folderLogs;                ///< not owned
    std::vector<ResultMap> m_perLogResults;
    std::vector<SLogOpenRecord> m_openRecords;
    std::unique_ptr<CScanLogData> m_pStatisticsData; ///< until the statistics document takes it
    CResultFormModel m_form;
    std::filesystem::path m_logFileDir;
    std::wstring m_strFailList;
    std::wstring m_strIncompleteList;
    bool m_bAllPassed = true;
    bool m_bAllPassedShown = false;
    bool m_bIncompleteShown = false;
};

} // namespace sondex
