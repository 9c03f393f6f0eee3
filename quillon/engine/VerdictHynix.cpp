#include "VerdictHynix.h"

#include "AnalyzerSettings.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

namespace quillon {

namespace {

constexpr const wchar_t* kAnalyzerFailed = L"analyzer failed";

} // namespace

bool CVerdictHynix::Judge(const std::map<int, double>& rates, int rowPassNum) {
    if (rates.empty()) {
        m_strNoVerdictText.clear();
        return false;
    }
    std::wstring reason;
    bool rateRule = true;
    bool lengthRule = true;

    int weakest = -1;
    double minimum = 4294967295.0;
    for (const auto& [lane, rate] : rates) {
        if (rate < minimum) {
            minimum = rate;
            weakest = lane;
        }
    }
    if (weakest < 0) { // every rate is not a number or beyond the start value
        weakest = rates.begin()->first;
        minimum = rates.begin()->second;
    }
    m_nWeakestLane = weakest;

    const int minRate = analyzer::ReadMinPassRate();
    if (minRate > 100 || minRate < 0) {
        GetPrompt().Show(L"conclusion standard parameters configurate error");
        m_strNoVerdictText = kAnalyzerFailed;
        return false;
    }
    if (!(minimum * 100.0 > minRate)) {
        rateRule = false;
        reason =
            FormatW(L"the min pass rate of Byte%d does not reach the standard(less than%.2d%%)",
                    weakest, minRate);
        LogInfo(L"Byte%d的最小通过率不达标(小于%.2f%%)", weakest, minimum * 100.0);
    }

    const int minPassNum = analyzer::ReadMinPassNum();
    if (minPassNum > 280 || minPassNum < 0) {
        GetPrompt().Show(L"Minimum continuous cell number configurate error");
        m_strNoVerdictText = kAnalyzerFailed;
        return false;
    }
    if (rowPassNum < minPassNum) {
        lengthRule = false;
        reason = FormatW(L"the continuous max pass length :%d in Byte that pass rate is minmum "
                         L"does not reach the standard(less than%d)",
                         rowPassNum, minPassNum);
        LogInfo(L"通过率最小的Byte中连续最长Pass单元格数目%d不达标(小于%d)", rowPassNum,
                minPassNum);
    }
    if (rowPassNum == 0) {
        LogInfo(L"drv_stg:连续最长pass单元格数目%d不达标(小于%d)", rowPassNum, minPassNum);
        m_strNoVerdictText = kAnalyzerFailed;
        return false;
    }

    m_strNoVerdictText.clear();
    if (rateRule && lengthRule) {
        m_strConclusion = L"PASS";
        m_nResultCode = 2;
        m_strReason.clear();
    } else {
        m_strConclusion = L"FAIL";
        m_nResultCode = 0;
        m_strReason = reason;
    }
    return true;
}

} // namespace quillon
