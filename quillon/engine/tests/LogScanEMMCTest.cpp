#include "LogDataEMMC.h"
#include "LogPageEMMC.h"
#include "LogRead.h"
#include "LogScanEMMC.h"
#include "ScratchFolder.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <optional>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

class LogScanEMMCTest : public ::testing::Test {
protected:
    std::wstring Write(const std::string& name, const std::string& text) {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.wstring();
    }

    // A scanner set up as the main dialog does from the panel's defaults of a flavour.
    static void Configure(CLogScanEMMC& scan, int logType, std::vector<std::wstring> files,
                          int sortMode = kSortByName) {
        CChildDlgEMMCModel panel;
        panel.SetMode(logType, true);
        SEmmcNames names;
        SEmmcTags tags;
        panel.GetNames(names);
        panel.GetTags(tags);
        scan.SetNames(names);
        scan.SetTags(tags);
        scan.SetSizes(panel.GetSizes());
        scan.SetFileList(std::move(files));
        scan.SetSortMode(sortMode);
    }

    // The records of a cell; none when the cell has no records.
    static std::optional<CellList> Cells(const CLogPageBase& page, int col, int row, int inCol,
                                         int inRow) {
        const SLogBlock* block = page.FindBlock(row, col);
        if (block == nullptr) {
            return std::nullopt;
        }
        const auto records = block->Find({inCol, inRow});
        if (records.empty()) {
            return std::nullopt;
        }
        return CellList(records.begin(), records.end());
    }

    static bool IsGood(const std::optional<CellList>& list, int32_t mode) {
        return CLogPageEMMC::IsCellGood(list ? &*list : nullptr, mode);
    }

    static std::wstring Letters(const std::optional<CellList>& list) {
        std::wstring text;
        if (list) {
            for (const CLogDataBase* record : *list) {
                text += EmmcRecordLetter(dynamic_cast<const CLogDataEMMC&>(*record).GetErrorCode());
            }
        }
        return text;
    }

    testsupport::CScratchFolder m_scratch{"scan_emmc"};
    const fs::path m_dir = m_scratch.Path();
    CRecordingPrompt m_prompt;
};

} // namespace

TEST_F(LogScanEMMCTest, Sdr50LineMakesAWriteErrorRecord) {
    CScopedPrompt scoped(m_prompt);
    CLogScanEMMC scan;
    Configure(
        scan, kLogTypeEmmcSdr50,
        {Write("a.txt", "emmc sdr50 scan\r\nPDATA=0x1, PCLK=0x2, WRDL=0x10, RPOS=0x3F (W)\r\n")});
    ASSERT_TRUE(scan.Scan());
    EXPECT_EQ(scan.GetLogMode(), 1);
    EXPECT_TRUE(m_prompt.Texts().empty());
    auto list = scan.TakePageList();
    ASSERT_EQ(list->GetPageCount(), 1u);
    const auto* page = dynamic_cast<CLogPageEMMC*>(list->GetPage(0));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->GetName(), L"a.txt");
    EXPECT_EQ(page->GetRecordCount(), 1u);
    EXPECT_EQ(page->GetPageSizeCol(), 4);
    EXPECT_EQ(page->GetPageSizeRow(), 4);
    EXPECT_EQ(page->GetSubColCount(), 64);
    EXPECT_EQ(page->GetSubRowCount(), 64);
    const auto cells = Cells(*page, 2, 1, 0x3F, 0x10);
    ASSERT_TRUE(cells);
    ASSERT_EQ(cells->size(), 1u);
    EXPECT_EQ(cells->front()->GetColor(), 0x00FFFFu);
    EXPECT_EQ(Letters(cells), L"W");
    ASSERT_NE(list->GetMergedPage(), nullptr);
    EXPECT_EQ(list->GetMergedPage()->GetName(), L"统计图");
}

TEST_F(LogScanEMMCTest, Ddr50DropsReadFlagsAndKeepsNoErrorFlags) {
    CScopedPrompt scoped(m_prompt);
    CLogScanEMMC scan;
    Configure(scan, kLogTypeEmmcDdr50,
              {Write("d.txt", "CP=0x0 WD=0x5 RP=0x1 RN=0x2 (R)\n"
                              "CP=0x0 WD=0x5 RP=0x1 RN=0x3 (Y)\n")});
    ASSERT_TRUE(scan.Scan());
    EXPECT_EQ(scan.GetLogMode(), 0);
    auto list = scan.TakePageList();
    const CLogPageBase& page = *list->GetPage(0);
    EXPECT_FALSE(Cells(page, 5, 0, 2, 1));
    const auto cells = Cells(page, 5, 0, 3, 1);
    ASSERT_TRUE(cells);
    EXPECT_EQ(cells->front()->GetColor(), 0x00FF00u);
}

TEST_F(LogScanEMMCTest, AllFourTagsGiveModeTwoWithWhiteNoErrorRecords) {
    CScopedPrompt scoped(m_prompt);
    CLogScanEMMC scan;
    Configure(scan, kLogTypeEmmcSdr50,
              {Write("a.txt", "PDATA=0x0, PCLK=0x0, WRDL=0x0, RPOS=0x0 (Y)\n"
                              "PDATA=0x0, PCLK=0x0, WRDL=0x0, RPOS=0x1 (C)\n")});
    scan.SetTags({L"(W)", L"(R)", L"(C)", L"(Y)"});
    ASSERT_TRUE(scan.Scan());
    EXPECT_EQ(scan.GetLogMode(), 2);
    auto list = scan.TakePageList();
    EXPECT_EQ(Cells(*list->GetPage(0), 0, 0, 0, 0)->front()->GetColor(), 0xFFFFFFu);
    EXPECT_EQ(Cells(*list->GetPage(0), 0, 0, 1, 0)->front()->GetColor(), 0x005FBDu);
}

TEST_F(LogScanEMMCTest, InvalidTagsAreRefused) {
    CScopedPrompt scoped(m_prompt);
    CLogScanEMMC scan;
    Configure(scan, kLogTypeEmmcSdr50,
              {Write("a.txt", "PDATA=0x0, PCLK=0x0, WRDL=0x0, RPOS=0x0 (W)\n")});
    scan.SetTags({L"(W)", L"", L"", L"(Y)"});
    EXPECT_FALSE(scan.Scan());
    EXPECT_EQ(m_prompt.Texts(), std::vector<std::wstring>{L"error flag match error"});
    EXPECT_EQ(scan.GetPageList(), nullptr);
}

TEST_F(LogScanEMMCTest, LinesWithoutFlagTakeTheLastMatchedCodeOfTheScan) {
    CScopedPrompt scoped(m_prompt);
    CLogScanEMMC scan;
    // Before any match a line without "(" reads as code 0 (read error); afterwards it takes
    // the last matched code, also in the next log of the same scan.
    Configure(scan, kLogTypeEmmcSdr50,
              {Write("a.txt", "PDATA=0x0, PCLK=0x0, WRDL=0x0, RPOS=0x0\n"
                              "PDATA=0x0, PCLK=0x0, WRDL=0x0, RPOS=0x1 (C)\n"
                              "PDATA=0x0, PCLK=0x0, WRDL=0x0, RPOS=0x2\n"),
               Write("b.txt", "PDATA=0x0, PCLK=0x0, WRDL=0x0, RPOS=0x3\n")});
    ASSERT_TRUE(scan.Scan());
    auto list = scan.TakePageList();
    const CLogPageBase& a = *list->GetPage(0);
    const CLogPageBase& b = *list->GetPage(1);
    EXPECT_EQ(Letters(Cells(a, 0, 0, 0, 0)), L"R");
    EXPECT_EQ(Letters(Cells(a, 0, 0, 1, 0)), L"C");
    EXPECT_EQ(Letters(Cells(a, 0, 0, 2, 0)), L"C");
    EXPECT_EQ(Letters(Cells(b, 0, 0, 3, 0)), L"C");
}

TEST_F(LogScanEMMCTest, ValuesBadPrefixUnmatchedFlagsAndOutsideBlocks) {
    CScopedPrompt scoped(m_prompt);
    CLogScanEMMC scan;
    Configure(scan, kLogTypeEmmcSdr50,
              {Write("a.txt",
                     "PDATA=1, PCLK=0x1, WRDL=0x2, RPOS=0x3 (W)\n"    // PDATA reads 0
                     "PDATA=0x0, PCLK=0x1, WRDL=0x2, RPOS=0x4 (X)\n"  // no tag: dropped
                     "PDATA=0x0, PCLK=0x1, WRDL=0x2, RPOS=0x5 (\n"    // "(" at the end: dropped
                     "PDATA=0x4, PCLK=0x1, WRDL=0x2, RPOS=0x6 (W)\n"  // row 4 > max 3: dropped
                     "PDATA=0x0, PCLK=0x1, WRDL=0x2, RPOS=0x50 (R)\n" // in-block beyond: kept
                     "PCLK=0x1, WRDL=0x2, RPOS=0x7 (W)\n")});         // not a data line
    ASSERT_TRUE(scan.Scan());
    auto list = scan.TakePageList();
    const auto& page = dynamic_cast<const CLogPageEMMC&>(*list->GetPage(0));
    EXPECT_EQ(page.GetRecordCount(), 2u);
    EXPECT_EQ(Letters(Cells(page, 1, 0, 3, 2)), L"W");
    EXPECT_EQ(Letters(Cells(page, 1, 0, 0x50, 2)), L"R");
    EXPECT_TRUE(m_prompt.Texts().empty());
}

TEST_F(LogScanEMMCTest, LongLinesArriveAsPiecesOf511) {
    CScopedPrompt scoped(m_prompt);
    CLogScanEMMC scan;
    // The flag lies beyond the first 511 characters: the data piece has no "(" and takes
    // the last code (0); the rest is another line.
    const std::string line =
        "PDATA=0x0, PCLK=0x0, WRDL=0x0, RPOS=0x9 " + std::string(600, 'x') + " (W)\n";
    Configure(scan, kLogTypeEmmcSdr50, {Write("a.txt", line)});
    ASSERT_TRUE(scan.Scan());
    auto list = scan.TakePageList();
    EXPECT_EQ(Letters(Cells(*list->GetPage(0), 0, 0, 9, 0)), L"R");
}

TEST_F(LogScanEMMCTest, UnreadableLogsFailTheScan) {
    struct SCase {
        const char* what;
        const char* content; // nullptr: no file
        std::vector<std::wstring> messages;
    };
    const std::wstring missing = (m_dir / "none.txt").wstring();
    const std::wstring crOnly = (m_dir / "cr.txt").wstring();
    const std::wstring noData = (m_dir / "nodata.txt").wstring();
    const std::wstring empty = (m_dir / "empty.txt").wstring();
    Write("cr.txt", "PDATA=0x0, PCLK=0x0, WRDL=0x0, RPOS=0x0 (W)\r");
    Write("nodata.txt", "hello\nworld\n");
    Write("empty.txt", "");
    const std::pair<std::wstring, std::vector<std::wstring>> cases[] = {
        {missing, {L"open file " + missing + L" failed !"}},
        {crOnly, {L"文件格式错误，请更改文件 " + crOnly + L" 为windows行尾结束符(CR/LF)"}},
        {empty, {L"文件格式错误，请更改文件 " + empty + L" 为windows行尾结束符(CR/LF)"}},
        {noData, {}},
    };
    const std::wstring good = Write("a.txt", "PDATA=0x0, PCLK=0x0, WRDL=0x0, RPOS=0x0 (W)\n");
    for (const auto& [path, messages] : cases) {
        CRecordingPrompt prompt;
        CScopedPrompt scoped(prompt);
        CLogScanEMMC scan;
        Configure(scan, kLogTypeEmmcSdr50, {good, path});
        EXPECT_FALSE(scan.Scan());
        EXPECT_EQ(prompt.Texts(), messages);
        EXPECT_EQ(scan.GetPageList(), nullptr);
    }
}

TEST_F(LogScanEMMCTest, AbsurdMaximaAreRefused) {
    CScopedPrompt scoped(m_prompt);
    CLogScanEMMC scan;
    Configure(scan, kLogTypeEmmcSdr50,
              {Write("a.txt", "PDATA=0x0, PCLK=0x0, WRDL=0x0, RPOS=0x0 (W)\n")});
    scan.SetSizes({0x10000, 0x10000, 64, 64});
    EXPECT_FALSE(scan.Scan());
    ASSERT_EQ(m_prompt.Texts().size(), 1u);
    EXPECT_EQ(m_prompt.Texts()[0].rfind(L"EMMC max value config error", 0), 0u);
}

TEST_F(LogScanEMMCTest, EverySortModeOrdersByName) {
    for (int mode : {kSortDescendingByWeakest, kSortAscendingByWeakest, kSortByName}) {
        CScopedPrompt scoped(m_prompt);
        CLogScanEMMC scan;
        const std::string line = "PDATA=0x0, PCLK=0x0, WRDL=0x0, RPOS=0x0 (W)\n";
        Configure(scan, kLogTypeEmmcSdr50,
                  {Write("b.txt", line), Write("a.txt", line), Write("B.txt", line)}, mode);
        ASSERT_TRUE(scan.Scan());
        auto list = scan.TakePageList();
        EXPECT_EQ(list->GetPageName(0), L"B.txt") << mode;
        EXPECT_EQ(list->GetPageName(1), L"a.txt") << mode;
        EXPECT_EQ(list->GetPageName(2), L"b.txt") << mode;
    }
}

TEST_F(LogScanEMMCTest, ModeZeroMergeFailsACellMissingFromALaterLog) {
    CScopedPrompt scoped(m_prompt);
    CLogScanEMMC scan;
    // Cell (RN 1, RP 0) passes in log 1 only; cell (RN 2, RP 0) appears in log 2 only; cell
    // (RN 3, RP 0) passes in both.
    Configure(
        scan, kLogTypeEmmcDdr50,
        {Write("1.txt", "CP=0x0 WD=0x0 RP=0x0 RN=0x1 (Y)\nCP=0x0 WD=0x0 RP=0x0 RN=0x3 (Y)\n"),
         Write("2.txt", "CP=0x0 WD=0x0 RP=0x0 RN=0x2 (Y)\nCP=0x0 WD=0x0 RP=0x0 RN=0x3 (Y)\n")});
    ASSERT_TRUE(scan.Scan());
    auto list = scan.TakePageList();
    const auto& merged = dynamic_cast<const CLogPageEMMC&>(*list->GetMergedPage());
    EXPECT_EQ(Letters(Cells(merged, 0, 0, 1, 0)), L"Y-");
    EXPECT_EQ(Letters(Cells(merged, 0, 0, 2, 0)), L"-Y");
    EXPECT_EQ(Letters(Cells(merged, 0, 0, 3, 0)), L"YY");
    EXPECT_FALSE(IsGood(Cells(merged, 0, 0, 1, 0), 0));
    EXPECT_FALSE(IsGood(Cells(merged, 0, 0, 2, 0), 0));
    EXPECT_TRUE(IsGood(Cells(merged, 0, 0, 3, 0), 0));
    // "No result" is black by the colour table's last row.
    EXPECT_EQ(Cells(merged, 0, 0, 1, 0)->back()->GetColor(), 0x000000u);
    // The log pages are untouched by the merge.
    EXPECT_EQ(Letters(Cells(*list->GetPage(0), 0, 0, 1, 0)), L"Y");
}

TEST_F(LogScanEMMCTest, ModeOneMergeCollectsOnlyTheErrorsThatExist) {
    CScopedPrompt scoped(m_prompt);
    CLogScanEMMC scan;
    const std::string other = "PDATA=0x0, PCLK=0x0, WRDL=0x0, RPOS=0x9 (R)\n";
    Configure(scan, kLogTypeEmmcSdr50,
              {Write("1.txt", "PDATA=0x0, PCLK=0x0, WRDL=0x0, RPOS=0x1 (W)\n" + other),
               Write("2.txt", other),
               Write("3.txt", "PDATA=0x0, PCLK=0x0, WRDL=0x0, RPOS=0x1 (C)\n" + other)});
    ASSERT_TRUE(scan.Scan());
    auto list = scan.TakePageList();
    const CLogPageBase& merged = *list->GetMergedPage();
    EXPECT_EQ(Letters(Cells(merged, 0, 0, 1, 0)), L"WC");
    EXPECT_EQ(Letters(Cells(merged, 0, 0, 9, 0)), L"RRR");
    EXPECT_TRUE(IsGood(Cells(merged, 0, 0, 2, 0), 1));
}

TEST_F(LogScanEMMCTest, ModeZeroMergedBlockScoresOnlyCellsGoodInEveryLog) {
    // Log 1 passes the rectangle RN 0..4 x RP 0..1, log 2 the same but RN 4 missing: the
    // merged block scores RN 0..3 only.
    auto rect = [](int lastCol) {
        std::string text;
        for (int rp = 0; rp <= 1; ++rp) {
            for (int rn = 0; rn <= lastCol; ++rn) {
                char line[80];
                std::snprintf(line, sizeof line, "CP=0x0 WD=0x0 RP=0x%X RN=0x%X (Y)\n", rp, rn);
                text += line;
            }
        }
        return text;
    };
    CScopedPrompt scoped(m_prompt);
    CLogScanEMMC scan;
    Configure(scan, kLogTypeEmmcDdr50, {Write("1.txt", rect(4)), Write("2.txt", rect(3))});
    ASSERT_TRUE(scan.Scan());
    auto list = scan.TakePageList();
    auto& merged = dynamic_cast<CLogPageEMMC&>(*list->GetMergedPage());
    EXPECT_EQ(merged.ScoreBlock(0, 0).nCount, 8);
    auto& first = dynamic_cast<CLogPageEMMC&>(*list->GetPage(0));
    EXPECT_EQ(first.ScoreBlock(0, 0).nCount, 10);
    const auto point = merged.SearchBestPoint();
    ASSERT_TRUE(point);
    EXPECT_EQ(point->nScore, 8);
    EXPECT_EQ(point->nInCol, 1); // (0 + 3) / 2
    EXPECT_EQ(point->nInRow, 0);
}

TEST_F(LogScanEMMCTest, BundledSamplesScanAndRecommendAPoint) {
    struct SCase {
        const char* folder;
        int logType;
    };
    for (const SCase& c :
         {SCase{"emmc_sdr50", kLogTypeEmmcSdr50}, SCase{"emmc_ddr50", kLogTypeEmmcDdr50}}) {
        CRecordingPrompt prompt;
        CScopedPrompt scoped(prompt);
        std::vector<std::wstring> files;
        ASSERT_TRUE(FindLogFiles(
            (fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon" / c.folder).wstring(), files));
        CLogScanEMMC scan;
        Configure(scan, c.logType, files, kSortAscendingByWeakest);
        ASSERT_TRUE(scan.Scan()) << c.folder;
        EXPECT_TRUE(prompt.Texts().empty()) << c.folder;
        auto list = scan.TakePageList();
        EXPECT_EQ(list->GetPageCount(), 2u);
        auto& merged = dynamic_cast<CLogPageEMMC&>(*list->GetMergedPage());
        const auto point = merged.SearchBestPoint();
        ASSERT_TRUE(point);
        EXPECT_GT(point->nScore, 0) << c.folder;
    }
}
