#pragma once

#include "BestParam.h"
#include "CompactCellStore.h"
#include "LogDataBase.h"

#include <map>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace quillon {

class CLogPageBase;
class CDrvStgRegistry;
class CLaneSwapMap;
class CScanSnapshot;

/// One block of a page as its readers see it: the cells of one (column, byte lane) or, for
/// eMMC, one (column value, row value), with the block's sizes and best-point fields.
/// Read-only: only the page that holds it changes it (through CLogPageBase).
class SLogBlock {
public:
    [[nodiscard]] int SubColCount() const { return m_nSubColCount; }
    [[nodiscard]] int SubRowCount() const { return m_nSubRowCount; }
    /// Written by the eMMC best-point search only.
    [[nodiscard]] int GoodCount() const { return m_nGoodCount; }
    [[nodiscard]] int CenterCol() const { return m_nCenterCol; }
    [[nodiscard]] int CenterRow() const { return m_nCenterRow; }

    [[nodiscard]] const quillon::CCompactCellStore& Cells() const { return m_cells; }
    /// The records of key (empty when it has none).
    [[nodiscard]] std::span<CLogDataBase* const> Find(const CellKey& key) const {
        return m_cells.Find(key);
    }
    /// Calls visit(key, records, count) for every key holding records, in key order.
    template <class F> void VisitCells(F&& visit) const { m_cells.VisitGroups(visit); }
    /// The cells as a key map, made on request.
    [[nodiscard]] std::map<CellKey, CellList> MakeMap() const { return m_cells.MakeMap(); }

private:
    friend class CLogPageBase;

    quillon::CCompactCellStore m_cells;
    int m_nSubColCount = 0;
    int m_nSubRowCount = 0;
    int m_nGoodCount = 0;
    int m_nCenterCol = 0;
    int m_nCenterRow = 0;
};

/// Key of a block: DDR (column index, byte lane); ordered by column index, then byte.
using BlockKey = std::pair<int, int>;
using BlockMap = std::map<BlockKey, SLogBlock>;

/// The longest run of consecutive passing positions of one row: lengths L[p] = L[p-1] + 1
/// for a pass, else 0; the first position t holding the largest L gives start t - o + 1,
/// end t, length o. No pass gives (1, 0, 0).
struct SRunRecord {
    int m_nStart = 1;
    int m_nEnd = 0;
    int m_nLength = 0;
    bool operator==(const SRunRecord&) const = default;
};
/// Base of every page: a grid of blocks made from one log, or the merged statistics page.
class CLogPageBase {
public:
    CLogPageBase() = default;
    virtual ~CLogPageBase() = default;
    CLogPageBase(const CLogPageBase&) = delete;
    CLogPageBase& operator=(const CLogPageBase&) = delete;

    /// This page's weakest value is smaller than other's (sort modes 0 and 1).
    [[nodiscard]] virtual bool IsLessByWeakestByte(const CLogPageBase& other) const;
    [[nodiscard]] virtual bool IsGreaterByWeakestByte(const CLogPageBase& other) const;
    /// This page's name sorts before other's (sort mode 2).
    [[nodiscard]] virtual bool IsLessByName(const CLogPageBase& other) const;
    [[nodiscard]] virtual std::wstring GetName() const { return m_strName; }
    virtual void SetName(const std::wstring& name) { m_strName = name; }
    virtual void GetBlockSize(int& subRowCount, int& subColCount) const;
    virtual void SetBlockSize(int subRowCount, int subColCount);
    virtual void GetPageSize(int& pageRowCount, int& pageColCount) const;
    virtual void SetPageSize(int pageRowCount, int pageColCount);
    /// The scanned value shown for a column (DDR: sdll_phs_dly); -1 when unknown.
    [[nodiscard]] virtual int GetColumnValue(int columnIndex) const { return -1; }
    /// Copies the records of key in block (columnIndex, byte) into out (creating the block
    /// when it is missing); true when the key exists. (eMMC: byte = row value, columnIndex =
    /// column value.)
    bool GetCells(int byte, int columnIndex, const CellKey& key, CellList& out);
    /// Merges other into this page (the statistics page).
    virtual void MergeFrom(const CLogPageBase& other) = 0;
    /// Copies block (columnIndex, byte) into out; false (nothing created) when it is missing.
    bool GetBlock(int byte, int columnIndex, SLogBlock& out) const;
    /// Deletes every cell record the page owns and empties the blocks.
    virtual void Clear() = 0;

    /// The block (columnIndex, byte) without copying it; nullptr when it is missing.
    [[nodiscard]] const SLogBlock* FindBlock(int byte, int columnIndex) const;
    /// Every block (sizes, cells and, for eMMC, counts and centres).
    [[nodiscard]] const BlockMap& Blocks() const { return m_mapBlocks; }
    /// Analysis run before sorting by weakest byte, keeping only what the page stores.
    virtual void AnalyseForSort() {}
    /// An empty page of this page's class, to become the merged statistics page; nullptr
    /// for a class that cannot be merged.
    [[nodiscard]] virtual std::unique_ptr<CLogPageBase> CreateMergePage() const { return nullptr; }

    /// The registry and swap map of the scan that made this page, kept by its page list from
    /// the end of that scan; a page outside a finished scan has none.
    void SetScanSnapshot(std::shared_ptr<const CScanSnapshot> snapshot) {
        m_pScanSnapshot = std::move(snapshot);
    }
    /// The drive strengths the page is analysed and drawn with: its scan's, or the
    /// process-wide registry while its scan is still running (or without a page list).
    [[nodiscard]] const CDrvStgRegistry& DrvStgs() const;
    /// The byte-lane swap map the page is drawn with, chosen as DrvStgs.
    [[nodiscard]] const CLaneSwapMap& LaneSwap() const;

    [[nodiscard]] int GetSubColCount() const { return m_nSubColCount; }
    [[nodiscard]] int GetSubRowCount() const { return m_nSubRowCount; }
    [[nodiscard]] int GetPageSizeCol() const { return m_nPageSizeCol; }
    [[nodiscard]] int GetPageSizeRow() const { return m_nPageSizeRow; }

protected:
    /// Takes ownership of a record the page made (a log page's cells, the merged page's
    /// added fail records) and returns it for a cell list.
    CLogDataBase* Adopt(std::unique_ptr<CLogDataBase> record);
    /// Deletes every adopted record.
    void FreeOwnedRecords() { m_vecOwnedRecords.clear(); }
    /// The writable cells and fields of a block the page holds.
    [[nodiscard]] static quillon::CCompactCellStore& CellsOf(SLogBlock& block) {
        return block.m_cells;
    }
    static void SetBlockSizes(SLogBlock& block, int subRowCount, int subColCount) {
        block.m_nSubRowCount = subRowCount;
        block.m_nSubColCount = subColCount;
    }
    static void SetGoodCount(SLogBlock& block, int goodCount) { block.m_nGoodCount = goodCount; }
    static void SetCentre(SLogBlock& block, int col, int row) {
        block.m_nCenterCol = col;
        block.m_nCenterRow = row;
    }
    /// The sizes and best-point fields of source, which an empty merge target takes over.
    static void TakeBlockFields(SLogBlock& target, const SLogBlock& source);

    /// The end of a DDR or Hynix analysis: the weakest lane (lowest rate, the lowest lane of
    /// equal rates), nRowPassNum from the run of its verdict row (rowsPerLane rows a lane);
    /// false with "analyse result failed" when nRowPassNum is 0.
    static bool JudgeWeakestLane(const std::map<int, double>& rates,
                                 const std::vector<SRunRecord>& rowRuns, int rowsPerLane, int kind,
                                 int& rowPassNum);
    /// The smallest of per-lane values (run totals or pass counts), starting from 280: the
    /// sort key of a page, also of one never analysed.
    [[nodiscard]] static int SmallestLaneValue(const std::map<int, int>& perLane);

    /// The page's blocks by (column, byte lane); eMMC: (column value, row value).
    BlockMap m_mapBlocks;
    std::wstring m_strName;
    int m_nSubColCount = 0;
    int m_nSubRowCount = 0;
    int m_nPageSizeCol = 0;
    int m_nPageSizeRow = 0;

private:
    std::vector<std::unique_ptr<CLogDataBase>> m_vecOwnedRecords;
    std::shared_ptr<const CScanSnapshot> m_pScanSnapshot;
};

/// True when name a sorts before name b: names compare by their UTF-16 code units, as the
/// platform compares its wide strings (a character beyond U+FFFF as its surrogate pair).
[[nodiscard]] bool IsNameBefore(const std::wstring& a, const std::wstring& b);

[[nodiscard]] SRunRecord FindLongestRun(const std::vector<bool>& passes);

} // namespace quillon
