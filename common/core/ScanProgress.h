#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Progress of a scan over many files: the scan calls the callback once per file, in the
// order it reads them, before reading it. Windows show a progress dialog from it, the batch
// programs a line on a terminal; results and messages are the same with or without it.

/// (index of the file, 1 for the first; number of files; the file's name).
using ScanProgressFn = std::function<void(size_t index, size_t total, const std::wstring& name)>;

/// The batch programs' progress: "file i/n name" lines to standard error, and only when
/// standard error is a terminal (a pipe or a file gets nothing, so scripts see no change).
class CTerminalProgress {
public:
    /// fd: the descriptor written to (standard error by default).
    explicit CTerminalProgress(int fd = 2);

    /// True when fd is a terminal, so the callback writes.
    [[nodiscard]] bool IsActive() const { return m_bActive; }
    /// A callback for a scan; writes nothing when the descriptor is not a terminal.
    [[nodiscard]] ScanProgressFn Callback() const;
    /// The line of one file, "file i/n name\n" (name in UTF-8).
    [[nodiscard]] static std::string Line(size_t index, size_t total, const std::wstring& name);

private:
    int m_nFd;
    bool m_bActive;
};
