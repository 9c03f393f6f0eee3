#include "LogPageDDRHynix.h"

#include "DrvStgRegistry.h"
#include "LogDataDDRHynix.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

namespace quillon {

bool CLogPageDDRHynix::CellPasses(int row, int position) const {
    const int n = m_nSubRowCount;
    const int sub = m_nSubColCount;
    if (n <= 0 || sub <= 0 || row < 0 || position < 0) {
        return false;
    }
    const int drvStg = DrvStgs().ValueOfOrdinal(row % n);
    return KeyPassesAt(position / sub, row / n, {position % sub - 3, drvStg});
}

bool CLogPageDDRHynix::IsFailedRecord(const CLogDataBase* record) const {
    const auto* hynix = dynamic_cast<const CLogDataDDRHynix*>(record);
    return hynix != nullptr && hynix->GetPassFlag() == 0;
}

int CLogPageDDRHynix::LaneValueOfRow(const SRunRecord&, int passCount) const {
    return passCount;
}

double CLogPageDDRHynix::RateDivisor(int) const {
    const int sub = m_nSubColCount;
    return (m_nPageSizeCol > 0 && sub > 0) ? static_cast<double>(m_nPageSizeCol * sub) : 0.0;
}

void CLogPageDDRHynix::ReportBadSelectedRow(int fabsRow) const {
    LogError(L"发生严重错误 fabsRow = %d", fabsRow);
    GetPrompt().Show(FormatW(L"occur serious error: fabsRow = %d", fabsRow));
}

std::unique_ptr<CLogDataBase> CLogPageDDRHynix::MakeFailRecord() const {
    return std::make_unique<CLogDataDDRHynix>(0);
}

std::unique_ptr<CLogPageBase> CLogPageDDRHynix::CreateMergePage() const {
    return std::make_unique<CLogPageDDRHynix>();
}

} // namespace quillon
