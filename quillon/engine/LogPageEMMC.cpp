#include "LogPageEMMC.h"

#include <algorithm>

namespace quillon {

namespace {

int32_t RecordCode(const CLogDataBase* record) {
    const auto* emmc = dynamic_cast<const CLogDataEMMC*>(record);
    return emmc != nullptr ? emmc->GetErrorCode() : kEmmcNoResult;
}

} // namespace

bool CLogPageEMMC::IsLessByWeakestByte(const CLogPageBase& other) const {
    return IsLessByName(other);
}

bool CLogPageEMMC::IsGreaterByWeakestByte(const CLogPageBase& other) const {
    return IsLessByName(other);
}

bool CLogPageEMMC::IsLessByName(const CLogPageBase& other) const {
    if (dynamic_cast<const CLogPageEMMC*>(&other) == nullptr) {
        return false;
    }
    return IsNameBefore(GetName(), other.GetName());
}

CLogDataEMMC* CLogPageEMMC::SharedRecord(int32_t errorCode, int32_t mode) {
    // Records of one code say the same thing, so the page keeps one of each: a full DDR50
    // log would otherwise hold a million identical objects.
    std::unique_ptr<CLogDataEMMC>& record = m_mapRecords[{errorCode, mode}];
    if (record == nullptr) {
        record = std::make_unique<CLogDataEMMC>(errorCode, mode);
    }
    return record.get();
}

const CLogPageEMMC::SCompactBlock* CLogPageEMMC::FindCompact(int colValue, int rowValue) const {
    const auto it = m_mapCompact.find({colValue, rowValue});
    if (it == m_mapCompact.end()) {
        return nullptr;
    }
    SCompactBlock& compact = it->second;
    if (!compact.bSorted) {
        std::stable_sort(
            compact.cells.begin(), compact.cells.end(),
            [](const SCompactCell& a, const SCompactCell& b) { return a.key < b.key; });
        compact.bSorted = true;
    }
    return &compact;
}

void CLogPageEMMC::FillCellMap(const BlockKey& key, SLogBlock& block) const {
    const SCompactBlock* compact = FindCompact(key.first, key.second);
    if (compact == nullptr || compact->cells.empty()) {
        return;
    }
    // The map is filled in key order, so every insertion goes at its end.
    for (const SCompactCell& cell : compact->cells) {
        auto it = block.m_mapCells.end();
        if (!block.m_mapCells.empty() && std::prev(it)->first == cell.key) {
            std::prev(it)->second.push_back(cell.pRecord);
        } else {
            block.m_mapCells.emplace_hint(it, cell.key, CellList{cell.pRecord});
        }
    }
    m_mapCompact.erase(key);
    m_pLastCompact = nullptr;
}

void CLogPageEMMC::FillAllCellMaps() {
    for (auto& [key, block] : m_mapBlocks) {
        FillCellMap(key, block);
    }
    m_mapCompact.clear();
    m_pLastCompact = nullptr;
}

bool CLogPageEMMC::GetCells(int byte, int columnIndex, const CellKey& key, CellList& out) {
    SLogBlock& block = m_mapBlocks[{columnIndex, byte}];
    FillCellMap({columnIndex, byte}, block);
    const auto it = block.m_mapCells.find(key);
    if (it == block.m_mapCells.end()) {
        return false;
    }
    out = it->second;
    return true;
}

bool CLogPageEMMC::GetBlock(int byte, int columnIndex, SLogBlock& out) const {
    const SLogBlock* block = FindBlock(byte, columnIndex);
    if (block == nullptr) {
        return false;
    }
    out = *block;
    return true;
}

const SLogBlock* CLogPageEMMC::FindBlock(int byte, int columnIndex) const {
    const auto it = m_mapBlocks.find({columnIndex, byte});
    if (it == m_mapBlocks.end()) {
        return nullptr;
    }
    FillCellMap(it->first, it->second);
    return &it->second;
}

CellList CLogPageEMMC::CellRecords(int colValue, int rowValue, int inCol, int inRow) const {
    const auto block = m_mapBlocks.find({colValue, rowValue});
    if (block == m_mapBlocks.end()) {
        return {};
    }
    const CellKey key{inCol, inRow};
    const auto cell = block->second.m_mapCells.find(key);
    if (cell != block->second.m_mapCells.end()) {
        return cell->second;
    }
    const SCompactBlock* compact = FindCompact(colValue, rowValue);
    if (compact == nullptr) {
        return {};
    }
    auto range = std::equal_range(
        compact->cells.begin(), compact->cells.end(), SCompactCell{key, nullptr},
        [](const SCompactCell& a, const SCompactCell& b) { return a.key < b.key; });
    CellList out;
    for (auto it = range.first; it != range.second; ++it) {
        out.push_back(it->pRecord);
    }
    return out;
}

void CLogPageEMMC::Clear() {
    for (auto& [key, block] : m_mapBlocks) {
        block.m_mapCells.clear();
    }
    m_mapCompact.clear();
    m_pLastCompact = nullptr;
    m_mapRecords.clear();
    m_nRecordCount = 0;
}

std::unique_ptr<CLogPageBase> CLogPageEMMC::CreateMergePage() const {
    return std::make_unique<CLogPageEMMC>();
}

void CLogPageEMMC::CreateBlocks() {
    for (int c = 0; c < m_nPageSizeCol; ++c) {
        for (int r = 0; r < m_nPageSizeRow; ++r) {
            const auto [it, added] = m_mapBlocks.try_emplace({c, r});
            if (added) {
                it->second.m_nSubColCount = m_nSubColCount;
                it->second.m_nSubRowCount = m_nSubRowCount;
            }
        }
    }
}

bool CLogPageEMMC::AddCell(int colValue, int rowValue, int inCol, int inRow, int32_t errorCode) {
    const BlockKey blockKey{colValue, rowValue};
    CLogDataEMMC* record = SharedRecord(errorCode, m_nLogMode);
    const auto block = m_mapBlocks.find(blockKey);
    if (block == m_mapBlocks.end()) {
        return false;
    }
    ++m_nRecordCount;
    if (!block->second.m_mapCells.empty() || m_nMergedLogs > 0) {
        block->second.m_mapCells[{inCol, inRow}].push_back(record);
        return true;
    }
    if (m_pLastCompact == nullptr || m_lastBlockKey != blockKey) {
        m_pLastCompact = &m_mapCompact[blockKey];
        m_lastBlockKey = blockKey;
    }
    std::vector<SCompactCell>& cells = m_pLastCompact->cells;
    const CellKey key{inCol, inRow};
    if (!cells.empty() && key < cells.back().key) {
        m_pLastCompact->bSorted = false;
    }
    cells.push_back({key, record});
    return true;
}

void CLogPageEMMC::MergeFrom(const CLogPageBase& other) {
    const auto* page = dynamic_cast<const CLogPageEMMC*>(&other);
    if (page == nullptr || page == this) {
        return;
    }
    FillAllCellMaps();
    int subRows = 0;
    int subCols = 0;
    int pageRows = 0;
    int pageCols = 0;
    page->GetBlockSize(subRows, subCols);
    page->GetPageSize(pageRows, pageCols);
    SetBlockSize(subRows, subCols);
    SetPageSize(pageRows, pageCols);
    if (m_nLogMode < 0) {
        m_nLogMode = page->GetLogMode();
    }
    const bool passMarks = m_nLogMode == 0;
    const int earlierLogs = m_nMergedLogs;
    CLogDataBase* noResult = passMarks ? SharedRecord(kEmmcNoResult, m_nLogMode) : nullptr;

    for (int r = 0; r < pageRows; ++r) {
        for (int c = 0; c < pageCols; ++c) {
            const auto sourceBlock = page->m_mapBlocks.find({c, r});
            const bool found = sourceBlock != page->m_mapBlocks.end();
            if (!found && !passMarks) {
                continue;
            }
            auto [it, added] = m_mapBlocks.try_emplace({c, r});
            SLogBlock& target = it->second;
            if (added || (target.m_nSubColCount == 0 && target.m_nSubRowCount == 0)) {
                target.m_nSubColCount = found ? sourceBlock->second.m_nSubColCount : subCols;
                target.m_nSubRowCount = found ? sourceBlock->second.m_nSubRowCount : subRows;
            }
            auto& cells = target.m_mapCells;
            // One walk over both key orders: keys the merged block holds before this log
            // are those before the cursor.
            auto cursor = cells.begin();
            auto visit = [&](const CellKey& key, CLogDataBase* const* records, size_t count) {
                while (cursor != cells.end() && cursor->first < key) {
                    if (passMarks) {
                        // Records mark passing cells: this log did not pass there.
                        cursor->second.push_back(noResult);
                        ++m_nRecordCount;
                    }
                    ++cursor;
                }
                if (cursor != cells.end() && cursor->first == key) {
                    cursor->second.insert(cursor->second.end(), records, records + count);
                    ++cursor;
                    return;
                }
                CellList list;
                if (passMarks) {
                    // A cell first seen now did not pass in any log merged before.
                    list.reserve(static_cast<size_t>(earlierLogs) + count);
                    list.assign(static_cast<size_t>(earlierLogs), noResult);
                    m_nRecordCount += static_cast<size_t>(earlierLogs);
                }
                list.insert(list.end(), records, records + count);
                cells.emplace_hint(cursor, key, std::move(list));
            };
            if (found) {
                page->VisitCells(c, r, visit);
            }
            if (passMarks) {
                for (; cursor != cells.end(); ++cursor) {
                    cursor->second.push_back(noResult);
                    ++m_nRecordCount;
                }
            }
        }
    }
    ++m_nMergedLogs;
    SetName(L"统计图");
}

bool CLogPageEMMC::IsCellGood(const CLogDataBase* const* records, size_t count, int32_t mode) {
    if (mode != 0) {
        return count == 0;
    }
    if (count == 0) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        if (RecordCode(records[i]) != kEmmcNoError) {
            return false;
        }
    }
    return true;
}

SEmmcBlockScore CLogPageEMMC::ScoreBlock(int colValue, int rowValue) const {
    // The block's mode is the one stored in its first record; a block without any scores 0.
    int32_t mode = -1;
    VisitCells(colValue, rowValue, [&](const CellKey&, CLogDataBase* const* records, size_t) {
        if (mode == -1) {
            const auto* emmc = dynamic_cast<const CLogDataEMMC*>(records[0]);
            mode = emmc != nullptr ? emmc->GetLogMode() : -2;
        }
    });
    if (mode < 0) {
        return {};
    }
    CEmmcCellGrid& grid = m_grid;
    const bool passMarks = mode == 0;
    grid.Reset(m_nSubColCount, m_nSubRowCount, !passMarks);
    VisitCells(colValue, rowValue,
               [&](const CellKey& key, CLogDataBase* const* records, size_t count) {
                   if (!passMarks) {
                       grid.Set(key.first, key.second, false);
                   } else if (IsCellGood(records, count, mode)) {
                       if (!grid.FirstGood()) {
                           grid.SetFirstGood(key.first, key.second);
                       }
                       grid.Set(key.first, key.second, true);
                   }
               });
    if (!passMarks) {
        return ScoreEmmcBlockRuns(grid);
    }
    // The walk may start outside the searched area (a value beyond its maximum read as a
    // negative key); cells there are looked up in the block itself.
    grid.SetOutsideLookup([this, colValue, rowValue, mode](int64_t col, int64_t row) {
        const CellList list =
            CellRecords(colValue, rowValue, static_cast<int>(col), static_cast<int>(row));
        return IsCellGood(&list, mode);
    });
    SEmmcBlockScore score = ScoreEmmcBlockMode0(grid);
    grid.SetOutsideLookup(nullptr);
    return score;
}

std::optional<SEmmcBestPoint> CLogPageEMMC::SearchBestPoint() {
    for (auto& [key, block] : m_mapBlocks) {
        block.m_nGoodCount = 0;
    }
    std::vector<SEmmcCandidate> candidates;
    std::vector<int32_t> scores;
    for (int r = 0; r < m_nPageSizeRow; ++r) {
        scores.assign(static_cast<size_t>(std::max(m_nPageSizeCol, 0)), 0);
        for (int c = 0; c < m_nPageSizeCol; ++c) {
            const auto it = m_mapBlocks.find({c, r});
            if (it == m_mapBlocks.end()) {
                continue;
            }
            const SEmmcBlockScore score = ScoreBlock(c, r);
            it->second.m_nGoodCount = score.nCount;
            if (score.centre) {
                it->second.m_nCenterCol = (*score.centre)[0];
                it->second.m_nCenterRow = (*score.centre)[1];
            }
            scores[static_cast<size_t>(c)] = score.nCount;
        }
        candidates.push_back(PickEmmcRowCandidate(r, scores));
    }
    const std::optional<SEmmcCandidate> best = ChooseEmmcCandidate(std::move(candidates));
    if (!best) {
        return std::nullopt;
    }
    SEmmcBestPoint point;
    point.nRow = best->nRow;
    point.nCol = best->nCol;
    point.nScore = best->nScore;
    const auto block = m_mapBlocks.find({best->nCol, best->nRow});
    if (block != m_mapBlocks.end()) {
        point.nInCol = block->second.m_nCenterCol;
        point.nInRow = block->second.m_nCenterRow;
    }
    return point;
}

} // namespace quillon
