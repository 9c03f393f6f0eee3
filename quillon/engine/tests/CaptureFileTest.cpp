#include "CaptureFile.h"

#include "FileUtil.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

std::tm Moment(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

class CaptureFileTest : public ::testing::Test {
protected:
    // The capture folder itself is made by the code under test.
    testsupport::CScratchFolder m_scratch{"capture_file_test"};
    const fs::path m_dir = m_scratch / "captures";
};

TEST(CaptureFileName, TwoDigitYearAndMilliseconds) {
    EXPECT_EQ(CaptureFileName(Moment(2026, 12, 10, 9, 5, 7), 42), "26-12-10-09-05-07-042.org");
    EXPECT_EQ(CaptureFileName(Moment(2009, 1, 31, 23, 59, 0), 999), "09-01-31-23-59-00-999.org");
}

TEST_F(CaptureFileTest, EveryPieceIsOnDiskAtOnce) {
    CCaptureFile file;
    ASSERT_TRUE(file.Create(m_dir / "captures", Moment(2026, 12, 10, 15, 0, 0), 1));
    EXPECT_EQ(file.Path().filename(), "26-12-10-15-00-00-001.org");
    std::string expected;
    for (const std::string& piece : {std::string("abc"), std::string(), std::string("\0\xff\r\n", 4),
                                    std::string(5000, 'z')}) {
        ASSERT_TRUE(file.Append(piece));
        expected += piece;
        // Read back while the file is still open: nothing waits in a buffer of ours.
        std::string onDisk;
        ASSERT_TRUE(ReadFileBytes(file.Path(), onDisk));
        EXPECT_EQ(onDisk, expected);
    }
}

TEST_F(CaptureFileTest, SameMomentNeverOverwrites) {
    CCaptureFile first;
    CCaptureFile second;
    ASSERT_TRUE(first.Create(m_dir, Moment(2026, 1, 2, 3, 4, 5), 6));
    ASSERT_TRUE(first.Append("first"));
    ASSERT_TRUE(second.Create(m_dir, Moment(2026, 1, 2, 3, 4, 5), 6));
    ASSERT_TRUE(second.Append("second"));
    EXPECT_NE(first.Path(), second.Path());
    EXPECT_EQ(second.Path().filename(), "26-01-02-03-04-05-006-1.org");
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(first.Path(), bytes));
    EXPECT_EQ(bytes, "first");
}

TEST_F(CaptureFileTest, UnwritableFolderGivesReason) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into any folder";
    }
    fs::create_directories(m_dir);
    fs::permissions(m_dir, fs::perms::owner_read | fs::perms::owner_exec);
    CCaptureFile file;
    EXPECT_FALSE(file.Create(m_dir, Moment(2026, 1, 1, 0, 0, 0), 0));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_NE(file.Error().find("Permission denied"), std::string::npos) << file.Error();
    fs::permissions(m_dir, fs::perms::owner_all);
}

TEST_F(CaptureFileTest, AppendWithoutFileFails) {
    CCaptureFile file;
    EXPECT_FALSE(file.Append("x"));
    EXPECT_FALSE(file.Error().empty());
}

} // namespace
