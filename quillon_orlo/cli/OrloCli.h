#pragma once

#include "BatchExitCodes.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// quillon-orlo-cli: the scan command of QuillonOrlo without its window.
//   quillon-orlo-cli scan --normal DIR [--low DIR] [--high DIR] [--settings FILE]
//                         [--answer yes|no] [--json]

namespace orlo {

// The exit codes every batch program shares.
using ::kExitFail;
using ::kExitNoVerdict;
using ::kExitPass;
using ::kExitUsage;

/// The options of `quillon-orlo-cli scan`.
struct SOrloCliOptions {
    std::string strNormal;
    std::optional<std::string> low;
    std::optional<std::string> high;
    std::optional<std::string> settings;
    std::string strAnswer = "no";
    bool bJson = false;
    std::optional<std::string> report; ///< --report DIR
    std::string strCommand;            ///< the command line, for the report
};

/// Parses the arguments (without the program name) and checks the directories and the
/// settings file they name. Returns nothing when there is nothing to run: exitCode is then
/// 0 after --help (usage on out) or 64 for bad arguments (the reason on err). Touches no file.
[[nodiscard]] std::optional<SOrloCliOptions> ParseOrloCliArgs(const std::vector<std::string>& args,
                                                              std::ostream& out, std::ostream& err,
                                                              int& exitCode);

/// Runs the scan of parsed options. The report goes to out, (in text mode) every message
/// to err. Returns the exit code.
/// "常温", "低温" or "高温" for a page's temperature, "-" for any other value.
[[nodiscard]] const char* TemperatureWord(int temperature);

int RunOrloScan(const SOrloCliOptions& options, std::ostream& out, std::ostream& err);

/// ParseOrloCliArgs, then RunOrloScan when there is something to run.
int RunOrloCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace orlo
