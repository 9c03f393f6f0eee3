#pragma once

// The board's end of a pseudo-terminal pair: the window or the capture opens the other end
// as its serial port, and the test writes to this one as a board would.

#include <QCoreApplication>
#include <QString>

#include <cerrno>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

class CBoardPty {
public:
    CBoardPty() {
        // Not blocking: the GUI thread writes, and the reader waits on the GUI thread.
        m_nMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_nMaster >= 0 && ::grantpt(m_nMaster) == 0 && ::unlockpt(m_nMaster) == 0) {
            m_strSlave = QString::fromLocal8Bit(::ptsname(m_nMaster));
        }
    }
    ~CBoardPty() {
        if (m_nMaster >= 0) {
            ::close(m_nMaster);
        }
    }
    CBoardPty(const CBoardPty&) = delete;
    CBoardPty& operator=(const CBoardPty&) = delete;

    /// The port name to open; empty when no pseudo-terminal could be made.
    [[nodiscard]] const QString& Slave() const { return m_strSlave; }
    /// Writes every byte; while the terminal's buffer is full the GUI thread is served, so
    /// the reader can hand its pieces on and drain it.
    bool Write(std::string_view bytes) const {
        while (!bytes.empty()) {
            const ssize_t n = ::write(m_nMaster, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && errno == EAGAIN) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                pollfd fd{m_nMaster, POLLOUT, 0};
                ::poll(&fd, 1, 1);
                continue;
            }
            if (n < 0) {
                return false;
            }
            bytes.remove_prefix(size_t(n));
        }
        return true;
    }

private:
    int m_nMaster = -1;
    QString m_strSlave;
};
