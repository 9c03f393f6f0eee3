// Pushes N lines of 80 bytes (default 1,000,000) through a pseudo-terminal into a capture
// window as fast as the terminal takes them, then checks that nothing was lost and prints
// the GUI thread's stalls (and how much of them it spent running) and the memory per line.
#include "PortDataCollectDlg.h"
#include "UartLineModel.h"

#include "FileUtil.h"
#include "GuiPulse.h"

#include <QApplication>
#include <QElapsedTimer>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

using namespace quillon;

namespace {

long RssKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 20, '\n');
    }
    return 0;
}

std::string Line(long i) {
    char line[81];
    std::snprintf(line, sizeof(line), "%08ld dxn=%ld, drv_stg=31ohm, mem_drv=48ohm, sdll_phs_dly=%03ld, ok",
                  i, i % 4, i % 128);
    std::string text(line);
    text.resize(79, '.');
    text += '\n';
    return text;
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const long lines = argc > 1 ? std::atol(argv[1]) : 1000000;
    benchpulse::CTimedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillon_uart_bench"));

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("posix_openpt");
        return 2;
    }
    CPortDataCollectDlg window;
    window.resize(1200, 800);
    window.show();
    SSerialParams params;
    params.m_strPort = QString::fromLocal8Bit(::ptsname(master));
    params.m_nBaudRate = 115200;
    if (!window.OpenPort(params)) {
        std::fprintf(stderr, "%s\n", window.Commun().LastError().toLocal8Bit().constData());
        return 2;
    }
    QApplication::processEvents(); // the window's first paint is not part of the flood
    const long rssBefore = RssKiB();
    const qint64 total = qint64(lines) * 80;

    // The board: writes from its own thread, blocking while the terminal is full.
    std::thread board([&] {
        std::string block;
        for (long i = 0; i < lines; ++i) {
            block += Line(i);
            if (block.size() >= 8000 || i + 1 == lines) {
                const char* p = block.data();
                size_t left = block.size();
                while (left > 0) {
                    const ssize_t n = ::write(master, p, left);
                    if (n < 0 && errno == EINTR) {
                        continue;
                    }
                    if (n < 0) {
                        std::perror("write");
                        return;
                    }
                    p += n;
                    left -= size_t(n);
                }
                block.clear();
            }
        }
    });

    // The GUI thread's pulse: a 5 ms timer; a longer gap between ticks is a stall.
    benchpulse::CGuiPulse pulse(5, [&] {
        if (window.Commun().ReceivedBytes() >= total) {
            QApplication::quit();
        }
    });
    pulse.Start();
    app.exec();
    pulse.Stop();
    board.join();
    const qint64 elapsedMs = pulse.ElapsedMs();
    window.Model()->Flush();
    QApplication::processEvents();
    const long rssAfter = RssKiB();
    // A board at 115200 baud after the flood: one line per repaint, into a full view.
    qint64 slowestTrickle = 0;
    for (int i = 0; i < 10; ++i) {
        const std::string line = Line(lines + i);
        QElapsedTimer one;
        one.start();
        window.OnPortData(line.data(), qint64(line.size()));
        window.Model()->Flush();
        QApplication::processEvents();
        slowestTrickle = std::max(slowestTrickle, one.elapsed());
    }
    window.Commun().ClosePort();

    std::string file;
    const bool read = ReadFileBytes(window.Commun().CaptureFilePath().toStdString(), file);
    bool same = read && qint64(file.size()) == total;
    for (long i = 0; same && i < lines; i += 997) {
        same = file.compare(size_t(i) * 80, 80, Line(i)) == 0;
    }
    const CUartLineStore& store = window.Model()->Store();
    const bool allLines = store.LineCount() == size_t(lines) + 10 &&
                          window.Model()->rowCount() == lines + 10 &&
                          window.Commun().CapturedText().size() == size_t(total);
    std::printf("lines                 %ld (80 bytes each, %.1f MB)\n", lines, total / 1e6);
    std::printf("elapsed               %.2f s (%.1f MB/s, %.0f lines/s)\n", elapsedMs / 1e3,
                total / 1e3 / double(elapsedMs), lines * 1e3 / double(elapsedMs));
    std::printf("capture file          %s\n", same ? "every byte, in order" : "MISMATCH");
    std::printf("lines in the view     %s\n", allLines ? "all" : "MISSING");
    pulse.Print("GUI gaps");
    std::printf("slowest GUI event     %.1f ms (%s; the GUI thread ran %.1f ms of it); most CPU "
                "in one event %.1f ms (%s)\n",
                app.m_fSlowestWallMs, app.m_strSlowest.c_str(), app.m_fSlowestWallCpuMs,
                app.m_fBusiestCpuMs, app.m_strBusiest.c_str());
    std::printf("one more line, shown  %lld ms at most (10 tries, view already full)\n",
                (long long)slowestTrickle);
    std::printf("line store            %.1f bytes per line\n",
                double(store.MemoryBytes()) / double(lines));
    std::printf("process memory        %.1f bytes per line (RSS %ld -> %ld KiB; includes the "
                "captured text kept for Save capture as)\n",
                (rssAfter - rssBefore) * 1024.0 / double(lines), rssBefore, rssAfter);
    std::remove(window.Commun().CaptureFilePath().toLocal8Bit().constData());
    ::close(master);
    return same && allLines ? 0 : 1;
}
