#pragma once

#include "BestParam.h"
#include "LogDataBase.h"
#include "VerdictHynix.h"

#include <array>
#include <map>
#include <string>
#include <vector>

namespace quillon {

// The state and rules of the Hynix result panel without its window: lane-swapped rates and
// best parameters of the shown page, rate texts and box colours, the best-parameter list with
// its Hynix columns ("varro_drv_stg/hynix_drv_stg" shown as "48/34"), the stored items and
// the verdict. There is no pass flag: the result prompt never follows a Hynix analysis.

class CChildDlgDDRHynixModel {
public:
    enum EColumn : int { kColByte = 0, kColDrvStg = 1, kColSdllPhsDly = 2, kColDqsStepDly = 3 };
    using RowTexts = std::array<std::wstring, 4>;

    struct SColumn {
        const wchar_t* szTitle;
        int nWidth; ///< pixels
    };
    /// "BYTE" 37, "varro_drv_stg/hynix_drv_stg" 175, "sdll_phs_dly" 84, "dqs_step_dly" 84.
    [[nodiscard]] static const std::array<SColumn, 4>& Columns();

    /// What the profile section "CChildDlgDDRHynix" keeps: "logtype" and item%d_* texts.
    struct SStoredList {
        int m_nLogType = -1;
        std::vector<RowTexts> m_vecRows;
    };
    /// logtype -1 and four rows "0", "30", "36", "-3".
    [[nodiscard]] static SStoredList DefaultStoredList();
    [[nodiscard]] static const wchar_t* ProfileSection() { return L"CChildDlgDDRHynix"; }
    /// "item%d_BYTE", "item%d_drv_stg", "item%d_sdll_phs_dly", "item%d_dqs_step_dly".
    [[nodiscard]] static std::wstring ProfileKey(int item, int col);
    /// The drive-strength text of every row: "%d/%d" of 48 and 34.
    [[nodiscard]] static std::wstring DrvStgText();

    CChildDlgDDRHynixModel();

    /// Loads the stored items (exactly four; missing rows give the defaults).
    void LoadStored(const SStoredList& stored);
    [[nodiscard]] SStoredList StoredList() const;

    /// Shows a page's analysis: records and rates relabelled through the byte-lane swap map,
    /// rate texts, rows, the verdict and the weakest box. Without best parameters the list
    /// shows the stored items.
    void ShowPage(const std::vector<SBestParam>& bestParams, const std::map<int, double>& rates,
                  int rowPassNum);
    /// Empties the rates and texts, reloads the stored items, empties the conclusion.
    void Reset(const SStoredList& stored);

    [[nodiscard]] const std::vector<SBestParam>& BestList() const { return m_vecBestList; }
    [[nodiscard]] const std::map<int, double>& Rates() const { return m_mapRates; }
    [[nodiscard]] const std::array<std::wstring, 4>& RateTexts() const { return m_arrRateTexts; }
    [[nodiscard]] const std::array<ColorRef, 4>& RateBoxColors() const { return m_arrBoxColors; }
    [[nodiscard]] const std::vector<RowTexts>& Rows() const { return m_vecRows; }
    [[nodiscard]] int RowCount() const { return static_cast<int>(m_vecRows.size()); }
    /// BYTE, sdll_phs_dly and dqs_step_dly edit through their choice lists; the drive
    /// strength column not at all.
    [[nodiscard]] static bool IsEditable(int col);
    [[nodiscard]] static const std::vector<std::wstring>& Choices(int col);
    bool EditCell(int row, int col, const std::wstring& text);
    void AddRow();
    bool DeleteRow(int row);

    [[nodiscard]] bool VerdictMade() const { return m_bVerdictMade; }
    [[nodiscard]] const std::wstring& Conclusion() const { return m_strConclusion; }
    [[nodiscard]] const std::wstring& Reason() const { return m_strReason; }
    [[nodiscard]] int ResultCode() const { return m_nResultCode; }
    [[nodiscard]] const std::wstring& NoVerdictText() const { return m_verdict.GetNoVerdictText(); }
    [[nodiscard]] ColorRef ConclusionColor() const;

private:
    void FillRows();

    std::vector<SBestParam> m_vecBestList;
    std::vector<SBestParam> m_vecStoredRecords;
    std::map<int, double> m_mapRates;
    std::array<std::wstring, 4> m_arrRateTexts;
    std::array<ColorRef, 4> m_arrBoxColors = {kColorNoData, kColorNoData, kColorNoData,
                                              kColorNoData};
    std::vector<RowTexts> m_vecRows;
    int m_nStoredLogType = -1;
    CVerdictHynix m_verdict;
    bool m_bVerdictMade = false;
    std::wstring m_strConclusion = L"ScanAnalyseResult";
    std::wstring m_strReason;
    int m_nResultCode = 0;
};

} // namespace quillon
