#pragma once

#include "OrloGridCells.h"

#include <string>

namespace orlo {

/// The verdict labels of the statistics page. Their texts are set the first time a verdict
/// is shown and kept afterwards; the colour follows the latest verdict.
class COrloVerdictLabels {
public:
    /// Returns true the first time, when the texts (and the page layout) change.
    bool Update(bool pass, const std::wstring& reason);

    [[nodiscard]] bool Shown() const { return m_bShown; }
    [[nodiscard]] const std::wstring& ResultText() const { return m_strResult; }
    [[nodiscard]] const std::wstring& ReasonText() const { return m_strReason; }
    /// Green while the latest verdict passes, red otherwise.
    [[nodiscard]] uint32_t ResultColor() const { return m_bPass ? kOrloGreen : kOrloRed; }

private:
    bool m_bShown = false;
    bool m_bPass = false;
    std::wstring m_strResult;
    std::wstring m_strReason;
};

} // namespace orlo
