#include "VerdictDDR.h"

#include "AnalyzerSettings.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <cmath>

namespace quillon {

const SVerdictTexts& DdrVerdictTexts() {
    static const SVerdictTexts texts = {
        L"the min pass rate of Byte%d does not reach the standard(less than %d%%)",
        nullptr,
        L"the continuous pass length:%d in Byte that pass rate is minmum does not reach the "
        L"standard(less than:%d)",
        nullptr,
        L"drv_stg:通过率最小的Byte中连续最长Pass单元格数目%d不达标(小于%d)",
        L"pass rate does not reach the standard",
    };
    return texts;
}

bool CVerdictDDR::Judge(const std::map<int, double>& rates, int rowPassNum) {
    m_strNoVerdictText.clear();
    if (rates.empty()) {
        return false;
    }
    double minimum = 4294967295.0;
    int lane = rates.begin()->first;
    for (const auto& [byte, value] : rates) {
        // A rate that is not a number passes nothing: it counts as 0.
        const double rate = std::isnan(value) ? 0.0 : value;
        if (rate < minimum) {
            minimum = rate;
            lane = byte;
        }
    }
    m_nWeakestLane = lane;

    std::wstring reason;
    const int minRate = analyzer::ReadMinPassRate();
    if (minRate < 0 || minRate > 100) {
        GetPrompt().Show(L"conclusion standard parameters configurate error");
        m_strNoVerdictText = m_pTexts->szRateSettingText;
        return false;
    }
    const bool ratePassed = static_cast<double>(minRate) < minimum * 100.0;
    if (!ratePassed) {
        reason = FormatW(m_pTexts->szRateReason, lane, minRate);
        if (m_pTexts->szRateLog != nullptr) {
            LogInfo(m_pTexts->szRateLog, lane, minimum * 100.0);
        } else {
            LogInfo(L"%ls", reason.c_str());
        }
    }

    const int minPassNum = analyzer::ReadMinPassNum();
    if (minPassNum < 0 || minPassNum > 280) {
        GetPrompt().Show(L"Minimum continuous cell number configurate error");
        m_strNoVerdictText = L"analyzer failed";
        return false;
    }
    const bool lengthPassed = rowPassNum >= minPassNum;
    if (!lengthPassed) {
        reason = FormatW(m_pTexts->szLengthReason, rowPassNum, minPassNum);
        if (m_pTexts->szLengthLog != nullptr) {
            LogInfo(m_pTexts->szLengthLog, rowPassNum, minPassNum);
        } else {
            LogInfo(L"%ls", reason.c_str());
        }
    }
    if (rowPassNum == 0) {
        LogInfo(m_pTexts->szZeroRowLog, rowPassNum, minPassNum);
        m_strNoVerdictText = L"analyzer failed";
        return false;
    }

    if (ratePassed && lengthPassed) {
        m_strConclusion = L"PASS";
        m_nResultCode = 2;
        m_strReason.clear();
        m_bPassed = true;
    } else {
        m_strConclusion = L"FAIL";
        m_nResultCode = 0;
        m_strReason = reason;
        m_bPassed = false;
    }
    return true;
}

} // namespace quillon
