#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Text rules shared by the KestinX log reader, the scan tables and the project
// configuration. Log text is held as bytes (one byte = one character); configuration
// texts are wide.

namespace sondex {

/// Cuts text at every separator, trims white space from each piece and drops empty pieces.
[[nodiscard]] std::vector<std::string_view> SplitTrimmed(std::string_view text, char separator);
[[nodiscard]] std::vector<std::wstring> SplitTrimmed(std::wstring_view text, wchar_t separator);
/// The same into a caller's vector (cleared first), to avoid an allocation per record line.
void SplitTrimmedInto(std::string_view text, char separator, std::vector<std::string_view>& out);

/// The record lines of a block text one by one: the text is cut at ',' into lines and each
/// line at tab into fields, every piece trimmed and empty pieces dropped (a line without
/// fields is no record line). Gives false when the text has no further record line.
class CRecordLineCursor {
public:
    explicit CRecordLineCursor(std::string_view text) : m_text(text) {}
    bool Next(std::vector<std::string_view>& fields);
    /// The next piece of text up to a ',' (untrimmed, possibly without fields); false when
    /// the text is used up. Next is NextLine followed by SplitRecordLine.
    bool NextLine(std::string_view& line);
    /// The trimmed, non-empty tab-separated fields of one line (fields cleared first).
    static void SplitRecordLine(std::string_view line, std::vector<std::string_view>& fields);

private:
    std::string_view m_text;
    size_t m_pos = 0;
    bool m_bDone = false;
};

/// A code or number of the configuration and of the log's first two header lines: the
/// text is upper-cased; behind a "0X" prefix it is hexadecimal, otherwise a signed
/// decimal number at its start (0 when there is none).
[[nodiscard]] int32_t ParseCodeNumber(std::wstring_view text);

/// Segment-number extraction of a MinPass key: every decimal digit met while exactly
/// `segment` underscores have been passed is taken out of the text into the number; when
/// the walk ends inside that segment, the last character kept (the underscore before the
/// number) is dropped as well.
struct SSegmentNumber {
    int32_t number = 0;
    std::wstring rest;
};
[[nodiscard]] SSegmentNumber ExtractSegmentNumber(std::wstring_view key, int segment);

} // namespace sondex
