#include "LogPageEMMC.h"

#include <algorithm>

namespace {

// UTF-16 code units of one character: characters beyond the BMP become a surrogate pair,
// so names sort as the 16-bit units the logs' names were compared in.
int Utf16Units(wchar_t c, uint32_t units[2]) {
    const auto value = static_cast<uint32_t>(c);
    if (value < 0x10000 || value > 0x10FFFF) {
        units[0] = value & 0xFFFFu;
        return 1;
    }
    const uint32_t v = value - 0x10000;
    units[0] = 0xD800 + (v >> 10);
    units[1] = 0xDC00 + (v & 0x3FF);
    return 2;
}

bool NameLess(const std::wstring& a, const std::wstring& b) {
    std::vector<uint32_t> ua;
    std::vector<uint32_t> ub;
    for (const auto* pair : {&a, &b}) {
        std::vector<uint32_t>& out = pair == &a ? ua : ub;
        out.reserve(pair->size());
        for (wchar_t c : *pair) {
            uint32_t units[2];
            const int n = Utf16Units(c, units);
            out.insert(out.end(), units, units + n);
        }
    }
    return std::lexicographical_compare(ua.begin(), ua.end(), ub.begin(), ub.end());
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
    return NameLess(GetName(), other.GetName());
}

bool CLogPageEMMC::GetCells(int byte, int columnIndex, const CellKey& key, CellList& out) {
    SLogBlock& block = m_mapBlocks[{columnIndex, byte}];
    m_pLastBlock = nullptr; // the map may have grown; the add-cell cache is re-found
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
    return it == m_mapBlocks.end() ? nullptr : &it->second;
}

SLogBlock* CLogPageEMMC::FindMutableBlock(int rowValue, int colValue) {
    const BlockKey key{colValue, rowValue};
    if (m_pLastBlock != nullptr && m_lastBlockKey == key) {
        return m_pLastBlock;
    }
    const auto it = m_mapBlocks.find(key);
    if (it == m_mapBlocks.end()) {
        return nullptr;
    }
    m_pLastBlock = &it->second;
    m_lastBlockKey = key;
    return m_pLastBlock;
}

void CLogPageEMMC::Clear() {
    for (auto& [key, block] : m_mapBlocks) {
        block.m_mapCells.clear();
    }
    m_records.clear();
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

CLogDataEMMC* CLogPageEMMC::NewRecord(int32_t errorCode, int32_t mode) {
    return &m_records.emplace_back(errorCode, mode);
}

bool CLogPageEMMC::AddCell(int colValue, int rowValue, int inCol, int inRow, int32_t errorCode) {
    SLogBlock* block = FindMutableBlock(rowValue, colValue);
    if (block == nullptr) {
        return false;
    }
    CellList& list = block->m_mapCells[{inCol, inRow}];
    list.push_back(NewRecord(errorCode, m_nLogMode));
    return true;
}

void CLogPageEMMC::MergeFrom(const CLogPageBase& other) {
    const auto* page = dynamic_cast<const CLogPageEMMC*>(&other);
    if (page == nullptr || page == this) {
        return;
    }
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
    static const SLogBlock kEmptyBlock;
    m_pLastBlock = nullptr;

    for (int r = 0; r < pageRows; ++r) {
        for (int c = 0; c < pageCols; ++c) {
            const SLogBlock* found = page->FindBlock(r, c);
            if (found == nullptr && !passMarks) {
                continue;
            }
            const SLogBlock& source = found != nullptr ? *found : kEmptyBlock;
            auto [it, added] = m_mapBlocks.try_emplace({c, r});
            SLogBlock& target = it->second;
            if (added || (target.m_nSubColCount == 0 && target.m_nSubRowCount == 0)) {
                target.m_nSubColCount = found != nullptr ? source.m_nSubColCount : subCols;
                target.m_nSubRowCount = found != nullptr ? source.m_nSubRowCount : subRows;
            }
            if (passMarks) {
                // Records mark passing cells, so a log without a record there did not pass:
                // it gets a "no result" stand-in, and a cell first seen now gets one for
                // every log merged before.
                for (auto& [key, list] : target.m_mapCells) {
                    const auto hit = source.m_mapCells.find(key);
                    if (hit != source.m_mapCells.end()) {
                        list.insert(list.end(), hit->second.begin(), hit->second.end());
                    } else {
                        list.push_back(NewRecord(kEmmcNoResult, m_nLogMode));
                    }
                }
                for (const auto& [key, list] : source.m_mapCells) {
                    auto [cell, fresh] = target.m_mapCells.try_emplace(key);
                    if (!fresh) {
                        continue;
                    }
                    cell->second.reserve(static_cast<size_t>(earlierLogs) + list.size());
                    for (int i = 0; i < earlierLogs; ++i) {
                        cell->second.push_back(NewRecord(kEmmcNoResult, m_nLogMode));
                    }
                    cell->second.insert(cell->second.end(), list.begin(), list.end());
                }
            } else {
                // Records mark errors: a log without a record there had no error, so only
                // the records that exist are collected.
                for (const auto& [key, list] : source.m_mapCells) {
                    CellList& cell = target.m_mapCells[key];
                    cell.insert(cell.end(), list.begin(), list.end());
                }
            }
        }
    }
    ++m_nMergedLogs;
    SetName(L"统计图");
}

bool CLogPageEMMC::IsCellGood(const CellList* list, int32_t mode) {
    if (mode != 0) {
        return list == nullptr || list->empty();
    }
    if (list == nullptr || list->empty()) {
        return false;
    }
    for (const CLogDataBase* record : *list) {
        const auto* emmc = dynamic_cast<const CLogDataEMMC*>(record);
        if (emmc == nullptr || emmc->GetErrorCode() != kEmmcNoError) {
            return false;
        }
    }
    return true;
}

SEmmcBlockScore CLogPageEMMC::ScoreBlock(const SLogBlock& block) const {
    // The block's mode is the one stored in its first record; a block without any scores 0.
    int32_t mode = -1;
    for (const auto& [key, list] : block.m_mapCells) {
        if (!list.empty()) {
            if (const auto* emmc = dynamic_cast<const CLogDataEMMC*>(list.front())) {
                mode = emmc->GetLogMode();
            }
            break;
        }
    }
    if (mode < 0) {
        return {};
    }
    CEmmcCellGrid& grid = m_grid;
    const bool passMarks = mode == 0;
    grid.Reset(m_nSubColCount, m_nSubRowCount, !passMarks);
    if (passMarks) {
        for (const auto& [key, list] : block.m_mapCells) {
            if (IsCellGood(&list, mode)) {
                if (!grid.FirstGood()) {
                    grid.SetFirstGood(key.first, key.second);
                }
                grid.Set(key.first, key.second, true);
            }
        }
        const auto& cells = block.m_mapCells;
        grid.SetOutsideLookup([&cells, mode](int64_t col, int64_t row) {
            const auto it = cells.find({static_cast<int>(col), static_cast<int>(row)});
            return it != cells.end() && IsCellGood(&it->second, mode);
        });
        SEmmcBlockScore score = ScoreEmmcBlockMode0(grid);
        grid.SetOutsideLookup(nullptr);
        return score;
    }
    for (const auto& [key, list] : block.m_mapCells) {
        if (!list.empty()) {
            grid.Set(key.first, key.second, false);
        }
    }
    return ScoreEmmcBlockRuns(grid);
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
            const SEmmcBlockScore score = ScoreBlock(it->second);
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
    if (const SLogBlock* block = FindBlock(best->nRow, best->nCol)) {
        point.nInCol = block->m_nCenterCol;
        point.nInRow = block->m_nCenterRow;
    }
    return point;
}
