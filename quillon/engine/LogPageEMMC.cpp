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

CellList CLogPageEMMC::CellRecords(int colValue, int rowValue, int inCol, int inRow) const {
    const auto block = m_mapBlocks.find({colValue, rowValue});
    if (block == m_mapBlocks.end()) {
        return {};
    }
    const auto records = block->second.Find({inCol, inRow});
    return CellList(records.begin(), records.end());
}

void CLogPageEMMC::Clear() {
    for (auto& [key, block] : m_mapBlocks) {
        CellsOf(block).Clear();
    }
    m_pLastBlock = nullptr;
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
                SetBlockSizes(it->second, m_nSubRowCount, m_nSubColCount);
            }
        }
    }
}

bool CLogPageEMMC::AddCell(int colValue, int rowValue, int inCol, int inRow, int32_t errorCode) {
    const BlockKey blockKey{colValue, rowValue};
    CLogDataEMMC* record = SharedRecord(errorCode, m_nLogMode);
    // Consecutive lines mostly hit one block: it is kept until another is named.
    if (m_pLastBlock == nullptr || m_lastBlockKey != blockKey) {
        const auto block = m_mapBlocks.find(blockKey);
        if (block == m_mapBlocks.end()) {
            return false;
        }
        m_pLastBlock = &block->second;
        m_lastBlockKey = blockKey;
    }
    ++m_nRecordCount;
    CellsOf(*m_pLastBlock).Add({inCol, inRow}, record);
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
            if (added || (target.SubColCount() == 0 && target.SubRowCount() == 0)) {
                SetBlockSizes(target, found ? sourceBlock->second.SubRowCount() : subRows,
                              found ? sourceBlock->second.SubColCount() : subCols);
            }
            // Records mark passing cells in mode 0: a log without a key did not pass there,
            // and a key first seen now did not pass in any log merged before.
            size_t nAdded = 0;
            const auto missing = [&](const CellKey&) -> CLogDataBase* {
                if (!passMarks) {
                    return nullptr;
                }
                ++nAdded;
                return noResult;
            };
            const auto fresh = [&](const CellKey&) {
                if (!passMarks) {
                    return std::pair<CLogDataBase*, size_t>{nullptr, 0};
                }
                nAdded += static_cast<size_t>(earlierLogs);
                return std::pair<CLogDataBase*, size_t>{noResult, static_cast<size_t>(earlierLogs)};
            };
            static const quillon::CCompactCellStore noCells;
            CellsOf(target).MergeGroups(found ? sourceBlock->second.Cells() : noCells, missing,
                                        fresh);
            m_nRecordCount += nAdded;
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
    CEmmcCellGrid grid;
    return ScoreBlockIn(grid, colValue, rowValue);
}

SEmmcBlockScore CLogPageEMMC::ScoreBlockIn(CEmmcCellGrid& grid, int colValue,
                                           int rowValue) const {
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
        SetGoodCount(block, 0);
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
            const SEmmcBlockScore score = ScoreBlockIn(m_grid, c, r);
            SetGoodCount(it->second, score.nCount);
            if (score.centre) {
                SetCentre(it->second, (*score.centre)[0], (*score.centre)[1]);
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
        point.nInCol = block->second.CenterCol();
        point.nInRow = block->second.CenterRow();
    }
    return point;
}

} // namespace quillon
