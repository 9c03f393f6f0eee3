#pragma once

#include "BestParam.h"
#include "LaneSwapMap.h"
#include "LogDataBase.h"
#include "VerdictDDR.h"

#include <array>
#include <map>
#include <string>
#include <vector>

namespace quillon {

// The state and rules of a lane-result panel (the DDR result panel and its Hynix variant),
// kept apart from its window: the lane-swapped rates and best parameters of the shown page,
// the rate texts and box colours, the rows of the best-parameter list as shown and edited,
// the verdict, and the records Write bin takes from the list. The panel widget paints this
// model and forwards edits to it; the batch program drives it the same way.

/// Which panel a lane-result model is. The Hynix variant differs only where these hooks say:
/// its columns and profile section, a drive-strength column that always shows "48/34" and
/// cannot be edited, a DDR kind that stays as stored, the stored items shown when a page
/// gives no best parameters, and the verdict's texts.
enum class ELanePanel { DDR, Hynix };

class CResultPanelDDRModel {
public:
    enum EColumn : int { kColByte = 0, kColDrvStg = 1, kColSdllPhsDly = 2, kColDqsStepDly = 3 };
    using RowTexts = std::array<std::wstring, 4>; ///< BYTE, drv_stg, sdll_phs_dly, dqs_step_dly

    /// A list column: its title and width in pixels.
    struct SColumn {
        const wchar_t* szTitle;
        int nWidth;
    };

    /// What the per-user profile keeps of the list ("logtype" and item%d_* keys).
    struct SStoredList {
        int m_nLogType = -1;
        std::vector<RowTexts> m_vecRows;
    };
    /// The profile's defaults: logtype -1 and four rows "0", "30", "36", "-3".
    [[nodiscard]] static SStoredList DefaultStoredList();

    /// Starts with the list of the profile's defaults.
    explicit CResultPanelDDRModel(ELanePanel variant = ELanePanel::DDR);

    [[nodiscard]] ELanePanel Variant() const { return m_variant; }
    /// DDR: "BYTE" 40, "drv_stg" 60, "sdll_phs_dly" 90, "dqs_step_dly" 90; Hynix: "BYTE" 37,
    /// "varro_drv_stg/hynix_drv_stg" 175, "sdll_phs_dly" 84, "dqs_step_dly" 84.
    [[nodiscard]] const std::array<SColumn, 4>& Columns() const;
    /// The profile section of the list: "CChildDlgDDR" or "CChildDlgDDRHynix".
    [[nodiscard]] const wchar_t* ProfileSection() const { return ProfileSection(m_variant); }
    [[nodiscard]] static const wchar_t* ProfileSection(ELanePanel variant);
    /// "item%d_BYTE", "item%d_drv_stg", "item%d_sdll_phs_dly", "item%d_dqs_step_dly".
    [[nodiscard]] static std::wstring ProfileKey(int item, int col);

    /// Loads the list from stored texts: exactly four records (missing rows give the row
    /// defaults), every text read as a decimal integer; the rows are shown for the stored
    /// DDR kind.
    void LoadStored(const SStoredList& stored);
    /// The list as the profile saves it: the DDR kind and every row's texts.
    [[nodiscard]] SStoredList StoredList() const;

    /// Shows the analysis of a page: best records and rates relabelled through swap (the
    /// byte-lane swap map of the page's scan), the rate texts, the list rows, the verdict and
    /// the rate box colours. The Hynix variant keeps its stored DDR kind, and shows the
    /// stored items when the page gives no best parameters.
    void ShowPage(const std::vector<SBestParam>& bestParams, const std::map<int, double>& rates,
                  int rowPassNum, int ddrKind, const CLaneSwapMap& swap);
    /// Empties the list and the rates, reloads the list from stored, empties the conclusion
    /// and the rate texts; the reason stays.
    void Reset(const SStoredList& stored);

    [[nodiscard]] const std::vector<SBestParam>& BestList() const { return m_vecBestList; }
    [[nodiscard]] const std::map<int, double>& Rates() const { return m_mapRates; }
    [[nodiscard]] int RowPassNum() const { return m_nRowPassNum; }
    [[nodiscard]] int DdrKind() const { return m_nDdrKind; }
    [[nodiscard]] bool Shown() const { return m_bShown; }
    [[nodiscard]] const std::array<std::wstring, 4>& RateTexts() const { return m_arrRateTexts; }
    /// White boxes, the weakest lane's (smallest rate, the first of equal ones) grey.
    [[nodiscard]] const std::array<ColorRef, 4>& RateBoxColors() const { return m_arrBoxColors; }

    // The best-parameter list as shown.
    [[nodiscard]] int RowCount() const { return static_cast<int>(m_vecRows.size()); }
    [[nodiscard]] const std::vector<RowTexts>& Rows() const { return m_vecRows; }
    [[nodiscard]] std::wstring CellText(int row, int col) const;
    /// DDR1 lists edit only the drive strength; other DDR lists every column; Hynix lists all
    /// but the drive strength.
    [[nodiscard]] bool IsEditable(int col) const;
    /// The choice list the in-place editor offers for a column; none for a column that
    /// cannot be edited.
    [[nodiscard]] const std::vector<std::wstring>& Choices(int col) const;
    /// A finished edit: accepted as typed; a drive strength goes into every row. False when
    /// the cell does not exist or its column cannot be edited.
    bool EditCell(int row, int col, const std::wstring& text);
    /// The hidden Add button: a row "0", "30", "36", "-3".
    void AddRow();
    /// The hidden Del button. False when row does not exist.
    bool DeleteRow(int row);

    /// The records of Write bin, rebuilt from the list texts (decimal integers, "0xFF" and
    /// "X" read as 0). Without exactly four rows shows string resource 1 and returns false.
    bool BuildWriteRecords(std::vector<SBestParam>& records) const;

    // The verdict (kept when a page gives none).
    [[nodiscard]] bool VerdictMade() const { return m_bVerdictMade; }
    [[nodiscard]] const std::wstring& Conclusion() const { return m_strConclusion; }
    /// The reason of the last verdict (empty after a PASS).
    [[nodiscard]] const std::wstring& Reason() const { return m_strReason; }
    /// The reason label: hidden until a verdict gives a reason, then it shows the last
    /// non-empty reason (a PASS leaves it as it was).
    [[nodiscard]] const std::wstring& ReasonLabel() const { return m_strReasonLabel; }
    [[nodiscard]] bool ReasonVisible() const { return m_bReasonVisible; }
    /// The verdict's text when the last page gave no verdict ("analyzer failed", ...).
    [[nodiscard]] const std::wstring& NoVerdictText() const { return m_verdict.GetNoVerdictText(); }
    [[nodiscard]] int ResultCode() const { return m_nResultCode; }
    /// True after a PASS, false after a FAIL (the result prompt reads the DDR panel's).
    [[nodiscard]] bool Passed() const { return m_bPassed; }
    /// Text colour of the conclusion once a page was shown: 0 red, 1 orange, 2 green, else
    /// white.
    [[nodiscard]] ColorRef ConclusionColor() const;

    /// Text of string resource 1.
    static constexpr const wchar_t* kNotFourItems =
        L"BestParameterError,not enough 4 item, can not write back bin file";
    /// The conclusion label's text before the first verdict.
    static constexpr const wchar_t* kConclusionAtStart = L"ScanAnalyseResult";

private:
    void FillRows();
    void Judge();
    /// The row of a record as the list shows it.
    [[nodiscard]] RowTexts RowOf(const SBestParam& record) const;

    ELanePanel m_variant;
    std::vector<SBestParam> m_vecBestList;
    std::vector<SBestParam> m_vecStoredRecords; ///< the stored items as records
    std::map<int, double> m_mapRates;
    int m_nRowPassNum = 0;
    int m_nDdrKind = -1;
    bool m_bShown = false;
    std::array<std::wstring, 4> m_arrRateTexts;
    std::array<ColorRef, 4> m_arrBoxColors = {kColorNoData, kColorNoData, kColorNoData,
                                              kColorNoData};
    std::vector<RowTexts> m_vecRows;

    CVerdictDDR m_verdict;
    bool m_bVerdictMade = false;
    std::wstring m_strConclusion = kConclusionAtStart;
    std::wstring m_strReason;
    std::wstring m_strReasonLabel = L"Resaon";
    bool m_bReasonVisible = false;
    int m_nResultCode = 0;
    bool m_bPassed = false;
};

} // namespace quillon
