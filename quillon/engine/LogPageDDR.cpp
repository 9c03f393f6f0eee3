#include "LogPageDDR.h"

#include "AnalyzerSettings.h"
#include "DrvStgRegistry.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

namespace quillon {

CLogPageDDR::CLogPageDDR() : CLogPageDDRGrid(0xFFFF) {
    (void)analyzer::ReadRowSet(kDdrKindDDR1, m_setRowDDR1);
    (void)analyzer::ReadRowSet(kDdrKindDDR2, m_setRowDDR2);
    m_setRowDDR3 = analyzer::Ddr3RowSet();
}

CLogPageDDR::~CLogPageDDR() = default;

bool CLogPageDDR::AddCell(int sdllPhsDly, int byte, const CellKey& key, int passFlag) {
    CLogDataDDR& record = m_dequeRecords.emplace_back(passFlag);
    if (!AddOwnedCell(sdllPhsDly, byte, key, &record)) {
        m_dequeRecords.pop_back();
        return false;
    }
    return true;
}

const std::set<int>& CLogPageDDR::RowSetOfKind(int kind) const {
    static const std::set<int> none;
    switch (kind) {
    case kDdrKindDDR1:
        return m_setRowDDR1;
    case kDdrKindDDR2:
        return m_setRowDDR2;
    case kDdrKindDDR3:
        return m_setRowDDR3;
    default:
        return none;
    }
}

bool CLogPageDDR::CellPasses(int row, int position, const std::set<int>& rowSet) const {
    const int n = m_nSubRowCount;
    const int sub = m_nSubColCount;
    if (n <= 0 || sub <= 0 || row < 0 || position < 0) {
        return false;
    }
    const int drvStg = DrvStgs().ValueOfOrdinal(row % n);
    if (rowSet.count(drvStg) == 0) {
        return false;
    }
    return KeyPassesAt(position / sub, row / n, {position % sub - 3, drvStg});
}

bool CLogPageDDR::IsFailedRecord(const CLogDataBase* record) const {
    const auto* ddr = dynamic_cast<const CLogDataDDR*>(record);
    return ddr != nullptr && ddr->GetPassFlag() == 0;
}

bool CLogPageDDR::StrengthTakesPart(int drvStg, int kind) const {
    return RowSetOfKind(kind).count(drvStg) != 0;
}

int CLogPageDDR::LaneValueOfRow(const SRunRecord& run, int) const {
    return run.m_nLength;
}

double CLogPageDDR::RateDivisor(int kind) const {
    const std::set<int>& rowSet = RowSetOfKind(kind);
    if (rowSet.empty()) {
        LogError(L"drv_stg size = 0");
    }
    return static_cast<double>(rowSet.size()) * static_cast<double>(m_nPageSizeCol) *
           m_nSubColCount;
}

void CLogPageDDR::ReportBadSelectedRow(int fabsRow) const {
    LogError(L"occur serious error: fabsRow = %d", fabsRow);
    GetPrompt().Show(FormatW(L"occur serious error:fabsRow = %d", fabsRow));
}

std::unique_ptr<CLogDataBase> CLogPageDDR::MakeFailRecord() const {
    return std::make_unique<CLogDataDDR>(0);
}

void CLogPageDDR::Clear() {
    CLogPageDDRGrid::Clear();
    m_dequeRecords.clear();
    m_setRowDDR1.clear();
    m_setRowDDR2.clear();
}

std::unique_ptr<CLogPageBase> CLogPageDDR::CreateMergePage() const {
    return std::make_unique<CLogPageDDR>();
}

} // namespace quillon
