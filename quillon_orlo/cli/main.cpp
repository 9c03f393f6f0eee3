#include "OrloCli.h"

#include "ProductFiles.h"
#include "ProductVersion.h"
#include "SpLog.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    int exitCode = orlo::kExitUsage;
    const auto options = orlo::ParseOrloCliArgs(args, std::cout, std::cerr, exitCode);
    if (!options) {
        return exitCode; // --help and argument errors leave the last run's tool log alone
    }
    // The log beside the program in a portable folder, under the user's state folder when
    // installed (whose folders, and the seeded settings file, are made first).
    const SProductFiles files =
        LocateProductFiles({productinfo::kProductNameU8, productinfo::kPackageName});
    PrepareProductFiles(files);
    OpenProgramLog(ProgramLogFile(files));
    return orlo::RunOrloScan(*options, std::cout, std::cerr);
}
