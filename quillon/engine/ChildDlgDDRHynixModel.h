#pragma once

#include "ResultPanelDDRModel.h"

namespace quillon {

// The Hynix result panel without its window: the lane-result panel model with the Hynix
// hooks (columns "varro_drv_stg/hynix_drv_stg" shown as "48/34" and not editable, profile
// section "CChildDlgDDRHynix", the stored items shown when a page gives no best parameters,
// the Hynix verdict texts). Its pass flag is never read: the result prompt follows DDR
// analyses only.
class CChildDlgDDRHynixModel : public CResultPanelDDRModel {
public:
    CChildDlgDDRHynixModel() : CResultPanelDDRModel(ELanePanel::Hynix) {}
};

} // namespace quillon
