#include "LogScanItf.h"

#include "AnalyzerSettings.h"
#include "LogRead.h"
#include "UserPrompt.h"

namespace quillon {

bool CLogScanItf::ConfirmSkippedFiles(const std::wstring& question) const {
    if (!analyzer::ReadCheckLogFile()) {
        return true;
    }
    const size_t pages = m_pPageList != nullptr ? m_pPageList->GetPageCount() : 0;
    if (pages >= m_vecFileList.size()) {
        return true;
    }
    return GetPrompt().AskYesNo(question, std::wstring());
}

bool CLogScanItf::FinishScan(const std::wstring& question) {
    if (!ConfirmSkippedFiles(question)) {
        m_pPageList.reset();
        return false;
    }
    // From here on the pages read the scan's own drive strengths and lane map.
    m_pPageList->TakeScanSnapshot();
    m_pPageList->AnalyseAndSort(m_nSortMode);
    (void)m_pPageList->BuildMergedPage();
    return true;
}

void CLogScanItf::ReportProgress(size_t index) const {
    if (!m_progress || index >= m_vecFileList.size()) {
        return;
    }
    const std::wstring& path = m_vecFileList[index];
    std::wstring name = path;
    (void)GetFileNameOfPath(path, name);
    m_progress(index + 1, m_vecFileList.size(), name);
}

} // namespace quillon
