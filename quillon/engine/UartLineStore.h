#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// The lines of a UART capture, assembled from received pieces as they come: a piece may end
// mid-line, hold several lines, be empty or start with a zero byte. Every line feed ends a
// line; a carriage return just before it is not part of the line. Lines are kept as the
// bytes received, packed into blocks of a mebibyte that are never moved once written, so a
// million lines cost little more than their bytes and adding one never copies the others.
class CUartLineStore {
public:
    /// Adds one received piece of any length.
    void Feed(std::string_view piece);
    /// Forgets every line and the pending text.
    void Clear();

    /// Completed lines (each ended by a line feed).
    [[nodiscard]] size_t LineCount() const { return m_lines.size(); }
    /// Line i without its line feed and without a carriage return before it.
    [[nodiscard]] std::string_view Line(size_t i) const;
    /// Bytes received after the last line feed.
    [[nodiscard]] std::string_view Pending() const;
    /// Lines a view shows: the completed ones, and the pending text when there is any.
    [[nodiscard]] size_t RowCount() const { return LineCount() + (Pending().empty() ? 0 : 1); }
    /// Row i of RowCount(): a completed line or the pending text.
    [[nodiscard]] std::string_view Row(size_t i) const;
    /// Bytes held for the lines and their bookkeeping.
    [[nodiscard]] size_t MemoryBytes() const;

    static constexpr size_t kBlockBytes = size_t(1) << 20;

private:
    struct SLineRef {
        uint32_t m_nBlock;
        uint32_t m_nOffset;
        uint32_t m_nLength;
    };
    /// Ends a line made of head and tail (either may be empty).
    void Commit(std::string_view head, std::string_view tail);

    std::vector<std::string> m_vecBlocks; ///< line bytes; a block never grows past its capacity
    std::deque<SLineRef> m_lines;
    std::string m_strPending;             ///< bytes after the last line feed
};

/// The text of received bytes as a user reads it: valid UTF-8 sequences decode as UTF-8,
/// every other byte as the Latin-1 character of its value, so no byte is dropped. A zero byte
/// is shown as the symbol for null, other control characters except tab as their symbols
/// (U+2400 + value), so nothing invisible hides in a line.
[[nodiscard]] std::u32string DecodeUartText(std::string_view bytes);

} // namespace quillon
