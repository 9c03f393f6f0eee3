#include "ScanLogReader.h"

#include "PinScanTable.h"
#include "ProjectConfig.h"
#include "ScanLogData.h"
#include "SondexText.h"

#include "LogText.h"
#include "NumberText.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <fstream>

namespace sondex {

namespace fs = std::filesystem;

namespace {

// Shown in place of a project name when the configuration holds no project at all.
constexpr const wchar_t* kNoProjectName = L"Sondex";

std::wstring UpperBytes(std::string_view text) {
    std::wstring out = BytesToWide(text);
    for (auto& c : out) {
        if (c >= L'a' && c <= L'z') {
            c = static_cast<wchar_t>(c - L'a' + L'A');
        }
    }
    return out;
}

// Header codes are read as a base-16 C conversion into an int32.
int32_t HexCode(std::string_view text) {
    return static_cast<int32_t>(ParseHex(text, kHexConversion).value_or(0));
}

std::string_view StripChar(std::string_view text, char c) {
    while (!text.empty() && text.front() == c) {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == c) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A result field that cannot make the line a header line (star) or two lines (comma).
bool IsPlainResult(std::string_view field) {
    for (const char c : field) {
        if (c == '*' || c == ',') {
            return false;
        }
    }
    return true;
}

} // namespace

CScanLogReader::CScanLogReader(fs::path path) : m_path(std::move(path)) {}

void CScanLogReader::SetTableTarget(CScanLogData* data, const std::vector<int32_t>& selectedSr) {
    m_pTarget = data;
    m_targetSr = selectedSr;
}

int CScanLogReader::ReadLog() {
    m_header = LogHeader();
    m_bStartSeen = m_bEndSeen = false;
    m_nHeaderLines = 0;
    m_nStatus = kStatusOk;
    m_strBlock.clear();
    m_blocks.clear();
    m_bDirect = false;
    m_bDecided = false;
    m_bBlockOpen = false;
    m_nBlockCount = 0;
    m_bTablesParsed = true;
    m_held.clear();

    std::error_code ec;
    std::ifstream in;
    if (!fs::is_directory(m_path, ec)) {
        in.open(m_path, std::ios::binary);
    }
    if (!in.is_open()) {
        LogError(L"cannot open %ls", PathToWide(m_path).c_str());
        GetPrompt().Show(FormatW(L"open file %ls failed !", PathToWide(m_path).c_str()));
        return kStatusOpenFailed;
    }

    // The file is streamed, so a huge or binary file costs no more memory than the blocks
    // it yields; a read error ends the log where it happened.
    const auto fileSize = fs::file_size(m_path, ec);
    (void)CutLogStream(in, ec ? UINT64_MAX : fileSize,
                       [this](std::string_view piece) { return ClassifyPiece(piece); });
    if (m_bDirect) {
        m_bTablesParsed = m_pTarget->EndParse();
    }
    if (m_nStatus == kStatusRejected) {
        m_blocks.clear();
        return m_nStatus;
    }
    CloseBlock();
    if (m_nBlockCount == 0) {
        return kStatusNoBlock;
    }
    return m_bStartSeen && m_bEndSeen ? kStatusOk : kStatusIncomplete;
}

bool CScanLogReader::ClassifyPiece(std::string_view piece) {
    // A record line as printed: "0x", one hexadecimal digit and a tab cannot be a marker
    // (its value is below 16) and, without a star, not a header line either.
    if (piece.size() >= 4 && piece[0] == '0' && piece[1] == 'x' && IsHexDigit(piece[2]) &&
        piece[3] == '\t') {
        // Read in one pass when the tables are built here. Only the result field of such
        // a line can hold a star (a header line after all) or a comma (two lines).
        int32_t state = 0;
        size_t resultAt = 0;
        if (m_pTarget && (m_bDirect || !m_bDecided) &&
            sondex::DecodePlainRecordLine(piece, m_words, state, resultAt) &&
            IsPlainResult(piece.substr(resultAt, 3))) {
            if (m_bBlockOpen ? m_bDirect : OpenBlock()) {
                m_pTarget->ParseDecodedLine(piece, m_words, state);
            } else {
                m_strBlock += ", ";
                m_strBlock.append(piece);
            }
            return true;
        }
        if (piece.find('*', 4) == std::string_view::npos) {
            AddRecordPiece(piece);
            return true;
        }
    }
    if (piece.empty() || piece.find("0x") == std::string_view::npos) {
        return true;
    }
    if (piece.find('*') != std::string_view::npos) {
        // Stars are stripped from the ends only; the line break is part of the text, so
        // stars just before it stay.
        const std::string_view text = StripChar(piece, '*');
        if (text.empty()) {
            return true;
        }
        return ReadHeaderLine(text);
    }
    if (piece.size() >= 2 && piece[0] == '0' && (piece[1] == 'x' || piece[1] == 'X')) {
        const uint32_t value = ParseHex(StripChar(piece, ' '), kHexConversion).value_or(0);
        if (value == kStartMarker) {
            m_bStartSeen = true;
        } else if (value == kBlockSeparator) {
            CloseBlock();
        } else if (value == kEndMarker) {
            m_bEndSeen = true;
            CloseBlock();
        } else {
            AddRecordPiece(piece);
        }
    }
    return true;
}

bool CScanLogReader::OpenBlock() {
    if (!m_bDecided) {
        m_bDecided = true;
        // The tables take the log's header, which is final once its four header lines
        // have been read; a log whose first block comes earlier gets block texts.
        m_bDirect = m_pTarget && m_nHeaderLines >= 4;
        if (m_bDirect) {
            m_pTarget->SetHeader(m_header);
            m_pTarget->BeginParse(m_targetSr, &m_held);
        }
    }
    if (!m_bBlockOpen) {
        m_bBlockOpen = true;
        if (m_bDirect) {
            m_pTarget->BeginBlock();
        }
    }
    return m_bDirect;
}

void CScanLogReader::AddRecordPiece(std::string_view piece) {
    if (!OpenBlock()) {
        m_strBlock += ", ";
        m_strBlock.append(piece);
        return;
    }
    // The block text would hold ", " and the piece; its lines are the pieces between
    // commas (the blank before the first changes no field).
    size_t from = 0;
    while (true) {
        const size_t comma = piece.find(',', from);
        if (comma == std::string_view::npos) {
            m_pTarget->ParseLine(piece.substr(from));
            break;
        }
        m_pTarget->ParseLine(piece.substr(from, comma - from));
        from = comma + 1;
    }
}

bool CScanLogReader::ReadHeaderLine(std::string_view text) {
    const int k = m_nHeaderLines++;
    const CProjectConfig& config = GetProjectConfig();
    switch (k) {
    case 0: {
        const int32_t code = sondex::ParseCodeNumber(UpperBytes(text));
        const std::wstring* name = config.FindProjectName(code);
        if (!name) {
            std::wstring shown = config.GetFirstProjectName();
            if (shown.empty()) {
                shown = kNoProjectName;
            }
            LogError(L"project code 0x%X of %ls not configured", static_cast<unsigned>(code),
                     PathToWide(m_path).c_str());
            GetPrompt().Show(FormatW(L"%ls 工具，log:%ls 文件与工具项目不匹配", shown.c_str(),
                                     PathToWide(m_path).c_str()));
            m_nStatus = kStatusRejected;
            return false;
        }
        m_header.project = *name;
        return true;
    }
    case 1: {
        const int32_t code = sondex::ParseCodeNumber(UpperBytes(text));
        const std::wstring* name = config.FindDdrTypeName(code);
        if (!name) {
            LogError(L"DDR type code 0x%X of %ls not configured", static_cast<unsigned>(code),
                     PathToWide(m_path).c_str());
            GetPrompt().Show(FormatW(L"log文件：%ls 的DDRType是%ls，扫描工具暂未定此类型的判定标准",
                                     PathToWide(m_path).c_str(), BytesToWide(text).c_str()));
            m_nStatus = kStatusRejected;
            return false;
        }
        m_header.ddrType = *name;
        return true;
    }
    case 2:
        m_header.clock = std::to_wstring(HexCode(text));
        return true;
    case 3:
        // "0x" and eight digits come first; the step follows them.
        m_header.tcnt = text.size() > 10 ? HexCode(text.substr(10)) : 0;
        return true;
    default:
        return true;
    }
}

void CScanLogReader::CloseBlock() {
    if (m_bBlockOpen) {
        ++m_nBlockCount;
        m_bBlockOpen = false;
    }
    if (!m_strBlock.empty()) {
        m_blocks.push_back(std::move(m_strBlock));
    }
    m_strBlock.clear();
}

} // namespace sondex
