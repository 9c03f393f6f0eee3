#pragma once

// Helpers of the Orlo engine tests: a private temporary folder, a settings file pointed at
// for the test's lifetime, and logs written the way the board prints them.

#include "SettingsFile.h"
#include "TextUtil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace orlotest {

namespace fs = std::filesystem;

class CTempDir {
public:
    CTempDir() {
        static std::atomic<int> counter{0};
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = "orlo-";
        if (info) {
            name += std::string(info->test_suite_name()) + "-" + info->name();
        }
        for (char& c : name) {
            if (c == '/') {
                c = '_';
            }
        }
        m_path = fs::temp_directory_path() /
                 (name + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~CTempDir() {
        std::error_code ec;
        fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_path, ec);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    [[nodiscard]] const fs::path& Path() const { return m_path; }
    [[nodiscard]] std::wstring WPath(const std::string& rel = std::string()) const {
        return PathToWide(rel.empty() ? m_path : m_path / rel);
    }
    /// Writes bytes to a file below the folder (creating its directories).
    std::wstring Write(const std::string& rel, const std::string& bytes) const {
        const fs::path p = m_path / rel;
        fs::create_directories(p.parent_path());
        std::ofstream out(p, std::ios::binary);
        out << bytes;
        return PathToWide(p);
    }

private:
    fs::path m_path;
};

/// Points the settings object at a file of the given content for the guard's lifetime.
class CSettingsGuard {
public:
    CSettingsGuard(const CTempDir& dir, const std::string& content)
        : m_previous(GetSettings().Path()) {
        m_path = dir.Path() / "QuillonOrlo.ini";
        Set(content);
        GetSettings().SetPath(m_path);
    }
    ~CSettingsGuard() { GetSettings().SetPath(m_previous); }
    CSettingsGuard(const CSettingsGuard&) = delete;
    CSettingsGuard& operator=(const CSettingsGuard&) = delete;
    /// Rewrites the file, as an engineer editing it between two analyses.
    void Set(const std::string& content) const {
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        out << content;
    }

private:
    fs::path m_previous;
    fs::path m_path;
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
