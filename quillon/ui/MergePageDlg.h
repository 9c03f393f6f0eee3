#pragma once

#include "MFCPageEMMC.h"

#include <array>

namespace quillon {
class CMergePageEMMCModel;
} // namespace quillon
class QLabel;
class QLineEdit;

// The eMMC statistics tab: the chart of all logs under the group "推荐取值" with the four
// recommended values of the best point. The values are editable; Write bin reads them back
// from the session's CMergePageEMMCModel, which every edit updates.
class CMergePageDlg : public CMFCPageEMMC {
    Q_OBJECT
public:
    CMergePageDlg(const quillon::CLogPageBase& page, const quillon::SEmmcNames& names,
                  quillon::CMergePageEMMCModel& model, bool maximised, QWidget* parent = nullptr);

    /// The chart, then the labels and values of the model.
    void Initialise() override;

    [[nodiscard]] QLineEdit* ValueBox(int which) const { return m_arrValues[size_t(which)]; }
    [[nodiscard]] QLabel* ValueLabel(int which) const { return m_arrLabels[size_t(which)]; }

private:
    quillon::CMergePageEMMCModel& m_model;
    std::array<QLabel*, 4> m_arrLabels{};
    std::array<QLineEdit*, 4> m_arrValues{};
};
