#include "LogScanEMMC.h"

#include "LogPageEMMC.h"
#include "LogRead.h"
#include "LogText.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>
#include <system_error>

namespace quillon {

namespace fs = std::filesystem;

void CLogScanEMMC::SetTags(const SEmmcTags& tags) {
    m_tags = tags;
    LogInfo(L"SetTag: szW:%ls, szR:%ls, szC:%ls, szY:%ls", m_tags.strW.c_str(), m_tags.strR.c_str(),
            m_tags.strC.c_str(), m_tags.strY.c_str());
}

void CLogScanEMMC::SetSizes(const SEmmcSizes& sizes) {
    SetPageSize(sizes.nPageRows, sizes.nPageCols);
    SetSubColCount(sizes.nSubCols);
    SetDrvStgRowCount(sizes.nSubRows);
}

bool CLogScanEMMC::ReadLog(const std::wstring& path, CLogPageEMMC& page) {
    // The log is read in chunks: a full-size log is tens of megabytes, which the scan
    // need not hold at once.
    const fs::path file = WideToPath(path);
    std::error_code ec;
    std::ifstream in;
    if (fs::is_regular_file(file, ec)) {
        in.open(file, std::ios::binary);
    }
    if (!in.is_open()) {
        GetPrompt().Show(FormatW(L"open file %ls failed !", path.c_str()));
        return false;
    }
    const uint64_t size = fs::file_size(file, ec);

    // Log lines are single-byte text: names that hold a wider character match no line.
    const std::optional<std::string> names[4] = {
        EmmcWideToBytes(m_names.strRow), EmmcWideToBytes(m_names.strCol),
        EmmcWideToBytes(m_names.strInRow), EmmcWideToBytes(m_names.strInCol)};
    const bool namesUsable = names[0] && names[1] && names[2] && names[3];
    const TEmmcLineTags<char> tags = MakeEmmcByteTags(m_tags);

    bool sawLineFeed = false;
    bool sawData = false;
    const auto readPiece = [&](std::string_view piece) {
        if (piece.back() == '\n') {
            sawLineFeed = true;
        }
        if (!namesUsable) {
            return true;
        }
        size_t at[4];
        for (int i = 0; i < 4; ++i) {
            at[i] = FindInLogLine(piece, std::string_view(*names[i]));
            if (at[i] == std::string_view::npos) {
                return true;
            }
        }
        sawData = true;
        const uint32_t row = ReadEmmcValueAt(piece, at[0], names[0]->size());
        const uint32_t col = ReadEmmcValueAt(piece, at[1], names[1]->size());
        const uint32_t inRow = ReadEmmcValueAt(piece, at[2], names[2]->size());
        const uint32_t inCol = ReadEmmcValueAt(piece, at[3], names[3]->size());
        const SEmmcFlagResult flag = ReadEmmcFlag<char>(piece, tags);
        int32_t code = 0;
        if (flag.eKind == EEmmcFlag::kCode) {
            code = flag.nCode;
            m_nLastCode = code;
        } else if (flag.eKind == EEmmcFlag::kNoParen) {
            code = m_nLastCode;
        } else {
            return true; // a flag that matches no tag drops the line
        }
        // Values are held as the block keys' 32-bit integers; a row or column value beyond
        // the page has no block and the line is dropped.
        (void)page.AddCell(static_cast<int>(col), static_cast<int>(row), static_cast<int>(inCol),
                           static_cast<int>(inRow), code);
        return true;
    };
    if (CutLogStream(in, ec ? UINT64_MAX : size, readPiece) == ELogStreamEnd::kFailed) {
        GetPrompt().Show(FormatW(L"open file %ls failed !", path.c_str()));
        return false;
    }
    if (!sawLineFeed) {
        GetPrompt().Show(
            FormatW(L"文件格式错误，请更改文件 %ls 为windows行尾结束符(CR/LF)", path.c_str()));
        return false;
    }
    return sawData;
}

bool CLogScanEMMC::Scan() {
    m_pPageList.reset();
    LogInfo(L"_getLogMode: m_strTagW:%ls,m_strTagR:%ls,m_strTagC:%ls,m_strTagY:%ls",
            m_tags.strW.c_str(), m_tags.strR.c_str(), m_tags.strC.c_str(), m_tags.strY.c_str());
    m_nLogMode = EmmcLogMode(m_tags);
    if (m_nLogMode < 0) {
        GetPrompt().Show(L"error flag match error");
        return false;
    }
    const int64_t pageBlocks = static_cast<int64_t>(m_nPageSizeRow) * m_nPageSizeCol;
    const int64_t blockCells = static_cast<int64_t>(m_nDrvStgRowCount) * m_nSubColCount;
    if (m_nPageSizeRow < 0 || m_nPageSizeCol < 0 || m_nSubColCount < 0 || m_nDrvStgRowCount < 0 ||
        pageBlocks > kMaxPageBlocks || blockCells > kMaxBlockCells) {
        LogError(L"EMMC page size refused: %d x %d blocks of %d x %d cells", m_nPageSizeRow,
                 m_nPageSizeCol, m_nDrvStgRowCount, m_nSubColCount);
        GetPrompt().Show(FormatW(L"EMMC max value config error: %d x %d blocks of %d x %d cells "
                                 L"is too large, please check the max values",
                                 m_nPageSizeRow, m_nPageSizeCol, m_nDrvStgRowCount,
                                 m_nSubColCount));
        m_nLogMode = -1;
        return false;
    }

    m_nLastCode = 0;
    auto pages = std::make_unique<CLogPageList>();
    for (const std::wstring& path : m_vecFileList) {
        ReportProgress(static_cast<size_t>(&path - m_vecFileList.data()));
        auto page = std::make_unique<CLogPageEMMC>();
        std::wstring name = path;
        (void)GetFileNameOfPath(path, name);
        page->SetName(name);
        page->SetPageSize(m_nPageSizeRow, m_nPageSizeCol);
        page->SetBlockSize(m_nDrvStgRowCount, m_nSubColCount);
        page->SetLogMode(m_nLogMode);
        page->CreateBlocks();
        if (!ReadLog(path, *page)) {
            LogError(L"scan EMMC log failed: %ls", path.c_str());
            return false; // the pages made so far go with the list
        }
        pages->AddPage(std::move(page));
    }
    m_pPageList = std::move(pages);
    m_pPageList->AnalyseAndSort(m_nSortMode);
    (void)m_pPageList->BuildMergedPage();
    return true;
}

} // namespace quillon
