#include "OrloSession.h"

#include "OrloFixture.h"
#include "OrloGridCells.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

using namespace orlo;
using namespace orlotest;

namespace {

const std::string kPassingSettings = "[IsCheckLogFile]\nEnable=1\n"
                                     "[Settings]\ndqs/data_0=1/2\nThresholdValue_0=10\n"
                                     "MaxThresholdValue=10\n"
                                     "[BestParam]\nctl/clk_0=0/0\nclkwr_0=8\nMaxClkwrLen=8\n"
                                     "[ResultPrompt]\nPrompt=参数可用\n";

// A log of one board passing (1, 2, 0, 0) for clkwr in [first, last].
std::string BoardLog(int first, int last) {
    return OrloLog(WindowLines(1, 2, 0, 0, first, last));
}

class COrloSessionTest : public ::testing::Test {
protected:
    CTempDir m_dir;
    CRecordingPrompt m_prompt;
    CScopedPrompt m_guard{m_prompt};
    COrloSession m_session;

    SOrloScanRequest Request(bool low = false, bool high = false) const {
        SOrloScanRequest r;
        r.m_strNormalDir = m_dir.WPath("normal");
        r.m_strLowDir = m_dir.WPath("low");
        r.m_strHighDir = m_dir.WPath("high");
        r.m_bIncludeLow = low;
        r.m_bIncludeHigh = high;
        return r;
    }
    void WriteLogs(const std::string& sub, int count, int first = 4, int last = 20) {
        for (int i = 0; i < count; ++i) {
            m_dir.Write(sub + "/" + Format("b%03d.txt", i), BoardLog(first, last));
        }
    }
};

} // namespace

TEST_F(COrloSessionTest, EmptyDirectoryBoxesStopWithTheirMessages) {
    CSettingsGuard settings(m_dir, "");
    WriteLogs("normal", 1);
    struct SCase {
        SOrloScanRequest request;
        EOrloScanEnd end;
        std::wstring message;
    };
    SOrloScanRequest noNormal = Request(true, true);
    noNormal.m_strNormalDir.clear();
    SOrloScanRequest noLow = Request(true, true);
    noLow.m_strLowDir.clear();
    SOrloScanRequest noHigh = Request(true, true);
    noHigh.m_strHighDir.clear();
    const SCase cases[] = {
        {noNormal, EOrloScanEnd::NormalDirEmpty, L"常温统计文件夹目录不能为空"},
        {noLow, EOrloScanEnd::LowDirEmpty, L"低温统计文件夹目录不能为空"},
        {noHigh, EOrloScanEnd::HighDirEmpty, L"高温统计文件夹目录不能为空"},
    };
    for (const SCase& c : cases) {
        m_prompt.Clear();
        EXPECT_EQ(m_session.Scan(c.request), c.end);
        EXPECT_EQ(m_prompt.Texts(), std::vector<std::wstring>{c.message});
    }
}

TEST_F(COrloSessionTest, UncheckedDirectoriesAreNeitherCheckedNorSearched) {
    CSettingsGuard settings(m_dir, "");
    WriteLogs("normal", 2);
    WriteLogs("low", 3);
    SOrloScanRequest r = Request(false, false);
    EXPECT_EQ(m_session.Scan(r), EOrloScanEnd::Scanned);
    EXPECT_EQ(m_session.Result()->PageCount(), 2u);
    r.m_strLowDir.clear();
    r.m_strHighDir.clear(); // empty but unchecked: no message
    m_prompt.Clear();
    EXPECT_EQ(m_session.Scan(r), EOrloScanEnd::Scanned);
    EXPECT_TRUE(m_prompt.Records().empty());

    EXPECT_EQ(m_session.Scan(Request(true, false)), EOrloScanEnd::Scanned);
    ASSERT_EQ(m_session.Result()->PageCount(), 5u);
    EXPECT_EQ(m_session.Result()->TabNames(),
              (std::vector<std::wstring>{L"统计图", L"b000.txt", L"b001.txt", L"b000.txt",
                                         L"b001.txt", L"b002.txt"}));
    EXPECT_EQ(m_session.FileList().size(), 5u);
    EXPECT_EQ(m_session.FileList()[2], m_dir.WPath("low/b000.txt"));
    // b000.txt of the normal folder bears a low log's name: it counts as low too.
    EXPECT_EQ(m_session.Result()->Pages()[0]->Temperature(), kTemperatureLow);
}

TEST_F(COrloSessionTest, HundredFilesRunAndHundredAndOneStop) {
    CSettingsGuard settings(m_dir, "");
    WriteLogs("normal", 50);
    WriteLogs("low", 30);
    WriteLogs("high", 20);
    EXPECT_EQ(m_session.Scan(Request(true, true)), EOrloScanEnd::Scanned);
    EXPECT_EQ(m_session.Result()->PageCount(), 100u);
    EXPECT_TRUE(m_prompt.Records().empty());

    m_dir.Write("high/extra.txt", BoardLog(4, 20));
    EXPECT_EQ(m_session.Scan(Request(true, true)), EOrloScanEnd::TooManyFiles);
    EXPECT_EQ(m_prompt.Texts(),
              std::vector<std::wstring>{L"待扫描文件数目: 101,   超出最大支持文件数目:100 \n"
                                        L"请减少日志文件数目或拆分到不同文件夹做多次扫描"});
    EXPECT_EQ(m_session.Result(), nullptr);
}

TEST_F(COrloSessionTest, NoLogFileAndFailedScanMessages) {
    CSettingsGuard settings(m_dir, "");
    m_dir.Write("normal/notes.log", BoardLog(0, 31));
    EXPECT_EQ(m_session.Scan(Request()), EOrloScanEnd::NoLogFile);
    EXPECT_EQ(m_prompt.Texts(), std::vector<std::wstring>{L"未发现有效日志文件, 无法进行分析"});

    m_prompt.Clear();
    const std::wstring bad = m_dir.Write("normal/a.txt", "DDR SCAN TOOL VER1.0");
    EXPECT_EQ(m_session.Scan(Request()), EOrloScanEnd::ScanFailed);
    EXPECT_EQ(m_prompt.Texts(),
              (std::vector<std::wstring>{L"文件格式错误，请更改文件 " + bad +
                                             L" 为windows行尾结束符(CR/LF)",
                                         L"扫描分析Orlo日志文件失败，请检查日志文件是否正确"}));
}

TEST_F(COrloSessionTest, AnalysisVerdictBestSetAndResultPrompt) {
    CSettingsGuard settings(m_dir, kPassingSettings);
    WriteLogs("normal", 2, 4, 20);
    m_dir.Write("low/cold.txt", BoardLog(6, 18)); // narrower when cold
    EXPECT_EQ(m_session.Scan(Request(true, false)), EOrloScanEnd::Scanned);
    const SOrloAnalysis a = m_session.AnalyseMergedPage();
    EXPECT_TRUE(a.m_bPass);
    EXPECT_EQ(a.m_strReason, L"");
    EXPECT_TRUE(a.m_bBestRun);
    EXPECT_TRUE(a.m_bBestFound);
    EXPECT_EQ((std::array<int, 5>{a.m_nDqsDrv, a.m_nDataDrv, a.m_nCtl, a.m_nClkDrv, a.m_nClkwr}),
              (std::array<int, 5>{1, 2, 0, 0, 12})); // full passes 6..18
    EXPECT_TRUE(m_session.Verdict());
    m_session.ShowResultPrompt();
    EXPECT_EQ(m_prompt.Texts(), std::vector<std::wstring>{L"参数可用"});

    // An edit of the settings file takes effect at the next analysis.
    std::string edited = kPassingSettings;
    edited.replace(edited.find("MaxClkwrLen=8"), 13, "MaxClkwrLen=14");
    settings.Set(edited);
    const SOrloAnalysis b = m_session.AnalyseMergedPage();
    EXPECT_FALSE(b.m_bPass);
    EXPECT_EQ(b.m_strReason, L"行中最大的clkwr长度:13,不满足最大clkwr长度限制:14");
    EXPECT_FALSE(b.m_bBestRun);
    m_prompt.Clear();
    m_session.ShowResultPrompt();
    EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(COrloSessionTest, ResultPromptFollowsEnabel) {
    struct SCase {
        const char* prompt;
        bool shown;
    };
    const SCase cases[] = {
        {"[ResultPrompt]\nPrompt=ok\n", true}, // Enabel defaults to 1 here
        {"[ResultPrompt]\nPrompt=ok\nEnabel=1\n", true},
        {"[ResultPrompt]\nPrompt=ok\nEnabel=0\n", false},
    };
    WriteLogs("normal", 1);
    for (const SCase& c : cases) {
        CSettingsGuard settings(m_dir, c.prompt);
        ASSERT_EQ(m_session.Scan(Request()), EOrloScanEnd::Scanned);
        EXPECT_TRUE(m_session.AnalyseMergedPage().m_bPass);
        m_prompt.Clear();
        m_session.ShowResultPrompt();
        EXPECT_EQ(m_prompt.Records().size(), c.shown ? 1u : 0u) << c.prompt;
    }
}

// Mended: the verdict flag outlived its result, so a failed scan after a passing one showed
// the pass prompt.
TEST_F(COrloSessionTest, FailedScanAfterAPassShowsNoResultPrompt) {
    CSettingsGuard settings(m_dir, kPassingSettings);
    WriteLogs("normal", 1);
    ASSERT_EQ(m_session.Scan(Request()), EOrloScanEnd::Scanned);
    ASSERT_TRUE(m_session.AnalyseMergedPage().m_bPass);
    m_dir.Write("normal/z.txt", "DDR SCAN TOOL VER1.0"); // no line feed: scan abandoned
    m_prompt.Clear();
    EXPECT_EQ(m_session.Scan(Request()), EOrloScanEnd::ScanFailed);
    EXPECT_FALSE(m_session.Verdict());
    m_session.ShowResultPrompt();
    ASSERT_EQ(m_prompt.Texts().size(), 2u); // line ending and scan failure, no prompt
    EXPECT_EQ(m_prompt.Texts()[1], L"扫描分析Orlo日志文件失败，请检查日志文件是否正确");
}

TEST_F(COrloSessionTest, EmptyNormalBoxKeepsThePreviousResult) {
    CSettingsGuard settings(m_dir, kPassingSettings);
    WriteLogs("normal", 1);
    ASSERT_EQ(m_session.Scan(Request()), EOrloScanEnd::Scanned);
    ASSERT_TRUE(m_session.AnalyseMergedPage().m_bPass);
    SOrloScanRequest r = Request();
    r.m_strNormalDir.clear();
    EXPECT_EQ(m_session.Scan(r), EOrloScanEnd::NormalDirEmpty);
    EXPECT_NE(m_session.Result(), nullptr);
    EXPECT_TRUE(m_session.Verdict());
    // A low box left empty comes after the old result is gone.
    r = Request(true);
    r.m_strLowDir.clear();
    EXPECT_EQ(m_session.Scan(r), EOrloScanEnd::LowDirEmpty);
    EXPECT_EQ(m_session.Result(), nullptr);
}

TEST_F(COrloSessionTest, CellShareNamesTheLogsThatDidNotPass) {
    CSettingsGuard settings(m_dir, kPassingSettings);
    WriteLogs("normal", 2, 4, 20);
    m_dir.Write("low/cold.txt", BoardLog(6, 18));
    ASSERT_EQ(m_session.Scan(Request(true, false)), EOrloScanEnd::Scanned);
    const OrloPageList& list = *m_session.Result();
    const int row = 1 + 1 * 64 + 2 * 16; // combination (1, 2, 0, 0)
    ASSERT_EQ(GetOrloRowCombination(row), (std::array<int, 4>{1, 2, 0, 0}));
    auto share = [](int logs, int passed, std::vector<std::wstring> failed) {
        SPassShare s;
        s.m_nLogs = logs;
        s.m_nPassed = passed;
        s.m_vecFailedLogs = std::move(failed);
        return s;
    };
    struct SCase {
        int clkwr;
        SPassShare expected;
    };
    const SCase cases[] = {
        {5, share(3, 2, {L"cold.txt"})},
        {12, share(3, 3, {})},
        {25, share(3, 0, {L"b000.txt", L"b001.txt", L"cold.txt"})},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.clkwr);
        EXPECT_EQ(GetOrloCellShare(list, row, kOrloFirstClkwrCol + c.clkwr), c.expected);
        // The strict view's count of the same cell agrees.
        const SOrloCell cell =
            GetOrloGridCell(*list.Merged(), 3, row, kOrloFirstClkwrCol + c.clkwr);
        EXPECT_EQ(cell.m_strText, c.expected.m_nPassed > 0
                                      ? FormatW(L"%d", c.expected.m_nPassed)
                                      : std::wstring());
    }
    EXPECT_EQ(GetOrloCellShare(list, 1, kOrloFirstClkwrCol), SPassShare{}); // no such combination
    EXPECT_EQ(GetOrloCellShare(list, row, 2), SPassShare{});                // a value column
    EXPECT_EQ(GetOrloCellShare(list, 0, 7), SPassShare{});                  // the header row
}

TEST_F(COrloSessionTest, ProgressNamesEveryFileOnceInOrderAndChangesNothing) {
    CSettingsGuard settings(m_dir, kPassingSettings);
    WriteLogs("normal", 3, 4, 20);
    m_dir.Write("high/hot.txt", BoardLog(7, 17));
    m_dir.Write("high/zz_not_orlo.txt", "nothing here\n");
    auto run = [&](const ScanProgressFn& progress) {
        m_prompt.Clear();
        m_prompt.Script({true});
        COrloSession session;
        const EOrloScanEnd end = session.Scan(Request(false, true), progress);
        const SOrloAnalysis a = session.AnalyseMergedPage();
        std::vector<std::wstring> cells;
        for (int col = kOrloFirstClkwrCol; col < kOrloGridCols; ++col) {
            cells.push_back(GetOrloGridCell(*session.Result()->Merged(),
                                            static_cast<int>(session.Result()->PageCount()), 97,
                                            col)
                                .m_strText);
        }
        return std::make_tuple(end, m_prompt.Texts(), session.Result()->TabNames(), a.m_bPass,
                               a.m_strReason, a.m_nClkwr, cells);
    };
    const auto plain = run({});
    std::vector<std::wstring> names;
    std::vector<size_t> indexes;
    const auto withProgress = run([&](size_t i, size_t n, const std::wstring& name) {
        EXPECT_EQ(n, 5u);
        indexes.push_back(i);
        names.push_back(name);
    });
    EXPECT_TRUE(plain == withProgress);
    EXPECT_EQ(std::get<0>(plain), EOrloScanEnd::Scanned);
    EXPECT_EQ(indexes, (std::vector<size_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"b000.txt", L"b001.txt", L"b002.txt", L"hot.txt",
                                                L"zz_not_orlo.txt"}));
}
