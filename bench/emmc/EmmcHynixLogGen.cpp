#include "EmmcHynixLogGen.h"

#include <cstdio>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace emmcgen {

namespace {

void Append(std::string& out, const char* format, auto... args) {
    char line[256];
    const int n = std::snprintf(line, sizeof line, format, args...);
    if (n > 0) {
        out.append(line, static_cast<size_t>(std::min<int>(n, sizeof line - 1)));
    }
}

char ErrorFlag(std::mt19937& rng) {
    // Most failures are read errors; write and check errors are rarer.
    const uint32_t r = rng() % 10;
    return r < 6 ? 'R' : (r < 8 ? 'W' : 'C');
}

} // namespace

std::string HynixLog(uint32_t seed, bool weak) {
    std::mt19937 rng(seed);
    std::string out;
    out += "\r\n";
    out += "U-Boot SPL 2014.04 (board rev 3)\r\n";
    Append(out, "* project = P%u\r\n", 7 + seed % 3);
    out += "* ddr type = ddr2\r\n";
    out += "* ddr clk = 400\r\n";
    out += "HYNIX lpddr2 H9TCNNN8JDMMPR detected, start dqs training scan\r\n";
    out += "================================================\r\n";
    static const int phases[7] = {36, 54, 72, 90, 108, 126, 144};
    for (int lane = 0; lane < 4; ++lane) {
        // A window of passing positions (column x 8 + step) somewhere in the middle.
        const int width =
            weak ? 18 + static_cast<int>(rng() % 10) : 44 + static_cast<int>(rng() % 6);
        const int start = 2 + static_cast<int>(rng() % 6);
        for (int column = 0; column < 7; ++column) {
            for (int step = -3; step <= 4; ++step) {
                const int position = column * 8 + step + 3;
                bool pass = position >= start && position < start + width;
                // An odd marginal cell at the window edges.
                if ((position == start || position == start + width - 1) && rng() % 4 == 0) {
                    pass = !pass;
                }
                Append(out,
                       "dxn=%d, drv_stg=48ohm, mem_drv=34ohm, sdll_phs_dly=%d, dqs_step_dly=%d, "
                       "%s\r\n",
                       lane, phases[column], step, pass ? "pass" : "fail");
            }
        }
    }
    out += "dqs training scan done\r\n";
    return out;
}

std::string EmmcSdr50Log(uint32_t seed) {
    std::mt19937 rng(seed);
    std::string out;
    out += "EMMC timing scan, bus mode SDR50, 50MHz\r\n";
    out += "data pin 0..3, clock pin 0..3, write delay 0..63, read position 0..63\r\n";
    for (int pdata = 0; pdata <= 3; ++pdata) {
        for (int pclk = 0; pclk <= 3; ++pclk) {
            // Blocks near (1, 2) have the widest windows; a corner block has none.
            const int distance = std::abs(pdata - 1) + std::abs(pclk - 2);
            const bool dead = distance >= 4;
            const int width = std::max(6, 24 - 5 * distance + static_cast<int>(rng() % 5));
            const int height = std::max(4, 18 - 4 * distance + static_cast<int>(rng() % 4));
            const int x0 = 14 + static_cast<int>(rng() % 12);
            const int y0 = 12 + static_cast<int>(rng() % 10);
            // Rows far from the window were not scanned by the firmware.
            for (int wrdl = y0 - 3; wrdl < y0 + height + 3; ++wrdl) {
                for (int rpos = 0; rpos <= 0x3F; ++rpos) {
                    const bool good = !dead && wrdl >= y0 && wrdl < y0 + height && rpos >= x0 &&
                                      rpos < x0 + width;
                    if (good) {
                        continue;
                    }
                    Append(out, "PDATA=0x%X, PCLK=0x%X, WRDL=0x%X, RPOS=0x%X (%c)\r\n", pdata, pclk,
                           wrdl, rpos, ErrorFlag(rng));
                }
            }
        }
    }
    out += "EMMC timing scan end\r\n";
    return out;
}

std::string EmmcDdr50Log(uint32_t seed, bool small) {
    std::mt19937 rng(seed);
    std::string out;
    out.reserve(small ? 1 << 17 : 40u << 20);
    out += "EMMC timing scan, bus mode DDR50, 50MHz\r\n";
    out += "clock pin 0..3, write delay 0..63, read delays 0..63 / 0..63\r\n";
    for (int cp = 0; cp <= 3; ++cp) {
        for (int wd = 0; wd <= 0x3F; ++wd) {
            // Write delays in the middle pass over a wide window of read delays.
            const int fromMiddle = std::abs(wd - 0x20);
            int width = small ? 6 - fromMiddle / 3 : 56 - fromMiddle / 2;
            if (small && (fromMiddle > 12 || cp == 3)) {
                width = 0;
            }
            const int x0 =
                small ? 24 + static_cast<int>(rng() % 4) : 4 + static_cast<int>(rng() % 4);
            const int y0 =
                small ? 20 + static_cast<int>(rng() % 4) : 4 + static_cast<int>(rng() % 4);
            for (int rp = 0; rp <= 0x3F; ++rp) {
                for (int rn = 0; rn <= 0x3F; ++rn) {
                    const bool pass = rp >= y0 && rp < y0 + width && rn >= x0 && rn < x0 + width;
                    if (small && !pass) {
                        continue; // the short scan prints the passing settings only
                    }
                    Append(out, "CP=0x%X WD=0x%X RP=0x%X RN=0x%X (%c)\r\n", cp, wd, rp, rn,
                           pass ? 'Y' : ErrorFlag(rng));
                }
            }
        }
    }
    out += "EMMC timing scan end\r\n";
    return out;
}

SDdr50Counts CountDdr50(const std::string& log) {
    SDdr50Counts counts;
    size_t pos = 0;
    while (pos < log.size()) {
        size_t end = log.find('\n', pos);
        end = end == std::string::npos ? log.size() : end + 1;
        const std::string_view line(log.data() + pos, end - pos);
        if (line.rfind("CP=", 0) == 0) {
            ++counts.nLines;
            if (line.find("(Y)") != std::string_view::npos) {
                ++counts.nPassing;
            }
        }
        pos = end;
    }
    return counts;
}

std::vector<fs::path> WriteSamples(const fs::path& root) {
    std::vector<fs::path> written;
    auto write = [&](const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
        written.push_back(path);
    };
    write(root / "quillon/hynix/hynix_board01.txt", HynixLog(101));
    write(root / "quillon/hynix/hynix_board02.txt", HynixLog(102));
    write(root / "quillon/hynix/hynix_board03_weak.txt", HynixLog(103, true));
    write(root / "quillon/emmc_sdr50/sdr50_board01.txt", EmmcSdr50Log(201));
    write(root / "quillon/emmc_sdr50/sdr50_board02.txt", EmmcSdr50Log(202));
    write(root / "quillon/emmc_ddr50/ddr50_board01.txt", EmmcDdr50Log(301, true));
    write(root / "quillon/emmc_ddr50/ddr50_board02.txt", EmmcDdr50Log(302, true));
    return written;
}

} // namespace emmcgen
