#include "OrloCli.h"

#include "SpLog.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    OpenProgramLog(); // quillon-orlo-cli.log next to the program
    const std::vector<std::string> args(argv + 1, argv + argc);
    return orlo::RunOrloCli(args, std::cout, std::cerr);
}
