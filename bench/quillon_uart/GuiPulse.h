#pragma once

// How long the GUI thread of a benchmark goes without serving its event loop, and why: a
// timer ticks every few milliseconds; a longer gap between two ticks is a stall. Each gap is
// kept with the CPU time the GUI thread and the whole process had in it, so a stall spent in
// our own work (the GUI thread busy) can be told from one in which the process was given no
// core at all (a machine shared with other busy processes).

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace benchpulse {

inline double CpuMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

/// Times every event the GUI thread dispatches: the slowest, in wall time and in the GUI
/// thread's CPU time.
class CTimedApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        if (QThread::currentThread() != thread() || m_nDepth > 0) {
            return QApplication::notify(receiver, event);
        }
        ++m_nDepth;
        const int type = int(event->type());
        const char* name = receiver->metaObject()->className();
        QElapsedTimer wall;
        wall.start();
        const double cpu = CpuMs(CLOCK_THREAD_CPUTIME_ID);
        const bool result = QApplication::notify(receiver, event);
        const double cpuMs = CpuMs(CLOCK_THREAD_CPUTIME_ID) - cpu;
        const double wallMs = double(wall.nsecsElapsed()) / 1e6;
        --m_nDepth;
        if (wallMs > m_fSlowestWallMs) {
            m_fSlowestWallMs = wallMs;
            m_fSlowestWallCpuMs = cpuMs;
            m_strSlowest = std::string(name) + " event " + std::to_string(type);
        }
        if (cpuMs > m_fBusiestCpuMs) {
            m_fBusiestCpuMs = cpuMs;
            m_strBusiest = std::string(name) + " event " + std::to_string(type);
        }
        if (cpuMs > 20 && std::getenv("BENCH_TRACE") != nullptr) {
            std::fprintf(stderr, "event %s %d took %.1f ms CPU, %.1f ms wall\n", name, type,
                         cpuMs, wallMs);
        }
        return result;
    }

    double m_fSlowestWallMs = 0;    ///< the longest event, wall time
    double m_fSlowestWallCpuMs = 0; ///< the GUI thread's CPU time in it
    std::string m_strSlowest;
    double m_fBusiestCpuMs = 0; ///< the most GUI-thread CPU time one event took
    std::string m_strBusiest;

private:
    int m_nDepth = 0;
};

/// The machine's CPU time so far from /proc/stat, in clock ticks: everything, and the part
/// taken by the host from this virtual machine (steal).
struct SMachineTime {
    unsigned long long m_nTotal = 0;
    unsigned long long m_nSteal = 0;
    static SMachineTime Now() {
        SMachineTime out;
        if (std::FILE* f = std::fopen("/proc/stat", "r")) {
            unsigned long long v[8] = {};
            if (std::fscanf(f, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &v[0], &v[1], &v[2],
                            &v[3], &v[4], &v[5], &v[6], &v[7]) == 8) {
                for (unsigned long long x : v) {
                    out.m_nTotal += x;
                }
                out.m_nSteal = v[7];
            }
            std::fclose(f);
        }
        return out;
    }
    /// Steal as a share of all CPU time since start, in percent.
    [[nodiscard]] static double StealPercent(const SMachineTime& start) {
        const SMachineTime now = Now();
        const double total = double(now.m_nTotal - start.m_nTotal);
        return total > 0 ? 100.0 * double(now.m_nSteal - start.m_nSteal) / total : 0.0;
    }
};

/// One gap between two ticks.
struct SGap {
    double m_fWallMs = 0;
    double m_fGuiCpuMs = 0;
    double m_fProcessCpuMs = 0;
};

/// The pulse: ticks every intervalMs on the GUI thread, calls tick() after each one.
class CGuiPulse {
public:
    explicit CGuiPulse(int intervalMs, std::function<void()> tick = {})
        : m_tick(std::move(tick)) {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(intervalMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { OnTick(); });
    }
    void Start() {
        m_machine = SMachineTime::Now();
        m_clock.start();
        m_fLastGui = CpuMs(CLOCK_THREAD_CPUTIME_ID);
        m_fLastProcess = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
        m_timer.start();
    }
    void Stop() {
        m_timer.stop();
        m_fStealPercent = SMachineTime::StealPercent(m_machine);
        if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
            if (std::fscanf(f, "%lf", &m_fLoad) != 1) {
                m_fLoad = 0;
            }
            std::fclose(f);
        }
    }
    [[nodiscard]] qint64 ElapsedMs() const { return m_clock.elapsed(); }
    [[nodiscard]] const std::vector<SGap>& Gaps() const { return m_gaps; }

    /// Wall-time quantile q (0..1) of the gaps.
    [[nodiscard]] double Quantile(double q) const {
        if (m_gaps.empty()) {
            return 0;
        }
        std::vector<double> walls;
        for (const SGap& gap : m_gaps) {
            walls.push_back(gap.m_fWallMs);
        }
        std::sort(walls.begin(), walls.end());
        return walls[std::min(walls.size() - 1, size_t(q * double(walls.size())))];
    }
    [[nodiscard]] SGap Longest() const {
        SGap longest;
        for (const SGap& gap : m_gaps) {
            if (gap.m_fWallMs > longest.m_fWallMs) {
                longest = gap;
            }
        }
        return longest;
    }
    /// The longest gap whose time the GUI thread spent mostly running (at least half of it).
    [[nodiscard]] double LongestBusyMs() const {
        double longest = 0;
        for (const SGap& gap : m_gaps) {
            if (gap.m_fGuiCpuMs * 2 >= gap.m_fWallMs) {
                longest = std::max(longest, gap.m_fWallMs);
            }
        }
        return longest;
    }
    /// The most CPU time the GUI thread had within one gap.
    [[nodiscard]] double MostGuiCpuMs() const {
        double most = 0;
        for (const SGap& gap : m_gaps) {
            most = std::max(most, gap.m_fGuiCpuMs);
        }
        return most;
    }
    /// Gaps longer than ms in which the whole process had less than a tenth of the time.
    [[nodiscard]] size_t StarvedGaps(double ms) const {
        return size_t(std::count_if(m_gaps.begin(), m_gaps.end(), [ms](const SGap& gap) {
            return gap.m_fWallMs > ms && gap.m_fProcessCpuMs * 10 < gap.m_fWallMs;
        }));
    }

    void Print(const char* what) const {
        const SGap longest = Longest();
        std::printf("%-22sp50 %.1f, p99 %.1f, p99.9 %.1f, longest %.1f ms (pulse every %d ms, %zu "
                    "ticks)\n",
                    what, Quantile(0.5), Quantile(0.99), Quantile(0.999), longest.m_fWallMs,
                    m_timer.interval(), m_gaps.size());
        std::printf("%-22sGUI thread ran %.1f ms of it, the process %.1f ms; most GUI-thread CPU "
                    "in one gap %.1f ms; %zu gaps over 30 ms with the process given no core\n",
                    "  in the longest gap", longest.m_fGuiCpuMs, longest.m_fProcessCpuMs,
                    MostGuiCpuMs(), StarvedGaps(30));
        std::printf("%-22sload average %.1f on %u cores; %.1f%% of the machine's CPU time was "
                    "taken by its host (steal) during the run\n",
                    "  machine", m_fLoad, std::thread::hardware_concurrency(), m_fStealPercent);
    }

private:
    void OnTick() {
        const double now = double(m_clock.nsecsElapsed()) / 1e6;
        const double gui = CpuMs(CLOCK_THREAD_CPUTIME_ID);
        const double process = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
        m_gaps.push_back({now - m_fLastTick, gui - m_fLastGui, process - m_fLastProcess});
        m_fLastTick = now;
        m_fLastGui = gui;
        m_fLastProcess = process;
        if (m_tick) {
            m_tick();
        }
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    std::function<void()> m_tick;
    double m_fLastTick = 0;
    double m_fLastGui = 0;
    double m_fLastProcess = 0;
    std::vector<SGap> m_gaps;
    SMachineTime m_machine;
    double m_fStealPercent = 0;
    double m_fLoad = 0;
};

} // namespace benchpulse
