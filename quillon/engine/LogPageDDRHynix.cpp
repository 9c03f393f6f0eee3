#include "LogPageDDRHynix.h"

#include "AnalyzerSettings.h"
#include "DrvStgRegistry.h"
#include "LogDataDDRHynix.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <iterator>

namespace quillon {

bool CLogPageDDRHynix::AddCell(int sdllPhsDly, int byte, const CellKey& key,
                               std::unique_ptr<CLogDataBase> record) {
    const auto pos = m_setColumnValues.insert(sdllPhsDly).first;
    const int column = static_cast<int>(std::distance(m_setColumnValues.begin(), pos));
    m_mapColumnIndex.try_emplace(column, sdllPhsDly);
    // A negative lane is refused too: no block of the page could ever show or count it.
    if (column < m_nPageSizeCol && byte >= 0 && byte < m_nPageSizeRow) {
        m_mapBlocks[{column, byte}].m_mapCells[key].push_back(Adopt(std::move(record)));
        return true;
    }
    LogError(L"logName=%ls, nPageCol=%d, m_nPageSizeCol=%d", m_strLogName.c_str(), column,
             m_nPageSizeCol);
    LogError(L"logName=%ls, Row=%d, m_nPageSizeRow=%d", m_strLogName.c_str(), byte, m_nPageSizeRow);
    return false;
}

void CLogPageDDRHynix::Finish() {
    for (int column = 0; column < m_nPageSizeCol; ++column) {
        for (int byte = 0; byte < m_nPageSizeRow; ++byte) {
            const auto [it, inserted] = m_mapBlocks.try_emplace({column, byte});
            if (inserted) {
                it->second.m_nSubColCount = m_nSubColCount;
                it->second.m_nSubRowCount = m_nSubRowCount;
            }
        }
    }
}

bool CLogPageDDRHynix::CellPasses(int row, int position) const {
    const int n = m_nSubRowCount;
    const int sub = m_nSubColCount;
    if (n <= 0 || sub <= 0 || row < 0 || position < 0) {
        return false;
    }
    const int drvStg = GetDrvStgRegistry().ValueOfOrdinal(row % n);
    const auto block = m_mapBlocks.find({position / sub, row / n});
    if (block == m_mapBlocks.end()) {
        return false;
    }
    const auto cell = block->second.m_mapCells.find({position % sub - 3, drvStg});
    if (cell == block->second.m_mapCells.end() || cell->second.empty()) {
        return false;
    }
    for (const CLogDataBase* record : cell->second) {
        const auto* hynix = dynamic_cast<const CLogDataDDRHynix*>(record);
        if (hynix != nullptr && hynix->GetPassFlag() == 0) {
            return false;
        }
    }
    return true;
}

bool CLogPageDDRHynix::Analyse(std::map<int, double>& rates, std::vector<SBestParam>& bestParams,
                               int& rowPassNum) {
    rates.clear();
    bestParams.clear();
    rowPassNum = 0;
    const CDrvStgRegistry& registry = GetDrvStgRegistry();
    const int kind = registry.GetDDRKind();
    // Kind -1 (for example only drv_stg 48) reads no setting: fabsRow keeps its value.
    analyzer::ReadBestRow(kind, m_nFabsRow);

    const int n = m_nSubRowCount;
    const int sub = m_nSubColCount;
    const int positions = (m_nPageSizeCol > 0 && sub > 0) ? m_nPageSizeCol * sub : 0;
    const int rowCount = (n > 0 && m_nPageSizeRow > 0) ? m_nPageSizeRow * n : 0;
    const int stepDivisor = sub > 0 ? sub : 8;

    m_vecRowRuns.assign(static_cast<size_t>(rowCount), SRunRecord{});
    m_mapPassCount.clear();
    // Every lane of the page gets a count, so a lane without any passing cell shows rate 0
    // and is the weakest, instead of being left out of the rates and the verdict.
    for (int byte = 0; byte < m_nPageSizeRow; ++byte) {
        m_mapPassCount[byte] = 0;
    }
    std::vector<SRunRecord> runList;
    std::vector<bool> passes(static_cast<size_t>(positions));
    for (int row = 0; row < rowCount; ++row) {
        const int byte = row / n;
        const int ordinal = row % n;
        for (int p = 0; p < positions; ++p) {
            const bool pass = CellPasses(row, p);
            passes[static_cast<size_t>(p)] = pass;
            if (pass) {
                ++m_mapPassCount[byte];
            }
        }
        const SRunRecord run = FindLongestRun(passes);
        m_vecRowRuns[static_cast<size_t>(row)] = run;
        runList.push_back(run);
        if (ordinal != n - 1) {
            continue;
        }
        if (static_cast<int>(runList.size()) != n) {
            runList.clear();
            continue;
        }
        const int k = m_nFabsRow;
        if (k >= 0 && k < n) {
            const SRunRecord& chosen = runList[static_cast<size_t>(k)];
            const int middle = (chosen.m_nStart + chosen.m_nEnd) / 2;
            SBestParam best;
            best.m_nByte = byte;
            best.m_nSdllPhsDly = GetColumnValue(middle / stepDivisor);
            best.m_nDqsStepDly = middle % stepDivisor - 3;
            best.m_nDrvStg = registry.ValueOfOrdinal(k);
            bestParams.push_back(best); // the run's start and end are not kept for Hynix
        } else {
            LogError(L"发生严重错误 fabsRow = %d", k);
            GetPrompt().Show(FormatW(L"occur serious error: fabsRow = %d", k));
        }
        runList.clear();
    }

    // The divisor is columns x sub-columns (56): the drive-strength row count is not in it.
    const double divisor = static_cast<double>(positions);
    for (const auto& [byte, count] : m_mapPassCount) {
        rates[byte] = divisor > 0.0 ? static_cast<double>(count) / divisor : 0.0;
    }

    return JudgeWeakestLane(rates, m_vecRowRuns, n, kind, rowPassNum);
}

int CLogPageDDRHynix::GetWeakestValue() const {
    return SmallestLaneValue(m_mapPassCount);
}

bool CLogPageDDRHynix::IsLessByWeakestByte(const CLogPageBase& other) const {
    const auto* page = dynamic_cast<const CLogPageDDRHynix*>(&other);
    return page != nullptr && GetWeakestValue() < page->GetWeakestValue();
}

bool CLogPageDDRHynix::IsGreaterByWeakestByte(const CLogPageBase& other) const {
    const auto* page = dynamic_cast<const CLogPageDDRHynix*>(&other);
    return page != nullptr && page->GetWeakestValue() < GetWeakestValue();
}

bool CLogPageDDRHynix::IsLessByName(const CLogPageBase& other) const {
    const auto* page = dynamic_cast<const CLogPageDDRHynix*>(&other);
    return page != nullptr && IsNameBefore(m_strLogName, page->m_strLogName);
}

int CLogPageDDRHynix::GetColumnValue(int columnIndex) const {
    const auto it = m_mapColumnIndex.find(columnIndex);
    return it == m_mapColumnIndex.end() ? -1 : it->second;
}

bool CLogPageDDRHynix::GetCells(int byte, int columnIndex, const CellKey& key, CellList& out) {
    const SLogBlock& block = m_mapBlocks[{columnIndex, byte}];
    const auto it = block.m_mapCells.find(key);
    if (it == block.m_mapCells.end()) {
        return false;
    }
    out = it->second;
    return true;
}

bool CLogPageDDRHynix::GetBlock(int byte, int columnIndex, SLogBlock& out) const {
    const SLogBlock* block = FindBlock(byte, columnIndex);
    if (block == nullptr) {
        return false;
    }
    out.m_mapCells = block->m_mapCells;
    out.m_nSubColCount = block->m_nSubColCount;
    out.m_nSubRowCount = block->m_nSubRowCount;
    return true;
}

const SLogBlock* CLogPageDDRHynix::FindBlock(int byte, int columnIndex) const {
    const auto it = m_mapBlocks.find({columnIndex, byte});
    return it == m_mapBlocks.end() ? nullptr : &it->second;
}

void CLogPageDDRHynix::MergeFrom(const CLogPageBase& other) {
    int subRows = 0;
    int subCols = 0;
    other.GetBlockSize(subRows, subCols);
    SetBlockSize(subRows, subCols);
    int pageRows = 0;
    int pageCols = 0;
    other.GetPageSize(pageRows, pageCols);
    SetPageSize(pageRows, pageCols);
    const auto makeFail = [] { return std::make_unique<CLogDataDDRHynix>(0); };
    SLogBlock copy;
    for (int byte = 0; byte < m_nPageSizeRow; ++byte) {
        for (int column = 0; column < m_nPageSizeCol; ++column) {
            const SLogBlock* source = other.FindBlock(byte, column);
            if (source == nullptr && other.GetBlock(byte, column, copy)) {
                source = &copy;
            }
            if (source != nullptr) {
                MergeBlock(m_mapBlocks[{column, byte}], *source, makeFail);
            }
        }
    }
    if (const auto* page = dynamic_cast<const CLogPageDDRHynix*>(&other)) {
        m_setColumnValues = page->m_setColumnValues;
        m_mapColumnIndex = page->m_mapColumnIndex;
    }
    SetName(L"统计图");
}

void CLogPageDDRHynix::Clear() {
    for (auto& [key, block] : m_mapBlocks) {
        block.m_mapCells.clear();
    }
    FreeOwnedRecords();
}

void CLogPageDDRHynix::AnalyseForSort() {
    std::map<int, double> rates;
    std::vector<SBestParam> best;
    int rowPassNum = 0;
    (void)Analyse(rates, best, rowPassNum);
}

std::unique_ptr<CLogPageBase> CLogPageDDRHynix::CreateMergePage() const {
    return std::make_unique<CLogPageDDRHynix>();
}

} // namespace quillon
