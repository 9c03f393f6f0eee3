#pragma once

#include "LogDataDDR.h"
#include "LogPageDDRGrid.h"

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace quillon {

/// One DDR log as a page (the grid of CLogPageDDRGrid): the drive strengths of the DDR kind's
/// row set take part, a lane's value is the sum of its rows' longest runs and its rate that
/// sum over (row set size x columns x sub-columns). Also the merged statistics page.
class CLogPageDDR : public CLogPageDDRGrid {
public:
    /// Reads the DDR1 and DDR2 row sets from the settings (their validity is the scan's
    /// concern); the DDR3 row set is {34, 40}; the selected row starts at 0xFFFF.
    CLogPageDDR();
    ~CLogPageDDR() override;

    using CLogPageDDRGrid::AddCell;
    /// Stores a DDR record with passFlag, made in the page's own record store (the scanner's
    /// path: no allocation per record).
    bool AddCell(int sdllPhsDly, int byte, const CellKey& key, int passFlag);

    /// True when position (0 .. columns x sub-columns - 1) of analysis row (byte x n +
    /// ordinal) passes: its drive strength is in rowSet, its key exists and no DDR record of
    /// the key failed.
    [[nodiscard]] bool CellPasses(int row, int position, const std::set<int>& rowSet) const;
    /// The row set of a DDR kind (empty for kind -1).
    [[nodiscard]] const std::set<int>& RowSetOfKind(int kind) const;

    /// byte -> sum of its rows' longest runs, of the last analysis.
    [[nodiscard]] const std::map<int, int>& GetRunTotals() const { return m_mapLaneValue; }
    [[nodiscard]] const std::map<int, SBestParam>& GetBestRecords() const {
        return m_mapBestRecord;
    }
    [[nodiscard]] const std::set<int>& GetRowSetDDR1() const { return m_setRowDDR1; }
    [[nodiscard]] const std::set<int>& GetRowSetDDR2() const { return m_setRowDDR2; }
    [[nodiscard]] const std::set<int>& GetRowSetDDR3() const { return m_setRowDDR3; }

    void Clear() override;
    [[nodiscard]] std::unique_ptr<CLogPageBase> CreateMergePage() const override;

    /// Only CLogDataDDR records with pass flag 0 fail a cell.
    [[nodiscard]] bool IsFailedRecord(const CLogDataBase* record) const override;
    /// The drive strengths of the kind's row set.
    [[nodiscard]] bool StrengthTakesPart(int drvStg, int kind) const override;
    /// The row's longest run.
    [[nodiscard]] int LaneValueOfRow(const SRunRecord& run, int passCount) const override;
    /// Only lanes with analysis rows.
    [[nodiscard]] bool ValuesEveryLane() const override { return false; }
    /// Row set size x columns x sub-columns ("drv_stg size = 0" logged for an empty set).
    [[nodiscard]] double RateDivisor(int kind) const override;
    [[nodiscard]] bool KeepsRunFields() const override { return true; }
    /// LogError "occur serious error: fabsRow = %d", message "occur serious error:fabsRow = %d".
    void ReportBadSelectedRow(int fabsRow) const override;
    /// A CLogDataDDR with pass flag 0.
    [[nodiscard]] std::unique_ptr<CLogDataBase> MakeFailRecord() const override;

private:
    std::set<int> m_setRowDDR1;
    std::set<int> m_setRowDDR2;
    std::set<int> m_setRowDDR3;
    std::deque<CLogDataDDR> m_dequeRecords; ///< records made by the pass-flag AddCell
};

} // namespace quillon
