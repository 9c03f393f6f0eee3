#include "LogRead.h"

#include "FileUtil.h"
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
#include <cwctype>
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

// Bytes become characters of the same value; a CR directly followed by LF is dropped, as a
// text-mode read delivers CR LF as LF (a lone CR stays). The text is then cut into the pieces
// a line read of 511 characters delivers: each ends after an LF or after 511 characters,
// whichever comes first; at most maxPieces pieces. One pass, line by line: line ends are
// found in the bytes and every line is widened in one plain copy.
void BytesToLogPieces(std::string_view bytes, std::wstring& text,
                      std::vector<std::wstring_view>& pieces, size_t maxPieces = SIZE_MAX) {
    pieces.clear();
    // Sized once for the whole file (never grown below, so the pieces' views stay valid);
    // a buffer kept from a log of the same size is not cleared first, as all of it that is
    // kept is written again.
    if (text.size() < bytes.size()) {
        text.resize(bytes.size());
    }
    wchar_t* const base = text.data();
    wchar_t* out = base;
    const char* const data = bytes.data();
    const size_t n = bytes.size();
    size_t pos = 0;
    while (pos < n && pieces.size() < maxPieces) {
        const void* found = std::memchr(data + pos, '\n', n - pos);
        const size_t lf =
            found != nullptr ? static_cast<size_t>(static_cast<const char*>(found) - data) : n;
        // The line's characters without its LF, and without the CR right before it.
        size_t stop = lf;
        if (lf < n && stop > pos && data[stop - 1] == '\r') {
            --stop;
        }
        wchar_t* const lineStart = out;
        WidenBytes(reinterpret_cast<const unsigned char*>(data + pos), stop - pos, out);
        out += stop - pos;
        if (lf < n) {
            *out++ = L'\n';
        }
        // Lines longer than a piece come in several pieces.
        wchar_t* piece = lineStart;
        while (piece < out && pieces.size() < maxPieces) {
            const size_t length = std::min(static_cast<size_t>(out - piece), kLogPieceChars);
            pieces.emplace_back(piece, length);
            piece += length;
        }
        pos = lf < n ? lf + 1 : n;
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

// First occurrence of key in line. Data lines are short and searched by the hundred
// thousand: four starts are tested at a time on the key's first and last characters
// together, so that nearly only real matches reach the full comparison, with no library call
// per candidate.
size_t FindKey(std::wstring_view line, std::wstring_view key) {
    const size_t m = key.size();
    const size_t n = line.size();
    if (m == 0) {
        return 0;
    }
    if (n < m) {
        return std::wstring_view::npos;
    }
    const wchar_t* data = line.data();
    const size_t last = n - m; // the last start at which the key fits
    const auto matchesAt = [&](size_t start) {
        for (size_t k = 1; k + 1 < m; ++k) {
            if (data[start + k] != key[k]) {
                return false;
            }
        }
        return true;
    };
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi32(static_cast<int>(key[0]));
    const __m128i lastChar = _mm_set1_epi32(static_cast<int>(key[m - 1]));
    for (; i + 3 <= last; i += 4) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + m - 1));
        unsigned mask = static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(
            _mm_and_si128(_mm_cmpeq_epi32(a, first), _mm_cmpeq_epi32(b, lastChar)))));
        while (mask != 0) {
            const size_t start = i + static_cast<size_t>(__builtin_ctz(mask));
            if (matchesAt(start)) {
                return start;
            }
            mask &= mask - 1;
        }
    }
#endif
    for (; i <= last; ++i) {
        if (data[i] == key[0] && data[i + m - 1] == key[m - 1] && matchesAt(i)) {
            return i;
        }
    }
    return std::wstring_view::npos;
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
        BytesToLogPieces(bytes, text, pieces);
    } catch (const std::bad_alloc&) {
        text.clear();
        text.shrink_to_fit();
        pieces.clear();
        return false;
    }
    return true;
}

namespace {

// One directory level of the search; visited holds the canonical paths of the directories
// entered so far, so a link back to a parent ("loop.txt" -> "..") cannot recurse forever.
void FindLogFilesIn(const std::wstring& directory, std::vector<std::wstring>& files,
                    std::vector<fs::path>& visited) {
    {
        std::error_code canonEc;
        const fs::path canonical = fs::canonical(WideToPath(directory), canonEc);
        if (!canonEc) {
            if (std::find(visited.begin(), visited.end(), canonical) != visited.end()) {
                return;
            }
            visited.push_back(canonical);
        }
    }
    struct SEntry {
        std::wstring strUpper;
        std::wstring strName;
        bool bDirectory;
    };
    std::vector<SEntry> entries;
    std::error_code ec;
    fs::directory_iterator it(WideToPath(directory), ec);
    const fs::directory_iterator end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::wstring name = PathToWide(it->path().filename());
        // Only names matching "*.Txt" (any case) are listed, directories included.
        if (name.size() < 4 ||
            !EqualsNoCase(std::wstring_view(name).substr(name.size() - 4), L".Txt")) {
            continue;
        }
        std::error_code typeEc;
        const bool isDir = it->is_directory(typeEc);
        entries.push_back({ToUpperAscii(name), name, isDir});
    }
    // The order the platform lists a directory in, independent of the file system.
    std::sort(entries.begin(), entries.end(), [](const SEntry& a, const SEntry& b) {
        if (a.strUpper != b.strUpper) {
            return a.strUpper < b.strUpper;
        }
        return a.strName < b.strName;
    });
    std::wstring prefix = directory;
    if (prefix.empty() || prefix.back() != L'/') {
        prefix += L'/';
    }
    for (const SEntry& entry : entries) {
        const std::wstring full = prefix + entry.strName;
        if (entry.bDirectory) {
            FindLogFilesIn(full, files, visited);
        } else {
            files.push_back(full);
        }
    }
}

} // namespace

bool FindLogFiles(const std::wstring& directory, std::vector<std::wstring>& files) {
    std::vector<fs::path> visited;
    FindLogFilesIn(directory, files, visited);
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
    BytesToLogPieces(bytes, text, pieces, kHeaderPieces);
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
    BytesToLogPieces(bytes, text, pieces);
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
    return ReadDecimalAt(line, FieldStartAt(FindKey(line, key), key.size(), line), value);
}

bool ReadFieldValueAt(std::wstring_view line, size_t keyPos, size_t keySize, int& value) {
    return ReadDecimalAt(line, FieldStartAt(keyPos, keySize, line), value);
}

bool ReadFieldValue(const CKeySearch& key, std::wstring_view line, int& value) {
    return ReadDecimalAt(line, FieldStartAt(key.Find(line), key.Key().size(), line), value);
}

CKeySearch::CKeySearch(std::wstring_view key) : m_strKey(key) {}

size_t CKeySearch::Find(std::wstring_view text) const {
    return FindKey(text, m_strKey);
}

bool ReadFieldHex(std::wstring_view key, std::wstring_view line, int& value) {
    const size_t start = FieldStartAt(FindKey(line, key), key.size(), line);
    if (start == std::wstring_view::npos) {
        return false;
    }
    size_t end = start;
    while (end < line.size() && line[end] != L':' && line[end] != L' ' && line[end] != L'\n' &&
           line[end] != L',') {
        ++end;
    }
    const std::wstring_view text = line.substr(start, end - start);
    if (text.size() < 2 || text[0] != L'0' || text[1] != L'x') {
        return false;
    }
    // After the literal "0x" the number reads like "%X": an optional sign, an optional second
    // "0x" / "0X", then hexadecimal digits; a negative number wraps to 32 bits.
    size_t i = 2;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    }
    if (i + 2 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X') &&
        std::iswxdigit(text[i + 2])) {
        i += 2;
    }
    unsigned long long number = 0;
    size_t digits = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        unsigned d;
        if (c >= L'0' && c <= L'9') {
            d = static_cast<unsigned>(c - L'0');
        } else if (c >= L'a' && c <= L'f') {
            d = static_cast<unsigned>(c - L'a' + 10);
        } else if (c >= L'A' && c <= L'F') {
            d = static_cast<unsigned>(c - L'A' + 10);
        } else {
            break;
        }
        ++digits;
        number = std::min<unsigned long long>(number * 16 + d, 0xFFFFFFFFull + 1);
    }
    if (digits == 0) {
        return false;
    }
    auto word = static_cast<uint32_t>(std::min<unsigned long long>(number, 0xFFFFFFFFull));
    if (negative) {
        word = 0u - word;
    }
    value = static_cast<int>(word);
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
