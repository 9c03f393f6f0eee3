#include "OrloGridCells.h"

#include "TextUtil.h"

namespace orlo {

int OrloColumnWidth(int col) {
    if (col == 0) {
        return 32;
    }
    return col < kOrloFirstClkwrCol ? 34 : 28;
}

std::array<int, 4> GetOrloRowCombination(int row) {
    const int i = row - 1;
    return {i / 64, (i % 64) / 16, (i % 16) / 4, i % 4};
}

SOrloCell GetOrloGridCell(const CLogPageOrlo& page, int nPages, int row, int col,
                          const SOrloMark& mark) {
    SOrloCell cell;
    if (row < 0 || row >= kOrloGridRows || col < 0 || col >= kOrloGridCols) {
        return cell;
    }
    if (row == 0) {
        static const wchar_t* const kHeads[] = {L"", L"dqs", L"data", L"ctl", L"clk"};
        cell.m_strText = col < kOrloFirstClkwrCol ? std::wstring(kHeads[col])
                                                  : FormatW(L"%d", col - kOrloFirstClkwrCol);
        return cell;
    }
    if (col == 0) {
        cell.m_strText = FormatW(L"%3d", row);
        cell.m_align = EOrloAlign::Right;
        return cell;
    }
    const std::array<int, 4> drive = GetOrloRowCombination(row);
    if (col < kOrloFirstClkwrCol) {
        cell.m_strText = FormatW(L"%d", drive[col - 1]);
        cell.m_bHasBack = true;
        cell.m_crBack = (mark.m_bSet && mark.m_drive == drive) ? kOrloRed : kOrloDarkGrey;
        return cell;
    }
    const DrvCombination* combination = page.Find(drive[0], drive[1], drive[2], drive[3]);
    const int clkwr = col - kOrloFirstClkwrCol;
    const int state = combination ? combination->m_entries[clkwr].m_nState : -1;
    const bool merged = page.Name() == kMergedPageName;
    if (!merged) {
        cell.m_bHasBack = true;
        cell.m_crBack = state == 1 ? kOrloGreen : kOrloWhite;
        return cell;
    }
    if (state != 1) {
        cell.m_bHasBack = true;
        cell.m_crBack = kOrloWhite;
        return cell;
    }
    const int count = combination->m_entries[clkwr].m_nPassCount;
    cell.m_strText = FormatW(L"%d", count);
    if (count == nPages) {
        cell.m_bHasBack = true;
        cell.m_crBack = kOrloGreen;
    } else if (count < nPages) {
        cell.m_bHasBack = true;
        cell.m_crBack = kOrloYellow;
    }
    return cell;
}

std::array<std::wstring, 5> GetOrloBestRow(int dqsDrv, int dataDrv, int ctl, int clkDrv,
                                           int clkwr) {
    return {FormatW(L"%d", dqsDrv), FormatW(L"%d", dataDrv), FormatW(L"%d", ctl),
            FormatW(L"%d", clkDrv), FormatW(L"%d", clkwr)};
}

} // namespace orlo

namespace orlo {

SPassShare GetOrloCellShare(const OrloPageList& list, int row, int col) {
    SPassShare share;
    if (row < 1 || row >= kOrloGridRows || col < kOrloFirstClkwrCol || col >= kOrloGridCols ||
        list.Merged() == nullptr) {
        return share;
    }
    const std::array<int, 4> drive = GetOrloRowCombination(row);
    if (list.Merged()->Find(drive[0], drive[1], drive[2], drive[3]) == nullptr) {
        return share;
    }
    const int clkwr = col - kOrloFirstClkwrCol;
    for (const auto& page : list.Pages()) {
        const DrvCombination* combination = page->Find(drive[0], drive[1], drive[2], drive[3]);
        ++share.m_nLogs;
        if (combination != nullptr && combination->m_entries[clkwr].m_nState == 1) {
            ++share.m_nPassed;
        } else {
            share.m_vecFailedLogs.push_back(page->Name());
        }
    }
    return share;
}

} // namespace orlo
