#include "LogScanEMMC.h"

#include "FileUtil.h"
#include "LogPageEMMC.h"
#include "LogRead.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <algorithm>

namespace quillon {

namespace {

// The value after a name found at pos: one separator skipped, up to ':', blank, LF or ','.
uint32_t ValueAt(std::string_view line, size_t pos, size_t nameLength) {
    const size_t begin = pos + nameLength + 1;
    if (begin > line.size()) {
        return 0;
    }
    size_t end = begin;
    while (end < line.size()) {
        const char c = line[end];
        if (c == ':' || c == ' ' || c == '\n' || c == ',') {
            break;
        }
        ++end;
    }
    return ParseEmmcHex(line.substr(begin, end - begin)).value_or(0);
}

// Text-mode reading of a log: a CR directly followed by LF is dropped, a lone CR stays.
void DropCrBeforeLf(std::string& bytes) {
    const size_t n = bytes.size();
    size_t out = 0;
    for (size_t i = 0; i < n; ++i) {
        if (bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n') {
            continue;
        }
        bytes[out++] = bytes[i];
    }
    bytes.resize(out);
}

} // namespace

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
    std::string& bytes = m_strBytes;
    if (!ReadFileBytes(WideToPath(path), bytes)) {
        GetPrompt().Show(FormatW(L"open file %ls failed !", path.c_str()));
        return false;
    }
    DropCrBeforeLf(bytes);

    // Log lines are single-byte text: names that hold a wider character match no line.
    const std::optional<std::string> names[4] = {
        EmmcWideToBytes(m_names.strRow), EmmcWideToBytes(m_names.strCol),
        EmmcWideToBytes(m_names.strInRow), EmmcWideToBytes(m_names.strInCol)};
    const bool namesUsable = names[0] && names[1] && names[2] && names[3];
    const TEmmcLineTags<char> tags = MakeEmmcByteTags(m_tags);

    bool sawLineFeed = false;
    bool sawData = false;
    const std::string_view text(bytes);
    size_t pos = 0;
    while (pos < text.size()) {
        // One piece as a 511-character line read delivers it: up to and with an LF, or 511.
        const size_t limit = std::min(text.size(), pos + kLogPieceChars);
        const size_t lf = text.find('\n', pos);
        const size_t end = (lf != std::string_view::npos && lf < limit) ? lf + 1 : limit;
        const std::string_view piece = text.substr(pos, end - pos);
        pos = end;
        if (piece.back() == '\n') {
            sawLineFeed = true;
        }
        if (!namesUsable) {
            continue;
        }
        size_t at[4];
        bool isData = true;
        for (int i = 0; i < 4 && isData; ++i) {
            at[i] = piece.find(*names[i]);
            isData = at[i] != std::string_view::npos;
        }
        if (!isData) {
            continue;
        }
        sawData = true;
        const uint32_t row = ValueAt(piece, at[0], names[0]->size());
        const uint32_t col = ValueAt(piece, at[1], names[1]->size());
        const uint32_t inRow = ValueAt(piece, at[2], names[2]->size());
        const uint32_t inCol = ValueAt(piece, at[3], names[3]->size());
        const SEmmcFlagResult flag = ReadEmmcFlag<char>(piece, tags);
        int32_t code = 0;
        if (flag.eKind == EEmmcFlag::kCode) {
            code = flag.nCode;
            m_nLastCode = code;
        } else if (flag.eKind == EEmmcFlag::kNoParen) {
            code = m_nLastCode;
        } else {
            continue; // a flag that matches no tag drops the line
        }
        // Values are held as the block keys' 32-bit integers; a row or column value beyond
        // the page has no block and the line is dropped.
        (void)page.AddCell(static_cast<int>(col), static_cast<int>(row), static_cast<int>(inCol),
                           static_cast<int>(inRow), code);
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
            std::string().swap(m_strBytes);
            return false; // the pages made so far go with the list
        }
        pages->AddPage(std::move(page));
    }
    std::string().swap(m_strBytes);
    m_pPageList = std::move(pages);
    m_pPageList->AnalyseAndSort(m_nSortMode);
    (void)m_pPageList->BuildMergedPage();
    return true;
}

} // namespace quillon
