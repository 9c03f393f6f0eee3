#pragma once

#include "BatchExitCodes.h"
#include "ProductFiles.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// sondex-cli: the Sondex folder analysis without windows, for production lines and CI.
//   sondex-cli analyse FOLDER [--sr 0,1] [--config FILE] [--answer yes|no] [--json]
//                             [--report DIR]

namespace sondex {

/// The options of `sondex-cli analyse`.
struct SSondexCliOptions {
    std::string m_strFolder;                ///< FOLDER
    std::vector<int32_t> m_vecSelectedSr{0}; ///< --sr, the SR values selected in the menu
    std::optional<std::string> m_strConfig; ///< --config: an .ini or a compiled .dat
    bool m_bAnswerYes = false;              ///< --answer yes|no
    bool m_bJson = false;                   ///< --json
    std::optional<std::string> m_strReport; ///< --report DIR
    std::string m_strCommand;               ///< the command line, for the report
};

/// The values of an --sr list ("0,1": values 0 to 3 separated by ','); nothing for another
/// text.
[[nodiscard]] std::optional<std::vector<int32_t>> ParseSrList(const std::string& text);

/// Parses the command line (argv[0] the program). Returns nothing when there is nothing to
/// run: exitCode is then 0 after --help or --version (the text on out) or kExitUsage for
/// bad arguments (the reason on err). files only names the settings in the help text.
/// Touches no file.
[[nodiscard]] std::optional<SSondexCliOptions> ParseSondexCliArgs(int argc,
                                                                  const char* const* argv,
                                                                  const SProductFiles& files,
                                                                  std::ostream& out,
                                                                  std::ostream& err,
                                                                  int& exitCode);

/// Analyses the folder of options with the product files (settings and tool log) of files:
/// the report goes to out, warnings and refusals to err. Returns the exit code.
int RunSondexAnalyse(const SSondexCliOptions& options, const SProductFiles& files,
                     std::ostream& out, std::ostream& err);

/// The whole program: the running program's product files, then ParseSondexCliArgs and
/// RunSondexAnalyse.
int RunSondexCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

} // namespace sondex
