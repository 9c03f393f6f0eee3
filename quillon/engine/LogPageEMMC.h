#pragma once

#include "EmmcBestPoint.h"
#include "LogDataEMMC.h"
#include "LogPageBase.h"

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace quillon {

// One eMMC scan log as a page: blocks keyed by (column value, row value), cells inside a
// block keyed by (in-block column value, in-block row value). Also the merged statistics
// page "统计图" of an eMMC scan.
//
// A full DDR50 log holds about a million cells: each block keeps its cells in a compact cell
// store (one pointer per data line, sorted once) and the page keeps one shared record per
// error code.

class CLogPageEMMC : public CLogPageBase {
public:
    CLogPageEMMC() = default;
    ~CLogPageEMMC() override = default;

    /// eMMC pages have no weakest byte: both comparisons order by name, like IsLessByName.
    [[nodiscard]] bool IsLessByWeakestByte(const CLogPageBase& other) const override;
    [[nodiscard]] bool IsGreaterByWeakestByte(const CLogPageBase& other) const override;
    /// Names compared as unsigned 16-bit code units; false for another page class.
    [[nodiscard]] bool IsLessByName(const CLogPageBase& other) const override;

    /// Sizes are copied, every block merged; a cell is good only where it was good in every
    /// log. Mode 0: a log without a record where the merged page has one (or the other way
    /// round) gets a "no result" record (code -1); modes 1 and 2: a missing record means no
    /// error, nothing is added. The page is named "统计图".
    void MergeFrom(const CLogPageBase& other) override;
    void Clear() override;
    /// The best-point search (its record is discarded; the blocks keep counts and centres).
    void AnalyseForSort() override { (void)SearchBestPoint(); }
    [[nodiscard]] std::unique_ptr<CLogPageBase> CreateMergePage() const override;

    /// Creates every missing block (column values 0 .. page columns - 1, row values 0 ..
    /// page rows - 1) with the page's block size.
    void CreateBlocks();
    /// Adds a record to block (colValue, rowValue) under (inCol, inRow). False (nothing
    /// stored) when the block does not exist.
    bool AddCell(int colValue, int rowValue, int inCol, int inRow, int32_t errorCode);

    /// The log mode the page's records were read in (-1 until set or merged).
    [[nodiscard]] int32_t GetLogMode() const { return m_nLogMode; }
    void SetLogMode(int32_t mode) { m_nLogMode = mode; }
    /// Number of log pages merged into this page.
    [[nodiscard]] int GetMergedLogCount() const { return m_nMergedLogs; }
    /// Records stored: one per accepted data line, plus the merge's "no result" records.
    [[nodiscard]] size_t GetRecordCount() const { return m_nRecordCount; }

    /// Calls visit(key, records, count) for every key of block (colValue, rowValue) that
    /// holds records, in (in-block column, in-block row) order.
    template <class F> void VisitCells(int colValue, int rowValue, F&& visit) const;
    /// The records of one cell (empty when it has none).
    [[nodiscard]] CellList CellRecords(int colValue, int rowValue, int inCol, int inRow) const;

    /// Whether a cell counts as good: mode 0 when it has records that all say "no error",
    /// modes 1 and 2 when it has none.
    [[nodiscard]] static bool IsCellGood(const CLogDataBase* const* records, size_t count,
                                         int32_t mode);
    [[nodiscard]] static bool IsCellGood(const CellList* list, int32_t mode) {
        return list == nullptr ? IsCellGood(nullptr, 0, mode)
                               : IsCellGood(list->data(), list->size(), mode);
    }
    /// The score of block (colValue, rowValue) (count and, when decided, the centre) with the
    /// page's block size; the block is not changed.
    [[nodiscard]] SEmmcBlockScore ScoreBlock(int colValue, int rowValue) const;
    /// Runs the best-point search: resets every block's count, scores the blocks, stores
    /// counts and centres, and returns the best-point record (none for a page without rows).
    std::optional<SEmmcBestPoint> SearchBestPoint();

private:
    /// The page's one record of (code, mode).
    CLogDataEMMC* SharedRecord(int32_t errorCode, int32_t mode);
    /// The score of a block, worked out in grid.
    [[nodiscard]] SEmmcBlockScore ScoreBlockIn(CEmmcCellGrid& grid, int colValue,
                                               int rowValue) const;

    std::map<std::pair<int32_t, int32_t>, std::unique_ptr<CLogDataEMMC>> m_mapRecords;
    size_t m_nRecordCount = 0;
    int32_t m_nLogMode = -1;
    int m_nMergedLogs = 0;
    SLogBlock* m_pLastBlock = nullptr; ///< the block the last line went to
    BlockKey m_lastBlockKey{-1, -1};
    CEmmcCellGrid m_grid; ///< reused by every block score of a search
};

template <class F> void CLogPageEMMC::VisitCells(int colValue, int rowValue, F&& visit) const {
    const auto block = m_mapBlocks.find({colValue, rowValue});
    if (block != m_mapBlocks.end()) {
        block->second.VisitCells(visit);
    }
}

} // namespace quillon
