#pragma once

// Runs a program with its standard error on a pipe or on a pseudo-terminal and hands back
// what it wrote there (standard output goes to /dev/null): the batch programs write their
// progress only to a terminal.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace testsupport {

/// What the program wrote to standard error; exitCode its exit status (-1 when it did not
/// exit normally or could not start). A terminal turns "\n" into "\r\n".
inline std::string RunWithStderr(const std::vector<std::string>& args, bool terminal,
                                 int& exitCode) {
    exitCode = -1;
    int readFd = -1;
    int writeFd = -1;
    if (terminal) {
        readFd = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (readFd < 0 || ::grantpt(readFd) != 0 || ::unlockpt(readFd) != 0) {
            return {};
        }
        writeFd = ::open(::ptsname(readFd), O_RDWR | O_NOCTTY);
    } else {
        int fds[2];
        if (::pipe(fds) != 0) {
            return {};
        }
        readFd = fds[0];
        writeFd = fds[1];
    }
    if (writeFd < 0) {
        ::close(readFd);
        return {};
    }
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int devNull = ::open("/dev/null", O_RDWR);
        ::dup2(devNull, 0);
        ::dup2(devNull, 1);
        ::dup2(writeFd, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(writeFd);
    std::string out;
    char buffer[4096];
    for (;;) {
        pollfd pfd{readFd, POLLIN, 0};
        if (::poll(&pfd, 1, 30000) <= 0) {
            break;
        }
        const ssize_t n = ::read(readFd, buffer, sizeof buffer);
        if (n <= 0) {
            break; // end of the pipe, or EIO once the terminal's last writer has gone
        }
        out.append(buffer, static_cast<size_t>(n));
    }
    ::close(readFd);
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        exitCode = WEXITSTATUS(status);
    }
    return out;
}

} // namespace testsupport
