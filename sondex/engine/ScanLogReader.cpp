#include "ScanLogReader.h"

#include "ProjectConfig.h"
#include "SondexText.h"

#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <fstream>

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

} // namespace

CScanLogReader::CScanLogReader(fs::path path) : m_path(std::move(path)) {}

int CScanLogReader::ReadLog() {
    m_header = LogHeader();
    m_bStartSeen = m_bEndSeen = false;
    m_nHeaderLines = 0;
    m_nStatus = kStatusOk;
    m_strBlock.clear();
    m_blocks.clear();

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

    // Text-mode reading: CR LF becomes LF; the file is cut into pieces that end after a
    // line break or after kPieceChars characters. The file is streamed, so a huge or
    // binary file costs no more memory than the blocks it yields.
    // The buffer is no larger than the file (a small log costs no large zeroed block);
    // its bytes are written by the read before they are looked at.
    constexpr size_t kChunkChars = size_t(1) << 18;
    const auto fileSize = fs::file_size(m_path, ec);
    const size_t chunkSize =
        ec ? kChunkChars : std::clamp<size_t>(static_cast<size_t>(fileSize), 1, kChunkChars);
    const auto chunkBuffer = std::make_unique_for_overwrite<char[]>(chunkSize);
    const std::string_view chunk(chunkBuffer.get(), chunkSize);
    std::string text;
    text.reserve(chunkSize);
    std::string carry;
    bool pendingCr = false;
    bool stop = false;
    while (!stop && in) {
        in.read(chunkBuffer.get(), static_cast<std::streamsize>(chunkSize));
        const auto got = static_cast<size_t>(in.gcount());
        if (got == 0) {
            break;
        }
        text.clear();
        size_t from = 0;
        if (pendingCr) {
            pendingCr = false;
            if (chunk[0] != '\n') {
                text.push_back('\r');
            }
        }
        while (from < got) {
            const void* cr = std::memchr(chunk.data() + from, '\r', got - from);
            if (!cr) {
                text.append(chunk, from, got - from);
                break;
            }
            const size_t at = static_cast<size_t>(static_cast<const char*>(cr) - chunk.data());
            text.append(chunk, from, at - from);
            if (at + 1 == got) {
                pendingCr = true; // the next chunk tells whether a line feed follows
            } else if (chunk[at + 1] != '\n') {
                text.push_back('\r');
            }
            from = at + 1;
        }
        size_t i = 0;
        const size_t n = text.size();
        while (!stop && i < n) {
            const size_t room = kPieceChars - carry.size();
            const size_t span = std::min(room, n - i);
            const void* lf = std::memchr(text.data() + i, '\n', span);
            size_t take = 0;
            if (lf) {
                take = static_cast<size_t>(static_cast<const char*>(lf) - (text.data() + i)) + 1;
            } else if (span == room) {
                take = room;
            } else {
                carry.append(text, i, n - i);
                break;
            }
            if (carry.empty()) {
                stop = !ClassifyPiece(std::string_view(text).substr(i, take));
            } else {
                carry.append(text, i, take);
                stop = !ClassifyPiece(carry);
                carry.clear();
            }
            i += take;
        }
    }
    if (!stop) {
        if (pendingCr) {
            carry.push_back('\r');
        }
        // carry holds fewer than kPieceChars characters, so a final CR still fits.
        if (!carry.empty()) {
            stop = !ClassifyPiece(carry);
        }
    }
    if (m_nStatus == kStatusRejected) {
        m_blocks.clear();
        return m_nStatus;
    }
    CloseBlock();
    if (m_blocks.empty()) {
        return kStatusNoBlock;
    }
    return m_bStartSeen && m_bEndSeen ? kStatusOk : kStatusIncomplete;
}

bool CScanLogReader::ClassifyPiece(std::string_view piece) {
    // A record line as printed: "0x", one hexadecimal digit and a tab cannot be a marker
    // (its value is below 16) and, without a star, not a header line either.
    if (piece.size() >= 4 && piece[0] == '0' && piece[1] == 'x' && IsHexDigit(piece[2]) &&
        piece[3] == '\t' && piece.find('*', 4) == std::string_view::npos) {
        m_strBlock += ", ";
        m_strBlock.append(piece);
        return true;
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
        const auto value = static_cast<uint32_t>(sondex::ParseHexSaturating(StripChar(piece, ' ')));
        if (value == kStartMarker) {
            m_bStartSeen = true;
        } else if (value == kBlockSeparator) {
            CloseBlock();
        } else if (value == kEndMarker) {
            m_bEndSeen = true;
            CloseBlock();
        } else {
            m_strBlock += ", ";
            m_strBlock.append(piece);
        }
    }
    return true;
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
        m_header.clock = std::to_wstring(sondex::ParseHexSaturating(text));
        return true;
    case 3:
        // "0x" and eight digits come first; the step follows them.
        m_header.tcnt = text.size() > 10 ? sondex::ParseHexSaturating(text.substr(10)) : 0;
        return true;
    default:
        return true;
    }
}

void CScanLogReader::CloseBlock() {
    if (!m_strBlock.empty()) {
        m_blocks.push_back(std::move(m_strBlock));
    }
    m_strBlock.clear();
}
