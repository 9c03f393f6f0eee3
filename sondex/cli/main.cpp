#include "SondexCli.h"

#include <iostream>

int main(int argc, char** argv) {
    return sondex::RunSondexCli(argc, argv, std::cout, std::cerr);
}
