// sondex_ui_bench DIR CLI [rounds]: DIR holds Sondex.ini and logs/ (bench/generators/
// sondex_gen.py writes both). Each round times, in turn, the window's folder analysis (from
// Analyze until the statistics document has been painted) and a whole `CLI analyse` process
// on the same folder, wall clock, and prints the medians and their ratio.

#include "ChildFrame.h"
#include "MainFrame.h"
#include "SondexView.h"

#include "LogDocument.h"

#include "ProjectConfig.h"

#include "GridCtrl.h"
#include "UserPrompt.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <ctime>
#include <unistd.h>
#include <vector>

using namespace sondex;

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

/// CPU time of this process (all its threads) in milliseconds.
double ProcessCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

/// CPU time (user + system) of the finished child processes, in milliseconds.
double ChildrenCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto ms = [](const timeval& tv) { return tv.tv_sec * 1e3 + tv.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

/// Runs argv with stdout and stderr on /dev/null; false unless it ran and exited.
bool RunQuiet(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        return false;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status);
}

/// The shown document is the statistics and its first grid has been painted.
bool StatisticsPainted(const CMainFrame& frame) {
    CChildFrame* shown = frame.ActiveFrame();
    if (shown == nullptr || !shown->GetDocument()->IsStatistics() ||
        shown->GetView()->GetTables().empty()) {
        return false;
    }
    return shown->GetView()->GetTables().begin()->second->GetGrid()->GetLastPaintedCellCount() > 0;
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: sondex_ui_bench DIR CLI [rounds]\n");
        return 64;
    }
    const std::filesystem::path dir = argv[1];
    const std::string cli = argv[2];
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 9;
    const std::filesystem::path logs = dir / "logs";
    const std::filesystem::path ini = dir / "Sondex.ini";

    // Per-user settings in a scratch folder; messages recorded, questions answered No as
    // sondex-cli answers them by default.
    QTemporaryDir profile;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profile.path());
    CRecordingPrompt prompt(false);
    CScopedPrompt promptScope(prompt);
    CProjectConfig config;
    if (!config.Load(ini, std::filesystem::path(ini).replace_extension(".dat"))) {
        std::fprintf(stderr, "no configuration in %s\n", ini.c_str());
        return 2;
    }
    CScopedProjectConfig configScope(config);

    CMainFrame frame;
    frame.resize(1600, 900);
    frame.show();
    QApplication::processEvents();

    const QString folder = QString::fromStdString(logs.string());
    std::vector<double> window;
    std::vector<double> batch;
    std::vector<double> calls;
    std::vector<double> windowCpu;
    std::vector<double> batchCpu;
    int opened = 0;
    for (int round = 0; round < rounds; ++round) {
        const double c0 = ProcessCpuMs();
        const auto t0 = Clock::now();
        opened = frame.AnalyzeFolder(folder);
        const auto tEvents = Clock::now();
        QApplication::processEvents(); // lays out and paints the shown (statistics) document
        const auto t1 = Clock::now();
        windowCpu.push_back(ProcessCpuMs() - c0);
        calls.push_back(Ms(tEvents - t0));
        if (!StatisticsPainted(frame)) {
            std::fprintf(stderr, "the statistics document was not painted\n");
            return 2;
        }
        const double k0 = ChildrenCpuMs();
        if (!RunQuiet({cli, "analyse", logs.string(), "--config", ini.string()})) {
            std::fprintf(stderr, "could not run %s\n", cli.c_str());
            return 2;
        }
        const auto t2 = Clock::now();
        batchCpu.push_back(ChildrenCpuMs() - k0);
        window.push_back(Ms(t1 - t0));
        batch.push_back(Ms(t2 - t1));
        prompt.Clear();
    }
    const double w = Median(window);
    const double b = Median(batch);
    std::printf("logs opened          %d (+ statistics)\n", opened);
    std::printf("window, Analyze to statistics painted   median %.1f ms (min %.1f, max %.1f)\n", w,
                *std::min_element(window.begin(), window.end()),
                *std::max_element(window.begin(), window.end()));
    std::printf("  of which the AnalyzeFolder call      median %.1f ms (the rest: layout, paint)\n",
                Median(calls));
    std::printf("sondex-cli analyse, whole process       median %.1f ms (min %.1f, max %.1f)\n", b,
                *std::min_element(batch.begin(), batch.end()),
                *std::max_element(batch.begin(), batch.end()));
    std::printf("first round (profile written)           window %.1f ms, batch %.1f ms\n",
                window.front(), batch.front());
    std::printf("ratio window / batch, wall clock         %.2f x over %d rounds\n", w / b, rounds);
    const double wc = Median(windowCpu);
    const double bc = Median(batchCpu);
    std::printf("CPU time: window %.1f ms, sondex-cli %.1f ms (medians), ratio %.2f x\n", wc, bc,
                wc / bc);
    return 0;
}
