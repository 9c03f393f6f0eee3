#include "ReadablePath.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class ReadablePathTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_dir / "folder");
        std::ofstream(m_dir / "file.ini") << "[A]\nB=1\n";
        fs::create_symlink(m_dir / "gone.ini", m_dir / "dangling.ini");
    }
    testsupport::CScratchFolder m_scratch{"readable_path"};
    const fs::path m_dir = m_scratch.Path();
};

// chmod 000 denies nothing to root: such a case is only meaningful when the denial holds.
bool DeniedToUs(const fs::path& path, bool folder) {
    if (folder) {
        DIR* dir = ::opendir(path.c_str());
        if (dir != nullptr) {
            ::closedir(dir);
        }
        return dir == nullptr;
    }
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::close(fd);
    }
    return fd < 0;
}

} // namespace

TEST_F(ReadablePathTest, FilesNamedByTheUser) {
    const std::pair<const char*, const wchar_t*> cases[] = {
        {"file.ini", L""},
        {"missing.ini", L"does not exist"},
        {"folder", L"is a directory"},
        {"dangling.ini", L"does not exist"},
        {"file.ini/below", L"does not exist"},
    };
    for (const auto& [name, why] : cases) {
        EXPECT_EQ(WhyFileUnreadable(m_dir / name), why) << name;
    }
    EXPECT_EQ(WhyFileUnreadable("/dev/null"), L"is not a regular file");
}

TEST_F(ReadablePathTest, FoldersNamedByTheUser) {
    const std::pair<const char*, const wchar_t*> cases[] = {
        {"folder", L""},
        {"missing", L"does not exist"},
        {"file.ini", L"is not a directory"},
        {"dangling.ini", L"does not exist"},
    };
    for (const auto& [name, why] : cases) {
        EXPECT_EQ(WhyFolderUnreadable(m_dir / name), why) << name;
    }
}

TEST_F(ReadablePathTest, PermissionDenied) {
    fs::create_directories(m_dir / "locked");
    std::ofstream(m_dir / "locked.ini") << "[A]\n";
    fs::permissions(m_dir / "locked", fs::perms::none);
    fs::permissions(m_dir / "locked.ini", fs::perms::none);
    if (!DeniedToUs(m_dir / "locked", true) || !DeniedToUs(m_dir / "locked.ini", false)) {
        GTEST_SKIP() << "running with rights that read through chmod 000 (root); the "
                        "missing, directory and non-directory cases cover the refusal";
    }
    EXPECT_EQ(WhyFolderUnreadable(m_dir / "locked"), L"cannot be read: Permission denied");
    EXPECT_EQ(WhyFileUnreadable(m_dir / "locked.ini"), L"cannot be read: Permission denied");
}

TEST_F(ReadablePathTest, SomethingIsThere) {
    EXPECT_TRUE(PathIsTaken(m_dir / "file.ini"));
    EXPECT_TRUE(PathIsTaken(m_dir / "folder"));
    EXPECT_TRUE(PathIsTaken(m_dir / "dangling.ini")); // a link to nothing is still there
    EXPECT_FALSE(PathIsTaken(m_dir / "missing.ini"));
}
