#pragma once

// Test support: the process-wide settings file pointed at a test's own file for as long as
// the test runs, and put back as it was afterwards.

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace testsupport {

class CSettingsFileScope {
public:
    /// Points GetSettings() at file (which need not exist yet).
    explicit CSettingsFileScope(std::filesystem::path file);
    /// Points GetSettings() back at the file it named before.
    ~CSettingsFileScope();
    CSettingsFileScope(const CSettingsFileScope&) = delete;
    CSettingsFileScope& operator=(const CSettingsFileScope&) = delete;

    [[nodiscard]] const std::filesystem::path& Path() const { return m_file; }
    /// Replaces the file's bytes with text (an .ini as a test wants it).
    void Write(const std::string& text) const;
    /// Sets one key as the programs write it; false when the file could not be written.
    [[nodiscard]] bool Set(std::wstring_view section, std::wstring_view key,
                           std::wstring_view value) const;

private:
    std::filesystem::path m_file;
    std::filesystem::path m_previous;
};

/// A test with its own settings file in a scratch folder (m_dir), pointed at while it runs.
class CSettingsFileTest : public ::testing::Test {
protected:
    /// Sets one key of the test's settings file; a failed write fails the test.
    void Set(std::wstring_view section, std::wstring_view key, std::wstring_view value) const {
        ASSERT_TRUE(m_settingsFile.Set(section, key, value)) << m_settingsFile.Path();
    }

    CScratchFolder m_scratch{"settings_test"};
    const std::filesystem::path m_dir = m_scratch.Path();
    CSettingsFileScope m_settingsFile{m_dir / "Quillon.ini"};
};

} // namespace testsupport
