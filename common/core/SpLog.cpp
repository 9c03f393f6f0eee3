#include "SpLog.h"

#include "ProgramLocation.h"
#include "TextUtil.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Fixed buffer sizes (characters, terminator included) that bound every message.
constexpr std::size_t kNarrowFormatChars = 8192; // narrow formats: at most 8191
constexpr std::size_t kWideFormatChars = 4096;   // wide formats: at most 4095
constexpr std::size_t kNarrowTextBytes = 8192;   // converted wide text
constexpr std::size_t kLineChars = 8222;         // assembled line: at most 8221
constexpr std::size_t kDumpLineChars = 179;      // dump line: at most 178
constexpr std::size_t kDumpHeaderChars = 49;     // dump header: at most 48
constexpr std::size_t kMaxPathChars = kSpLogPathChars - 1;

// Length of text cut to at most nMax bytes without splitting a UTF-8 sequence.
std::size_t Utf8CutLength(const char* pszText, std::size_t nLength, std::size_t nMax) {
    if (nLength <= nMax) {
        return nLength;
    }
    std::size_t n = nMax;
    // Step back over continuation bytes to the start of the cut sequence.
    while (n > 0 && (static_cast<unsigned char>(pszText[n]) & 0xC0) == 0x80) {
        --n;
    }
    return n;
}

// Encodes wide text as UTF-8 into a fixed buffer; stops before a character that does not fit.
// Returns the number of bytes written (terminator not counted).
std::size_t EncodeUtf8(const wchar_t* pszText, char* pszOut, std::size_t nCapacity) {
    std::size_t n = 0;
    if (nCapacity == 0) {
        return 0;
    }
    for (const wchar_t* p = pszText; *p != 0; ++p) {
        auto c = static_cast<std::uint32_t>(*p);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            c = 0xFFFD;
        }
        char bytes[4];
        std::size_t k = 0;
        if (c < 0x80) {
            bytes[k++] = static_cast<char>(c);
        } else if (c < 0x800) {
            bytes[k++] = static_cast<char>(0xC0 | (c >> 6));
            bytes[k++] = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            bytes[k++] = static_cast<char>(0xE0 | (c >> 12));
            bytes[k++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes[k++] = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            bytes[k++] = static_cast<char>(0xF0 | (c >> 18));
            bytes[k++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            bytes[k++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes[k++] = static_cast<char>(0x80 | (c & 0x3F));
        }
        if (n + k + 1 > nCapacity) {
            break;
        }
        std::memcpy(pszOut + n, bytes, k);
        n += k;
    }
    pszOut[n] = 0;
    return n;
}

// Wide printf into a fixed buffer. glibc's vswprintf reports an overflow only as -1, so the
// buffer is cleared first and whatever fitted is kept, always terminated.
void FormatWideInto(wchar_t* pszOut, std::size_t nChars, const wchar_t* pszFormat, va_list args) {
    std::wmemset(pszOut, 0, nChars);
    if (pszFormat != nullptr) {
        std::vswprintf(pszOut, nChars, pszFormat, args);
    }
    pszOut[nChars - 1] = 0;
}

// Narrow printf into a fixed buffer; a cut never leaves half a UTF-8 sequence behind.
std::size_t FormatNarrowInto(char* pszOut, std::size_t nChars, const char* pszFormat,
                             va_list args) {
    pszOut[0] = 0;
    if (pszFormat == nullptr) {
        return 0;
    }
    const int n = std::vsnprintf(pszOut, nChars, pszFormat, args);
    if (n < 0) {
        pszOut[0] = 0;
        return 0;
    }
    std::size_t nLength = static_cast<std::size_t>(n);
    if (nLength >= nChars) {
        nLength = Utf8CutLength(pszOut, nChars - 1, nChars - 1);
        pszOut[nLength] = 0;
    }
    return nLength;
}

// "<tag>:<message>" into a fixed buffer.
std::size_t JoinTag(char* pszOut, std::size_t nChars, const char* pszTag, const char* pszMessage) {
    const std::size_t nTag = std::strlen(pszTag);
    const std::size_t nMessage = std::strlen(pszMessage);
    std::size_t n = Utf8CutLength(pszTag, nTag, nChars - 1);
    std::memcpy(pszOut, pszTag, n);
    if (n + 1 < nChars) {
        pszOut[n++] = ':';
        const std::size_t nTake = Utf8CutLength(pszMessage, nMessage, nChars - 1 - n);
        std::memcpy(pszOut + n, pszMessage, nTake);
        n += nTake;
    }
    pszOut[n] = 0;
    return n;
}

const char* DirectionMark(int nDirection) {
    switch (nDirection) {
    case SPLOG_DIR_RECEIVE:
        return "<--";
    case SPLOG_DIR_SEND:
        return "-->";
    case SPLOG_DIR_RECEIVE2:
        return "<<-";
    default:
        return "---";
    }
}

bool WriteAll(int nFd, const char* pData, std::size_t nLength) {
    while (nLength > 0) {
        const ssize_t n = ::write(nFd, pData, nLength);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        pData += n;
        nLength -= static_cast<std::size_t>(n);
    }
    return true;
}

SSpLogTime LocalNow() {
    const auto now = std::chrono::system_clock::now();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
    const std::time_t seconds = static_cast<std::time_t>(ms.count() / 1000);
    std::tm tm{};
    localtime_r(&seconds, &tm);
    SSpLogTime t;
    t.nYear = tm.tm_year + 1900;
    t.nMonth = tm.tm_mon + 1;
    t.nDay = tm.tm_mday;
    t.nHour = tm.tm_hour;
    t.nMinute = tm.tm_min;
    t.nSecond = tm.tm_sec;
    t.nMillisecond = static_cast<int>(ms.count() % 1000);
    return t;
}

// Path pieces on '/' (the platform's separator stands in for the backslash).
std::wstring FileNamePart(const std::wstring& strPath) {
    const std::size_t n = strPath.rfind(L'/');
    return n == std::wstring::npos ? strPath : strPath.substr(n + 1);
}

std::wstring DirPart(const std::wstring& strPath) {
    const std::size_t n = strPath.rfind(L'/');
    return n == std::wstring::npos ? std::wstring() : strPath.substr(0, n);
}

// Stem and extension (dot included) of a file name, split at its last '.'.
void SplitName(const std::wstring& strFileName, std::wstring& strStem, std::wstring& strExt) {
    const std::size_t n = strFileName.rfind(L'.');
    if (n == std::wstring::npos) {
        strStem = strFileName;
        strExt.clear();
    } else {
        strStem = strFileName.substr(0, n);
        strExt = strFileName.substr(n);
    }
}

// Creates the directory and its missing parents; an existing directory counts as success.
bool CreateDirectoryTree(std::wstring strPath) {
    if (strPath.size() < 2) {
        return false;
    }
    if (strPath.back() == L'/') {
        strPath.pop_back();
    }
    std::error_code ec;
    const fs::path path = WideToPath(strPath);
    if (fs::is_directory(path, ec)) {
        return true;
    }
    fs::create_directories(path, ec);
    return fs::is_directory(path, ec);
}

bool StoreText(std::wstring& strField, const wchar_t* pszValue) {
    const std::size_t n = std::wcslen(pszValue);
    if (n > kMaxPathChars) {
        return false;
    }
    strField.assign(pszValue, n);
    return true;
}

} // namespace

CSpLog::CSpLog() {
    std::wstring strStem;
    std::wstring strExt;
    SplitName(PathToWide(GetProgramPath().filename()), strStem, strExt);
    m_strModuleName = strStem.substr(0, kMaxPathChars);
    m_strBaseName = m_strModuleName;
    m_strLogDir = (PathToWide(GetProgramDir()) + L"/Log").substr(0, kMaxPathChars);
}

CSpLog::~CSpLog() {
    Close();
    CloseConsole();
}

void CSpLog::Release() {
    // The process-wide log lives until the process ends.
    if (!m_bProcessWide) {
        delete this;
    }
}

void CSpLog::SetClock(SpLogClockFn pfnClock) {
    m_pfnClock = pfnClock;
}

bool CSpLog::Passes(unsigned nLevel) const {
    // A configured level of 4 is exclusive: only debug lines, no errors or information.
    if (m_nLevel == SPLOG_LEVEL_DEBUG) {
        return nLevel == SPLOG_LEVEL_DEBUG;
    }
    return nLevel <= m_nLevel;
}

void CSpLog::MakeTimeStamp() {
    const SSpLogTime t = m_pfnClock != nullptr ? m_pfnClock() : LocalNow();
    std::snprintf(m_szTimeStamp, sizeof(m_szTimeStamp), "[%04d-%02d-%02d %02d:%02d:%02d:%03d]",
                  t.nYear, t.nMonth, t.nDay, t.nHour, t.nMinute, t.nSecond, t.nMillisecond);
}

int CSpLog::OpenFileAt(const std::wstring& strPath, int& nFd) {
    nFd = -1;
    // A path that does not fit is refused: cutting it would write (and empty) another file.
    if (strPath.empty() || strPath.size() > kMaxPathChars) {
        return 0;
    }
    int nOpen = O_WRONLY | O_CREAT | O_CLOEXEC;
    nOpen |= (m_nFlags & SPLOG_APPEND) != 0 ? O_APPEND : O_TRUNC;
    const fs::path path = WideToPath(strPath);
    nFd = ::open(path.c_str(), nOpen, 0666);
    return nFd >= 0 ? 1 : 0;
}

int CSpLog::Open(const wchar_t* pszName, unsigned nFlags, unsigned nLevel, unsigned nMaxSizeMiB) {
    Close();
    m_nFlags = nFlags;
    m_nLevel = nLevel;
    m_nMaxSizeMiB = nMaxSizeMiB;
    if ((m_nFlags & (SPLOG_TEXT | SPLOG_BINARY)) == 0) {
        m_nFlags |= SPLOG_TEXT;
    }
    m_nTextRolls = m_nReadRolls = m_nWriteRolls = 0;
    m_strTextPath.clear();
    m_strReadPath.clear();
    m_strWritePath.clear();

    const std::wstring strSource = pszName != nullptr ? std::wstring(pszName) : m_strBaseName;
    std::wstring strStem;
    std::wstring strExt;
    SplitName(FileNamePart(strSource), strStem, strExt);

    const bool bText = (m_nFlags & SPLOG_TEXT) != 0;
    const bool bBinary = (m_nFlags & SPLOG_BINARY) != 0;
    std::wstring strTextExt = strExt;
    std::wstring strBinExt = strExt;
    if (bText && bBinary) {
        // The binary files own ".bin"; the text file of the same name must not take it.
        if (EqualsNoCase(strTextExt, L".bin")) {
            strTextExt.clear();
        }
        strBinExt = m_strBinExt;
    }
    if (bBinary && !m_strBinExt.empty()) {
        strBinExt = m_strBinExt;
    }
    if (strTextExt.empty()) {
        strTextExt = L".log";
    }
    if (strBinExt.empty()) {
        strBinExt = L".bin";
    }

    const bool bAbsolute = !strSource.empty() && strSource.front() == L'/';
    std::wstring strDir;
    std::wstring strSuffix;
    if (bAbsolute) {
        strDir = DirPart(strSource);
    } else {
        strDir = m_strLogDir;
        CreateDirectoryTree(strDir); // a failure shows when the file cannot be created
        if ((m_nFlags & (SPLOG_NAME_TIME | SPLOG_NAME_DATE)) != 0) {
            const SSpLogTime t = m_pfnClock != nullptr ? m_pfnClock() : LocalNow();
            wchar_t szSuffix[64];
            if ((m_nFlags & SPLOG_NAME_TIME) != 0) {
                std::swprintf(szSuffix, 64, L"_%04d_%02d_%02d_%02d_%02d_%02d_%03d", t.nYear,
                              t.nMonth, t.nDay, t.nHour, t.nMinute, t.nSecond, t.nMillisecond);
            } else {
                std::swprintf(szSuffix, 64, L"_%04d_%02d_%02d", t.nYear, t.nMonth, t.nDay);
            }
            strSuffix = szSuffix;
        }
    }
    const std::wstring strName = strStem + strSuffix;

    if (bText && m_nLevel != 0) {
        const std::wstring strPath = strDir + L"/" + strName + strTextExt;
        if (OpenFileAt(strPath, m_nTextFd) == 0) {
            return 0;
        }
        m_strTextPath = strPath;
    }
    if (bBinary && (m_nFlags & SPLOG_BIN_READ) != 0) {
        const std::wstring strPath = strDir + L"/" + strName + L"_Rd" + strBinExt;
        if (OpenFileAt(strPath, m_nReadFd) == 0) {
            return 0;
        }
        m_strReadPath = strPath;
    }
    if (bBinary && (m_nFlags & SPLOG_BIN_WRITE) != 0) {
        const std::wstring strPath = strDir + L"/" + strName + L"_Wt" + strBinExt;
        if (OpenFileAt(strPath, m_nWriteFd) == 0) {
            return 0;
        }
        m_strWritePath = strPath;
    }
    if (m_nConsoleEnabled != 0) {
        OpenConsole();
    }
    return 1;
}

int CSpLog::Close() {
    for (int* pFd : {&m_nTextFd, &m_nReadFd, &m_nWriteFd}) {
        if (*pFd >= 0) {
            ::fsync(*pFd);
            ::close(*pFd);
            *pFd = -1;
        }
    }
    CloseConsole();
    return 1;
}

void CSpLog::OpenConsole() {
    m_bConsoleOpen = true;
}

void CSpLog::CloseConsole() {
    if (m_bConsoleOpen) {
        std::fflush(stdout);
    }
    m_bConsoleOpen = false;
}

int CSpLog::WriteRolling(int& nFd, const std::wstring& strBasePath, unsigned& nRolls,
                         const char* pData, std::size_t nLength) {
    if (nFd < 0) {
        return 1;
    }
    if (m_nMaxSizeMiB != 0) {
        struct stat st {};
        if (::fstat(nFd, &st) == 0 &&
            (static_cast<std::uint64_t>(st.st_size) >> 20) > m_nMaxSizeMiB) {
            ++nRolls;
            ::fsync(nFd);
            ::close(nFd);
            nFd = -1;
            // Always derived from the first path: name.ext, name_1.ext, name_2.ext, ...
            std::wstring strStem;
            std::wstring strExt;
            SplitName(FileNamePart(strBasePath), strStem, strExt);
            const std::wstring strNext =
                DirPart(strBasePath) + L"/" + strStem + L"_" + std::to_wstring(nRolls) + strExt;
            if (OpenFileAt(strNext, nFd) == 0) {
                return 0;
            }
        }
    }
    const bool bOk = WriteAll(nFd, pData, nLength);
    if (bOk && m_nConsoleEnabled != 0 && m_bConsoleOpen && nLength > 0) {
        std::fwrite(pData, 1, nLength, stdout);
        std::fflush(stdout);
    }
    return bOk ? 1 : 0;
}

int CSpLog::WriteTextLine(const char* pszText, std::size_t nLength) {
    if (m_nTextFd < 0) {
        return 1;
    }
    char szLine[kLineChars];
    int nPrefix = 0;
    const bool bTime = m_nShowTime != 0;
    const bool bThread = m_nShowThread != 0;
    if (bTime) {
        MakeTimeStamp();
    }
    const unsigned nThread = static_cast<unsigned>(::gettid());
    if (bTime && bThread) {
        nPrefix = std::snprintf(szLine, kLineChars, "%s(%u) ", m_szTimeStamp, nThread);
    } else if (bTime) {
        nPrefix = std::snprintf(szLine, kLineChars, "%s ", m_szTimeStamp);
    } else if (bThread) {
        nPrefix = std::snprintf(szLine, kLineChars, "(%u) ", nThread);
    }
    std::size_t n = nPrefix > 0 ? static_cast<std::size_t>(nPrefix) : 0;
    // A cut keeps the CR LF, so a long message never runs into the next line.
    const std::size_t nRoom = kLineChars - 1 - 2 - n;
    const std::size_t nTake = Utf8CutLength(pszText, nLength, nRoom);
    std::memcpy(szLine + n, pszText, nTake);
    n += nTake;
    szLine[n++] = '\r';
    szLine[n++] = '\n';
    szLine[n] = 0;
    return WriteRolling(m_nTextFd, m_strTextPath, m_nTextRolls, szLine, n);
}

int CSpLog::LogRawData(const void* pData, unsigned nLength, int nDirection) {
    if (nLength == 0) {
        return 1;
    }
    if (pData == nullptr) {
        return 0;
    }
    const char* p = static_cast<const char*>(pData);
    if (nDirection == SPLOG_DIR_RECEIVE || nDirection == SPLOG_DIR_RECEIVE2) {
        return WriteRolling(m_nReadFd, m_strReadPath, m_nReadRolls, p, nLength);
    }
    return WriteRolling(m_nWriteFd, m_strWritePath, m_nWriteRolls, p, nLength);
}

int CSpLog::LogString(unsigned nLevel, const char* pszText) {
    if (!Passes(nLevel)) {
        return 1;
    }
    if (pszText == nullptr) {
        pszText = "";
    }
    return WriteTextLine(pszText, std::strlen(pszText));
}

int CSpLog::LogStringW(unsigned nLevel, const wchar_t* pszText) {
    if (!Passes(nLevel)) {
        return 1;
    }
    char szText[kNarrowTextBytes];
    const std::size_t n = EncodeUtf8(pszText != nullptr ? pszText : L"", szText, sizeof(szText));
    return WriteTextLine(szText, n);
}

int CSpLog::VLogFormat(unsigned nLevel, const char* pszFormat, va_list args) {
    if (!Passes(nLevel)) {
        return 1;
    }
    char szText[kNarrowFormatChars];
    const std::size_t n = FormatNarrowInto(szText, sizeof(szText), pszFormat, args);
    return WriteTextLine(szText, n);
}

int CSpLog::VLogFormatW(unsigned nLevel, const wchar_t* pszFormat, va_list args) {
    if (!Passes(nLevel)) {
        return 1;
    }
    wchar_t szWide[kWideFormatChars];
    FormatWideInto(szWide, kWideFormatChars, pszFormat, args);
    char szText[kNarrowTextBytes];
    const std::size_t n = EncodeUtf8(szWide, szText, sizeof(szText));
    return WriteTextLine(szText, n);
}

int CSpLog::VLogFormatTagged(unsigned nLevel, const char* pszTag, const char* pszFormat,
                             va_list args) {
    if (!Passes(nLevel)) {
        return 1;
    }
    char szMessage[kNarrowFormatChars];
    FormatNarrowInto(szMessage, sizeof(szMessage), pszFormat, args);
    char szText[kNarrowFormatChars];
    const std::size_t n =
        JoinTag(szText, sizeof(szText), pszTag != nullptr ? pszTag : "", szMessage);
    return WriteTextLine(szText, n);
}

int CSpLog::VLogFormatTaggedW(unsigned nLevel, const char* pszTag, const wchar_t* pszFormat,
                              va_list args) {
    if (!Passes(nLevel)) {
        return 1;
    }
    wchar_t szWide[kWideFormatChars];
    FormatWideInto(szWide, kWideFormatChars, pszFormat, args);
    char szMessage[kNarrowTextBytes];
    EncodeUtf8(szWide, szMessage, sizeof(szMessage));
    char szText[kNarrowTextBytes];
    const std::size_t n =
        JoinTag(szText, sizeof(szText), pszTag != nullptr ? pszTag : "", szMessage);
    return WriteTextLine(szText, n);
}

int CSpLog::LogFormat(unsigned nLevel, const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    const int nResult = VLogFormat(nLevel, pszFormat, args);
    va_end(args);
    return nResult;
}

int CSpLog::LogFormatW(unsigned nLevel, const wchar_t* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    const int nResult = VLogFormatW(nLevel, pszFormat, args);
    va_end(args);
    return nResult;
}

int CSpLog::LogFormatTagged(unsigned nLevel, const char* pszTag, const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    const int nResult = VLogFormatTagged(nLevel, pszTag, pszFormat, args);
    va_end(args);
    return nResult;
}

int CSpLog::LogFormatTaggedW(unsigned nLevel, const char* pszTag, const wchar_t* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    const int nResult = VLogFormatTaggedW(nLevel, pszTag, pszFormat, args);
    va_end(args);
    return nResult;
}

int CSpLog::LogHexDump(unsigned nLevel, const void* pData, unsigned nLength, int nDirection,
                       const unsigned* pnTotal) {
    if (!Passes(nLevel)) {
        return 1;
    }
    char szHeader[kDumpHeaderChars];
    const char* pszMark = DirectionMark(nDirection);
    if (pnTotal != nullptr) {
        std::snprintf(szHeader, sizeof(szHeader), "%s %u(0x%08x)/%u(0x%08x) Bytes", pszMark,
                      nLength, nLength, *pnTotal, *pnTotal);
    } else {
        std::snprintf(szHeader, sizeof(szHeader), "%s %u(0x%08x) Bytes", pszMark, nLength, nLength);
    }
    if (WriteTextLine(szHeader, std::strlen(szHeader)) == 0) {
        return 0;
    }
    if (nLength == 0) {
        return 1;
    }
    if (pData == nullptr) {
        return 0; // a length without data: nothing safe to read
    }
    if (m_nTextFd < 0) {
        return 1;
    }

    // Dump lines line up under the header's text, after the time stamp and one blank.
    char szIndent[kSpLogPathChars] = {};
    std::size_t nIndent = 0;
    if (m_nShowTime != 0) {
        nIndent = std::strlen(m_szTimeStamp) + 1;
        std::memset(szIndent, ' ', nIndent);
    }
    const auto* pBytes = static_cast<const unsigned char*>(pData);
    const unsigned nPerLine =
        m_nDumpBytesPerLine >= 1 && m_nDumpBytesPerLine <= 16 ? m_nDumpBytesPerLine : 16;
    const unsigned nLines = (nLength + nPerLine - 1) / nPerLine;
    for (unsigned i = 0; i < nLines; ++i) {
        char szHex[80] = {};
        char szChars[20] = {};
        std::size_t nHex = 0;
        std::size_t nChars = 0;
        if (m_nDumpAddress != 0) {
            nHex += static_cast<std::size_t>(std::snprintf(
                szHex, sizeof(szHex), "%08xh: ", static_cast<unsigned>(nPerLine * i)));
        }
        for (unsigned k = 0; k < nPerLine; ++k) {
            const std::size_t nAt = static_cast<std::size_t>(i) * nPerLine + k;
            if (nAt < nLength) {
                const unsigned char b = pBytes[nAt];
                nHex += static_cast<std::size_t>(
                    std::snprintf(szHex + nHex, sizeof(szHex) - nHex, "%02X ", b));
                // Printable ASCII only: a byte of a UTF-8 sequence alone would garble the line.
                szChars[nChars++] = b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.';
            } else {
                // Keeps the character column aligned on the last line.
                std::memcpy(szHex + nHex, "   ", 3);
                nHex += 3;
            }
        }
        szHex[nHex] = 0;
        szChars[nChars] = 0;
        char szLine[kDumpLineChars];
        int n = 0;
        if (m_nDumpChars != 0) {
            n = std::snprintf(szLine, sizeof(szLine), "%s%s; %s\r\n", szIndent, szHex, szChars);
        } else {
            n = std::snprintf(szLine, sizeof(szLine), "%s%s;\r\n", szIndent, szHex);
        }
        const std::size_t nLine =
            std::min(static_cast<std::size_t>(n > 0 ? n : 0), sizeof(szLine) - 1);
        if (WriteRolling(m_nTextFd, m_strTextPath, m_nTextRolls, szLine, nLine) == 0) {
            return 0;
        }
    }
    return 1;
}

int CSpLog::SetProperty(unsigned nProperty, unsigned nKind, CSpLogValue value) {
    switch (nProperty) {
    case SPLOG_PROP_LOG_DIR: {
        std::wstring strDir;
        if (nKind == SPLOG_DIR_KIND_PROGRAM || nKind == SPLOG_DIR_KIND_TEMP) {
            std::error_code ec;
            const fs::path root =
                nKind == SPLOG_DIR_KIND_PROGRAM ? GetProgramDir() : fs::temp_directory_path(ec);
            std::wstring strRoot = PathToWide(root);
            if (!strRoot.empty() && strRoot.back() == L'/') {
                strRoot.pop_back();
            }
            strDir = strRoot + L"/Log";
            if (value.Text() != nullptr && *value.Text() != 0) {
                strDir += L"/";
                strDir += value.Text();
            }
        } else if (nKind == SPLOG_DIR_KIND_GIVEN) {
            if (value.Text() == nullptr) {
                return 0;
            }
            strDir = value.Text();
        } else {
            return 0;
        }
        // A directory that does not fit is refused rather than cut into another one.
        if (strDir.size() > kMaxPathChars) {
            return 0;
        }
        m_strLogDir = strDir;
        return 1;
    }
    case SPLOG_PROP_BASE_NAME:
        return value.Text() != nullptr && StoreText(m_strBaseName, value.Text()) ? 1 : 0;
    case SPLOG_PROP_BIN_EXTENSION:
        return value.Text() != nullptr && StoreText(m_strBinExt, value.Text()) ? 1 : 0;
    default:
        break;
    }
    if (!value.IsNumber()) {
        return 0; // the remaining properties are numbers
    }
    const unsigned nValue = value.Number();
    switch (nProperty) {
    case SPLOG_PROP_DUMP_BYTES_PER_LINE:
        m_nDumpBytesPerLine = nValue == 0 || nValue > 16 ? 16 : nValue;
        return 1;
    case SPLOG_PROP_SHOW_TIME:
        m_nShowTime = nValue != 0 ? 1 : 0;
        return 1;
    case SPLOG_PROP_SHOW_THREAD:
        m_nShowThread = nValue != 0 ? 1 : 0;
        return 1;
    case SPLOG_PROP_DUMP_ADDRESS:
        m_nDumpAddress = nValue != 0 ? 1 : 0;
        return 1;
    case SPLOG_PROP_DUMP_CHARS:
        m_nDumpChars = nValue != 0 ? 1 : 0;
        return 1;
    case SPLOG_PROP_CONSOLE:
        // The console is standard output here: "shown" and "hidden" both mirror to it.
        if (nValue == 0) {
            m_nConsoleEnabled = 0;
            CloseConsole();
            return 1;
        }
        if (nValue == 1 || nValue == 2) {
            m_nConsoleEnabled = 1;
            OpenConsole();
            return 1;
        }
        return 0;
    case SPLOG_PROP_SIZE_LIMIT:
        m_nMaxSizeMiB = nValue;
        return 1;
    default:
        return 0;
    }
}

int CSpLog::GetProperty(unsigned nProperty, unsigned /*nReserved*/, CSpLogOut out) {
    const std::wstring* pText = nullptr;
    static const std::wstring kDefaultBinExt = L".bin";
    unsigned nValue = 0;
    switch (nProperty) {
    case SPLOG_PROP_LOG_DIR:
        pText = &m_strLogDir;
        break;
    case SPLOG_PROP_BASE_NAME:
        pText = &m_strBaseName;
        break;
    case SPLOG_PROP_BIN_EXTENSION:
        pText = m_strBinExt.empty() ? &kDefaultBinExt : &m_strBinExt;
        break;
    case SPLOG_PROP_DUMP_BYTES_PER_LINE:
        nValue = m_nDumpBytesPerLine;
        break;
    case SPLOG_PROP_SHOW_TIME:
        nValue = m_nShowTime;
        break;
    case SPLOG_PROP_SHOW_THREAD:
        nValue = m_nShowThread;
        break;
    case SPLOG_PROP_DUMP_ADDRESS:
        nValue = m_nDumpAddress;
        break;
    case SPLOG_PROP_DUMP_CHARS:
        nValue = m_nDumpChars;
        break;
    case SPLOG_PROP_CONSOLE:
        nValue = m_nConsoleEnabled != 0 ? 1 : 0;
        break;
    case SPLOG_PROP_SIZE_LIMIT:
        nValue = m_nMaxSizeMiB;
        break;
    default:
        return 0;
    }
    if (pText != nullptr) {
        if (out.Text() == nullptr || out.TextChars() <= pText->size()) {
            return 0;
        }
        std::wmemcpy(out.Text(), pText->c_str(), pText->size() + 1);
        return 1;
    }
    if (out.Number() == nullptr) {
        return 0;
    }
    *out.Number() = nValue;
    return 1;
}

CSpLog* GetSpLog() {
    static CSpLog log;
    log.m_bProcessWide = true;
    return &log;
}

void OpenProgramLog() { OpenProgramLog(GetProgramSibling(".log")); }

void OpenProgramLog(const std::filesystem::path& logFile) {
    CSpLog* pLog = GetSpLog();
    const std::wstring strPath = PathToWide(logFile);
    pLog->Open(strPath.c_str(), SPLOG_TEXT | SPLOG_NAME_DATE, 5, 0);
    pLog->SetProperty(SPLOG_PROP_SHOW_THREAD, 0, 1);
    pLog->SetProperty(SPLOG_PROP_CONSOLE, 1, 0);
}

void LogTaggedW(unsigned level, const char* file, int line, const wchar_t* format, ...) {
    const char* pszName = file != nullptr ? file : "";
    if (const char* pSlash = std::strrchr(pszName, '/'); pSlash != nullptr) {
        pszName = pSlash + 1;
    }
    const char* pszWord = nullptr;
    switch (level) {
    case SPLOG_LEVEL_ERROR:
        pszWord = "[ERROR]";
        break;
    case SPLOG_LEVEL_INFO:
        pszWord = "[INFO]";
        break;
    case SPLOG_LEVEL_DEBUG:
        pszWord = "[DEBUG]";
        break;
    default:
        pszWord = nullptr;
        break;
    }
    char szTag[kSpLogPathChars + 32];
    if (pszWord != nullptr) {
        std::snprintf(szTag, sizeof(szTag), "%s(%d)%s", pszName, line, pszWord);
    } else {
        std::snprintf(szTag, sizeof(szTag), "%s(%d)[LEVEL%u]", pszName, line, level);
    }
    va_list args;
    va_start(args, format);
    GetSpLog()->VLogFormatTaggedW(level, szTag, format, args);
    va_end(args);
}
