// quillon-orlo-loggen OUTDIR [BOARDS] [full]
// Writes OUTDIR/normal, OUTDIR/low and OUTDIR/high with one log per board and temperature
// (the last board at normal temperature only) and OUTDIR/QuillonOrlo.ini. Without "full" the
// scan covers dqs_drv and data_drv 1..2, which keeps the bundled samples small.

#include "OrloLogGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

bool WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillon-orlo-loggen OUTDIR [BOARDS] [full]\n");
        return 64;
    }
    const fs::path root = argv[1];
    const int boards = argc > 2 ? std::max(1, std::atoi(argv[2])) : 4;
    orlogen::SOptions options;
    if (!(argc > 3 && std::string(argv[3]) == "full")) {
        options.dqs = {1, 2};
        options.data = {1, 2};
    }
    const char* dirs[] = {"normal", "low", "high"};
    for (int t = 0; t < 3; ++t) {
        fs::create_directories(root / dirs[t]);
        for (int b = 1; b <= boards; ++b) {
            if (t != orlogen::kNormal && b == boards && boards > 1) {
                continue; // one board was only measured at room temperature
            }
            const fs::path path = root / dirs[t] / orlogen::LogFileName(b, t);
            if (!WriteFile(path, orlogen::GenerateLog(options, b, t, 1))) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                return 1;
            }
        }
    }
    if (!WriteFile(root / "QuillonOrlo.ini", orlogen::GenerateSettings(options))) {
        return 1;
    }
    return 0;
}
