#pragma once

#include <map>
#include <string>

namespace quillon {

/// The two rules a Hynix page is judged by, with the Hynix texts: the weakest lane's rate x
/// 100 must exceed MinPassRate/Rate, and nRowPassNum must reach CheckRow/MinPassNum. Unlike
/// the DDR verdict it keeps no pass flag (the result prompt never follows a Hynix analysis).
class CVerdictHynix {
public:
    /// Judges; true when a verdict (PASS or FAIL) was made. The outputs change only then: an
    /// empty rate map, a setting out of range (with its message) or an nRowPassNum of 0 make
    /// none, with the text "analyzer failed".
    bool Judge(const std::map<int, double>& rates, int rowPassNum);

    [[nodiscard]] const std::wstring& GetConclusion() const { return m_strConclusion; }
    [[nodiscard]] const std::wstring& GetReason() const { return m_strReason; }
    /// 2 PASS, 0 FAIL.
    [[nodiscard]] int GetResultCode() const { return m_nResultCode; }
    /// "analyzer failed" after a judgement that made no verdict (except for an empty rate
    /// map); empty after a verdict.
    [[nodiscard]] const std::wstring& GetNoVerdictText() const { return m_strNoVerdictText; }
    [[nodiscard]] int GetWeakestLane() const { return m_nWeakestLane; }

private:
    std::wstring m_strConclusion;
    std::wstring m_strReason;
    int m_nResultCode = 0;
    std::wstring m_strNoVerdictText;
    int m_nWeakestLane = -1;
};

} // namespace quillon
