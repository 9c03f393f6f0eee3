#include "PassShare.h"
#include "ScanProgress.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

TEST(PassShare, RampRunsFromRedThroughYellowToGreen) {
    struct SCase {
        double share;
        uint32_t color; // 0x00BBGGRR
    };
    const SCase cases[] = {
        {0.0, 0x0000FF}, {0.25, 0x0080FF}, {0.5, 0x00FFFF}, {0.75, 0x00FF80},
        {1.0, 0x00FF00}, {-1.0, 0x0000FF}, {2.0, 0x00FF00},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.share);
        EXPECT_EQ(PassShareColor(c.share), c.color);
    }
    // Blue never enters, and green grows with the share.
    uint32_t previousGreen = 0;
    for (int step = 0; step <= 20; ++step) {
        const uint32_t color = PassShareColor(step / 20.0);
        EXPECT_EQ(color & 0xFF0000u, 0u);
        EXPECT_GE((color >> 8) & 0xFFu, previousGreen);
        previousGreen = (color >> 8) & 0xFFu;
    }
}

TEST(PassShare, ToolTipNamesTheFailingLogs) {
    SPassShare share;
    EXPECT_EQ(PassShareToolTip(share), L"");
    EXPECT_DOUBLE_EQ(share.Share(), 0.0);
    share.m_nLogs = 3;
    share.m_nPassed = 3;
    EXPECT_EQ(PassShareToolTip(share), L"passed in 3 of 3 logs (100 %)");
    share.m_nPassed = 1;
    share.m_vecFailedLogs = {L"b.txt", L"统计c.txt"};
    EXPECT_EQ(PassShareToolTip(share),
              L"passed in 1 of 3 logs (33 %)\nfailed in:\nb.txt\n统计c.txt");
    EXPECT_EQ(PassShareLegendTexts(), (std::vector<std::wstring>{L"0 %", L"50 %", L"100 %"}));
}

TEST(ScanProgress, LinesAndNothingOffATerminal) {
    EXPECT_EQ(CTerminalProgress::Line(2, 3, L"b 统计.txt"), "file 2/3 b 统计.txt\n");
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const CTerminalProgress progress(fds[1]);
    EXPECT_FALSE(progress.IsActive());
    EXPECT_FALSE(static_cast<bool>(progress.Callback()));
    ::close(fds[1]);
    char byte = 0;
    EXPECT_EQ(::read(fds[0], &byte, 1), 0); // nothing was written
    ::close(fds[0]);
}

TEST(ScanProgress, WritesItsLinesToATerminal) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        GTEST_SKIP() << "no pseudo-terminals here";
    }
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    const CTerminalProgress progress(slave);
    ASSERT_TRUE(progress.IsActive());
    const ScanProgressFn callback = progress.Callback();
    ASSERT_TRUE(static_cast<bool>(callback));
    callback(1, 2, L"a.txt");
    callback(2, 2, L"b.txt");
    std::string seen;
    char buffer[256];
    pollfd pfd{master, POLLIN, 0};
    while (seen.find("b.txt") == std::string::npos && ::poll(&pfd, 1, 2000) > 0) {
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        seen.append(buffer, static_cast<size_t>(n));
    }
    // The terminal turns LF into CR LF on output.
    EXPECT_EQ(seen, "file 1/2 a.txt\r\nfile 2/2 b.txt\r\n");
    ::close(slave);
    ::close(master);
}
