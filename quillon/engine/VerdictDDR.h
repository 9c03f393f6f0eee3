#pragma once

#include <map>
#include <string>

namespace quillon {

/// The texts a lane verdict gives and logs; the DDR panel and its Hynix variant word the same
/// rules differently.
struct SVerdictTexts {
    const wchar_t* szRateReason;   ///< failed rate rule, with (lane, Rate)
    const wchar_t* szRateLog;      ///< its tool-log line with (lane, rate x 100); null: the reason
    const wchar_t* szLengthReason; ///< failed continuous-pass rule, with (nRowPassNum, MinPassNum)
    const wchar_t* szLengthLog;    ///< its tool-log line, same values; null: the reason
    const wchar_t* szZeroRowLog;   ///< tool-log line of an nRowPassNum of 0, same values
    const wchar_t* szRateSettingText; ///< the no-verdict text of a Rate out of range
};

/// The DDR panel's texts.
[[nodiscard]] const SVerdictTexts& DdrVerdictTexts();

/// The two rules a DDR page is judged by: the weakest lane's pass rate must exceed
/// MinPassRate/Rate percent, and nRowPassNum (the continuous pass length of the verdict row
/// of the weakest lane) must reach CheckRow/MinPassNum. The result panel holds one and
/// judges every page it shows; the settings are read at each judgement. A rate that is not a
/// number counts as 0. The Hynix variant is this verdict with its own texts.
class CVerdictDDR {
public:
    explicit CVerdictDDR(const SVerdictTexts& texts = DdrVerdictTexts()) : m_pTexts(&texts) {}

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
    /// True after a PASS, false after a FAIL (the result prompt reads the DDR panel's).
    [[nodiscard]] bool IsPassed() const { return m_bPassed; }
    /// The text of the last judgement that made no verdict: the texts' Rate setting text
    /// (DDR "pass rate does not reach the standard") for Rate out of range, "analyzer failed"
    /// for MinPassNum out of range or nRowPassNum 0; empty after a verdict or for an empty
    /// rate map.
    [[nodiscard]] const std::wstring& GetNoVerdictText() const { return m_strNoVerdictText; }
    /// Weakest lane and its rate found by the last judgement's rate rule (-1 before).
    [[nodiscard]] int GetWeakestLane() const { return m_nWeakestLane; }

private:
    const SVerdictTexts* m_pTexts;
    std::wstring m_strConclusion;
    std::wstring m_strReason;
    int m_nResultCode = 0;
    bool m_bPassed = false;
    std::wstring m_strNoVerdictText;
    int m_nWeakestLane = -1;
};

} // namespace quillon
