#include "PortDataCollectDlg.h"

#include "BoardPty.h"
#include "ScratchFolder.h"
#include "SerialLink.h"
#include "UartLineModel.h"

#include "FileUtil.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTableView>
#include <QScrollBar>
#include <QSerialPort>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

// Capture files of this test program go to a scratch data folder.
struct SScratchData {
    SScratchData() { setenv("XDG_DATA_HOME", m_folder.Path().c_str(), 1); }
    testsupport::CScratchFolder m_folder{"quillon_uart_data"};
};
const SScratchData kData;

using CPtyPair = CBoardPty;

SSerialParams PtyParams(const CPtyPair& pty, qint32 baud = 115200) {
    SSerialParams params;
    params.m_strPort = pty.Slave();
    params.m_nBaudRate = baud;
    return params;
}

// Waits, serving the GUI thread, until done() holds or five seconds pass.
bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qWait(2);
    }
    return true;
}

std::vector<std::string> Rows(const CPortDataCollectDlg& window) {
    window.Model()->Flush();
    std::vector<std::string> rows;
    for (int i = 0; i < window.Model()->rowCount(); ++i) {
        rows.push_back(window.Model()->index(i).data().toString().toStdString());
    }
    return rows;
}

// Writes the pieces one by one, each after the previous one has been received.
void Feed(const CPtyPair& pty, CPortDataCollectDlg& window,
          const std::vector<std::string>& pieces) {
    for (const std::string& piece : pieces) {
        const qint64 before = window.Commun().ReceivedBytes();
        ASSERT_TRUE(pty.Write(piece));
        ASSERT_TRUE(WaitFor([&] {
            return window.Commun().ReceivedBytes() >= before + qint64(piece.size());
        })) << "piece not received: " << piece;
    }
}

std::string FileBytes(const QString& path) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(fs::path(path.toStdString()), bytes)) << path.toStdString();
    return bytes;
}

class SerialCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_pty.Slave().isEmpty()) << "no pseudo-terminal";
    }
    CPtyPair m_pty;
};

TEST_F(SerialCaptureTest, PiecesSplitMidLineWithCrLfBecomeEntries) {
    CPortDataCollectDlg window;
    ASSERT_TRUE(window.OpenPort(PtyParams(m_pty))) << window.Commun().LastError().toStdString();
    Feed(m_pty, window, {"abc", "def\r\nghi", "\n"});
    EXPECT_EQ(Rows(window), (std::vector<std::string>{"abcdef", "ghi"}));
    EXPECT_EQ(window.Commun().BuffersOut(), 0u);
}

TEST_F(SerialCaptureTest, EveryLineFeedEndsAnEntryAndZeroBytesStay) {
    CPortDataCollectDlg window;
    ASSERT_TRUE(window.OpenPort(PtyParams(m_pty)));
    Feed(m_pty, window, {"one\ntwo\nthree\n", std::string("\0zero\n", 6), "tail"});
    // The text still waiting for its line feed shows as the last row.
    EXPECT_EQ(Rows(window),
              (std::vector<std::string>{"one", "two", "three", "\u2400zero", "tail"}));
    EXPECT_EQ(window.Commun().CapturedText(),
              std::string("one\ntwo\nthree\n\0zero\ntail", 24));
}

TEST_F(SerialCaptureTest, PauseDropsDataAndKeepsThePort) {
    CPortDataCollectDlg window;
    ASSERT_TRUE(window.OpenPort(PtyParams(m_pty)));
    Feed(m_pty, window, {"before\n"});
    EXPECT_EQ(window.Commun().PauseCapture(), 1);
    Feed(m_pty, window, {"while paused\n"});
    EXPECT_TRUE(window.Commun().IsOpen());
    EXPECT_EQ(Rows(window), (std::vector<std::string>{"before"}));
    EXPECT_EQ(window.Commun().CapturedText(), "before\n");
    EXPECT_EQ(FileBytes(window.Commun().CaptureFilePath()), "before\n");
    EXPECT_EQ(window.Commun().BuffersOut(), 0u);
}

TEST_F(SerialCaptureTest, CloseAndReopenKeepsTheLinesAndStartsANewFile) {
    CPortDataCollectDlg window;
    ASSERT_TRUE(window.OpenPort(PtyParams(m_pty)));
    Feed(m_pty, window, {"first\n"});
    const QString firstFile = window.Commun().CaptureFilePath();
    EXPECT_EQ(window.Commun().ClosePort(), 1);
    EXPECT_FALSE(window.Commun().IsOpen());
    ASSERT_TRUE(window.OpenPort(PtyParams(m_pty, 9600)));
    EXPECT_TRUE(window.Commun().IsOpen());
    Feed(m_pty, window, {"second\n"});
    EXPECT_EQ(Rows(window), (std::vector<std::string>{"first", "second"}));
    const QString secondFile = window.Commun().CaptureFilePath();
    EXPECT_NE(firstFile, secondFile);
    EXPECT_EQ(FileBytes(firstFile), "first\n");
    EXPECT_EQ(FileBytes(secondFile), "second\n");
    EXPECT_TRUE(window.FileLabel()->text().contains(secondFile));
    EXPECT_TRUE(secondFile.startsWith(CPortDataCollectDlg::CaptureFolder()));
}

TEST_F(SerialCaptureTest, CaptureFileHoldsEveryByteInOrder) {
    // 100,000 numbered lines, written as fast as the terminal takes them (faster than a
    // 115200-baud line ever delivers).
    CPortDataCollectDlg window;
    ASSERT_TRUE(window.OpenPort(PtyParams(m_pty)));
    std::string all;
    for (int i = 0; i < 100000; ++i) {
        char line[48];
        std::snprintf(line, sizeof(line), "%06d DQS scan PASS%s\r\n", i, i % 3 ? "" : " \xb5s");
        all += line;
    }
    for (size_t at = 0; at < all.size(); at += 4093) {
        ASSERT_TRUE(m_pty.Write(std::string_view(all).substr(at, 4093)));
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(WaitFor([&] { return window.Commun().ReceivedBytes() >= qint64(all.size()); },
                        60000));
    EXPECT_EQ(FileBytes(window.Commun().CaptureFilePath()), all);
    EXPECT_EQ(window.Commun().CapturedText(), all);
    const CUartLineStore& store = window.Model()->Store();
    ASSERT_EQ(store.LineCount(), 100000u);
    EXPECT_EQ(std::string(store.Line(99999)), "099999 DQS scan PASS \xb5s");
    EXPECT_EQ(std::string(store.Line(4)), "000004 DQS scan PASS");
}

TEST_F(SerialCaptureTest, PiecesWaitingForABusyWindowArriveJoinedInOrderInBoundedCalls) {
    // The window does not serve its events while 300 kB arrive: the reader must neither wait
    // for it nor hand it everything in one long call once it is back.
    QObject window;
    CSerialCommun commun;
    std::string got;
    size_t calls = 0;
    size_t largest = 0;
    ASSERT_EQ(commun.OpenPort(&window, 0, PtyParams(m_pty),
                              [&](const char* data, qint64 size) {
                                  got.append(data, size_t(size));
                                  ++calls;
                                  largest = std::max(largest, size_t(size));
                              }),
              1);
    std::string sent;
    for (int i = 0; sent.size() < 300000; ++i) {
        sent += "line " + std::to_string(i) + " of the flood\r\n";
    }
    std::thread board([&] { EXPECT_TRUE(m_pty.Write(sent)); });
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (commun.CapturedText().size() < sent.size() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    board.join();
    ASSERT_EQ(commun.CapturedText(), sent) << "the reader waited for the window";
    EXPECT_TRUE(got.empty());
    ASSERT_TRUE(WaitFor([&] { return got.size() >= sent.size(); }));
    EXPECT_EQ(got, sent);
    EXPECT_LE(largest, CSerialCommun::kHandOverBytes);
    EXPECT_LT(calls, 20u) << "pieces were not joined";
    EXPECT_EQ(commun.ReceivedBytes(), qint64(sent.size()));
}

TEST_F(SerialCaptureTest, BytesStillWaitingAreHandedOnWhenThePortCloses) {
    QObject window;
    CSerialCommun commun;
    std::string got;
    ASSERT_EQ(commun.OpenPort(&window, 0, PtyParams(m_pty),
                              [&](const char* data, qint64 size) { got.append(data, size_t(size)); }),
              1);
    ASSERT_TRUE(m_pty.Write("last words\n"));
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (commun.CapturedText().empty() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_TRUE(got.empty());
    commun.ClosePort();
    EXPECT_EQ(got, "last words\n");
    // The hand-over still queued for the window finds nothing more to give.
    QCoreApplication::processEvents();
    EXPECT_EQ(got, "last words\n");
}

TEST_F(SerialCaptureTest, PortThatCannotOpenGivesClearMessageAndWindowStaysUsable) {
    CPortDataCollectDlg window;
    SSerialParams missing;
    missing.m_strPort = QStringLiteral("/dev/ttyNoSuchAdapter7");
    EXPECT_FALSE(window.OpenPort(missing));
    const QString error = window.Commun().LastError();
    EXPECT_TRUE(error.contains(QStringLiteral("/dev/ttyNoSuchAdapter7"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("no such device"))) << error.toStdString();
    EXPECT_FALSE(window.Commun().IsOpen());
    EXPECT_TRUE(window.Commun().CaptureFilePath().isEmpty());
    // The same window opens a port that exists afterwards.
    ASSERT_TRUE(window.OpenPort(PtyParams(m_pty)));
    Feed(m_pty, window, {"alive\n"});
    EXPECT_EQ(Rows(window), (std::vector<std::string>{"alive"}));
}

TEST_F(SerialCaptureTest, InvalidLineSettingsAreRefusedNotIgnored) {
    CPortDataCollectDlg window;
    SSerialParams params = PtyParams(m_pty);
    params.m_strParity = QStringLiteral("MARK");
    EXPECT_FALSE(window.OpenPort(params));
    EXPECT_TRUE(window.Commun().LastError().contains(QStringLiteral("MARK")));
}

TEST(SerialLink, LineSettingsReachThePort) {
    CPtyPair pty;
    ASSERT_FALSE(pty.Slave().isEmpty());
    struct SCase {
        int m_nDataBits;
        const char* m_szParity;
        const char* m_szStop;
    };
    for (const SCase& c : {SCase{7, "EVEN", "2"}, SCase{8, "ODD", "1"}, SCase{6, "NONE", "1"}}) {
        std::unique_ptr<CSerialLink> link = CSerialLink::Create();
        SSerialParams params = PtyParams(pty, 57600);
        params.m_nDataBits = c.m_nDataBits;
        params.m_strParity = QString::fromLatin1(c.m_szParity);
        params.m_strStopBits = QString::fromLatin1(c.m_szStop);
        ASSERT_TRUE(link->Open(params)) << link->Error().toStdString();
        // What the terminal now holds, read from a second handle of the same device.
        termios tio{};
        const int fd = ::open(pty.Slave().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::tcgetattr(fd, &tio), 0);
        ::close(fd);
        // A pseudo-terminal always reports 8 data bits and no parity (the kernel rewrites
        // them); stop bits and speed are kept, and the hardware test checks the rest.
        EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, std::string(c.m_szStop) == "2");
        EXPECT_EQ(::cfgetispeed(&tio), speed_t(B57600));
        link->Close();
    }
}

TEST(SerialLink, LineSettingTextsMapToPortValues) {
    struct SCase {
        const char* m_szParity;
        const char* m_szStop;
        int m_nDataBits;
        bool m_bValid;
        int m_nParity;
        int m_nStop;
    };
    const SCase cases[] = {
        {"NONE", "1", 8, true, QSerialPort::NoParity, QSerialPort::OneStop},
        {"ODD", "2", 7, true, QSerialPort::OddParity, QSerialPort::TwoStop},
        {"EVEN", "1", 5, true, QSerialPort::EvenParity, QSerialPort::OneStop},
        {"odd", "1", 8, false, 0, 0},
        {"NONE", "1.5", 8, false, 0, 0},
        {"NONE", "1", 9, false, 0, 0},
    };
    for (const SCase& c : cases) {
        SSerialParams params;
        params.m_strParity = QString::fromLatin1(c.m_szParity);
        params.m_strStopBits = QString::fromLatin1(c.m_szStop);
        params.m_nDataBits = c.m_nDataBits;
        int parity = -1;
        int stop = -1;
        ASSERT_EQ(CSerialLink::ParseLineSettings(params, parity, stop), c.m_bValid)
            << c.m_szParity << " " << c.m_szStop << " " << c.m_nDataBits;
        if (c.m_bValid) {
            EXPECT_EQ(parity, c.m_nParity);
            EXPECT_EQ(stop, c.m_nStop);
        }
    }
}

TEST(SerialLink, PermissionDeniedNamesTheDialoutGroup) {
    const QString text = CSerialLink::DescribeOpenFailure(
        QStringLiteral("/dev/ttyUSB0"), QSerialPort::PermissionError,
        QStringLiteral("Permission denied"), EACCES, true);
    EXPECT_TRUE(text.contains(QStringLiteral("/dev/ttyUSB0")));
    EXPECT_TRUE(text.contains(QStringLiteral("Permission denied")));
    EXPECT_TRUE(text.contains(QStringLiteral("dialout")));
    // Busy, not forbidden: no advice about groups.
    const QString busy = CSerialLink::DescribeOpenFailure(
        QStringLiteral("/dev/ttyUSB0"), QSerialPort::PermissionError,
        QStringLiteral("Device or resource busy"), 0, true);
    EXPECT_FALSE(busy.contains(QStringLiteral("dialout")));
    EXPECT_TRUE(busy.contains(QStringLiteral("Device or resource busy")));
}

TEST(SerialLink, PermissionDeniedOnARealDevice) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root opens any device";
    }
    CPtyPair pty;
    ASSERT_FALSE(pty.Slave().isEmpty());
    ASSERT_EQ(::chmod(pty.Slave().toLocal8Bit().constData(), 0), 0);
    std::unique_ptr<CSerialLink> link = CSerialLink::Create();
    EXPECT_FALSE(link->Open(PtyParams(pty)));
    EXPECT_TRUE(link->Error().contains(QStringLiteral("dialout"))) << link->Error().toStdString();
}

// A board on a real adapter: QUILLON_UART_DEVICE names it (e.g. /dev/ttyUSB0) and the board
// prints something within ten seconds.
TEST(SerialHardware, RealPortDeliversLines) {
    const char* device = std::getenv("QUILLON_UART_DEVICE");
    if (device == nullptr || *device == '\0') {
        GTEST_SKIP() << "QUILLON_UART_DEVICE is not set";
    }
    CPortDataCollectDlg window;
    SSerialParams params;
    params.m_strPort = QString::fromLocal8Bit(device);
    const char* baud = std::getenv("QUILLON_UART_BAUD");
    params.m_nBaudRate = baud != nullptr ? std::atoi(baud) : 115200;
    ASSERT_TRUE(window.OpenPort(params)) << window.Commun().LastError().toStdString();
    termios tio{};
    const int fd = ::open(device, O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    ::close(fd);
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB), tcflag_t(0));
    EXPECT_TRUE(WaitFor([&] { return window.Commun().ReceivedBytes() > 0; }, 10000));
    EXPECT_EQ(window.Commun().ClosePort(), 1);
}

TEST(UartLineModel, ViewsHearOfRowsOnlyWhenTheTimerFires) {
    CUartLineModel model;
    model.Append("a\nb\n");
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(model.IsFlushPending());
    ASSERT_TRUE(WaitFor([&] { return model.rowCount() == 2; }, 2000));
    EXPECT_FALSE(model.IsFlushPending());
    // The pending row grows in place.
    model.Append("c");
    model.Flush();
    ASSERT_EQ(model.rowCount(), 3);
    model.Append("d\n");
    model.Flush();
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.index(2).data().toString(), QStringLiteral("cd"));
}

TEST(UartLineModel, ViewFollowsNewestUnlessScrolledUp) {
    CPortDataCollectDlg window;
    window.resize(400, 200);
    window.show();
    std::string lines;
    for (int i = 0; i < 500; ++i) {
        lines += "line " + std::to_string(i) + "\n";
    }
    window.OnPortData(lines.data(), qint64(lines.size()));
    window.Model()->Flush();
    QCoreApplication::processEvents();
    QScrollBar* bar = window.View()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(10);
    window.OnPortData(lines.data(), qint64(lines.size()));
    window.Model()->Flush();
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), 10);
    EXPECT_EQ(window.Model()->rowCount(), 1000);
}

} // namespace
