#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// quillon-orlo-cli: the scan command of QuillonOrlo without its window.
//   quillon-orlo-cli scan --normal DIR [--low DIR] [--high DIR] [--settings FILE]
//                         [--answer yes|no] [--json]

namespace orlo {

/// Exit codes of the batch program.
enum : int {
    kExitPass = 0,
    kExitFail = 1,
    kExitNoVerdict = 2,
    kExitUsage = 64,
};

/// Runs the program on its arguments (without the program name). The report goes to out,
/// usage errors and (in text mode) every message to err. Returns the exit code.
int RunOrloCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace orlo
