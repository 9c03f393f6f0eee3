// Times a QuillonOrlo scan in the window, from the click on "扫描分析" to the statistics page
// painted, beside quillon-orlo-cli's scan of the same folders (its whole run in this process:
// arguments, scan, verdict, best set, text report). 100 logs of 8192 data lines over three
// temperatures; the two alternate round by round so that the load of a shared machine falls
// on both alike. Budget: the window within 1.5x of the batch program.
//   orlo_ui_bench [ROUNDS]

#include "MFCPageOrloMain.h"
#include "OrloCli.h"
#include "OrloLogGenerator.h"
#include "QuillonDlg.h"
#include "SettingsFile.h"
#include "UserPrompt.h"

#include <QApplication>
#include <QPushButton>
#include <QSettings>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct STimes {
    double wall = 0;
    double cpu = 0;
};

double ThreadCpu() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

template <typename F> STimes Time(F&& work) {
    const auto w0 = std::chrono::steady_clock::now();
    const double c0 = ThreadCpu();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count(),
            ThreadCpu() - c0};
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    QApplication app(argc, argv);

    const fs::path root = fs::temp_directory_path() / ("orlo-ui-bench-" + std::to_string(getpid()));
    const orlogen::SOptions options; // every drive value 0..3: 8192 data lines
    const char* dirs[] = {"normal", "low", "high"};
    size_t bytes = 0;
    int logs = 0;
    for (int t = 0; t < 3; ++t) {
        fs::create_directories(root / dirs[t]);
        // 34 boards at room temperature, 33 of them also cold and hot: 100 logs.
        for (int board = 1; board <= (t == orlogen::kNormal ? 34 : 33); ++board) {
            const std::string log = orlogen::GenerateLog(options, board, t, 1);
            std::ofstream(root / dirs[t] / orlogen::LogFileName(board, t), std::ios::binary) << log;
            bytes += log.size();
            ++logs;
        }
    }
    const fs::path ini = root / "QuillonOrlo.ini";
    std::ofstream(ini, std::ios::binary) << orlogen::GenerateSettings(options);
    GetSettings().SetPath(ini);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString((root / "profile").string()));

    CRecordingPrompt prompt;
    CScopedPrompt guard(prompt);
    CQuillonDlg dlg;
    dlg.SetDirectories(QString::fromStdString((root / "normal").string()),
                       QString::fromStdString((root / "low").string()),
                       QString::fromStdString((root / "high").string()));
    dlg.show();
    QApplication::processEvents();

    const std::vector<std::string> cliArgs = {"scan",
                                              "--normal",
                                              (root / "normal").string(),
                                              "--low",
                                              (root / "low").string(),
                                              "--high",
                                              (root / "high").string(),
                                              "--settings",
                                              ini.string()};
    std::vector<double> guiWall, guiCpu, cliWall, cliCpu;
    bool verdict = false;
    int cliCode = -1;
    for (int r = 0; r < rounds; ++r) {
        const STimes cli = Time([&]() {
            std::ostringstream out, err;
            cliCode = orlo::RunOrloCli(cliArgs, out, err);
        });
        const STimes gui = Time([&]() {
            dlg.ScanButton()->click();
            QApplication::processEvents();
            if (dlg.MainPage() != nullptr) {
                dlg.MainPage()->repaint(); // painted now, grid included
            }
        });
        verdict = dlg.Verdict();
        if (dlg.MainPage() == nullptr || dlg.Pages().size() != static_cast<size_t>(logs) + 1) {
            std::fprintf(stderr, "the window did not scan %d logs\n", logs);
            return 1;
        }
        cliWall.push_back(cli.wall);
        cliCpu.push_back(cli.cpu);
        guiWall.push_back(gui.wall);
        guiCpu.push_back(gui.cpu);
    }
    std::printf("%d logs, %.1f MiB, verdict %s (batch program exit %d), %d rounds\n", logs,
                static_cast<double>(bytes) / (1024.0 * 1024.0), verdict ? "PASS" : "FAIL", cliCode,
                rounds);
    std::printf("quillon-orlo-cli scan      median wall %7.1f ms  thread cpu %7.1f ms\n",
                Median(cliWall) * 1e3, Median(cliCpu) * 1e3);
    std::printf("window click to painted    median wall %7.1f ms  thread cpu %7.1f ms\n",
                Median(guiWall) * 1e3, Median(guiCpu) * 1e3);
    std::printf("ratio window / batch       wall %.2f x  cpu %.2f x  (budget 1.5 x)\n",
                Median(guiWall) / Median(cliWall), Median(guiCpu) / Median(cliCpu));
    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
}
