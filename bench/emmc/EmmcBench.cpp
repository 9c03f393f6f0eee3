// The eMMC scan against the cost of reading its input. A full-size DDR50 log (4 x 64 x 64 x
// 64 settings, about a million lines) is scanned alone and three such logs are scanned and
// merged (CLogScanEMMC::Scan with the DDR50 defaults), each beside reading and splitting the
// same bytes into lines in the same run. Reports the best of a few runs, the ratio to
// read-and-split (budget 3; thread CPU time), the heap bytes held per stored record (budget 200),
// the best-point search on the merged page, and the peak resident size.

#include "ChildDlgEMMCModel.h"
#include "FileUtil.h"
#include "EmmcHynixLogGen.h"
#include "LogPageEMMC.h"
#include "LogRead.h"
#include "LogScanEMMC.h"
#include "SettingsFile.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

// CPU seconds of this thread: the machine may be shared, so wall time alone says little.
struct Clock {
    using time_point = double;
    static double now() {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
    }
};

double Seconds(double since) {
    return Clock::now() - since;
}

size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

long PeakRssKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

// Reading and splitting as a log reader must at least do: the bytes, CR LF to LF, pieces of
// at most 511 characters cut after every LF.
size_t ReadAndSplitBytes(const std::vector<std::wstring>& files) {
    size_t pieces = 0;
    for (const std::wstring& file : files) {
        std::string bytes;
        if (!ReadFileBytes(WideToPath(file), bytes)) {
            continue;
        }
        size_t out = 0;
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                continue;
            }
            bytes[out++] = bytes[i];
        }
        bytes.resize(out);
        size_t pos = 0;
        while (pos < bytes.size()) {
            const size_t limit = std::min(bytes.size(), pos + kLogPieceChars);
            const size_t lf = bytes.find('\n', pos);
            pos = (lf != std::string::npos && lf < limit) ? lf + 1 : limit;
            ++pieces;
        }
    }
    return pieces;
}

// The same through the log-reading library (wide text and piece views).
size_t ReadAndSplitLibrary(const std::vector<std::wstring>& files) {
    size_t pieces = 0;
    std::wstring text;
    std::vector<std::wstring_view> views;
    for (const std::wstring& file : files) {
        if (ReadLogPieces(file, text, views)) {
            pieces += views.size();
        }
    }
    return pieces;
}

struct SScanFigures {
    double dSeconds = 0.0;
    size_t nHeldBytes = 0;
    size_t nRecords = 0;
    double dSearchSeconds = 0.0;
    int32_t nBestScore = 0;
};

SScanFigures ScanOnce(const std::vector<std::wstring>& files) {
    CChildDlgEMMCModel panel;
    panel.SetMode(kLogTypeEmmcDdr50, true);
    SEmmcNames names;
    SEmmcTags tags;
    panel.GetNames(names);
    panel.GetTags(tags);
    SScanFigures figures;
    malloc_trim(0);
    const size_t before = HeapInUse();
    const auto start = Clock::now();
    CLogScanEMMC scan;
    scan.SetNames(names);
    scan.SetTags(tags);
    scan.SetSizes(panel.GetSizes());
    scan.SetFileList(files);
    scan.SetSortMode(kSortByName);
    const bool ok = scan.Scan();
    figures.dSeconds = Seconds(start);
    if (!ok) {
        std::fprintf(stderr, "scan failed\n");
        return figures;
    }
    std::unique_ptr<CLogPageList> list = scan.TakePageList();
    figures.nHeldBytes = HeapInUse() - before;
    for (size_t i = 0; i < list->GetPageCount(); ++i) {
        figures.nRecords += dynamic_cast<const CLogPageEMMC&>(*list->GetPage(i)).GetRecordCount();
    }
    auto& merged = dynamic_cast<CLogPageEMMC&>(*list->GetMergedPage());
    figures.nRecords += merged.GetRecordCount();
    const auto searchStart = Clock::now();
    const auto point = merged.SearchBestPoint();
    figures.dSearchSeconds = Seconds(searchStart);
    figures.nBestScore = point ? point->nScore : 0;
    return figures;
}

template <class F> double BestOf(int runs, F&& f) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        f();
        best = std::min(best, Seconds(start));
    }
    return best;
}

void Report(const char* what, const std::vector<std::wstring>& files, int runs) {
    const double bytesSplit = BestOf(runs, [&] { (void)ReadAndSplitBytes(files); });
    const double librarySplit = BestOf(runs, [&] { (void)ReadAndSplitLibrary(files); });
    SScanFigures best;
    best.dSeconds = 1e30;
    for (int i = 0; i < runs; ++i) {
        const SScanFigures figures = ScanOnce(files);
        if (figures.dSeconds < best.dSeconds) {
            best = figures;
        }
    }
    std::printf("%s\n", what);
    std::printf("  read+split bytes   %8.3f s\n", bytesSplit);
    std::printf("  read+split library %8.3f s\n", librarySplit);
    std::printf("  scan               %8.3f s  = %.2fx bytes split, %.2fx library split\n",
                best.dSeconds, best.dSeconds / bytesSplit, best.dSeconds / librarySplit);
    std::printf("  stored records     %8zu\n", best.nRecords);
    std::printf("  heap held          %8.1f MB = %.1f bytes per stored record\n",
                best.nHeldBytes / 1048576.0,
                best.nRecords ? static_cast<double>(best.nHeldBytes) / best.nRecords : 0.0);
    std::printf("  best-point search  %8.3f s (score %d)\n", best.dSearchSeconds, best.nBestScore);
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const fs::path dir = fs::temp_directory_path() / ("emmc_bench_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    GetSettings().SetPath(dir / "Quillon.ini");
    CRecordingPrompt prompt;
    CScopedPrompt scoped(prompt);

    std::vector<std::wstring> files;
    for (uint32_t seed : {11u, 12u, 13u}) {
        const fs::path path = dir / ("ddr50_full_" + std::to_string(seed) + ".txt");
        std::string log = emmcgen::EmmcDdr50Log(seed, false);
        const emmcgen::SDdr50Counts counts = emmcgen::CountDdr50(log);
        std::ofstream(path, std::ios::binary) << log;
        std::printf("%s: %zu bytes, %zu setting lines, %zu passing\n", path.filename().c_str(),
                    log.size(), counts.nLines, counts.nPassing);
        files.push_back(PathToWide(path));
    }
    Report("one full-size DDR50 log", {files[0]}, runs);
    Report("three full-size DDR50 logs, merged", files, runs);
    std::printf("peak resident size %.1f MB\n", PeakRssKb() / 1024.0);
    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
