// The DDR, Hynix and eMMC scanners and the image writers on the files of samples/bad: each
// bad file gets its designed message, a refused scan leaves no pages, and a refused write
// leaves the image byte for byte as it was.

#include "ChildDlgEMMCModel.h"
#include "DrvStgRegistry.h"
#include "FileUtil.h"
#include "LaneSwapMap.h"
#include "LogPageDDR.h"
#include "LogScanDDR.h"
#include "LogScanEMMC.h"
#include "LogScanHynix.h"
#include "SettingsFile.h"
#include "TextUtil.h"
#include "UserPrompt.h"
#include "WriterDDR.h"
#include "WriterEMMC.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

const fs::path kBad = fs::path(SUITE_SOURCE_DIR) / "samples" / "bad";

std::wstring LineEndMessage(const std::wstring& path) {
    return L"文件格式错误，请更改文件 " + path + L" 为windows行尾结束符(CR/LF)";
}
std::wstring DdrScanFailed(const std::wstring& path) {
    return L"scan log file\"" + path + L"\" failed, please check log file is correct";
}
std::wstring Incomplete(const std::wstring& name) {
    return L"log文件" + name + L"不完整，将影响分析结果的准确性, 是否继续";
}

class BadInputQuillonTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("badinput_quillon_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        // The analyzer settings of the samples, in a folder of the test's own.
        fs::copy_file(fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon" / "Quillon.ini",
                      m_dir / "Quillon.ini");
        GetSettings().SetPath(m_dir / "Quillon.ini");
        GetDrvStgRegistry().Clear();
        GetLaneSwapMap().Clear();
        m_pScoped = std::make_unique<CScopedPrompt>(m_prompt);
    }
    void TearDown() override {
        m_pScoped.reset();
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(m_dir, ec)) {
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::remove_all(m_dir, ec);
    }
    // A copy of a bad sample in the test folder, under the name the scan shows.
    std::wstring Copy(const char* sample, const char* name = nullptr) {
        const fs::path target = m_dir / (name != nullptr ? name : sample);
        fs::copy_file(kBad / sample, target, fs::copy_options::overwrite_existing);
        return PathToWide(target);
    }
    fs::path m_dir;
    CRecordingPrompt m_prompt;
    std::unique_ptr<CScopedPrompt> m_pScoped;
};

} // namespace

TEST_F(BadInputQuillonTest, DdrScanRefusesLogsWithoutLineFeedOrDataLines) {
    struct SCase {
        const char* sample;
        bool lineEndMessage; // no LF anywhere: the line-ending message comes first
    };
    const SCase cases[] = {
        {"empty.txt", true},          {"cr_only.txt", true},
        {"binary_garbage.bin", true}, {"ddr_no_data_lines.txt", false},
        {"short_image.bin", false}, // has a LF byte, no data line
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.sample);
        m_prompt.Clear();
        const std::wstring path = Copy(c.sample);
        CLogScanDDR scan;
        scan.SetFileList({path});
        scan.SetPageSize(4, 7);
        scan.SetSubColCount(8);
        scan.SetDrvStgRowCount(5);
        EXPECT_FALSE(scan.Scan());
        EXPECT_EQ(scan.GetPageList(), nullptr);
        std::vector<std::wstring> expected;
        if (c.lineEndMessage) {
            expected.push_back(LineEndMessage(path));
        }
        expected.push_back(DdrScanFailed(path));
        EXPECT_EQ(m_prompt.Texts(), expected);
    }
}

TEST_F(BadInputQuillonTest, DdrLongLinesAndNulBytesStillGiveTheirCell) {
    // A data line of 600 characters keeps its fields in the first 511-character piece; NUL
    // bytes inside the numbers are dropped like any other character that is no digit.
    for (const char* sample : {"ddr_line_600.txt", "ddr_nul_bytes.txt"}) {
        SCOPED_TRACE(sample);
        for (const bool answer : {false, true}) {
            m_prompt.Clear();
            m_prompt.Script({answer});
            const std::wstring path = Copy(sample);
            CLogScanDDR scan;
            scan.SetFileList({path});
            scan.SetPageSize(4, 7);
            scan.SetSubColCount(8);
            scan.SetDrvStgRowCount(5);
            EXPECT_EQ(scan.Scan(), answer);
            ASSERT_EQ(m_prompt.Records().size(), 1u);
            EXPECT_EQ(m_prompt.Records()[0].text, Incomplete(Utf8ToWide(sample)));
            EXPECT_EQ(m_prompt.Records()[0].caption, L"警告");
            EXPECT_TRUE(m_prompt.Records()[0].question);
            if (!answer) {
                EXPECT_EQ(scan.GetPageList(), nullptr);
                continue;
            }
            EXPECT_EQ(scan.GetProject(), L"K3");
            EXPECT_EQ(scan.GetDdrType(), L"ddr1");
            std::unique_ptr<CLogPageList> list = scan.TakePageList();
            ASSERT_NE(list, nullptr);
            ASSERT_EQ(list->GetPageCount(), 1u);
            const CLogPageBase& page = *list->GetPage(0);
            // dxn=0, drv_stg=31, sdll_phs_dly=36 (column 0), dqs_step_dly=-3, pass.
            const SLogBlock* block = page.FindBlock(0, 0);
            ASSERT_NE(block, nullptr);
            const auto cell = block->Find({-3, 31});
            ASSERT_EQ(cell.size(), 1u);
            EXPECT_EQ(cell[0]->GetColor(), kColorPass);
            EXPECT_EQ(page.GetColumnValue(0), 36);
        }
    }
}

TEST_F(BadInputQuillonTest, HynixScanSkipsFilesThatAreNoHynixLogs) {
    const std::wstring empty = Copy("empty.txt");
    const std::wstring garbage = Copy("binary_garbage.bin");
    const std::wstring cr = Copy("cr_only.txt");
    EXPECT_FALSE(IsHynixLog(empty));
    EXPECT_FALSE(IsHynixLog(garbage));
    EXPECT_TRUE(m_prompt.Texts().empty());
    const std::wstring question = L"扫描失败\nFile: \"" + empty + L"\"\nFile: \"" + garbage +
                                  L"\"\nFile: \"" + cr +
                                  L"\"\n\n不是Hynix的log，跳过扫描失败文件继续分析?";
    for (const bool answer : {false, true}) {
        SCOPED_TRACE(answer);
        m_prompt.Clear();
        m_prompt.Script({answer});
        CLogScanHynix scan;
        scan.SetFileList({empty, garbage, cr});
        EXPECT_EQ(scan.Scan(), answer);
        ASSERT_EQ(m_prompt.Records().size(), 1u);
        EXPECT_EQ(m_prompt.Records()[0].text, question);
        if (answer) {
            // Nothing was accepted: a page list without pages and without statistics page.
            ASSERT_NE(scan.GetPageList(), nullptr);
            EXPECT_EQ(scan.GetPageList()->GetPageCount(), 0u);
            EXPECT_EQ(scan.GetPageList()->GetMergedPage(), nullptr);
        } else {
            EXPECT_EQ(scan.GetPageList(), nullptr);
        }
    }
}

TEST_F(BadInputQuillonTest, EmmcScanRefusesLogsWithoutLineFeedOrDataLines) {
    struct SCase {
        const char* sample;
        bool lineEndMessage;
    };
    const SCase cases[] = {
        {"empty.txt", true},          {"cr_only.txt", true},
        {"binary_garbage.bin", true}, {"ddr_no_data_lines.txt", false},
        {"ddr_nul_bytes.txt", false},
    };
    for (const int logType : {kLogTypeEmmcSdr50, kLogTypeEmmcDdr50}) {
        for (const SCase& c : cases) {
            SCOPED_TRACE(std::string(c.sample) + " " + std::to_string(logType));
            m_prompt.Clear();
            const std::wstring path = Copy(c.sample);
            CChildDlgEMMCModel panel;
            panel.SetMode(logType, true);
            SEmmcNames names;
            SEmmcTags tags;
            panel.GetNames(names);
            panel.GetTags(tags);
            CLogScanEMMC scan;
            scan.SetNames(names);
            scan.SetTags(tags);
            scan.SetSizes(panel.GetSizes());
            scan.SetFileList({path});
            EXPECT_FALSE(scan.Scan());
            EXPECT_EQ(scan.GetPageList(), nullptr);
            std::vector<std::wstring> expected;
            if (c.lineEndMessage) {
                expected.push_back(LineEndMessage(path));
            }
            EXPECT_EQ(m_prompt.Texts(), expected);
        }
    }
}

TEST_F(BadInputQuillonTest, WritersLeaveShortAndReadOnlyImagesAlone) {
    std::string shortImage;
    ASSERT_TRUE(ReadFileBytes(kBad / "short_image.bin", shortImage));
    ASSERT_EQ(shortImage.size(), 256u);
    std::vector<SBestParam> ddrRecords(4);
    for (int lane = 0; lane < 4; ++lane) {
        ddrRecords[lane].m_nByte = lane;
        ddrRecords[lane].m_nDrvStg = 34;
        ddrRecords[lane].m_nSdllPhsDly = 72;
        ddrRecords[lane].m_nDqsStepDly = 0;
    }
    struct SCase {
        int logType;
        const wchar_t* tooShort; // the text after the path
        const wchar_t* cannotOpenTail;
    };
    const SCase cases[] = {
        {1,
         L" is too short (256 bytes): the DDR parameter block needs at least 23580 bytes, the "
         L"file is left unchanged",
         L"\" failed, please check file is exist or file attirbute is read only"},
        {4,
         L" is too short (256 bytes): the EMMC sdr50 record needs at least 23712 bytes, the "
         L"file is left unchanged",
         L"\" failed, please check file path is exist or file attribute is read only"},
        {5,
         L" is too short (256 bytes): the EMMC ddr50 record needs at least 23736 bytes, the "
         L"file is left unchanged",
         L"\" failed, please check file path is exist or file attribute is read only"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.logType);
        // The short image of the samples.
        m_prompt.Clear();
        const std::wstring path = Copy("short_image.bin", "short.bin");
        std::unique_ptr<CWriteBinBase> writer = CreateBinWriter(c.logType);
        ASSERT_NE(writer, nullptr);
        writer->SetParameters(ddrRecords);
        EXPECT_FALSE(writer->WriteToBin(path));
        EXPECT_EQ(m_prompt.Texts(),
                  std::vector<std::wstring>{L"bin file \"" + path + L"\"" + c.tooShort});
        std::string after;
        ASSERT_TRUE(ReadFileBytes(WideToPath(path), after));
        EXPECT_EQ(after, shortImage);

        // A whole image made read-only here (git keeps no permissions).
        m_prompt.Clear();
        const fs::path image = m_dir / "readonly.bin";
        std::error_code ec; // missing on the first round
        fs::permissions(image, fs::perms::owner_write, fs::perm_options::add, ec);
        const std::string bytes(0x6000, '\x5A');
        std::ofstream(image, std::ios::binary | std::ios::trunc) << bytes;
        fs::permissions(image,
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        EXPECT_FALSE(writer->WriteToBin(PathToWide(image)));
        EXPECT_EQ(m_prompt.Texts(), std::vector<std::wstring>{L"open file \"" + PathToWide(image) +
                                                              c.cannotOpenTail});
        ASSERT_TRUE(ReadFileBytes(image, after));
        EXPECT_EQ(after, bytes);
        EXPECT_EQ(fs::status(image).permissions() & fs::perms::owner_write, fs::perms::none);
    }
}
