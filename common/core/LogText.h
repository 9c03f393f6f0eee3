#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Scan logs as text: finding them in a folder and reading a log the way a text-mode line
// read of a 512-character buffer delivers it. A CR directly followed by LF is read as LF (a
// lone CR stays), and every line arrives in pieces of at most kLogPieceChars characters, each
// piece handled as a line of its own. Log text is single-byte: one byte is one character.

/// Longest piece a log line is delivered in (a 512-character read buffer with its terminator).
inline constexpr size_t kLogPieceChars = 511;

/// The log files under folder, relative to it: entries whose names end in ".txt" in any case,
/// in ascending order of their upper-cased names (then exact names); an entry so named that
/// is a directory is searched the same way in its place. A folder reached a second time (a
/// link back up the tree) is not searched again. Empty when folder cannot be listed.
[[nodiscard]] std::vector<std::filesystem::path>
FindLogFilesUnder(const std::filesystem::path& folder);

/// FindLogFilesUnder with folder put in front of every path.
[[nodiscard]] std::vector<std::filesystem::path> FindLogFiles(const std::filesystem::path& folder);

/// Cuts a log's bytes, fed in chunks of any size, into its pieces. A piece ends after an LF or
/// after kLogPieceChars characters, whichever comes first.
class CLogPieceCutter {
public:
    /// Feeds the next bytes of the file. The chunk is changed in place (the LF of a CR LF is
    /// written over its CR) so that most pieces are views into it. Calls onPiece(piece) for
    /// every complete piece, a string_view valid during the call; stops and returns false as
    /// soon as onPiece returns false.
    template <class OnPiece> bool Feed(char* chunk, size_t size, OnPiece&& onPiece);
    /// End of the bytes: the unfinished last piece, if any. The cutter is then ready for
    /// another file.
    template <class OnPiece> bool Finish(OnPiece&& onPiece);
    /// Forgets what is held (a file that was not read to its end).
    void Reset() {
        m_strCarry.clear();
        m_bPendingCr = false;
    }

private:
    /// text holds at most one LF, at its end.
    template <class OnPiece> bool FeedLine(std::string_view text, OnPiece& onPiece);

    std::string m_strCarry;    ///< start of a piece whose end has not been fed yet
    bool m_bPendingCr = false; ///< a chunk ended in CR: the next byte tells whether it stays
};

/// How CutLogStream ended.
enum class ELogStreamEnd {
    kRead,    ///< read to its end, every piece delivered
    kStopped, ///< onPiece asked to stop
    kFailed,  ///< the stream reported a read error (the pieces before it were delivered)
};

/// Reads in to its end and delivers its pieces to onPiece. The read buffer is no larger than
/// sizeHint (the file's size, so a small log costs no large block) nor than 256 KiB, so a
/// huge log costs no more memory than its consumer keeps.
template <class OnPiece>
ELogStreamEnd CutLogStream(std::istream& in, uint64_t sizeHint, OnPiece&& onPiece);

// ---- implementation of the templates: the scans call them once per log line ----

template <class OnPiece> bool CLogPieceCutter::FeedLine(std::string_view text, OnPiece& onPiece) {
    while (!text.empty()) {
        const size_t room = kLogPieceChars - m_strCarry.size();
        const bool lineEnds = text.back() == '\n' && text.size() <= room;
        if (!lineEnds && text.size() < room) {
            m_strCarry.append(text);
            return true;
        }
        const size_t take = lineEnds ? text.size() : room;
        bool go = true;
        if (m_strCarry.empty()) {
            go = onPiece(text.substr(0, take));
        } else {
            m_strCarry.append(text.substr(0, take));
            go = onPiece(std::string_view(m_strCarry));
            m_strCarry.clear();
        }
        if (!go) {
            return false;
        }
        text.remove_prefix(take);
    }
    return true;
}

template <class OnPiece> bool CLogPieceCutter::Feed(char* chunk, size_t size, OnPiece&& onPiece) {
    if (size == 0) {
        return true;
    }
    size_t i = 0;
    if (m_bPendingCr) {
        m_bPendingCr = false;
        if (chunk[0] != '\n' && !FeedLine(std::string_view("\r", 1), onPiece)) {
            return false;
        }
    }
    while (i < size) {
        const void* lf = std::memchr(chunk + i, '\n', size - i);
        if (lf == nullptr) {
            size_t end = size;
            if (chunk[end - 1] == '\r') {
                m_bPendingCr = true; // the next chunk tells whether an LF follows
                --end;
            }
            return end <= i || FeedLine(std::string_view(chunk + i, end - i), onPiece);
        }
        // Only a CR right before the LF is dropped; the LF is written over it so the line
        // stays in place in the chunk.
        const auto at = static_cast<size_t>(static_cast<const char*>(lf) - chunk);
        size_t last = at;
        if (at > i && chunk[at - 1] == '\r') {
            chunk[at - 1] = '\n';
            last = at - 1;
        }
        if (!FeedLine(std::string_view(chunk + i, last - i + 1), onPiece)) {
            return false;
        }
        i = at + 1;
    }
    return true;
}

template <class OnPiece> bool CLogPieceCutter::Finish(OnPiece&& onPiece) {
    if (m_bPendingCr) {
        m_strCarry.push_back('\r'); // the carry is shorter than a piece, so the CR still fits
        m_bPendingCr = false;
    }
    bool go = true;
    if (!m_strCarry.empty()) {
        go = onPiece(std::string_view(m_strCarry));
    }
    m_strCarry.clear();
    return go;
}

template <class OnPiece>
ELogStreamEnd CutLogStream(std::istream& in, uint64_t sizeHint, OnPiece&& onPiece) {
    constexpr uint64_t kChunkBytes = uint64_t(1) << 18;
    const auto chunkSize = static_cast<size_t>(std::clamp<uint64_t>(sizeHint, 1, kChunkBytes));
    // Written by the read before it is looked at, so it is not zeroed.
    const auto buffer = std::make_unique_for_overwrite<char[]>(chunkSize);
    CLogPieceCutter cutter;
    while (in) {
        in.read(buffer.get(), static_cast<std::streamsize>(chunkSize));
        const auto got = static_cast<size_t>(in.gcount());
        if (got == 0) {
            break;
        }
        if (!cutter.Feed(buffer.get(), got, onPiece)) {
            return ELogStreamEnd::kStopped;
        }
    }
    // The text read before an error is still delivered, as a line read would have.
    const bool failed = in.bad();
    if (!cutter.Finish(onPiece)) {
        return ELogStreamEnd::kStopped;
    }
    return failed ? ELogStreamEnd::kFailed : ELogStreamEnd::kRead;
}

/// The value text of a "NAME=0x.." field of a log line whose name ends at nameEnd: one
/// separator character is skipped, whatever it is; the text runs to the first ':', blank, LF,
/// ',' or the end of the line. Empty when nothing follows the separator.
template <class Ch>
[[nodiscard]] std::basic_string_view<Ch> HexFieldText(std::basic_string_view<Ch> line,
                                                      size_t nameEnd) {
    const size_t begin = nameEnd + 1;
    if (begin > line.size()) {
        return {};
    }
    size_t end = begin;
    while (end < line.size()) {
        const Ch c = line[end];
        if (c == Ch(':') || c == Ch(' ') || c == Ch('\n') || c == Ch(',')) {
            break;
        }
        ++end;
    }
    return line.substr(begin, end - begin);
}

/// First occurrence of key in a log line (case-sensitive), or npos. The scans search a few
/// keys in each of up to a million short lines, so the search runs inline, a register's width
/// of starts at a time tested on the key's first and last characters together, so that nearly
/// only real matches reach the full comparison, with no library call per line.
template <class Ch>
[[nodiscard]] inline size_t FindInLogLine(std::basic_string_view<Ch> line,
                                          std::basic_string_view<Ch> key) {
    const size_t m = key.size();
    const size_t n = line.size();
    if (m == 0) {
        return 0;
    }
    if (n < m) {
        return std::basic_string_view<Ch>::npos;
    }
    const Ch* const data = line.data();
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
    if constexpr (sizeof(Ch) == 1 || sizeof(Ch) == 4) {
        constexpr size_t kLanes = 16 / sizeof(Ch);
        const auto equalAt = [](__m128i a, __m128i b, __m128i x, __m128i y) -> unsigned {
            if constexpr (sizeof(Ch) == 1) {
                return static_cast<unsigned>(
                    _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, x), _mm_cmpeq_epi8(b, y))));
            } else {
                return static_cast<unsigned>(_mm_movemask_ps(
                    _mm_castsi128_ps(_mm_and_si128(_mm_cmpeq_epi32(a, x), _mm_cmpeq_epi32(b, y)))));
            }
        };
        __m128i first;
        __m128i lastChar;
        if constexpr (sizeof(Ch) == 1) {
            first = _mm_set1_epi8(static_cast<char>(key[0]));
            lastChar = _mm_set1_epi8(static_cast<char>(key[m - 1]));
        } else {
            first = _mm_set1_epi32(static_cast<int>(key[0]));
            lastChar = _mm_set1_epi32(static_cast<int>(key[m - 1]));
        }
        for (; i + kLanes - 1 <= last; i += kLanes) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + m - 1));
            unsigned mask = equalAt(a, b, first, lastChar);
            while (mask != 0) {
                const size_t start = i + static_cast<size_t>(__builtin_ctz(mask));
                if (matchesAt(start)) {
                    return start;
                }
                mask &= mask - 1;
            }
        }
    }
#endif
    for (; i <= last; ++i) {
        if (data[i] == key[0] && data[i + m - 1] == key[m - 1] && matchesAt(i)) {
            return i;
        }
    }
    return std::basic_string_view<Ch>::npos;
}
