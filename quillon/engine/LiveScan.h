#pragma once

#include "BestParam.h"
#include "LogPageDDR.h"

#include <cstdint>
#include <ctime>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

/// A moment as the live scan sees it: a steady millisecond count (for the quiet time) and the
/// local wall-clock time (for file names).
struct SLiveTime {
    int64_t m_nSteadyMs = 0;
    std::tm m_local{};
    int m_nMillisecond = 0;
};

/// How a live scan ended.
enum class ELiveScanEnd {
    Complete,    ///< the expected data lines arrived (or, for a kind with no count, the board fell
                 ///< quiet)
    Interrupted, ///< the port closed, the board printed a new banner or fell quiet too early
};

/// One scan the live view followed to its end.
struct SLiveScanResult {
    ELiveScanEnd m_end = ELiveScanEnd::Interrupted;
    std::unique_ptr<CLogPageDDR> m_pPage; ///< the page, named after the saved file
    size_t m_nDataLines = 0;
    size_t m_nRequiredLines = 0; ///< 0: the DDR type sets no count
    std::wstring m_strProject;
    std::wstring m_strDdrType;
    std::wstring m_strDdrClock;
    std::string m_strBoardSn; ///< as the board printed it; empty when it printed none
    // The analysis of the page, as a log tab's.
    bool m_bAnalysed = false;
    RateMap m_rates;
    std::vector<SBestParam> m_vecBest;
    int m_nRowPassNum = 0;
    int m_nDdrKind = -1;
    /// The file the scan's bytes were saved to; empty when they were not (m_strSaveError says why).
    std::filesystem::path m_savedPath;
    std::string m_strSaveError;
};

/// The page sizes a live page is made with (those of the log type's scan).
struct SLiveScanSizes {
    int m_nPageRows = 4;
    int m_nPageCols = 7;
    int m_nSubCols = 8;
    int m_nDrvStgRows = 5; ///< a ddr1 log always has 7, as in a scan from disk
};

/// Follows the bytes a board prints on its UART and turns each DDR scan in them into a log page
/// while it arrives, with the line reading of a log file: received bytes become lines, the
/// header (project, ddr type, ddr clk within 11 pieces) starts a scan, every data line is
/// placed into the page as the scanner places it. A scan ends when the data lines the DDR type
/// expects have arrived and the board prints a line that is no part of its table (its summary,
/// kept in the log), when the board
/// prints its next banner, when the port is quiet for the quiet time after data lines, or when
/// the port closes. The ended scan is analysed as a log tab is and its bytes, exactly as
/// received, are saved as a new file in the log folder: "<board SN>.Txt" or
/// "<YY-MM-DD-hh-mm-ss-mmm>.Txt" of the scan's start, "-N" added before an existing name; an
/// interrupted scan as "<name>-interrupted.log", which Analyse does not read.
class CLiveScan {
public:
    using Clock = std::function<SLiveTime()>;
    static constexpr int64_t kQuietMs = 5000;

    explicit CLiveScan(Clock clock);
    CLiveScan(const CLiveScan&) = delete;
    CLiveScan& operator=(const CLiveScan&) = delete;

    /// The folder ended scans are saved to; none are saved while it is empty.
    void SetFolder(const std::filesystem::path& folder) { m_folder = folder; }
    void SetSizes(const SLiveScanSizes& sizes) { m_sizes = sizes; }

    /// Received bytes, any length, split anywhere.
    void Feed(std::string_view bytes);
    /// Ends a scan whose port has been quiet for kQuietMs after data lines; call it now and then.
    void Tick();
    /// The port closed: a scan in progress ends here.
    void PortClosed();

    [[nodiscard]] bool InScan() const { return m_state != EState::Idle; }
    /// The page of the scan in progress; nullptr between scans.
    [[nodiscard]] const CLogPageDDR* Page() const { return m_pPage.get(); }
    /// Scans started so far (a new number means a new live page).
    [[nodiscard]] int ScanNumber() const { return m_nScanNumber; }
    /// Changes with every data line placed and every scan started or ended.
    [[nodiscard]] uint64_t Generation() const { return m_nGeneration; }
    [[nodiscard]] size_t DataLines() const { return m_nDataLines; }
    [[nodiscard]] size_t RequiredLines() const { return m_nRequired; }
    [[nodiscard]] const std::wstring& Project() const { return m_strProject; }
    [[nodiscard]] const std::wstring& DdrType() const { return m_strDdrType; }
    [[nodiscard]] const std::wstring& DdrClock() const { return m_strDdrClock; }
    /// Every scan followed to its end, oldest first.
    [[nodiscard]] const std::vector<SLiveScanResult>& Results() const { return m_vecResults; }

    /// The file name a scan is saved under before any "-N": the board's serial number made
    /// safe for a file name, else the time stamp; "-interrupted.log" instead of ".Txt" for an
    /// interrupted scan.
    [[nodiscard]] static std::string FileNameFor(const std::string& boardSn, const std::tm& local,
                                                 int millisecond, bool interrupted);

private:
    enum class EState { Idle, Scanning, Closing };
    struct SLine {
        std::string m_strRaw; ///< the bytes as received, line feed included
        bool m_bBlank = false;
        bool m_bPlatform = false;
        bool m_bHeader = false;   ///< holds project, ddr type or ddr clk
        bool m_bScanTalk = false; ///< a data line or a line naming a data-line key
    };

    void OnLine(std::string raw);
    void OnIdleLine(SLine line);
    /// Blank lines held back while a scan runs join it (a line other than a banner followed).
    void TakeHeldBlankLines();
    /// Adds a line's bytes to the scan and places its data lines into the page.
    void AddToScan(const std::string& raw);
    void StartScan(size_t first);
    /// Ends the scan as complete or interrupted by its state, or drops it when no data line came.
    void EndOrDropScan();
    void EndScan(ELiveScanEnd end);
    void SaveScan(SLiveScanResult& result) const;
    [[nodiscard]] SLine Describe(std::string raw);

    Clock m_clock;
    std::filesystem::path m_folder;
    SLiveScanSizes m_sizes;
    EState m_state = EState::Idle;
    std::string m_strPartial;   ///< received after the last line feed
    std::deque<SLine> m_window; ///< the latest lines while no scan runs (a header's span)
    int64_t m_nLastByteMs = 0;
    int m_nScanNumber = 0;
    uint64_t m_nGeneration = 0;
    // The scan in progress.
    std::unique_ptr<CLogPageDDR> m_pPage;
    std::string m_strBytes;
    size_t m_nPieces = 0;
    size_t m_nDataLines = 0;
    size_t m_nRequired = 0;
    std::wstring m_strProject;
    std::wstring m_strDdrType;
    std::wstring m_strDdrClock;
    std::string m_strBoardSn;
    std::vector<std::string> m_vecHeldBlank; ///< blank lines not yet known to be the scan's
    SLiveTime m_start;
    std::vector<SLiveScanResult> m_vecResults;
    // Buffers kept between lines.
    std::wstring m_strText;
    std::vector<std::wstring_view> m_vecPieces;
};

/// Writes bytes as a new file folder/name, never over an existing one: the bytes go to a
/// unique hidden temporary file first, which is flushed to disk and then linked under the
/// first free name of name, "stem-1.ext", "stem-2.ext", ...; a reader never sees half a file.
/// A missing folder is not created. Returns the path written, or an empty path with error set.
[[nodiscard]] std::filesystem::path WriteNewFile(const std::filesystem::path& folder,
                                                 const std::string& name, std::string_view bytes,
                                                 std::string& error);

} // namespace quillon
