#include "ResultFormModel.h"

#include "SondexText.h"

#include "NumberText.h"
#include "TextUtil.h"

namespace sondex {

std::vector<SResultRow> BuildResultRows(const ResultMap& results) {
    std::vector<SResultRow> rows;
    for (const auto& [text, width] : results) {
        const size_t hash = text.find(L'#');
        if (hash == std::wstring::npos || hash + 1 >= text.size()) {
            continue;
        }
        SResultRow row;
        row.type = text.substr(hash + 1);
        row.passWidth = width;
        row.result = ParseDecimalInt(text) != 0 ? L"Pass" : L"Fail";
        rows.push_back(std::move(row));
    }
    return rows;
}

void CResultFormModel::Clear() {
    m_results.clear();
    m_bPassed = false;
    m_nClock = 0;
    m_nTcnt = 0;
    m_strTitle.clear();
    m_rows.clear();
    m_strVerdict.clear();
    m_strParameter.clear();
}

void CResultFormModel::SetResults(const ResultMap& results, bool passed) {
    m_results = results;
    if (!m_results.empty()) {
        m_bPassed = passed;
    }
}

void CResultFormModel::Show() {
    m_rows = BuildResultRows(m_results);
    m_strVerdict = m_bPassed ? L"Pass" : L"Fail";
    m_strParameter =
        FormatW(L"%ls:\n\n clk=%d M\n tcnt=%d PS", m_strTitle.c_str(), m_nClock, m_nTcnt);
}

std::wstring CResultFormModel::GetFailListText() const {
    return m_strFailList.empty() ? std::wstring(kAllPassedText) : m_strFailList;
}

} // namespace sondex
