#pragma once

#include "LogHeader.h"
#include "PinScanTable.h"
#include "ScanLogData.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace sondex {

/// What a Sondex document holds, without its window: the parsed log (or the statistics
/// data), its result entries and its verdict.
class CLogDocument {
public:
    static constexpr const wchar_t* kLogTitle = L"Project";

    CLogDocument() = default;
    CLogDocument(const CLogDocument&) = delete;
    CLogDocument& operator=(const CLogDocument&) = delete;

    /// Opening one log: read (with the status messages and the incomplete-log question),
    /// parse with the selected SR values and analyse. False when the open fails.
    bool OpenLog(const std::filesystem::path& path, const std::vector<int32_t>& selectedSr);
    /// The statistics document of a folder: takes over data, results from the logs' results.
    void InitStatistics(std::unique_ptr<CScanLogData> data,
                        const std::vector<ResultMap>& perLogResults);

    [[nodiscard]] const std::wstring& GetTitle() const { return m_strTitle; }
    [[nodiscard]] bool IsStatistics() const;
    [[nodiscard]] const ResultMap& GetResults() const { return m_results; }
    [[nodiscard]] const LogHeader& GetHeader() const { return m_header; }
    [[nodiscard]] CScanLogData* GetData() const { return m_pData.get(); }
    [[nodiscard]] bool IsPassed() const { return m_bPassed; }
    /// Status of the log reader at the last OpenLog.
    [[nodiscard]] int GetReadStatus() const { return m_nReadStatus; }
    /// ParseBlocks accepted every pin and record line.
    [[nodiscard]] bool IsParsed() const { return m_bParsed; }
    [[nodiscard]] bool IsComplete() const { return m_bComplete; }

private:
    std::wstring m_strTitle;
    ResultMap m_results;
    LogHeader m_header;
    std::unique_ptr<CScanLogData> m_pData;
    bool m_bPassed = true;
    int m_nReadStatus = -1;
    bool m_bParsed = false;
    bool m_bComplete = false;
};

} // namespace sondex
