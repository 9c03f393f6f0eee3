#include "ResultPanelDDRModel.h"

#include "AnalyzerSettings.h"
#include "DrvStgRegistry.h"
#include "NumberText.h"
#include "TextUtil.h"
#include "UserPrompt.h"
#include "VerdictHynix.h"

#include <cmath>

namespace quillon {

namespace {

// A row of the profile's defaults and of the Add button. "30" is no drive strength of any
// list, so a list never filled by an analysis cannot pass for a real one.
const CResultPanelDDRModel::RowTexts kDefaultRow = {L"0", L"30", L"36", L"-3"};

constexpr ColorRef kColorWeakestBox = 0xF0F0F0; // RGB (240, 240, 240)

SBestParam RecordFromTexts(const CResultPanelDDRModel::RowTexts& texts) {
    SBestParam record;
    record.m_nByte = ParseDecimalInt(texts[CResultPanelDDRModel::kColByte]);
    record.m_nDrvStg = ParseDecimalInt(texts[CResultPanelDDRModel::kColDrvStg]);
    record.m_nSdllPhsDly = ParseDecimalInt(texts[CResultPanelDDRModel::kColSdllPhsDly]);
    record.m_nDqsStepDly = ParseDecimalInt(texts[CResultPanelDDRModel::kColDqsStepDly]);
    return record;
}

} // namespace

CResultPanelDDRModel::SStoredList CResultPanelDDRModel::DefaultStoredList() {
    SStoredList stored;
    stored.m_vecRows.assign(4, kDefaultRow);
    return stored;
}

CResultPanelDDRModel::CResultPanelDDRModel(ELanePanel variant)
    : m_variant(variant),
      m_verdict(variant == ELanePanel::Hynix ? HynixVerdictTexts() : DdrVerdictTexts()) {
    LoadStored(DefaultStoredList());
}

const std::array<CResultPanelDDRModel::SColumn, 4>& CResultPanelDDRModel::Columns() const {
    static const std::array<SColumn, 4> ddr = {
        {{L"BYTE", 40}, {L"drv_stg", 60}, {L"sdll_phs_dly", 90}, {L"dqs_step_dly", 90}}};
    static const std::array<SColumn, 4> hynix = {{{L"BYTE", 37},
                                                  {L"varro_drv_stg/hynix_drv_stg", 175},
                                                  {L"sdll_phs_dly", 84},
                                                  {L"dqs_step_dly", 84}}};
    return m_variant == ELanePanel::Hynix ? hynix : ddr;
}

const wchar_t* CResultPanelDDRModel::ProfileSection(ELanePanel variant) {
    return variant == ELanePanel::Hynix ? L"CChildDlgDDRHynix" : L"CChildDlgDDR";
}

std::wstring CResultPanelDDRModel::ProfileKey(int item, int col) {
    static const wchar_t* const names[4] = {L"BYTE", L"drv_stg", L"sdll_phs_dly", L"dqs_step_dly"};
    if (col < kColByte || col > kColDqsStepDly) {
        return {};
    }
    return FormatW(L"item%d_%ls", item, names[col]);
}

void CResultPanelDDRModel::LoadStored(const SStoredList& stored) {
    m_nDdrKind = stored.m_nLogType;
    m_vecStoredRecords.clear();
    // Exactly four records, whatever was saved: a missing item reads its key defaults.
    for (size_t i = 0; i < 4; ++i) {
        m_vecStoredRecords.push_back(
            RecordFromTexts(i < stored.m_vecRows.size() ? stored.m_vecRows[i] : kDefaultRow));
    }
    m_vecBestList = m_vecStoredRecords;
    FillRows();
}

CResultPanelDDRModel::SStoredList CResultPanelDDRModel::StoredList() const {
    SStoredList stored;
    stored.m_nLogType = m_nDdrKind;
    stored.m_vecRows = m_vecRows;
    return stored;
}

void CResultPanelDDRModel::ShowPage(const std::vector<SBestParam>& bestParams,
                                    const std::map<int, double>& rates, int rowPassNum, int ddrKind,
                                    const CLaneSwapMap& swap) {
    // Row b shows the record measured on lane swap(b), relabelled b. A swapped position past
    // the end of the list (a lane without a record, or a swap map naming lane 4 or more)
    // gives no row instead of reading beyond the list.
    m_vecBestList.clear();
    for (const SBestParam& record : bestParams) {
        const int b = record.m_nByte;
        const int position = swap.Swap(b);
        if (position < 0 || static_cast<size_t>(position) >= bestParams.size()) {
            continue;
        }
        SBestParam shown = bestParams[static_cast<size_t>(position)];
        shown.m_nByte = b;
        m_vecBestList.push_back(shown);
    }
    if (m_vecBestList.empty() && m_variant == ELanePanel::Hynix) {
        m_vecBestList = m_vecStoredRecords; // no best parameters: the stored items stay shown
    }

    m_mapRates.clear();
    for (const auto& [lane, rate] : rates) {
        const auto it = rates.find(swap.Swap(lane));
        if (it != rates.end()) {
            m_mapRates[lane] = it->second;
        }
    }

    m_nRowPassNum = rowPassNum;
    if (m_variant == ELanePanel::DDR) {
        m_nDdrKind = ddrKind; // the Hynix list keeps the kind it was stored with
    }
    m_bShown = true;

    for (int lane = 0; lane < 4; ++lane) {
        const auto it = m_mapRates.find(lane);
        if (it == m_mapRates.end()) {
            continue; // a missing lane keeps its previous text
        }
        m_arrRateTexts[static_cast<size_t>(lane)] =
            std::isfinite(it->second) ? FormatW(L"%.1f%%", it->second * 100.0) : L"--";
    }

    FillRows();
    Judge();

    // The weakest box: smallest rate, the first of equal ones.
    m_arrBoxColors.fill(kColorNoData);
    int weakest = -1;
    double minimum = 0.0;
    for (const auto& [lane, rate] : m_mapRates) {
        if (weakest < 0 || rate < minimum) {
            weakest = lane;
            minimum = rate;
        }
    }
    if (weakest >= 0 && weakest < 4) {
        m_arrBoxColors[static_cast<size_t>(weakest)] = kColorWeakestBox;
    }
}

void CResultPanelDDRModel::Judge() {
    m_bVerdictMade = m_verdict.Judge(m_mapRates, m_nRowPassNum);
    if (!m_bVerdictMade) {
        return; // the conclusion area keeps the previous verdict
    }
    m_strConclusion = m_verdict.GetConclusion();
    m_nResultCode = m_verdict.GetResultCode();
    m_bPassed = m_verdict.IsPassed();
    m_strReason = m_verdict.GetReason();
    // An empty reason leaves the reason label as it was.
    if (!m_strReason.empty()) {
        m_strReasonLabel = m_strReason;
        m_bReasonVisible = true;
    }
}

void CResultPanelDDRModel::Reset(const SStoredList& stored) {
    m_vecBestList.clear();
    m_mapRates.clear();
    LoadStored(stored);
    m_strConclusion.clear();
    for (std::wstring& text : m_arrRateTexts) {
        text.clear();
    }
}

CResultPanelDDRModel::RowTexts CResultPanelDDRModel::RowOf(const SBestParam& record) const {
    if (m_variant == ELanePanel::Hynix) {
        // The drive-strength column names the pair of parts, whatever the record holds.
        return {FormatW(L"%d", record.m_nByte), FormatW(L"%d/%d", 48, 34),
                FormatW(L"%d", record.m_nSdllPhsDly), FormatW(L"%d", record.m_nDqsStepDly)};
    }
    if (m_nDdrKind == kDdrKindDDR1) {
        // DDR1 images take only the drive strength: the other columns are placeholders.
        return {L"0xFF", FormatW(L"%d", record.m_nDrvStg), L"X", L"X"};
    }
    return {FormatW(L"%d", record.m_nByte), FormatW(L"%d", record.m_nDrvStg),
            FormatW(L"%d", record.m_nSdllPhsDly), FormatW(L"%d", record.m_nDqsStepDly)};
}

void CResultPanelDDRModel::FillRows() {
    m_vecRows.clear();
    for (const SBestParam& record : m_vecBestList) {
        m_vecRows.push_back(RowOf(record));
    }
}

std::wstring CResultPanelDDRModel::CellText(int row, int col) const {
    if (row < 0 || row >= RowCount() || col < 0 || col > kColDqsStepDly) {
        return std::wstring();
    }
    return m_vecRows[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

bool CResultPanelDDRModel::IsEditable(int col) const {
    if (col < kColByte || col > kColDqsStepDly) {
        return false;
    }
    if (m_variant == ELanePanel::Hynix) {
        return col != kColDrvStg;
    }
    return m_nDdrKind == kDdrKindDDR1 ? col == kColDrvStg : true;
}

const std::vector<std::wstring>& CResultPanelDDRModel::Choices(int col) const {
    static const std::vector<std::wstring> bytes = {L"0", L"1", L"2", L"3"};
    static const std::vector<std::wstring> drives = {L"31", L"33", L"34", L"39", L"40",
                                                     L"43", L"48", L"60", L"64", L"80"};
    static const std::vector<std::wstring> phases = {L"36",  L"54",  L"72", L"90",
                                                     L"108", L"126", L"144"};
    static const std::vector<std::wstring> steps = {L"-3", L"-2", L"-1", L"0",
                                                    L"1",  L"2",  L"3",  L"4"};
    static const std::vector<std::wstring> none;
    if (!IsEditable(col)) {
        return none;
    }
    switch (col) {
    case kColByte:
        return bytes;
    case kColDrvStg:
        return drives;
    case kColSdllPhsDly:
        return phases;
    case kColDqsStepDly:
        return steps;
    default:
        return none;
    }
}

bool CResultPanelDDRModel::EditCell(int row, int col, const std::wstring& text) {
    if (row < 0 || row >= RowCount() || !IsEditable(col)) {
        return false;
    }
    if (col == kColDrvStg) {
        // One drive code goes into the image, so every row carries the same drive strength.
        for (RowTexts& texts : m_vecRows) {
            texts[kColDrvStg] = text;
        }
    } else {
        m_vecRows[static_cast<size_t>(row)][static_cast<size_t>(col)] = text;
    }
    return true;
}

void CResultPanelDDRModel::AddRow() {
    m_vecRows.push_back(kDefaultRow);
}

bool CResultPanelDDRModel::DeleteRow(int row) {
    if (row < 0 || row >= RowCount()) {
        return false;
    }
    m_vecRows.erase(m_vecRows.begin() + row);
    return true;
}

bool CResultPanelDDRModel::BuildWriteRecords(std::vector<SBestParam>& records) const {
    records.clear();
    if (m_vecRows.size() != 4) {
        GetPrompt().Show(kNotFourItems);
        return false;
    }
    for (const RowTexts& texts : m_vecRows) {
        records.push_back(RecordFromTexts(texts));
    }
    return true;
}

ColorRef CResultPanelDDRModel::ConclusionColor() const {
    switch (m_nResultCode) {
    case 0:
        return 0x0000FF; // RGB (255, 0, 0)
    case 1:
        return 0x0080FF; // RGB (255, 128, 0)
    case 2:
        return 0x00FF00; // RGB (0, 255, 0)
    default:
        return 0xFFFFFF;
    }
}

} // namespace quillon
