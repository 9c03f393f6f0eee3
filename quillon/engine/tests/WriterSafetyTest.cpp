// Every firmware-image writer on real files in hostile conditions: a file-size limit and a
// full file system, a leftover link at a temporary name, an image reached through links, two
// writers at once. Whatever happens, the image is either written and says so, or left byte
// for byte as it was and the message says that.

#include "WriteBinBase.h"

#include "FileUtil.h"
#include "SafeFileWriter.h"
#include "ScratchFolder.h"
#include "TextUtil.h"
#include "UserPrompt.h"
#include "WriterDDR.h"
#include "WriterEMMC.h"

#include "ScratchFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
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

using namespace quillon;

namespace fs = std::filesystem;
using testsupport::FolderNames;
using testsupport::GetBytes;
using testsupport::PutBytes;
using testsupport::RandomBytes;

namespace {

SBestParam Params(int32_t sdll, int32_t dqs, int32_t drv) {
    SBestParam r;
    r.m_nSdllPhsDly = sdll;
    r.m_nDqsStepDly = dqs;
    r.m_nDrvStg = drv;
    return r;
}

// Writers with one of two parameter sets (variant 0 or 1), so consecutive writes differ.
std::unique_ptr<CWriteBinBase> MakeDdr(int variant) {
    auto writer = std::make_unique<CWriterDDR>();
    const int32_t drv = variant == 0 ? 34 : 48;
    writer->SetParameters({Params(36, -3, drv), Params(54, -2, drv), Params(72, -1 + variant, drv),
                           Params(90, variant, drv)});
    return writer;
}

template <typename Writer> std::unique_ptr<CWriteBinBase> MakeEmmc(int variant) {
    auto writer = std::make_unique<Writer>();
    SBestParam point;
    point.m_nByte = 1 + variant;
    point.m_nSdllPhsDly = 2;
    point.m_nDqsStepDly = 0x20;
    point.m_nDrvStg = 0x10 + variant;
    writer->SetParameters({point});
    return writer;
}

struct SWriterCase {
    const char* name;
    std::function<std::unique_ptr<CWriteBinBase>(int)> make;
    size_t begin; // the writer's words lie in [begin, end)
    size_t end;
    const wchar_t* what; // start of its failure messages
};

std::vector<SWriterCase> Writers() {
    return {
        {"DDR", MakeDdr, 0x5C00, 0x5C1C, L"write DDR data back to bin file"},
        {"EMMCsdr50", MakeEmmc<CWriterEMMCsdr50>, 0x5C80, 0x5CA0,
         L"write EMMC sdr50 data to bin file"},
        {"EMMCddr50", MakeEmmc<CWriterEMMCddr50>, 0x5C80, 0x5CB8,
         L"write EMMC ddr50 data to bin file"},
    };
}

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Runs body in a child process; its exit status, or -1 when it died by a signal.
int InChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class WriterSafetyTest : public ::testing::TestWithParam<SWriterCase> {
protected:
    void SetUp() override {
        m_image = m_dir / "image.bin";
    }
    void TearDown() override {
        CSafeFileWriter::SetWriteHookForTests(nullptr);
        CSafeFileWriter::SetDefaultLockTimeout(std::chrono::milliseconds(10000));
    }
    // The image as the writer would leave it after writing variant into original.
    std::string Expected(const std::string& original, int variant) {
        const fs::path scratch = m_dir / "expected.bin";
        PutBytes(scratch, original);
        {
            CRecordingPrompt quiet;
            CScopedPrompt scope(quiet);
            EXPECT_TRUE(GetParam().make(variant)->WriteToBin(PathToWide(scratch)));
        }
        std::string bytes = GetBytes(scratch);
        fs::remove(scratch);
        fs::remove(m_dir / "expected.bin.bak");
        return bytes;
    }
    bool Write(const fs::path& path, int variant = 0) {
        m_prompt.Clear();
        return GetParam().make(variant)->WriteToBin(PathToWide(path));
    }
    [[nodiscard]] std::wstring OnlyMessage() const {
        EXPECT_EQ(m_prompt.Texts().size(), 1u);
        return m_prompt.Texts().empty() ? std::wstring() : m_prompt.Texts().back();
    }

    testsupport::CScratchFolder m_scratch{"writer_safety"};
    const fs::path m_dir = m_scratch.Path();
    fs::path m_image;
    CRecordingPrompt m_prompt;
    CScopedPrompt m_scope{m_prompt};
};

} // namespace

// Under a file-size limit below the image's size (ulimit -f, SIGXFSZ ignored) the image used
// to be cut to the limit while the message said it was left unchanged.
TEST_P(WriterSafetyTest, FileSizeLimitLeavesTheImageWholeAndSaysSo) {
    for (const bool backupExists : {false, true}) {
        SCOPED_TRACE(backupExists);
        const std::string original = RandomBytes(48 * 1024, 11);
        PutBytes(m_image, original);
        if (backupExists) {
            PutBytes(m_dir / "image.bin.bak", "kept");
        }
        const auto before = FolderNames(m_dir);
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const int status = InChild([&] {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{40 * 1024, 40 * 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const bool written = Write(m_image);
            const std::string message =
                WideToUtf8(m_prompt.Texts().empty() ? L"" : m_prompt.Texts().back());
            ::write(pipeFds[1], message.data(), message.size());
            return written ? 1 : 0;
        });
        ::close(pipeFds[1]);
        std::string message;
        char buffer[512];
        ssize_t n = 0;
        while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) {
            message.append(buffer, static_cast<size_t>(n));
        }
        ::close(pipeFds[0]);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(GetBytes(m_image), original);
        EXPECT_EQ(FolderNames(m_dir), before);
        EXPECT_TRUE(EndsWith(Utf8ToWide(message), L"the file is left unchanged")) << message;
        fs::remove(m_dir / "image.bin.bak");
    }
}

// A full file system: a 64 KiB tmpfs, mounted in a private mount namespace of a child.
TEST_P(WriterSafetyTest, FullFileSystemLeavesTheImageWhole) {
    const fs::path mountPoint = m_dir / "small";
    fs::create_directories(mountPoint);
    const std::string original = RandomBytes(28 * 1024, 12);
    const int status = InChild([&] {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) {
            return 100;
        }
        const fs::path image = mountPoint / "image.bin";
        PutBytes(image, original);
        // Room for the copy of the original but not for the new image beside it.
        int failures = Write(image) ? 1 : 0;
        std::string now;
        failures += ReadFileBytes(image, now) && now == original ? 0 : 2;
        failures += EndsWith(m_prompt.Texts().empty() ? L"" : m_prompt.Texts().back(),
                             L"the file is left unchanged")
                        ? 0
                        : 4;
        // A sparse image of 1 MiB holding 28 KiB of data: not even its copy fits.
        fs::remove(image);
        fs::remove(mountPoint / "image.bin.bak");
        PutBytes(image, original);
        fs::resize_file(image, 1 << 20);
        std::string sparse;
        failures += ReadFileBytes(image, sparse) ? 0 : 8;
        failures += Write(image) ? 16 : 0;
        failures += ReadFileBytes(image, now) && now == sparse ? 0 : 32;
        failures += EndsWith(m_prompt.Texts().empty() ? L"" : m_prompt.Texts().back(),
                             L"the file is left unchanged")
                        ? 0
                        : 64;
        failures += fs::exists(mountPoint / "image.bin.bak") ? 128 : 0;
        return failures;
    });
    if (status == 100) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs a private mount namespace)";
    }
    EXPECT_EQ(status, 0);
}

// A leftover link at the old fixed temporary name used to be written through (the link's
// target overwritten) and then renamed over the image, which became that link.
TEST_P(WriterSafetyTest, LeftoverLinkAtATemporaryNameIsNotFollowed) {
    const std::string original = RandomBytes(40000, 13);
    PutBytes(m_image, original);
    PutBytes(m_dir / "victim.bin", "victim");
    fs::create_symlink(m_dir / "victim.bin", m_dir / "image.bin.tmp~");
    ASSERT_TRUE(Write(m_image));
    EXPECT_EQ(GetBytes(m_dir / "victim.bin"), "victim");
    EXPECT_FALSE(fs::is_symlink(m_image));
    EXPECT_EQ(GetBytes(m_image), Expected(original, 0));
    EXPECT_TRUE(fs::is_symlink(m_dir / "image.bin.tmp~"));
}

// Writing through a symbolic link used to replace the link by a plain file and leave the real
// image as it was; a hard-linked image lost its link; owner and mode were reset.
TEST_P(WriterSafetyTest, TheRealImageIsPatchedAndItsLinksOwnerAndModeKept) {
    const std::string original = RandomBytes(40000, 14);
    fs::create_directories(m_dir / "firmware");
    const fs::path real = m_dir / "firmware" / "board.bin";
    PutBytes(real, original);
    fs::permissions(real, fs::perms(0640));
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(real.c_str(), 4321, 4322), 0);
    }
    fs::create_symlink("firmware/board.bin", m_dir / "link.bin");
    fs::create_hard_link(real, m_dir / "hard.bin");
    const std::string expected = Expected(original, 0);

    ASSERT_TRUE(Write(m_dir / "link.bin"));
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.bin"));
    EXPECT_EQ(GetBytes(real), expected);
    EXPECT_TRUE(fs::equivalent(real, m_dir / "hard.bin"));
    EXPECT_EQ(GetBytes(m_dir / "hard.bin"), expected);
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_nlink, 2u);
    if (root) {
        EXPECT_EQ(st.st_uid, 4321u);
        EXPECT_EQ(st.st_gid, 4322u);
    }

    // A plain (not hard-linked) image reached through a link: written by a new file renamed
    // into place, with the same owner and mode.
    fs::remove(m_dir / "hard.bin");
    ASSERT_TRUE(Write(m_dir / "link.bin", 1));
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.bin"));
    EXPECT_EQ(GetBytes(real), Expected(original, 1));
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(st.st_uid, 4321u);
        EXPECT_EQ(st.st_gid, 4322u);
    }
}

// A cooperating writer holding the image's lock (its own read-modify-write): the writer waits
// for it instead of writing back bytes read before that change, which were then lost.
TEST_P(WriterSafetyTest, WaitsForTheLockAndKeepsTheOtherWritersChange) {
    const std::string original = RandomBytes(40000, 15);
    PutBytes(m_image, original);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(m_image.c_str(), O_RDWR);
        ::flock(fd, LOCK_EX);
        ::write(ready[1], "x", 1);
        ::usleep(300 * 1000);
        ::pwrite(fd, "OTHER", 5, 100);
        ::fsync(fd);
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_TRUE(Write(m_image));
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    std::string withOther = original;
    withOther.replace(100, 5, "OTHER");
    EXPECT_EQ(GetBytes(m_image), Expected(withOther, 0));
}

// Two processes writing into one image at once, each its own words, many times: the image
// always holds the words each last reported as written (a DDR and an eMMC write at once used
// to lose the DDR block while both said success).
TEST(WriterSafety, DdrAndEmmcWritersAtOnceLoseNothing) {
    const fs::path dir = fs::temp_directory_path() / ("writer_pair_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path image = dir / "image.bin";
    PutBytes(image, RandomBytes(40000, 16));
    const std::vector<SWriterCase> writers = Writers();
    constexpr int kRounds = 60;
    std::vector<pid_t> children;
    for (const size_t which : {size_t{0}, size_t{1}}) {
        std::fflush(nullptr);
        const pid_t pid = ::fork();
        if (pid == 0) {
            CRecordingPrompt prompt;
            CScopedPrompt scope(prompt);
            const SWriterCase& writer = writers[which];
            int failures = 0;
            std::string mine; // the writer's bytes as it last wrote them
            for (int round = 0; round < kRounds; ++round) {
                std::string now;
                if (!mine.empty() &&
                    (!ReadFileBytes(image, now) ||
                     now.substr(writer.begin, writer.end - writer.begin) != mine)) {
                    ++failures; // the other process wrote back an old copy of these words
                }
                if (!writer.make(round % 2)->WriteToBin(PathToWide(image))) {
                    ++failures;
                    mine.clear();
                    continue;
                }
                if (ReadFileBytes(image, now)) {
                    mine = now.substr(writer.begin, writer.end - writer.begin);
                }
            }
            ::_exit(std::min(failures, 100));
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
}

TEST_P(WriterSafetyTest, LockHeldTooLongIsReportedAndNothingWritten) {
    const std::string original = RandomBytes(40000, 17);
    PutBytes(m_image, original);
    const int fd = ::open(m_image.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    CSafeFileWriter::SetDefaultLockTimeout(std::chrono::milliseconds(200));
    const std::wstring path = PathToWide(m_image);
    // The writer opens the image itself, so our lock stands in its way as another program's.
    EXPECT_FALSE(Write(m_image));
    ::close(fd);
    EXPECT_EQ(OnlyMessage(), std::wstring(GetParam().what) + L" \"" + path +
                                 L"\" failed: another program is writing the file, the file is "
                                 L"left unchanged");
    EXPECT_EQ(GetBytes(m_image), original);
}

// Words that read back wrong are a failure, and the original bytes are put back.
TEST_P(WriterSafetyTest, WrongReadBackIsAFailureAndTheOriginalIsRestored) {
    const std::string original = RandomBytes(40000, 18);
    PutBytes(m_image, original);
    const size_t spoil = GetParam().end - 2;
    CSafeFileWriter::SetWriteHookForTests([spoil](const fs::path& real) {
        const int fd = ::open(real.c_str(), O_RDWR);
        char byte = 0;
        ::pread(fd, &byte, 1, static_cast<off_t>(spoil));
        byte = static_cast<char>(~byte);
        ::pwrite(fd, &byte, 1, static_cast<off_t>(spoil));
        ::close(fd);
    });
    EXPECT_FALSE(Write(m_image));
    EXPECT_EQ(OnlyMessage(), std::wstring(GetParam().what) + L" \"" + PathToWide(m_image) +
                                 L"\" failed: the words read back differ from the words "
                                 L"written, the original bytes are restored");
    EXPECT_EQ(GetBytes(m_image), original);
}

// When even the original cannot be put back, the message says the image may be damaged and
// where the original is kept, and that copy holds it.
TEST_P(WriterSafetyTest, UnrestorableImageIsReportedAsPossiblyDamaged) {
    const std::string original = RandomBytes(40000, 21);
    PutBytes(m_image, original);
    // Another program puts a folder where the image was: nothing can be written back there.
    CSafeFileWriter::SetWriteHookForTests([](const fs::path& real) {
        fs::remove(real);
        fs::create_directory(real);
    });
    EXPECT_FALSE(Write(m_image));
    const std::wstring message = OnlyMessage();
    EXPECT_EQ(message.rfind(
                  std::wstring(GetParam().what) + L" \"" + PathToWide(m_image) + L"\" failed (", 0),
              0u)
        << WideToUtf8(message);
    EXPECT_TRUE(EndsWith(message, L"and the original bytes could not be restored: the file may "
                                  L"be damaged, the original is kept in \"" +
                                      PathToWide(m_dir / "image.bin.bak") + L"\""))
        << WideToUtf8(message);
    EXPECT_EQ(GetBytes(m_dir / "image.bin.bak"), original);
}

// The first write keeps the original as IMAGE.bak; later writes leave that copy alone.
TEST_P(WriterSafetyTest, TheOriginalIsKeptOnceAsBak) {
    const std::string original = RandomBytes(40000, 19);
    PutBytes(m_image, original);
    fs::permissions(m_image, fs::perms(0604));
    const std::unique_ptr<CWriteBinBase> writer = GetParam().make(0);
    ASSERT_TRUE(writer->WriteToBin(PathToWide(m_image)));
    EXPECT_EQ(writer->GetBackupPath(), m_dir / "image.bin.bak");
    EXPECT_EQ(GetBytes(m_dir / "image.bin.bak"), original);
    EXPECT_EQ(fs::status(m_dir / "image.bin.bak").permissions(), fs::perms(0604));
    ASSERT_TRUE(Write(m_image, 1));
    EXPECT_EQ(GetBytes(m_dir / "image.bin.bak"), original);
    EXPECT_EQ(FolderNames(m_dir), (std::vector<std::string>{"image.bin", "image.bin.bak"}));
}

// The dry run lists the words before and after and leaves the folder as it was.
TEST_P(WriterSafetyTest, DryRunListsTheWordsAndWritesNothing) {
    const std::string original = RandomBytes(40000, 20);
    PutBytes(m_image, original);
    const std::string expected = Expected(original, 0);
    std::vector<CWriteBinBase::SWordChange> words;
    m_prompt.Clear();
    ASSERT_TRUE(GetParam().make(0)->PreviewBin(PathToWide(m_image), words));
    EXPECT_TRUE(m_prompt.Texts().empty());
    EXPECT_EQ(GetBytes(m_image), original);
    EXPECT_EQ(FolderNames(m_dir), std::vector<std::string>{"image.bin"});
    ASSERT_FALSE(words.empty());
    size_t covered = 0;
    for (const auto& word : words) {
        uint32_t before = 0;
        uint32_t after = 0;
        std::memcpy(&before, original.data() + word.m_nOffset, 4);
        std::memcpy(&after, expected.data() + word.m_nOffset, 4);
        EXPECT_EQ(word.m_nBefore, before) << word.m_nOffset;
        EXPECT_EQ(word.m_nAfter, after) << word.m_nOffset;
        covered += 4;
    }
    // Every byte the write changes lies in a listed word.
    for (size_t i = 0; i < original.size(); ++i) {
        if (original[i] != expected[i]) {
            EXPECT_TRUE(std::any_of(words.begin(), words.end(), [i](const auto& word) {
                return i >= word.m_nOffset && i < word.m_nOffset + 4;
            })) << i;
        }
    }
    EXPECT_LE(covered, GetParam().end - GetParam().begin);

    // A short image: the writer's refusal, as for a real write.
    PutBytes(m_image, original.substr(0, GetParam().end - 1));
    m_prompt.Clear();
    EXPECT_FALSE(GetParam().make(0)->PreviewBin(PathToWide(m_image), words));
    EXPECT_NE(OnlyMessage().find(L"is too short"), std::wstring::npos);
}

INSTANTIATE_TEST_SUITE_P(EveryWriter, WriterSafetyTest, ::testing::ValuesIn(Writers()),
                         [](const auto& info) { return std::string(info.param.name); });
