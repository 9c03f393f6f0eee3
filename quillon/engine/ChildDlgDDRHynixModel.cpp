#include "ChildDlgDDRHynixModel.h"

#include "AnalyzerSettings.h"
#include "LaneSwapMap.h"
#include "ResultPanelDDRModel.h"
#include "TextUtil.h"

#include <cmath>

namespace quillon {

namespace {

const CChildDlgDDRHynixModel::RowTexts kDefaultRow = {L"0", L"30", L"36", L"-3"};
constexpr ColorRef kColorWeakestBox = 0xF0F0F0; // RGB (240, 240, 240), as the DDR panel

SBestParam RecordFromTexts(const CChildDlgDDRHynixModel::RowTexts& texts) {
    SBestParam record;
    record.m_nByte = analyzer::ParseDecimalInt(texts[0]);
    record.m_nDrvStg = analyzer::ParseDecimalInt(texts[1]);
    record.m_nSdllPhsDly = analyzer::ParseDecimalInt(texts[2]);
    record.m_nDqsStepDly = analyzer::ParseDecimalInt(texts[3]);
    return record;
}

} // namespace

const std::array<CChildDlgDDRHynixModel::SColumn, 4>& CChildDlgDDRHynixModel::Columns() {
    static const std::array<SColumn, 4> columns = {{{L"BYTE", 37},
                                                    {L"varro_drv_stg/hynix_drv_stg", 175},
                                                    {L"sdll_phs_dly", 84},
                                                    {L"dqs_step_dly", 84}}};
    return columns;
}

CChildDlgDDRHynixModel::SStoredList CChildDlgDDRHynixModel::DefaultStoredList() {
    SStoredList stored;
    stored.m_vecRows.assign(4, kDefaultRow);
    return stored;
}

std::wstring CChildDlgDDRHynixModel::ProfileKey(int item, int col) {
    static const wchar_t* const names[4] = {L"BYTE", L"drv_stg", L"sdll_phs_dly", L"dqs_step_dly"};
    if (col < 0 || col > 3) {
        return {};
    }
    return FormatW(L"item%d_%ls", item, names[col]);
}

std::wstring CChildDlgDDRHynixModel::DrvStgText() {
    return FormatW(L"%d/%d", 48, 34);
}

CChildDlgDDRHynixModel::CChildDlgDDRHynixModel() {
    LoadStored(DefaultStoredList());
}

void CChildDlgDDRHynixModel::LoadStored(const SStoredList& stored) {
    m_nStoredLogType = stored.m_nLogType;
    m_vecStoredRecords.clear();
    for (size_t i = 0; i < 4; ++i) {
        m_vecStoredRecords.push_back(
            RecordFromTexts(i < stored.m_vecRows.size() ? stored.m_vecRows[i] : kDefaultRow));
    }
    m_vecBestList = m_vecStoredRecords;
    FillRows();
}

CChildDlgDDRHynixModel::SStoredList CChildDlgDDRHynixModel::StoredList() const {
    SStoredList stored;
    stored.m_nLogType = m_nStoredLogType;
    stored.m_vecRows = m_vecRows;
    return stored;
}

void CChildDlgDDRHynixModel::ShowPage(const std::vector<SBestParam>& bestParams,
                                      const std::map<int, double>& rates, int rowPassNum) {
    const CLaneSwapMap& swap = GetLaneSwapMap();
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
    if (m_vecBestList.empty()) {
        m_vecBestList = m_vecStoredRecords; // no best parameters: the stored items stay shown
    }

    m_mapRates.clear();
    for (const auto& [lane, rate] : rates) {
        const auto it = rates.find(swap.Swap(lane));
        if (it != rates.end()) {
            m_mapRates[lane] = it->second;
        }
    }
    for (int lane = 0; lane < 4; ++lane) {
        const auto it = m_mapRates.find(lane);
        if (it != m_mapRates.end()) {
            m_arrRateTexts[static_cast<size_t>(lane)] =
                std::isfinite(it->second) ? FormatW(L"%.1f%%", it->second * 100.0) : L"--";
        }
    }
    FillRows();

    m_bVerdictMade = m_verdict.Judge(m_mapRates, rowPassNum);
    if (m_bVerdictMade) {
        m_strConclusion = m_verdict.GetConclusion();
        m_nResultCode = m_verdict.GetResultCode();
        m_strReason = m_verdict.GetReason();
    }

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

void CChildDlgDDRHynixModel::Reset(const SStoredList& stored) {
    m_mapRates.clear();
    LoadStored(stored);
    m_strConclusion.clear();
    for (std::wstring& text : m_arrRateTexts) {
        text.clear();
    }
}

void CChildDlgDDRHynixModel::FillRows() {
    m_vecRows.clear();
    for (const SBestParam& record : m_vecBestList) {
        // The drive-strength column names the pair of parts, whatever the record holds.
        m_vecRows.push_back({FormatW(L"%d", record.m_nByte), DrvStgText(),
                             FormatW(L"%d", record.m_nSdllPhsDly),
                             FormatW(L"%d", record.m_nDqsStepDly)});
    }
}

bool CChildDlgDDRHynixModel::IsEditable(int col) {
    return col == kColByte || col == kColSdllPhsDly || col == kColDqsStepDly;
}

const std::vector<std::wstring>& CChildDlgDDRHynixModel::Choices(int col) {
    static const std::vector<std::wstring> none;
    return IsEditable(col) ? CResultPanelDDRModel::Choices(col) : none;
}

bool CChildDlgDDRHynixModel::EditCell(int row, int col, const std::wstring& text) {
    if (row < 0 || row >= RowCount() || !IsEditable(col)) {
        return false;
    }
    m_vecRows[static_cast<size_t>(row)][static_cast<size_t>(col)] = text;
    return true;
}

void CChildDlgDDRHynixModel::AddRow() {
    m_vecRows.push_back(kDefaultRow);
}

bool CChildDlgDDRHynixModel::DeleteRow(int row) {
    if (row < 0 || row >= RowCount()) {
        return false;
    }
    m_vecRows.erase(m_vecRows.begin() + row);
    return true;
}

ColorRef CChildDlgDDRHynixModel::ConclusionColor() const {
    switch (m_nResultCode) {
    case 0:
        return 0x0000FF;
    case 1:
        return 0x0080FF;
    case 2:
        return 0x00FF00;
    default:
        return 0xFFFFFF;
    }
}

} // namespace quillon
