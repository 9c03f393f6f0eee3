#pragma once

#include "LogPageBase.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace quillon {

/// Per-lane pass rates of an analysis, by byte lane (0.0 to 1.0).
using RateMap = std::map<int, double>;

/// A log of a DDR-like scan as a page: blocks keyed by (column index, byte lane), inside a
/// block the cells keyed by (dqs_step_dly, drv_stg). Column c holds the c-th smallest
/// sdll_phs_dly value of the log; sub-column s stands for dqs_step_dly s - 3; row r of a lane
/// for the drive strength whose registry ordinal is r. Also the merged statistics page.
///
/// The storage, the analysis (longest runs, best parameters, rates, the weakest lane), the
/// comparisons and the merge are shared; what differs between the DDR and the Hynix page is
/// asked of the hooks below.
class CLogPageDDRGrid : public CLogPageBase {
public:
    explicit CLogPageDDRGrid(int initialFabsRow) : m_nFabsRow(initialFabsRow) {}
    ~CLogPageDDRGrid() override = default;

    /// Stores record at (column of sdllPhsDly, byte) under key (dqs_step_dly, drv_stg).
    /// False (two LogError lines, record dropped) when the column or the byte lies beyond
    /// the page size.
    bool AddCell(int sdllPhsDly, int byte, const CellKey& key,
                 std::unique_ptr<CLogDataBase> record);
    /// Creates every missing block of the page size with the page's block size.
    void Finish();

    /// The per-log analysis: longest runs per row, best parameters per lane from the selected
    /// row, per-lane values and pass rates, the weakest lane and nRowPassNum. The outputs are
    /// complete also when it returns false ("analyse result failed": nRowPassNum is 0).
    bool Analyse(RateMap& rates, std::vector<SBestParam>& bestParams, int& rowPassNum);

    /// The smallest per-lane value, starting from 280 (the sort key).
    [[nodiscard]] int GetWeakestValue() const { return SmallestLaneValue(m_mapLaneValue); }
    [[nodiscard]] const std::set<int>& GetColumnValues() const { return m_setColumnValues; }
    [[nodiscard]] const std::map<int, int>& GetColumnIndexMap() const { return m_mapColumnIndex; }
    /// The longest run of every analysis row of the last analysis (row = byte x n + ordinal).
    [[nodiscard]] const std::vector<SRunRecord>& GetRowRuns() const { return m_vecRowRuns; }
    [[nodiscard]] int GetSelectedRow() const { return m_nFabsRow; }
    void SetSelectedRow(int row) { m_nFabsRow = row; }

    [[nodiscard]] bool IsLessByWeakestByte(const CLogPageBase& other) const override;
    [[nodiscard]] bool IsGreaterByWeakestByte(const CLogPageBase& other) const override;
    [[nodiscard]] bool IsLessByName(const CLogPageBase& other) const override;
    void SetPageSize(int pageRowCount, int pageColCount) override;
    [[nodiscard]] int GetColumnValue(int columnIndex) const override;
    /// Sizes are copied and every block merged: a key the merged block holds and a later log
    /// lacks gets a fail record (MakeFailRecord) for that log.
    void MergeFrom(const CLogPageBase& other) override;
    void Clear() override;
    void AnalyseForSort() override;

    // The hooks: every intended difference between the DDR and the Hynix page.

    /// A record that fails its cell (a cell passes when its key holds records and none fails).
    [[nodiscard]] virtual bool IsFailedRecord(const CLogDataBase* record) const = 0;
    /// Whether the rows of drive strength drvStg take part in an analysis of DDR kind kind
    /// (the positions of other rows never pass).
    [[nodiscard]] virtual bool StrengthTakesPart(int drvStg, int kind) const = 0;
    /// What a row adds to its lane's value (the sort key and the rate's numerator): its
    /// longest run or its count of passing positions.
    [[nodiscard]] virtual int LaneValueOfRow(const SRunRecord& run, int passCount) const = 0;
    /// Whether every lane of the page size gets a value (0 without rows) rather than only
    /// the lanes that have analysis rows.
    [[nodiscard]] virtual bool ValuesEveryLane() const = 0;
    /// The divisor of a lane's rate for DDR kind kind; 0 or less gives rate 0.0.
    [[nodiscard]] virtual double RateDivisor(int kind) const = 0;
    /// Whether a best-parameter record keeps the run's start and end (else both are 0).
    [[nodiscard]] virtual bool KeepsRunFields() const = 0;
    /// Reports a selected row outside the lane's rows (tool log and message).
    virtual void ReportBadSelectedRow(int fabsRow) const = 0;
    /// The record that stands for a log lacking a key of the merged page.
    [[nodiscard]] virtual std::unique_ptr<CLogDataBase> MakeFailRecord() const = 0;

protected:
    /// True when key of block (column, byte) holds records and none of them fails.
    [[nodiscard]] bool KeyPassesAt(int column, int byte, const CellKey& key) const;
    /// The same for a block at hand.
    [[nodiscard]] bool KeyPasses(const SLogBlock& block, const CellKey& key) const;
    /// Stores an already owned record (the record stores of the derived pages).
    bool AddOwnedCell(int sdllPhsDly, int byte, const CellKey& key, CLogDataBase* record);

    /// The best parameters by lane of the last analysis.
    std::map<int, SBestParam> m_mapBestRecord;
    /// byte -> the lane's value of the last analysis (see LaneValueOfRow).
    std::map<int, int> m_mapLaneValue;

private:
    /// The block of (column of sdllPhsDly, byte), created on first use; nullptr (with the
    /// two LogError lines) when the column or the byte lies beyond the page size.
    SLogBlock* BlockFor(int sdllPhsDly, int byte);

    std::set<int> m_setColumnValues;     ///< distinct sdll_phs_dly values of the log
    std::map<int, int> m_mapColumnIndex; ///< column index -> sdll_phs_dly, never changed once set
    int m_nFabsRow; ///< drive-strength ordinal whose runs give the best parameters
    std::vector<SRunRecord> m_vecRowRuns;
    int m_nLastColumnValue = 0; ///< sdll_phs_dly of the last cell added
    int m_nLastColumn = -1;     ///< its column index (-1: none yet)
    /// Blocks by column x page rows + byte, so a data line finds its block without a map
    /// lookup (blocks are never erased, so a pointer once taken stays valid).
    std::vector<SLogBlock*> m_vecSlots;
    CLogDataBase* m_pFailRecord = nullptr; ///< the merge's fail record, made once
};

} // namespace quillon
