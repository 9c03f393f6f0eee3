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
