#include "LogPageBase.h"

#include "AnalyzerSettings.h"
#include "ScanSnapshot.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

namespace quillon {

bool IsNameBefore(const std::wstring& a, const std::wstring& b) {
    return ToUtf16(a) < ToUtf16(b);
}

const CDrvStgRegistry& CLogPageBase::DrvStgs() const {
    return m_pScanSnapshot != nullptr ? m_pScanSnapshot->DrvStgs() : GetDrvStgRegistry();
}

const CLaneSwapMap& CLogPageBase::LaneSwap() const {
    return m_pScanSnapshot != nullptr ? m_pScanSnapshot->LaneSwap() : GetLaneSwapMap();
}

// The base comparisons answer true, as the design's base page does; every page class that is
// sorted gives its own.
bool CLogPageBase::IsLessByWeakestByte(const CLogPageBase&) const {
    return true;
}
bool CLogPageBase::IsGreaterByWeakestByte(const CLogPageBase&) const {
    return true;
}
bool CLogPageBase::IsLessByName(const CLogPageBase&) const {
    return true;
}

bool CLogPageBase::GetCells(int byte, int columnIndex, const CellKey& key, CellList& out) {
    const auto records = m_mapBlocks[{columnIndex, byte}].Find(key);
    if (records.empty()) {
        return false;
    }
    out.assign(records.begin(), records.end());
    return true;
}

bool CLogPageBase::GetBlock(int byte, int columnIndex, SLogBlock& out) const {
    const SLogBlock* block = FindBlock(byte, columnIndex);
    if (block == nullptr) {
        return false;
    }
    out = *block;
    return true;
}

const SLogBlock* CLogPageBase::FindBlock(int byte, int columnIndex) const {
    const auto it = m_mapBlocks.find({columnIndex, byte});
    return it == m_mapBlocks.end() ? nullptr : &it->second;
}

void CLogPageBase::GetBlockSize(int& subRowCount, int& subColCount) const {
    subRowCount = m_nSubRowCount;
    subColCount = m_nSubColCount;
}

void CLogPageBase::SetBlockSize(int subRowCount, int subColCount) {
    m_nSubRowCount = subRowCount;
    m_nSubColCount = subColCount;
}

void CLogPageBase::GetPageSize(int& pageRowCount, int& pageColCount) const {
    pageRowCount = m_nPageSizeRow;
    pageColCount = m_nPageSizeCol;
}

void CLogPageBase::SetPageSize(int pageRowCount, int pageColCount) {
    m_nPageSizeRow = pageRowCount;
    m_nPageSizeCol = pageColCount;
}

CLogDataBase* CLogPageBase::Adopt(std::unique_ptr<CLogDataBase> record) {
    m_vecOwnedRecords.push_back(std::move(record));
    return m_vecOwnedRecords.back().get();
}

void CLogPageBase::TakeBlockFields(SLogBlock& target, const SLogBlock& source) {
    target.m_nSubColCount = source.m_nSubColCount;
    target.m_nSubRowCount = source.m_nSubRowCount;
    target.m_nGoodCount = source.m_nGoodCount;
    target.m_nCenterCol = source.m_nCenterCol;
    target.m_nCenterRow = source.m_nCenterRow;
}

SRunRecord FindLongestRun(const std::vector<bool>& passes) {
    int length = 0;
    int best = 0;
    int bestPos = 0;
    for (size_t p = 0; p < passes.size(); ++p) {
        length = passes[p] ? length + 1 : 0;
        if (length > best) { // a later run of the same length does not replace the first
            best = length;
            bestPos = static_cast<int>(p);
        }
    }
    return {bestPos - best + 1, bestPos, best};
}

bool CLogPageBase::JudgeWeakestLane(const std::map<int, double>& rates,
                                    const std::vector<SRunRecord>& rowRuns, int rowsPerLane,
                                    int kind, int& rowPassNum) {
    double minimum = 100.0;
    int weakest = 0;
    for (const auto& [byte, rate] : rates) {
        if (rate < minimum) {
            minimum = rate;
            weakest = byte;
        }
    }
    const int n = rowsPerLane;
    const int verdictRow = analyzer::ReadVerdictRow(kind);
    if (verdictRow >= 0 && verdictRow < n) {
        const int row = weakest * n + verdictRow;
        if (row >= 0 && row < static_cast<int>(rowRuns.size())) {
            rowPassNum = rowRuns[static_cast<size_t>(row)].m_nLength;
        }
    }
    if (rowPassNum == 0) {
        LogError(L"nRowPassNum=%d, 通过率最低的Byte:%d, 指定的Row=%d", rowPassNum, weakest,
                 verdictRow);
        GetPrompt().Show(L"analyse result failed");
        return false;
    }
    return true;
}

int CLogPageBase::SmallestLaneValue(const std::map<int, int>& perLane) {
    int value = 280;
    for (const auto& [byte, v] : perLane) {
        if (v < value) {
            value = v;
        }
    }
    return value;
}

} // namespace quillon
