#include "LogPageDDR.h"

#include "AnalyzerSettings.h"
#include "DrvStgRegistry.h"
#include "LogDataDDR.h"
#include "SpLog.h"
#include "UserPrompt.h"
#include "TextUtil.h"

#include <algorithm>
#include <iterator>

namespace quillon {

CLogPageDDR::CLogPageDDR() {
    (void)analyzer::ReadRowSet(kDdrKindDDR1, m_setRowDDR1);
    (void)analyzer::ReadRowSet(kDdrKindDDR2, m_setRowDDR2);
    m_setRowDDR3 = analyzer::Ddr3RowSet();
}

CLogPageDDR::~CLogPageDDR() = default;

CLogPageDDR::SBlockSlot* CLogPageDDR::SlotFor(int sdllPhsDly, int byte) {
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
        const size_t slotIndex = static_cast<size_t>(column) * static_cast<size_t>(m_nPageSizeRow) +
                                 static_cast<size_t>(byte);
        if (m_vecSlots.empty()) {
            m_vecSlots.resize(static_cast<size_t>(m_nPageSizeCol) *
                              static_cast<size_t>(m_nPageSizeRow));
        }
        SBlockSlot& slot = m_vecSlots[slotIndex];
        if (slot.pBlock == nullptr) {
            // Blocks are never erased, so a block once found stays where it is.
            slot.pBlock = &m_mapBlocks[{column, byte}];
            slot.bMapped = !slot.pBlock->m_mapCells.empty();
            if (!slot.bMapped && m_nSubColCount > 0 && m_nSubRowCount > 0) {
                slot.vecCells.reserve(static_cast<size_t>(m_nSubColCount) *
                                      static_cast<size_t>(m_nSubRowCount));
            }
        }
        return &slot;
    }
    LogError(L"logName=%ls, nPageCol=%d, m_nPageSizeCol=%d", m_strLogName.c_str(), column,
             m_nPageSizeCol);
    LogError(L"logName=%ls, Row=%d, m_nPageSizeRow=%d", m_strLogName.c_str(), byte, m_nPageSizeRow);
    return nullptr;
}

void CLogPageDDR::AddToSlot(SBlockSlot& slot, const CellKey& key, CLogDataBase* record) {
    if (slot.bMapped) {
        slot.pBlock->m_mapCells[key].push_back(record);
        return;
    }
    if (!slot.vecCells.empty() && key < slot.vecCells.back().key) {
        slot.bSorted = false;
    }
    slot.vecCells.push_back({key, record});
}

void CLogPageDDR::SortSlot(SBlockSlot& slot) {
    if (!slot.bSorted) {
        std::stable_sort(slot.vecCells.begin(), slot.vecCells.end(),
                         [](const SDdrCell& a, const SDdrCell& b) { return a.key < b.key; });
        slot.bSorted = true;
    }
}

CLogPageDDR::SBlockSlot* CLogPageDDR::FlatSlot(int column, int byte) const {
    if (m_vecSlots.empty() || column < 0 || column >= m_nPageSizeCol || byte < 0 ||
        byte >= m_nPageSizeRow) {
        return nullptr;
    }
    SBlockSlot& slot =
        m_vecSlots[static_cast<size_t>(column) * static_cast<size_t>(m_nPageSizeRow) +
                   static_cast<size_t>(byte)];
    if (slot.pBlock == nullptr || slot.bMapped || slot.vecCells.empty()) {
        return nullptr;
    }
    SortSlot(slot);
    return &slot;
}

void CLogPageDDR::MapSlot(SBlockSlot& slot) const {
    if (slot.pBlock == nullptr || slot.bMapped) {
        return;
    }
    SortSlot(slot);
    // In key order every key goes at the end of the map.
    auto& cells = slot.pBlock->m_mapCells;
    for (const SDdrCell& cell : slot.vecCells) {
        if (!cells.empty() && std::prev(cells.end())->first == cell.key) {
            std::prev(cells.end())->second.push_back(cell.pRecord);
        } else {
            cells.emplace_hint(cells.end(), cell.key, CellList{cell.pRecord});
        }
    }
    slot.vecCells.clear();
    slot.vecCells.shrink_to_fit();
    slot.bMapped = true;
}

void CLogPageDDR::MapAllSlots() const {
    for (SBlockSlot& slot : m_vecSlots) {
        MapSlot(slot);
    }
}

bool CLogPageDDR::AddCell(int sdllPhsDly, int byte, const CellKey& key,
                          std::unique_ptr<CLogDataBase> record) {
    SBlockSlot* slot = SlotFor(sdllPhsDly, byte);
    if (slot == nullptr) {
        return false;
    }
    AddToSlot(*slot, key, Adopt(std::move(record)));
    return true;
}

bool CLogPageDDR::AddCell(int sdllPhsDly, int byte, const CellKey& key, int passFlag) {
    SBlockSlot* slot = SlotFor(sdllPhsDly, byte);
    if (slot == nullptr) {
        return false;
    }
    AddToSlot(*slot, key, &m_dequeRecords.emplace_back(passFlag));
    return true;
}

void CLogPageDDR::Finish() {
    for (int column = 0; column < m_nPageSizeCol; ++column) {
        for (int byte = 0; byte < m_nPageSizeRow; ++byte) {
            const auto [it, inserted] = m_mapBlocks.try_emplace({column, byte});
            if (inserted) {
                it->second.m_nSubColCount = m_nSubColCount;
                it->second.m_nSubRowCount = m_nSubRowCount;
            }
        }
    }
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
    const int byte = row / n;
    const int ordinal = row % n;
    const int drvStg = GetDrvStgRegistry().ValueOfOrdinal(ordinal);
    if (rowSet.count(drvStg) == 0) {
        return false;
    }
    return KeyPassesAt(position / sub, byte, {position % sub - 3, drvStg});
}

bool CLogPageDDR::KeyPassesAt(int column, int byte, const CellKey& key) const {
    if (const SBlockSlot* slot = FlatSlot(column, byte)) {
        auto it =
            std::lower_bound(slot->vecCells.begin(), slot->vecCells.end(), key,
                             [](const SDdrCell& cell, const CellKey& k) { return cell.key < k; });
        if (it == slot->vecCells.end() || it->key != key) {
            return false;
        }
        for (; it != slot->vecCells.end() && it->key == key; ++it) {
            if (IsFailedRecord(it->pRecord)) {
                return false;
            }
        }
        return true;
    }
    const auto block = m_mapBlocks.find({column, byte});
    return block != m_mapBlocks.end() && KeyPasses(block->second, key);
}

bool CLogPageDDR::KeyPasses(const SLogBlock& block, const CellKey& key) {
    const auto cell = block.m_mapCells.find(key);
    if (cell == block.m_mapCells.end()) {
        return false;
    }
    return std::none_of(cell->second.begin(), cell->second.end(), IsFailedRecord);
}

bool CLogPageDDR::IsFailedRecord(const CLogDataBase* record) {
    const auto* ddr = dynamic_cast<const CLogDataDDR*>(record);
    return ddr != nullptr && ddr->GetPassFlag() == 0;
}

void CLogPageDDR::FillRowPasses(int byte, int drvStg, const std::set<int>& rowSet,
                                std::vector<bool>& passes) const {
    std::fill(passes.begin(), passes.end(), false);
    const int sub = m_nSubColCount;
    if (sub <= 0 || rowSet.count(drvStg) == 0) {
        return;
    }
    // The cell test of every position of the row, one block lookup per column.
    const int columns = static_cast<int>(passes.size()) / sub;
    for (int column = 0; column < columns; ++column) {
        for (int s = 0; s < sub; ++s) {
            passes[static_cast<size_t>(column * sub + s)] =
                KeyPassesAt(column, byte, {s - 3, drvStg});
        }
    }
}

bool CLogPageDDR::Analyse(RateMap& rates, std::vector<SBestParam>& bestParams, int& rowPassNum) {
    rates.clear();
    bestParams.clear();
    rowPassNum = 0;
    const CDrvStgRegistry& registry = GetDrvStgRegistry();
    const int kind = registry.GetDDRKind();
    analyzer::ReadBestRow(kind, m_nFabsRow);

    const int n = m_nSubRowCount;
    const int sub = m_nSubColCount;
    const int positions = (m_nPageSizeCol > 0 && sub > 0) ? m_nPageSizeCol * sub : 0;
    const int rowCount = (n > 0 && m_nPageSizeRow > 0) ? m_nPageSizeRow * n : 0;
    const std::set<int>& rowSet = RowSetOfKind(kind);
    // Best parameters address a position as column m / 8 and step m % 8 - 3.
    const int stepDivisor = sub > 0 ? sub : 8;

    m_vecRowRuns.assign(static_cast<size_t>(rowCount), SRunRecord{});
    m_mapBestRecord.clear();
    std::vector<SRunRecord> runList;
    std::vector<bool> passes(static_cast<size_t>(positions));
    for (int row = 0; row < rowCount; ++row) {
        const int byte = row / n;
        const int ordinal = row % n;
        FillRowPasses(byte, registry.ValueOfOrdinal(ordinal), rowSet, passes);
        const SRunRecord run = FindLongestRun(passes);
        m_vecRowRuns[static_cast<size_t>(row)] = run;
        runList.push_back(run);
        if (ordinal != n - 1) {
            continue;
        }
        if (static_cast<int>(runList.size()) != n) {
            runList.clear();
            continue;
        }
        const int k = m_nFabsRow;
        if (k >= 0 && k < n) {
            const SRunRecord& chosen = runList[static_cast<size_t>(k)];
            const int middle = (chosen.m_nStart + chosen.m_nEnd) / 2;
            SBestParam best;
            best.m_nByte = byte;
            best.m_nSdllPhsDly = GetColumnValue(middle / stepDivisor);
            best.m_nDqsStepDly = middle % stepDivisor - 3;
            best.m_nDrvStg = registry.ValueOfOrdinal(k);
            best.m_nRunStart = chosen.m_nStart;
            best.m_nRunEnd = chosen.m_nEnd;
            best.m_nReserved = 0;
            bestParams.push_back(best);
            m_mapBestRecord[byte] = best;
        } else {
            LogError(L"occur serious error: fabsRow = %d", k);
            GetPrompt().Show(FormatW(L"occur serious error:fabsRow = %d", k));
        }
        runList.clear();
    }

    m_mapRunTotal.clear();
    for (int row = 0; row < rowCount; ++row) {
        m_mapRunTotal[row / n] += m_vecRowRuns[static_cast<size_t>(row)].m_nLength;
    }

    if (rowSet.empty()) {
        LogError(L"drv_stg size = 0");
    }
    const double divisor =
        static_cast<double>(rowSet.size()) * static_cast<double>(m_nPageSizeCol) * sub;
    for (const auto& [byte, total] : m_mapRunTotal) {
        // With no drive strength taking part (kind -1) the rate would be 0 / 0: such a lane
        // is reported as 0.0, since none of its positions can pass.
        rates[byte] = divisor > 0.0 ? static_cast<double>(total) / divisor : 0.0;
    }

    return JudgeWeakestLane(rates, m_vecRowRuns, n, kind, rowPassNum);
}

int CLogPageDDR::GetWeakestValue() const {
    return SmallestLaneValue(m_mapRunTotal);
}

bool CLogPageDDR::IsLessByWeakestByte(const CLogPageBase& other) const {
    const auto* page = dynamic_cast<const CLogPageDDR*>(&other);
    return page != nullptr && GetWeakestValue() < page->GetWeakestValue();
}

bool CLogPageDDR::IsGreaterByWeakestByte(const CLogPageBase& other) const {
    const auto* page = dynamic_cast<const CLogPageDDR*>(&other);
    return page != nullptr && page->GetWeakestValue() < GetWeakestValue();
}

bool CLogPageDDR::IsLessByName(const CLogPageBase& other) const {
    const auto* page = dynamic_cast<const CLogPageDDR*>(&other);
    return page != nullptr && IsNameBefore(m_strLogName, page->m_strLogName);
}

void CLogPageDDR::SetPageSize(int pageRowCount, int pageColCount) {
    // Slots follow the page size: their cells go into the blocks' maps first.
    MapAllSlots();
    m_vecSlots.clear();
    CLogPageBase::SetPageSize(pageRowCount, pageColCount);
}

int CLogPageDDR::GetColumnValue(int columnIndex) const {
    const auto it = m_mapColumnIndex.find(columnIndex);
    return it == m_mapColumnIndex.end() ? -1 : it->second;
}

bool CLogPageDDR::GetCells(int byte, int columnIndex, const CellKey& key, CellList& out) {
    const SLogBlock* found = FindBlock(byte, columnIndex);
    const SLogBlock& block = found != nullptr ? *found : m_mapBlocks[{columnIndex, byte}];
    const auto it = block.m_mapCells.find(key);
    if (it == block.m_mapCells.end()) {
        return false;
    }
    out = it->second;
    return true;
}

bool CLogPageDDR::GetBlock(int byte, int columnIndex, SLogBlock& out) const {
    const SLogBlock* block = FindBlock(byte, columnIndex);
    if (block == nullptr) {
        return false;
    }
    out.m_mapCells = block->m_mapCells;
    out.m_nSubColCount = block->m_nSubColCount;
    out.m_nSubRowCount = block->m_nSubRowCount;
    return true;
}

const SLogBlock* CLogPageDDR::FindBlock(int byte, int columnIndex) const {
    if (SBlockSlot* slot = FlatSlot(columnIndex, byte)) {
        MapSlot(*slot);
    }
    const auto it = m_mapBlocks.find({columnIndex, byte});
    return it == m_mapBlocks.end() ? nullptr : &it->second;
}

void CLogPageDDR::MergeFrom(const CLogPageBase& other) {
    int subRows = 0;
    int subCols = 0;
    other.GetBlockSize(subRows, subCols);
    SetBlockSize(subRows, subCols);
    int pageRows = 0;
    int pageCols = 0;
    other.GetPageSize(pageRows, pageCols);
    SetPageSize(pageRows, pageCols);
    const auto makeFail = [] { return std::make_unique<CLogDataDDR>(0); };
    const auto* ddrOther = dynamic_cast<const CLogPageDDR*>(&other);
    SLogBlock copy;
    for (int byte = 0; byte < m_nPageSizeRow; ++byte) {
        for (int column = 0; column < m_nPageSizeCol; ++column) {
            // A log page's cells are read where they lie, without making its key maps.
            const SBlockSlot* flat = ddrOther != nullptr && ddrOther != this
                                         ? ddrOther->FlatSlot(column, byte)
                                         : nullptr;
            if (flat != nullptr) {
                SLogBlock& target = m_mapBlocks[{column, byte}];
                if (target.m_mapCells.empty()) {
                    TakeBlockFields(target, *flat->pBlock);
                }
                MergeCellGroups(
                    target, [flat](auto&& visit) { VisitGroups(*flat, visit); }, makeFail);
                continue;
            }
            const SLogBlock* source = other.FindBlock(byte, column);
            if (source == nullptr && other.GetBlock(byte, column, copy)) {
                source = &copy;
            }
            if (source != nullptr) {
                MergeBlock(m_mapBlocks[{column, byte}], *source, makeFail);
            }
        }
    }
    if (const auto* page = dynamic_cast<const CLogPageDDR*>(&other)) {
        m_setColumnValues = page->m_setColumnValues;
        m_nLastColumn = -1;
        m_mapColumnIndex = page->m_mapColumnIndex;
    }
    SetName(L"统计图");
}

void CLogPageDDR::Clear() {
    m_vecSlots.clear();
    for (auto& [key, block] : m_mapBlocks) {
        block.m_mapCells.clear();
    }
    FreeOwnedRecords();
    m_dequeRecords.clear();
    m_setRowDDR1.clear();
    m_setRowDDR2.clear();
}

void CLogPageDDR::AnalyseForSort() {
    RateMap rates;
    std::vector<SBestParam> best;
    int rowPassNum = 0;
    (void)Analyse(rates, best, rowPassNum);
}

const BlockMap& CLogPageDDR::Blocks() const {
    MapAllSlots();
    return m_mapBlocks;
}

std::unique_ptr<CLogPageBase> CLogPageDDR::CreateMergePage() const {
    return std::make_unique<CLogPageDDR>();
}

} // namespace quillon
