#pragma once

#include <map>
#include <string>

namespace quillon {

/// The two rules a DDR page is judged by: the weakest lane's pass rate must exceed
/// MinPassRate/Rate percent, and nRowPassNum (the continuous pass length of the verdict row
/// of the weakest lane) must reach CheckRow/MinPassNum. The result panel holds one and
/// judges every page it shows; the settings are read at each judgement.
class CVerdictDDR {
public:
    /// Judges; true when a verdict (PASS or FAIL) was made. The outputs change only then:
    /// an empty rate map, a setting out of range (with its message) or an nRowPassNum of 0
    /// leave the previous verdict.
    bool Judge(const std::map<int, double>& rates, int rowPassNum);

    /// "PASS" or "FAIL" (empty before the first verdict).
    [[nodiscard]] const std::wstring& GetConclusion() const { return m_strConclusion; }
    /// Empty, or the text of the rule that failed last.
    [[nodiscard]] const std::wstring& GetReason() const { return m_strReason; }
    /// 2 PASS, 0 FAIL (selects the conclusion colour).
    [[nodiscard]] int GetResultCode() const { return m_nResultCode; }
    /// True after a PASS, false after a FAIL (the result prompt reads it).
    [[nodiscard]] bool IsPassed() const { return m_bPassed; }
    /// The text of the last judgement that made no verdict: "pass rate does not reach the
    /// standard" (Rate out of range), "analyzer failed" (MinPassNum out of range or
    /// nRowPassNum 0); empty after a verdict or for an empty rate map.
    [[nodiscard]] const std::wstring& GetNoVerdictText() const { return m_strNoVerdictText; }
    /// Weakest lane and its rate found by the last judgement's rate rule (-1 before).
    [[nodiscard]] int GetWeakestLane() const { return m_nWeakestLane; }

private:
    std::wstring m_strConclusion;
    std::wstring m_strReason;
    int m_nResultCode = 0;
    bool m_bPassed = false;
    std::wstring m_strNoVerdictText;
    int m_nWeakestLane = -1;
};

} // namespace quillon
