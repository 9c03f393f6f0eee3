#include "SafeFileWriter.h"

#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::chrono::milliseconds g_defaultLockTimeout{10000};
CSafeFileWriter::WriteHook g_writeHook;

// A descriptor closed on every path out of a function.
class CFd {
public:
    CFd() = default;
    explicit CFd(int fd) : m_fd(fd) {}
    ~CFd() { Reset(); }
    CFd(CFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    CFd& operator=(CFd&& other) noexcept {
        if (this != &other) {
            Reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    void Reset() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = -1;
    }
    [[nodiscard]] int Get() const { return m_fd; }
    [[nodiscard]] bool Valid() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// A temporary file beside the target; removed unless it was renamed into place.
struct STempFile {
    CFd m_fd;
    fs::path m_path;
    bool m_bPlaced = false;
    STempFile() = default;
    STempFile(const STempFile&) = delete;
    STempFile& operator=(const STempFile&) = delete;
    ~STempFile() { Remove(); }
    void Remove() {
        if (!m_path.empty() && !m_bPlaced) {
            ::unlink(m_path.c_str());
        }
        m_path.clear();
        m_fd.Reset();
    }
};

bool WriteAll(int fd, const char* data, size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = EIO;
            }
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
        offset += n;
    }
    return true;
}

bool ReadAll(int fd, std::string& out) {
    out.clear();
    std::vector<char> buffer(1 << 16);
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, buffer.data(), buffer.size(), offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        out.append(buffer.data(), static_cast<size_t>(n));
        offset += n;
    }
}

bool ReadPath(const fs::path& path, std::string& out) {
    const CFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    return fd.Valid() && ReadAll(fd.Get(), out);
}

// The exclusive lock, waiting up to timeout; false with errno EWOULDBLOCK when it timed out.
bool LockExclusive(int fd, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return true;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void SyncFolder(const fs::path& folder) {
    const CFd fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Valid()) {
        ::fsync(fd.Get());
    }
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Writes bytes into a new file created exclusively beside target, with mode and (when owner
// is given) owner and group, synced and locked: once renamed into place nobody else changes
// it before this writer has read it back. ownerKept is false when the owner could not be set.
bool MakeTemp(const fs::path& target, const std::string& bytes, mode_t mode,
              const struct stat* owner, STempFile& temp, bool& ownerKept) {
    ownerKept = true;
    std::string name = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX"));
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    temp.m_fd = CFd(fd);
    temp.m_path = name;
    if (::flock(fd, LOCK_EX) != 0 || !WriteAll(fd, bytes.data(), bytes.size(), 0) ||
        ::fchmod(fd, mode) != 0) {
        const int err = errno;
        temp.Remove();
        errno = err;
        return false;
    }
    if (owner && (owner->st_uid != ::geteuid() || owner->st_gid != ::getegid()) &&
        ::fchown(fd, owner->st_uid, owner->st_gid) != 0) {
        ownerKept = false;
        temp.Remove();
        return true;
    }
    if (::fsync(fd) != 0) {
        const int err = errno;
        temp.Remove();
        errno = err;
        return false;
    }
    return true;
}

// Turns the content of fd from `from` into `to`, writing only the bytes that differ (so a
// restore after a failure rewrites exactly what this touched), then syncs.
bool WriteInPlace(int fd, const std::string& from, const std::string& to) {
    const size_t common = std::min(from.size(), to.size());
    size_t i = 0;
    while (i < common) {
        if (from[i] == to[i]) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < common && from[end] != to[end]) {
            ++end;
        }
        if (!WriteAll(fd, to.data() + i, end - i, static_cast<off_t>(i))) {
            return false;
        }
        i = end;
    }
    if (to.size() > common &&
        !WriteAll(fd, to.data() + common, to.size() - common, static_cast<off_t>(common))) {
        return false;
    }
    if (to.size() != from.size() && ::ftruncate(fd, static_cast<off_t>(to.size())) != 0) {
        return false;
    }
    return ::fdatasync(fd) == 0;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

fs::path ResolveLinks(const fs::path& path) {
    std::error_code ec;
    fs::path current = fs::absolute(path, ec);
    if (ec) {
        return path;
    }
    for (int depth = 0; depth < 40; ++depth) {
        // Folders first, so a relative link target is taken from the folder it really lies in.
        const fs::path folder = fs::weakly_canonical(current.parent_path(), ec);
        if (!ec) {
            current = folder / current.filename();
        }
        if (!fs::is_symlink(current, ec)) {
            break;
        }
        const fs::path target = fs::read_symlink(current, ec);
        if (ec) {
            break;
        }
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return current.lexically_normal();
}

CSafeFileWriter::CSafeFileWriter(fs::path path)
    : m_path(std::move(path)), m_lockTimeout(g_defaultLockTimeout) {}

void CSafeFileWriter::SetDefaultLockTimeout(std::chrono::milliseconds timeout) {
    g_defaultLockTimeout = timeout;
}

void CSafeFileWriter::SetWriteHookForTests(WriteHook hook) {
    g_writeHook = std::move(hook);
}

ESafeWriteResult CSafeFileWriter::Update(const ChangeFunction& change) {
    return Run(change, false);
}

ESafeWriteResult CSafeFileWriter::Replace(const std::string& bytes) {
    return Run(
        [&bytes](std::string& content) {
            content = bytes;
            return true;
        },
        true);
}

ESafeWriteResult CSafeFileWriter::Run(const ChangeFunction& change, bool create) {
    m_strError.clear();
    m_bBackupMade = false;
    m_backupPath.clear();
    const auto fail = [this](ESafeWriteResult result, int err) {
        m_strError = std::strerror(err);
        return result;
    };

    // Open and lock the real file; when a writer before us renamed a new file into its place
    // while we waited, the lock we got is on the old one: take the new one.
    CFd file;
    struct stat st {};
    bool exists = false;
    for (int attempt = 0;; ++attempt) {
        if (attempt == 50) {
            return fail(ESafeWriteResult::Busy, EBUSY);
        }
        m_realPath = ResolveLinks(m_path);
        struct stat pre {};
        if (::stat(m_realPath.c_str(), &pre) != 0) {
            if (errno == ENOENT && create) {
                break;
            }
            return fail(ESafeWriteResult::CannotOpen, errno);
        }
        if (!S_ISREG(pre.st_mode)) {
            return fail(ESafeWriteResult::CannotOpen, S_ISDIR(pre.st_mode) ? EISDIR : EINVAL);
        }
        // A file without any write bit stays as it is, even for root.
        if ((pre.st_mode & 0222) == 0) {
            return fail(ESafeWriteResult::CannotOpen, EACCES);
        }
        file = CFd(::open(m_realPath.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY));
        if (!file.Valid()) {
            if (errno == ENOENT) {
                continue;
            }
            return fail(ESafeWriteResult::CannotOpen, errno);
        }
        if (::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
            return fail(ESafeWriteResult::CannotOpen, EINVAL);
        }
        if (!LockExclusive(file.Get(), m_lockTimeout)) {
            return fail(errno == EWOULDBLOCK ? ESafeWriteResult::Busy
                                             : ESafeWriteResult::CannotOpen,
                        errno);
        }
        struct stat now {};
        if (::stat(m_realPath.c_str(), &now) == 0 && SameFile(now, st)) {
            exists = true;
            break;
        }
        file.Reset();
    }
    if (m_bKeepBackup) {
        m_backupPath = m_realPath;
        m_backupPath += ".bak";
    }

    std::string original;
    if (exists && !ReadAll(file.Get(), original)) {
        return fail(ESafeWriteResult::CannotOpen, errno);
    }
    std::string wanted = original;
    if (!change(wanted)) {
        return ESafeWriteResult::Refused;
    }
    if (exists && wanted == original) {
        return ESafeWriteResult::Written;
    }

    const mode_t mode = exists ? (st.st_mode & 07777) : NewFileMode();
    const struct stat* owner = exists ? &st : nullptr;
    if (exists && m_bKeepBackup) {
        struct stat backup {};
        if (::lstat(m_backupPath.c_str(), &backup) != 0) {
            // Made under a temporary name and linked into place: never a half copy, and an
            // existing copy is never replaced (link fails on an existing name).
            STempFile temp;
            bool ownerKept = true;
            if (!MakeTemp(m_realPath, original, mode, owner, temp, ownerKept)) {
                return fail(ESafeWriteResult::BackupFailed, errno);
            }
            if (!ownerKept && !MakeTemp(m_realPath, original, mode, nullptr, temp, ownerKept)) {
                return fail(ESafeWriteResult::BackupFailed, errno);
            }
            if (::link(temp.m_path.c_str(), m_backupPath.c_str()) == 0) {
                m_bBackupMade = true;
            } else if (errno != EEXIST) {
                return fail(ESafeWriteResult::BackupFailed, errno);
            }
        }
    }

    // A hard-linked file keeps its links only when written in place; so does a file whose
    // owner this process cannot give to a new file, or one in a folder closed to new files.
    bool inPlace = exists && st.st_nlink > 1;
    STempFile placed;
    const auto replaceWith = [&](const std::string& bytes, STempFile& temp) {
        bool ownerKept = true;
        if (!MakeTemp(m_realPath, bytes, mode, owner, temp, ownerKept)) {
            // A folder that refuses new files while the file itself is writable: in place.
            return exists && (errno == EACCES || errno == EPERM) ? -1 : 0;
        }
        if (!ownerKept) {
            return -1;
        }
        if (::rename(temp.m_path.c_str(), m_realPath.c_str()) != 0) {
            const int err = errno;
            temp.Remove();
            errno = err;
            return 0;
        }
        temp.m_bPlaced = true;
        SyncFolder(m_realPath.parent_path());
        return 1;
    };
    if (!inPlace) {
        const int replaced = replaceWith(wanted, placed);
        if (replaced == 0) {
            // Only the temporary file was written: the file itself was never touched.
            return fail(ESafeWriteResult::WriteFailed, errno);
        }
        inPlace = replaced < 0;
    }
    if (inPlace && !WriteInPlace(file.Get(), original, wanted)) {
        // Put back only what differs now: a write refused as a whole changed nothing.
        const int err = errno;
        std::string now;
        bool restored = ReadAll(file.Get(), now);
        if (restored && now != original) {
            restored = WriteInPlace(file.Get(), now, original) && ReadAll(file.Get(), now) &&
                       now == original;
        }
        return fail(restored ? ESafeWriteResult::WriteFailed : ESafeWriteResult::Damaged, err);
    }

    if (g_writeHook) {
        g_writeHook(m_realPath);
    }
    std::string back;
    if (ReadPath(m_realPath, back) && back == wanted) {
        return ESafeWriteResult::Written;
    }
    m_strError = "the bytes read back differ from the bytes written";
    if (!exists) {
        // Nothing to go back to: the file this writer created goes, unless another took its place.
        struct stat now {};
        struct stat ours {};
        if (::fstat(placed.m_fd.Get(), &ours) == 0 && ::stat(m_realPath.c_str(), &now) == 0 &&
            SameFile(now, ours)) {
            ::unlink(m_realPath.c_str());
        }
        return ESafeWriteResult::VerifyFailed;
    }
    bool restored = false;
    STempFile restore;
    if (inPlace) {
        restored = WriteInPlace(file.Get(), back, original);
    } else {
        restored = replaceWith(original, restore) == 1;
    }
    std::string now;
    restored = restored && ReadPath(m_realPath, now) && now == original;
    return restored ? ESafeWriteResult::VerifyFailed : ESafeWriteResult::Damaged;
}
