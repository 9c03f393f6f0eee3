#include "LogScanOrlo.h"

#include "FileUtil.h"
#include "LogRead.h"
#include "SettingsFile.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <iterator>
#include <new>
#include <type_traits>

using quillon::ContainsNoCaseAscii;
using quillon::GetFileNameOfPath;
using quillon::ReadFieldValue;
using quillon::ReadLogPieces;

namespace orlo {

namespace {

constexpr std::string_view kItemNames[] = {"clkwr", "dqs_drv", "data_drv", "ctl", "clk_drv"};
constexpr size_t kItemCount = std::size(kItemNames);
using ItemPositions = std::array<size_t, kItemCount>;

// Most combinations a page is given room for before it is read.
constexpr size_t kOrloReserveCombinations = 4096;

void ShowOpenFailed(const std::wstring& path) {
    GetPrompt().Show(FormatW(L"open file %ls failed !", path.c_str()));
}

void ShowLineEndingError(const std::wstring& path) {
    GetPrompt().Show(
        FormatW(L"文件格式错误，请更改文件 %ls 为windows行尾结束符(CR/LF)", path.c_str()));
}

// Reads a whole log into bytes; a scan passes the same buffer for every log, as they are of
// about one size. A file too big for memory counts as unreadable rather than ending the
// program.
bool ReadOrloBytes(const std::wstring& path, std::string& bytes) {
    try {
        return ReadFileBytes(WideToPath(path), bytes);
    } catch (const std::bad_alloc&) {
        bytes.clear();
        bytes.shrink_to_fit();
        return false;
    }
}

// One piece as a line read of a fixed buffer delivers it. Logs are single-byte text, so the
// piece stays in the file's bytes; its LF (a CR LF in the file) is not in text but told by
// lineFeed, and it is always the piece's last character.
struct SOrloPiece {
    std::string_view text;
    bool lineFeed;
};

// Cuts bytes into pieces as a text-mode line read of pieceChars characters does: a CR right
// before an LF is dropped, a piece ends after its LF or after pieceChars characters. Hands
// every piece to onPiece until it answers false.
template <typename F>
void ForEachPiece(std::string_view bytes, size_t pieceChars, F&& onPiece) {
    const size_t n = bytes.size();
    size_t pos = 0;
    while (pos < n) {
        const size_t found = bytes.find('\n', pos);
        const bool hasLineFeed = found != std::string_view::npos;
        const size_t lf = hasLineFeed ? found : n;
        size_t stop = lf;
        if (hasLineFeed && stop > pos && bytes[stop - 1] == '\r') {
            --stop;
        }
        const size_t chars = stop - pos;                     // without the line end
        const size_t length = chars + (hasLineFeed ? 1 : 0); // as read, with the LF
        for (size_t offset = 0; offset < length; offset += pieceChars) {
            const size_t pieceEnd = std::min(length, offset + pieceChars);
            const SOrloPiece piece{bytes.substr(pos + offset, std::min(pieceEnd, chars) - offset),
                                   hasLineFeed && pieceEnd == length};
            if (!onPiece(piece)) {
                return;
            }
        }
        pos = hasLineFeed ? lf + 1 : n;
    }
}

bool Contains(std::string_view text, std::string_view word) {
    return text.find(word) != std::string_view::npos;
}

// The signature test on the first 10 pieces of 511 characters, as the scan tool prints it in
// its banner.
bool HasSignature(std::string_view bytes) {
    size_t seen = 0;
    bool found = false;
    ForEachPiece(bytes, kOrloHeaderPieceChars, [&](const SOrloPiece& piece) {
        found = Contains(piece.text, "DDR") && Contains(piece.text, "SCAN") &&
                Contains(piece.text, "TOOL") && Contains(piece.text, "VER1.0");
        return !found && ++seen < kOrloHeaderPieces;
    });
    return found;
}

// Visits, in ascending order, every position in [from, to) whose byte is a or b, until
// visit(position) answers true; true then. Data lines are short and come by the hundred
// thousand: 16 bytes are tested at a time, inline.
template <typename Visit>
bool FindEitherByte(const char* data, size_t from, size_t to, char a, char b, Visit&& visit) {
    size_t i = from;
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(a);
    const __m128i vb = _mm_set1_epi8(b);
    for (; i + 16 <= to; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb))));
        while (mask != 0) {
            if (visit(i + static_cast<size_t>(std::countr_zero(mask)))) {
                return true;
            }
            mask &= mask - 1;
        }
    }
#endif
    for (; i < to; ++i) {
        if ((data[i] == a || data[i] == b) && visit(i)) {
            return true;
        }
    }
    return false;
}

// For each byte, the items whose names start with it (bit i: kItemNames[i]).
constexpr std::array<unsigned char, 256> ItemStarts() {
    std::array<unsigned char, 256> table{};
    for (size_t i = 0; i < kItemCount; ++i) {
        table[static_cast<unsigned char>(kItemNames[i][0])] |= static_cast<unsigned char>(1u << i);
    }
    return table;
}
constexpr std::array<unsigned char, 256> kItemStarts = ItemStarts();
constexpr unsigned kAllItems = (1u << kItemCount) - 1;

// Every name fits in 8 bytes: a candidate is compared as one little-endian word, masked to
// the name's length.
struct SItemWord {
    uint64_t m_nWord;
    uint64_t m_nMask;
};
constexpr std::array<SItemWord, kItemCount> ItemWords() {
    std::array<SItemWord, kItemCount> words{};
    for (size_t i = 0; i < kItemCount; ++i) {
        for (size_t k = 0; k < kItemNames[i].size(); ++k) {
            words[i].m_nWord |= uint64_t{static_cast<unsigned char>(kItemNames[i][k])} << (8 * k);
            words[i].m_nMask |= uint64_t{0xFF} << (8 * k);
        }
    }
    return words;
}
constexpr std::array<SItemWord, kItemCount> kItemWords = ItemWords();
static_assert(std::endian::native == std::endian::little, "item words are little-endian");

// True when the piece holds all five item names; positions gets where each first occurs.
// One pass over the piece finds them all.
bool FindOrloItems(std::string_view piece, ItemPositions& positions) {
    static_assert(kItemStarts['c'] != 0 && kItemStarts['d'] != 0 &&
                      (kItemStarts['c'] | kItemStarts['d']) == kAllItems,
                  "every name starts with c or d");
    unsigned found = 0;
    const size_t n = piece.size();
    const char* data = piece.data();
    FindEitherByte(data, 0, n, 'c', 'd', [&](size_t at) {
        unsigned candidates = kItemStarts[static_cast<unsigned char>(data[at])] & ~found;
        // The 8 bytes from here (fewer at the end of the piece, the rest zero).
        uint64_t word = 0;
        if (n - at >= 8) {
            std::memcpy(&word, data + at, 8);
        } else {
            std::memcpy(&word, data + at, n - at);
        }
        while (candidates != 0) {
            const auto i = static_cast<size_t>(std::countr_zero(candidates));
            candidates &= candidates - 1;
            const SItemWord& item = kItemWords[i];
            if (n - at >= kItemNames[i].size() && (word & item.m_nMask) == item.m_nWord) {
                positions[i] = at;
                found |= 1u << i;
            }
        }
        return found == kAllItems;
    });
    return found == kAllItems;
}

// The pass mark before the marker, for wide and byte text alike: "pass" anywhere, without
// regard to case, gives 1, otherwise "fail" gives 0.
template <typename Ch>
bool PassMarkOf(std::basic_string_view<Ch> line, int& pass) {
    static constexpr Ch marker[] = {':', ')', ')', ')', ')', ')', ')'};
    constexpr size_t markerSize = std::size(marker);
    size_t end = std::basic_string_view<Ch>::npos;
    if constexpr (std::is_same_v<Ch, char>) {
        // The marker starts at a ':', which data lines hold only there.
        const char* data = line.data();
        const size_t starts = line.size() >= markerSize ? line.size() - markerSize + 1 : 0;
        FindEitherByte(data, 0, starts, ':', ':', [&](size_t at) {
            if (std::memcmp(data + at, marker, markerSize) != 0) {
                return false;
            }
            end = at;
            return true;
        });
    } else {
        end = line.find(std::basic_string_view<Ch>(marker, markerSize));
    }
    if (end == std::basic_string_view<Ch>::npos) {
        return false;
    }
    // Letters compare without regard to case: c | 0x20 is a given lower-case letter only for
    // that letter and its capital.
    const auto letter = [](Ch c) {
        return static_cast<uint32_t>(static_cast<std::make_unsigned_t<Ch>>(c)) | 0x20u;
    };
    const auto wordAt = [&](size_t start, const char* word) {
        for (size_t k = 0; k < 4; ++k) {
            if (letter(line[start + k]) != static_cast<uint32_t>(word[k])) {
                return false;
            }
        }
        return true;
    };
    // Both words have 'a' second: only the places of 'a' and 'A' are tried; "pass" anywhere
    // wins.
    bool sawFail = false;
    const auto tryAt = [&](size_t at) {
        if (at == 0 || at + 3 > end) {
            return false; // no room for a word around this 'a'
        }
        if (wordAt(at - 1, "pass")) {
            return true;
        }
        sawFail = sawFail || wordAt(at - 1, "fail");
        return false;
    };
    bool sawPass = false;
    if constexpr (std::is_same_v<Ch, char>) {
        sawPass = FindEitherByte(line.data(), 0, end, 'a', 'A', tryAt);
    } else {
        for (size_t at = 0; at < end && !sawPass; ++at) {
            sawPass = letter(line[at]) == 'a' && tryAt(at);
        }
    }
    if (sawPass || sawFail) {
        pass = sawPass ? 1 : 0;
        return true;
    }
    return false;
}

// The decimal value of an item found at keyPos: the text from one character after the name
// up to the next ',' or the line end, read with everything but '-' and the digits left out.
// value changes only when a number was read; numbers beyond 32 bits are held at the limits.
bool ReadItemValue(std::string_view line, size_t keyPos, size_t keySize, int& value) {
    const size_t start = keyPos + keySize + 1;
    bool negative = false;
    bool haveSign = false;
    bool haveDigit = false;
    long long number = 0;
    for (size_t i = start; i < line.size(); ++i) {
        const char c = line[i];
        if (c == ',' || c == '\n') {
            break;
        }
        if (c == '-') {
            if (haveSign || haveDigit) {
                break; // a '-' cannot continue the number
            }
            haveSign = true;
            negative = true;
            continue;
        }
        if (c < '0' || c > '9') {
            continue;
        }
        haveSign = true; // digits first: no sign can follow any more
        haveDigit = true;
        if (number <= static_cast<long long>(INT_MAX) + 1) {
            number = number * 10 + (c - '0');
        }
    }
    if (!haveDigit) {
        return false;
    }
    value = static_cast<int>(std::clamp<long long>(negative ? -number : number, INT_MIN, INT_MAX));
    return true;
}

// Walks a log in the pieces a 1024-character line read delivers and hands every data line
// (a piece holding all five item names) to onData. Shows the line-ending message when no
// piece holds an LF; true when the text had an LF and at least one data line.
template <typename F>
bool SplitOrloText(const std::wstring& path, std::string_view bytes, F&& onData) {
    bool sawLineFeed = false;
    bool sawData = false;
    ItemPositions positions{};
    ForEachPiece(bytes, kOrloLinePieceChars, [&](const SOrloPiece& piece) {
        sawLineFeed = sawLineFeed || piece.lineFeed;
        if (FindOrloItems(piece.text, positions)) {
            sawData = true;
            onData(piece, positions);
        }
        return true;
    });
    if (!sawLineFeed) {
        ShowLineEndingError(path);
        return false;
    }
    return sawData;
}

std::wstring Widen(const SOrloPiece& piece) {
    std::wstring text(piece.text.size() + (piece.lineFeed ? 1 : 0), L'\n');
    for (size_t i = 0; i < piece.text.size(); ++i) {
        text[i] = static_cast<wchar_t>(static_cast<unsigned char>(piece.text[i]));
    }
    return text;
}

} // namespace

bool CheckOrloHeader(const std::wstring& path) {
    std::string bytes;
    if (!ReadOrloBytes(path, bytes)) {
        ShowOpenFailed(path);
        return false;
    }
    return HasSignature(bytes);
}

bool ReadOrloDataLines(const std::wstring& path, std::vector<std::wstring>& dataLines) {
    std::string bytes;
    if (!ReadOrloBytes(path, bytes)) {
        ShowOpenFailed(path);
        return false;
    }
    return SplitOrloText(path, bytes, [&](const SOrloPiece& piece, const ItemPositions&) {
        dataLines.push_back(Widen(piece));
    });
}

bool ReadOrloPassMark(std::wstring_view line, int& pass) {
    return PassMarkOf(line, pass);
}

int GetOrloTemperatureClass(const std::wstring& name, const std::vector<std::wstring>& lowList,
                            const std::vector<std::wstring>& highList) {
    // By name, not by directory: the same file name among the low logs makes a log a low one.
    const auto inList = [&](const std::vector<std::wstring>& list) {
        return std::any_of(list.begin(), list.end(), [&](const std::wstring& path) {
            return path.find(name) != std::wstring::npos;
        });
    };
    if (inList(lowList)) {
        return kTemperatureLow;
    }
    if (inList(highList)) {
        return kTemperatureHigh;
    }
    return kTemperatureNormal;
}

bool CLogScanOrlo::ReadPage(const std::wstring& path, std::string_view bytes, CLogPageOrlo& page) {
    page.SetTemperature(GetOrloTemperatureClass(page.Name(), m_lowList, m_highList));
    return SplitOrloText(path, bytes, [&](const SOrloPiece& piece, const ItemPositions& at) {
        int pass = 0;
        if (!PassMarkOf(piece.text, pass)) {
            return;
        }
        // Each value is read from the first occurrence of its name, already found above.
        int values[kItemCount] = {};
        for (size_t i = 0; i < kItemCount; ++i) {
            ReadItemValue(piece.text, at[i], kItemNames[i].size(), values[i]);
        }
        AddRecord(page, values[1], values[2], values[3], values[4], values[0], pass);
    });
}

bool CLogScanOrlo::Scan() {
    m_pResult = std::make_unique<OrloPageList>();
    std::wstring failed;
    std::string bytes;
    size_t combinations = 0; // of the last page read
    for (const std::wstring& path : m_fileList) {
        std::wstring name = path; // a bare file name is its own name
        GetFileNameOfPath(path, name);
        if (m_progress) {
            m_progress(static_cast<size_t>(&path - m_fileList.data()) + 1, m_fileList.size(),
                       name);
        }
        auto page = std::make_unique<CLogPageOrlo>(name);
        // Logs of one scan hold about as many combinations each; the hint is bounded so
        // that one odd log cannot make every page after it big.
        page->Reserve(std::min<size_t>(combinations, kOrloReserveCombinations));

        // One read serves the signature check and the data lines.
        bool isOrlo = false;
        if (ReadOrloBytes(path, bytes)) {
            isOrlo = HasSignature(bytes);
        } else {
            ShowOpenFailed(path);
        }
        if (!isOrlo) {
            LogInfo(L"not an Orlo log: %ls", path.c_str());
            failed += FormatW(L"File: \"%ls\"\n", path.c_str());
            continue;
        }
        if (!ReadPage(path, bytes, *page)) {
            LogError(L"scan abandoned at %ls", path.c_str());
            m_pResult.reset();
            return false;
        }
        combinations = page->Combinations().size();
        page->ShrinkToFit();
        LogDebug(L"%ls: %d combinations, temperature %d", page->Name().c_str(),
                 static_cast<int>(combinations), page->Temperature());
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
