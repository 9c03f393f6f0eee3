#pragma once

#include "EmmcCellGrid.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace quillon {

// The eMMC best-point search: inside every block the area of good cells, its size and its
// centre; across the blocks the row and column whose run of good blocks scores highest.
// These are the pure pieces; CLogPageEMMC feeds them from its blocks.

/// Seven 32-bit values: row value, column value, in-block column, in-block row, 0, 0, score.
struct SEmmcBestPoint {
    int32_t nRow = 0;
    int32_t nCol = 0;
    int32_t nInCol = 0;
    int32_t nInRow = 0;
    int32_t nReserved0 = 0;
    int32_t nReserved1 = 0;
    int32_t nScore = 0;

    [[nodiscard]] std::array<int32_t, 7> Values() const {
        return {nRow, nCol, nInCol, nInRow, nReserved0, nReserved1, nScore};
    }
    bool operator==(const SEmmcBestPoint&) const = default;
};

/// What one block yields: its good-cell count (the score) and, when it decided one, a new
/// centre. A block that decides no centre keeps the centre it had.
struct SEmmcBlockScore {
    int32_t nCount = 0;
    std::optional<std::array<int32_t, 2>> centre; ///< in-block column, in-block row
};

/// One in-block row's run of good cells (start column, end column, length).
struct SEmmcRowRun {
    int32_t nStart = 0;
    int32_t nEnd = 0;
    int32_t nLength = 0;
    bool operator==(const SEmmcRowRun&) const = default;
};

/// Mode 0 (the log marks passing cells): the rectangle-like walk from the first good key.
[[nodiscard]] SEmmcBlockScore ScoreEmmcBlockMode0(const CEmmcCellGrid& grid);

/// Modes 1 and 2 (the log marks errors): row runs, chains of overlapping rows, centre.
[[nodiscard]] SEmmcBlockScore ScoreEmmcBlockRuns(const CEmmcCellGrid& grid);

/// The row run of every in-block row (modes 1 and 2): the first run of 3 or more good cells
/// that ends before the last column; (0, 0, 0) otherwise.
[[nodiscard]] std::vector<SEmmcRowRun> FindEmmcRowRuns(const CEmmcCellGrid& grid);

/// The chain table over the row runs: chain[y] is the number of rows of the chain ending at y.
[[nodiscard]] std::vector<int32_t> FindEmmcChains(const std::vector<SEmmcRowRun>& runs);

/// One candidate of the page search: the pick column of a page row and its run's score.
struct SEmmcCandidate {
    int32_t nCol = 0;
    int32_t nRow = 0;
    int32_t nScore = 0;
};

/// The candidate of one page row from its block scores (index = column).
[[nodiscard]] SEmmcCandidate PickEmmcRowCandidate(int32_t row, const std::vector<int32_t>& scores);

/// Chooses among candidates (any order; they are taken in (column, row) order): the first
/// with a positive score wins unless a later one beats it by more than 5. Returns nothing
/// for an empty list; a result with score -5 when no candidate is positive (column and
/// row then 0).
[[nodiscard]] std::optional<SEmmcCandidate>
ChooseEmmcCandidate(std::vector<SEmmcCandidate> candidates);

} // namespace quillon
