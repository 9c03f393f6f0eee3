#pragma once

// Test support: a scratch folder that lives as long as a test (or a fixture) needs it.

#include <filesystem>
#include <string>

namespace testsupport {

/// A new empty folder under the temporary folder, removed with everything in it when the
/// object goes. The name carries prefix, the process and a counter, so tests running side by
/// side never share one.
class CScratchFolder {
public:
    explicit CScratchFolder(const std::string& prefix = "suite_test");
    ~CScratchFolder();
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& Path() const { return m_path; }
    [[nodiscard]] std::filesystem::path operator/(const std::filesystem::path& rel) const {
        return m_path / rel;
    }
    /// Writes bytes to the file rel (its folders made first) and returns its path.
    std::filesystem::path Write(const std::filesystem::path& rel, const std::string& bytes) const;

private:
    std::filesystem::path m_path;
};

} // namespace testsupport
