#pragma once

#include "LogRead.h"
#include "LogScanItf.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillon {

class CLogPageDDR;

/// The fields of one DDR data line.
struct SDdrDataLine {
    int m_nDxn = 0;
    int m_nSdllPhsDly = 0;
    int m_nDrvStg = 0;
    int m_nDqsStepDly = 0;
    int m_nPassFlag = 0;
    bool m_bMarked = false; ///< the line carries "pass" or "fail"
};

/// Reads dxn, sdll_phs_dly, drv_stg and dqs_step_dly (each 0 when it has no number) and the
/// pass mark of a data line.
[[nodiscard]] SDdrDataLine ReadDdrDataLine(std::wstring_view line);
/// The same for a line whose keys the line reader found at hits (dxn, drv_stg, sdll_phs_dly,
/// dqs_step_dly).
[[nodiscard]] SDdrDataLine ReadDdrDataLine(std::wstring_view line, const SKeyHits& hits);

/// True when line names one of the platforms a DDR scan log comes from (its banner line).
[[nodiscard]] bool IsPlatformLine(std::wstring_view line);
/// The data lines a complete log of ddrType holds (0: no check).
[[nodiscard]] size_t RequiredDdrDataLines(const std::wstring& ddrType);
/// Places one data line into page as the scanner does: registers its drv_stg, drops a line
/// without a pass or fail mark, logs a cell outside the page. lineNumber counts the log's data
/// lines from 0 (for the tool log only). With hits, the keys are not searched again.
void AddDdrDataLine(CLogPageDDR& page, std::wstring_view line, const SKeyHits* hits,
                    int lineNumber);

/// The four keys every DDR data line holds.
inline constexpr std::wstring_view kDdrKeyDxn = L"dxn";
inline constexpr std::wstring_view kDdrKeyDrvStg = L"drv_stg";
inline constexpr std::wstring_view kDdrKeySdllPhsDly = L"sdll_phs_dly";
inline constexpr std::wstring_view kDdrKeyDqsStepDly = L"dqs_step_dly";

/// The scanner of the lpDDR, lpDDR2 and DDR3 log types: every log becomes a CLogPageDDR.
class CLogScanDDR : public CLogScanItf {
public:
    CLogScanDDR() = default;

    /// Rebuilds the lane swap map, empties the drive-strength registry, validates the DDR1
    /// row set, reads every log (header, lines, line count, platform), asks the completeness
    /// question, then sorts and merges. Every problem goes through the prompt seam.
    bool Scan() override;

    /// The logs' header; "Unknown" until a log of this scan names it.
    [[nodiscard]] const std::wstring& GetProject() const { return m_strProject; }
    [[nodiscard]] const std::wstring& GetDdrType() const { return m_strDdrType; }
    [[nodiscard]] const std::wstring& GetDdrClock() const { return m_strDdrClock; }

protected:
    /// The data lines a log of the current DDR type needs (0: no check).
    [[nodiscard]] size_t RequiredDataLines() const;
    /// Adds the cells of the data lines to page.
    void AddDataLines(CLogPageDDR& page, const std::vector<std::wstring_view>& dataLines,
                      const std::vector<SKeyHits>& hits) const;

    std::wstring m_strProject = L"Unknown";
    std::wstring m_strDdrType = L"Unknown";
    std::wstring m_strDdrClock = L"Unknown";
};

} // namespace quillon
