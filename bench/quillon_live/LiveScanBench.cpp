// A board printing a DDR scan log at a baud rate (default 115200, 10 bits per byte) through a
// pseudo-terminal into Quillon's window (offscreen) with the capture open: the GUI thread's
// stalls while the Live tab fills, how long each data line takes from the board to the chart
// (the chart shows a line once a repaint of the Live tab includes it), and whether the saved
// log holds exactly the bytes played.
#include "LiveScan.h"
#include "MFCPageDDR.h"
#include "PortDataCollectDlg.h"
#include "QuillonDlg.h"
#include "SerialPortSetDlg.h"

#include "FileUtil.h"
#include "GuiPulse.h"
#include "SettingsFile.h"
#include "UserPrompt.h"

#include <QLineEdit>
#include <QTabWidget>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

using namespace quillon;

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start, Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(t - start).count();
}

double Quantile(std::vector<double> values, double q) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(q * double(values.size())))];
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc < 4) {
        std::fprintf(stderr, "usage: quillon_live_bench LOG BAUD SCRATCH_DIR\n");
        return 2;
    }
    const std::filesystem::path logPath = argv[1];
    const int baud = std::atoi(argv[2]);
    const std::filesystem::path scratch = argv[3];
    std::string log;
    if (!ReadFileBytes(logPath, log) || baud <= 0) {
        std::fprintf(stderr, "cannot read %s\n", logPath.c_str());
        return 2;
    }
    // The board's lines, and which of them are data lines.
    std::vector<std::string> lines;
    for (size_t at = 0; at < log.size();) {
        const size_t lf = log.find('\n', at);
        const size_t end = lf == std::string::npos ? log.size() : lf + 1;
        lines.push_back(log.substr(at, end - at));
        at = end;
    }

    benchpulse::CTimedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillon_live_bench"));
    std::filesystem::create_directories(scratch / "logs");
    GetSettings().SetPath(scratch / "Quillon.ini");
    CConsolePrompt prompt(false);
    CScopedPrompt scope(prompt);

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("posix_openpt");
        return 2;
    }
    CQuillonDlg dialog;
    dialog.resize(1600, 1000);
    dialog.show();
    dialog.OnLogType(1);
    dialog.DirectoryBox()->setText(QString::fromStdString((scratch / "logs").string()));
    SSerialPortSettings port;
    port.m_strPort = QString::fromLocal8Bit(::ptsname(master));
    port.m_strBaudRate = QString::number(baud);
    dialog.SetPortSet(0, port);
    dialog.OnOpenCapture();
    CPortDataCollectDlg* capture = dialog.Capture(0);
    if (capture == nullptr || !capture->Commun().IsOpen()) {
        std::fprintf(stderr, "the capture did not open\n");
        return 2;
    }
    QApplication::processEvents();

    // When the board finished writing each data line, and when the chart showed how many.
    const Clock::time_point start = Clock::now();
    std::vector<double> writtenMs(lines.size(), -1);
    std::atomic<bool> boardDone{false};
    std::vector<std::pair<double, qulonglong>> shown;
    QObject::connect(&dialog, &CQuillonDlg::livePageShown, [&](qulonglong dataLines) {
        shown.emplace_back(MsSince(start, Clock::now()), dataLines);
        if (std::getenv("BENCH_TRACE") != nullptr) {
            std::fprintf(stderr, "shown %llu at %.1f ms\n", dataLines, shown.back().first);
        }
    });

    std::thread board([&] {
        size_t bytes = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            bytes += lines[i].size();
            // The line's last byte leaves the board at this moment.
            std::this_thread::sleep_until(start + std::chrono::microseconds(
                                                      (long long)(bytes * 10 * 1000000.0 / baud)));
            const char* p = lines[i].data();
            size_t left = lines[i].size();
            while (left > 0) {
                const ssize_t n = ::write(master, p, left);
                if (n < 0 && errno == EINTR) {
                    continue;
                }
                if (n < 0) {
                    std::perror("write");
                    boardDone = true;
                    return;
                }
                p += n;
                left -= size_t(n);
            }
            writtenMs[i] = MsSince(start, Clock::now());
        }
        boardDone = true;
    });

    benchpulse::CGuiPulse pulse(5, [&] {
        if (boardDone && !capture->Live().Results().empty()) {
            QApplication::quit();
        }
        if (boardDone && MsSince(start, Clock::now()) > 1e3 * 60 * 10) {
            QApplication::quit();
        }
    });
    pulse.Start();
    app.exec();
    pulse.Stop();
    board.join();

    // Data line k (counting data lines only) is on the chart at the first repaint that
    // included at least k + 1 data lines.
    std::vector<double> latencies;
    size_t dataIndex = 0;
    size_t unseen = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find("dxn=") == std::string::npos ||
            lines[i].find("dqs_step_dly") == std::string::npos) {
            continue;
        }
        const auto at = std::find_if(shown.begin(), shown.end(), [&](const auto& s) {
            return s.second >= dataIndex + 1;
        });
        if (at == shown.end()) {
            ++unseen;
        } else {
            latencies.push_back(at->first - writtenMs[i]);
        }
        ++dataIndex;
    }
    const bool complete = !capture->Live().Results().empty() &&
                          capture->Live().Results()[0].m_end == ELiveScanEnd::Complete;
    std::string saved;
    const bool same = complete &&
                      ReadFileBytes(capture->Live().Results()[0].m_savedPath, saved) &&
                      saved == log;
    const double playedMs = lines.empty() ? 0 : writtenMs.back();
    std::printf("log                   %s: %zu bytes, %zu data lines at %d baud\n",
                logPath.filename().c_str(), log.size(), dataIndex, baud);
    std::printf("played in             %.1f s\n", playedMs / 1e3);
    std::printf("saved log             %s\n", same ? "identical to the bytes played"
                                                   : (complete ? "DIFFERENT" : "SCAN NOT COMPLETE"));
    pulse.Print("GUI gaps");
    std::printf("slowest GUI event     %.1f ms (%s; the GUI thread ran %.1f ms of it); most CPU "
                "in one event %.1f ms (%s)\n",
                app.m_fSlowestWallMs, app.m_strSlowest.c_str(), app.m_fSlowestWallCpuMs,
                app.m_fBusiestCpuMs, app.m_strBusiest.c_str());
    std::printf("line to chart         p50 %.1f, p99 %.1f, longest %.1f ms over %zu data lines "
                "(%zu never shown)\n",
                Quantile(latencies, 0.5), Quantile(latencies, 0.99), Quantile(latencies, 1.0),
                latencies.size(), unseen);
    std::printf("repaints of Live      %zu in %.1f s (%.1f a second)\n", shown.size(),
                playedMs / 1e3, playedMs > 0 ? double(shown.size()) * 1e3 / playedMs : 0.0);
    ::close(master);
    return same && unseen == 0 ? 0 : 1;
}
