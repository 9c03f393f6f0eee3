// The DDR scan against the cost of reading its input: 100 lpDDR2 logs of 1568 data lines
// each are scanned, sorted and merged (CLogScanDDR::Scan) and, round by round in the same
// run, read and split into lines. The scan's CPU time is reported as a multiple of two
// readings: the files read and split into one string per line, the plain way of holding a
// log's lines (counter "x_read_split", the budget of 3), and the engine's own line reader,
// which splits into views of one buffer (counter "x_reader": how much the analysis adds to
// its first step). Freeing the page list is not timed.

#include "DdrLogGenerator.h"
#include "FileUtil.h"
#include "LogPageList.h"
#include "LogRead.h"
#include "LogScanDDR.h"
#include "SettingsFile.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

constexpr int kLogCount = 100;

fs::path& BenchDir() {
    static fs::path dir;
    return dir;
}

void RemoveBenchDir() {
    std::error_code ec;
    if (!BenchDir().empty()) {
        fs::remove_all(BenchDir(), ec);
    }
}

const std::vector<std::wstring>& BenchFiles() {
    static const std::vector<std::wstring> files = [] {
        BenchDir() =
            fs::temp_directory_path() / ("quillon_ddr_bench_" + std::to_string(::getpid()));
        std::atexit(RemoveBenchDir);
        std::vector<std::wstring> paths;
        for (const fs::path& path : loggen::WriteBenchLogs(BenchDir() / "logs", kLogCount)) {
            paths.push_back(PathToWide(path));
        }
        // No settings file: every analyzer key takes its default.
        GetSettings().SetPath(BenchDir() / "Quillon.ini");
        return paths;
    }();
    return files;
}

size_t ReadAndSplit(const std::vector<std::wstring>& files) {
    size_t lines = 0;
    for (const std::wstring& file : files) {
        std::wstring text;
        std::vector<std::wstring_view> pieces;
        if (ReadLogPieces(file, text, pieces)) {
            lines += pieces.size();
        }
        benchmark::DoNotOptimize(pieces.data());
    }
    return lines;
}

// The plain way of reading a log into lines: the bytes as single-byte characters, CR LF as
// LF, one string per line. The scan is also reported against this (counter "x_lines").
size_t ReadIntoLineStrings(const std::vector<std::wstring>& files) {
    size_t lines = 0;
    for (const std::wstring& file : files) {
        std::string bytes;
        if (!ReadFileBytes(WideToPath(file), bytes)) {
            continue;
        }
        const std::wstring text = BytesToWide(bytes);
        std::vector<std::wstring> split;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find(L'\n', start);
            const size_t stop = end == std::wstring::npos ? text.size() : end;
            const size_t cut = stop > start && text[stop - 1] == L'\r' ? stop - 1 : stop;
            split.emplace_back(text, start, cut - start);
            start = end == std::wstring::npos ? text.size() : end + 1;
        }
        lines += split.size();
        benchmark::DoNotOptimize(split.data());
    }
    return lines;
}

// The scan with its sort and merge; the page list is handed back so that freeing it stays out
// of the timed part (the main dialog keeps it until the next analysis).
std::unique_ptr<CLogPageList> ScanSortMerge(const std::vector<std::wstring>& files, int sortMode) {
    CLogScanDDR scanner;
    scanner.SetFileList(files);
    scanner.SetPageSize(4, 7);
    scanner.SetSubColCount(8);
    scanner.SetDrvStgRowCount(5);
    scanner.SetSortMode(sortMode);
    if (!scanner.Scan()) {
        return nullptr;
    }
    std::unique_ptr<CLogPageList> pages = scanner.TakePageList();
    benchmark::DoNotOptimize(pages.get());
    return pages;
}

// CPU seconds of this thread: the machine is shared, so wall time alone says little.
double ThreadCpuSeconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Median CPU seconds of a few passes of a reader, taken right before the scan is timed.
void BM_ReadIntoLineStrings(benchmark::State& state) {
    const auto& files = BenchFiles();
    size_t lines = 0;
    for (auto _ : state) {
        lines = ReadIntoLineStrings(files);
    }
    state.counters["lines"] = static_cast<double>(lines);
}

void BM_ReadAndSplit(benchmark::State& state) {
    const auto& files = BenchFiles();
    size_t lines = 0;
    for (auto _ : state) {
        lines = ReadAndSplit(files);
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["files"] = static_cast<double>(files.size());
}

// Where the scan's time goes: its two passes over each file on their own.
void BM_ReadLogHeader(benchmark::State& state) {
    const auto& files = BenchFiles();
    for (auto _ : state) {
        std::wstring project;
        std::wstring type;
        std::wstring clock;
        for (const std::wstring& file : files) {
            benchmark::DoNotOptimize(ReadLogHeader(file, project, type, clock));
        }
    }
}

void BM_SplitLogLines(benchmark::State& state) {
    const auto& files = BenchFiles();
    for (auto _ : state) {
        for (const std::wstring& file : files) {
            std::vector<std::wstring> data;
            std::vector<std::wstring> other;
            benchmark::DoNotOptimize(SplitLogLines(file, kDdrKeyDxn, kDdrKeyDrvStg,
                                                   kDdrKeySdllPhsDly, kDdrKeyDqsStepDly, data,
                                                   other));
        }
    }
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void BM_ScanSortMerge(benchmark::State& state) {
    const auto& files = BenchFiles();
    const int sortMode = static_cast<int>(state.range(0));
    CRecordingPrompt prompt; // a scan that had to ask would be a broken benchmark input
    CScopedPrompt scope(prompt);
    // Each round times the two readings and the scan one after the other, so that a change
    // in the load of the shared machine falls on all three alike; medians are compared.
    std::vector<double> lineTimes;
    std::vector<double> viewTimes;
    std::vector<double> scanTimes;
    for (auto _ : state) {
        state.PauseTiming();
        double start = ThreadCpuSeconds();
        ReadIntoLineStrings(files);
        lineTimes.push_back(ThreadCpuSeconds() - start);
        start = ThreadCpuSeconds();
        ReadAndSplit(files);
        viewTimes.push_back(ThreadCpuSeconds() - start);
        state.ResumeTiming();

        start = ThreadCpuSeconds();
        std::unique_ptr<CLogPageList> pages = ScanSortMerge(files, sortMode);
        scanTimes.push_back(ThreadCpuSeconds() - start);

        state.PauseTiming();
        const bool complete = pages != nullptr && pages->GetMergedPage() != nullptr &&
                              pages->GetPageCount() == files.size();
        pages.reset();
        state.ResumeTiming();
        if (!complete) {
            state.SkipWithError("the scan failed");
            break;
        }
    }
    if (!prompt.Records().empty()) {
        state.SkipWithError("the scan asked or showed something");
    }
    const double lines = Median(lineTimes);
    const double views = Median(viewTimes);
    const double scan = Median(scanTimes);
    if (lines > 0.0 && views > 0.0) {
        state.counters["read_lines_cpu_ms"] = lines * 1000.0;
        state.counters["reader_cpu_ms"] = views * 1000.0;
        state.counters["scan_cpu_ms"] = scan * 1000.0;
        state.counters["x_read_split"] = scan / lines;
        state.counters["x_reader"] = scan / views;
    }
}

} // namespace

BENCHMARK(BM_ReadAndSplit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadIntoLineStrings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLogHeader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitLogLines)->Unit(benchmark::kMillisecond);
// Sort mode 2 (by name, no analysis while sorting) and 1 (every page analysed first).
BENCHMARK(BM_ScanSortMerge)->Arg(2)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
