// One configuration shared by several runs at once, and a .dat beside leftovers of other
// writers: every run reads a whole configuration and nobody's file is written through a link.

#include "ProjectConfig.h"
#include "SondexTestSupport.h"

#include "FileUtil.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include "ScratchFiles.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace sondex;
using namespace sondextest;
using testsupport::FolderNames;

namespace {

const fs::path kSampleIni = fs::path(SUITE_SOURCE_DIR) / "samples" / "sondex" / "Sondex.ini";

} // namespace

// Three runs compile the same ini into the same .dat over and over while a fourth reads the
// .dat alone: every load is the whole configuration, without a message (runs used to load an
// empty configuration or say the .dat could not be written).
TEST(ProjectConfigSharedTest, ConcurrentRunsAlwaysReadTheWholeConfiguration) {
    CTempDir dir;
    const fs::path ini = dir.Path() / "Sondex.ini";
    const fs::path dat = dir.Path() / "Sondex.dat";
    fs::copy_file(kSampleIni, ini);
    CProjectConfig reference;
    {
        CRecordingPrompt prompt;
        CScopedPrompt scope(prompt);
        ASSERT_TRUE(reference.Load(ini, dat));
        ASSERT_TRUE(prompt.Texts().empty());
    }
    ASSERT_FALSE(reference.GetProjectNames().empty());

    constexpr int kRounds = 100;
    std::vector<pid_t> children;
    for (int child = 0; child < 4; ++child) {
        std::fflush(nullptr);
        const pid_t pid = ::fork();
        if (pid == 0) {
            CRecordingPrompt prompt;
            CScopedPrompt scope(prompt);
            int failures = 0;
            for (int round = 0; round < kRounds; ++round) {
                CProjectConfig config;
                const bool loaded = child < 3 ? config.Load(ini, dat) : config.Load({}, dat);
                failures += loaded && config.SameContent(reference) ? 0 : 1;
            }
            failures += static_cast<int>(prompt.Texts().size());
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
    EXPECT_EQ(FolderNames(dir.Path()), (std::vector<std::string>{"Sondex.dat", "Sondex.ini"}));
}

// A leftover link at the old fixed temporary name used to be written through, and the .dat
// became that link.
TEST(ProjectConfigSharedTest, LeftoverLinkBesideTheDatIsNotFollowed) {
    CTempDir dir;
    const fs::path ini = dir.Path() / "Sondex.ini";
    const fs::path dat = dir.Path() / "Sondex.dat";
    fs::copy_file(kSampleIni, ini);
    const fs::path victim = dir.Write("victim.txt", "victim");
    fs::create_symlink(victim, dir.Path() / "Sondex.dat.tmp~");
    CRecordingPrompt prompt;
    CScopedPrompt scope(prompt);
    CProjectConfig config;
    ASSERT_TRUE(config.Load(ini, dat));
    EXPECT_TRUE(prompt.Texts().empty());
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(victim, bytes));
    EXPECT_EQ(bytes, "victim");
    EXPECT_FALSE(fs::is_symlink(dat));
    EXPECT_EQ(config.GetSourcePath(), dat);
    EXPECT_EQ(FolderNames(dir.Path()), (std::vector<std::string>{"Sondex.dat", "Sondex.dat.tmp~",
                                                                 "Sondex.ini", "victim.txt"}));
}

// A .dat that is a link (a shared configuration folder) stays a link; its target is compiled.
TEST(ProjectConfigSharedTest, DatBehindALinkIsWrittenWhereTheLinkPoints) {
    CTempDir dir;
    const fs::path ini = dir.Path() / "Sondex.ini";
    fs::copy_file(kSampleIni, ini);
    const fs::path shared = dir.Write("shared/Project.dat", "old");
    fs::create_symlink("shared/Project.dat", dir.Path() / "Sondex.dat");
    CRecordingPrompt prompt;
    CScopedPrompt scope(prompt);
    CProjectConfig config;
    ASSERT_TRUE(config.Load(ini, dir.Path() / "Sondex.dat"));
    EXPECT_TRUE(prompt.Texts().empty());
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "Sondex.dat"));
    CProjectConfig fromShared;
    ASSERT_TRUE(fromShared.Load({}, shared));
    EXPECT_TRUE(fromShared.SameContent(config));
}

// Which file the configuration came from: the .dat when only it exists.
TEST(ProjectConfigSharedTest, SourceIsTheFileThatWasRead) {
    CTempDir dir;
    const fs::path ini = dir.Path() / "Sondex.ini";
    const fs::path dat = dir.Path() / "Sondex.dat";
    CRecordingPrompt prompt;
    CScopedPrompt scope(prompt);
    CProjectConfig config;
    EXPECT_FALSE(config.Load(ini, dat));
    EXPECT_TRUE(config.GetSourcePath().empty());
    fs::copy_file(kSampleIni, ini);
    ASSERT_TRUE(config.Load(ini, dat));
    EXPECT_EQ(config.GetSourcePath(), dat);
    EXPECT_TRUE(config.IsCompiledFromIni());
    fs::remove(ini);
    ASSERT_TRUE(config.Load(ini, dat));
    EXPECT_EQ(config.GetSourcePath(), dat);
    EXPECT_FALSE(config.IsCompiledFromIni());
}
