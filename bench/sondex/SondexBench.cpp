// Times the Sondex folder analysis (read, parse into tables, analyse, merge) of 50 logs
// with several tables and a few thousand record lines each, beside reading the same files
// and splitting them into lines (median thread CPU time). Usage: sondex_bench [rounds]
// (default 9; the reference and the open alternate round by round)

#include "FolderWorkflow.h"
#include "ProjectConfig.h"
#include "ScanLogData.h"
#include "ScanLogReader.h"

#include "FileUtil.h"
#include "UserPrompt.h"

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace sondex;

namespace fs = std::filesystem;

namespace {

constexpr int kLogs = 50;
constexpr int kRows = 64;
constexpr int kVref = 4;
constexpr int kSr = 4;

const char* kIni = "[ProjectName]\nK7=0x4B37\n[DdrType]\nLpddr3=0x3\n"
                   "[InfoName]\nCA=0x10\nWDQ=0x20\nRDQ=0x30\nVREF=0x40\nsr=0x50\n"
                   "[ValueRange]\nLpddr3_CA=0x0~0x3F\nLpddr3_WDQ=0x0~0x3F\nLpddr3_RDQ=0x0~0x3F\n"
                   "Lpddr3_VREF=0x10,0x18,0x20,0x28\nLpddr3_sr=0x0~0x3\n"
                   "[Lpddr3_MinPass]\nCA_sr0_800=500\nWDQ_sr0_800=500\nRDQ_sr0_800=500\n"
                   "[Result]\nR1=all passed\nR2=rescan\n";

void AppendWord(std::string& out, unsigned axis, unsigned pos, unsigned pin, unsigned value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "\t0x%08X",
                  (axis << 28) | (pos << 24) | (pin << 8) | (value & 0xFF));
    out += buf;
}

std::string MakeLog(unsigned seed) {
    std::string out = "KestinX DDR timing scan\r\n**********0x00004B37**********\r\n"
                      "**********0x00000003**********\r\n**********0x00000320**********\r\n"
                      "**********0x0000000100000014**********\r\n0x73747172\r\n";
    const unsigned pins[] = {0x10, 0x20, 0x30};
    for (int t = 0; t < 3; ++t) {
        if (t > 0) {
            out += "0x434F4E54\r\n";
        }
        for (int r = 0; r < kRows; ++r) {
            for (int v = 0; v < kVref; ++v) {
                for (int sr = 0; sr < kSr; ++sr) {
                    const int lo =
                        10 + static_cast<int>((seed + static_cast<unsigned>(v * 3 + sr)) % 4);
                    const int hi = 50 - sr;
                    out += "0x" + std::to_string(t + 1);
                    AppendWord(out, 0xB, 1, pins[t], static_cast<unsigned>(r));
                    AppendWord(out, 0xC, 1, 0x40, 0x10u + 8u * static_cast<unsigned>(v));
                    AppendWord(out, 0xC, 2, 0x50, static_cast<unsigned>(sr));
                    out += (r >= lo && r < hi) ? "\t0X0\r\n" : "\t0XF\r\n";
                }
            }
        }
    }
    out += "0x656E6464\r\n";
    return out;
}

// The reference: the bytes of every file, CR LF turned into LF and cut into lines.
size_t ReadAndSplit(const std::vector<fs::path>& files) {
    size_t lines = 0;
    std::string bytes;
    std::vector<std::string> split;
    for (const auto& f : files) {
        if (!ReadFileBytes(f, bytes)) {
            continue;
        }
        split.clear();
        size_t start = 0;
        while (start < bytes.size()) {
            size_t end = bytes.find('\n', start);
            if (end == std::string::npos) {
                end = bytes.size();
            }
            size_t stop = end;
            if (stop > start && bytes[stop - 1] == '\r') {
                --stop;
            }
            split.emplace_back(bytes, start, stop - start);
            start = end + 1;
        }
        lines += split.size();
    }
    return lines;
}

double CpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double Median(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// Median CPU time of the thread: on a shared machine wall time mostly measures the others.
template <typename F> double MedianMs(int rounds, F&& f) {
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        const double t0 = CpuMs();
        f();
        ms.push_back(CpuMs() - t0);
    }
    return Median(std::move(ms));
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const fs::path dir = fs::temp_directory_path() / ("sondex-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir / "logs");
    std::ofstream(dir / "Sondex.ini", std::ios::binary) << kIni;
    size_t bytes = 0;
    for (int i = 0; i < kLogs; ++i) {
        const std::string log = MakeLog(static_cast<unsigned>(i));
        bytes += log.size();
        char name[32];
        std::snprintf(name, sizeof name, "board%02d.Txt", i + 1);
        std::ofstream(dir / "logs" / name, std::ios::binary) << log;
    }

    CRecordingPrompt prompt;
    CScopedPrompt promptScope(prompt);
    CProjectConfig config;
    config.Load(dir / "Sondex.ini", dir / "Sondex.dat");
    CScopedProjectConfig configScope(config);
    const auto files = FindLogFiles(dir / "logs");

    size_t lines = 0;
    int opened = 0;
    // The reference and the open alternate round by round, so a change in the load of a
    // shared machine falls on both alike.
    std::vector<double> readRounds;
    std::vector<double> openRounds;
    for (int i = 0; i < rounds; ++i) {
        readRounds.push_back(MedianMs(1, [&] { lines = ReadAndSplit(files); }));
        openRounds.push_back(MedianMs(1, [&] {
            CFolderWorkflow workflow;
            opened = workflow.AnalyzeFolder(dir / "logs");
            workflow.Activate(workflow.GetStatisticsDocument());
        }));
    }
    const double readMs = Median(readRounds);
    const double openMs = Median(openRounds);
    // The steps of one open, to see where the time goes.
    const double readerMs = MedianMs(rounds, [&] {
        for (const auto& f : files) {
            CScanLogReader reader(f);
            (void)reader.ReadLog();
        }
    });
    // The document's way: the tables are built while the log is read.
    const double parseMs = MedianMs(rounds, [&] {
        for (const auto& f : files) {
            CScanLogReader reader(f);
            CScanLogData data(L"x", LogHeader(), {});
            reader.SetTableTarget(&data, {0});
            (void)reader.ReadLog();
        }
    });
    const double analyseMs = MedianMs(rounds, [&] {
        for (const auto& f : files) {
            CScanLogReader reader(f);
            CScanLogData data(L"x", LogHeader(), {});
            reader.SetTableTarget(&data, {0});
            (void)reader.ReadLog();
            ResultMap results;
            (void)data.Analyze(results);
        }
    });
    CFolderWorkflow check;
    check.AnalyzeFolder(dir / "logs");
    const auto* first = check.GetDocuments().front().get();

    std::printf("logs %d (opened %d), %zu record and header lines, %.1f MiB, %d tables per log, "
                "complete %s\n",
                kLogs, opened, lines, static_cast<double>(bytes) / (1 << 20),
                first->GetData()->GetTableCount(), first->IsComplete() ? "yes" : "no");
    std::printf("read and split lines : %8.2f ms\n", readMs);
    std::printf("  reader, block texts: %8.2f ms\n", readerMs);
    std::printf("  reader with tables : %8.2f ms\n", parseMs);
    std::printf("  + pass widths      : %8.2f ms\n", analyseMs);
    std::printf("open folder (analyse): %8.2f ms (with merge and statistics)\n", openMs);
    std::printf("ratio                : %8.2f x (target within 3 x)\n", openMs / readMs);
    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
