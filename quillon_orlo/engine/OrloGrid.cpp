#include "OrloGrid.h"

#include "TextUtil.h"

namespace orlo {

int OrloColumnWidth(int col) {
    if (col == 0) {
        return 32;
    }
    return col < kOrloFirstClkwrCol ? 34 : 28;
}

uint32_t CLogDataOrlo::GetColor() const {
    if (m_nState == 0) {
        return kOrloRed;
    }
    return m_nState == 1 ? kOrloGreen : kOrloWhite;
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

COrloGridZoom::COrloGridZoom()
    : m_rowHeights(kOrloGridRows, kOrloRowHeight), m_colWidths(kOrloGridCols) {
    for (int col = 0; col < kOrloGridCols; ++col) {
        m_colWidths[col] = OrloColumnWidth(col);
    }
}

bool COrloGridZoom::Step(int step) {
    m_nZoom += step;
    if (m_nZoom < 80 || m_nZoom > 120) {
        m_nZoom = m_nZoom < 80 ? 80 : 120;
        return false;
    }
    for (size_t row = 3; row < m_rowHeights.size(); ++row) {
        if (m_rowHeights[row] + step > 1) {
            m_rowHeights[row] += step;
        }
    }
    m_colWidths[0] = 35;
    m_colWidths[1] = 50;
    for (size_t col = 2; col < m_colWidths.size(); ++col) {
        if (m_colWidths[col] + step > 1) {
            m_colWidths[col] += step;
        }
    }
    return true;
}

std::array<std::wstring, 5> GetOrloBestRow(int dqsDrv, int dataDrv, int ctl, int clkDrv,
                                           int clkwr) {
    return {FormatW(L"%d", dqsDrv), FormatW(L"%d", dataDrv), FormatW(L"%d", ctl),
            FormatW(L"%d", clkDrv), FormatW(L"%d", clkwr)};
}

bool COrloVerdictLabels::Update(bool pass, const std::wstring& reason) {
    m_bPass = pass;
    if (m_bShown) {
        return false;
    }
    m_bShown = true;
    m_strResult = pass ? L"PASS" : L"FAIL";
    m_strReason = pass ? std::wstring() : reason;
    return true;
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
