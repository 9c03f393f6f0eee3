#include "LogScanItf.h"

#include "AnalyzerSettings.h"
#include "UserPrompt.h"

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
