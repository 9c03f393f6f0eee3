#pragma once

#include "OrloPageList.h"
#include "LogScanItf.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The Orlo log format. A log carries the scan tool's signature ("DDR", "SCAN", "TOOL" and
// "VER1.0" in one of its first 10 pieces) and one data line per tested setting, e.g.
//   clkwr=7, dqs_drv=2, data_drv=1, ctl=3, clk_drv=0 pass :))))))

namespace orlo {

/// Pieces the header check looks at, and their length.
inline constexpr size_t kOrloHeaderPieces = 10;
inline constexpr size_t kOrloHeaderPieceChars = 511;
/// Data lines are read in pieces of up to 1023 characters.
inline constexpr size_t kOrloLinePieceChars = 1023;

/// The marker that ends the text holding a data line's pass mark.
inline constexpr std::wstring_view kOrloPassMarker = L":))))))";

/// True when one of the first 10 pieces of the file holds the four signature words. Shows
/// "open file %s failed !" when the file cannot be read.
[[nodiscard]] bool CheckOrloHeader(const std::wstring& path);

/// The Orlo line reader: the pieces (up to 1023 characters) holding all five item names,
/// each with its LF when it has one. Shows "open file %s failed !" when the file cannot be
/// read and the line-ending message when no piece holds an LF (an empty file included). True
/// when at least one data line was found.
bool ReadOrloDataLines(const std::wstring& path, std::vector<std::wstring>& dataLines);

/// The pass mark of a data line: the text before the first ":))))))", without regard to
/// case, holding "pass" (1) or else "fail" (0). False when there is no marker or no word.
bool ReadOrloPassMark(std::wstring_view line, int& pass);

/// Temperature class of a page by its name: low when the name occurs in a path of the low
/// list, else high when it occurs in one of the high list, else normal.
[[nodiscard]] int GetOrloTemperatureClass(const std::wstring& name,
                                          const std::vector<std::wstring>& lowList,
                                          const std::vector<std::wstring>& highList);

/// The Orlo scanner: one page per accepted log, the merged page over all of them.
class CLogScanOrlo : public CLogScanItf {
public:
    CLogScanOrlo() = default;
    ~CLogScanOrlo() override = default;

    bool Scan() override;

    /// The result of a successful scan, handed over to the caller (null otherwise).
    [[nodiscard]] std::unique_ptr<OrloPageList> TakeResult() { return std::move(m_pResult); }
    [[nodiscard]] const OrloPageList* Result() const { return m_pResult.get(); }

private:
    // Reads one signed log into page; false abandons the scan.
    bool ReadPage(const std::wstring& path, std::string_view bytes, CLogPageOrlo& page);

    std::unique_ptr<OrloPageList> m_pResult;
};

} // namespace orlo
