// quillon_emmc_ui_bench [DIR] [ROUNDS]: times, on the offscreen platform, what a user of the
// Quillon window waits for on three full-size eMMC DDR50 logs (about a million cells in the
// statistics chart), and quillon-cli's analysis of the same folder in the same process:
//   cli      RunAnalyse and the JSON text, as `quillon-cli analyse --type emmc-ddr50` runs it
//   session  the session's Analyse alone (scan, tabs, best point), no window
//   analyse  the Analyse click until the statistics chart is painted
//   zoom     one Ctrl+wheel step on the statistics chart until it is painted again
//   scroll   one wheel notch (and one page right) on the chart until it is painted again
// Without DIR (or with a DIR that does not exist yet), the three logs are generated into it.

#include "EmmcHynixLogGen.h"
#include "GridCtrl.h"
#include "MFCPageEMMC.h"
#include "QuillonCli.h"
#include "QuillonDlg.h"
#include "SettingsFile.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QWheelEvent>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include <unistd.h>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

double Max(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

void Wheel(QWidget* viewport, Qt::KeyboardModifiers modifiers, int delta) {
    const QPointF pos(200, 200);
    QWheelEvent event(pos, viewport->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &event);
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const fs::path scratch =
        fs::temp_directory_path() / ("quillon_emmc_ui_bench_" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    QApplication app(argc, argv);

    fs::path dir = argc >= 2 ? fs::path(argv[1]) : scratch / "logs";
    const int rounds = argc >= 3 ? std::max(1, std::atoi(argv[2])) : 3;
    if (!fs::exists(dir)) {
        fs::create_directories(dir);
        for (uint32_t seed = 1; seed <= 3; ++seed) {
            std::ofstream(dir / ("ddr50_full" + std::to_string(seed) + ".txt"), std::ios::binary)
                << emmcgen::EmmcDdr50Log(seed, false);
        }
    }
    GetSettings().SetPath(scratch / "Quillon.ini");
    CRecordingPrompt prompt;
    CScopedPrompt scope(prompt);

    std::vector<double> cli;
    std::vector<double> analyse;
    std::vector<double> analyseOnly;
    std::vector<double> engine;
    int zoomValue = 0;
    std::vector<double> zoom;
    int scrollX = 0;
    int scrollY = 0;
    std::vector<double> scroll;
    size_t cells = 0;
    for (int round = 0; round < rounds; ++round) {
        {
            SAnalyseOptions options;
            options.m_strDirectory = PathToWide(dir);
            options.m_nLogType = 5;
            CConsolePrompt console(false);
            console.SetEcho(false);
            CScopedPrompt cliScope(console);
            const Clock::time_point start = Clock::now();
            const SAnalyseOutput out = RunAnalyse(options, console);
            const std::string text = out.m_doc.dump();
            cli.push_back(Ms(start, Clock::now()));
            if (out.m_doc["pages"].empty() || text.empty()) {
                std::fprintf(stderr, "quillon-cli analysis found nothing\n");
                return 1;
            }
        }

        {
            // The session alone: what Analyse costs before any grid is filled.
            CQuillonSession session;
            session.SetLogType(5);
            session.EmmcPanel().SetMode(5, true);
            const Clock::time_point start = Clock::now();
            if (session.Analyse(PathToWide(dir), 2) != EQuillonAnalyseEnd::Scanned) {
                std::fprintf(stderr, "the session's Analyse failed\n");
                return 1;
            }
            engine.push_back(Ms(start, Clock::now()));
        }

        CQuillonDlg dialog;
        dialog.resize(1600, 900);
        dialog.show();
        dialog.OnLogType(5);
        dialog.DirectoryBox()->setText(QString::fromStdString(dir.string()));
        QApplication::processEvents();

        const Clock::time_point start = Clock::now();
        if (!dialog.OnAnalyse()) {
            std::fprintf(stderr, "Analyse failed\n");
            return 1;
        }
        const Clock::time_point scanned = Clock::now();
        (void)dialog.grab(); // the whole window painted, the statistics chart with it
        analyse.push_back(Ms(start, Clock::now()));
        analyseOnly.push_back(Ms(start, scanned));

        CMFCPageEMMC* page = dialog.ChartPageEMMC(0);
        CGridCtrl* grid = page != nullptr ? page->Grid() : nullptr;
        if (grid == nullptr) {
            std::fprintf(stderr, "no statistics chart\n");
            return 1;
        }
        cells = size_t(grid->GetRowCount()) * size_t(grid->GetColumnCount());
        QWidget* viewport = grid->viewport();
        for (int step = 0; step < 5; ++step) {
            Clock::time_point from = Clock::now();
            Wheel(viewport, Qt::ControlModifier, step % 2 == 0 ? 120 : -120);
            (void)grid->viewport()->grab();
            zoom.push_back(Ms(from, Clock::now()));
            zoomValue = page->ZoomValue();

            from = Clock::now();
            Wheel(viewport, Qt::NoModifier, -120);
            (void)grid->viewport()->grab();
            scroll.push_back(Ms(from, Clock::now()));

            from = Clock::now();
            grid->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
            (void)grid->viewport()->grab();
            scroll.push_back(Ms(from, Clock::now()));
        }
        scrollX = grid->GetScrollX();
        scrollY = grid->GetScrollY();
    }
    std::printf("logs                 %s\n", dir.string().c_str());
    std::printf("rounds               %d\n", rounds);
    std::printf("statistics grid      %zu cells\n", cells);
    std::printf("cli analysis         %.1f ms (median)\n", Median(cli));
    std::printf("analyse to painted   %.1f ms (median)\n", Median(analyse));
    std::printf("  of which Analyse   %.1f ms (scan, tabs, best point, statistics grid filled)\n",
                Median(analyseOnly));
    std::printf("  session alone      %.1f ms (scan, tabs, best point)\n", Median(engine));
    std::printf("ratio                %.2f (budget 1.5)\n", Median(analyse) / Median(cli));
    std::printf("zoom after the steps %d, scrolled to x %d y %d\n", zoomValue,
                scrollX, scrollY);
    std::printf("zoom step + paint    %.1f ms median, %.1f ms max (budget 50)\n", Median(zoom),
                Max(zoom));
    std::printf("scroll step + paint  %.1f ms median, %.1f ms max (budget 50)\n", Median(scroll),
                Max(scroll));
    std::error_code ec;
    fs::remove_all(scratch, ec);
    return 0;
}
