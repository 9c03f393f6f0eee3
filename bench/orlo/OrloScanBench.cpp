// Times a QuillonOrlo scan of 100 logs of 8192 data lines each beside reading and splitting
// the same files into lines with the shared line reader; the budget is 3x.
//   orlo_scan_bench [ROUNDS]

#include "LogRead.h"
#include "LogScanOrlo.h"
#include "OrloLogGenerator.h"
#include "SettingsFile.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const fs::path root = fs::temp_directory_path() / ("orlo-bench-" + std::to_string(getpid()));
    fs::create_directories(root);
    const orlogen::SOptions options; // every drive value 0..3: 8192 data lines
    std::vector<std::wstring> files;
    std::vector<std::wstring> low;
    std::vector<std::wstring> high;
    size_t bytes = 0;
    for (int i = 0; i < 100; ++i) {
        const int temperature = i < 40 ? orlogen::kNormal : i < 70 ? orlogen::kLow : orlogen::kHigh;
        const int board = i % 40 + 1;
        const fs::path dir = root / std::to_string(temperature);
        fs::create_directories(dir);
        const fs::path path = dir / orlogen::LogFileName(board, temperature);
        const std::string log = orlogen::GenerateLog(options, board, temperature, 1);
        bytes += log.size();
        std::ofstream(path, std::ios::binary) << log;
        files.push_back(PathToWide(path));
        if (temperature == orlogen::kLow) {
            low.push_back(files.back());
        } else if (temperature == orlogen::kHigh) {
            high.push_back(files.back());
        }
    }
    GetSettings().SetPath(root / "QuillonOrlo.ini");
    CRecordingPrompt prompt;
    CScopedPrompt guard(prompt);

    double bestRead = 1e9;
    double bestSplit = 1e9;
    double bestScan = 1e9;
    size_t lines = 0;
    size_t combinations = 0;
    for (int r = 0; r < rounds; ++r) {
        auto t0 = std::chrono::steady_clock::now();
        for (const std::wstring& path : files) {
            std::wstring text;
            std::vector<std::wstring_view> pieces;
            ReadLogPieces(path, text, pieces);
        }
        bestRead = std::min(bestRead, Seconds(std::chrono::steady_clock::now() - t0));

        t0 = std::chrono::steady_clock::now();
        lines = 0;
        for (const std::wstring& path : files) {
            std::vector<std::wstring> data;
            std::vector<std::wstring> other;
            SplitLogLines(path, L"clkwr", L"dqs_drv", L"data_drv", L"clk_drv", data, other);
            lines += data.size();
        }
        bestSplit = std::min(bestSplit, Seconds(std::chrono::steady_clock::now() - t0));

        t0 = std::chrono::steady_clock::now();
        orlo::CLogScanOrlo scanner;
        scanner.m_fileList = files;
        scanner.m_lowList = low;
        scanner.m_highList = high;
        if (!scanner.Scan()) {
            std::fprintf(stderr, "scan failed\n");
            return 1;
        }
        const auto result = scanner.TakeResult();
        bestScan = std::min(bestScan, Seconds(std::chrono::steady_clock::now() - t0));
        combinations = result->Merged()->Combinations().size();
    }
    fs::remove_all(root);

    std::printf("files: %zu, %.1f MB, %zu data lines, %zu merged combinations\n", files.size(),
                bytes / 1e6, lines, combinations);
    std::printf("read into pieces: %8.3f s\n", bestRead);
    std::printf("read and split:   %8.3f s\n", bestSplit);
    std::printf("Orlo scan:        %8.3f s\n", bestScan);
    std::printf("ratio:            %8.2fx (budget 3x)\n", bestScan / bestSplit);
    return bestScan <= 3 * bestSplit ? 0 : 2;
}
