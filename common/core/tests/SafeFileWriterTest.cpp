// The safe file writer on real files: links followed to the real file and kept, temporary
// files unique and always removed, a full disk or a file-size limit leaving the file whole,
// the lock shared with other processes, and a wrong read-back undone.

#include "SafeFileWriter.h"

#include "FileUtil.h"

#include "ScratchFiles.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using testsupport::FolderNames;
using testsupport::GetBytes;
using testsupport::PutBytes;
using testsupport::RandomBytes;

namespace {

// Runs body in a child process and returns its exit status (-1 when it died by a signal).
int InChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Patches the 4 bytes at offset with value.
CSafeFileWriter::ChangeFunction PatchWord(size_t offset, uint32_t value) {
    return [offset, value](std::string& bytes) {
        if (bytes.size() < offset + 4) {
            return false;
        }
        std::memcpy(bytes.data() + offset, &value, 4);
        return true;
    };
}

class SafeFileWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_file = m_dir / "image.bin";
    }
    void TearDown() override {
        CSafeFileWriter::SetWriteHookForTests(nullptr);
        CSafeFileWriter::SetDefaultLockTimeout(std::chrono::milliseconds(10000));
    }
    testsupport::CScratchFolder m_scratch{"safe_writer"};
    const fs::path m_dir = m_scratch.Path();
    fs::path m_file;
};

} // namespace

TEST_F(SafeFileWriterTest, UpdateKeepsEveryOtherByteModeAndMakesTheBackupOnce) {
    const std::string original = RandomBytes(5000, 1);
    PutBytes(m_file, original);
    fs::permissions(m_file, fs::perms(0640));
    CSafeFileWriter writer(m_file);
    writer.SetKeepBackup(true);
    ASSERT_EQ(writer.Update(PatchWord(100, 0x11223344u)), ESafeWriteResult::Written);
    std::string expected = original;
    const uint32_t word = 0x11223344u;
    std::memcpy(expected.data() + 100, &word, 4);
    EXPECT_EQ(GetBytes(m_file), expected);
    EXPECT_EQ(fs::status(m_file).permissions(), fs::perms(0640));
    EXPECT_TRUE(writer.BackupMade());
    EXPECT_EQ(writer.BackupPath(), m_dir / "image.bin.bak");
    EXPECT_EQ(GetBytes(m_dir / "image.bin.bak"), original);

    // The second write keeps the first copy: it is the original an engineer goes back to.
    CSafeFileWriter again(m_file);
    again.SetKeepBackup(true);
    ASSERT_EQ(again.Update(PatchWord(200, 7)), ESafeWriteResult::Written);
    EXPECT_FALSE(again.BackupMade());
    EXPECT_EQ(GetBytes(m_dir / "image.bin.bak"), original);
    EXPECT_EQ(FolderNames(m_dir), (std::vector<std::string>{"image.bin", "image.bin.bak"}));
}

TEST_F(SafeFileWriterTest, LinksLeadToTheRealFileAndStay) {
    const std::string original = RandomBytes(3000, 2);
    fs::create_directories(m_dir / "real");
    PutBytes(m_dir / "real" / "image.bin", original);
    fs::create_symlink("real/image.bin", m_dir / "link.bin");
    fs::create_hard_link(m_dir / "real" / "image.bin", m_dir / "hard.bin");

    CSafeFileWriter viaLink(m_dir / "link.bin");
    viaLink.SetKeepBackup(true);
    ASSERT_EQ(viaLink.Update(PatchWord(0, 0xA5A5A5A5u)), ESafeWriteResult::Written);
    EXPECT_EQ(viaLink.RealPath(), m_dir / "real" / "image.bin");
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.bin"));
    EXPECT_EQ(fs::hard_link_count(m_dir / "real" / "image.bin"), 2u);
    EXPECT_TRUE(fs::equivalent(m_dir / "hard.bin", m_dir / "real" / "image.bin"));
    const std::string after = GetBytes(m_dir / "hard.bin");
    EXPECT_EQ(after.substr(0, 4), std::string(4, '\xA5'));
    EXPECT_EQ(after.substr(4), original.substr(4));
    EXPECT_EQ(GetBytes(m_dir / "real" / "image.bin.bak"), original);

    // A link whose target does not exist yet: Replace creates the target, the link stays.
    fs::create_symlink("real/new.dat", m_dir / "new.dat");
    CSafeFileWriter create(m_dir / "new.dat");
    ASSERT_EQ(create.Replace("abc"), ESafeWriteResult::Written);
    EXPECT_TRUE(fs::is_symlink(m_dir / "new.dat"));
    EXPECT_EQ(GetBytes(m_dir / "real" / "new.dat"), "abc");
}

TEST_F(SafeFileWriterTest, OwnerAndGroupAreKept) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a file another owner needs root";
    }
    PutBytes(m_file, RandomBytes(1000, 3));
    ASSERT_EQ(::chown(m_file.c_str(), 4321, 4322), 0);
    ASSERT_EQ(CSafeFileWriter(m_file).Update(PatchWord(8, 1)), ESafeWriteResult::Written);
    struct stat st {};
    ASSERT_EQ(::stat(m_file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
}

TEST_F(SafeFileWriterTest, LeftoverTemporaryNamesAreNeitherFollowedNorUsed) {
    const std::string original = RandomBytes(2000, 4);
    PutBytes(m_file, original);
    PutBytes(m_dir / "victim.bin", "victim");
    // Whatever fixed name a writer might pick, a link there leads nowhere.
    for (const char* name : {"image.bin.tmp~", "image.bin.tmp", ".image.bin.tmp", "image.bin~"}) {
        fs::create_symlink(m_dir / "victim.bin", m_dir / name);
    }
    const auto before = FolderNames(m_dir);
    ASSERT_EQ(CSafeFileWriter(m_file).Update(PatchWord(16, 0x01020304u)),
              ESafeWriteResult::Written);
    EXPECT_EQ(GetBytes(m_dir / "victim.bin"), "victim");
    EXPECT_FALSE(fs::is_symlink(m_file));
    EXPECT_EQ(FolderNames(m_dir), before);
}

TEST_F(SafeFileWriterTest, RefusalsChangeNothing) {
    // Missing (Update does not create), a folder, a file without write bits, a change refused.
    EXPECT_EQ(CSafeFileWriter(m_dir / "missing.bin").Update(PatchWord(0, 1)),
              ESafeWriteResult::CannotOpen);
    EXPECT_FALSE(fs::exists(m_dir / "missing.bin"));
    EXPECT_EQ(CSafeFileWriter(m_dir).Replace("x"), ESafeWriteResult::CannotOpen);
    const std::string original = RandomBytes(100, 5);
    PutBytes(m_file, original);
    fs::permissions(m_file, fs::perms(0444));
    EXPECT_EQ(CSafeFileWriter(m_file).Update(PatchWord(0, 1)), ESafeWriteResult::CannotOpen);
    fs::permissions(m_file, fs::perms(0644));
    EXPECT_EQ(CSafeFileWriter(m_file).Update(PatchWord(100, 1)), ESafeWriteResult::Refused);
    EXPECT_EQ(GetBytes(m_file), original);
    EXPECT_EQ(FolderNames(m_dir), std::vector<std::string>{"image.bin"});
}

struct SLimitCase {
    const char* name;
    bool hardLinked; // written in place rather than through a temporary file
    bool backup;
};

class SafeFileWriterLimitTest : public SafeFileWriterTest,
                                public ::testing::WithParamInterface<SLimitCase> {};

// A file-size limit below the file's size: neither the copy nor the temporary file can be
// written; the file stays whole, the result says so, and no temporary file is left.
TEST_P(SafeFileWriterLimitTest, FileSizeLimitLeavesTheFileWhole) {
    const std::string original = RandomBytes(48 * 1024, 6);
    PutBytes(m_file, original);
    if (GetParam().hardLinked) {
        fs::create_hard_link(m_file, m_dir / "other.bin");
    }
    const auto before = FolderNames(m_dir);
    const int status = InChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{40 * 1024, 40 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        CSafeFileWriter writer(m_file);
        writer.SetKeepBackup(GetParam().backup);
        // A change past the limit: its write must fail even in place.
        return static_cast<int>(writer.Update(PatchWord(45 * 1024, 0xDEADBEEFu)));
    });
    const ESafeWriteResult expected =
        GetParam().backup ? ESafeWriteResult::BackupFailed : ESafeWriteResult::WriteFailed;
    EXPECT_EQ(status, static_cast<int>(expected));
    EXPECT_EQ(GetBytes(m_file), original);
    EXPECT_EQ(FolderNames(m_dir), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, SafeFileWriterLimitTest,
                         ::testing::Values(SLimitCase{"TemporaryFile", false, false},
                                           SLimitCase{"Backup", false, true},
                                           SLimitCase{"InPlace", true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A full file system: a 64 KiB tmpfs mounted in a private mount namespace of a child.
TEST_F(SafeFileWriterTest, FullFileSystemLeavesTheFileWhole) {
    const fs::path mountPoint = m_dir / "small";
    fs::create_directories(mountPoint);
    const std::string original = RandomBytes(28 * 1024, 7);
    const int status = InChild([&] {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) {
            return 100;
        }
        const fs::path file = mountPoint / "image.bin";
        PutBytes(file, original);
        // The first write makes the copy (two files fit), then has no room for its temporary
        // file; the second has no room at all.
        int failures = 0;
        for (int round = 0; round < 2; ++round) {
            CSafeFileWriter writer(file);
            writer.SetKeepBackup(true);
            const ESafeWriteResult result = writer.Update(PatchWord(20000, 0xCAFEF00Du));
            std::string now;
            failures += result == ESafeWriteResult::WriteFailed ? 0 : 1;
            failures += ReadFileBytes(file, now) && now == original ? 0 : 10;
            failures +=
                FolderNames(mountPoint) == std::vector<std::string>{"image.bin", "image.bin.bak"}
                    ? 0
                    : 20;
        }
        return failures;
    });
    if (status == 100) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs a private mount namespace)";
    }
    EXPECT_EQ(status, 0);
}

// A writer that holds the lock makes the next one wait; its change is not lost.
TEST_F(SafeFileWriterTest, SecondWriterWaitsForTheLockAndKeepsTheFirstChange) {
    PutBytes(m_file, std::string(64, '\0'));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(m_file.c_str(), O_RDWR);
        ::flock(fd, LOCK_EX);
        ::write(ready[1], "x", 1);
        ::usleep(300 * 1000);
        ::pwrite(fd, "FIRST", 5, 0);
        ::fsync(fd);
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    const ESafeWriteResult result = CSafeFileWriter(m_file).Update([](std::string& bytes) {
        bytes.replace(32, 6, "SECOND");
        return true;
    });
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(result, ESafeWriteResult::Written);
    const std::string now = GetBytes(m_file);
    EXPECT_EQ(now.substr(0, 5), "FIRST");
    EXPECT_EQ(now.substr(32, 6), "SECOND");
}

TEST_F(SafeFileWriterTest, LockHeldTooLongIsBusyAndChangesNothing) {
    const std::string original = RandomBytes(64, 8);
    PutBytes(m_file, original);
    const int fd = ::open(m_file.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const int status = InChild([&] {
        // flock locks belong to the open file: a child's own open has to wait for ours.
        CSafeFileWriter writer(m_file);
        writer.SetLockTimeout(std::chrono::milliseconds(200));
        return static_cast<int>(writer.Update(PatchWord(0, 1)));
    });
    ::close(fd);
    EXPECT_EQ(status, static_cast<int>(ESafeWriteResult::Busy));
    EXPECT_EQ(GetBytes(m_file), original);
}

// Two processes each add 1 to their own counter of one file many times: no update is lost,
// although each write puts a new file in place of the one the other is waiting for.
TEST_F(SafeFileWriterTest, ConcurrentReadModifyWritesLoseNothing) {
    PutBytes(m_file, std::string(16, '\0'));
    constexpr int kRounds = 150;
    std::vector<pid_t> children;
    for (int child = 0; child < 2; ++child) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            int failures = 0;
            for (int i = 0; i < kRounds; ++i) {
                const auto result = CSafeFileWriter(m_file).Update([child](std::string& bytes) {
                    uint32_t count = 0;
                    std::memcpy(&count, bytes.data() + 4 * child, 4);
                    ++count;
                    std::memcpy(bytes.data() + 4 * child, &count, 4);
                    return true;
                });
                failures += result == ESafeWriteResult::Written ? 0 : 1;
            }
            ::_exit(failures > 0 ? 1 : 0);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::string now = GetBytes(m_file);
    uint32_t first = 0;
    uint32_t second = 0;
    std::memcpy(&first, now.data(), 4);
    std::memcpy(&second, now.data() + 4, 4);
    EXPECT_EQ(first, static_cast<uint32_t>(kRounds));
    EXPECT_EQ(second, static_cast<uint32_t>(kRounds));
    EXPECT_EQ(FolderNames(m_dir), std::vector<std::string>{"image.bin"});
}

// Bytes that read back wrong are undone, for both ways of writing.
TEST_F(SafeFileWriterTest, WrongReadBackRestoresTheOriginal) {
    for (const bool hardLinked : {false, true}) {
        SCOPED_TRACE(hardLinked);
        const std::string original = RandomBytes(4096, 9);
        PutBytes(m_file, original);
        if (hardLinked) {
            fs::create_hard_link(m_file, m_dir / "other.bin");
        }
        CSafeFileWriter::SetWriteHookForTests([](const fs::path& real) {
            const int fd = ::open(real.c_str(), O_RDWR);
            ::pwrite(fd, "\x00\x00", 2, 101);
            ::close(fd);
        });
        EXPECT_EQ(CSafeFileWriter(m_file).Update(PatchWord(100, 0xFFFFFFFFu)),
                  ESafeWriteResult::VerifyFailed);
        CSafeFileWriter::SetWriteHookForTests(nullptr);
        EXPECT_EQ(GetBytes(m_file), original);
        if (hardLinked) {
            EXPECT_EQ(GetBytes(m_dir / "other.bin"), original);
            fs::remove(m_dir / "other.bin");
        }
        EXPECT_EQ(FolderNames(m_dir), std::vector<std::string>{"image.bin"});
    }
}
