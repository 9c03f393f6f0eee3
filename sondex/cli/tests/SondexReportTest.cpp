// sondex-cli --report: every log's verdict as --json gives it (with the failing entries as
// the reason), the statistics verdict, every scan table's grid as CSV, and every log and
// configuration file with the digest sha256sum prints.

#include "SondexCliFixture.h"

#include "ChartTable.h"
#include "CsvRecords.h"
#include "ScratchFiles.h"
#include "ScratchFolder.h"
#include "WindowsSavedText.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using nlohmann::json;
using testsupport::GetBytes;
using testsupport::ParseCsv;
using testsupport::RunCommand;
using testsupport::ShellQuote;

namespace {

const fs::path kSamples = kSondexSamples;

class SondexReport : public SondexCliFixture {
protected:
    std::string Analyse(std::vector<std::string> extra, int& exitCode) const {
        extra.insert(extra.begin(), {"analyse", (kSamples / "logs").string(), "--config",
                                     m_config.string()});
        const SSondexCliResult run = Run(extra);
        exitCode = run.m_nExitCode;
        return run.m_strOut;
    }
    testsupport::CScratchFolder m_scratch{"sondex_report"};
    const fs::path m_dir = m_scratch.Path();
    const fs::path m_config = m_program / "Sondex.ini";
};

TEST_F(SondexReport, VerdictsOfEveryLogAndDigests) {
    int jsonExit = -1;
    const json doc = json::parse(Analyse({"--json"}, jsonExit));
    const fs::path dir = m_dir / "r";
    int reportExit = -1;
    (void)Analyse({"--report", dir.string()}, reportExit);
    EXPECT_EQ(reportExit, jsonExit);
    const std::string html = GetBytes(dir / "report.html");
    ASSERT_FALSE(html.empty());

    int failed = 0;
    for (const json& log : doc["logs"]) {
        ASSERT_TRUE(log["opened"].get<bool>());
        const bool passed = log["passed"];
        std::string row = "<tr><td>" + XmlEscape(log["name"].get<std::string>()) +
                          "</td><td class=\"word " + (passed ? "pass\">Pass" : "fail\">Fail") +
                          "</td><td>";
        EXPECT_NE(html.find(row), std::string::npos) << row;
        failed += passed ? 0 : 1;
    }
    EXPECT_GT(failed, 0) << "the samples hold a failing board";
    const std::string verdict = doc["statistics"]["verdict"];
    EXPECT_NE(html.find("<tr><td>StatisticalChart</td><td class=\"word " +
                        std::string(verdict == "Pass" ? "pass" : "fail") + "\">" + verdict),
              std::string::npos);

    int sumExit = -1;
    const std::string sums = RunCommand(
        "sha256sum " + ShellQuote(kSamples / "logs") + "/* " + ShellQuote(m_config), sumExit);
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
    EXPECT_EQ(files, static_cast<int>(doc["logs"].size()) + 1);
    EXPECT_EQ(json::parse(GetBytes(dir / "sondex-cli.json"))["logs"], doc["logs"]);
}

// Each table's CSV has one record per grid row (table column), and its data cells are
// coloured where the document has results: red where a result failed.
TEST_F(SondexReport, TableCsvFollowsTheCells) {
    int exitCode = -1;
    const json doc = json::parse(Analyse({"--json"}, exitCode));
    const fs::path dir = m_dir / "r";
    (void)Analyse({"--report", dir.string()}, exitCode);
    const json& log = doc["logs"][0];
    const json& table = log["tables"][0];
    const std::string name = log["name"];
    const int statisticsTables = static_cast<int>(doc["statistics"]["tables"].size());
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "%02d-", statisticsTables);
    const std::string csv = GetBytes(dir / (prefix + name + "-table0.csv"));
    const auto records = ParseCsv(csv);
    const int gridRows = table["colCount"];
    const int gridCols = table["rowCount"];
    ASSERT_EQ(records.size(), static_cast<size_t>(gridRows));
    const int nB = table["rowParamCount"];
    const int nC = table["colParamCount"];
    int checked = 0;
    for (const json& cell : table["cells"]) {
        const int row = cell["col"];
        const int col = cell["row"];
        if (row <= nB || col < nC) {
            continue;
        }
        const auto& fields = records[static_cast<size_t>(row)];
        ASSERT_EQ(fields.size(), static_cast<size_t>(2 * gridCols + 1));
        bool fail = false;
        for (const json& state : cell["states"]) {
            fail = fail || state == 0;
        }
        const std::string& colour = fields[static_cast<size_t>(gridCols + 1 + col)];
        if (fail) {
            EXPECT_EQ(colour, "#FF0000") << row << "," << col;
        } else {
            EXPECT_FALSE(colour.empty()) << row << "," << col;
        }
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST_F(SondexReport, FolderThatCannotBeMadeIsRefusedFirst) {
    std::ofstream(m_dir / "plain") << "x";
    int exitCode = -1;
    (void)Analyse({"--report", (m_dir / "plain" / "r").string()}, exitCode);
    EXPECT_EQ(exitCode, 64);
}

} // namespace
