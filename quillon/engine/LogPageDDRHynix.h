#pragma once

#include "LogPageDDRGrid.h"

#include <map>
#include <memory>

namespace quillon {

/// One Hynix LPDDR2 log as a page (the grid of CLogPageDDRGrid) with one drive-strength row
/// per lane: every registered drive strength takes part, a lane's value is its count of
/// passing positions and its rate that count over columns x sub-columns (56). Also the
/// merged statistics page of a Hynix scan.
class CLogPageDDRHynix : public CLogPageDDRGrid {
public:
    /// fabsRow starts at 0, the only ordinal of a one-row page: a log whose drive strength
    /// is of no known kind (no CheckRow setting replaces it) still gets best parameters.
    static constexpr int kInitialFabsRow = 0;

    CLogPageDDRHynix() : CLogPageDDRGrid(kInitialFabsRow) {}
    ~CLogPageDDRHynix() override = default;

    /// A position passes when its key holds records and no Hynix record there failed.
    [[nodiscard]] bool CellPasses(int row, int position) const;
    /// byte -> passing positions of its rows, of the last analysis (every lane present).
    [[nodiscard]] const std::map<int, int>& GetPassCounts() const { return m_mapLaneValue; }

    [[nodiscard]] std::unique_ptr<CLogPageBase> CreateMergePage() const override;

    /// Only CLogDataDDRHynix records with pass flag 0 fail a cell.
    [[nodiscard]] bool IsFailedRecord(const CLogDataBase* record) const override;
    /// Every registered drive strength.
    [[nodiscard]] bool StrengthTakesPart(int, int) const override { return true; }
    /// The row's count of passing positions.
    [[nodiscard]] int LaneValueOfRow(const SRunRecord& run, int passCount) const override;
    /// Every lane, so a lane without any passing cell shows rate 0 and is the weakest,
    /// instead of being left out of the rates and the verdict.
    [[nodiscard]] bool ValuesEveryLane() const override { return true; }
    /// Columns x sub-columns: the drive-strength row count is not in it.
    [[nodiscard]] double RateDivisor(int kind) const override;
    /// The run's start and end are not kept for Hynix.
    [[nodiscard]] bool KeepsRunFields() const override { return false; }
    /// LogError "发生严重错误 fabsRow = %d", message "occur serious error: fabsRow = %d".
    void ReportBadSelectedRow(int fabsRow) const override;
    /// A CLogDataDDRHynix with pass flag 0 (the Hynix cell test reads only that class).
    [[nodiscard]] std::unique_ptr<CLogDataBase> MakeFailRecord() const override;
};

} // namespace quillon
