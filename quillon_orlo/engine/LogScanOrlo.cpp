#include "LogScanOrlo.h"

#include "LogRead.h"
#include "SettingsFile.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <algorithm>
#include <array>
#include <iterator>

using quillon::ContainsNoCaseAscii;
using quillon::GetFileNameOfPath;
using quillon::ReadFieldValue;
using quillon::ReadLogPieces;

namespace orlo {

namespace {

constexpr std::wstring_view kItemNames[] = {L"clkwr", L"dqs_drv", L"data_drv", L"ctl", L"clk_drv"};

void ShowOpenFailed(const std::wstring& path) {
    GetPrompt().Show(FormatW(L"open file %ls failed !", path.c_str()));
}

void ShowLineEndingError(const std::wstring& path) {
    GetPrompt().Show(
        FormatW(L"文件格式错误，请更改文件 %ls 为windows行尾结束符(CR/LF)", path.c_str()));
}

bool Contains(std::wstring_view text, std::wstring_view word) {
    return text.find(word) != std::wstring_view::npos;
}

// The signature test on pieces of 511 characters, as the scan tool prints it in its banner.
bool HasSignature(const std::vector<std::wstring_view>& pieces) {
    const size_t n = std::min(pieces.size(), kOrloHeaderPieces);
    for (size_t i = 0; i < n; ++i) {
        const std::wstring_view piece = pieces[i];
        if (Contains(piece, L"DDR") && Contains(piece, L"SCAN") && Contains(piece, L"TOOL") &&
            Contains(piece, L"VER1.0")) {
            return true;
        }
    }
    return false;
}

constexpr size_t kItemCount = std::size(kItemNames);
using ItemPositions = std::array<size_t, kItemCount>;

// True when the piece holds all five item names; positions gets where each first occurs.
bool FindOrloItems(std::wstring_view piece, ItemPositions& positions) {
    for (size_t i = 0; i < kItemCount; ++i) {
        positions[i] = piece.find(kItemNames[i]);
        if (positions[i] == std::wstring_view::npos) {
            return false;
        }
    }
    return true;
}

// Walks text in the pieces a 1024-character line read delivers (ending after an LF or after
// 1023 characters) and hands every data line to onData. Shows the line-ending message when
// no piece holds an LF; true when the text had an LF and at least one data line.
template <typename F>
bool SplitOrloText(const std::wstring& path, std::wstring_view text, F&& onData) {
    bool sawLineFeed = false;
    bool sawData = false;
    ItemPositions positions{};
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t limit = std::min(text.size(), pos + kOrloLinePieceChars);
        // Look for the LF within this piece only: a file without line feeds stays linear.
        const size_t lf = text.substr(pos, limit - pos).find(L'\n');
        const size_t end = lf != std::wstring_view::npos ? pos + lf + 1 : limit;
        const std::wstring_view piece = text.substr(pos, end - pos);
        if (piece.back() == L'\n') {
            sawLineFeed = true;
        }
        if (FindOrloItems(piece, positions)) {
            sawData = true;
            onData(piece, positions);
        }
        pos = end;
    }
    if (!sawLineFeed) {
        ShowLineEndingError(path);
        return false;
    }
    return sawData;
}

} // namespace

bool CheckOrloHeader(const std::wstring& path) {
    std::wstring text;
    std::vector<std::wstring_view> pieces;
    if (!ReadLogPieces(path, text, pieces)) {
        ShowOpenFailed(path);
        return false;
    }
    return HasSignature(pieces);
}

bool ReadOrloDataLines(const std::wstring& path, std::vector<std::wstring>& dataLines) {
    std::wstring text;
    std::vector<std::wstring_view> pieces;
    if (!ReadLogPieces(path, text, pieces)) {
        ShowOpenFailed(path);
        return false;
    }
    return SplitOrloText(path, text, [&](std::wstring_view piece, const ItemPositions&) {
        dataLines.emplace_back(piece);
    });
}

bool ReadOrloPassMark(std::wstring_view line, int& pass) {
    const size_t marker = line.find(kOrloPassMarker);
    if (marker == std::wstring_view::npos) {
        return false;
    }
    const std::wstring_view before = line.substr(0, marker);
    if (ContainsNoCaseAscii(before, L"pass")) {
        pass = 1;
        return true;
    }
    if (ContainsNoCaseAscii(before, L"fail")) {
        pass = 0;
        return true;
    }
    return false;
}

int GetOrloTemperatureClass(const std::wstring& name, const std::vector<std::wstring>& lowList,
                            const std::vector<std::wstring>& highList) {
    // By name, not by directory: the same file name among the low logs makes a log a low one.
    const auto inList = [&](const std::vector<std::wstring>& list) {
        return std::any_of(list.begin(), list.end(),
                           [&](const std::wstring& path) { return Contains(path, name); });
    };
    if (inList(lowList)) {
        return kTemperatureLow;
    }
    if (inList(highList)) {
        return kTemperatureHigh;
    }
    return kTemperatureNormal;
}

bool CLogScanOrlo::ReadPage(const std::wstring& path, std::wstring& text, CLogPageOrlo& page) {
    page.SetTemperature(GetOrloTemperatureClass(page.Name(), m_lowList, m_highList));
    return SplitOrloText(path, text, [&](std::wstring_view line, const ItemPositions& at) {
        int pass = 0;
        if (!ReadOrloPassMark(line, pass)) {
            return;
        }
        // Each value is read from the first occurrence of its name, already found above.
        int values[kItemCount] = {};
        const std::wstring* names[kItemCount] = {&m_strClkwr, &m_strDqsDrv, &m_strDataDrv,
                                                 &m_strCtl, &m_strClkDrv};
        for (size_t i = 0; i < kItemCount; ++i) {
            ReadFieldValue(*names[i], line.substr(at[i]), values[i]);
        }
        AddRecord(page, values[1], values[2], values[3], values[4], values[0], pass);
    });
}

bool CLogScanOrlo::Scan() {
    m_pResult = std::make_unique<OrloPageList>();
    std::wstring failed;
    std::wstring text;
    std::vector<std::wstring_view> pieces;
    for (const std::wstring& path : m_fileList) {
        std::wstring name = path; // a bare file name is its own name
        GetFileNameOfPath(path, name);
        if (m_progress) {
            m_progress(static_cast<size_t>(&path - m_fileList.data()) + 1, m_fileList.size(),
                       name);
        }
        auto page = std::make_unique<CLogPageOrlo>(name);

        // One read serves the signature check and the data lines.
        bool isOrlo = false;
        if (ReadLogPieces(path, text, pieces)) {
            isOrlo = HasSignature(pieces);
        } else {
            ShowOpenFailed(path);
        }
        if (!isOrlo) {
            LogInfo(L"not an Orlo log: %ls", path.c_str());
            failed += FormatW(L"File: \"%ls\"\n", path.c_str());
            continue;
        }
        if (!ReadPage(path, text, *page)) {
            LogError(L"scan abandoned at %ls", path.c_str());
            m_pResult.reset();
            return false;
        }
        LogDebug(L"%ls: %d combinations, temperature %d", page->Name().c_str(),
                 static_cast<int>(page->Combinations().size()), page->Temperature());
        m_pResult->Append(std::move(page));
    }

    if (GetSettings().ReadCheckLogFile() && m_pResult->PageCount() < m_fileList.size()) {
        const std::wstring question =
            FormatW(L"扫描失败\n%ls\n不是Orlo的log，跳过扫描失败文件继续分析?", failed.c_str());
        if (!GetPrompt().AskYesNo(question, L"")) {
            m_pResult.reset();
            return false;
        }
    }
    // Without a single accepted log there is nothing to judge; an empty merged page would
    // pass against missing limits.
    if (m_pResult->PageCount() == 0) {
        LogError(L"no Orlo log among %d files", static_cast<int>(m_fileList.size()));
        m_pResult.reset();
        return false;
    }
    BuildMergedPage(*m_pResult);
    return true;
}

} // namespace orlo
