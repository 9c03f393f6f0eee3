#pragma once

#include "BestParam.h"
#include "LogDataBase.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quillon {

/// Key of a cell inside a block: DDR (dqs_step_dly, drv_stg), eMMC (in-block column value,
/// in-block row value); ordered by the first value, then the second.
using CellKey = std::pair<int, int>;
/// The records of one key (one per data line that hit it; the merged page one per log).
/// The pointers are owned by the page that made the records.
using CellList = std::vector<CLogDataBase*>;

/// One block of a page: the cells of one (column, byte lane) or, for eMMC, one (column
/// value, row value).
struct SLogBlock {
    std::map<CellKey, CellList> m_mapCells;
    int m_nSubColCount = 0;
    int m_nSubRowCount = 0;
    // Written by the eMMC best-point search only.
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
    /// when it is missing); true when the key exists.
    virtual bool GetCells(int byte, int columnIndex, const CellKey& key, CellList& out) = 0;
    /// Merges other into this page (the statistics page).
    virtual void MergeFrom(const CLogPageBase& other) = 0;
    /// Copies block (columnIndex, byte) into out; false (nothing created) when it is missing.
    virtual bool GetBlock(int byte, int columnIndex, SLogBlock& out) const = 0;
    /// Deletes every cell record the page owns and empties the blocks.
    virtual void Clear() = 0;

    /// The block (columnIndex, byte) without copying it; nullptr when it is missing.
    [[nodiscard]] virtual const SLogBlock* FindBlock(int byte, int columnIndex) const {
        return nullptr;
    }
    /// Analysis run before sorting by weakest byte, keeping only what the page stores.
    virtual void AnalyseForSort() {}
    /// An empty page of this page's class, to become the merged statistics page; nullptr
    /// for a class that cannot be merged.
    [[nodiscard]] virtual std::unique_ptr<CLogPageBase> CreateMergePage() const { return nullptr; }

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
    /// The statistics merge of one block: an empty target becomes a copy of source;
    /// otherwise every target key gets source's records, or one record from makeFail
    /// (adopted by this page) when source lacks the key, and source's other keys are added.
    void MergeBlock(SLogBlock& target, const SLogBlock& source,
                    const std::function<std::unique_ptr<CLogDataBase>()>& makeFail);
    /// The sizes and best-point fields of source, which an empty merge target takes over.
    static void TakeBlockFields(SLogBlock& target, const SLogBlock& source);
    /// The walk of MergeBlock over a source given as key groups in key order:
    /// forEachGroup(visit) calls visit(key, first, last) once per source key with the range
    /// of its records. The caller copies the block's sizes when target was empty.
    template <class ForEachGroup, class MakeFail>
    void MergeCellGroups(SLogBlock& target, ForEachGroup&& forEachGroup, MakeFail&& makeFail);

    /// The end of a DDR or Hynix analysis: the weakest lane (lowest rate, the lowest lane of
    /// equal rates), nRowPassNum from the run of its verdict row (rowsPerLane rows a lane);
    /// false with "analyse result failed" when nRowPassNum is 0.
    static bool JudgeWeakestLane(const std::map<int, double>& rates,
                                 const std::vector<SRunRecord>& rowRuns, int rowsPerLane, int kind,
                                 int& rowPassNum);
    /// The smallest of per-lane values (run totals or pass counts), starting from 280: the
    /// sort key of a page, also of one never analysed.
    [[nodiscard]] static int SmallestLaneValue(const std::map<int, int>& perLane);

    std::wstring m_strName;
    int m_nSubColCount = 0;
    int m_nSubRowCount = 0;
    int m_nPageSizeCol = 0;
    int m_nPageSizeRow = 0;

private:
    std::vector<std::unique_ptr<CLogDataBase>> m_vecOwnedRecords;
};

template <class ForEachGroup, class MakeFail>
void CLogPageBase::MergeCellGroups(SLogBlock& target, ForEachGroup&& forEachGroup,
                                   MakeFail&& makeFail) {
    auto& cells = target.m_mapCells;
    // The first log's keys are taken as they are; later, a key the merged block holds and
    // this log lacks counts as failed in it.
    const bool first = cells.empty();
    auto cursor = cells.begin();
    forEachGroup([&](const CellKey& key, auto begin, auto end) {
        while (!first && cursor != cells.end() && cursor->first < key) {
            cursor->second.push_back(Adopt(makeFail()));
            ++cursor;
        }
        if (cursor != cells.end() && cursor->first == key) {
            cursor->second.insert(cursor->second.end(), begin, end);
            ++cursor;
            return;
        }
        // A key only this log has joins with this log's records (before the cursor, so the
        // walk does not visit it).
        cells.emplace_hint(cursor, key, CellList(begin, end));
    });
    for (; !first && cursor != cells.end(); ++cursor) {
        cursor->second.push_back(Adopt(makeFail()));
    }
}

/// True when name a sorts before name b: names compare by their UTF-16 code units, as the
/// platform compares its wide strings (a character beyond U+FFFF as its surrogate pair).
[[nodiscard]] bool IsNameBefore(const std::wstring& a, const std::wstring& b);

[[nodiscard]] SRunRecord FindLongestRun(const std::vector<bool>& passes);

} // namespace quillon
