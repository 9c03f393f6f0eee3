#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

namespace quillon {

/// The capture file name of a moment: "YY-MM-DD-hh-mm-ss-mmm.org" (local time fields).
[[nodiscard]] std::string CaptureFileName(const std::tm& local, int millisecond);

// The file every received byte of an open port goes to. Each piece is written straight to
// the file with no buffer of ours, so a crash of the program loses nothing already received.
class CCaptureFile {
public:
    CCaptureFile() = default;
    ~CCaptureFile();
    CCaptureFile(const CCaptureFile&) = delete;
    CCaptureFile& operator=(const CCaptureFile&) = delete;

    /// Creates a new file named by CaptureFileName in folder (created when missing); an
    /// existing file is never overwritten (a suffix "-N" is added). False with Error() set
    /// when the file cannot be created.
    bool Create(const std::filesystem::path& folder, const std::tm& local, int millisecond);
    /// Appends the bytes; false with Error() set when they could not all be written.
    bool Append(std::string_view bytes);
    void Close();

    [[nodiscard]] bool IsOpen() const { return m_nFd >= 0; }
    [[nodiscard]] const std::filesystem::path& Path() const { return m_path; }
    /// The system's reason of the last failure, with the file's path.
    [[nodiscard]] const std::string& Error() const { return m_strError; }

private:
    void SetError(const std::string& what, int error);

    int m_nFd = -1;
    std::filesystem::path m_path;
    std::string m_strError;
};

} // namespace quillon
