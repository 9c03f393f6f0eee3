#pragma once

#include "LogDataDDR.h"
#include "LogPageBase.h"

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace quillon {

/// Per-lane pass rates of an analysis, by byte lane (0.0 to 1.0).
using RateMap = std::map<int, double>;

/// One DDR log as a page: blocks keyed by (column index, byte lane), inside a block the cells
/// keyed by (dqs_step_dly, drv_stg). Column c holds the c-th smallest sdll_phs_dly value of
/// the log; sub-column s stands for dqs_step_dly s - 3; row r of a lane for the drive
/// strength whose registry ordinal is r. Also serves as the merged statistics page.
class CLogPageDDR : public CLogPageBase {
public:
    /// Reads the DDR1 and DDR2 row sets from the settings (their validity is the scan's
    /// concern); the DDR3 row set is {34, 40}; the selected row starts at 0xFFFF.
    CLogPageDDR();
    ~CLogPageDDR() override;

    /// Stores record at (column of sdllPhsDly, byte) under key (dqs_step_dly, drv_stg).
    /// False (two LogError lines, record dropped) when the column or the byte lies beyond
    /// the page size.
    bool AddCell(int sdllPhsDly, int byte, const CellKey& key,
                 std::unique_ptr<CLogDataBase> record);
    /// The same for a DDR record with passFlag, made in the page's own record store (the
    /// scanner's path: no allocation per record).
    bool AddCell(int sdllPhsDly, int byte, const CellKey& key, int passFlag);
    /// Creates every missing block of the page size with the page's block size.
    void Finish();

    /// The per-log analysis: longest runs per row, best parameters per lane from the selected
    /// row, pass rates, the weakest lane and nRowPassNum. The outputs are complete also when
    /// it returns false ("analyse result failed": nRowPassNum is 0).
    virtual bool Analyse(RateMap& rates, std::vector<SBestParam>& bestParams, int& rowPassNum);

    /// True when position (0 .. columns x sub-columns - 1) of analysis row (byte x n +
    /// ordinal) passes: its drive strength is in rowSet, its key exists and no DDR record of
    /// the key failed.
    [[nodiscard]] bool CellPasses(int row, int position, const std::set<int>& rowSet) const;
    /// The row set of a DDR kind (empty for kind -1).
    [[nodiscard]] const std::set<int>& RowSetOfKind(int kind) const;
    /// The smallest per-byte run total, starting from 280 (the sort key).
    [[nodiscard]] int GetWeakestValue() const;

    /// Every block, with its key map made.
    [[nodiscard]] const BlockMap& Blocks() const;
    /// Calls visit(key, records, count) for every key of block (column, byte) that holds
    /// records, in key order, reading the flat cells where they lie: no key map is made.
    template <class F> void VisitBlockCells(int column, int byte, F&& visit) const;
    [[nodiscard]] const std::set<int>& GetColumnValues() const { return m_setColumnValues; }
    [[nodiscard]] const std::map<int, int>& GetColumnIndexMap() const { return m_mapColumnIndex; }
    [[nodiscard]] const std::map<int, int>& GetRunTotals() const { return m_mapRunTotal; }
    [[nodiscard]] const std::map<int, SBestParam>& GetBestRecords() const {
        return m_mapBestRecord;
    }
    /// The longest run of every analysis row of the last analysis (row = byte x n + ordinal).
    [[nodiscard]] const std::vector<SRunRecord>& GetRowRuns() const { return m_vecRowRuns; }
    [[nodiscard]] int GetSelectedRow() const { return m_nFabsRow; }
    void SetSelectedRow(int row) { m_nFabsRow = row; }
    [[nodiscard]] const std::set<int>& GetRowSetDDR1() const { return m_setRowDDR1; }
    [[nodiscard]] const std::set<int>& GetRowSetDDR2() const { return m_setRowDDR2; }
    [[nodiscard]] const std::set<int>& GetRowSetDDR3() const { return m_setRowDDR3; }

    [[nodiscard]] bool IsLessByWeakestByte(const CLogPageBase& other) const override;
    [[nodiscard]] bool IsGreaterByWeakestByte(const CLogPageBase& other) const override;
    [[nodiscard]] bool IsLessByName(const CLogPageBase& other) const override;
    [[nodiscard]] std::wstring GetName() const override { return m_strLogName; }
    void SetName(const std::wstring& name) override { m_strLogName = name; }
    void SetPageSize(int pageRowCount, int pageColCount) override;
    [[nodiscard]] int GetColumnValue(int columnIndex) const override;
    bool GetCells(int byte, int columnIndex, const CellKey& key, CellList& out) override;
    void MergeFrom(const CLogPageBase& other) override;
    bool GetBlock(int byte, int columnIndex, SLogBlock& out) const override;
    void Clear() override;
    [[nodiscard]] const SLogBlock* FindBlock(int byte, int columnIndex) const override;
    void AnalyseForSort() override;
    [[nodiscard]] std::unique_ptr<CLogPageBase> CreateMergePage() const override;

protected:
    /// A cell record of a log page as it was added: its key and the record.
    struct SDdrCell {
        CellKey key;
        CLogDataBase* pRecord;
    };
    /// One slot (column x rows + byte) of the page size. A log page keeps its cells as a flat
    /// list, sorted by key once asked; the block's key map is made from it only when a caller
    /// asks for the block itself, which most logs of a scan never need.
    struct SBlockSlot {
        SLogBlock* pBlock = nullptr;
        std::vector<SDdrCell> vecCells;
        bool bSorted = true;
        bool bMapped = false; ///< the cells are in pBlock's map (vecCells is empty)
    };

    /// A DDR record whose line failed (other records never fail a cell).
    [[nodiscard]] static bool IsFailedRecord(const CLogDataBase* record);
    /// True when key exists in block and no DDR record of it failed.
    [[nodiscard]] static bool KeyPasses(const SLogBlock& block, const CellKey& key);
    /// The same for the block at (column, byte), flat or mapped.
    [[nodiscard]] bool KeyPassesAt(int column, int byte, const CellKey& key) const;
    /// The cell test of every position of one row (lane byte, drive strength drvStg).
    void FillRowPasses(int byte, int drvStg, const std::set<int>& rowSet,
                       std::vector<bool>& passes) const;
    /// The slot of (column, byte), created with its block on first use; nullptr (with the two
    /// LogError lines) when the column of sdllPhsDly or the byte lies beyond the page size.
    SBlockSlot* SlotFor(int sdllPhsDly, int byte);
    /// Adds record under key to the slot's flat list or, once mapped, to the block's map.
    static void AddToSlot(SBlockSlot& slot, const CellKey& key, CLogDataBase* record);
    /// The slot of (column, byte) when it holds unmapped cells, sorted; nullptr otherwise.
    [[nodiscard]] SBlockSlot* FlatSlot(int column, int byte) const;
    /// Moves the flat cells of slot (or of every slot) into their blocks' key maps.
    void MapSlot(SBlockSlot& slot) const;
    void MapAllSlots() const;
    /// Sorts a slot's flat cells by key, records of one key keeping their order.
    static void SortSlot(SBlockSlot& slot);
    /// Calls visit(key, first, last) for every key of a sorted slot with its records.
    template <class Visit> static void VisitGroups(const SBlockSlot& slot, Visit& visit) {
        const auto& cells = slot.vecCells;
        std::vector<CLogDataBase*> records;
        for (size_t i = 0; i < cells.size();) {
            size_t j = i + 1;
            while (j < cells.size() && cells[j].key == cells[i].key) {
                ++j;
            }
            records.clear();
            for (size_t k = i; k < j; ++k) {
                records.push_back(cells[k].pRecord);
            }
            visit(cells[i].key, records.cbegin(), records.cend());
            i = j;
        }
    }

    BlockMap m_mapBlocks;
    std::set<int> m_setColumnValues;     ///< distinct sdll_phs_dly values of the log
    std::map<int, int> m_mapColumnIndex; ///< column index -> sdll_phs_dly, never changed once set
    std::wstring m_strLogName;
    std::map<int, int> m_mapRunTotal; ///< byte -> sum of its rows' longest runs
    std::set<int> m_setRowDDR1;
    std::set<int> m_setRowDDR2;
    std::set<int> m_setRowDDR3;
    int m_nFabsRow = 0xFFFF; ///< drive-strength ordinal whose runs give the best parameters
    std::map<int, SBestParam> m_mapBestRecord;
    std::vector<SRunRecord> m_vecRowRuns;
    std::deque<CLogDataDDR> m_dequeRecords; ///< records made by the pass-flag AddCell
    int m_nLastColumnValue = 0;             ///< sdll_phs_dly of the last cell added
    int m_nLastColumn = -1;                 ///< its column index (-1: none yet)
    /// Slots by column x rows + byte; mutable because reading a block maps its cells.
    mutable std::vector<SBlockSlot> m_vecSlots;
};

template <class F> void CLogPageDDR::VisitBlockCells(int column, int byte, F&& visit) const {
    if (const SBlockSlot* slot = FlatSlot(column, byte)) {
        const auto& cells = slot->vecCells;
        std::vector<CLogDataBase*> records;
        for (size_t i = 0; i < cells.size();) {
            records.clear();
            size_t j = i;
            while (j < cells.size() && cells[j].key == cells[i].key) {
                records.push_back(cells[j].pRecord);
                ++j;
            }
            visit(cells[i].key, records.data(), records.size());
            i = j;
        }
        return;
    }
    const auto block = m_mapBlocks.find({column, byte});
    if (block == m_mapBlocks.end()) {
        return;
    }
    for (const auto& [key, list] : block->second.m_mapCells) {
        if (!list.empty()) {
            visit(key, list.data(), list.size());
        }
    }
}

} // namespace quillon
