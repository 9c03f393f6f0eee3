// quillon-orlo-cli --report: the statistics verdict and reason as --json gives them, the
// recommended set, the grid of every page cell for cell as the window paints it, and every
// log with the digest sha256sum prints.

#include "OrloReport.h"

#include "OrloCli.h"
#include "CsvRecords.h"
#include "ScratchFiles.h"
#include "WindowsSavedText.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

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

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon_orlo";

class OrloReport : public ::testing::Test {
protected:
    void SetUp() override { m_dir = testsupport::MakeScratchFolder("orlo_report"); }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    std::string Scan(const std::string& extra, int& exitCode) {
        return RunCommand(
            ShellQuote(m_program) + " scan --normal " + ShellQuote(kSamples / "normal") +
                " --low " + ShellQuote(kSamples / "low") + " --high " +
                ShellQuote(kSamples / "high") + " --settings " +
                ShellQuote(kSamples / "QuillonOrlo.ini") + " " + extra + " 2>/dev/null",
            exitCode);
    }
    fs::path m_dir;
    const fs::path m_program = ORLO_CLI_PATH;
};

TEST_F(OrloReport, VerdictRecommendedSetAndDigests) {
    int jsonExit = -1;
    const json doc = json::parse(Scan("--json", jsonExit));
    int reportExit = -1;
    const fs::path dir = m_dir / "r";
    (void)Scan("--report " + ShellQuote(dir), reportExit);
    EXPECT_EQ(reportExit, jsonExit);
    const std::string html = GetBytes(dir / "report.html");
    ASSERT_FALSE(html.empty());

    const bool pass = doc["verdict"]["pass"];
    const std::string word = pass ? "PASS" : "FAIL";
    EXPECT_NE(html.find("<tr><td>统计图</td><td class=\"word " +
                        std::string(pass ? "pass" : "fail") + "\">" + word + "</td><td>" +
                        XmlEscape(doc["verdict"]["reason"].get<std::string>()) + "</td>"),
              std::string::npos);
    if (doc["best"].is_object()) {
        std::string row = "<tr>";
        for (const char* key : {"dqs", "data", "ctl", "clk", "clkwr"}) {
            row += "<td>" + std::to_string(doc["best"][key].get<int>()) + "</td>";
        }
        EXPECT_NE(html.find(row + "</tr>"), std::string::npos) << row;
    }
    for (const json& page : doc["pages"]) {
        EXPECT_NE(html.find("<tr><td>" + XmlEscape(page["name"].get<std::string>()) + "</td>"),
                  std::string::npos);
    }

    int sumExit = -1;
    const std::string sums =
        RunCommand("sha256sum " + ShellQuote(kSamples / "normal") + "/* " +
                       ShellQuote(kSamples / "low") + "/* " + ShellQuote(kSamples / "high") +
                       "/* " + ShellQuote(kSamples / "QuillonOrlo.ini"),
                   sumExit);
    ASSERT_EQ(sumExit, 0);
    std::istringstream lines(sums);
    std::string digest;
    std::string path;
    int files = 0;
    while (lines >> digest >> path) {
        EXPECT_NE(html.find(XmlEscape(path) + "</td><td class=\"num\">" +
                            std::to_string(fs::file_size(path)) + "</td><td class=\"digest\">" +
                            digest + "</td>"),
                  std::string::npos)
            << path;
        ++files;
    }
    EXPECT_EQ(files, static_cast<int>(doc["fileCount"].get<size_t>()) + 1);
    EXPECT_EQ(json::parse(GetBytes(dir / "quillon-orlo-cli.json"))["merged"], doc["merged"]);
}

// The page charts are the window's grid cells: on the statistics page the pass counts of
// the document, green where every log passed and yellow where some did not.
TEST_F(OrloReport, StatisticsChartHoldsThePassCounts) {
    int exitCode = -1;
    const json doc = json::parse(Scan("--json", exitCode));
    const fs::path dir = m_dir / "r";
    (void)Scan("--report " + ShellQuote(dir), exitCode);
    const std::string csv = GetBytes(dir / "00-统计图.csv");
    const auto records = ParseCsv(csv);
    ASSERT_EQ(records.size(), static_cast<size_t>(orlo::kOrloGridRows));
    const int nPages = doc["N"];
    int checked = 0;
    for (const json& combination : doc["merged"]["combinations"]) {
        const int row = 1 + 64 * combination["dqs"].get<int>() +
                        16 * combination["data"].get<int>() + 4 * combination["ctl"].get<int>() +
                        combination["clk"].get<int>();
        const std::vector<std::string>& fields = records[static_cast<size_t>(row)];
        ASSERT_GE(fields.size(), static_cast<size_t>(2 * orlo::kOrloGridCols + 1));
        for (int clkwr = 0; clkwr < 32; ++clkwr) {
            const int col = orlo::kOrloFirstClkwrCol + clkwr;
            const int state = combination["state"][static_cast<size_t>(clkwr)];
            const int count = combination["passCount"][static_cast<size_t>(clkwr)];
            const std::string colour = fields[static_cast<size_t>(orlo::kOrloGridCols + 1 + col)];
            if (state == 1) {
                EXPECT_EQ(fields[static_cast<size_t>(col)], std::to_string(count));
                EXPECT_EQ(colour, count == nPages ? "#00FF00" : "#FFFF00");
            } else {
                EXPECT_EQ(colour, "#FFFFFF");
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
}

TEST_F(OrloReport, FolderThatCannotBeMadeIsRefusedFirst) {
    std::ofstream(m_dir / "plain") << "x";
    int exitCode = -1;
    (void)Scan("--report " + ShellQuote(m_dir / "plain" / "r"), exitCode);
    EXPECT_EQ(exitCode, 64);
}

} // namespace
