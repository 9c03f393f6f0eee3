#include "DdrTestSupport.h"
#include "LogRead.h"
#include "LogScanDDR.h"

using namespace quillon;
using namespace ddrtest;

namespace {

class LogScanDDR : public CDdrEngineTest {
protected:
    /// A scanner set up as the main dialog sets it up for lpDDR / lpDDR2.
    std::unique_ptr<CLogScanDDR> Scanner(std::vector<std::wstring> files,
                                         int sortMode = kSortByName, int drvRows = 5) {
        auto scanner = std::make_unique<CLogScanDDR>();
        scanner->SetFileList(std::move(files));
        scanner->SetSortMode(sortMode);
        scanner->SetPageSize(4, 7);
        scanner->SetSubColCount(8);
        scanner->SetDrvStgRowCount(drvRows);
        return scanner;
    }
    std::wstring WriteLog(const std::string& name, const SLogSpec& spec) {
        return WriteFile(name, MakeLog(spec));
    }
};

// 7 drive strengths x 224 = 1568 data lines, a complete "ddr2" log; the five DDR2 values
// come first so that they take the ordinals 0 to 4.
const std::vector<int> kDdr2Full = {34, 40, 48, 60, 80, 120, 240};
const std::vector<int> kDdr2Five = {34, 40, 48, 60, 80}; // 1120 lines
const std::vector<int> kDdr1Full = {31, 33, 39, 43, 48, 55, 64};

SLogSpec Spec(std::vector<int> drvStgs, std::string ddrType = "ddr2") {
    SLogSpec spec;
    spec.drvStgs = std::move(drvStgs);
    spec.ddrType = std::move(ddrType);
    return spec;
}

std::wstring Incomplete(const std::wstring& name) {
    return L"log文件" + name + L"不完整，将影响分析结果的准确性, 是否继续";
}

std::wstring ScanFailed(const std::wstring& path) {
    return L"scan log file\"" + path + L"\" failed, please check log file is correct";
}

} // namespace

TEST_F(LogScanDDR, ScanBuildsSortedPagesAndMergedPage) {
    SLogSpec spec = Spec(kDdr2Full);
    const std::wstring b = WriteLog("b.txt", spec);
    const std::wstring a = WriteLog("a.txt", spec);
    spec.cell = [](int byte, int, int column, int) {
        return std::optional<int>(byte == 1 && column == 3 ? 0 : 1);
    };
    const std::wstring c = WriteLog("C.txt", spec);
    auto scanner = Scanner({b, a, c});
    ASSERT_TRUE(scanner->Scan());
    EXPECT_TRUE(Texts().empty());
    std::unique_ptr<CLogPageList> list = scanner->TakePageList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(scanner->GetPageList(), nullptr);
    ASSERT_EQ(list->GetPageCount(), 3u);
    EXPECT_EQ(list->GetPageName(0), L"C.txt");
    EXPECT_EQ(list->GetPageName(1), L"a.txt");
    EXPECT_EQ(list->GetPageName(2), L"b.txt");
    ASSERT_NE(list->GetMergedPage(), nullptr);
    EXPECT_EQ(list->GetMergedPage()->GetName(), L"统计图");
    EXPECT_EQ(scanner->GetProject(), L"P7");
    EXPECT_EQ(scanner->GetDdrType(), L"ddr2");
    EXPECT_EQ(scanner->GetDdrClock(), L"200");
    EXPECT_EQ(GetDrvStgRegistry().GetDDRKind(), kDdrKindDDR2);
    EXPECT_EQ(GetDrvStgRegistry().ValueOfOrdinal(1), 40);
    auto* page = dynamic_cast<CLogPageDDR*>(list->GetPage(1));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->GetSubRowCount(), 5);
    EXPECT_EQ(page->GetSubColCount(), 8);
    EXPECT_EQ(page->GetPageSizeRow(), 4);
    EXPECT_EQ(page->GetPageSizeCol(), 7);
    EXPECT_EQ(page->GetColumnValue(6), 144);
    // The merged page fails where C.txt failed.
    auto* merged = dynamic_cast<CLogPageDDR*>(list->GetMergedPage());
    RateMap rates;
    std::vector<SBestParam> best;
    int rowPassNum = 0;
    ASSERT_TRUE(merged->Analyse(rates, best, rowPassNum));
    EXPECT_LT(rates.at(1), rates.at(0));
    EXPECT_DOUBLE_EQ(rates.at(1), 4 * 24 / 224.0); // runs of 24 on both sides of column 3
    EXPECT_EQ(GetLaneSwapMap().Map(), (std::map<int, int>{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
}

TEST_F(LogScanDDR, LineCountQuestionTable) {
    struct SCase {
        const char* name;
        std::vector<int> drvStgs;
        std::string ddrType;
        int missingLines; // data lines left out of the full scan
        bool asked;
    };
    const SCase cases[] = {
        {"ddr2 1568", kDdr2Full, "ddr2", 0, false},
        {"ddr2 1567", kDdr2Full, "ddr2", 1, true},
        {"ddr2 1120", kDdr2Five, "ddr2", 0, true},
        {"DDR2 upper case 1120", kDdr2Five, "DDR2", 0, true},
        {"ddr1 1120", {31, 33, 39, 43, 48}, "ddr1", 0, false},
        {"ddr1 1119", {31, 33, 39, 43, 48}, "ddr1", 1, true},
        {"ddr3 448", {34, 40}, "ddr3", 0, false},
        {"ddr3 447", {34, 40}, "ddr3", 1, true},
        {"no ddr type", {34, 40}, "", 100, false},
        {"other ddr type", {34, 40}, "lpddr4", 100, false},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool answer : {false, true}) {
            m_prompt.Clear();
            SLogSpec spec = Spec(c.drvStgs, c.ddrType);
            const int missing = c.missingLines;
            spec.cell = [missing](int byte, int, int column, int step) -> std::optional<int> {
                const int index = (column * 4 + byte) * 8 + step + 3;
                if (index < missing) {
                    return std::nullopt;
                }
                return 1;
            };
            const std::wstring path = WriteLog("a.txt", spec);
            auto scanner = Scanner({path});
            m_prompt.Script({answer});
            const bool ok = scanner->Scan();
            if (c.asked) {
                ASSERT_EQ(m_prompt.Records().size(), 1u);
                EXPECT_EQ(m_prompt.Records()[0].text, Incomplete(L"a.txt"));
                EXPECT_EQ(m_prompt.Records()[0].caption, L"警告");
                EXPECT_TRUE(m_prompt.Records()[0].question);
                EXPECT_EQ(ok, answer);
                EXPECT_EQ(scanner->GetPageList() != nullptr, answer);
            } else {
                EXPECT_TRUE(m_prompt.Records().empty());
                EXPECT_TRUE(ok);
            }
            m_prompt.Script({});
            m_prompt.SetDefaultAnswer(false);
        }
    }
}

TEST_F(LogScanDDR, Ddr1RowCountStaysSevenForLaterLogs) {
    const std::wstring a = WriteLog("a.txt", Spec(kDdr1Full, "ddr1"));
    const std::wstring b = WriteLog("b.txt", Spec(kDdr2Full, "ddr2"));
    auto scanner = Scanner({a, b}, kSortByName, 5);
    ASSERT_TRUE(scanner->Scan());
    EXPECT_EQ(scanner->GetDrvStgRowCount(), 7);
    const CLogPageList* list = scanner->GetPageList();
    EXPECT_EQ(list->GetPage(0)->GetSubRowCount(), 7);
    EXPECT_EQ(list->GetPage(1)->GetSubRowCount(), 7);
    EXPECT_EQ(scanner->GetDdrType(), L"ddr2");
}

TEST_F(LogScanDDR, PlatformCheckWithCheckLogFileOneAndZero) {
    SLogSpec good = Spec(kDdr2Full);
    SLogSpec foreign = good;
    foreign.platform = "Board X rev 1";
    SLogSpec kestin = good;
    kestin.platform = "Kestin EVB";
    struct SCase {
        const char* name;
        const wchar_t* enable; // nullptr: key missing (default 1)
        bool answer;
        bool asked;
        bool ok;
        size_t pages;
    };
    const SCase cases[] = {
        {"default on, yes", nullptr, true, true, true, 2},
        {"on, no", L"1", false, true, false, 0},
        {"on, yes", L"1", true, true, true, 2},
        {"off", L"0", false, false, true, 3},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_prompt.Clear();
        std::error_code ec;
        fs::remove(m_settings, ec);
        if (c.enable != nullptr) {
            Set(L"IsCheckLogFile", L"Enable", c.enable);
        }
        const std::wstring a = WriteLog("a.txt", good);
        const std::wstring b = WriteLog("b.txt", foreign);
        const std::wstring k = WriteLog("k.txt", kestin);
        auto scanner = Scanner({a, b, k});
        m_prompt.Script({c.answer});
        EXPECT_EQ(scanner->Scan(), c.ok);
        if (c.asked) {
            ASSERT_EQ(m_prompt.Records().size(), 1u);
            EXPECT_TRUE(m_prompt.Records()[0].question);
            EXPECT_EQ(m_prompt.Records()[0].text,
                      L"扫描失败\nFile: \"" + b +
                          L"\"\n\n不是Varro\\Kestin\\Pellam的log，跳过扫描失败文件继续分析?");
        } else {
            EXPECT_TRUE(m_prompt.Records().empty());
        }
        const CLogPageList* list = scanner->GetPageList();
        EXPECT_EQ(list != nullptr ? list->GetPageCount() : 0u, c.pages);
    }
}

TEST_F(LogScanDDR, PlatformNameMustBeInAnOtherLineAndCaseSensitive) {
    SLogSpec spec = Spec(kDdr2Full);
    spec.platform = "varro PELLAM kestin";
    const std::wstring a = WriteLog("a.txt", spec);
    auto scanner = Scanner({a});
    ASSERT_FALSE(scanner->Scan()); // default answer No
    ASSERT_EQ(Texts().size(), 1u);
}

TEST_F(LogScanDDR, FailureMessagesInOrderTable) {
    struct SCase {
        const char* name;
        std::string bytes; // empty name: the file is not written at all
        bool write;
        std::vector<std::wstring> (*messages)(const std::wstring& path);
    };
    const std::string good = MakeLog(Spec(kDdr2Full));
    const SCase cases[] = {
        {"missing", "", false,
         [](const std::wstring& p) {
             return std::vector<std::wstring>{L"open file " + p + L" failed !",
                                              L"open file " + p + L" failed !", ScanFailed(p)};
         }},
        {"cr only", "Varro\r" + DataLine(0, 34, 36, 0, true) + "\r", true,
         [](const std::wstring& p) {
             return std::vector<std::wstring>{
                 L"文件格式错误，请更改文件 " + p + L" 为windows行尾结束符(CR/LF)", ScanFailed(p)};
         }},
        {"empty", "", true,
         [](const std::wstring& p) {
             return std::vector<std::wstring>{
                 L"文件格式错误，请更改文件 " + p + L" 为windows行尾结束符(CR/LF)", ScanFailed(p)};
         }},
        {"no data line", "* project = P7\r\nVarro\r\nhello\r\n", true,
         [](const std::wstring& p) { return std::vector<std::wstring>{ScanFailed(p)}; }},
        {"binary garbage", std::string("\x7f\x45\x4c\x46\x00\x01\n\xff\xfe\x00\n", 11), true,
         [](const std::wstring& p) { return std::vector<std::wstring>{ScanFailed(p)}; }},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_prompt.Clear();
        const std::wstring first = WriteFile("first.txt", good);
        const std::wstring bad = PathToWide(m_dir / (std::string(c.name) + ".txt"));
        if (c.write) {
            WriteFile(std::string(c.name) + ".txt", c.bytes);
        }
        auto scanner = Scanner({first, bad});
        EXPECT_FALSE(scanner->Scan());
        EXPECT_EQ(scanner->GetPageList(), nullptr);
        EXPECT_EQ(Texts(), c.messages(bad));
        EXPECT_TRUE(ToolLogHas(L"FileName:" + bad +
                               L", Item:dxn,drv_stg,mem_drv,sdll_phs_dly,dqs_step_dly"));
    }
}

TEST_F(LogScanDDR, InvalidDdr1RowSetStopsBeforeAnyLog) {
    Set(L"CalcPageRow", L"PageRowDDR1", L"31,33,,48");
    Set(L"SwapByte", L"MemByte0", L"ChipByte3");
    auto scanner = Scanner({PathToWide(m_dir / "none.txt")});
    EXPECT_FALSE(scanner->Scan());
    EXPECT_EQ(scanner->GetPageList(), nullptr);
    EXPECT_EQ(Texts(),
              (std::vector<std::wstring>{L"Byte exchange order error, arrange in original order",
                                         L"DrvStg ini config error"}));
    EXPECT_TRUE(ToolLogHas(L"DrvStg ini config error"));
}

TEST_F(LogScanDDR, HeaderIsInheritedFromEarlierLogs) {
    SLogSpec first = Spec(kDdr2Full);
    SLogSpec second = first;
    second.ddrClock.clear();
    second.project = "Q9";
    const std::wstring a = WriteLog("a.txt", first);
    const std::wstring b = WriteLog("b.txt", second);
    auto scanner = Scanner({a, b});
    ASSERT_TRUE(scanner->Scan());
    EXPECT_EQ(scanner->GetDdrClock(), L"200");
    EXPECT_EQ(scanner->GetProject(), L"Q9");

    SLogSpec bare = Spec({34, 40}, "");
    bare.project.clear();
    bare.ddrClock.clear();
    auto unknown = Scanner({WriteLog("c.txt", bare)});
    ASSERT_TRUE(unknown->Scan());
    EXPECT_EQ(unknown->GetProject(), L"Unknown");
    EXPECT_EQ(unknown->GetDdrType(), L"Unknown");
    EXPECT_EQ(unknown->GetDdrClock(), L"Unknown");
}

TEST_F(LogScanDDR, ExactlyTwoDriveStrengthsMakeDdr3WhateverTheHeaderSays) {
    const std::wstring a = WriteLog("a.txt", Spec({34, 40}, "ddr2"));
    auto scanner = Scanner({a});
    m_prompt.Script({true});
    ASSERT_TRUE(scanner->Scan());
    EXPECT_EQ(Texts(), std::vector<std::wstring>{Incomplete(L"a.txt")}); // 448 < 1568
    EXPECT_EQ(GetDrvStgRegistry().GetDDRKind(), kDdrKindDDR3);
}

TEST_F(LogScanDDR, BadDataLinesAreDroppedWithToolLogLines) {
    std::string log = MakeLog(Spec(kDdr2Full));
    const size_t firstData = log.find("dxn=");
    // Prepended data lines, in this order (line numbers count data lines from 0).
    const std::string extra =
        "dxn=4, drv_stg=34ohm, sdll_phs_dly=36, dqs_step_dly=0, fail\r\n"
        "dxn=0, drv_stg=34ohm, sdll_phs_dly=36, dqs_step_dly=0\r\n"
        "dxn=1, dxn=3, drv_stg=34ohm, sdll_phs_dly=36, dqs_step_dly=1, FAIL\r\n"
        "dxn=2, drv_stg=99ohm, sdll_phs_dly=36, dqs_step_dly=2, pass\r\n";
    log.insert(firstData, extra);
    const std::wstring a = WriteFile("a.txt", log);
    auto scanner = Scanner({a});
    ASSERT_TRUE(scanner->Scan());
    EXPECT_TRUE(Texts().empty());
    EXPECT_TRUE(ToolLogHas(L"line num = 0, dxn=4, sdll_phs_dly=36, drv_stg=34, dqs_step_dly=0"));
    EXPECT_TRUE(ToolLogHas(L"line num = 1 has no pass or fail mark"));
    auto* page = dynamic_cast<CLogPageDDR*>(scanner->GetPageList()->GetPage(0));
    CellList cells;
    // "dxn" twice: the value after the first occurrence; "FAIL" is a fail.
    ASSERT_TRUE(page->GetCells(1, 0, {1, 34}, cells));
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(dynamic_cast<CLogDataDDR*>(cells[0])->GetPassFlag(), 0);
    // The unmarked line added nothing to lane 0.
    ASSERT_TRUE(page->GetCells(0, 0, {0, 34}, cells));
    EXPECT_EQ(cells.size(), 1u);
    // A drive strength outside every list is still registered (and makes no row of its own).
    int ordinal = -1;
    EXPECT_TRUE(GetDrvStgRegistry().OrdinalOf(99, ordinal));
    EXPECT_EQ(GetDrvStgRegistry().GetDDRKind(), kDdrKindDDR2);
}

TEST_F(LogScanDDR, EighthPhaseValueIsRefusedOnEveryLine) {
    std::string log = MakeLog(Spec(kDdr2Full));
    for (int step = -3; step <= 4; ++step) {
        log += DataLine(0, 34, 162, step, true) + "\r\n";
    }
    auto scanner = Scanner({WriteFile("a.txt", log)});
    ASSERT_TRUE(scanner->Scan());
    const std::string tool = ToolLog();
    size_t count = 0;
    for (size_t pos = tool.find("sdll_phs_dly=162"); pos != std::string::npos;
         pos = tool.find("sdll_phs_dly=162", pos + 1)) {
        ++count;
    }
    EXPECT_EQ(count, 8u);
    EXPECT_TRUE(ToolLogHas(L"line num = 1568, dxn=0, sdll_phs_dly=162"));
    EXPECT_EQ(scanner->GetPageList()->GetPage(0)->GetColumnValue(7), 162);
}

TEST_F(LogScanDDR, ValuesWithoutDigitsReadAsZero) {
    std::string log = MakeLog(Spec(kDdr2Full));
    log += "dxn=, drv_stg=34ohm, sdll_phs_dly=abc, dqs_step_dly=-, pass\r\n";
    auto scanner = Scanner({WriteFile("a.txt", log)});
    ASSERT_TRUE(scanner->Scan());
    // sdll_phs_dly 0 is the eighth (smallest) value: it takes column 0's place in the value
    // set, so it lands in column 0 and the column map keeps 36 there.
    const CLogPageBase* page = scanner->GetPageList()->GetPage(0);
    EXPECT_EQ(page->GetColumnValue(0), 36);
    const SLogBlock* block = page->FindBlock(0, 0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->Find({0, 34}).size(), 2u);
}

TEST_F(LogScanDDR, LongLinesAndLfOnlyEndings) {
    std::string log = MakeLog(Spec(kDdr2Full));
    std::string cleaned;
    for (const char ch : log) {
        if (ch != '\r') {
            cleaned += ch;
        }
    }
    cleaned += std::string(3000, 'z') + "\n";
    cleaned += DataLine(3, 34, 144, 4, false) + std::string(600, ' ') + "\n";
    auto scanner = Scanner({WriteFile("a.txt", cleaned)});
    ASSERT_TRUE(scanner->Scan());
    const CLogPageBase* page = scanner->GetPageList()->GetPage(0);
    const SLogBlock* block = page->FindBlock(3, 6);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->Find({4, 34}).size(), 2u);
}

TEST_F(LogScanDDR, EmptyFileListScansNothing) {
    auto scanner = Scanner({});
    ASSERT_TRUE(scanner->Scan());
    ASSERT_NE(scanner->GetPageList(), nullptr);
    EXPECT_EQ(scanner->GetPageList()->GetPageCount(), 0u);
    EXPECT_EQ(scanner->GetPageList()->GetMergedPage(), nullptr);
    EXPECT_TRUE(Texts().empty());
}

TEST_F(LogScanDDR, AllLogsSkippedLeavesNoMergedPage) {
    SLogSpec foreign = Spec(kDdr2Full);
    foreign.platform.clear();
    auto scanner = Scanner({WriteLog("a.txt", foreign)});
    m_prompt.Script({true});
    ASSERT_TRUE(scanner->Scan());
    EXPECT_EQ(scanner->GetPageList()->GetPageCount(), 0u);
    EXPECT_EQ(scanner->GetPageList()->GetMergedPage(), nullptr);
}

TEST_F(LogScanDDR, SortByWeakestAnalysesDuringTheScan) {
    SLogSpec weak = Spec(kDdr2Full);
    weak.cell = [](int byte, int, int column, int) {
        return std::optional<int>(byte == 2 && column > 2 ? 0 : 1);
    };
    const std::wstring a = WriteLog("a.txt", Spec(kDdr2Full));
    const std::wstring w = WriteLog("w.txt", weak);
    auto ascending = Scanner({a, w}, kSortAscendingByWeakest);
    ASSERT_TRUE(ascending->Scan());
    EXPECT_EQ(ascending->GetPageList()->GetPageName(0), L"w.txt");
    auto descending = Scanner({w, a}, kSortDescendingByWeakest);
    ASSERT_TRUE(descending->Scan());
    EXPECT_EQ(descending->GetPageList()->GetPageName(0), L"a.txt");
}

TEST_F(LogScanDDR, DirectoryToScanEndToEnd) {
    WriteLog("logs/b.TXT", Spec(kDdr2Full));
    WriteLog("logs/A.txt", Spec(kDdr2Full));
    WriteFile("logs/readme.log", "not a log");
    WriteLog("logs/run2.txt/c.txt", Spec(kDdr2Full));
    std::vector<std::wstring> files;
    ASSERT_TRUE(FindLogFiles(PathToWide(m_dir / "logs"), files));
    auto scanner = Scanner(files);
    ASSERT_TRUE(scanner->Scan());
    EXPECT_EQ(scanner->GetPageList()->GetPageCount(), 3u);
    EXPECT_EQ(scanner->GetPageList()->GetPageName(0), L"A.txt");
    EXPECT_EQ(scanner->GetPageList()->GetPageName(2), L"c.txt");
}

TEST(ReadDdrDataLine, FieldsAndMark) {
    const SDdrDataLine d = ReadDdrDataLine(
        L"dxn=0, drv_stg=34ohm, mem_drv=40ohm, sdll_phs_dly=36, dqs_step_dly=-3, pass");
    EXPECT_EQ(d.m_nDxn, 0);
    EXPECT_EQ(d.m_nDrvStg, 34);
    EXPECT_EQ(d.m_nSdllPhsDly, 36);
    EXPECT_EQ(d.m_nDqsStepDly, -3);
    EXPECT_EQ(d.m_nPassFlag, 1);
    EXPECT_TRUE(d.m_bMarked);
    const SDdrDataLine n = ReadDdrDataLine(L"dxn, drv_stg, sdll_phs_dly, dqs_step_dly");
    EXPECT_EQ(n.m_nDxn, 0);
    EXPECT_FALSE(n.m_bMarked);
}
