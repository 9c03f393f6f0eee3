#include "ReadablePath.h"

#include "TextUtil.h"

#include <cerrno>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::wstring CannotBeRead(int error) {
    return L"cannot be read: " + Utf8ToWide(std::generic_category().message(error));
}

} // namespace

std::wstring WhyFileUnreadable(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? L"does not exist" : CannotBeRead(errno);
    }
    if (S_ISDIR(st.st_mode)) {
        return L"is a directory";
    }
    if (!S_ISREG(st.st_mode)) {
        return L"is not a regular file";
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return CannotBeRead(errno);
    }
    ::close(fd);
    return std::wstring();
}

std::wstring WhyFolderUnreadable(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? L"does not exist" : CannotBeRead(errno);
    }
    if (!S_ISDIR(st.st_mode)) {
        return L"is not a directory";
    }
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        return CannotBeRead(errno);
    }
    ::closedir(dir);
    return std::wstring();
}

bool PathIsTaken(const fs::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}
