#pragma once

#include "ChildDlgDDRHynixModel.h"
#include "ResultPanelDDR.h"

// The Hynix result panel at the top right of the main dialog while log type 3 is selected:
// the DDR result panel painting the session's Hynix model (its columns, its fixed drive
// strength column, its profile section "CChildDlgDDRHynix").
class CChildDlgDDRHynix : public CResultPanelDDR {
public:
    CChildDlgDDRHynix(quillon::CChildDlgDDRHynixModel& model, QWidget* parent = nullptr)
        : CResultPanelDDR(model, parent) {}

    /// The list as stored in the profile section "CChildDlgDDRHynix" (defaults where keys are
    /// missing).
    [[nodiscard]] static quillon::CChildDlgDDRHynixModel::SStoredList LoadStored(QSettings& profile) {
        return CResultPanelDDR::LoadStored(profile, quillon::ELanePanel::Hynix);
    }
};
