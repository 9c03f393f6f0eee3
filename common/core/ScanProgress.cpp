#include "ScanProgress.h"

#include "TextUtil.h"

#include <unistd.h>

#include <cerrno>

CTerminalProgress::CTerminalProgress(int fd) : m_nFd(fd), m_bActive(::isatty(fd) == 1) {}

std::string CTerminalProgress::Line(size_t index, size_t total, const std::wstring& name) {
    return Format("file %zu/%zu ", index, total) + WideToUtf8(PathDisplayName(name)) + "\n";
}

ScanProgressFn CTerminalProgress::Callback() const {
    if (!m_bActive) {
        return {};
    }
    const int fd = m_nFd;
    return [fd](size_t index, size_t total, const std::wstring& name) {
        const std::string line = Line(index, total, name);
        size_t done = 0;
        while (done < line.size()) {
            const ssize_t n = ::write(fd, line.data() + done, line.size() - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return; // progress is a courtesy: a closed terminal must not stop the scan
            }
            done += static_cast<size_t>(n);
        }
    };
}
