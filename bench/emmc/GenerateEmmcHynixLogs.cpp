// Writes the bundled Hynix and eMMC samples: generate_emmc_hynix_logs <samples folder>.

#include "EmmcHynixLogGen.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <samples folder>\n", argv[0]);
        return 64;
    }
    for (const auto& path : emmcgen::WriteSamples(argv[1])) {
        std::printf("%s\n", path.string().c_str());
    }
    return 0;
}
