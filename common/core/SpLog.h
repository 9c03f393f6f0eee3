#pragma once

// The tool log: one process-wide CSpLog reached through GetSpLog(). The programs use the
// helpers LogError / LogInfo / LogDebug with a wide printf-style format (wide strings as
// "%ls"); each line carries the tag "<source file>(<line>)[LEVEL]".

#include <cstddef>
#include <filesystem>

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

class CSpLog;

/// The one tool log of the process, created on first use.
[[nodiscard]] CSpLog* GetSpLog();

/// Start-up of a program: opens "<program path without extension>.log" (emptied) with
/// SPLOG_TEXT | SPLOG_NAME_DATE, level 5, no size limit, thread ids on, console off.
void OpenProgramLog();

/// Tagged wide message at the given level; the tag is built from file (text after the last
/// '/') and line. Used by the LogError / LogInfo / LogDebug helpers.
void LogTaggedW(unsigned level, const char* file, int line, const wchar_t* format, ...);

#define LogError(...) ::LogTaggedW(SPLOG_LEVEL_ERROR, __FILE__, __LINE__, __VA_ARGS__)
#define LogInfo(...) ::LogTaggedW(SPLOG_LEVEL_INFO, __FILE__, __LINE__, __VA_ARGS__)
#define LogDebug(...) ::LogTaggedW(SPLOG_LEVEL_DEBUG, __FILE__, __LINE__, __VA_ARGS__)
