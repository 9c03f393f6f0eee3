// quillon_ui_bench [DIR] [ROUNDS]: times, on the offscreen platform, what a user of the
// Quillon window waits for on a folder of lpDDR2 logs, and quillon-cli's analysis of the same
// folder in the same process:
//   cli      RunAnalyse (scan, every tab shown, the report), as `quillon-cli analyse` runs it
//   analyse  the Analyse click until the statistics chart is painted
//   tab      switching to a log tab until its chart is painted (every tab, every round)
// Without DIR, 100 logs of 1568 data lines are generated into a temporary folder.

#include "DdrLogGenerator.h"
#include "QuillonCli.h"
#include "QuillonDlg.h"
#include "SettingsFile.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include <time.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// CPU time of this thread: on a shared machine it leaves out the time other programs take.
double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const fs::path scratch =
        fs::temp_directory_path() / ("quillon_ui_bench_" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    // A profile and settings of the run's own.
    setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    QApplication app(argc, argv);

    fs::path dir = argc >= 2 ? fs::path(argv[1]) : scratch / "logs";
    const int rounds = argc >= 3 ? std::max(1, std::atoi(argv[2])) : 5;
    if (argc < 2 && loggen::WriteBenchLogs(dir, 100).size() != 100) {
        std::fprintf(stderr, "could not write the benchmark logs\n");
        return 1;
    }
    GetSettings().SetPath(scratch / "Quillon.ini");

    CRecordingPrompt prompt;
    CScopedPrompt scope(prompt);

    std::vector<double> cli;
    std::vector<double> analyse;
    std::vector<double> tabs;
    std::vector<double> tabsCpu;
    std::vector<double> analyseCpu;
    std::vector<double> cliCpu;
    for (int round = 0; round < rounds; ++round) {
        SAnalyseOptions options;
        options.m_strDirectory = PathToWide(dir);
        options.m_nLogType = 1;
        CConsolePrompt console(false);
        console.SetEcho(false);
        {
            CScopedPrompt cliScope(console);
            const double startCpu = ThreadCpuMs();
            const Clock::time_point start = Clock::now();
            const SAnalyseOutput out = RunAnalyse(options, console);
            const std::string text = out.m_doc.dump();
            cli.push_back(Ms(start, Clock::now()));
            cliCpu.push_back(ThreadCpuMs() - startCpu);
            if (out.m_doc["pages"].empty() || text.empty()) {
                std::fprintf(stderr, "quillon-cli analysis found nothing\n");
                return 1;
            }
        }

        CQuillonDlg dialog;
        dialog.resize(1600, 900);
        dialog.show();
        dialog.OnLogType(1);
        dialog.DirectoryBox()->setText(QString::fromStdString(dir.string()));
        QApplication::processEvents();

        const double startCpu = ThreadCpuMs();
        const Clock::time_point start = Clock::now();
        if (!dialog.OnAnalyse()) {
            std::fprintf(stderr, "Analyse failed\n");
            return 1;
        }
        dialog.repaint(); // the whole window, the statistics chart with it
        analyse.push_back(Ms(start, Clock::now()));
        analyseCpu.push_back(ThreadCpuMs() - startCpu);

        for (int tab = 1; tab < dialog.Tabs()->count(); ++tab) {
            const double fromCpu = ThreadCpuMs();
            const Clock::time_point from = Clock::now();
            dialog.Tabs()->setCurrentIndex(tab);
            dialog.repaint();
            tabs.push_back(Ms(from, Clock::now()));
            tabsCpu.push_back(ThreadCpuMs() - fromCpu);
        }
    }
    const double cliMedian = Median(cli);
    const double analyseMedian = Median(analyse);
    std::printf("logs                 %s\n", dir.string().c_str());
    std::printf("rounds               %d\n", rounds);
    std::printf("cli analysis         %.1f ms (median)\n", cliMedian);
    std::printf("analyse to painted   %.1f ms (median)\n", analyseMedian);
    std::printf("ratio                %.2f (budget 1.5)\n", analyseMedian / cliMedian);
    auto report = [](const char* what, std::vector<double> ms) {
        std::sort(ms.begin(), ms.end());
        const auto over = std::count_if(ms.begin(), ms.end(), [](double v) { return v > 50.0; });
        std::printf("%s %.1f ms median, %.1f ms 95th percentile, %.1f ms max over %zu switches, "
                    "%zd above 50 ms\n",
                    what, Median(ms), ms.empty() ? 0.0 : ms[ms.size() * 95 / 100],
                    ms.empty() ? 0.0 : ms.back(), ms.size(), over);
    };
    std::printf("thread CPU: cli %.1f ms, analyse to painted %.1f ms, ratio %.2f (medians)\n",
                Median(cliCpu), Median(analyseCpu), Median(analyseCpu) / Median(cliCpu));
    report("tab switch + paint, wall      ", tabs);
    report("tab switch + paint, thread CPU", tabsCpu);
    std::error_code ec;
    fs::remove_all(scratch, ec);
    return 0;
}
