#pragma once

// Helpers of the Orlo engine tests: a private temporary folder, a settings file pointed at
// for the test's lifetime, and logs written the way the board prints them.

#include "ScratchFolder.h"
#include "SettingsFile.h"
#include "SettingsFileScope.h"
#include "TextUtil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace orlotest {

namespace fs = std::filesystem;

/// A scratch folder of the Orlo engine's tests, with the paths the engine takes.
class CTempDir : public testsupport::CScratchFolder {
public:
    CTempDir() : CScratchFolder("orlo") {}

    [[nodiscard]] std::wstring WPath(const std::string& rel = std::string()) const {
        return PathToWide(rel.empty() ? Path() : Path() / rel);
    }
    /// Writes bytes to a file below the folder (creating its directories).
    std::wstring Write(const std::string& rel, const std::string& bytes) const {
        return PathToWide(CScratchFolder::Write(rel, bytes));
    }
};

/// Points the settings object at a file of the given content for the guard's lifetime.
class CSettingsGuard : public testsupport::CSettingsFileScope {
public:
    CSettingsGuard(const CTempDir& dir, const std::string& content)
        : CSettingsFileScope(dir.Path() / "QuillonOrlo.ini") {
        Set(content);
    }
    /// Rewrites the file, as an engineer editing it between two analyses.
    void Set(const std::string& content) const { Write(content); }
};

/// One data line as the scan tool prints it (without line end).
inline std::string DataLine(int clkwr, int dqs, int data, int ctl, int clk, bool pass) {
    return Format("clkwr=%d, dqs_drv=%d, data_drv=%d, ctl=%d, clk_drv=%d %s :))))))", clkwr, dqs,
                  data, ctl, clk, pass ? "pass" : "FAIL");
}

/// A signed log: banner, then every line, each ending in CR LF.
inline std::string OrloLog(const std::vector<std::string>& lines) {
    std::string text = "==== DDR SCAN TOOL VER1.0 ====\r\n";
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

/// Data lines of one combination: pass for clkwr in [first, last], fail elsewhere.
inline std::vector<std::string> WindowLines(int dqs, int data, int ctl, int clk, int first,
                                            int last) {
    std::vector<std::string> lines;
    for (int c = 0; c < 32; ++c) {
        lines.push_back(DataLine(c, dqs, data, ctl, clk, c >= first && c <= last));
    }
    return lines;
}

} // namespace orlotest
