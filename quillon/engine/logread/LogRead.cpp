#include "LogRead.h"

#include "FileUtil.h"
#include "LogText.h"
#include "NumberText.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <filesystem>
#include <new>
#include <system_error>

namespace quillon {

namespace fs = std::filesystem;

namespace {

static_assert(sizeof(wchar_t) == 4, "wide characters are 32-bit code points");

// Visits, in ascending order, every position i in [from, to) where data[i] is a or b, until
// accept(i) answers true; returns that position, or npos. Data lines are short and searched
// by the hundred thousand, so the test runs four characters at a time and inline, without a
// library call per line.
template <class Accept>
size_t FindEitherChar(const wchar_t* data, size_t from, size_t to, wchar_t a, wchar_t b,
                      Accept&& accept) {
    size_t i = from;
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi32(static_cast<int>(a));
    const __m128i vb = _mm_set1_epi32(static_cast<int>(b));
    for (; i + 4 <= to; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        unsigned mask = static_cast<unsigned>(_mm_movemask_ps(
            _mm_castsi128_ps(_mm_or_si128(_mm_cmpeq_epi32(v, va), _mm_cmpeq_epi32(v, vb)))));
        while (mask != 0) {
            const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
            if (accept(at)) {
                return at;
            }
            mask &= mask - 1;
        }
    }
#endif
    for (; i < to; ++i) {
        if ((data[i] == a || data[i] == b) && accept(i)) {
            return i;
        }
    }
    return std::wstring_view::npos;
}

// The widening copy on its own, with the two buffers declared apart so that it is vectorised.
void WidenBytes(const unsigned char* __restrict src, size_t count, wchar_t* __restrict out) {
    for (size_t i = 0; i < count; ++i) {
        out[i] = static_cast<wchar_t>(src[i]);
    }
}

// The pieces of a log's bytes (changed in place by the cutter), each widened into text: bytes
// become characters of the same value. At most maxPieces pieces.
void BytesToLogPieces(char* bytes, size_t size, std::wstring& text,
                      std::vector<std::wstring_view>& pieces, size_t maxPieces = SIZE_MAX) {
    pieces.clear();
    // Sized once for the whole file (never grown below, so the pieces' views stay valid);
    // a buffer kept from a log of the same size is not cleared first, as all of it that is
    // kept is written again.
    if (text.size() < size) {
        text.resize(size);
    }
    wchar_t* const base = text.data();
    wchar_t* out = base;
    const auto widen = [&](std::string_view piece) {
        WidenBytes(reinterpret_cast<const unsigned char*>(piece.data()), piece.size(), out);
        pieces.emplace_back(out, piece.size());
        out += piece.size();
        return pieces.size() < maxPieces;
    };
    if (maxPieces > 0) {
        CLogPieceCutter cutter;
        if (cutter.Feed(bytes, size, widen)) {
            (void)cutter.Finish(widen);
        }
    }
    text.resize(static_cast<size_t>(out - base));
}

void ShowOpenFailed(const std::wstring& path) {
    GetPrompt().Show(FormatW(L"open file %ls failed !", path.c_str()));
}

// Reads at most maxBytes bytes from the start of a regular file.
bool ReadFilePrefix(const std::wstring& path, size_t maxBytes, std::string& out, bool& cut) {
    out.clear();
    cut = false;
    const fs::path p = WideToPath(path);
    std::error_code ec;
    if (!fs::is_regular_file(p, ec)) {
        return false;
    }
    std::FILE* f = std::fopen(p.c_str(), "rb");
    if (f == nullptr) {
        return false;
    }
    out.resize(maxBytes + 1);
    const size_t got = std::fread(out.data(), 1, out.size(), f);
    const bool bad = std::ferror(f) != 0;
    std::fclose(f);
    if (bad) {
        out.clear();
        return false;
    }
    cut = got > maxBytes;
    out.resize(std::min(got, maxBytes));
    return true;
}

// Removes the first occurrence of word from piece and strips "*", blank, "=", CR and LF from
// both ends of what is left; false when the piece does not contain word.
bool TakeHeaderValue(std::wstring& piece, std::wstring_view word, std::wstring& value) {
    const size_t pos = piece.find(word);
    if (pos == std::wstring::npos) {
        return false;
    }
    piece.erase(pos, word.size());
    value = TrimChars(piece, L"* =\r\n");
    return true;
}

// Start of a field's value text: one character after the end of the key found at pos. npos
// when the key is missing or nothing follows the separator.
size_t FieldStartAt(size_t pos, size_t keySize, std::wstring_view line) {
    if (pos == std::wstring_view::npos) {
        return std::wstring_view::npos;
    }
    const size_t start = pos + keySize + 1;
    // A key at the very end of a piece has no value text at all.
    return start <= line.size() ? start : std::wstring_view::npos;
}

} // namespace

bool ReadLogPieces(const std::wstring& path, std::wstring& text,
                   std::vector<std::wstring_view>& pieces) {
    pieces.clear();
    // A file too big for memory is reported as unreadable rather than ending the program.
    try {
        // The byte buffer is kept between logs: a scan reads many files of the same size.
        thread_local std::string bytes;
        if (!ReadFileBytes(WideToPath(path), bytes)) {
            text.clear();
            return false;
        }
        BytesToLogPieces(bytes.data(), bytes.size(), text, pieces);
    } catch (const std::bad_alloc&) {
        text.clear();
        text.shrink_to_fit();
        pieces.clear();
        return false;
    }
    return true;
}

bool FindLogFiles(const std::wstring& directory, std::vector<std::wstring>& files) {
    // The paths keep the directory as it was given, with one '/' before each found name.
    std::wstring prefix = directory;
    if (prefix.empty() || prefix.back() != L'/') {
        prefix += L'/';
    }
    for (const fs::path& relative : FindLogFilesUnder(WideToPath(directory))) {
        files.push_back(prefix + PathToWide(relative));
    }
    return !files.empty();
}

bool SplitLogLineViews(const std::wstring& path, std::wstring_view key1, std::wstring_view key2,
                       std::wstring_view key3, std::wstring_view key4, std::wstring& text,
                       std::vector<std::wstring_view>& dataLines,
                       std::vector<std::wstring_view>& otherLines, std::vector<SKeyHits>* hits) {
    thread_local std::vector<std::wstring_view> pieces; // kept between logs
    if (!ReadLogPieces(path, text, pieces)) {
        ShowOpenFailed(path);
        return false;
    }
    return SplitLogPieceViews(path, pieces, key1, key2, key3, key4, dataLines, otherLines, hits);
}

bool SplitLogPieceViews(const std::wstring& path, const std::vector<std::wstring_view>& pieces,
                        std::wstring_view key1, std::wstring_view key2, std::wstring_view key3,
                        std::wstring_view key4, std::vector<std::wstring_view>& dataLines,
                        std::vector<std::wstring_view>& otherLines, std::vector<SKeyHits>* hits) {
    bool sawLineFeed = false;
    bool sawData = false;
    try {
        const CDataLineKeys keys(key1, key2, key3, key4);
        SKeyHits at{};
        for (const std::wstring_view piece : pieces) {
            if (!piece.empty() && piece.back() == L'\n') {
                sawLineFeed = true;
            }
            if (keys.Match(piece, at)) {
                dataLines.push_back(piece);
                if (hits != nullptr) {
                    hits->push_back(at);
                }
                sawData = true;
            } else {
                otherLines.push_back(piece);
            }
        }
    } catch (const std::bad_alloc&) {
        dataLines.clear();
        otherLines.clear();
        if (hits != nullptr) {
            hits->clear();
        }
        ShowOpenFailed(path);
        return false;
    }
    if (!sawLineFeed) {
        GetPrompt().Show(
            FormatW(L"文件格式错误，请更改文件 %ls 为windows行尾结束符(CR/LF)", path.c_str()));
        return false;
    }
    return sawData;
}

bool SplitLogLines(const std::wstring& path, std::wstring_view key1, std::wstring_view key2,
                   std::wstring_view key3, std::wstring_view key4,
                   std::vector<std::wstring>& dataLines, std::vector<std::wstring>& otherLines) {
    std::wstring text;
    std::vector<std::wstring_view> data;
    std::vector<std::wstring_view> other;
    const bool result = SplitLogLineViews(path, key1, key2, key3, key4, text, data, other);
    try {
        dataLines.insert(dataLines.end(), data.begin(), data.end());
        otherLines.insert(otherLines.end(), other.begin(), other.end());
    } catch (const std::bad_alloc&) {
        dataLines.clear();
        otherLines.clear();
        ShowOpenFailed(path);
        return false;
    }
    return result;
}

bool ReadLogHeader(const std::wstring& path, std::wstring& project, std::wstring& ddrType,
                   std::wstring& ddrClock) {
    constexpr size_t kHeaderPieces = kLogHeaderPieces;
    // 11 pieces of 511 characters need at most twice as many bytes (every LF as CR LF).
    constexpr size_t kPrefixBytes = 2 * kHeaderPieces * kLogPieceChars + 16;
    thread_local std::string bytes; // buffers kept between logs
    thread_local std::wstring text;
    thread_local std::vector<std::wstring_view> pieces;
    bool cut = false;
    if (!ReadFilePrefix(path, kPrefixBytes, bytes, cut)) {
        ShowOpenFailed(path);
        return false;
    }
    if (cut && !bytes.empty() && bytes.back() == '\r') {
        bytes.pop_back(); // its LF may lie beyond the prefix; it is past the 11 pieces anyway
    }
    BytesToLogPieces(bytes.data(), bytes.size(), text, pieces, kHeaderPieces);
    for (const std::wstring_view view : pieces) {
        ReadHeaderPiece(view, project, ddrType, ddrClock);
    }
    return true;
}

void ReadHeaderPiece(std::wstring_view view, std::wstring& project, std::wstring& ddrType,
                     std::wstring& ddrClock) {
    std::wstring piece(view);
    TakeHeaderValue(piece, L"project", project);
    TakeHeaderValue(piece, L"ddr type", ddrType);
    TakeHeaderValue(piece, L"ddr clk", ddrClock);
}

CDataLineKeys::CDataLineKeys(std::wstring_view key1, std::wstring_view key2,
                             std::wstring_view key3, std::wstring_view key4)
    : m_key1(key1), m_key2(key2), m_key3(key3), m_key4(key4) {}

bool CDataLineKeys::Match(std::wstring_view piece, SKeyHits& hits) const {
    constexpr size_t npos = std::wstring_view::npos;
    size_t at[4] = {npos, npos, npos, npos};
    const bool isData =
        (at[0] = m_key1.Find(piece)) != npos && (at[1] = m_key2.Find(piece)) != npos &&
        (at[2] = m_key3.Find(piece)) != npos && (at[3] = m_key4.Find(piece)) != npos;
    if (isData) {
        hits = {{at[0], at[1], at[2], at[3]}};
    }
    return isData;
}

void LogBytesToPieces(std::string_view bytes, std::wstring& text,
                      std::vector<std::wstring_view>& pieces) {
    thread_local std::string copy; // the cutter writes into the bytes it is given
    copy.assign(bytes);
    BytesToLogPieces(copy.data(), copy.size(), text, pieces);
}

bool GetFileNameOfPath(const std::wstring& path, std::wstring& name) {
    const size_t pos = path.rfind(L'/');
    if (pos == std::wstring::npos) {
        return false;
    }
    name = path.substr(pos + 1);
    return true;
}

namespace {

// The decimal value whose text starts at start (npos: none).
bool ReadDecimalAt(std::wstring_view line, size_t start, int& value) {
    if (start == std::wstring_view::npos) {
        return false;
    }
    // Walk the value text, skipping what is neither '-' nor a digit, as if it had been removed.
    bool negative = false;
    bool haveSign = false;
    bool haveDigit = false;
    long long number = 0;
    for (size_t i = start; i < line.size(); ++i) {
        const wchar_t c = line[i];
        if (c == L',' || c == L'\n') {
            break;
        }
        if (c == L'-') {
            if (haveSign || haveDigit) {
                break; // a '-' cannot continue the number
            }
            haveSign = true;
            negative = true;
            continue;
        }
        if (c < L'0' || c > L'9') {
            continue;
        }
        if (!haveSign) {
            haveSign = true; // digits first: no sign can follow any more
        }
        haveDigit = true;
        if (number <= static_cast<long long>(INT_MAX) + 1) {
            number = number * 10 + (c - L'0');
        }
    }
    if (!haveDigit) {
        return false;
    }
    if (negative) {
        number = -number;
    }
    value = static_cast<int>(std::clamp<long long>(number, INT_MIN, INT_MAX));
    return true;
}

} // namespace

bool ReadFieldValue(std::wstring_view key, std::wstring_view line, int& value) {
    return ReadDecimalAt(line, FieldStartAt(FindInLogLine(line, key), key.size(), line), value);
}

bool ReadFieldValueAt(std::wstring_view line, size_t keyPos, size_t keySize, int& value) {
    return ReadDecimalAt(line, FieldStartAt(keyPos, keySize, line), value);
}

bool ReadFieldValue(const CKeySearch& key, std::wstring_view line, int& value) {
    return ReadDecimalAt(line, FieldStartAt(key.Find(line), key.Key().size(), line), value);
}

CKeySearch::CKeySearch(std::wstring_view key) : m_strKey(key) {}

size_t CKeySearch::Find(std::wstring_view text) const {
    return FindInLogLine(text, std::wstring_view(m_strKey));
}

bool ReadFieldHex(std::wstring_view key, std::wstring_view line, int& value) {
    const size_t pos = FindInLogLine(line, key);
    if (pos == std::wstring_view::npos) {
        return false;
    }
    const std::optional<uint32_t> bits =
        ParseHex(HexFieldText(line, pos + key.size()), kHexPrinted);
    if (!bits) {
        return false;
    }
    value = static_cast<int>(*bits);
    return true;
}

bool ContainsNoCaseAscii(std::wstring_view text, std::wstring_view word) {
    if (word.empty()) {
        return true;
    }
    if (text.size() < word.size()) {
        return false;
    }
    const auto lower = [](wchar_t c) {
        return (static_cast<uint32_t>(c) - L'A' < 26u) ? static_cast<wchar_t>(c + 32) : c;
    };
    const wchar_t first = lower(word[0]);
    const size_t last = text.size() - word.size();
    const wchar_t* data = text.data();
    // Every data line is tested for its mark, so the first letter is found with a cheap test.
    for (size_t i = 0; i <= last; ++i) {
        if (lower(data[i]) != first) {
            continue;
        }
        size_t k = 1;
        while (k < word.size() && lower(data[i + k]) == lower(word[k])) {
            ++k;
        }
        if (k == word.size()) {
            return true;
        }
    }
    return false;
}

bool ReadPassMark(std::wstring_view line, int& flag) {
    const auto lower = [](wchar_t c) {
        return (static_cast<uint32_t>(c) - L'A' < 26u) ? static_cast<wchar_t>(c + 32) : c;
    };
    const wchar_t* data = line.data();
    const size_t n = line.size();
    const auto wordAt = [&](size_t start, const wchar_t* word) {
        for (size_t k = 0; k < 4; ++k) {
            if (lower(data[start + k]) != word[k]) {
                return false;
            }
        }
        return true;
    };
    if (n < 4) {
        return false;
    }
    // Both words have 'a' second, and data lines hold few: only the places of 'a' and 'A'
    // are tried. "pass" anywhere wins.
    bool sawFail = false;
    const size_t pass = FindEitherChar(data, 1, n - 2, L'a', L'A', [&](size_t at) {
        if (wordAt(at - 1, L"pass")) {
            return true;
        }
        if (!sawFail && wordAt(at - 1, L"fail")) {
            sawFail = true;
        }
        return false;
    });
    if (pass != std::wstring_view::npos) {
        flag = 1;
        return true;
    }
    if (sawFail) {
        flag = 0;
        return true;
    }
    return false;
}

} // namespace quillon
