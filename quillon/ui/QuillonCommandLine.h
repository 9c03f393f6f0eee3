#pragma once

#include <optional>
#include <string>
#include <vector>

// The Quillon program's command line: Quillon [--type NAME] [DIR] [--screenshot FILE.png]
// [--capture PORT] [--help]. Without arguments the window behaves as it always does.

struct SQuillonCommandLine {
    std::optional<int> m_nLogType;             ///< --type, as a log type (lpddr 0 ... emmc-ddr50 5)
    std::optional<std::string> m_strDirectory; ///< DIR: put into the directory box, Analyse runs
    std::optional<std::string> m_strScreenshot; ///< --screenshot: grab the window and exit
    std::optional<std::string> m_strCapturePort; ///< --capture: open the UART capture on PORT
    bool m_bHelp = false;
};

/// The usage text --help prints.
[[nodiscard]] std::string QuillonUsage();

/// Parses the arguments after the program name. Returns nothing and fills error for an
/// unknown option, a missing value, an unknown type name or a second directory.
[[nodiscard]] std::optional<SQuillonCommandLine>
ParseQuillonCommandLine(const std::vector<std::string>& args, std::string& error);
