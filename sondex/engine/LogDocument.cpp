#include "LogDocument.h"

#include "ScanLogReader.h"

#include "TextUtil.h"
#include "UserPrompt.h"

namespace sondex {

bool CLogDocument::OpenLog(const std::filesystem::path& path,
                           const std::vector<int32_t>& selectedSr) {
    CScanLogReader reader(path);
    const std::wstring fileName = PathToWide(path.filename());
    // The reader builds the tables while it reads; their messages are held back until the
    // log has been accepted, so they come after the incomplete-log question as before.
    auto data = std::make_unique<CScanLogData>(fileName, LogHeader(), std::vector<std::string>());
    reader.SetTableTarget(data.get(), selectedSr);
    m_nReadStatus = reader.ReadLog();
    const std::wstring shownPath = PathToWide(path);
    switch (m_nReadStatus) {
    case CScanLogReader::kStatusOk:
        break;
    case CScanLogReader::kStatusOpenFailed:
        GetPrompt().Show(
            FormatW(L"open log file\"%ls\" failed, please check it", shownPath.c_str()));
        return false;
    case CScanLogReader::kStatusNoBlock:
        GetPrompt().Show(
            FormatW(L"log file\"%ls\" wrong format, please check it", shownPath.c_str()));
        return false;
    case CScanLogReader::kStatusIncomplete:
        if (!GetPrompt().AskYesNo(
                FormatW(L"log文件%ls不完整，将影响分析结果的准确性, 是否继续", fileName.c_str()),
                L"警告")) {
            return false;
        }
        break;
    default: // rejected header: the reader has said why
        return false;
    }
    m_header = reader.GetHeader();
    m_pData = std::move(data);
    m_pData->SetHeader(m_header);
    if (reader.HasBuiltTables()) {
        for (const std::wstring& text : reader.TakeHeldMessages()) {
            GetPrompt().Show(text);
        }
        m_bParsed = reader.AreTablesParsed();
    } else {
        m_pData->SetBlocks(reader.TakeBlocks());
        m_bParsed = m_pData->ParseBlocks(selectedSr);
    }
    m_strTitle = kLogTitle;
    m_bPassed = m_pData->Analyze(m_results);
    m_bComplete = m_pData->IsComplete();
    return true;
}

void CLogDocument::InitStatistics(std::unique_ptr<CScanLogData> data,
                                  const std::vector<ResultMap>& perLogResults) {
    m_strTitle = CScanLogData::kStatisticsName;
    m_pData = std::move(data);
    // The merged data carries the header of the last merged log, so the result form shows
    // the folder's clock and step instead of zeros.
    if (m_pData) {
        m_header = m_pData->GetHeader();
    }
    m_results = ComputeStatisticsResults(perLogResults);
    m_bPassed = false;
    m_bParsed = true;
    m_bComplete = true;
}

bool CLogDocument::IsStatistics() const {
    return EqualsNoCase(m_strTitle, CScanLogData::kStatisticsName);
}

} // namespace sondex
