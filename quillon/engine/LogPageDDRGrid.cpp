#include "LogPageDDRGrid.h"

#include "AnalyzerSettings.h"
#include "DrvStgRegistry.h"
#include "SpLog.h"

#include <algorithm>
#include <iterator>
#include <typeinfo>

namespace quillon {

namespace {

/// other as a grid page of the same class as page; nullptr for any other page (pages of two
/// classes are never ordered before one another).
const CLogPageDDRGrid* SameClass(const CLogPageDDRGrid& page, const CLogPageBase& other) {
    const auto* grid = dynamic_cast<const CLogPageDDRGrid*>(&other);
    return grid != nullptr && typeid(*grid) == typeid(page) ? grid : nullptr;
}

} // namespace

SLogBlock* CLogPageDDRGrid::BlockFor(int sdllPhsDly, int byte) {
    // Consecutive lines mostly share their phase: its position is kept until a new value
    // arrives (an insertion can move every position after it).
    int column = m_nLastColumn;
    if (column < 0 || sdllPhsDly != m_nLastColumnValue) {
        const auto pos = m_setColumnValues.insert(sdllPhsDly).first;
        column = static_cast<int>(std::distance(m_setColumnValues.begin(), pos));
        m_nLastColumnValue = sdllPhsDly;
        m_nLastColumn = column;
        // A kept column was entered when it was found, and an entry is never changed.
        m_mapColumnIndex.try_emplace(column, sdllPhsDly);
    }
    // A negative lane is refused too: no block of the page could ever show or count it.
    if (column < m_nPageSizeCol && byte >= 0 && byte < m_nPageSizeRow) {
        if (m_vecSlots.empty()) {
            m_vecSlots.resize(static_cast<size_t>(m_nPageSizeCol) *
                              static_cast<size_t>(m_nPageSizeRow));
        }
        SLogBlock*& slot = m_vecSlots[static_cast<size_t>(column) *
                                          static_cast<size_t>(m_nPageSizeRow) +
                                      static_cast<size_t>(byte)];
        if (slot == nullptr) {
            slot = &m_mapBlocks[{column, byte}];
        }
        return slot;
    }
    LogError(L"logName=%ls, nPageCol=%d, m_nPageSizeCol=%d", m_strName.c_str(), column,
             m_nPageSizeCol);
    LogError(L"logName=%ls, Row=%d, m_nPageSizeRow=%d", m_strName.c_str(), byte, m_nPageSizeRow);
    return nullptr;
}

bool CLogPageDDRGrid::AddOwnedCell(int sdllPhsDly, int byte, const CellKey& key,
                                   CLogDataBase* record) {
    SLogBlock* block = BlockFor(sdllPhsDly, byte);
    if (block == nullptr) {
        return false;
    }
    CellsOf(*block).Add(key, record);
    return true;
}

bool CLogPageDDRGrid::AddCell(int sdllPhsDly, int byte, const CellKey& key,
                              std::unique_ptr<CLogDataBase> record) {
    SLogBlock* block = BlockFor(sdllPhsDly, byte);
    if (block == nullptr) {
        return false;
    }
    CellsOf(*block).Add(key, Adopt(std::move(record)));
    return true;
}

void CLogPageDDRGrid::Finish() {
    for (int column = 0; column < m_nPageSizeCol; ++column) {
        for (int byte = 0; byte < m_nPageSizeRow; ++byte) {
            const auto [it, inserted] = m_mapBlocks.try_emplace({column, byte});
            if (inserted) {
                SetBlockSizes(it->second, m_nSubRowCount, m_nSubColCount);
            }
        }
    }
}

bool CLogPageDDRGrid::KeyPassesAt(int column, int byte, const CellKey& key) const {
    const SLogBlock* block = FindBlock(byte, column);
    return block != nullptr && KeyPasses(*block, key);
}

bool CLogPageDDRGrid::KeyPasses(const SLogBlock& block, const CellKey& key) const {
    const auto records = block.Find(key);
    return !records.empty() && std::none_of(records.begin(), records.end(),
                                            [this](const CLogDataBase* record) {
                                                return IsFailedRecord(record);
                                            });
}

bool CLogPageDDRGrid::Analyse(RateMap& rates, std::vector<SBestParam>& bestParams,
                              int& rowPassNum) {
    rates.clear();
    bestParams.clear();
    rowPassNum = 0;
    const CDrvStgRegistry& registry = DrvStgs();
    const int kind = registry.GetDDRKind();
    // Kind -1 (for example only drv_stg 48) reads no setting: fabsRow keeps its value.
    analyzer::ReadBestRow(kind, m_nFabsRow);

    const int n = m_nSubRowCount;
    const int sub = m_nSubColCount;
    const int positions = (m_nPageSizeCol > 0 && sub > 0) ? m_nPageSizeCol * sub : 0;
    const int rowCount = (n > 0 && m_nPageSizeRow > 0) ? m_nPageSizeRow * n : 0;
    // Best parameters address a position as column m / 8 and step m % 8 - 3.
    const int stepDivisor = sub > 0 ? sub : 8;

    m_vecRowRuns.assign(static_cast<size_t>(rowCount), SRunRecord{});
    m_mapBestRecord.clear();
    m_mapLaneValue.clear();
    if (ValuesEveryLane()) {
        for (int byte = 0; byte < m_nPageSizeRow; ++byte) {
            m_mapLaneValue[byte] = 0;
        }
    }
    std::vector<bool> passes(static_cast<size_t>(positions));
    for (int row = 0; row < rowCount; ++row) {
        const int byte = row / n;
        const int ordinal = row % n;
        const int drvStg = registry.ValueOfOrdinal(ordinal);
        int passCount = 0;
        std::fill(passes.begin(), passes.end(), false);
        if (StrengthTakesPart(drvStg, kind)) {
            // One block lookup per column.
            for (int column = 0; column < m_nPageSizeCol; ++column) {
                const SLogBlock* block = FindBlock(byte, column);
                for (int s = 0; s < sub; ++s) {
                    const bool pass = block != nullptr && KeyPasses(*block, {s - 3, drvStg});
                    passes[static_cast<size_t>(column * sub + s)] = pass;
                    passCount += pass ? 1 : 0;
                }
            }
        }
        const SRunRecord run = FindLongestRun(passes);
        m_vecRowRuns[static_cast<size_t>(row)] = run;
        m_mapLaneValue[byte] += LaneValueOfRow(run, passCount);
        if (ordinal != n - 1) {
            continue;
        }
        // The lane's rows are complete: its best parameters come from its selected row.
        const int k = m_nFabsRow;
        if (k < 0 || k >= n) {
            ReportBadSelectedRow(k);
            continue;
        }
        const SRunRecord& chosen = m_vecRowRuns[static_cast<size_t>(byte * n + k)];
        const int middle = (chosen.m_nStart + chosen.m_nEnd) / 2;
        SBestParam best;
        best.m_nByte = byte;
        best.m_nSdllPhsDly = GetColumnValue(middle / stepDivisor);
        best.m_nDqsStepDly = middle % stepDivisor - 3;
        best.m_nDrvStg = registry.ValueOfOrdinal(k);
        if (KeepsRunFields()) {
            best.m_nRunStart = chosen.m_nStart;
            best.m_nRunEnd = chosen.m_nEnd;
        }
        bestParams.push_back(best);
        m_mapBestRecord[byte] = best;
    }

    const double divisor = RateDivisor(kind);
    for (const auto& [byte, value] : m_mapLaneValue) {
        // With no position able to pass (no drive strength taking part) the rate would be
        // 0 / 0: such a lane is reported as 0.0.
        rates[byte] = divisor > 0.0 ? static_cast<double>(value) / divisor : 0.0;
    }
    return JudgeWeakestLane(rates, m_vecRowRuns, n, kind, rowPassNum);
}

void CLogPageDDRGrid::AnalyseForSort() {
    RateMap rates;
    std::vector<SBestParam> best;
    int rowPassNum = 0;
    (void)Analyse(rates, best, rowPassNum);
}

bool CLogPageDDRGrid::IsLessByWeakestByte(const CLogPageBase& other) const {
    const CLogPageDDRGrid* page = SameClass(*this, other);
    return page != nullptr && GetWeakestValue() < page->GetWeakestValue();
}

bool CLogPageDDRGrid::IsGreaterByWeakestByte(const CLogPageBase& other) const {
    const CLogPageDDRGrid* page = SameClass(*this, other);
    return page != nullptr && page->GetWeakestValue() < GetWeakestValue();
}

bool CLogPageDDRGrid::IsLessByName(const CLogPageBase& other) const {
    const CLogPageDDRGrid* page = SameClass(*this, other);
    return page != nullptr && IsNameBefore(m_strName, page->m_strName);
}

void CLogPageDDRGrid::SetPageSize(int pageRowCount, int pageColCount) {
    // The slot index follows the page size.
    m_vecSlots.clear();
    CLogPageBase::SetPageSize(pageRowCount, pageColCount);
}

int CLogPageDDRGrid::GetColumnValue(int columnIndex) const {
    const auto it = m_mapColumnIndex.find(columnIndex);
    return it == m_mapColumnIndex.end() ? -1 : it->second;
}

void CLogPageDDRGrid::MergeFrom(const CLogPageBase& other) {
    int subRows = 0;
    int subCols = 0;
    other.GetBlockSize(subRows, subCols);
    SetBlockSize(subRows, subCols);
    int pageRows = 0;
    int pageCols = 0;
    other.GetPageSize(pageRows, pageCols);
    SetPageSize(pageRows, pageCols);
    if (m_pFailRecord == nullptr) {
        // Fail records all say the same, so the merged page shares one.
        m_pFailRecord = Adopt(MakeFailRecord());
    }
    SLogBlock copy;
    for (int byte = 0; byte < m_nPageSizeRow; ++byte) {
        for (int column = 0; column < m_nPageSizeCol; ++column) {
            const SLogBlock* source = other.FindBlock(byte, column);
            if (source == nullptr && other.GetBlock(byte, column, copy)) {
                source = &copy;
            }
            if (source == nullptr) {
                continue;
            }
            SLogBlock& target = m_mapBlocks[{column, byte}];
            // The first log's keys are taken as they are; later, a key the merged block
            // holds and this log lacks counts as failed in it.
            const bool first = target.Cells().Empty();
            if (first) {
                TakeBlockFields(target, *source);
            }
            CLogDataBase* fail = first ? nullptr : m_pFailRecord;
            CellsOf(target).MergeGroups(
                source->Cells(), [fail](const CellKey&) { return fail; },
                [](const CellKey&) { return std::pair<CLogDataBase*, size_t>{nullptr, 0}; });
        }
    }
    if (const auto* page = dynamic_cast<const CLogPageDDRGrid*>(&other)) {
        m_setColumnValues = page->m_setColumnValues;
        m_nLastColumn = -1;
        m_mapColumnIndex = page->m_mapColumnIndex;
    }
    SetName(L"统计图");
}

void CLogPageDDRGrid::Clear() {
    m_vecSlots.clear();
    for (auto& [key, block] : m_mapBlocks) {
        CellsOf(block).Clear();
    }
    m_pFailRecord = nullptr;
    FreeOwnedRecords();
}

} // namespace quillon
