#pragma once

#include "LogText.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// Reading scan logs: finding them in a directory, reading a log as lines, its header and
// the fields of a data line. Logs are single-byte text: each byte becomes one character of
// the same value, and a file is delivered in the pieces of the common log-text reader.

/// Collects the log files of directory: the entries whose names end in ".Txt" in any case,
/// in ascending order of their upper-cased names (then exact names); an entry that is a
/// directory is searched the same way instead. Appends full paths ("<dir>/<name>") to
/// files; true when files holds at least one path afterwards.
bool FindLogFiles(const std::wstring& directory, std::vector<std::wstring>& files);

/// Splits a log into data lines (pieces containing every keyword, case-sensitive) and other
/// lines, each with its LF when it has one. Shows "open file %s failed !" when the file
/// cannot be read, and the line-ending message when no piece holds an LF (empty file
/// included). True when the file was read, had an LF and at least one data line was found.
bool SplitLogLines(const std::wstring& path, std::wstring_view key1, std::wstring_view key2,
                   std::wstring_view key3, std::wstring_view key4,
                   std::vector<std::wstring>& dataLines, std::vector<std::wstring>& otherLines);

/// Where the four keywords of a data line were found (first occurrences, in keyword order).
struct SKeyHits {
    size_t m_nPos[4];
};

/// Pieces of the header the header reader looks at.
inline constexpr size_t kLogHeaderPieces = 11;

/// The line reader without copies: as SplitLogLines, with the lines as views into text, which
/// the caller keeps while it uses them. Same results and messages. With hits, the keyword
/// positions of every data line are appended too, so a parser need not search them again.
bool SplitLogLineViews(const std::wstring& path, std::wstring_view key1, std::wstring_view key2,
                       std::wstring_view key3, std::wstring_view key4, std::wstring& text,
                       std::vector<std::wstring_view>& dataLines,
                       std::vector<std::wstring_view>& otherLines,
                       std::vector<SKeyHits>* hits = nullptr);

/// SplitLogLineViews on the pieces of path already read (ReadLogPieces), for a scanner that
/// looks at a log before it splits it: the same split, messages and result, without reading
/// the file again.
bool SplitLogPieceViews(const std::wstring& path, const std::vector<std::wstring_view>& pieces,
                        std::wstring_view key1, std::wstring_view key2, std::wstring_view key3,
                        std::wstring_view key4, std::vector<std::wstring_view>& dataLines,
                        std::vector<std::wstring_view>& otherLines,
                        std::vector<SKeyHits>* hits = nullptr);

/// Reads "project", "ddr type" and "ddr clk" from the first 11 lines; values not found keep
/// what they held. Shows "open file %s failed !" and returns false only when the file
/// cannot be read.
bool ReadLogHeader(const std::wstring& path, std::wstring& project, std::wstring& ddrType,
                   std::wstring& ddrClock);

/// The text after the last '/' of path; false (name unchanged) when path holds no '/'.
bool GetFileNameOfPath(const std::wstring& path, std::wstring& name);

/// Decimal field reader: the value after the first occurrence of key (one separator
/// character skipped) up to the next ',' or LF, with every character other than '-' and
/// '0'-'9' removed, read as a signed decimal number. value changes only when a number was
/// read (true); numbers beyond 32 bits are held at the nearest 32-bit limit.
bool ReadFieldValue(std::wstring_view key, std::wstring_view line, int& value);

/// A key searched for in many lines (first occurrence, case-sensitive), as ReadFieldValue
/// searches it.
class CKeySearch {
public:
    explicit CKeySearch(std::wstring_view key);
    /// Position of the first occurrence of the key in text, or npos.
    [[nodiscard]] size_t Find(std::wstring_view text) const;
    [[nodiscard]] std::wstring_view Key() const { return m_strKey; }

private:
    std::wstring m_strKey;
};

/// The data-line test of the line reader: a piece is a data line when it contains every one
/// of four keywords (case-sensitive). Shared by the file reader and the UART live scan.
class CDataLineKeys {
public:
    CDataLineKeys(std::wstring_view key1, std::wstring_view key2, std::wstring_view key3,
                  std::wstring_view key4);
    /// True when piece holds all four keys; hits then holds where each was found.
    [[nodiscard]] bool Match(std::wstring_view piece, SKeyHits& hits) const;

private:
    CKeySearch m_key1;
    CKeySearch m_key2;
    CKeySearch m_key3;
    CKeySearch m_key4;
};

/// What the header reader takes from one of the first kLogHeaderPieces pieces: "project",
/// "ddr type" and "ddr clk", each value kept only when the piece holds its word.
void ReadHeaderPiece(std::wstring_view piece, std::wstring& project, std::wstring& ddrType,
                     std::wstring& ddrClock);

/// Log bytes held in memory (as a file would hold them) cut into the pieces the line reader
/// delivers: CR LF turned into LF, then cut after every LF and after 511 characters. The
/// pieces are views into text.
void LogBytesToPieces(std::string_view bytes, std::wstring& text,
                      std::vector<std::wstring_view>& pieces);

/// ReadFieldValue for a key already found at keyPos (npos: not found) with keySize characters.
bool ReadFieldValueAt(std::wstring_view line, size_t keyPos, size_t keySize, int& value);

/// ReadFieldValue with a prepared key.
bool ReadFieldValue(const CKeySearch& key, std::wstring_view line, int& value);

/// Hexadecimal field reader: the value text after key (one separator skipped) up to the
/// next ':', blank, LF or ','; it must read as "0x" followed by hexadecimal digits. value
/// changes only when a number was read (true); values beyond 32 bits are held at 0xFFFFFFFF.
bool ReadFieldHex(std::wstring_view key, std::wstring_view line, int& value);

/// Pass mark of a data line, without regard to case: "pass" anywhere gives 1, otherwise
/// "fail" gives 0; false (flag unchanged) when the line holds neither word.
bool ReadPassMark(std::wstring_view line, int& flag);

/// True when text contains word, comparing ASCII letters without regard to case.
[[nodiscard]] bool ContainsNoCaseAscii(std::wstring_view text, std::wstring_view word);

/// The pieces of a log as the line reader delivers them: CR LF turned into LF, then cut
/// after every LF and after 511 characters. Used by the readers above and by benchmarks.
/// Returns false when the file cannot be read.
bool ReadLogPieces(const std::wstring& path, std::wstring& text,
                   std::vector<std::wstring_view>& pieces);

} // namespace quillon
