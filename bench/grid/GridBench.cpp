// The grid of the eMMC DDR50 statistics page: about 262 rows x 4098 columns, most cells with a
// coloured background and a short text. Measures filling it, painting one full-HD frame of it,
// scrolling across it and a zoom step, and the memory its cells take.

#include "GridCtrl.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

using namespace grid;

namespace {

constexpr int kRows = 262;
constexpr int kCols = 4098;
constexpr int kFixed = 2;
constexpr int kScreenW = 1920;
constexpr int kScreenH = 1080;

long ResidentBytes() {
    long pages = 0;
    long resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

// Fills the way the eMMC page does: letters per log, colour of the last record, centred.
void Fill(CGridCtrl& grid) {
    static const Colour colours[] = {Rgb(0, 255, 0), Rgb(255, 0, 0), Rgb(255, 255, 0),
                                     Rgb(255, 255, 255)};
    static const QString texts[] = {QStringLiteral("WWR"), QStringLiteral("R"),
                                    QStringLiteral("YC"), QString()};
    const unsigned centred = kTextCenter | kTextVCenter | kTextSingleLine;
    for (int r = kFixed; r < kRows; ++r) {
        for (int c = kFixed; c < kCols; ++c) {
            const int k = (r * 7 + c * 13) % 4;
            grid.SetItemBkColour(r, c, colours[k]);
            grid.SetItemText(r, c, texts[k]);
            grid.SetItemFormat(r, c, centred);
        }
    }
    for (int c = kFixed; c < kCols; ++c) {
        grid.SetItemText(0, c, QString::asprintf("0x%X", (c - kFixed) / 128));
        grid.SetItemText(1, c, QString::asprintf("0x%X", (c - kFixed) % 128));
    }
    for (int r = kFixed; r < kRows; ++r)
        grid.SetItemText(r, 1, QString::asprintf("0x%X", (r - kFixed) % 64));
}

std::unique_ptr<CGridCtrl> MakeGrid() {
    auto grid = std::make_unique<CGridCtrl>(kRows, kCols, kFixed, kFixed);
    for (int r = 0; r < kRows; ++r)
        grid->SetRowHeight(r, 35);
    for (int c = 0; c < kCols; ++c)
        grid->SetColumnWidth(c, 35);
    grid->resize(kScreenW, kScreenH);
    return grid;
}

// One grid for the painting benchmarks, filled once and freed before the application object.
std::unique_ptr<CGridCtrl> g_pShared;

CGridCtrl& SharedGrid() {
    if (!g_pShared) {
        g_pShared = MakeGrid();
        Fill(*g_pShared);
        g_pShared->show();
    }
    return *g_pShared;
}

void RenderFrame(CGridCtrl& grid, QImage& image) {
    QPainter painter(&image);
    grid.Render(painter, image.rect());
}

void BM_Fill(benchmark::State& state) {
    size_t bytes = 0;
    size_t filled = 0;
    long rss = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const long before = ResidentBytes();
        auto grid = MakeGrid();
        state.ResumeTiming();
        Fill(*grid);
        state.PauseTiming();
        bytes = grid->GetCellMemoryBytes();
        filled = grid->GetFilledCellCount();
        rss = ResidentBytes() - before;
        grid.reset();
        state.ResumeTiming();
    }
    state.counters["cells"] = static_cast<double>(filled);
    state.counters["cell_MB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
    state.counters["bytes_per_cell"] = filled ? static_cast<double>(bytes) / filled : 0.0;
    state.counters["rss_delta_MB"] = static_cast<double>(rss) / (1024.0 * 1024.0);
}
BENCHMARK(BM_Fill)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PaintFrame(benchmark::State& state) {
    CGridCtrl& grid = SharedGrid();
    grid.SetScrollPos(0, 0);
    QImage image(grid.viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state)
        RenderFrame(grid, image);
    state.counters["cells_painted"] = static_cast<double>(grid.GetLastPaintedCellCount());
}
BENCHMARK(BM_PaintFrame)->Unit(benchmark::kMillisecond);

// The whole path of a repaint: the widget's paint event into its off-screen image and the copy
// into the window's backing store.
void BM_GrabFrame(benchmark::State& state) {
    CGridCtrl& grid = SharedGrid();
    grid.SetScrollPos(0, 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(grid.viewport()->grab());
}
BENCHMARK(BM_GrabFrame)->Unit(benchmark::kMillisecond);

void BM_ScrollAcross(benchmark::State& state) {
    CGridCtrl& grid = SharedGrid();
    QImage image(grid.viewport()->size(), QImage::Format_RGB32);
    int x = 0;
    int y = 0;
    for (auto _ : state) {
        // A third of a screen right and a few rows down per frame, wrapping at the end.
        x += kScreenW / 3;
        y += 35 * 3;
        if (x > grid.Geometry().GetMaxScrollX())
            x = 0;
        if (y > grid.Geometry().GetMaxScrollY())
            y = 0;
        grid.SetScrollPos(x, y);
        RenderFrame(grid, image);
    }
}
BENCHMARK(BM_ScrollAcross)->Unit(benchmark::kMillisecond);

// A Ctrl + wheel notch of the eMMC page: every row from 3 and every column from 2 one pixel
// larger (or smaller), then a repaint.
void BM_ZoomStep(benchmark::State& state) {
    CGridCtrl& grid = SharedGrid();
    grid.SetScrollPos(0, 0);
    QImage image(grid.viewport()->size(), QImage::Format_RGB32);
    int step = 1;
    for (auto _ : state) {
        grid.AddToRowHeights(3, step, 1, 1 << 20);
        grid.AddToColumnWidths(2, step, 1, 1 << 20);
        RenderFrame(grid, image);
        step = -step;
    }
}
BENCHMARK(BM_ZoomStep)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_pShared.reset();
    return 0;
}
