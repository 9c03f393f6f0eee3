#include "OrloCli.h"

#include "ProductFiles.h"
#include "ProductVersion.h"
#include "SpLog.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // The log beside the program in a portable folder, under the user's state folder when
    // installed (whose folders, and the seeded settings file, are made first).
    const SProductFiles files =
        LocateProductFiles({productinfo::kProductNameU8, productinfo::kPackageName});
    PrepareProductFiles(files);
    OpenProgramLog(ProgramLogFile(files));
    const std::vector<std::string> args(argv + 1, argv + argc);
    return orlo::RunOrloCli(args, std::cout, std::cerr);
}
