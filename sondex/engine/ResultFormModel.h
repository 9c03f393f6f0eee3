#pragma once

#include "PinScanTable.h"

#include <string>
#include <vector>

namespace sondex {

/// One row of the result list.
struct SResultRow {
    std::wstring type;     ///< "Type": the entry text after the first '#'
    int32_t passWidth = 0; ///< "PassWidth" in picoseconds
    std::wstring result;   ///< "Result": "Pass" or "Fail"
    bool operator==(const SResultRow&) const = default;
};

/// The rows of the result list: one per entry whose text has '#' followed by at least one
/// character, in text order; "Pass" when the number at the start of the text is not 0.
[[nodiscard]] std::vector<SResultRow> BuildResultRows(const ResultMap& results);

/// What the result form shows, without the form: the list rows, the verdict, the log
/// parameters and the fail list.
class CResultFormModel {
public:
    static constexpr const wchar_t* kAllPassedText = L"All passed";

    /// Empties results, verdict, clock, tcnt, title, rows and texts.
    void Clear();
    /// Takes the results; the verdict is taken only when there are results.
    void SetResults(const ResultMap& results, bool passed);
    void SetParameters(int clock, int tcnt) {
        m_nClock = clock;
        m_nTcnt = tcnt;
    }
    void SetTitle(const std::wstring& title) { m_strTitle = title; }
    void SetFailList(const std::wstring& text) { m_strFailList = text; }
    /// Fills the list and the texts from what was set.
    void Show();

    [[nodiscard]] const ResultMap& GetResults() const { return m_results; }
    [[nodiscard]] bool IsPassed() const { return m_bPassed; }
    [[nodiscard]] const std::vector<SResultRow>& GetRows() const { return m_rows; }
    [[nodiscard]] const std::wstring& GetTitle() const { return m_strTitle; }
    [[nodiscard]] int GetClock() const { return m_nClock; }
    [[nodiscard]] int GetTcnt() const { return m_nTcnt; }
    /// "Pass" or "Fail" once shown; empty after Clear.
    [[nodiscard]] const std::wstring& GetVerdictText() const { return m_strVerdict; }
    /// "<title>:\n\n clk=<clock> M\n tcnt=<tcnt> PS" once shown.
    [[nodiscard]] const std::wstring& GetParameterText() const { return m_strParameter; }
    /// The fail list, or "All passed" when it is empty.
    [[nodiscard]] std::wstring GetFailListText() const;
    [[nodiscard]] const std::wstring& GetFailList() const { return m_strFailList; }

private:
    ResultMap m_results;
    bool m_bPassed = false;
    int m_nClock = 0;
    int m_nTcnt = 0;
    std::wstring m_strTitle;
    std::wstring m_strFailList; ///< kept by Clear: the form's fail list stays as last set
    std::vector<SResultRow> m_rows;
    std::wstring m_strVerdict;
    std::wstring m_strParameter;
};

} // namespace sondex
