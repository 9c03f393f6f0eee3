// quillon-ddr-loggen: writes the bundled DDR sample logs or a benchmark set.
//   quillon-ddr-loggen samples DIR        -> DIR/lpddr2_pass, lpddr2_fail, lpddr, ddr3
//   quillon-ddr-loggen bench DIR [COUNT]  -> COUNT lpDDR2 logs (default 100)

#include "DdrLogGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "samples") == 0) {
        const int written = loggen::WriteSampleSets(argv[2]);
        std::printf("%d sample logs written under %s\n", written, argv[2]);
        return written > 0 ? 0 : 1;
    }
    if (argc >= 3 && std::strcmp(argv[1], "bench") == 0) {
        const int count = argc >= 4 ? std::atoi(argv[3]) : 100;
        const auto paths = loggen::WriteBenchLogs(argv[2], count);
        std::printf("%zu benchmark logs written under %s\n", paths.size(), argv[2]);
        return static_cast<int>(paths.size()) == count ? 0 : 1;
    }
    std::fprintf(stderr, "usage: %s samples DIR | bench DIR [COUNT]\n", argv[0]);
    return 64;
}
