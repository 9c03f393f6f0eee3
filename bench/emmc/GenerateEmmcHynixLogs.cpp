// Writes the bundled Hynix and eMMC samples: generate_emmc_hynix_logs <samples folder>.
// generate_emmc_hynix_logs --ddr50 <folder> [COUNT] writes COUNT (default 1) full-size eMMC
// DDR50 logs (4 x 64 x 64 x 64 settings, 1,048,576 lines) for the end-to-end figures.

#include "EmmcHynixLogGen.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "--ddr50") == 0) {
        const std::filesystem::path folder = argv[2];
        const int count = argc == 4 ? std::atoi(argv[3]) : 1;
        std::filesystem::create_directories(folder);
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "emmc_ddr50_%02d.txt", i + 1);
            std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
            out << emmcgen::EmmcDdr50Log(static_cast<uint32_t>(1000 + i), false);
            if (!out) {
                std::fprintf(stderr, "cannot write %s\n", (folder / name).c_str());
                return 1;
            }
        }
        return count > 0 ? 0 : 64;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <samples folder> | --ddr50 <folder> [COUNT]\n", argv[0]);
        return 64;
    }
    for (const auto& path : emmcgen::WriteSamples(argv[1])) {
        std::printf("%s\n", path.string().c_str());
    }
    return 0;
}
