#include "OrloSession.h"

#include "LogRead.h"
#include "LogScanOrlo.h"
#include "OrloAnalysis.h"
#include "SettingsFile.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

using quillon::FindLogFiles;

namespace orlo {

EOrloScanEnd COrloSession::Scan(const SOrloScanRequest& request, const ScanProgressFn& progress) {
    if (request.m_strNormalDir.empty()) {
        GetPrompt().Show(L"常温统计文件夹目录不能为空");
        return EOrloScanEnd::NormalDirEmpty;
    }
    // From here on the previous result is gone, whatever happens; so is its verdict, so that a
    // failed scan cannot raise the pass prompt of an earlier one.
    m_pResult.reset();
    m_bVerdict = false;
    m_fileList.clear();

    CLogScanOrlo scanner;
    FindLogFiles(request.m_strNormalDir, scanner.m_fileList);
    if (request.m_bIncludeLow) {
        if (request.m_strLowDir.empty()) {
            GetPrompt().Show(L"低温统计文件夹目录不能为空");
            return EOrloScanEnd::LowDirEmpty;
        }
        FindLogFiles(request.m_strLowDir, scanner.m_lowList);
        scanner.m_fileList.insert(scanner.m_fileList.end(), scanner.m_lowList.begin(),
                                  scanner.m_lowList.end());
    }
    if (request.m_bIncludeHigh) {
        if (request.m_strHighDir.empty()) {
            GetPrompt().Show(L"高温统计文件夹目录不能为空");
            return EOrloScanEnd::HighDirEmpty;
        }
        FindLogFiles(request.m_strHighDir, scanner.m_highList);
        scanner.m_fileList.insert(scanner.m_fileList.end(), scanner.m_highList.begin(),
                                  scanner.m_highList.end());
    }
    m_fileList = scanner.m_fileList;

    const int count = static_cast<int>(scanner.m_fileList.size());
    if (count == 0) {
        GetPrompt().Show(L"未发现有效日志文件, 无法进行分析");
        return EOrloScanEnd::NoLogFile;
    }
    if (count > kMaxOrloScanFiles) {
        GetPrompt().Show(FormatW(L"待扫描文件数目: %d,   超出最大支持文件数目:%d "
                                 L"\n请减少日志文件数目或拆分到不同文件夹做多次扫描",
                                 count, kMaxOrloScanFiles));
        return EOrloScanEnd::TooManyFiles;
    }
    LogInfo(L"scanning %d Orlo logs (%d low, %d high)", count,
            static_cast<int>(scanner.m_lowList.size()),
            static_cast<int>(scanner.m_highList.size()));
    scanner.m_progress = progress;
    if (!scanner.Scan()) {
        GetPrompt().Show(L"扫描分析Orlo日志文件失败，请检查日志文件是否正确");
        return EOrloScanEnd::ScanFailed;
    }
    m_pResult = scanner.TakeResult();
    return EOrloScanEnd::Scanned;
}

SOrloAnalysis COrloSession::AnalyseMergedPage() {
    SOrloAnalysis analysis;
    if (!m_pResult || !m_pResult->Merged()) {
        return analysis;
    }
    std::vector<OrloThreshold> thresholds;
    std::vector<OrloClkwrLimit> limits;
    ReadOrloThresholds(thresholds);
    ReadOrloClkwrLimits(limits);
    const int nPages = static_cast<int>(m_pResult->PageCount());
    const CLogPageOrlo& merged = *m_pResult->Merged();
    CheckOrloVerdict(merged, thresholds, limits, nPages, analysis.m_bPass, analysis.m_strReason);
    m_bVerdict = analysis.m_bPass;
    LogInfo(L"verdict %ls %ls", analysis.m_bPass ? L"PASS" : L"FAIL", analysis.m_strReason.c_str());
    if (analysis.m_bPass) {
        analysis.m_bBestRun = true;
        analysis.m_bBestFound = FindOrloBestParam(
            merged, thresholds, limits, nPages, analysis.m_nDqsDrv, analysis.m_nDataDrv,
            analysis.m_nCtl, analysis.m_nClkDrv, analysis.m_nClkwr);
    }
    return analysis;
}

void COrloSession::ShowResultPrompt() const {
    const std::optional<std::wstring> prompt =
        GetSettings().ReadResultPrompt(kResultPromptDefaultOrlo);
    if (prompt && m_bVerdict) {
        GetPrompt().Show(*prompt);
    }
}

} // namespace orlo
