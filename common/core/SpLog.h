#pragma once

// The tool log: one process-wide CSpLog reached through GetSpLog(). The programs use the
// helpers LogError / LogInfo / LogDebug with a wide printf-style format (wide strings as
// "%ls"); each line carries the tag "<source file>(<line>)[LEVEL]".
//
// Text lines are UTF-8 without byte-order mark and end in CR LF. Nothing here throws or
// shows a message: failures come back as 0 and callers are free to ignore them.

#include <cstdarg>
#include <cstddef>
#include <filesystem>
#include <string>

enum : unsigned {
    SPLOG_NAME_TIME = 0x0001,
    SPLOG_NAME_DATE = 0x0002,
    SPLOG_BIN_READ = 0x0100,
    SPLOG_BIN_WRITE = 0x0200,
    SPLOG_APPEND = 0x2000,
    SPLOG_TEXT = 0x4000,
    SPLOG_BINARY = 0x8000,
};

enum : unsigned {
    SPLOG_LEVEL_ERROR = 1,
    SPLOG_LEVEL_INFO = 3,
    SPLOG_LEVEL_DEBUG = 4,
};

/// Directions of LogRawData and LogHexDump.
enum : int {
    SPLOG_DIR_RECEIVE = 0, // "<--", read file
    SPLOG_DIR_SEND = 1,    // "-->", write file
    SPLOG_DIR_RECEIVE2 = 2 // "<<-", read file
};

/// Property numbers of SetProperty / GetProperty.
enum : unsigned {
    SPLOG_PROP_LOG_DIR = 0,
    SPLOG_PROP_BASE_NAME = 1,
    SPLOG_PROP_DUMP_BYTES_PER_LINE = 2,
    SPLOG_PROP_SHOW_TIME = 3,
    SPLOG_PROP_SHOW_THREAD = 4,
    SPLOG_PROP_DUMP_ADDRESS = 5,
    SPLOG_PROP_DUMP_CHARS = 6,
    SPLOG_PROP_CONSOLE = 7,
    SPLOG_PROP_BIN_EXTENSION = 8,
    SPLOG_PROP_SIZE_LIMIT = 9,
};

/// Kinds of property 0 (log directory).
enum : unsigned {
    SPLOG_DIR_KIND_PROGRAM = 1, // <program dir>/Log[/value]
    SPLOG_DIR_KIND_TEMP = 2,    // <temp dir>/Log[/value]
    SPLOG_DIR_KIND_GIVEN = 3,   // value itself
};

/// Capacity of every path or name field, terminator included.
inline constexpr std::size_t kSpLogPathChars = 260;

/// The value of SetProperty: a number or a wide string (null = not given).
class CSpLogValue {
public:
    CSpLogValue(int nValue) : m_nValue(static_cast<unsigned>(nValue)), m_bNumber(true) {}
    CSpLogValue(unsigned nValue) : m_nValue(nValue), m_bNumber(true) {}
    CSpLogValue(const wchar_t* pszText) : m_pszText(pszText) {}
    CSpLogValue(std::nullptr_t) {}

    [[nodiscard]] bool IsNumber() const { return m_bNumber; }
    [[nodiscard]] unsigned Number() const { return m_nValue; }
    /// The string, or null when none was given (a number is not a string).
    [[nodiscard]] const wchar_t* Text() const { return m_pszText; }

private:
    unsigned m_nValue = 0;
    const wchar_t* m_pszText = nullptr;
    bool m_bNumber = false;
};

/// Where GetProperty puts its answer: a number or a wide text buffer of given capacity.
class CSpLogOut {
public:
    CSpLogOut(unsigned* pnValue) : m_pnValue(pnValue) {}
    CSpLogOut(wchar_t* pszBuffer, std::size_t nChars) : m_pszText(pszBuffer), m_nChars(nChars) {}
    template <std::size_t N> CSpLogOut(wchar_t (&buffer)[N]) : m_pszText(buffer), m_nChars(N) {}

    [[nodiscard]] unsigned* Number() const { return m_pnValue; }
    [[nodiscard]] wchar_t* Text() const { return m_pszText; }
    [[nodiscard]] std::size_t TextChars() const { return m_nChars; }

private:
    unsigned* m_pnValue = nullptr;
    wchar_t* m_pszText = nullptr;
    std::size_t m_nChars = 0;
};

/// Local time broken down as the log writes it (month 1-12).
struct SSpLogTime {
    int nYear = 1970;
    int nMonth = 1;
    int nDay = 1;
    int nHour = 0;
    int nMinute = 0;
    int nSecond = 0;
    int nMillisecond = 0;
};

/// Clock of the log; tests install a fixed one instead of waiting for real time.
using SpLogClockFn = SSpLogTime (*)();

/// The tool-log interface. Every operation but the destructor and Release returns 1 on
/// success (also when a message is filtered out or the file is not open) and 0 on failure.
class ISpLog {
public:
    virtual ~ISpLog() = default;
    virtual int Open(const wchar_t* pszName, unsigned nFlags, unsigned nLevel,
                     unsigned nMaxSizeMiB) = 0;
    virtual int Close() = 0;
    virtual void Release() = 0;
    virtual int LogRawData(const void* pData, unsigned nLength, int nDirection) = 0;
    virtual int LogString(unsigned nLevel, const char* pszText) = 0;
    virtual int LogStringW(unsigned nLevel, const wchar_t* pszText) = 0;
    virtual int LogFormat(unsigned nLevel, const char* pszFormat, ...) = 0;
    virtual int LogFormatW(unsigned nLevel, const wchar_t* pszFormat, ...) = 0;
    virtual int LogHexDump(unsigned nLevel, const void* pData, unsigned nLength, int nDirection,
                           const unsigned* pnTotal) = 0;
    virtual int SetProperty(unsigned nProperty, unsigned nKind, CSpLogValue value) = 0;
    virtual int GetProperty(unsigned nProperty, unsigned nReserved, CSpLogOut out) = 0;
};

class CSpLog : public ISpLog {
public:
    /// A log with the initial state: names from the program's path, directory
    /// "<program dir>/Log", nothing open.
    CSpLog();
    ~CSpLog() override;
    CSpLog(const CSpLog&) = delete;
    CSpLog& operator=(const CSpLog&) = delete;
    CSpLog(CSpLog&&) = delete;
    CSpLog& operator=(CSpLog&&) = delete;

    int Open(const wchar_t* pszName, unsigned nFlags, unsigned nLevel,
             unsigned nMaxSizeMiB) override;
    int Close() override;
    /// Deletes a log created with new; the process-wide log ignores it.
    void Release() override;
    int LogRawData(const void* pData, unsigned nLength, int nDirection) override;
    int LogString(unsigned nLevel, const char* pszText) override;
    int LogStringW(unsigned nLevel, const wchar_t* pszText) override;
    int LogFormat(unsigned nLevel, const char* pszFormat, ...) override;
    int LogFormatW(unsigned nLevel, const wchar_t* pszFormat, ...) override;
    int LogHexDump(unsigned nLevel, const void* pData, unsigned nLength, int nDirection,
                   const unsigned* pnTotal) override;
    int SetProperty(unsigned nProperty, unsigned nKind, CSpLogValue value) override;
    int GetProperty(unsigned nProperty, unsigned nReserved, CSpLogOut out) override;

    /// The line text is "<tag>:<message>".
    virtual int LogFormatTagged(unsigned nLevel, const char* pszTag, const char* pszFormat, ...);
    virtual int LogFormatTaggedW(unsigned nLevel, const char* pszTag, const wchar_t* pszFormat,
                                 ...);

    // va_list forms of the formatting operations (the helpers forward through them).
    int VLogFormat(unsigned nLevel, const char* pszFormat, va_list args);
    int VLogFormatW(unsigned nLevel, const wchar_t* pszFormat, va_list args);
    int VLogFormatTagged(unsigned nLevel, const char* pszTag, const char* pszFormat, va_list args);
    int VLogFormatTaggedW(unsigned nLevel, const char* pszTag, const wchar_t* pszFormat,
                          va_list args);

    /// Replaces the clock (null restores local time).
    void SetClock(SpLogClockFn pfnClock);

    /// Full paths the files were opened under (empty when not opened).
    [[nodiscard]] std::wstring GetTextPath() const { return m_strTextPath; }
    [[nodiscard]] std::wstring GetReadPath() const { return m_strReadPath; }
    [[nodiscard]] std::wstring GetWritePath() const { return m_strWritePath; }
    [[nodiscard]] unsigned GetFlags() const { return m_nFlags; }
    [[nodiscard]] unsigned GetLevel() const { return m_nLevel; }
    /// The last time stamp produced, e.g. "[2014-07-18 11:30:01:123]".
    [[nodiscard]] const char* GetTimeStamp() const { return m_szTimeStamp; }
    /// Whether a message of this level passes the configured filter.
    [[nodiscard]] bool Passes(unsigned nLevel) const;

private:
    friend CSpLog* GetSpLog();

    int OpenFileAt(const std::wstring& strPath, int& nFd);
    int WriteRolling(int& nFd, const std::wstring& strBasePath, unsigned& nRolls, const char* pData,
                     std::size_t nLength);
    int WriteTextLine(const char* pszText, std::size_t nLength);
    void MakeTimeStamp();
    void OpenConsole();
    void CloseConsole();

    std::wstring m_strModuleName;
    std::wstring m_strLogDir;
    std::wstring m_strBaseName;
    std::wstring m_strBinExt;
    int m_nTextFd = -1;
    int m_nReadFd = -1;
    int m_nWriteFd = -1;
    std::wstring m_strTextPath;
    std::wstring m_strReadPath;
    std::wstring m_strWritePath;
    unsigned m_nFlags = SPLOG_TEXT | SPLOG_NAME_DATE;
    unsigned m_nLevel = 3;
    unsigned m_nMaxSizeMiB = 0;
    unsigned m_nTextRolls = 0;
    unsigned m_nReadRolls = 0;
    unsigned m_nWriteRolls = 0;
    unsigned m_nShowTime = 1;
    unsigned m_nShowThread = 1;
    unsigned m_nDumpAddress = 1;
    unsigned m_nDumpChars = 1;
    unsigned m_nDumpBytesPerLine = 16;
    char m_szTimeStamp[30] = {};
    unsigned m_nConsoleEnabled = 0;
    bool m_bConsoleOpen = false;
    bool m_bProcessWide = false;
    SpLogClockFn m_pfnClock = nullptr;
};

/// The one tool log of the process, created on first use.
[[nodiscard]] CSpLog* GetSpLog();

/// Start-up of a program: opens "<program path without extension>.log" (emptied) with
/// SPLOG_TEXT | SPLOG_NAME_DATE, level 5, no size limit, thread ids on, console off.
void OpenProgramLog();
/// The same start-up, with the log at the given file (an installed program's log folder).
void OpenProgramLog(const std::filesystem::path& logFile);

/// Tagged wide message at the given level; the tag is built from file (text after the last
/// '/') and line. Used by the LogError / LogInfo / LogDebug helpers.
void LogTaggedW(unsigned level, const char* file, int line, const wchar_t* format, ...);

#define LogError(...) ::LogTaggedW(SPLOG_LEVEL_ERROR, __FILE__, __LINE__, __VA_ARGS__)
#define LogInfo(...) ::LogTaggedW(SPLOG_LEVEL_INFO, __FILE__, __LINE__, __VA_ARGS__)
#define LogDebug(...) ::LogTaggedW(SPLOG_LEVEL_DEBUG, __FILE__, __LINE__, __VA_ARGS__)
