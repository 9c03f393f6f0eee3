#include "OrloCli.h"

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
    OpenProgramLog(); // quillon-orlo-cli.log next to the program
    return orlo::RunOrloScan(*options, std::cout, std::cerr);
}
