#include "LogScanDDR.h"

#include "AnalyzerSettings.h"
#include "DrvStgRegistry.h"
#include "LaneSwapMap.h"
#include "LogDataDDR.h"
#include "LogPageDDR.h"
#include "LogRead.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <set>

namespace quillon {

namespace {

bool HasPlatformName(const std::vector<std::wstring_view>& otherLines) {
    for (const std::wstring_view line : otherLines) {
        if (IsPlatformLine(line)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool IsPlatformLine(std::wstring_view line) {
    return line.find(L"Varro") != std::wstring_view::npos ||
           line.find(L"Kestin") != std::wstring_view::npos ||
           line.find(L"Pellam") != std::wstring_view::npos;
}

size_t RequiredDdrDataLines(const std::wstring& ddrType) {
    if (EqualsNoCase(ddrType, L"ddr1")) {
        return 1120;
    }
    if (EqualsNoCase(ddrType, L"ddr2")) {
        return 1568;
    }
    if (EqualsNoCase(ddrType, L"ddr3")) {
        return 448;
    }
    return 0;
}

void AddDdrDataLine(CLogPageDDR& page, std::wstring_view line, const SKeyHits* hits,
                    int lineNumber) {
    const int j = lineNumber;
    const SDdrDataLine data = hits != nullptr ? ReadDdrDataLine(line, *hits) : ReadDdrDataLine(line);
    GetDrvStgRegistry().Register(data.m_nDrvStg);
    // A line without a mark is most often cut off (end of a capture, or the 511-character
    // cut of a long line); it says nothing about its cell, so it is left out.
    if (!data.m_bMarked) {
        LogError(L"line num = %d has no pass or fail mark, dropped: dxn=%d, sdll_phs_dly=%d, "
                 L"drv_stg=%d, dqs_step_dly=%d",
                 j, data.m_nDxn, data.m_nSdllPhsDly, data.m_nDrvStg, data.m_nDqsStepDly);
        return;
    }
    if (!page.AddCell(data.m_nSdllPhsDly, data.m_nDxn, {data.m_nDqsStepDly, data.m_nDrvStg},
                      data.m_nPassFlag)) {
        LogError(L"line num = %d, dxn=%d, sdll_phs_dly=%d, drv_stg=%d, dqs_step_dly=%d", j,
                 data.m_nDxn, data.m_nSdllPhsDly, data.m_nDrvStg, data.m_nDqsStepDly);
    }
}

SDdrDataLine ReadDdrDataLine(std::wstring_view line) {
    static const CKeySearch dxn(kDdrKeyDxn);
    static const CKeySearch sdllPhsDly(kDdrKeySdllPhsDly);
    static const CKeySearch drvStg(kDdrKeyDrvStg);
    static const CKeySearch dqsStepDly(kDdrKeyDqsStepDly);
    SDdrDataLine out;
    (void)ReadFieldValue(dxn, line, out.m_nDxn);
    (void)ReadFieldValue(sdllPhsDly, line, out.m_nSdllPhsDly);
    (void)ReadFieldValue(drvStg, line, out.m_nDrvStg);
    (void)ReadFieldValue(dqsStepDly, line, out.m_nDqsStepDly);
    out.m_bMarked = ReadPassMark(line, out.m_nPassFlag);
    return out;
}

SDdrDataLine ReadDdrDataLine(std::wstring_view line, const SKeyHits& hits) {
    SDdrDataLine out;
    (void)ReadFieldValueAt(line, hits.m_nPos[0], kDdrKeyDxn.size(), out.m_nDxn);
    (void)ReadFieldValueAt(line, hits.m_nPos[2], kDdrKeySdllPhsDly.size(), out.m_nSdllPhsDly);
    (void)ReadFieldValueAt(line, hits.m_nPos[1], kDdrKeyDrvStg.size(), out.m_nDrvStg);
    (void)ReadFieldValueAt(line, hits.m_nPos[3], kDdrKeyDqsStepDly.size(), out.m_nDqsStepDly);
    out.m_bMarked = ReadPassMark(line, out.m_nPassFlag);
    return out;
}

size_t CLogScanDDR::RequiredDataLines() const {
    return RequiredDdrDataLines(m_strDdrType);
}

void CLogScanDDR::AddDataLines(CLogPageDDR& page, const std::vector<std::wstring_view>& dataLines,
                               const std::vector<SKeyHits>& hits) const {
    for (size_t index = 0; index < dataLines.size(); ++index) {
        AddDdrDataLine(page, dataLines[index], index < hits.size() ? &hits[index] : nullptr,
                       static_cast<int>(index));
    }
}

bool CLogScanDDR::Scan() {
    GetLaneSwapMap().Rebuild();
    GetDrvStgRegistry().Clear();
    std::set<int> rowSet;
    if (!analyzer::ReadRowSet(kDdrKindDDR1, rowSet)) {
        LogError(L"DrvStg ini config error");
        GetPrompt().Show(L"DrvStg ini config error");
        return false;
    }

    m_pPageList = std::make_unique<CLogPageList>();
    std::wstring failedFiles;
    std::wstring text; // the lines below are views into it
    std::vector<std::wstring_view> dataLines;
    std::vector<std::wstring_view> otherLines;
    std::vector<SKeyHits> hits;
    for (const std::wstring& path : m_vecFileList) {
        ReportProgress(static_cast<size_t>(&path - m_vecFileList.data()));
        auto page = std::make_unique<CLogPageDDR>();
        std::wstring name = path; // a bare file name is its own name
        (void)GetFileNameOfPath(path, name);
        (void)ReadLogHeader(path, m_strProject, m_strDdrType, m_strDdrClock);
        dataLines.clear();
        otherLines.clear();
        hits.clear();
        if (!SplitLogLineViews(path, kDdrKeyDxn, kDdrKeyDrvStg, kDdrKeySdllPhsDly,
                               kDdrKeyDqsStepDly, text, dataLines, otherLines, &hits)) {
            m_pPageList.reset();
            GetPrompt().Show(FormatW(
                L"scan log file\"%ls\" failed, please check log file is correct", path.c_str()));
            LogDebug(L"FileName:%ls, Item:%ls", path.c_str(),
                     L"dxn,drv_stg,mem_drv,sdll_phs_dly,dqs_step_dly");
            return false;
        }
        if (EqualsNoCase(m_strDdrType, L"ddr1")) {
            m_nDrvStgRowCount = 7; // stays 7 for the remaining logs of this scan
        }
        const size_t required = RequiredDataLines();
        if (dataLines.size() < required &&
            !GetPrompt().AskYesNo(
                FormatW(L"log文件%ls不完整，将影响分析结果的准确性, 是否继续", name.c_str()),
                L"警告")) {
            m_pPageList.reset();
            return false;
        }
        if (analyzer::ReadCheckLogFile() && !HasPlatformName(otherLines)) {
            failedFiles += FormatW(L"File: \"%ls\"\n", path.c_str());
            continue;
        }
        page->SetName(name);
        page->SetPageSize(m_nPageSizeRow, m_nPageSizeCol);
        page->SetBlockSize(m_nDrvStgRowCount, m_nSubColCount);
        AddDataLines(*page, dataLines, hits);
        page->Finish();
        m_pPageList->AddPage(std::move(page));
    }

    return FinishScan(
        FormatW(L"扫描失败\n%ls\n不是Varro\\Kestin\\Pellam的log，跳过扫描失败文件继续分析?",
                failedFiles.c_str()));
}

} // namespace quillon
