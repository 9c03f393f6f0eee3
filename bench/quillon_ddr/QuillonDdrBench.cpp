// The DDR scan against the cost of reading its input: 100 lpDDR2 logs of 1568 data lines
// each are scanned, sorted and merged (CLogScanDDR::Scan) and, in the same run, read and
// split into lines the way the line reader delivers them. The scan benchmarks report their
// CPU time as a multiple of two readings: split into views of one buffer, as the line reader
// delivers pieces (counter "x_read_split", the strict one), and split into one string per
// line, the plain way a reader holds lines (counter "x_lines"); the budget is 3. Freeing the
// page list is not timed.

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
double ReadSplitSeconds(const std::vector<std::wstring>& files,
                        size_t (*reader)(const std::vector<std::wstring>&) = ReadAndSplit) {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        const double start = ThreadCpuSeconds();
        reader(files);
        times.push_back(ThreadCpuSeconds() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

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

void BM_ScanSortMerge(benchmark::State& state) {
    const auto& files = BenchFiles();
    const int sortMode = static_cast<int>(state.range(0));
    CRecordingPrompt prompt; // a scan that had to ask would be a broken benchmark input
    CScopedPrompt scope(prompt);
    const double baseline = ReadSplitSeconds(files);
    const double lineBaseline = ReadSplitSeconds(files, ReadIntoLineStrings);
    double seconds = 0.0;
    int64_t runs = 0;
    for (auto _ : state) {
        const double start = ThreadCpuSeconds();
        std::unique_ptr<CLogPageList> pages = ScanSortMerge(files, sortMode);
        seconds += ThreadCpuSeconds() - start;
        ++runs;
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
    if (runs > 0 && baseline > 0.0) {
        state.counters["x_read_split"] = seconds / static_cast<double>(runs) / baseline;
        state.counters["read_split_cpu_ms"] = baseline * 1000.0;
        state.counters["scan_cpu_ms"] = seconds / static_cast<double>(runs) * 1000.0;
        if (lineBaseline > 0.0) {
            state.counters["x_lines"] = seconds / static_cast<double>(runs) / lineBaseline;
        }
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
