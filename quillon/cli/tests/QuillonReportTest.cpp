// quillon-cli --report: the HTML names every page's verdict and reason as --json gives them
// and every input with the digest sha256sum prints, one CSV per page holds the chart's
// rows, and a report folder that cannot be made is refused before anything is analysed.

#include "QuillonReport.h"

#include "ChartTable.h"
#include "CsvRecords.h"
#include "ScratchFiles.h"
#include "WindowsSavedText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace fs = std::filesystem;
using nlohmann::json;
using testsupport::GetBytes;
using testsupport::ParseCsv;
using testsupport::RunCommand;
using testsupport::ShellQuote;

namespace {

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon";

class QuillonReport : public ::testing::Test {
protected:
    void SetUp() override { m_dir = testsupport::MakeScratchFolder("quillon_report"); }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    // Runs quillon-cli analyse on a sample folder, with extra arguments; stdout returned.
    std::string Analyse(const std::string& sample, const std::string& extra, int& exitCode) {
        return RunCommand(ShellQuote(m_program) + " analyse " + ShellQuote(kSamples / sample) +
                              " " + extra + " 2>/dev/null",
                          exitCode);
    }
    fs::path m_dir;
    const fs::path m_program = QUILLON_CLI_PATH;
};

TEST_F(QuillonReport, VerdictsReasonsAndDigestsOfTheFailingLpddr2Samples) {
    int jsonExit = -1;
    const json doc = json::parse(Analyse("lpddr2_fail", "--type lpddr2 --json", jsonExit));
    int reportExit = -1;
    const fs::path dir = m_dir / "r";
    (void)Analyse("lpddr2_fail", "--type lpddr2 --report " + ShellQuote(dir), reportExit);
    EXPECT_EQ(reportExit, jsonExit) << "--report leaves the exit code alone";
    EXPECT_EQ(jsonExit, 1);
    const std::string html = GetBytes(dir / "report.html");
    ASSERT_FALSE(html.empty());

    ASSERT_EQ(doc["pages"].size(), 4u);
    bool someFail = false;
    for (const json& page : doc["pages"]) {
        const json& verdict = page["verdict"];
        const std::string conclusion = verdict["conclusion"];
        const std::string word = conclusion == "PASS" ? "pass" : "fail";
        someFail = someFail || conclusion == "FAIL";
        const std::string row = "<tr><td>" + XmlEscape(page["name"].get<std::string>()) +
                                "</td><td class=\"word " + word + "\">" + conclusion + "</td><td>" +
                                XmlEscape(verdict["reason"].get<std::string>()) + "</td>";
        EXPECT_NE(html.find(row), std::string::npos) << row;
    }
    EXPECT_TRUE(someFail);
    EXPECT_NE(html.find("<div class=\"banner fail\">FAIL: " +
                        XmlEscape(doc["pages"][0]["verdict"]["reason"].get<std::string>())),
              std::string::npos);

    int sumExit = -1;
    const std::string sums =
        RunCommand("cd " + ShellQuote(kSamples / "lpddr2_fail") + " && sha256sum *.txt", sumExit);
    ASSERT_EQ(sumExit, 0);
    std::istringstream lines(sums);
    std::string digest;
    std::string name;
    int files = 0;
    while (lines >> digest >> name) {
        EXPECT_NE(html.find(name + "</td><td class=\"num\">" +
                            std::to_string(fs::file_size(kSamples / "lpddr2_fail" / name)) +
                            "</td><td class=\"digest\">" + digest + "</td>"),
                  std::string::npos)
            << name;
        ++files;
    }
    EXPECT_EQ(files, 3);
    EXPECT_NE(html.find("quillon-cli analyse"), std::string::npos) << "the command line";

    // The JSON document beside it is the one --json prints.
    EXPECT_EQ(json::parse(GetBytes(dir / "quillon-cli.json"))["pages"], doc["pages"]);
}

TEST_F(QuillonReport, JsonWithReportPrintsTheDocumentItWritesBeside) {
    // The document is streamed to stdout without a report; with one it is made once and
    // goes to both places: the bytes must not differ from a plain --json run.
    int plainExit = -1;
    const std::string plain = Analyse("lpddr2_fail", "--type lpddr2 --json", plainExit);
    int bothExit = -1;
    const fs::path dir = m_dir / "both";
    const std::string both =
        Analyse("lpddr2_fail", "--type lpddr2 --json --report " + ShellQuote(dir), bothExit);
    EXPECT_EQ(bothExit, plainExit);
    EXPECT_EQ(both, plain);
    EXPECT_EQ(GetBytes(dir / "quillon-cli.json"), plain);
}

TEST_F(QuillonReport, OneCsvPerPageWithARowPerChartRowLabelledByParameterValues) {
    struct SCase {
        const char* sample;
        const char* type;
        std::vector<std::string> captions; ///< the header columns, as the window names them
    };
    const SCase cases[] = {
        {"lpddr2_fail", "lpddr2", {"Byte", "dev_stg(ohm)"}},
        {"hynix", "hynix", {"Byte", "varro_drv_stg(ohm)", "hynix_drv_stg(ohm)"}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.sample);
        int exitCode = -1;
        const json doc = json::parse(
            Analyse(c.sample, std::string("--type ") + c.type + " --json", exitCode));
        const fs::path dir = m_dir / c.sample;
        (void)Analyse(c.sample, std::string("--type ") + c.type + " --report " + ShellQuote(dir),
                      exitCode);
        const size_t heads = c.captions.size();
        int index = 0;
        for (const json& page : doc["pages"]) {
            const fs::path csv = dir / ReportFileName(index++, page["name"], ".csv");
            ASSERT_TRUE(fs::exists(csv)) << csv;
            const auto records = ParseCsv(GetBytes(csv));
            // sdll_phs_dly, dqs_step_dly and the captions over the header columns, then one
            // record per chart row: its labels, its texts, an empty field and its colours.
            ASSERT_EQ(records.size(), page["chart"].size() + 3);
            EXPECT_EQ(records[0][0], "sdll_phs_dly(°)");
            EXPECT_EQ(records[1][0], "dqs_step_dly(step)");
            EXPECT_EQ(std::vector<std::string>(records[2].begin(), records[2].begin() + heads),
                      c.captions);
            const std::string letters = page["chart"][0];
            const size_t cols = heads + letters.size();
            // Values, not indices: a column's dqs_step_dly is its sub-column less 3, and the
            // sub-columns of one column share its sdll_phs_dly.
            size_t subCols = 1;
            while (heads + subCols < cols && records[0][heads + subCols] == records[0][heads]) {
                ++subCols;
            }
            for (size_t col = 0; col < letters.size(); ++col) {
                EXPECT_EQ(records[1][heads + col], std::to_string(int(col % subCols) - 3)) << col;
                EXPECT_EQ(records[0][heads + col], records[0][heads + col - col % subCols]) << col;
                const std::string& colour = records[3][cols + 1 + heads + col];
                EXPECT_EQ(colour.empty(), letters[col] == '.') << col;
                EXPECT_EQ(colour == "#00FF00", letters[col] == 'G') << col;
                if (page["merged"] == true) {
                    EXPECT_EQ(records[3][heads + col], page["chartText"][0][col].get<std::string>());
                }
            }
            // Every best run (byte, sdll_phs_dly, dqs_step_dly, drv_stg, ...) is on a column
            // its sdll_phs_dly labels and, on DDR pages, a row its drv_stg labels.
            for (const json& best : page["bestRecords"]) {
                const std::string phase = std::to_string(best[1].get<int>());
                const std::string drive = std::to_string(best[3].get<int>());
                bool rowFound = heads != 2;
                for (size_t row = 3; row < records.size(); ++row) {
                    rowFound = rowFound || records[row][1] == drive;
                }
                EXPECT_TRUE(rowFound) << drive;
                EXPECT_NE(std::find(records[0].begin() + heads, records[0].begin() + cols, phase),
                          records[0].begin() + cols)
                    << phase;
            }
        }
    }
}

TEST_F(QuillonReport, EmmcChartKeepsEveryCellWithRecords) {
    int exitCode = -1;
    const json doc = json::parse(Analyse("emmc_sdr50", "--type emmc-sdr50 --json", exitCode));
    for (const json& page : doc["pages"]) {
        const CChartTable chart = QuillonPageChart(doc, page);
        size_t coloured = 0;
        for (int r = 0; r < chart.Rows(); ++r) {
            for (int c = 0; c < chart.Cols(); ++c) {
                coloured += chart.Cell(r, c).m_nColour ? 1 : 0;
            }
        }
        EXPECT_EQ(coloured, page["cells"].size());
    }
    const fs::path dir = m_dir / "e";
    int reportExit = -1;
    (void)Analyse("emmc_sdr50", "--type emmc-sdr50 --report " + ShellQuote(dir), reportExit);
    EXPECT_EQ(reportExit, exitCode);
    EXPECT_NE(GetBytes(dir / "report.html").find("推荐取值"), std::string::npos);
}

TEST_F(QuillonReport, FolderThatCannotBeMadeIsRefusedFirst) {
    std::ofstream(m_dir / "plain") << "x";
    int exitCode = -1;
    const std::string out =
        RunCommand(ShellQuote(m_program) + " analyse " + ShellQuote(kSamples / "lpddr2_fail") +
                       " --report " + ShellQuote(m_dir / "plain" / "r") + " 2>&1",
                   exitCode);
    EXPECT_EQ(exitCode, 64);
    EXPECT_NE(out.find("report folder"), std::string::npos) << out;
}

} // namespace
