#pragma once

#include "ResultPanelDDRModel.h"

#include <QWidget>

#include <array>

class CEditListCtrl;
class QLabel;
class QLineEdit;
class QPushButton;
class QSettings;

// The DDR result panel at the top right of the main dialog: the pass rate of each byte lane,
// the editable best-parameter list that Write bin takes, and the verdict. It paints a
// lane-result model (the session's) and forwards the list's edits to it; the columns, the
// profile section and what can be edited come from the model, so the Hynix panel is this
// panel on the Hynix model.
class CResultPanelDDR : public QWidget {
    Q_OBJECT
public:
    CResultPanelDDR(quillon::CResultPanelDDRModel& model, QWidget* parent = nullptr);

    /// The list as stored in the profile section of variant ("CChildDlgDDR" for DDR;
    /// defaults where keys are missing).
    [[nodiscard]] static quillon::CResultPanelDDRModel::SStoredList
    LoadStored(QSettings& profile, quillon::ELanePanel variant = quillon::ELanePanel::DDR);
    /// Loads the model's list from the profile and repaints.
    void LoadProfile(QSettings& profile);
    /// Writes "logtype" and every row's four texts.
    void SaveProfile(QSettings& profile) const;

    /// Paints the model: rate texts and box colours (once a page was shown), list rows and
    /// editable columns, conclusion and reason.
    void Refresh();

    [[nodiscard]] CEditListCtrl* List() const { return m_pList; }
    [[nodiscard]] QLineEdit* RateBox(int lane) const { return m_arrRateBoxes[size_t(lane)]; }
    [[nodiscard]] QLabel* ConclusionLabel() const { return m_pConclusion; }
    [[nodiscard]] QLabel* ReasonLabel() const { return m_pReason; }
    [[nodiscard]] quillon::CResultPanelDDRModel& Model() const { return m_model; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnChoiceRequest(int column, QStringList* choices);
    void OnValueChanged(int row, int column, const QString& text);
    void FillList();

    quillon::CResultPanelDDRModel& m_model;
    std::array<QLineEdit*, 4> m_arrRateBoxes{};
    CEditListCtrl* m_pList = nullptr;
    QPushButton* m_pAdd = nullptr;
    QPushButton* m_pDel = nullptr;
    QLabel* m_pConclusion = nullptr;
    QLabel* m_pReason = nullptr;
};
