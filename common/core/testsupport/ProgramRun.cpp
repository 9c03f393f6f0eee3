#include "ProgramRun.h"

#include "StderrCapture.h"
#include "WindowsSavedText.h"

#include <gtest/gtest.h>

namespace testsupport {

SProgramRun RunProgram(const std::filesystem::path& program, const std::string& args,
                       EStderr stderrTo) {
    const char* redirect = " 2>/dev/null";
    if (stderrTo == EStderr::WithOut) {
        redirect = " 2>&1";
    } else if (stderrTo == EStderr::InsteadOfOut) {
        redirect = " 2>&1 >/dev/null";
    }
    SProgramRun run;
    run.m_strOut = RunCommand(ShellQuote(program.string()) + " " + args + redirect, run.m_nExitCode);
    return run;
}

void ExpectProgressOnlyOnATerminal(const std::vector<std::string>& args,
                                   const std::vector<std::string>& names) {
    int piped = -1;
    const std::string plain = RunWithStderr(args, false, piped);
    int onTerminal = -1;
    const std::string terminal = RunWithStderr(args, true, onTerminal);
    EXPECT_EQ(piped, onTerminal);
    EXPECT_EQ(plain.find("file "), std::string::npos) << plain;
    std::string expected;
    for (size_t i = 0; i < names.size(); ++i) {
        expected += "file " + std::to_string(i + 1) + "/" + std::to_string(names.size()) + " " +
                    names[i] + "\r\n";
    }
    // A terminal turns each line end into CR LF.
    std::string rest;
    for (const char ch : plain) {
        rest += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    }
    EXPECT_EQ(terminal, expected + rest);
}

} // namespace testsupport
