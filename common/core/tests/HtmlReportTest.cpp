// The HTML report page: user texts escaped everywhere, an A4 print style, nothing fetched
// from elsewhere, files named with their size and digest, and a folder that cannot be
// written refused with a reason.

#include "HtmlReport.h"

#include "Sha256.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class HtmlReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string name = (fs::temp_directory_path() / "htmlreport_XXXXXX").string();
        m_dir = ::mkdtemp(name.data());
    }
    void TearDown() override {
        std::error_code code;
        fs::permissions(m_dir / "locked", fs::perms::owner_all, code);
        fs::remove_all(m_dir, code);
    }
    fs::path m_dir;
};

TEST_F(HtmlReportTest, UserTextsAreEscapedEverywhere) {
    const std::string evil = "<script>x</script>&\"'";
    CHtmlReport report(evil);
    report.AddFact(evil, evil);
    report.SetOverallVerdict(EReportVerdict::Fail, evil);
    report.AddSection(evil, evil);
    report.AddParagraph(evil);
    report.AddVerdict(EReportVerdict::Pass, evil, evil);
    report.AddTable({{evil}, {evil}});
    CChartTable chart(1, 1);
    chart.SetText(0, 0, evil);
    report.AddChart(chart);
    const fs::path file = m_dir / evil;
    std::ofstream(file) << "x";
    report.AddFiles({DescribeReportFile(evil, file)});
    const std::string html = report.Html();
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_NE(html.find("&lt;script&gt;x&lt;/script&gt;&amp;&quot;&#39;"), std::string::npos);
}

TEST_F(HtmlReportTest, PrintsOnA4AndFetchesNothing) {
    CHtmlReport report("r");
    const std::string html = report.Html();
    EXPECT_NE(html.find("@media print"), std::string::npos);
    EXPECT_NE(html.find("size: A4"), std::string::npos);
    EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
    for (const char* remote : {"http:", "https:", "<link", "<script", "src="}) {
        EXPECT_EQ(html.find(remote), std::string::npos) << remote;
    }
}

TEST_F(HtmlReportTest, FilesWithSizeAndDigest) {
    const fs::path file = m_dir / "a.txt";
    std::ofstream(file) << "abc";
    const SReportFile described = DescribeReportFile("log", file);
    ASSERT_TRUE(described.m_nSize.has_value());
    EXPECT_EQ(*described.m_nSize, 3u);
    EXPECT_EQ(described.m_strSha256, Sha256Hex("abc"));
    const SReportFile missing = DescribeReportFile("log", m_dir / "missing.txt");
    EXPECT_FALSE(missing.m_nSize.has_value());
    CHtmlReport report("r");
    report.AddFiles({described, missing});
    const std::string html = report.Html();
    EXPECT_NE(html.find(Sha256Hex("abc")), std::string::npos);
    EXPECT_NE(html.find("cannot be read"), std::string::npos);
}

TEST_F(HtmlReportTest, FolderIsMadeOrRefusedWithAReason) {
    EXPECT_EQ(PrepareReportFolder(m_dir / "new" / "deeper"), "");
    EXPECT_TRUE(fs::is_directory(m_dir / "new" / "deeper"));
    const fs::path plain = m_dir / "plain";
    std::ofstream(plain) << "x";
    EXPECT_NE(PrepareReportFolder(plain), "");
    EXPECT_NE(PrepareReportFolder(plain / "under"), "");
    if (::geteuid() != 0) { // root writes anywhere
        fs::create_directory(m_dir / "locked");
        fs::permissions(m_dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_NE(PrepareReportFolder(m_dir / "locked"), "");
    }
    std::string error;
    EXPECT_FALSE(WriteReportFile(plain / "x.html", "x", error));
    EXPECT_NE(error.find("x.html"), std::string::npos);
}

TEST_F(HtmlReportTest, FileNamesAndCommandLine) {
    EXPECT_EQ(ReportFileName(3, "统计图", ".csv"), "03-统计图.csv");
    EXPECT_EQ(ReportFileName(12, "../a b/c.txt", ".csv"), "12-.._a_b_c.txt.csv");
    const char* argv[] = {"quillon-cli", "analyse", "my logs", "it's"};
    EXPECT_EQ(ReportCommandLine(4, argv), "quillon-cli analyse 'my logs' 'it'\\''s'");
}

} // namespace
