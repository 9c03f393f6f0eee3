#include "OrloVerdictLabels.h"

namespace orlo {

bool COrloVerdictLabels::Update(bool pass, const std::wstring& reason) {
    m_bPass = pass;
    if (m_bShown) {
        return false;
    }
    m_bShown = true;
    m_strResult = pass ? L"PASS" : L"FAIL";
    m_strReason = pass ? std::wstring() : reason;
    return true;
}

} // namespace orlo
