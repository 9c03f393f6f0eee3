#include "OrloLogGenerator.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace orlogen {

namespace {

int Span(const SRange& r) {
    return r.last - r.first + 1;
}

const char* TemperatureText(int temperature) {
    return temperature == kLow ? "-40C" : temperature == kHigh ? "85C" : "25C";
}

struct SWindow {
    int first;
    int last;
};

// Stronger dqs/data drive widens the eye up to a point; a high ctl drive and the fastest
// clock drive cost a little. Cold narrows it and pulls it early, heat narrows it more and
// pushes it late.
SWindow BaseWindow(int dqs, int data, int ctl, int clk, int board, int temperature) {
    int width =
        13 + 2 * std::min(dqs, 2) + std::min(data, 2) - (ctl == 3 ? 2 : 0) - (clk == 3 ? 1 : 0);
    double centre = 15.5 + 0.6 * (ctl - 1.5) + 0.4 * (clk - 1.5) + ((board % 3) - 1) * 0.7;
    if (temperature == kLow) {
        width -= 3;
        centre -= 1.0;
    } else if (temperature == kHigh) {
        width -= 4;
        centre += 1.5;
    }
    width = std::clamp(width, 6, 28);
    int first = static_cast<int>(centre - width / 2.0 + 0.5);
    first = std::clamp(first, 0, 31 - width + 1);
    return {first, first + width - 1};
}

void AppendLine(std::string& out, const char* text) {
    out += text;
    out += "\r\n";
}

} // namespace

int DataLineCount(const SOptions& o) {
    return Span(o.dqs) * Span(o.data) * Span(o.ctl) * Span(o.clk) * 32;
}

std::string LogFileName(int board, int temperature) {
    const char tag = temperature == kLow ? 'l' : temperature == kHigh ? 'h' : 'n';
    char name[64];
    std::snprintf(name, sizeof name, "orlo_b%02d_%c%s.txt", board, tag,
                  temperature == kLow    ? "m40c"
                  : temperature == kHigh ? "85c"
                                         : "25c");
    return name;
}

std::string GenerateLog(const SOptions& o, int board, int temperature, uint32_t seed) {
    std::mt19937 random(seed * 7919u + static_cast<uint32_t>(board) * 131u +
                        static_cast<uint32_t>(temperature));
    std::uniform_int_distribution<int> percent(0, 99);
    std::string out;
    out.reserve(static_cast<size_t>(DataLineCount(o)) * 72 + 1024);
    char line[256];
    AppendLine(out, "");
    AppendLine(out, "U-Boot SPL 2016.07-orlo (Mar 02 2026 - 10:21:07)");
    AppendLine(out, "DRAM: LPDDR3 1GiB @ 528MHz");
    AppendLine(out, "************************************");
    AppendLine(out, "**      ORLO DDR SCAN TOOL VER1.0 **");
    AppendLine(out, "************************************");
    std::snprintf(line, sizeof line, "board: B%02d  chamber: %s  run: %u", board,
                  TemperatureText(temperature), static_cast<unsigned>(seed));
    AppendLine(out, line);
    AppendLine(out, "items: clkwr 0..31, dqs_drv, data_drv, ctl, clk_drv");
    for (int dqs = o.dqs.first; dqs <= o.dqs.last; ++dqs) {
        for (int data = o.data.first; data <= o.data.last; ++data) {
            for (int ctl = o.ctl.first; ctl <= o.ctl.last; ++ctl) {
                for (int clk = o.clk.first; clk <= o.clk.last; ++clk) {
                    const SWindow w = BaseWindow(dqs, data, ctl, clk, board, temperature);
                    // Edges are marginal: each may shrink by one in a given run.
                    const int first = w.first + (percent(random) < 25 ? 1 : 0);
                    const int last = w.last - (percent(random) < 25 ? 1 : 0);
                    // Now and then a single setting inside the window fails once.
                    const int glitch = percent(random) < 3
                                           ? first + 1 + (percent(random) % (last - first - 1))
                                           : -1;
                    for (int clkwr = 0; clkwr < 32; ++clkwr) {
                        const bool pass = clkwr >= first && clkwr <= last && clkwr != glitch;
                        std::snprintf(line, sizeof line,
                                      "clkwr=%d, dqs_drv=%d, data_drv=%d, ctl=%d, clk_drv=%d, "
                                      "memtest %s :))))))",
                                      clkwr, dqs, data, ctl, clk, pass ? "pass" : "fail");
                        AppendLine(out, line);
                    }
                }
            }
            std::snprintf(line, sizeof line, "-- dqs_drv %d data_drv %d done --", dqs, data);
            AppendLine(out, line);
        }
    }
    AppendLine(out, "DDR scan finished");
    return out;
}

std::string GenerateSettings(const SOptions& o) {
    std::string out;
    out += "; QuillonOrlo settings: the limits the merged scan of all temperatures must meet.\r\n";
    out += "[IsCheckLogFile]\r\nEnable=1\r\n";
    out += "[ResultPrompt]\r\nPrompt=所有温度下扫描通过, 请使用推荐参数\r\nEnabel=1\r\n";
    out += "[Settings]\r\n";
    // One threshold per block of the scan (at most 8): about 5 clkwr per combination.
    int index = 0;
    const int perBlock = Span(o.ctl) * Span(o.clk);
    for (int dqs = o.dqs.first; dqs <= o.dqs.last && index < 8; ++dqs) {
        for (int data = o.data.first; data <= o.data.last && index < 8; ++data, ++index) {
            char line[128];
            std::snprintf(line, sizeof line, "dqs/data_%d=%d/%d\r\nThresholdValue_%d=%d\r\n", index,
                          dqs, data, index, perBlock * 5);
            out += line;
        }
    }
    char line[128];
    std::snprintf(line, sizeof line, "MaxThresholdValue=%d\r\n", perBlock * 7);
    out += line;
    out += "[BestParam]\r\n";
    index = 0;
    for (int ctl = o.ctl.first; ctl <= o.ctl.last && index < 16; ++ctl) {
        for (int clk = o.clk.first; clk <= o.clk.last && index < 16; ++clk, ++index) {
            std::snprintf(line, sizeof line, "ctl/clk_%d=%d/%d\r\nclkwr_%d=%d\r\n", index, ctl, clk,
                          index, ctl == 3 ? 3 : 4);
            out += line;
        }
    }
    out += "MaxClkwrLen=8\r\n";
    return out;
}

} // namespace orlogen
