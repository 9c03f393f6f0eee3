#include "FolderWorkflow.h"
#include "SondexTestSupport.h"

#include "TextUtil.h"

#include <gtest/gtest.h>

using namespace sondex;
using namespace sondextest;

namespace {

const auto kAllPass = [](int, int, int) { return true; };

// A complete log: the CA table in two blocks and a DQ table.
std::string LogText(const std::function<bool(int, int, int)>& ca = kAllPass, bool endMarker = true,
                    int dropLines = 0) {
    std::string lines = TableLines(kPinCA, 8, ca);
    for (int i = 0; i < dropLines; ++i) {
        lines.erase(lines.rfind('\n', lines.size() - 2) + 1);
    }
    const size_t half = lines.find('\n', lines.size() / 2) + 1;
    return Header() + kStart + lines.substr(0, half) + kSeparator + lines.substr(half) +
           kSeparator + TableLines(kPinDQ, 4, kAllPass) + (endMarker ? kEnd : std::string());
}

const auto kNarrow = [](int r, int, int) { return r < 3; }; // run 3: 36 ps, below 48

struct SRun {
    CRecordingPrompt prompt;
    CScopedPrompt scope{prompt};
    CFolderWorkflow workflow;
};

} // namespace

namespace sondex {
void PrintTo(const SResultRow& row, std::ostream* os) {
    *os << WideToUtf8(row.type) << " " << row.passWidth << " " << WideToUtf8(row.result);
}
} // namespace sondex

TEST(FolderWorkflowTest, LogFilesAreFoundInUpperCaseOrder) {
    CTempDir dir;
    dir.Write("c.TXT", "x");
    dir.Write("B.txt", "x");
    dir.Write("a.Txt", "x");
    dir.Write("d.log", "x");
    dir.Write("a.Txt.bak", "x");
    dir.Write("sub.Txt/e.Txt", "x");
    dir.Write("other/f.Txt", "x");
    const auto files = FindLogFiles(dir.Path());
    std::vector<std::string> names;
    for (const auto& f : files) {
        names.push_back(fs::relative(f, dir.Path()).string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"a.Txt", "B.txt", "c.TXT", "sub.Txt/e.Txt"}));
    EXPECT_TRUE(FindLogFiles(dir.Path() / "missing").empty());
    fs::create_directory_symlink(dir.Path(), dir.Path() / "sub.Txt" / "loop.Txt");
    EXPECT_EQ(FindLogFiles(dir.Path()).size(), 4u); // a link back up is not followed again
}

TEST(FolderWorkflowTest, AllPassingFolder) {
    CTestConfig config;
    CTempDir dir;
    dir.Write("a.Txt", LogText());
    dir.Write("b.Txt", LogText());
    SRun run;
    EXPECT_EQ(run.workflow.AnalyzeFolder(dir.Path()), 2);
    EXPECT_TRUE(run.prompt.Texts().empty());
    ASSERT_EQ(run.workflow.GetDocuments().size(), 3u);
    CLogDocument* log = run.workflow.GetDocuments()[0].get();
    EXPECT_EQ(log->GetTitle(), L"Project");
    EXPECT_EQ(log->GetData()->GetName(), L"a.Txt");
    EXPECT_EQ(log->GetResults(), (ResultMap{{L"1#CA_sr0", 96}, {L"1#DQ_sr0", 48}}));
    EXPECT_TRUE(log->IsPassed());
    EXPECT_EQ(log->GetData()->GetTableCount(), 2);

    CLogDocument* stats = run.workflow.GetStatisticsDocument();
    ASSERT_NE(stats, nullptr);
    EXPECT_EQ(stats, run.workflow.GetDocuments().back().get());
    EXPECT_EQ(stats->GetTitle(), L"StatisticalChart");
    EXPECT_FALSE(stats->IsPassed());
    EXPECT_EQ(stats->GetResults(), log->GetResults());
    EXPECT_EQ(stats->GetData()->GetTable(0)->GetCells(2, 2)->size(), 2u);
    EXPECT_EQ(run.workflow.GetLogFileDir(), dir.Path());

    run.workflow.Activate(stats);
    EXPECT_EQ(run.prompt.Texts(), std::vector<std::wstring>{L"所有log均通过"});
    const CResultFormModel& form = run.workflow.GetResultForm();
    EXPECT_EQ(form.GetVerdictText(), L"Pass");
    EXPECT_EQ(form.GetParameterText(), L"StatisticalChart:\n\n clk=800 M\n tcnt=12 PS");
    EXPECT_EQ(form.GetFailListText(), L"All passed");
    EXPECT_EQ(form.GetRows(),
              (std::vector<SResultRow>{{L"CA_sr0", 96, L"Pass"}, {L"DQ_sr0", 48, L"Pass"}}));

    run.workflow.Activate(log);
    EXPECT_EQ(form.GetParameterText(), L"Project:\n\n clk=800 M\n tcnt=12 PS");
    run.workflow.Activate(stats);
    EXPECT_EQ(run.prompt.Texts().size(), 1u); // shown once per folder
}

TEST(FolderWorkflowTest, FailingAndIncompleteLogs) {
    CTestConfig config;
    CTempDir dir;
    dir.Write("a.Txt", LogText());
    dir.Write("b.Txt", LogText(kNarrow));
    dir.Write("c.Txt", LogText(kAllPass, true, 3));
    SRun run;
    EXPECT_EQ(run.workflow.AnalyzeFolder(dir.Path()), 3);
    EXPECT_EQ(run.workflow.GetFailList(), L"\nb.Txt\tFail");
    EXPECT_EQ(run.workflow.GetIncompleteList(), L"\tc.Txt");
    EXPECT_FALSE(run.workflow.IsAllPassed());
    const auto& docs = run.workflow.GetDocuments();
    EXPECT_EQ(docs[1]->GetResults(), (ResultMap{{L"0#CA_sr0", 36}, {L"1#DQ_sr0", 48}}));
    EXPECT_FALSE(docs[1]->IsPassed());
    EXPECT_TRUE(docs[2]->IsParsed());
    EXPECT_FALSE(docs[2]->IsComplete());
    // The first log's texts, lowered by every log; "1#CA_sr0" is missing in b.
    EXPECT_EQ(run.workflow.GetStatisticsDocument()->GetResults(),
              (ResultMap{{L"1#CA_sr0", 0}, {L"1#DQ_sr0", 48}}));

    run.workflow.Activate(run.workflow.GetStatisticsDocument());
    EXPECT_EQ(run.prompt.Texts(), std::vector<std::wstring>{L"log文件\tc.Txt, 请重新扫描"});
    EXPECT_EQ(run.workflow.GetResultForm().GetVerdictText(), L"Fail");
    EXPECT_EQ(run.workflow.GetResultForm().GetFailListText(), L"\nb.Txt\tFail");
    run.workflow.Activate(run.workflow.GetStatisticsDocument());
    EXPECT_EQ(run.prompt.Texts().size(), 1u);
}

TEST(FolderWorkflowTest, IncompleteMessageNeedsText2AndAFailure) {
    CTestConfig config(std::string(kStandardIni) + "R3=ignored\n");
    CTempDir dir;
    dir.Write("a.Txt", LogText(kAllPass, true, 3));
    SRun run;
    run.workflow.AnalyzeFolder(dir.Path());
    ASSERT_TRUE(run.workflow.IsAllPassed()); // incomplete, but it passes
    run.workflow.Activate(run.workflow.GetStatisticsDocument());
    EXPECT_EQ(run.prompt.Texts(), std::vector<std::wstring>{L"所有log均通过"});
    EXPECT_TRUE(run.workflow.IsIncompleteShown());
}

TEST(FolderWorkflowTest, AFailedOpenStopsTheFolder) {
    CTestConfig config;
    CTempDir dir;
    dir.Write("a.Txt", LogText());
    dir.Write("b.Txt", LogText());
    dir.Write("c.Txt", Header() + kStart + kEnd);
    dir.Write("d.Txt", LogText());
    SRun run;
    EXPECT_EQ(run.workflow.AnalyzeFolder(dir.Path()), 2);
    EXPECT_EQ(run.prompt.Texts(),
              std::vector<std::wstring>{L"log file\"" + PathToWide(dir.Path() / "c.Txt") +
                                        L"\" wrong format, please check it"});
    ASSERT_EQ(run.workflow.GetOpenRecords().size(), 3u);
    EXPECT_EQ(run.workflow.GetOpenRecords()[2].status, 10);
    EXPECT_FALSE(run.workflow.GetOpenRecords()[2].opened);
    ASSERT_NE(run.workflow.GetStatisticsDocument(), nullptr);
    EXPECT_EQ(run.workflow.GetStatisticsDocument()->GetData()->GetTable(0)->GetCells(2, 2)->size(),
              2u);
}

TEST(FolderWorkflowTest, IncompleteLogQuestion) {
    CTestConfig config;
    CTempDir dir;
    dir.Write("a.Txt", LogText(kAllPass, false));
    dir.Write("b.Txt", LogText());
    const std::wstring question = L"log文件a.Txt不完整，将影响分析结果的准确性, 是否继续";
    {
        SRun run; // No
        EXPECT_EQ(run.workflow.AnalyzeFolder(dir.Path()), 0);
        ASSERT_EQ(run.prompt.Records().size(), 1u);
        EXPECT_TRUE(run.prompt.Records()[0].question);
        EXPECT_EQ(run.prompt.Records()[0].text, question);
        EXPECT_EQ(run.prompt.Records()[0].caption, L"警告");
        EXPECT_EQ(run.workflow.GetStatisticsDocument(), nullptr);
        EXPECT_TRUE(run.workflow.GetLogFileDir().empty());
    }
    SRun run;
    run.prompt.Script({true});
    EXPECT_EQ(run.workflow.AnalyzeFolder(dir.Path()), 2);
    EXPECT_EQ(run.workflow.GetOpenRecords()[0].status, 9);
    EXPECT_TRUE(run.workflow.GetDocuments()[0]->IsPassed());
}

TEST(FolderWorkflowTest, OpenFailuresShowTheirMessages) {
    CTestConfig config;
    CTempDir dir;
    SRun run;
    const fs::path missing = dir.Path() / "gone.Txt";
    EXPECT_EQ(run.workflow.OpenLog(missing), nullptr);
    const fs::path foreign =
        dir.Write("x.Txt", Header(0x7777) + kStart + TableLines(kPinCA, 8, kAllPass) + kEnd);
    EXPECT_EQ(run.workflow.OpenLog(foreign), nullptr);
    EXPECT_EQ(run.prompt.Texts(),
              (std::vector<std::wstring>{
                  L"open file " + PathToWide(missing) + L" failed !",
                  L"open log file\"" + PathToWide(missing) + L"\" failed, please check it",
                  L"P1 工具，log:" + PathToWide(foreign) + L" 文件与工具项目不匹配",
              }));
    EXPECT_TRUE(run.workflow.GetDocuments().empty());
}

TEST(FolderWorkflowTest, SrSelectionAddsWidthEntries) {
    CTestConfig config;
    CTempDir dir;
    dir.Write("a.Txt", LogText());
    SRun run;
    EXPECT_EQ(run.workflow.GetSelectedSr(), std::vector<int32_t>{0});
    run.workflow.ToggleSr(1);
    EXPECT_TRUE(run.workflow.IsSrSelected(1));
    EXPECT_EQ(run.workflow.GetSelectedSr(), (std::vector<int32_t>{0, 1}));
    run.workflow.AnalyzeFolder(dir.Path());
    // Each group of four sr columns holds sr 0 and sr 1; all pass, so the first (sr 0) is
    // the smallest and its value names the width.
    EXPECT_EQ(run.workflow.GetDocuments()[0]->GetResults(),
              (ResultMap{{L"1#CA_sr0", 96}, {L"1#DQ_sr0", 48}}));
    run.workflow.SetSrSelected(0, false);
    run.workflow.AnalyzeFolder(dir.Path());
    EXPECT_EQ(run.workflow.GetDocuments()[0]->GetResults(),
              (ResultMap{{L"1#CA_sr1", 96}, {L"1#DQ_sr1", 48}}));
    EXPECT_EQ(run.workflow.GetDocuments()[0]->GetData()->GetTable(0)->GetSelectedSr(),
              std::vector<int32_t>{1});
}

TEST(FolderWorkflowTest, ASecondFolderStartsAfresh) {
    CTestConfig config;
    CTempDir first;
    CTempDir second;
    first.Write("a.Txt", LogText(kNarrow));
    first.Write("b.Txt", LogText(kAllPass, true, 2));
    second.Write("c.Txt", LogText());
    SRun run;
    run.workflow.AnalyzeFolder(first.Path());
    run.workflow.Activate(run.workflow.GetStatisticsDocument());
    run.workflow.AnalyzeFolder(second.Path());
    EXPECT_EQ(run.workflow.GetPerLogResults().size(), 1u);
    EXPECT_EQ(run.workflow.GetDocuments().size(), 2u);
    EXPECT_TRUE(run.workflow.IsAllPassed());
    EXPECT_TRUE(run.workflow.GetFailList().empty());
    EXPECT_TRUE(run.workflow.GetIncompleteList().empty());
    EXPECT_FALSE(run.workflow.IsAllPassedShown());
    EXPECT_EQ(run.workflow.GetLogFileDir(), second.Path());

    // A folder without logs opens nothing and keeps the last folder.
    CTempDir empty;
    EXPECT_EQ(run.workflow.AnalyzeFolder(empty.Path()), 0);
    EXPECT_TRUE(run.workflow.GetDocuments().empty());
    EXPECT_EQ(run.workflow.GetStatisticsDocument(), nullptr);
    EXPECT_EQ(run.workflow.GetLogFileDir(), second.Path());
}

TEST(FolderWorkflowTest, ActivatingAFailedLogClearsAllPassed) {
    CTestConfig config;
    CTempDir dir;
    const fs::path path = dir.Write("a.Txt", LogText(kNarrow));
    SRun run;
    CLogDocument* doc = run.workflow.OpenLog(path);
    ASSERT_NE(doc, nullptr);
    run.workflow.Activate(doc);
    EXPECT_FALSE(run.workflow.IsAllPassed());
    EXPECT_EQ(run.workflow.GetResultForm().GetVerdictText(), L"Fail");
    EXPECT_EQ(run.workflow.GetResultForm().GetRows().front(), (SResultRow{L"CA_sr0", 36, L"Fail"}));
}

TEST(ResultFormTest, RowsAndVerdict) {
    const ResultMap results{
        {L"1#CA_sr0", 96}, {L"0#DQ_sr2", 12}, {L"no hash", 5}, {L"1#", 3}, {L"12#x#y", 7}};
    EXPECT_EQ(BuildResultRows(results),
              (std::vector<SResultRow>{
                  {L"DQ_sr2", 12, L"Fail"}, {L"CA_sr0", 96, L"Pass"}, {L"x#y", 7, L"Pass"}}));

    CResultFormModel form;
    form.SetResults({}, true); // the verdict comes only with results
    form.Show();
    EXPECT_EQ(form.GetVerdictText(), L"Fail");
    form.SetResults(results, true);
    form.SetTitle(L"Project");
    form.SetParameters(800, 12);
    form.Show();
    EXPECT_EQ(form.GetVerdictText(), L"Pass");
    EXPECT_EQ(form.GetRows().size(), 3u);
    form.SetFailList(L"\na.Txt\tFail");
    form.Clear();
    EXPECT_TRUE(form.GetRows().empty());
    EXPECT_EQ(form.GetVerdictText(), L"");
    EXPECT_EQ(form.GetParameterText(), L"");
    EXPECT_FALSE(form.IsPassed());
    EXPECT_EQ(form.GetFailListText(), L"\na.Txt\tFail"); // the fail list stays as last set
}

// A folder analysis that stopped at a log (or opened nothing) used to report every log as
// passed: the logs after the stop were never read.
TEST(FolderWorkflowTest, AStoppedFolderIsNotAllPassed) {
    struct SCase {
        const char* name;
        std::vector<std::pair<std::string, std::string>> logs; // "->" + target: a link
        int opened;
        std::wstring failList;
    };
    const std::string broken = Header() + kStart + kEnd;
    const SCase cases[] = {
        {"refused",
         {{"a.Txt", LogText()}, {"b.Txt", broken}, {"c.Txt", LogText()}},
         1,
         L"\nb.Txt\tOpen failed"},
        {"incomplete, not continued",
         {{"a.Txt", LogText()}, {"b.Txt", LogText(kAllPass, false)}, {"c.Txt", LogText()}},
         1,
         L"\nb.Txt\tOpen failed"},
        {"cannot be opened",
         {{"a.Txt", LogText()}, {"b.Txt", "->gone.Txt.bak"}},
         1,
         L"\nb.Txt\tOpen failed"},
        {"a failure before the stop",
         {{"a.Txt", LogText(kNarrow)}, {"b.Txt", broken}},
         1,
         L"\na.Txt\tFail\nb.Txt\tOpen failed"},
        {"stopped at the first log",
         {{"a.Txt", broken}, {"b.Txt", LogText()}},
         0,
         L"\na.Txt\tOpen failed"},
        {"no logs", {{"readme.md", "x"}}, 0, L""},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        CTestConfig config;
        CTempDir dir;
        for (const auto& [name, text] : c.logs) {
            if (text.rfind("->", 0) == 0) {
                fs::create_symlink(dir.Path() / text.substr(2), dir.Path() / name);
            } else {
                dir.Write(name, text);
            }
        }
        SRun run; // every question answered No
        EXPECT_EQ(run.workflow.AnalyzeFolder(dir.Path()), c.opened);
        EXPECT_FALSE(run.workflow.IsAllPassed());
        EXPECT_EQ(run.workflow.GetFailList(), c.failList);
        if (CLogDocument* stats = run.workflow.GetStatisticsDocument()) {
            const size_t before = run.prompt.Texts().size();
            run.workflow.Activate(stats);
            EXPECT_EQ(run.prompt.Texts().size(), before); // no all-passed message
            EXPECT_FALSE(run.workflow.IsAllPassedShown());
            EXPECT_EQ(run.workflow.GetResultForm().GetFailListText(), c.failList);
            EXPECT_NE(run.workflow.GetResultForm().GetVerdictText(), L"Pass");
        }
    }
    SRun run;
    CTempDir dir;
    EXPECT_EQ(run.workflow.AnalyzeFolder(dir.Path() / "missing"), 0);
    EXPECT_FALSE(run.workflow.IsAllPassed());
}

TEST(FolderWorkflowTest, CellShareReadsEveryLogFromTheStatisticsCell) {
    CTestConfig config;
    CTempDir dir;
    dir.Write("a.Txt", LogText());
    dir.Write("b.Txt", LogText(kNarrow));
    dir.Write("c.Txt", LogText(kAllPass, true, 3)); // its last three CA cells are missing
    SRun run;
    EXPECT_EQ(run.workflow.CellShare(0, 0, 0), SPassShare{}); // no statistics yet
    ASSERT_EQ(run.workflow.AnalyzeFolder(dir.Path()), 3);
    const CPinScanTable* merged = run.workflow.GetStatisticsDocument()->GetData()->GetTable(0);
    const CPinScanTable* logB = run.workflow.GetDocuments()[1]->GetData()->GetTable(0);
    const CPinScanTable* logC = run.workflow.GetDocuments()[2]->GetData()->GetTable(0);
    ASSERT_NE(merged, nullptr);
    std::map<std::vector<std::wstring>, int> seen; // failing names -> cells
    merged->ForEachCell([&](int row, int col, const CPinScanTable::CellList& list) {
        const SPassShare share = run.workflow.CellShare(0, row, col);
        EXPECT_EQ(share.m_nLogs, 3);
        EXPECT_EQ(share.m_nPassed + static_cast<int>(share.m_vecFailedLogs.size()), 3);
        // As many logs failed as the strict view counts fails in the cell.
        int fails = 0;
        for (const auto& result : list) {
            fails += result.GetState() == CLogDataDDR::kFail ? 1 : 0;
        }
        EXPECT_EQ(static_cast<int>(share.m_vecFailedLogs.size()), fails);
        const bool bFails = !logB->CellPasses(row, col);
        const bool cMissing = logC->GetCells(row, col) == nullptr;
        std::vector<std::wstring> expected;
        if (bFails) {
            expected.push_back(L"b.Txt");
        }
        if (cMissing) {
            expected.push_back(L"c.Txt");
        }
        EXPECT_EQ(share.m_vecFailedLogs, expected) << row << "," << col;
        ++seen[share.m_vecFailedLogs];
    });
    EXPECT_GT(seen[{}], 0);
    EXPECT_GT((seen[{L"b.Txt"}]), 0);
    EXPECT_EQ((seen[{L"b.Txt", L"c.Txt"}]), 3);
    EXPECT_EQ(run.workflow.CellShare(0, 9999, 9999), SPassShare{});
    EXPECT_EQ(run.workflow.CellShare(7, 0, 0), SPassShare{});
}

TEST(FolderWorkflowTest, ProgressNamesEveryLogOnceInOrderAndChangesNothing) {
    CTestConfig config;
    CTempDir dir;
    dir.Write("b.Txt", LogText(kNarrow));
    dir.Write("A.Txt", LogText());
    dir.Write("c.Txt", LogText(kAllPass, true, 3));
    auto outcome = [&](const ScanProgressFn& progress) {
        SRun run;
        const int opened = run.workflow.AnalyzeFolder(dir.Path(), progress);
        run.workflow.Activate(run.workflow.GetStatisticsDocument());
        return std::make_tuple(opened, run.prompt.Texts(), run.workflow.GetFailList(),
                               run.workflow.GetIncompleteList(), run.workflow.GetPerLogResults(),
                               run.workflow.GetResultForm().GetRows());
    };
    const auto plain = outcome({});
    std::vector<std::tuple<size_t, size_t, std::wstring>> calls;
    const auto withProgress = outcome([&](size_t i, size_t n, const std::wstring& name) {
        calls.emplace_back(i, n, name);
    });
    EXPECT_TRUE(plain == withProgress);
    EXPECT_EQ(calls, (std::vector<std::tuple<size_t, size_t, std::wstring>>{
                         {1, 3, L"A.Txt"}, {2, 3, L"b.Txt"}, {3, 3, L"c.Txt"}}));
}
