#include "LiveScan.h"

#include "CaptureFile.h"
#include "DrvStgRegistry.h"
#include "LaneSwapMap.h"
#include "LogRead.h"
#include "LogScanDDR.h"
#include "ScanSnapshot.h"
#include "TextUtil.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillon {

namespace {

const CDataLineKeys& DdrKeys() {
    static const CDataLineKeys keys(kDdrKeyDxn, kDdrKeyDrvStg, kDdrKeySdllPhsDly,
                                    kDdrKeyDqsStepDly);
    return keys;
}

bool IsBlank(std::string_view raw) {
    return raw.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Section lines of a scan ("---- drv_stg 40ohm ----") name the keys of its data lines.
bool MentionsDdrKey(std::wstring_view piece) {
    for (const std::wstring_view key :
         {kDdrKeyDxn, kDdrKeyDrvStg, kDdrKeySdllPhsDly, kDdrKeyDqsStepDly}) {
        if (piece.find(key) != std::wstring_view::npos) {
            return true;
        }
    }
    return false;
}

bool HasHeaderWord(std::wstring_view piece) {
    return piece.find(L"project") != std::wstring_view::npos ||
           piece.find(L"ddr type") != std::wstring_view::npos ||
           piece.find(L"ddr clk") != std::wstring_view::npos;
}

// The serial number a board prints as "board SN: <sn>"; empty when raw holds none.
std::string BoardSnOf(std::string_view raw) {
    constexpr std::string_view kTag = "board SN:";
    const size_t at = raw.find(kTag);
    if (at == std::string_view::npos) {
        return {};
    }
    std::string_view value = raw.substr(at + kTag.size());
    const size_t first = value.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    value.remove_prefix(first);
    const size_t last = value.find_last_not_of(" \t\r\n");
    return std::string(value.substr(0, last + 1));
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(size_t(written));
    }
    return true;
}

std::string Reason(const std::string& what, const std::filesystem::path& path, int error) {
    return what + " " + path.string() + ": " + std::strerror(error);
}

} // namespace

std::filesystem::path WriteNewFile(const std::filesystem::path& folder, const std::string& name,
                                   std::string_view bytes, std::string& error) {
    error.clear();
    // The folder is the user's log directory: a mistyped one is reported, not created.
    const size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);

    // A hidden temporary name that no "*.Txt" search lists.
    std::string temp = (folder / ("." + name + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = Reason("Cannot create a file in", folder, errno);
        return {};
    }
    // A log file like any other the user makes (mkstemp makes it private).
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const bool written = ::fchmod(fd, 0666 & ~mask) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeErrno = errno;
    ::close(fd);
    if (!written) {
        ::unlink(temp.c_str());
        error = Reason("Cannot write", temp, writeErrno);
        return {};
    }
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::filesystem::path target =
            folder / (attempt == 0 ? name : stem + "-" + std::to_string(attempt) + ext);
        // A link is made only under a free name: an existing file is never replaced.
        if (::link(temp.c_str(), target.c_str()) == 0) {
            ::unlink(temp.c_str());
            return target;
        }
        if (errno != EEXIST) {
            error = Reason("Cannot create", target, errno);
            ::unlink(temp.c_str());
            return {};
        }
    }
    ::unlink(temp.c_str());
    error = Reason("Cannot create", folder / name, EEXIST);
    return {};
}

CLiveScan::CLiveScan(Clock clock) : m_clock(std::move(clock)) {}

std::string CLiveScan::FileNameFor(const std::string& boardSn, const std::tm& local,
                                   int millisecond, bool interrupted) {
    std::string base;
    for (const char c : boardSn) {
        const bool safe = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                          (c >= 'a' && c <= 'z') || c == '-' || c == '_' || c == '.';
        base += safe ? c : '_';
    }
    // No hidden file, no "." or "..", no name longer than a file system takes.
    base.erase(0, base.find_first_not_of('.'));
    if (base.size() > 100) {
        base.resize(100);
    }
    if (base.empty()) {
        const std::string stamp = CaptureFileName(local, millisecond);
        base = stamp.substr(0, stamp.rfind('.'));
    }
    return base + (interrupted ? "-interrupted.log" : ".Txt");
}

void CLiveScan::Feed(std::string_view bytes) {
    if (bytes.empty()) {
        return;
    }
    m_nLastByteMs = m_clock().m_nSteadyMs;
    while (!bytes.empty()) {
        const size_t lf = bytes.find('\n');
        if (lf == std::string_view::npos) {
            m_strPartial.append(bytes);
            return;
        }
        std::string raw = std::move(m_strPartial);
        m_strPartial.clear();
        raw.append(bytes.substr(0, lf + 1));
        bytes.remove_prefix(lf + 1);
        OnLine(std::move(raw));
    }
}

void CLiveScan::Tick() {
    if (m_state == EState::Idle || m_nDataLines == 0 ||
        m_clock().m_nSteadyMs - m_nLastByteMs < kQuietMs) {
        return;
    }
    TakeHeldBlankLines();
    if (!m_strPartial.empty()) {
        AddToScan(m_strPartial);
        m_strPartial.clear();
    }
    EndScan(m_state == EState::Closing || m_nRequired == 0 ? ELiveScanEnd::Complete
                                                           : ELiveScanEnd::Interrupted);
}

void CLiveScan::EndOrDropScan() {
    if (m_nDataLines == 0) {
        // A header and nothing else: no page worth keeping.
        m_pPage.reset();
        m_state = EState::Idle;
        ++m_nGeneration;
        return;
    }
    EndScan(m_state == EState::Closing ? ELiveScanEnd::Complete : ELiveScanEnd::Interrupted);
}

void CLiveScan::PortClosed() {
    if (m_state != EState::Idle) {
        TakeHeldBlankLines();
        if (!m_strPartial.empty()) {
            AddToScan(m_strPartial);
        }
        EndOrDropScan();
    }
    m_strPartial.clear();
    m_window.clear();
}

CLiveScan::SLine CLiveScan::Describe(std::string raw) {
    SLine line;
    line.m_bBlank = IsBlank(raw);
    LogBytesToPieces(raw, m_strText, m_vecPieces);
    SKeyHits hits{};
    for (const std::wstring_view piece : m_vecPieces) {
        if (DdrKeys().Match(piece, hits)) {
            line.m_bScanTalk = true;
            continue;
        }
        line.m_bScanTalk = line.m_bScanTalk || MentionsDdrKey(piece);
        line.m_bPlatform = line.m_bPlatform || IsPlatformLine(piece);
        line.m_bHeader = line.m_bHeader || HasHeaderWord(piece);
    }
    line.m_strRaw = std::move(raw);
    return line;
}

void CLiveScan::OnLine(std::string raw) {
    if (m_state == EState::Idle) {
        OnIdleLine(Describe(std::move(raw)));
        return;
    }
    SLine line = Describe(std::move(raw));
    if (line.m_bBlank) {
        // Blank lines belong to what follows them: the next banner's log, or this scan.
        m_vecHeldBlank.push_back(std::move(line.m_strRaw));
        return;
    }
    if (line.m_bPlatform) {
        // The board's next banner: this scan is over, and the banner may start the next one.
        EndOrDropScan();
        std::vector<std::string> blanks;
        blanks.swap(m_vecHeldBlank);
        for (std::string& blank : blanks) {
            OnIdleLine(Describe(std::move(blank)));
        }
        OnIdleLine(std::move(line));
        return;
    }
    TakeHeldBlankLines();
    AddToScan(line.m_strRaw);
    if (m_state == EState::Closing && !line.m_bScanTalk) {
        // Once the expected data lines are in, the first line that is no part of the scan's
        // table (the board's summary) closes it; a board printing more lines than its kind
        // needs keeps them in the log.
        EndScan(ELiveScanEnd::Complete);
        return;
    }
    if (m_state == EState::Scanning && m_nRequired > 0 && m_nDataLines >= m_nRequired) {
        m_state = EState::Closing;
    }
}

void CLiveScan::TakeHeldBlankLines() {
    for (const std::string& blank : m_vecHeldBlank) {
        AddToScan(blank);
    }
    m_vecHeldBlank.clear();
}

void CLiveScan::OnIdleLine(SLine line) {
    m_window.push_back(std::move(line));
    while (m_window.size() > kLogHeaderPieces) {
        m_window.pop_front();
    }
    if (!m_window.back().m_bHeader) {
        return;
    }
    std::wstring project;
    std::wstring ddrType;
    std::wstring ddrClock;
    size_t first = m_window.size();
    for (size_t i = 0; i < m_window.size(); ++i) {
        if (!m_window[i].m_bHeader) {
            continue;
        }
        first = std::min(first, i);
        LogBytesToPieces(m_window[i].m_strRaw, m_strText, m_vecPieces);
        for (const std::wstring_view piece : m_vecPieces) {
            ReadHeaderPiece(piece, project, ddrType, ddrClock);
        }
    }
    if (project.empty() || ddrType.empty() || ddrClock.empty()) {
        return;
    }
    // The scan starts at the banner above the header, and the blank lines the board prints
    // before it.
    for (size_t i = first; i-- > 0;) {
        if (m_window[i].m_bPlatform) {
            first = i;
            break;
        }
    }
    while (first > 0 && m_window[first - 1].m_bBlank) {
        --first;
    }
    StartScan(first);
}

void CLiveScan::StartScan(size_t first) {
    m_start = m_clock();
    ++m_nScanNumber;
    ++m_nGeneration;
    m_state = EState::Scanning;
    m_strBytes.clear();
    m_nPieces = 0;
    m_nDataLines = 0;
    m_strBoardSn.clear();
    m_vecHeldBlank.clear();
    // The header as the file reader will read it: the first pieces of the scan's text.
    m_strProject = m_strDdrType = m_strDdrClock = L"Unknown";
    size_t pieces = 0;
    for (size_t i = first; i < m_window.size() && pieces < kLogHeaderPieces; ++i) {
        LogBytesToPieces(m_window[i].m_strRaw, m_strText, m_vecPieces);
        for (const std::wstring_view piece : m_vecPieces) {
            if (pieces++ < kLogHeaderPieces) {
                ReadHeaderPiece(piece, m_strProject, m_strDdrType, m_strDdrClock);
            }
        }
    }
    m_nRequired = RequiredDdrDataLines(m_strDdrType);

    // A scan of its own, as a scan of one file: the lane map as set now, the drive strengths
    // of this log only.
    GetLaneSwapMap().Rebuild();
    GetDrvStgRegistry().Clear();
    m_pPage = std::make_unique<CLogPageDDR>();
    m_pPage->SetName(L"Live");
    m_pPage->SetPageSize(m_sizes.m_nPageRows, m_sizes.m_nPageCols);
    const bool ddr1 = EqualsNoCase(m_strDdrType, L"ddr1");
    m_pPage->SetBlockSize(ddr1 ? 7 : m_sizes.m_nDrvStgRows, m_sizes.m_nSubCols);

    std::deque<SLine> lines;
    lines.swap(m_window);
    for (size_t i = first; i < lines.size(); ++i) {
        AddToScan(lines[i].m_strRaw);
    }
}

void CLiveScan::AddToScan(const std::string& raw) {
    m_strBytes += raw;
    if (m_strBoardSn.empty()) {
        m_strBoardSn = BoardSnOf(raw);
    }
    LogBytesToPieces(raw, m_strText, m_vecPieces);
    SKeyHits hits{};
    for (const std::wstring_view piece : m_vecPieces) {
        if (m_nPieces++ < kLogHeaderPieces) {
            ReadHeaderPiece(piece, m_strProject, m_strDdrType, m_strDdrClock);
        }
        if (DdrKeys().Match(piece, hits)) {
            AddDdrDataLine(*m_pPage, piece, &hits, static_cast<int>(m_nDataLines));
            ++m_nDataLines;
            ++m_nGeneration;
        }
    }
}

void CLiveScan::EndScan(ELiveScanEnd end) {
    SLiveScanResult result;
    result.m_end = end;
    result.m_nDataLines = m_nDataLines;
    result.m_nRequiredLines = m_nRequired;
    result.m_strProject = m_strProject;
    result.m_strDdrType = m_strDdrType;
    result.m_strDdrClock = m_strDdrClock;
    result.m_strBoardSn = m_strBoardSn;
    m_pPage->Finish();
    // A finished scan keeps its drive strengths and lane map: the next scan empties them.
    m_pPage->SetScanSnapshot(CScanSnapshot::TakeProcessWide());
    result.m_bAnalysed = m_pPage->Analyse(result.m_rates, result.m_vecBest, result.m_nRowPassNum);
    result.m_nDdrKind = GetDrvStgRegistry().GetDDRKind();
    result.m_pPage = std::move(m_pPage);
    SaveScan(result);
    m_vecResults.push_back(std::move(result));
    m_state = EState::Idle;
    m_window.clear();
    m_strBytes.clear();
    ++m_nGeneration;
}

void CLiveScan::SaveScan(SLiveScanResult& result) const {
    const std::string name = FileNameFor(m_strBoardSn, m_start.m_local, m_start.m_nMillisecond,
                                         result.m_end == ELiveScanEnd::Interrupted);
    std::wstring pageName(name.begin(), name.end());
    if (m_folder.empty()) {
        result.m_strSaveError = "no log directory is set";
    } else {
        result.m_savedPath = WriteNewFile(m_folder, name, m_strBytes, result.m_strSaveError);
        if (!result.m_savedPath.empty()) {
            const std::string saved = result.m_savedPath.filename().string();
            pageName.assign(saved.begin(), saved.end());
        }
    }
    result.m_pPage->SetName(pageName);
}

} // namespace quillon
