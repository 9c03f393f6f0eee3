#pragma once

#include "ChildDlgEMMCModel.h"

#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QSettings;

// The eMMC parameter panel "参数配置" at the top right of the main dialog while log type 4
// or 5 is selected: the four parameter names, their maxima and the four error-flag tags an
// eMMC Analyse reads. It edits the session's CChildDlgEMMCModel; each flavour keeps its own
// profile section.
class CChildDlgEMMC : public QWidget {
    Q_OBJECT
public:
    CChildDlgEMMC(quillon::CChildDlgEMMCModel& model, QWidget* parent = nullptr);

    /// Sets the log type: the labels of the flavour and the fields from the profile (or the
    /// flavour's defaults where the profile has none).
    void SetMode(int logType, QSettings& profile);
    /// Writes the twelve fields under the flavour's section.
    void SaveProfile(QSettings& profile) const;
    /// Shows the model's fields and labels.
    void Refresh();

    [[nodiscard]] QLineEdit* FieldBox(quillon::EEmmcField field) const { return m_arrEdits[field]; }
    [[nodiscard]] QLabel* FieldLabel(quillon::EEmmcField field) const { return m_arrLabels[field]; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    quillon::CChildDlgEMMCModel& m_model;
    std::array<QLabel*, quillon::kEmmcFieldCount> m_arrLabels{};
    std::array<QLineEdit*, quillon::kEmmcFieldCount> m_arrEdits{};
};
