#include "ProductFiles.h"

#include "ProgramLocation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const SProductNames kOrlo{"QuillonOrlo", "quillon-orlo"};

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// Sets an environment variable for one test and puts the old value back.
class CScopedEnv {
public:
    CScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~CScopedEnv() {
        if (m_old) {
            setenv(m_name.c_str(), m_old->c_str(), 1);
        } else {
            unsetenv(m_name.c_str());
        }
    }
    CScopedEnv(const CScopedEnv&) = delete;
    CScopedEnv& operator=(const CScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

class ProductFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() /
                 ("product_files_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_root);
        fs::create_directories(m_root / "prefix" / "bin");
        m_home.emplace("HOME", (m_root / "home").c_str());
        m_config.emplace("XDG_CONFIG_HOME", (m_root / "cfg").c_str());
        m_state.emplace("XDG_STATE_HOME", (m_root / "state").c_str());
    }
    void TearDown() override {
        SetProgramPathOverride({});
        fs::remove_all(m_root);
    }
    fs::path Bin() const { return m_root / "prefix" / "bin"; }
    fs::path Shipped() const {
        return m_root / "prefix" / "share" / "quillon-orlo" / "QuillonOrlo.ini";
    }

    fs::path m_root;
    std::optional<CScopedEnv> m_home;
    std::optional<CScopedEnv> m_config;
    std::optional<CScopedEnv> m_state;
};

TEST_F(ProductFilesTest, SettingsBesideTheProgramMakeAPortableFolder) {
    Write(Bin() / "QuillonOrlo.ini", "[BestParam]\n");
    Write(Shipped(), "[BestParam]\nMaxClkwrLen=7\n"); // a shipped default does not win
    const SProductFiles files = LocateProductFiles(kOrlo, Bin());
    EXPECT_FALSE(files.bInstalled);
    EXPECT_EQ(files.settings, Bin() / "QuillonOrlo.ini");
    EXPECT_EQ(files.logDir, Bin());
    EXPECT_TRUE(PrepareProductFiles(files));
    EXPECT_FALSE(fs::exists(m_root / "cfg"));
    EXPECT_FALSE(fs::exists(m_root / "state"));
}

TEST_F(ProductFilesTest, WritableFolderWithoutShippedDefaultStaysPortable) {
    const SProductFiles files = LocateProductFiles(kOrlo, Bin());
    EXPECT_FALSE(files.bInstalled);
    EXPECT_EQ(files.settings, Bin() / "QuillonOrlo.ini");
    EXPECT_EQ(files.logDir, Bin());
}

TEST_F(ProductFilesTest, InstalledLayoutUsesXdgFoldersAndSeedsOnce) {
    Write(Shipped(), "[BestParam]\nMaxClkwrLen=7\n");
    const SProductFiles files = LocateProductFiles(kOrlo, Bin());
    ASSERT_TRUE(files.bInstalled);
    EXPECT_EQ(files.settings, m_root / "cfg" / "QuillonOrlo" / "QuillonOrlo.ini");
    EXPECT_EQ(files.logDir, m_root / "state" / "QuillonOrlo");
    EXPECT_EQ(files.shippedSettings, Shipped());
    EXPECT_FALSE(fs::exists(files.settings)) << "locating must not touch any file";

    ASSERT_TRUE(PrepareProductFiles(files));
    EXPECT_EQ(Slurp(files.settings), "[BestParam]\nMaxClkwrLen=7\n");
    EXPECT_TRUE(fs::is_directory(files.logDir));
    EXPECT_EQ((fs::status(files.settings).permissions() & fs::perms::owner_write),
              fs::perms::owner_write);

    // The user's edit survives the next start.
    Write(files.settings, "[BestParam]\nMaxClkwrLen=33\n");
    ASSERT_TRUE(PrepareProductFiles(LocateProductFiles(kOrlo, Bin())));
    EXPECT_EQ(Slurp(files.settings), "[BestParam]\nMaxClkwrLen=33\n");
    EXPECT_FALSE(fs::exists(Bin() / "QuillonOrlo.ini"));
}

TEST_F(ProductFilesTest, ReadOnlyShippedDefaultGivesAWritableCopy) {
    Write(Shipped(), "[A]\nb=1\n");
    fs::permissions(Shipped(), fs::perms::owner_read | fs::perms::group_read |
                                   fs::perms::others_read);
    const SProductFiles files = LocateProductFiles(kOrlo, Bin());
    ASSERT_TRUE(PrepareProductFiles(files));
    EXPECT_EQ(Slurp(files.settings), "[A]\nb=1\n");
    EXPECT_NE((fs::status(files.settings).permissions() & fs::perms::owner_write),
              fs::perms::none);
}

// Unset, empty or relative XDG values fall back to the folders under HOME.
TEST_F(ProductFilesTest, XdgFallbacksUnderHome) {
    struct SCase {
        const char* value;
    };
    for (const SCase& c : {SCase{nullptr}, SCase{""}, SCase{"relative/dir"}}) {
        SCOPED_TRACE(c.value ? c.value : "(unset)");
        CScopedEnv config("XDG_CONFIG_HOME", c.value);
        CScopedEnv state("XDG_STATE_HOME", c.value);
        EXPECT_EQ(UserConfigHome(), m_root / "home" / ".config");
        EXPECT_EQ(UserStateHome(), m_root / "home" / ".local/state");
    }
}

TEST_F(ProductFilesTest, MissingShippedDefaultIsNotInventedButFoldersAreMade) {
    // The shipped default gone between locating and preparing: nothing is made up, the user
    // has no settings file and the program's own "cannot read" handling speaks.
    Write(Shipped(), "x");
    SProductFiles files = LocateProductFiles(kOrlo, Bin());
    fs::remove(Shipped());
    ASSERT_TRUE(files.bInstalled);
    EXPECT_TRUE(PrepareProductFiles(files));
    EXPECT_FALSE(fs::exists(files.settings));
    EXPECT_TRUE(fs::is_directory(files.settings.parent_path()));
}

TEST_F(ProductFilesTest, UnwritableConfigHomeReportsFailure) {
    Write(Shipped(), "[A]\n");
    Write(m_root / "cfg", "a file where a folder belongs");
    const SProductFiles files = LocateProductFiles(kOrlo, Bin());
    EXPECT_FALSE(PrepareProductFiles(files));
    EXPECT_FALSE(fs::exists(files.settings));
}

TEST_F(ProductFilesTest, LogFileIsNamedAfterTheRunningProgram) {
    Write(Shipped(), "[A]\n");
    SetProgramPathOverride(Bin() / "quillon-orlo-cli");
    const SProductFiles files = LocateProductFiles(kOrlo);
    EXPECT_TRUE(files.bInstalled);
    EXPECT_EQ(ProgramLogFile(files), m_root / "state" / "QuillonOrlo" / "quillon-orlo-cli.log");
    const std::string text = DescribeProductFiles(files);
    EXPECT_NE(text.find(files.settings.string()), std::string::npos) << text;
    EXPECT_NE(text.find(files.logDir.string()), std::string::npos) << text;
    EXPECT_NE(text.find(Shipped().string()), std::string::npos) << text;
}

} // namespace
