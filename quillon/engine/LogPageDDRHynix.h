#pragma once

#include "LogPageBase.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace quillon {

/// One Hynix LPDDR2 log as a page: the DDR page's geometry (blocks by (column index, byte
/// lane), cells by (dqs_step_dly, drv_stg)) with one drive-strength row per lane, every
/// registered drive strength taking part, and pass rates from the count of passing cells.
/// Also the merged statistics page of a Hynix scan.
class CLogPageDDRHynix : public CLogPageBase {
public:
    /// fabsRow starts at 0, the only ordinal of a one-row page: a log whose drive strength
    /// is of no known kind (no CheckRow setting replaces it) still gets best parameters.
    static constexpr int kInitialFabsRow = 0;

    CLogPageDDRHynix() = default;
    ~CLogPageDDRHynix() override = default;

    /// Stores record at (column of sdllPhsDly, byte) under key; false (two LogError lines)
    /// when the column or the byte lies beyond the page size.
    bool AddCell(int sdllPhsDly, int byte, const CellKey& key,
                 std::unique_ptr<CLogDataBase> record);
    /// Creates every missing block of the page size with the page's block size.
    void Finish();

    /// The Hynix analysis: longest runs per row, best parameters from row fabsRow (run
    /// fields 0), per-lane pass counts and rates (count / 56), the weakest lane and
    /// nRowPassNum. Outputs are complete also when it returns false.
    bool Analyse(std::map<int, double>& rates, std::vector<SBestParam>& bestParams,
                 int& rowPassNum);

    /// A position passes when its key holds records and every Hynix record there passes.
    [[nodiscard]] bool CellPasses(int row, int position) const;
    /// The smallest per-lane pass count, starting from 280 (the sort key).
    [[nodiscard]] int GetWeakestValue() const;

    [[nodiscard]] const BlockMap& Blocks() const { return m_mapBlocks; }
    [[nodiscard]] const std::map<int, int>& GetPassCounts() const { return m_mapPassCount; }
    [[nodiscard]] const std::vector<SRunRecord>& GetRowRuns() const { return m_vecRowRuns; }
    [[nodiscard]] int GetSelectedRow() const { return m_nFabsRow; }
    void SetSelectedRow(int row) { m_nFabsRow = row; }

    [[nodiscard]] bool IsLessByWeakestByte(const CLogPageBase& other) const override;
    [[nodiscard]] bool IsGreaterByWeakestByte(const CLogPageBase& other) const override;
    [[nodiscard]] bool IsLessByName(const CLogPageBase& other) const override;
    [[nodiscard]] std::wstring GetName() const override { return m_strLogName; }
    void SetName(const std::wstring& name) override { m_strLogName = name; }
    [[nodiscard]] int GetColumnValue(int columnIndex) const override;
    bool GetCells(int byte, int columnIndex, const CellKey& key, CellList& out) override;
    /// The DDR merge, with CLogDataDDRHynix fail records for cells a later log lacks (the
    /// Hynix cell test reads only that class).
    void MergeFrom(const CLogPageBase& other) override;
    bool GetBlock(int byte, int columnIndex, SLogBlock& out) const override;
    void Clear() override;
    [[nodiscard]] const SLogBlock* FindBlock(int byte, int columnIndex) const override;
    void AnalyseForSort() override;
    [[nodiscard]] std::unique_ptr<CLogPageBase> CreateMergePage() const override;

private:
    BlockMap m_mapBlocks;
    std::set<int> m_setColumnValues;
    std::map<int, int> m_mapColumnIndex; ///< column index -> sdll_phs_dly, never changed once set
    std::wstring m_strLogName;
    std::map<int, int> m_mapPassCount; ///< byte -> passing cells of its rows
    int m_nFabsRow = kInitialFabsRow;
    std::vector<SRunRecord> m_vecRowRuns;
};

} // namespace quillon
