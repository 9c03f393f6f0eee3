#include "CaptureFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace quillon {

std::string CaptureFileName(const std::tm& local, int millisecond) {
    char name[64];
    std::snprintf(name, sizeof(name), "%02d-%02d-%02d-%02d-%02d-%02d-%03d.org",
                  local.tm_year % 100, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, millisecond);
    return name;
}

CCaptureFile::~CCaptureFile() {
    Close();
}

void CCaptureFile::SetError(const std::string& what, int error) {
    m_strError = what + " " + m_path.string() + ": " + std::strerror(error);
}

bool CCaptureFile::Create(const std::filesystem::path& folder, const std::tm& local,
                          int millisecond) {
    Close();
    m_strError.clear();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::string name = CaptureFileName(local, millisecond);
    const std::string stem = name.substr(0, name.size() - 4);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        m_path = folder / (attempt == 0 ? name : stem + "-" + std::to_string(attempt) + ".org");
        m_nFd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (m_nFd >= 0) {
            return true;
        }
        if (errno != EEXIST) {
            SetError("Cannot create the capture file", errno);
            return false;
        }
    }
    SetError("Cannot create the capture file", EEXIST);
    return false;
}

bool CCaptureFile::Append(std::string_view bytes) {
    if (m_nFd < 0) {
        m_strError = "The capture file is not open";
        return false;
    }
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_nFd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            SetError("Cannot write the capture file", errno);
            return false;
        }
        bytes.remove_prefix(size_t(written));
    }
    return true;
}

void CCaptureFile::Close() {
    if (m_nFd >= 0) {
        ::close(m_nFd);
        m_nFd = -1;
    }
}

} // namespace quillon
