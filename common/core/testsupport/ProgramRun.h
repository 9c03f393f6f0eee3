#pragma once

// Test support: a built program run as a shell script runs it, for the few tests that check
// what only the whole process shows (exit statuses, standard output and error, the files
// beside the program).

#include "ScratchFiles.h"

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

/// What a program run wrote and how it ended.
struct SProgramRun {
    int m_nExitCode = -1; ///< the exit status; -1 when it did not exit normally or could not start
    std::string m_strOut; ///< standard output (and standard error as asked)
};

/// Where a run's standard error goes.
enum class EStderr {
    Drop,         ///< to /dev/null
    WithOut,      ///< into out, after standard output
    InsteadOfOut, ///< into out, with standard output dropped
};

/// Runs program with args (already quoted for the shell) through the shell.
[[nodiscard]] SProgramRun RunProgram(const std::filesystem::path& program, const std::string& args,
                                     EStderr stderrTo = EStderr::Drop);

/// Runs args[0] with args twice, with standard error on a pipe and on a terminal: on the
/// terminal it writes "file i/n name" for each of names before the same text it writes to
/// the pipe; on the pipe there are no progress lines. Both runs end alike.
void ExpectProgressOnlyOnATerminal(const std::vector<std::string>& args,
                                   const std::vector<std::string>& names);

} // namespace testsupport
