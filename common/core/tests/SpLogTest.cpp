#include "SpLog.h"

#include "FileUtil.h"
#include "ProgramLocation.h"
#include "TextUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

SSpLogTime FixedTime() {
    SSpLogTime t;
    t.nYear = 2014;
    t.nMonth = 7;
    t.nDay = 18;
    t.nHour = 11;
    t.nMinute = 30;
    t.nSecond = 1;
    t.nMillisecond = 123;
    return t;
}

constexpr const char* kStamp = "[2014-07-18 11:30:01:123]";

std::string ThreadPart() {
    return "(" + std::to_string(static_cast<unsigned>(::gettid())) + ")";
}

class SpLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() / ("splog_test_" + std::to_string(::getpid()) + "_" +
                                             info->test_suite_name() + "_" + info->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_pLog = std::make_unique<CSpLog>();
        m_pLog->SetClock(&FixedTime);
        ASSERT_EQ(
            m_pLog->SetProperty(SPLOG_PROP_LOG_DIR, SPLOG_DIR_KIND_GIVEN, W(m_dir / "Log").c_str()),
            1);
    }
    void TearDown() override {
        m_pLog.reset();
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    static std::wstring W(const fs::path& path) { return PathToWide(path); }
    static std::string Bytes(const fs::path& path) {
        std::string s;
        if (!ReadFileBytes(path, s)) {
            return "<missing>";
        }
        return s;
    }
    // Opens <dir>/name.log as an absolute name, with time and thread columns as given.
    void OpenPlain(unsigned nLevel, bool bTime = false, bool bThread = false) {
        ASSERT_EQ(m_pLog->Open(W(m_dir / "trace").c_str(), SPLOG_TEXT, nLevel, 0), 1);
        m_pLog->SetProperty(SPLOG_PROP_SHOW_TIME, 0, bTime ? 1 : 0);
        m_pLog->SetProperty(SPLOG_PROP_SHOW_THREAD, 0, bThread ? 1 : 0);
    }
    std::string Text() { return Bytes(m_dir / "trace.log"); }

    fs::path m_dir;
    std::unique_ptr<CSpLog> m_pLog;
};

TEST_F(SpLogTest, LineLayoutFollowsTimeAndThreadColumns) {
    struct SCase {
        bool bTime;
        bool bThread;
        std::string strExpected;
    };
    const std::vector<SCase> cases = {
        {true, true, std::string(kStamp) + ThreadPart() + " hello\r\n"},
        {true, false, std::string(kStamp) + " hello\r\n"},
        {false, true, ThreadPart() + " hello\r\n"},
        {false, false, "hello\r\n"},
    };
    for (const SCase& c : cases) {
        OpenPlain(5, c.bTime, c.bThread);
        EXPECT_EQ(m_pLog->LogString(SPLOG_LEVEL_INFO, "hello"), 1);
        EXPECT_EQ(Text(), c.strExpected) << c.bTime << c.bThread;
    }
}

TEST_F(SpLogTest, TaggedLinesCarryTagColonAndMessage) {
    OpenPlain(5, true, true);
    m_pLog->LogFormatTaggedW(SPLOG_LEVEL_INFO, "ChildDlgDDR.cpp(281)[INFO]", L"%ls=%d", L"rate",
                             42);
    m_pLog->LogFormatTagged(SPLOG_LEVEL_ERROR, "LogScanDDR.cpp(7)[ERROR]", "%s", "bad line");
    EXPECT_EQ(Text(), std::string(kStamp) + ThreadPart() +
                          " ChildDlgDDR.cpp(281)[INFO]:rate=42\r\n" + kStamp + ThreadPart() +
                          " LogScanDDR.cpp(7)[ERROR]:bad line\r\n");
}

TEST_F(SpLogTest, WideTextIsWrittenAsUtf8) {
    OpenPlain(5);
    m_pLog->LogStringW(SPLOG_LEVEL_INFO, L"统计图 ok");
    m_pLog->LogFormatW(SPLOG_LEVEL_INFO, L"%ls|%d", L"使用须知", 7);
    EXPECT_EQ(Text(), "\xE7\xBB\x9F\xE8\xAE\xA1\xE5\x9B\xBE ok\r\n"
                      "\xE4\xBD\xBF\xE7\x94\xA8\xE9\xA1\xBB\xE7\x9F\xA5|7\r\n");
}

TEST_F(SpLogTest, ThreadIdIsTheCallingThreads) {
    OpenPlain(5, false, true);
    unsigned nOther = 0;
    std::thread worker([&] {
        nOther = static_cast<unsigned>(::gettid());
        m_pLog->LogString(SPLOG_LEVEL_INFO, "worker");
    });
    worker.join();
    ASSERT_NE(nOther, static_cast<unsigned>(::gettid()));
    EXPECT_EQ(Text(), "(" + std::to_string(nOther) + ") worker\r\n");
}

TEST_F(SpLogTest, HelpersTagWithSourceFileNameLineAndLevel) {
    CSpLog* pLog = GetSpLog();
    ASSERT_EQ(pLog->Open(W(m_dir / "helpers").c_str(), SPLOG_TEXT, 5, 0), 1);
    pLog->SetProperty(SPLOG_PROP_SHOW_TIME, 0, 0);
    pLog->SetProperty(SPLOG_PROP_SHOW_THREAD, 0, 0);
    const int nLine = __LINE__ + 1;
    LogError(L"e %ls", L"x");
    LogInfo(L"i %d", 3);
    LogDebug(L"d");
    pLog->Close();
    const std::string tag = "SpLogTest.cpp(";
    EXPECT_EQ(Bytes(m_dir / "helpers.log"), tag + std::to_string(nLine) + ")[ERROR]:e x\r\n" + tag +
                                                std::to_string(nLine + 1) + ")[INFO]:i 3\r\n" +
                                                tag + std::to_string(nLine + 2) + ")[DEBUG]:d\r\n");
    // Back to the state every other user expects: nothing open, default columns.
    pLog->SetProperty(SPLOG_PROP_SHOW_TIME, 0, 1);
    pLog->SetProperty(SPLOG_PROP_SHOW_THREAD, 0, 1);
}

TEST_F(SpLogTest, LevelFilterTable) {
    struct SCase {
        unsigned nConfigured;
        bool bError;
        bool bInfo;
        bool bDebug;
    };
    // Level 4 is exclusive: debug lines only.
    const std::vector<SCase> cases = {
        {5, true, true, true},  {6, true, true, true},   {4, false, false, true},
        {3, true, true, false}, {2, true, false, false}, {1, true, false, false},
    };
    for (const SCase& c : cases) {
        OpenPlain(c.nConfigured);
        EXPECT_EQ(m_pLog->LogString(SPLOG_LEVEL_ERROR, "E"), 1);
        EXPECT_EQ(m_pLog->LogStringW(SPLOG_LEVEL_INFO, L"I"), 1);
        EXPECT_EQ(m_pLog->LogFormat(SPLOG_LEVEL_DEBUG, "%s", "D"), 1);
        const std::string expected = std::string(c.bError ? "E\r\n" : "") +
                                     (c.bInfo ? "I\r\n" : "") + (c.bDebug ? "D\r\n" : "");
        EXPECT_EQ(Text(), expected) << "configured level " << c.nConfigured;
        EXPECT_EQ(m_pLog->Passes(SPLOG_LEVEL_DEBUG), c.bDebug);
    }
}

TEST_F(SpLogTest, FilterAppliesToEveryTextOperation) {
    OpenPlain(3);
    const unsigned char bytes[] = {1, 2};
    EXPECT_EQ(m_pLog->LogFormatW(4, L"w"), 1);
    EXPECT_EQ(m_pLog->LogFormatTagged(4, "t", "n"), 1);
    EXPECT_EQ(m_pLog->LogFormatTaggedW(4, "t", L"w"), 1);
    EXPECT_EQ(m_pLog->LogHexDump(4, bytes, 2, 0, nullptr), 1);
    EXPECT_EQ(Text(), "");
}

TEST_F(SpLogTest, LevelZeroOpensNoTextFile) {
    ASSERT_EQ(m_pLog->Open(W(m_dir / "trace").c_str(), SPLOG_TEXT, 0, 0), 1);
    EXPECT_EQ(m_pLog->LogString(0, "x"), 1);
    EXPECT_EQ(m_pLog->LogFormatW(1, L"y"), 1);
    EXPECT_FALSE(fs::exists(m_dir / "trace.log"));
    EXPECT_EQ(m_pLog->GetTextPath(), L"");
}

TEST_F(SpLogTest, FileNamingRules) {
    struct SCase {
        const wchar_t* pszName; // relative names go to the log directory
        bool bAbsolute;
        unsigned nFlags;
        const char* pszText; // expected text file name, or "" for none
        const char* pszRead;
        const char* pszWrite;
    };
    const unsigned kBoth = SPLOG_TEXT | SPLOG_BINARY | SPLOG_BIN_READ | SPLOG_BIN_WRITE;
    const std::vector<SCase> cases = {
        {L"trace", false, SPLOG_TEXT | SPLOG_NAME_DATE, "Log/trace_2014_07_18.log", "", ""},
        {L"trace", false, SPLOG_TEXT | SPLOG_NAME_TIME | SPLOG_NAME_DATE,
         "Log/trace_2014_07_18_11_30_01_123.log", "", ""},
        {L"trace", false, SPLOG_TEXT, "Log/trace.log", "", ""},
        {L"trace.txt", false, SPLOG_NAME_DATE, "Log/trace_2014_07_18.txt", "", ""},
        {L"some/dir/trace.a.txt", false, SPLOG_TEXT, "Log/trace.a.txt", "", ""},
        {L"trace", true, SPLOG_TEXT | SPLOG_NAME_DATE | SPLOG_NAME_TIME, "trace.log", "", ""},
        {L"trace.txt", true, SPLOG_TEXT, "trace.txt", "", ""},
        // The text file never takes ".bin" when binary files are kept beside it.
        {L"trace.bin", true, kBoth, "trace.log", "trace_Rd.bin", "trace_Wt.bin"},
        {L"trace.BIN", true, kBoth, "trace.log", "trace_Rd.bin", "trace_Wt.bin"},
        {L"trace.bin", true, SPLOG_TEXT, "trace.bin", "", ""},
        {L"trace.txt", true, kBoth, "trace.txt", "trace_Rd.bin", "trace_Wt.bin"},
        {L"trace.dat", true, SPLOG_BINARY | SPLOG_BIN_WRITE, "", "", "trace_Wt.dat"},
        {L"trace", true, SPLOG_BINARY | SPLOG_BIN_READ, "", "trace_Rd.bin", ""},
        {L"trace", false, SPLOG_BINARY | SPLOG_BIN_READ | SPLOG_NAME_DATE, "",
         "Log/trace_2014_07_18_Rd.bin", ""},
        // Neither kind given: text is added.
        {L"trace", true, 0, "trace.log", "", ""},
        // Binary without a direction opens no file.
        {L"trace", true, SPLOG_BINARY, "", "", ""},
    };
    for (const SCase& c : cases) {
        const std::wstring strName = c.bAbsolute ? W(m_dir / c.pszName) : c.pszName;
        ASSERT_EQ(m_pLog->Open(strName.c_str(), c.nFlags, 5, 0), 1) << WideToUtf8(strName);
        auto expected = [&](const char* pszName) {
            return *pszName == 0 ? std::wstring() : W(m_dir / pszName);
        };
        EXPECT_EQ(m_pLog->GetTextPath(), expected(c.pszText)) << WideToUtf8(strName);
        EXPECT_EQ(m_pLog->GetReadPath(), expected(c.pszRead)) << WideToUtf8(strName);
        EXPECT_EQ(m_pLog->GetWritePath(), expected(c.pszWrite)) << WideToUtf8(strName);
        for (const char* pszFile : {c.pszText, c.pszRead, c.pszWrite}) {
            if (*pszFile != 0) {
                EXPECT_TRUE(fs::is_regular_file(m_dir / pszFile)) << pszFile;
            }
        }
        m_pLog->Close();
    }
}

TEST_F(SpLogTest, ConfiguredBinaryExtensionIsTaken) {
    ASSERT_EQ(m_pLog->SetProperty(SPLOG_PROP_BIN_EXTENSION, 0, L".dat"), 1);
    const unsigned kAll = SPLOG_TEXT | SPLOG_BINARY | SPLOG_BIN_READ | SPLOG_BIN_WRITE;
    ASSERT_EQ(m_pLog->Open(W(m_dir / "trace.bin").c_str(), kAll, 5, 0), 1);
    EXPECT_EQ(m_pLog->GetTextPath(), W(m_dir / "trace.log"));
    EXPECT_EQ(m_pLog->GetReadPath(), W(m_dir / "trace_Rd.dat"));
    EXPECT_EQ(m_pLog->GetWritePath(), W(m_dir / "trace_Wt.dat"));
    ASSERT_EQ(m_pLog->Open(W(m_dir / "raw.txt").c_str(), SPLOG_BINARY | SPLOG_BIN_READ, 5, 0), 1);
    EXPECT_EQ(m_pLog->GetReadPath(), W(m_dir / "raw_Rd.dat"));
}

TEST_F(SpLogTest, NullNameUsesBaseNameAndMissingDirectoriesAreCreated) {
    ASSERT_EQ(m_pLog->SetProperty(SPLOG_PROP_LOG_DIR, SPLOG_DIR_KIND_GIVEN,
                                  W(m_dir / "a" / "b" / "c").c_str()),
              1);
    ASSERT_EQ(m_pLog->SetProperty(SPLOG_PROP_BASE_NAME, 0, L"session"), 1);
    ASSERT_EQ(m_pLog->Open(nullptr, SPLOG_TEXT | SPLOG_NAME_DATE, 5, 0), 1);
    EXPECT_TRUE(fs::is_regular_file(m_dir / "a" / "b" / "c" / "session_2014_07_18.log"));
}

TEST_F(SpLogTest, AppendKeepsOldLinesAndPlainOpenEmptiesTheFile) {
    std::ofstream(m_dir / "trace.log", std::ios::binary) << "old\r\n";
    ASSERT_EQ(m_pLog->Open(W(m_dir / "trace").c_str(), SPLOG_TEXT | SPLOG_APPEND, 5, 0), 1);
    m_pLog->SetProperty(SPLOG_PROP_SHOW_TIME, 0, 0);
    m_pLog->SetProperty(SPLOG_PROP_SHOW_THREAD, 0, 0);
    m_pLog->LogString(1, "new");
    EXPECT_EQ(Text(), "old\r\nnew\r\n");
    ASSERT_EQ(m_pLog->Open(W(m_dir / "trace").c_str(), SPLOG_TEXT, 5, 0), 1);
    EXPECT_EQ(Text(), "");
}

TEST_F(SpLogTest, UncreatableFileFailsOpenAndLaterWritesAreSkipped) {
    std::ofstream(m_dir / "plain", std::ios::binary) << "x";
    // A directory that is a file cannot hold the log, even for root.
    EXPECT_EQ(m_pLog->Open(W(m_dir / "plain" / "trace").c_str(), SPLOG_TEXT, 5, 0), 0);
    EXPECT_EQ(m_pLog->LogString(1, "lost"), 1);
    ASSERT_EQ(m_pLog->SetProperty(SPLOG_PROP_LOG_DIR, SPLOG_DIR_KIND_GIVEN,
                                  W(m_dir / "plain" / "Log").c_str()),
              1);
    EXPECT_EQ(m_pLog->Open(L"trace", SPLOG_TEXT, 5, 0), 0);
    EXPECT_EQ(Bytes(m_dir / "plain"), "x");
}

TEST_F(SpLogTest, FailedBinaryFileKeepsFilesOpenedBefore) {
    fs::create_directories(m_dir / "trace_Rd.bin"); // a directory where the read file goes
    const unsigned kFlags = SPLOG_TEXT | SPLOG_BINARY | SPLOG_BIN_READ;
    EXPECT_EQ(m_pLog->Open(W(m_dir / "trace").c_str(), kFlags, 5, 0), 0);
    m_pLog->SetProperty(SPLOG_PROP_SHOW_TIME, 0, 0);
    m_pLog->SetProperty(SPLOG_PROP_SHOW_THREAD, 0, 0);
    EXPECT_EQ(m_pLog->LogString(1, "still here"), 1);
    EXPECT_EQ(Text(), "still here\r\n");
}

TEST_F(SpLogTest, OverlongPathIsRefusedNotCut) {
    // Cutting the path at 259 characters would create (and empty) some other file.
    const std::wstring strLong = W(m_dir) + L"/" + std::wstring(300, L'n');
    EXPECT_EQ(m_pLog->Open(strLong.c_str(), SPLOG_TEXT, 5, 0), 0);
    EXPECT_TRUE(fs::is_empty(m_dir));
    EXPECT_EQ(m_pLog->LogString(1, "x"), 1);
}

TEST_F(SpLogTest, RollsOverFromTheFirstPath) {
    ASSERT_EQ(m_pLog->Open(W(m_dir / "trace").c_str(), SPLOG_TEXT, 5, 1), 1);
    m_pLog->SetProperty(SPLOG_PROP_SHOW_TIME, 0, 0);
    m_pLog->SetProperty(SPLOG_PROP_SHOW_THREAD, 0, 0);
    const std::string strChunk(4000, 'x');
    const std::uintmax_t k2MiB = 2u << 20;
    // Writes until the roll; the file that rolled has just reached 2 MiB.
    int nWrites = 0;
    while (!fs::exists(m_dir / "trace_1.log") && nWrites < 2000) {
        ASSERT_EQ(m_pLog->LogString(1, strChunk.c_str()), 1);
        ++nWrites;
    }
    ASSERT_TRUE(fs::exists(m_dir / "trace_1.log"));
    const std::uintmax_t nFirst = fs::file_size(m_dir / "trace.log");
    EXPECT_GE(nFirst, k2MiB);
    EXPECT_LT(nFirst, k2MiB + strChunk.size() + 2);
    EXPECT_EQ(fs::file_size(m_dir / "trace_1.log"), strChunk.size() + 2);
    while (!fs::exists(m_dir / "trace_2.log") && nWrites < 4000) {
        ASSERT_EQ(m_pLog->LogString(1, strChunk.c_str()), 1);
        ++nWrites;
    }
    ASSERT_TRUE(fs::exists(m_dir / "trace_2.log"));
    EXPECT_GE(fs::file_size(m_dir / "trace_1.log"), k2MiB);
    EXPECT_FALSE(fs::exists(m_dir / "trace_1_1.log"));
    EXPECT_EQ(m_pLog->GetTextPath(), W(m_dir / "trace.log"));
}

TEST_F(SpLogTest, RollThresholdIsLimitPlusOneMiB) {
    struct SCase {
        std::uintmax_t nSize;
        unsigned nLimit;
        bool bRolls;
    };
    const std::vector<SCase> cases = {
        {(2u << 20) - 1, 1, false}, {2u << 20, 1, true}, {5u << 20, 1, true},
        {(4u << 20) - 1, 3, false}, {4u << 20, 3, true}, {50u << 20, 0, false},
    };
    for (const SCase& c : cases) {
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        { std::ofstream out(m_dir / "trace.log", std::ios::binary); }
        fs::resize_file(m_dir / "trace.log", c.nSize);
        ASSERT_EQ(m_pLog->Open(W(m_dir / "trace").c_str(), SPLOG_TEXT | SPLOG_APPEND, 5, c.nLimit),
                  1);
        m_pLog->SetProperty(SPLOG_PROP_SHOW_TIME, 0, 0);
        m_pLog->SetProperty(SPLOG_PROP_SHOW_THREAD, 0, 0);
        EXPECT_EQ(m_pLog->LogString(1, "next"), 1);
        EXPECT_EQ(fs::exists(m_dir / "trace_1.log"), c.bRolls) << c.nSize << "/" << c.nLimit;
        if (c.bRolls) {
            EXPECT_EQ(Bytes(m_dir / "trace_1.log"), "next\r\n");
            EXPECT_EQ(fs::file_size(m_dir / "trace.log"), c.nSize);
        }
        m_pLog->Close();
    }
}

TEST_F(SpLogTest, RawDataGoesUnchangedToTheDirectionsFile) {
    const unsigned kFlags = SPLOG_BINARY | SPLOG_BIN_READ | SPLOG_BIN_WRITE;
    ASSERT_EQ(m_pLog->Open(W(m_dir / "port").c_str(), kFlags, 5, 0), 1);
    const char rx[] = {'\0', '\r', '\n', 'a'};
    EXPECT_EQ(m_pLog->LogRawData(rx, 4, SPLOG_DIR_RECEIVE), 1);
    EXPECT_EQ(m_pLog->LogRawData("B", 1, SPLOG_DIR_RECEIVE2), 1);
    EXPECT_EQ(m_pLog->LogRawData("tx", 2, SPLOG_DIR_SEND), 1);
    EXPECT_EQ(m_pLog->LogRawData("?", 1, 9), 1);
    m_pLog->Close();
    EXPECT_EQ(Bytes(m_dir / "port_Rd.bin"), std::string(rx, 4) + "B");
    EXPECT_EQ(Bytes(m_dir / "port_Wt.bin"), "tx?");
    EXPECT_FALSE(fs::exists(m_dir / "port.log"));
}

TEST_F(SpLogTest, HexDumpOfZeroBytesWritesOnlyTheHeader) {
    OpenPlain(5);
    EXPECT_EQ(m_pLog->LogHexDump(3, nullptr, 0, SPLOG_DIR_RECEIVE, nullptr), 1);
    const unsigned nTotal = 64;
    EXPECT_EQ(m_pLog->LogHexDump(3, "", 0, SPLOG_DIR_SEND, &nTotal), 1);
    EXPECT_EQ(Text(), "<-- 0(0x00000000) Bytes\r\n"
                      "--> 0(0x00000000)/64(0x00000040) Bytes\r\n");
}

TEST_F(SpLogTest, HexDumpOfThreeBytesPadsTheCharacterColumn) {
    OpenPlain(5);
    EXPECT_EQ(m_pLog->LogHexDump(3, "ABC", 3, SPLOG_DIR_RECEIVE2, nullptr), 1);
    EXPECT_EQ(Text(), "<<- 3(0x00000003) Bytes\r\n"
                      "00000000h: 41 42 43 " +
                          std::string(39, ' ') + "; ABC\r\n");
}

TEST_F(SpLogTest, HexDumpOfSeventeenBytesWritesTwoLines) {
    OpenPlain(5);
    std::string data;
    for (int i = 0; i < 17; ++i) {
        data.push_back(static_cast<char>(i == 0 ? 0x00 : (i == 1 ? 0xFF : 0x40 + i)));
    }
    EXPECT_EQ(m_pLog->LogHexDump(3, data.data(), 17, 7, nullptr), 1);
    EXPECT_EQ(Text(),
              "--- 17(0x00000011) Bytes\r\n"
              "00000000h: 00 FF 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F ; ..BCDEFGHIJKLMNO\r\n"
              "00000010h: 50 " +
                  std::string(45, ' ') + "; P\r\n");
}

TEST_F(SpLogTest, HexDumpIndentsUnderTheTimeStampAndHonoursColumns) {
    OpenPlain(5, true, true);
    EXPECT_EQ(m_pLog->LogHexDump(3, "ABCDE", 5, SPLOG_DIR_SEND, nullptr), 1);
    const std::string indent(std::string(kStamp).size() + 1, ' ');
    EXPECT_EQ(Text(), std::string(kStamp) + ThreadPart() + " --> 5(0x00000005) Bytes\r\n" + indent +
                          "00000000h: 41 42 43 44 45 " + std::string(33, ' ') + "; ABCDE\r\n");

    OpenPlain(5);
    m_pLog->SetProperty(SPLOG_PROP_DUMP_BYTES_PER_LINE, 0, 2);
    m_pLog->SetProperty(SPLOG_PROP_DUMP_ADDRESS, 0, 0);
    m_pLog->SetProperty(SPLOG_PROP_DUMP_CHARS, 0, 0);
    EXPECT_EQ(m_pLog->LogHexDump(3, "ABCDE", 5, SPLOG_DIR_SEND, nullptr), 1);
    EXPECT_EQ(Text(), "--> 5(0x00000005) Bytes\r\n41 42 ;\r\n43 44 ;\r\n45    ;\r\n");

    OpenPlain(5);
    m_pLog->SetProperty(SPLOG_PROP_DUMP_ADDRESS, 0, 1);
    m_pLog->SetProperty(SPLOG_PROP_DUMP_CHARS, 0, 1);
    EXPECT_EQ(m_pLog->LogHexDump(3, "ABCDE", 5, SPLOG_DIR_SEND, nullptr), 1);
    EXPECT_EQ(Text(), "--> 5(0x00000005) Bytes\r\n00000000h: 41 42 ; AB\r\n"
                      "00000002h: 43 44 ; CD\r\n00000004h: 45    ; E\r\n");
}

TEST_F(SpLogTest, HexDumpOfMissingDataFailsWithoutReading) {
    OpenPlain(5);
    EXPECT_EQ(m_pLog->LogHexDump(3, nullptr, 8, SPLOG_DIR_SEND, nullptr), 0);
    EXPECT_EQ(m_pLog->LogRawData(nullptr, 8, SPLOG_DIR_SEND), 0);
    EXPECT_EQ(Text(), "--> 8(0x00000008) Bytes\r\n");
}

TEST_F(SpLogTest, PropertiesThatFail) {
    const std::wstring strLongExt(260, L'x');
    struct SCase {
        unsigned nProperty;
        unsigned nKind;
        CSpLogValue value;
        const char* pszWhy;
    };
    const std::vector<SCase> cases = {
        {10, 0, 1, "unknown property"},
        {0, 0, L"dir", "unknown directory kind"},
        {0, 4, L"dir", "unknown directory kind"},
        {0, SPLOG_DIR_KIND_GIVEN, nullptr, "given directory missing"},
        {0, SPLOG_DIR_KIND_GIVEN, 5, "a number is not a directory"},
        {1, 0, nullptr, "base name missing"},
        {7, 0, 3, "unknown console value"},
        {8, 0, strLongExt.c_str(), "binary extension of 260 characters"},
        {8, 0, nullptr, "binary extension missing"},
        {3, 0, L"1", "a string is not a number"},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(m_pLog->SetProperty(c.nProperty, c.nKind, c.value), 0) << c.pszWhy;
    }
    unsigned nValue = 0;
    wchar_t szSmall[4];
    EXPECT_EQ(m_pLog->GetProperty(10, 0, &nValue), 0);
    EXPECT_EQ(m_pLog->GetProperty(2, 0, static_cast<unsigned*>(nullptr)), 0);
    EXPECT_EQ(m_pLog->GetProperty(0, 0, &nValue), 0); // text property into a number
    EXPECT_EQ(m_pLog->GetProperty(0, 0, szSmall), 0); // buffer too small for the directory
    EXPECT_EQ(m_pLog->GetProperty(3, 0, szSmall), 0); // number property into text
    // Nothing that failed changed the state.
    wchar_t szText[kSpLogPathChars];
    ASSERT_EQ(m_pLog->GetProperty(0, 0, szText), 1);
    EXPECT_EQ(std::wstring(szText), W(m_dir / "Log"));
    ASSERT_EQ(m_pLog->GetProperty(8, 0, szText), 1);
    EXPECT_EQ(std::wstring(szText), L".bin");
    ASSERT_EQ(m_pLog->GetProperty(7, 0, &nValue), 1);
    EXPECT_EQ(nValue, 0u);
}

TEST_F(SpLogTest, PropertiesRoundTrip) {
    struct SCase {
        unsigned nProperty;
        unsigned nSet;
        unsigned nGet;
    };
    const std::vector<SCase> cases = {
        {2, 0, 16}, {2, 20, 16}, {2, 17, 16}, {2, 1, 1}, {2, 16, 16}, {2, 5, 5},
        {3, 0, 0},  {3, 7, 1},   {4, 0, 0},   {4, 1, 1}, {5, 0, 0},   {6, 0, 0},
        {7, 1, 1},  {7, 2, 1},   {7, 0, 0},   {9, 3, 3}, {9, 0, 0},
    };
    for (const SCase& c : cases) {
        ASSERT_EQ(m_pLog->SetProperty(c.nProperty, 0, c.nSet), 1) << c.nProperty;
        unsigned nValue = 99;
        ASSERT_EQ(m_pLog->GetProperty(c.nProperty, 0, &nValue), 1);
        EXPECT_EQ(nValue, c.nGet) << "property " << c.nProperty << " set " << c.nSet;
    }
    wchar_t szText[kSpLogPathChars];
    ASSERT_EQ(m_pLog->SetProperty(8, 0, L".raw"), 1);
    ASSERT_EQ(m_pLog->GetProperty(8, 0, szText), 1);
    EXPECT_EQ(std::wstring(szText), L".raw");
    ASSERT_EQ(m_pLog->SetProperty(1, 0, L"base"), 1);
    ASSERT_EQ(m_pLog->GetProperty(1, 0, szText), 1);
    EXPECT_EQ(std::wstring(szText), L"base");
}

TEST_F(SpLogTest, LogDirectoryKinds) {
    SetProgramPathOverride(m_dir / "bin" / "Quillon");
    struct SCase {
        unsigned nKind;
        CSpLogValue value;
        std::wstring strExpected;
    };
    std::wstring strTemp = W(fs::temp_directory_path());
    if (!strTemp.empty() && strTemp.back() == L'/') {
        strTemp.pop_back();
    }
    const std::vector<SCase> cases = {
        {SPLOG_DIR_KIND_PROGRAM, nullptr, W(m_dir / "bin" / "Log")},
        {SPLOG_DIR_KIND_PROGRAM, L"run7", W(m_dir / "bin" / "Log" / "run7")},
        {SPLOG_DIR_KIND_TEMP, nullptr, strTemp + L"/Log"},
        {SPLOG_DIR_KIND_TEMP, L"x", strTemp + L"/Log/x"},
        {SPLOG_DIR_KIND_GIVEN, L"/var/tmp/here", L"/var/tmp/here"},
    };
    for (const SCase& c : cases) {
        ASSERT_EQ(m_pLog->SetProperty(SPLOG_PROP_LOG_DIR, c.nKind, c.value), 1);
        wchar_t szText[kSpLogPathChars];
        ASSERT_EQ(m_pLog->GetProperty(SPLOG_PROP_LOG_DIR, 0, szText), 1);
        EXPECT_EQ(std::wstring(szText), c.strExpected);
    }
    SetProgramPathOverride({});
}

TEST_F(SpLogTest, InitialStateComesFromTheProgramPath) {
    SetProgramPathOverride(m_dir / "QuillonOrlo.exe");
    CSpLog log;
    wchar_t szText[kSpLogPathChars];
    ASSERT_EQ(log.GetProperty(SPLOG_PROP_LOG_DIR, 0, szText), 1);
    EXPECT_EQ(std::wstring(szText), W(m_dir / "Log"));
    ASSERT_EQ(log.GetProperty(SPLOG_PROP_BASE_NAME, 0, szText), 1);
    EXPECT_EQ(std::wstring(szText), L"QuillonOrlo");
    EXPECT_EQ(log.GetFlags(), SPLOG_TEXT | SPLOG_NAME_DATE);
    EXPECT_EQ(log.GetLevel(), 3u);
    unsigned nValue = 0;
    ASSERT_EQ(log.GetProperty(SPLOG_PROP_DUMP_BYTES_PER_LINE, 0, &nValue), 1);
    EXPECT_EQ(nValue, 16u);
    ASSERT_EQ(log.GetProperty(SPLOG_PROP_SHOW_THREAD, 0, &nValue), 1);
    EXPECT_EQ(nValue, 1u);
    SetProgramPathOverride({});
}

TEST_F(SpLogTest, CallsBeforeOpenAndAfterCloseWriteNothing) {
    auto everyCall = [&] {
        const unsigned nTotal = 3;
        EXPECT_EQ(m_pLog->LogString(1, "a"), 1);
        EXPECT_EQ(m_pLog->LogStringW(1, L"b"), 1);
        EXPECT_EQ(m_pLog->LogFormat(1, "%d", 1), 1);
        EXPECT_EQ(m_pLog->LogFormatW(1, L"%d", 1), 1);
        EXPECT_EQ(m_pLog->LogFormatTagged(1, "t", "%d", 1), 1);
        EXPECT_EQ(m_pLog->LogFormatTaggedW(1, "t", L"%d", 1), 1);
        EXPECT_EQ(m_pLog->LogHexDump(1, "abc", 3, 0, &nTotal), 1);
        EXPECT_EQ(m_pLog->LogRawData("abc", 3, 0), 1);
        EXPECT_EQ(m_pLog->LogRawData("abc", 3, 1), 1);
    };
    everyCall();
    EXPECT_TRUE(fs::is_empty(m_dir));
    OpenPlain(5);
    EXPECT_EQ(m_pLog->Close(), 1);
    everyCall();
    EXPECT_EQ(Text(), "");
}

TEST_F(SpLogTest, OverlongMessagesAreCutButKeepTheLineEnd) {
    OpenPlain(5);
    const std::wstring strWide(5000, L'w');
    m_pLog->LogFormatW(1, L"%ls", strWide.c_str());
    EXPECT_EQ(Text(), std::string(4095, 'w') + "\r\n");

    OpenPlain(5, true, true);
    const std::string strNarrow(9000, 'n');
    m_pLog->LogFormat(1, "%s", strNarrow.c_str());
    const std::string line = Text();
    EXPECT_EQ(line.size(), 8221u);
    EXPECT_EQ(line.substr(line.size() - 3), "n\r\n");

    // A cut never splits a character: 3000 CJK characters are 9000 bytes of UTF-8.
    OpenPlain(5);
    const std::wstring strCjk(3000, L'统');
    m_pLog->LogStringW(1, strCjk.c_str());
    const std::string cjk = Text();
    ASSERT_GE(cjk.size(), 2u);
    EXPECT_EQ(cjk.substr(cjk.size() - 2), "\r\n");
    EXPECT_EQ((cjk.size() - 2) % 3, 0u);
    EXPECT_EQ(Utf8ToWide(cjk.substr(0, cjk.size() - 2)), std::wstring((cjk.size() - 2) / 3, L'统'));
}

TEST_F(SpLogTest, ConsoleMirrorsToStandardOutput) {
    OpenPlain(5);
    ASSERT_EQ(m_pLog->SetProperty(SPLOG_PROP_CONSOLE, 0, 2), 1);
    ::testing::internal::CaptureStdout();
    m_pLog->LogString(1, "seen");
    m_pLog->LogHexDump(1, "A", 1, 0, nullptr);
    m_pLog->SetProperty(SPLOG_PROP_CONSOLE, 0, 0);
    m_pLog->LogString(1, "file only");
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "seen\r\n<-- 1(0x00000001) Bytes\r\n00000000h: 41 " + std::string(45, ' ') +
                       "; A\r\n");
    EXPECT_EQ(Text(), out + "file only\r\n");
}

TEST_F(SpLogTest, ConsoleEnabledBeforeOpenMirrorsAfterOpen) {
    ASSERT_EQ(m_pLog->SetProperty(SPLOG_PROP_CONSOLE, 0, 1), 1);
    m_pLog->Close(); // frees the console; the next Open creates it again
    OpenPlain(5);
    ::testing::internal::CaptureStdout();
    m_pLog->LogString(1, "again");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "again\r\n");
}

TEST_F(SpLogTest, ProgramLogIsNextToTheProgramAndEmptiedAtEveryStart) {
    SetProgramPathOverride(m_dir / "Quillon");
    OpenProgramLog();
    LogInfo(L"first run");
    OpenProgramLog();
    LogInfo(L"second %ls", L"run");
    CSpLog* pLog = GetSpLog();
    EXPECT_EQ(pLog->GetTextPath(), W(m_dir / "Quillon.log"));
    EXPECT_EQ(pLog->GetFlags(), SPLOG_TEXT | SPLOG_NAME_DATE);
    EXPECT_EQ(pLog->GetLevel(), 5u);
    pLog->Close();
    const std::string text = Bytes(m_dir / "Quillon.log");
    EXPECT_EQ(text.find("first run"), std::string::npos);
    EXPECT_NE(text.find(ThreadPart() + " SpLogTest.cpp("), std::string::npos);
    EXPECT_NE(text.find(")[INFO]:second run\r\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(m_dir / "Log"));
    unsigned nValue = 9;
    ASSERT_EQ(pLog->GetProperty(SPLOG_PROP_CONSOLE, 0, &nValue), 1);
    EXPECT_EQ(nValue, 0u);
    SetProgramPathOverride({});
}

TEST_F(SpLogTest, ReleaseDeletesHeapLogsButNotTheProcessLog) {
    CSpLog* pHeap = new CSpLog();
    ASSERT_EQ(pHeap->Open(W(m_dir / "heap").c_str(), SPLOG_TEXT, 5, 0), 1);
    static_cast<ISpLog*>(pHeap)->Release(); // closes through the destructor
    EXPECT_TRUE(fs::exists(m_dir / "heap.log"));
    GetSpLog()->Release();
    EXPECT_EQ(GetSpLog()->LogString(1, "alive"), 1);
}

} // namespace
