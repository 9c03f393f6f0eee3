#pragma once

#include "EmmcBestPoint.h"
#include "LogDataEMMC.h"
#include "LogPageBase.h"

#include <deque>
#include <optional>

// One eMMC scan log as a page: blocks keyed by (column value, row value), cells inside a
// block keyed by (in-block column value, in-block row value). Also the merged statistics
// page "统计图" of an eMMC scan.

class CLogPageEMMC : public CLogPageBase {
public:
    CLogPageEMMC() = default;
    ~CLogPageEMMC() override = default;

    /// eMMC pages have no weakest byte: both comparisons order by name, like IsLessByName.
    [[nodiscard]] bool IsLessByWeakestByte(const CLogPageBase& other) const override;
    [[nodiscard]] bool IsGreaterByWeakestByte(const CLogPageBase& other) const override;
    /// Names compared as unsigned 16-bit code units; false for another page class.
    [[nodiscard]] bool IsLessByName(const CLogPageBase& other) const override;

    /// byte = row value, columnIndex = column value; the block is created when missing.
    bool GetCells(int byte, int columnIndex, const CellKey& key, CellList& out) override;
    /// Sizes are copied, every block merged; a cell good only where it was good in every
    /// log. Mode 0: a log without a record where the merged page has one (or the other way
    /// round) gets a "no result" record (code -1); modes 1 and 2: a missing record means no
    /// error, nothing is added. The page is named "统计图".
    void MergeFrom(const CLogPageBase& other) override;
    bool GetBlock(int byte, int columnIndex, SLogBlock& out) const override;
    void Clear() override;
    [[nodiscard]] const SLogBlock* FindBlock(int byte, int columnIndex) const override;
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
    [[nodiscard]] size_t GetRecordCount() const { return m_records.size(); }
    [[nodiscard]] const BlockMap& Blocks() const { return m_mapBlocks; }

    /// Whether an in-block cell counts as good: mode 0 when it has records that all say
    /// "no error", modes 1 and 2 when it has none.
    [[nodiscard]] static bool IsCellGood(const CellList* list, int32_t mode);
    /// The score of one block (count and, when decided, the centre) as the search sees it
    /// with the page's block size; the block is not changed.
    [[nodiscard]] SEmmcBlockScore ScoreBlock(const SLogBlock& block) const;
    /// Runs the best-point search: resets every block's count, scores the blocks, stores
    /// counts and centres, and returns the best-point record (none for a page without rows).
    std::optional<SEmmcBestPoint> SearchBestPoint();

private:
    CLogDataEMMC* NewRecord(int32_t errorCode, int32_t mode);
    SLogBlock* FindMutableBlock(int rowValue, int colValue);

    BlockMap m_mapBlocks;
    // Records live in one arena per page: stable addresses for the cell lists (and for the
    // merged page that shares them) without a heap block per record.
    std::deque<CLogDataEMMC> m_records;
    int32_t m_nLogMode = -1;
    int m_nMergedLogs = 0;
    SLogBlock* m_pLastBlock = nullptr;
    BlockKey m_lastBlockKey{-1, -1};
    mutable CEmmcCellGrid m_grid; // reused by every block score
};
