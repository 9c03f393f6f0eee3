#pragma once

#include "LogPageList.h"
#include "ScanProgress.h"

#include <memory>
#include <string>
#include <vector>

namespace quillon {

/// The scanner interface: a log-kind specific scanner turns a list of log files into a page
/// list. A scanner is used for one Analyse command: fill the file list, the sort mode and the
/// four counts, call Scan, take the page list on success.
class CLogScanItf {
public:
    CLogScanItf() = default;
    virtual ~CLogScanItf() = default;
    CLogScanItf(const CLogScanItf&) = delete;
    CLogScanItf& operator=(const CLogScanItf&) = delete;

    /// Parses every file of the list into the page list; true on success. A failed scan
    /// leaves no page list. The base does nothing and succeeds.
    virtual bool Scan() { return true; }

    void SetFileList(std::vector<std::wstring> files) { m_vecFileList = std::move(files); }
    [[nodiscard]] const std::vector<std::wstring>& GetFileList() const { return m_vecFileList; }
    void SetSortMode(int sortMode) { m_nSortMode = sortMode; }
    [[nodiscard]] int GetSortMode() const { return m_nSortMode; }
    /// Called once per file of the list, in order, before the file is read (none by default).
    void SetProgress(ScanProgressFn progress) { m_progress = std::move(progress); }
    /// Page rows (byte lanes, 4) and page columns (sdll_phs_dly columns, 7).
    void SetPageSize(int pageRowCount, int pageColCount) {
        m_nPageSizeRow = pageRowCount;
        m_nPageSizeCol = pageColCount;
    }
    void SetSubColCount(int subColCount) { m_nSubColCount = subColCount; }
    void SetDrvStgRowCount(int drvStgRowCount) { m_nDrvStgRowCount = drvStgRowCount; }
    [[nodiscard]] int GetPageSizeCol() const { return m_nPageSizeCol; }
    [[nodiscard]] int GetPageSizeRow() const { return m_nPageSizeRow; }
    [[nodiscard]] int GetSubColCount() const { return m_nSubColCount; }
    [[nodiscard]] int GetDrvStgRowCount() const { return m_nDrvStgRowCount; }

    /// The page list of the last successful scan (still owned by the scanner), or nullptr.
    [[nodiscard]] CLogPageList* GetPageList() const { return m_pPageList.get(); }
    /// Hands the page list to the caller; the scanner keeps nothing.
    [[nodiscard]] std::unique_ptr<CLogPageList> TakePageList() { return std::move(m_pPageList); }

protected:
    /// The completeness question after the last file: when IsCheckLogFile/Enable (read now)
    /// is not 0 and fewer pages than paths were accepted, asks question (Yes/No). False when
    /// the answer is No (the caller abandons the scan).
    bool ConfirmSkippedFiles(const std::wstring& question) const;
    /// The end of a DDR or Hynix scan after its last file: the completeness question above
    /// (No drops the page list and gives false), then the page list keeps the scan's
    /// drive-strength registry and lane map, analyses and sorts its pages by the sort mode
    /// and builds the merged page.
    bool FinishScan(const std::wstring& question);
    /// Reports the file at index of the file list (0 for the first) to the progress callback.
    void ReportProgress(size_t index) const;

    std::vector<std::wstring> m_vecFileList;
    int m_nSortMode = kSortByName;
    std::unique_ptr<CLogPageList> m_pPageList;
    int m_nPageSizeCol = 0;
    int m_nPageSizeRow = 0;
    int m_nSubColCount = 0;
    int m_nDrvStgRowCount = 0;
    ScanProgressFn m_progress;
};

} // namespace quillon
