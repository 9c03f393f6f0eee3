#pragma once

#include "ChildDlgDDRHynixModel.h"

#include <QWidget>

#include <array>

class CEditListCtrl;
class QLabel;
class QLineEdit;
class QSettings;

// The Hynix result panel at the top right of the main dialog while log type 3 is selected:
// the pass rate of each byte lane, the best-parameter list with its Hynix columns (the drive
// strength column is fixed), and the verdict. It paints the session's CChildDlgDDRHynixModel.
class CChildDlgDDRHynix : public QWidget {
    Q_OBJECT
public:
    CChildDlgDDRHynix(quillon::CChildDlgDDRHynixModel& model, QWidget* parent = nullptr);

    /// The list as stored in the profile section "CChildDlgDDRHynix" (defaults where keys are
    /// missing).
    [[nodiscard]] static quillon::CChildDlgDDRHynixModel::SStoredList
    LoadStored(QSettings& profile);
    void LoadProfile(QSettings& profile);
    void SaveProfile(QSettings& profile) const;

    /// Paints the model: rate texts and box colours, list rows, conclusion and reason.
    void Refresh();

    [[nodiscard]] CEditListCtrl* List() const { return m_pList; }
    [[nodiscard]] QLineEdit* RateBox(int lane) const { return m_arrRateBoxes[size_t(lane)]; }
    [[nodiscard]] QLabel* ConclusionLabel() const { return m_pConclusion; }
    [[nodiscard]] QLabel* ReasonLabel() const { return m_pReason; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnChoiceRequest(int column, QStringList* choices);
    void OnValueChanged(int row, int column, const QString& text);
    void FillList();
    [[nodiscard]] bool Shown() const;

    quillon::CChildDlgDDRHynixModel& m_model;
    std::array<QLineEdit*, 4> m_arrRateBoxes{};
    CEditListCtrl* m_pList = nullptr;
    QLabel* m_pConclusion = nullptr;
    QLabel* m_pReason = nullptr;
};
