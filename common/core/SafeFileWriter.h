#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

// The one way files the user cares about are changed (firmware images, settings, the compiled
// Sondex configuration). The real file behind symbolic links is the one changed; the change
// happens under an exclusive lock on it (flock), goes through a unique temporary file beside it
// that is synced and renamed over it (or, for a hard-linked file or one whose owner cannot be
// kept, through writes in place), and is read back and compared. Whatever fails, the file is
// left byte for byte as it was, and the result says which of that happened.

/// How a change of a file ended.
enum class ESafeWriteResult {
    Written,      ///< the file holds the new bytes, read back and compared
    Refused,      ///< the change function declined; nothing was written
    CannotOpen,   ///< missing, not a regular file, without a write bit, or unreadable
    Busy,         ///< another writer held the file's lock for longer than the timeout
    BackupFailed, ///< the copy of the original could not be made; nothing was written
    WriteFailed,  ///< writing failed; the file is byte for byte as before
    VerifyFailed, ///< the bytes read back differed; the original bytes were put back
    Damaged,      ///< writing failed and the original bytes could not be put back
};

class CSafeFileWriter {
public:
    /// Decides the new bytes from the current ones; false leaves the file alone.
    using ChangeFunction = std::function<bool(std::string& bytes)>;
    /// Called after the new bytes are in place and before they are read back (tests only).
    using WriteHook = std::function<void(const std::filesystem::path& realPath)>;

    explicit CSafeFileWriter(std::filesystem::path path);
    CSafeFileWriter(const CSafeFileWriter&) = delete;
    CSafeFileWriter& operator=(const CSafeFileWriter&) = delete;

    /// Keep a copy of the original as "<real file>.bak" before the first change; an
    /// existing copy is never overwritten. Off by default.
    void SetKeepBackup(bool keep) { m_bKeepBackup = keep; }
    void SetLockTimeout(std::chrono::milliseconds timeout) { m_lockTimeout = timeout; }

    /// Read-modify-write of an existing file under its lock: change receives the whole
    /// content and edits it in place.
    [[nodiscard]] ESafeWriteResult Update(const ChangeFunction& change);
    /// Sets the whole content; creates the file (mode 0644 less the umask) when it is missing.
    [[nodiscard]] ESafeWriteResult Replace(const std::string& bytes);

    /// The file that was (or would have been) changed: the path with every link resolved.
    [[nodiscard]] const std::filesystem::path& RealPath() const { return m_realPath; }
    /// The copy of the original; empty when backups are off.
    [[nodiscard]] const std::filesystem::path& BackupPath() const { return m_backupPath; }
    /// True when this call made the copy (false when it already existed).
    [[nodiscard]] bool BackupMade() const { return m_bBackupMade; }
    /// The system's reason for the last failure ("No space left on device"), empty if none.
    [[nodiscard]] const std::string& ErrorText() const { return m_strError; }

    /// The lock timeout of writers made from now on (10 s unless changed).
    static void SetDefaultLockTimeout(std::chrono::milliseconds timeout);
    static void SetWriteHookForTests(WriteHook hook);

private:
    ESafeWriteResult Run(const ChangeFunction& change, bool create);

    std::filesystem::path m_path;
    std::filesystem::path m_realPath;
    std::filesystem::path m_backupPath;
    std::chrono::milliseconds m_lockTimeout;
    bool m_bKeepBackup = false;
    bool m_bBackupMade = false;
    std::string m_strError;
};

/// The path with every symbolic link resolved, the last one too even when its target is
/// missing (so a new file is created where the link points).
[[nodiscard]] std::filesystem::path ResolveLinks(const std::filesystem::path& path);
