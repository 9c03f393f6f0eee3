#include "QuillonCli.h"

int main(int argc, char** argv) {
    return RunQuillonCli(argc, argv);
}
