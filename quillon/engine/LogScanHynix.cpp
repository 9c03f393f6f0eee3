#include "LogScanHynix.h"

#include "DrvStgRegistry.h"
#include "LogDataDDRHynix.h"
#include "LogPageDDRHynix.h"
#include "LogRead.h"
#include "LogScanDDR.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

namespace quillon {

bool IsHynixLog(const std::wstring& path) {
    std::wstring text;
    std::vector<std::wstring_view> pieces;
    if (!ReadLogPieces(path, text, pieces)) {
        GetPrompt().Show(FormatW(L"open file %ls failed !", path.c_str()));
        return false;
    }
    return IsHynixLogPieces(pieces);
}

bool IsHynixLogPieces(const std::vector<std::wstring_view>& pieces) {
    constexpr size_t kDetectPieces = 11;
    for (size_t i = 0; i < pieces.size() && i < kDetectPieces; ++i) {
        if (pieces[i].find(L"HYNIX") != std::wstring_view::npos &&
            pieces[i].find(L"lpddr2") != std::wstring_view::npos) {
            return true;
        }
    }
    return false;
}

CLogScanHynix::CLogScanHynix() {
    SetPageSize(4, 7);
    SetSubColCount(8);
    SetDrvStgRowCount(1);
}

void CLogScanHynix::AddDataLines(CLogPageDDRHynix& page,
                                 const std::vector<std::wstring_view>& dataLines,
                                 const std::vector<SKeyHits>& hits) const {
    CDrvStgRegistry& registry = GetDrvStgRegistry();
    for (size_t index = 0; index < dataLines.size(); ++index) {
        const int j = static_cast<int>(index);
        const std::wstring_view line = dataLines[index];
        const SDdrDataLine data =
            index < hits.size() ? ReadDdrDataLine(line, hits[index]) : ReadDdrDataLine(line);
        registry.Register(data.m_nDrvStg);
        // As for DDR logs: a line without a pass or fail mark says nothing about its cell.
        if (!data.m_bMarked) {
            LogError(L"line num = %d has no pass or fail mark, dropped: dxn=%d, sdll_phs_dly=%d, "
                     L"drv_stg=%d, dqs_step_dly=%d",
                     j, data.m_nDxn, data.m_nSdllPhsDly, data.m_nDrvStg, data.m_nDqsStepDly);
            continue;
        }
        if (!page.AddCell(data.m_nSdllPhsDly, data.m_nDxn, {data.m_nDqsStepDly, data.m_nDrvStg},
                          std::make_unique<CLogDataDDRHynix>(data.m_nPassFlag))) {
            LogError(L"line num = %d, dxn=%d, sdll_phs_dly=%d, drv_stg=%d, dqs_step_dly=%d", j,
                     data.m_nDxn, data.m_nSdllPhsDly, data.m_nDrvStg, data.m_nDqsStepDly);
        }
    }
}

bool CLogScanHynix::Scan() {
    // No drive-strength configuration is read: every registered value takes part.
    GetDrvStgRegistry().Clear();
    m_pPageList = std::make_unique<CLogPageList>();
    std::wstring failedFiles;
    // Each file is read once: the detection looks at its first pieces, the line reader then
    // splits the same pieces. The lines are views into text.
    std::wstring text;
    std::vector<std::wstring_view> pieces;
    std::vector<std::wstring_view> dataLines;
    std::vector<std::wstring_view> otherLines;
    std::vector<SKeyHits> hits;
    for (const std::wstring& path : m_vecFileList) {
        ReportProgress(static_cast<size_t>(&path - m_vecFileList.data()));
        auto page = std::make_unique<CLogPageDDRHynix>();
        std::wstring name = path;
        (void)GetFileNameOfPath(path, name);
        if (!ReadLogPieces(path, text, pieces)) {
            GetPrompt().Show(FormatW(L"open file %ls failed !", path.c_str()));
            failedFiles += FormatW(L"File: \"%ls\"\n", path.c_str());
            continue;
        }
        if (!IsHynixLogPieces(pieces)) {
            failedFiles += FormatW(L"File: \"%ls\"\n", path.c_str());
            continue;
        }
        dataLines.clear();
        otherLines.clear();
        hits.clear();
        if (!SplitLogPieceViews(path, pieces, kDdrKeyDxn, kDdrKeyDrvStg, kDdrKeySdllPhsDly,
                                kDdrKeyDqsStepDly, dataLines, otherLines, &hits)) {
            m_pPageList.reset();
            GetPrompt().Show(FormatW(
                L"scan log file \"%ls\" failed, please check log file is correct", path.c_str()));
            return false;
        }
        if (dataLines.size() < kHynixRequiredDataLines &&
            !GetPrompt().AskYesNo(
                FormatW(L"log文件%ls不完整，将影响分析结果的准确性, 是否继续", name.c_str()),
                L"警告")) {
            m_pPageList.reset();
            return false;
        }
        page->SetName(name);
        page->SetPageSize(m_nPageSizeRow, m_nPageSizeCol);
        page->SetBlockSize(m_nDrvStgRowCount, m_nSubColCount);
        page->Finish(); // the empty blocks come before the cells for Hynix logs
        AddDataLines(*page, dataLines, hits);
        m_pPageList->AddPage(std::move(page));
    }

    return FinishScan(
        FormatW(L"扫描失败\n%ls\n不是Hynix的log，跳过扫描失败文件继续分析?", failedFiles.c_str()));
}

} // namespace quillon
