#include "QuillonCommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(QuillonCommandLineTest, AcceptedLines) {
    struct SCase {
        std::vector<std::string> m_args;
        std::optional<int> m_nType;
        std::optional<std::string> m_strDir;
        std::optional<std::string> m_strShot;
        bool m_bHelp;
    };
    const SCase cases[] = {
        {{}, std::nullopt, std::nullopt, std::nullopt, false},
        {{"--type", "lpddr2", "/logs"}, 1, "/logs", std::nullopt, false},
        {{"--type=emmc-ddr50"}, 5, std::nullopt, std::nullopt, false},
        {{"/logs", "--screenshot", "/tmp/a.png", "--type", "ddr3"},
         2,
         "/logs",
         "/tmp/a.png",
         false},
        {{"--help"}, std::nullopt, std::nullopt, std::nullopt, true},
        {{"-h", "--type", "hynix"}, 3, std::nullopt, std::nullopt, true},
    };
    for (const SCase& c : cases) {
        std::string error;
        const auto line = ParseQuillonCommandLine(c.m_args, error);
        ASSERT_TRUE(line.has_value()) << error;
        EXPECT_EQ(line->m_nLogType, c.m_nType);
        EXPECT_EQ(line->m_strDirectory, c.m_strDir);
        EXPECT_EQ(line->m_strScreenshot, c.m_strShot);
        EXPECT_EQ(line->m_bHelp, c.m_bHelp);
    }
}

TEST(QuillonCommandLineTest, RefusedLinesSayWhy) {
    struct SCase {
        std::vector<std::string> m_args;
        const char* m_szError;
    };
    const SCase cases[] = {
        {{"--type", "ddr4"}, "unknown log type \"ddr4\""},
        {{"--type"}, "--type needs a value"},
        {{"--screenshot"}, "--screenshot needs a value"},
        {{"--screenshot="}, "--screenshot needs a file name"},
        {{"--capture"}, "--capture needs a value"},
        {{"--capture="}, "--capture needs a port name"},
        {{"--verbose"}, "unknown option --verbose"},
        {{"a", "b"}, "only one directory can be given"},
    };
    for (const SCase& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseQuillonCommandLine(c.m_args, error).has_value());
        EXPECT_EQ(error, c.m_szError);
    }
    EXPECT_NE(QuillonUsage().find("--screenshot FILE"), std::string::npos);
}

TEST(QuillonCommandLineTest, CapturePortIsTaken) {
    std::string error;
    const auto line = ParseQuillonCommandLine({"--capture", "/dev/pts/4", "--type", "lpddr2"}, error);
    ASSERT_TRUE(line.has_value()) << error;
    EXPECT_EQ(line->m_strCapturePort, std::optional<std::string>("/dev/pts/4"));
    EXPECT_EQ(line->m_nLogType, std::optional<int>(1));
    EXPECT_FALSE(line->m_strDirectory.has_value());
    const auto equals = ParseQuillonCommandLine({"--capture=ttyUSB0"}, error);
    ASSERT_TRUE(equals.has_value()) << error;
    EXPECT_EQ(equals->m_strCapturePort, std::optional<std::string>("ttyUSB0"));
    EXPECT_NE(QuillonUsage().find("--capture PORT"), std::string::npos);
}

} // namespace
