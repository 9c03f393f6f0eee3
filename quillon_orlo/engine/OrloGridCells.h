#pragma once

#include "LogPageOrlo.h"
#include "OrloPageList.h"
#include "PassShare.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// What the cells of an Orlo grid show: one row per combination of drive values 0..3, one
// column per clkwr. The widget paints these texts and colours and nothing else.

namespace orlo {

/// COLORREF values (0x00BBGGRR).
inline constexpr uint32_t kOrloRed = 0x0000FF;
inline constexpr uint32_t kOrloGreen = 0x00FF00;
inline constexpr uint32_t kOrloYellow = 0x00FFFF;
inline constexpr uint32_t kOrloWhite = 0xFFFFFF;
inline constexpr uint32_t kOrloDarkGrey = 0x646464;

inline constexpr int kOrloGridRows = 257; ///< one fixed row and 4*4*4*4 combinations
inline constexpr int kOrloGridCols = 37;  ///< one fixed column, four values, 32 clkwr
inline constexpr int kOrloFirstClkwrCol = 5;
inline constexpr int kOrloRowHeight = 28;

/// Width of a grid column in pixels before any zoom.
[[nodiscard]] int OrloColumnWidth(int col);

/// Drive values (dqs_drv, data_drv, ctl, clk_drv) of grid row 1..256.
[[nodiscard]] std::array<int, 4> GetOrloRowCombination(int row);

enum class EOrloAlign { Left, Centre, Right };

/// One cell: its text, and its background unless the grid's default is kept.
struct SOrloCell {
    std::wstring m_strText;
    bool m_bHasBack = false;
    uint32_t m_crBack = kOrloWhite;
    EOrloAlign m_align = EOrloAlign::Centre;
};

/// The recommended set marked in the statistics grid (its row's value columns turn red).
struct SOrloMark {
    bool m_bSet = false;
    std::array<int, 4> m_drive{};
};

/// The cell at (row, col) of the grid of page, a scan of nPages logs. The merged page (named
/// "统计图") shows pass counts; a log page shows colours only.
[[nodiscard]] SOrloCell GetOrloGridCell(const CLogPageOrlo& page, int nPages, int row, int col,
                                        const SOrloMark& mark = SOrloMark());

/// What the logs of a scan say about cell (row, col) of the statistics grid (a clkwr cell of
/// a combination row): every log page counts, and passed where its entry holds a pass (a log
/// without the combination did not pass it). The merged page keeps only pass counts, so the
/// names come from the pages it was merged from. Nothing for a combination no log holds or
/// a cell outside the clkwr columns.
[[nodiscard]] SPassShare GetOrloCellShare(const OrloPageList& list, int row, int col);

/// Column headings and widths (pixels) of the recommended-set list.
struct SOrloListColumn {
    const wchar_t* m_szTitle;
    int m_nWidth;
};
inline constexpr std::array<SOrloListColumn, 5> kOrloBestColumns = {
    {{L"dqs_drv", 56}, {L"data_drv", 60}, {L"ctl_drv", 56}, {L"clk_drv", 56}, {L"clkwr", 60}}};

/// The one row of the recommended-set list: the five values as "%d".
[[nodiscard]] std::array<std::wstring, 5> GetOrloBestRow(int dqsDrv, int dataDrv, int ctl,
                                                         int clkDrv, int clkwr);

} // namespace orlo
