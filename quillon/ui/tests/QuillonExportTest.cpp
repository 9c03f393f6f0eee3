// File ▸ Export of the Quillon window: the report the window writes is the one quillon-cli
// --report writes for the same folder, the chart PNG is the whole grid of the current tab,
// the cells CSV has the grid's rows, and the result text holds what the panel shows.

#include "QuillonDlg.h"
#include "QuillonWindowFixture.h"

#include "ChartTable.h"
#include "CsvRecords.h"
#include "HtmlReport.h"
#include "GridCtrl.h"
#include "LaneSwapMap.h"
#include "SettingsFile.h"
#include "TextUtil.h"
#include "UserPrompt.h"
#include "WindowsSavedText.h"

#include <QImage>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <cstdlib>

#include <unistd.h>

using namespace quillon;

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon";

class QuillonExportTest : public CQuillonWindowTest {
protected:
    void SetUp() override {
        m_dialog = std::make_unique<CQuillonDlg>();
        m_dialog->resize(1200, 800);
        m_dialog->show();
        m_dialog->LogTypeAction(1)->trigger();
        m_dialog->DirectoryBox()->setText(
            QString::fromStdString((kSamples / "lpddr2_fail").string()));
        ASSERT_TRUE(m_dialog->OnAnalyse());
        m_prompt.Clear();
    }
    void TearDown() override { m_dialog.reset(); }
    [[nodiscard]] fs::path Scratch(const char* name) const { return m_dir / name; }
    void SaveTo(const fs::path& path) {
        m_dialog->ExportMenu()->SetSaveChooser(
            [path](const QString&, const QString&, const QString&) {
                return QString::fromStdString(path.string());
            });
    }

    std::unique_ptr<CQuillonDlg> m_dialog;
};

TEST_F(QuillonExportTest, ReportEqualsTheBatchProgramsDocument) {
    const fs::path folder = Scratch("report");
    m_dialog->ExportMenu()->SetFolderChooser(
        [folder](const QString&) { return QString::fromStdString(folder.string()); });
    m_dialog->ExportMenu()->OnReport();
    ASSERT_EQ(m_prompt.Records().size(), 1u);
    EXPECT_EQ(WideToUtf8(m_prompt.Records()[0].text),
              "The report is in " + (folder / "report.html").string() + ".");

    // quillon-cli --report on the same folder with the same settings.
    const fs::path cliFolder = Scratch("cli");
    const std::string command = std::string("'") + QUILLON_CLI_PATH + "' analyse '" +
                                (kSamples / "lpddr2_fail").string() + "' --type lpddr2 --settings '" +
                                GetSettings().Path().string() + "' --report '" +
                                cliFolder.string() + "' >/dev/null 2>&1";
    (void)std::system(command.c_str());
    const json window = json::parse(testsupport::ReadAll(folder / "quillon-cli.json"));
    const json cli = json::parse(testsupport::ReadAll(cliFolder / "quillon-cli.json"));
    EXPECT_EQ(window["pages"], cli["pages"]);
    const std::string html = testsupport::ReadAll(folder / "report.html");
    for (const json& page : cli["pages"]) {
        EXPECT_NE(html.find(XmlEscape(page["verdict"]["reason"].get<std::string>())),
                  std::string::npos);
    }
}

TEST_F(QuillonExportTest, ChartPngCsvAndResultTextOfTheCurrentTab) {
    m_dialog->Tabs()->setCurrentIndex(2);
    CGridCtrl* grid = m_dialog->Tabs()->currentWidget()->findChild<CGridCtrl*>();
    ASSERT_NE(grid, nullptr);

    const fs::path png = Scratch("chart.png");
    SaveTo(png);
    m_dialog->ExportMenu()->OnChartPng();
    const QImage image(QString::fromStdString(png.string()));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), grid->Geometry().GetTotalWidth());
    EXPECT_EQ(image.height(), grid->Geometry().GetTotalHeight());

    const fs::path csv = Scratch("cells.csv");
    SaveTo(csv);
    m_dialog->ExportMenu()->OnCellsCsv();
    EXPECT_EQ(testsupport::ReadAll(csv), ChartCsv(GridChartTable(*grid, QString())));
    std::istringstream lines(testsupport::ReadAll(csv));
    std::string line;
    int rows = 0;
    while (std::getline(lines, line)) {
        ++rows;
    }
    EXPECT_EQ(rows, grid->GetRowCount());

    const fs::path text = Scratch("result.txt");
    SaveTo(text);
    m_dialog->ExportMenu()->OnResultText();
    const std::string result = testsupport::ReadAll(text);
    EXPECT_NE(result.find("FAIL"), std::string::npos) << result;
    EXPECT_NE(result.find("does not reach the standard"), std::string::npos) << result;
    EXPECT_TRUE(m_prompt.Records().empty());
}

// The header texts of a window chart grid, blanks trimmed: over each data column its two
// header rows, and before each data row (the lane title rows left out) its header columns.
struct SGridAxes {
    std::vector<std::vector<std::string>> m_columns;
    std::vector<std::vector<std::string>> m_rows;
};

std::string Trim(const QString& text) {
    return text.trimmed().toStdString();
}

SGridAxes GridAxes(const CGridCtrl& grid, int headCols) {
    SGridAxes axes;
    for (int col = headCols; col < grid.GetColumnCount(); ++col) {
        axes.m_columns.push_back({Trim(grid.GetItemText(0, col)), Trim(grid.GetItemText(1, col))});
    }
    for (int row = 2; row < grid.GetRowCount(); ++row) {
        // Title rows above each lane: the first names the header columns, the others are
        // one merged empty band.
        const std::string drive = Trim(grid.GetItemText(row, 1));
        if (drive.empty() || drive.find("(ohm)") != std::string::npos) {
            continue;
        }
        std::vector<std::string> heads;
        for (int col = 0; col < headCols; ++col) {
            heads.push_back(Trim(grid.GetItemText(row, col)));
        }
        axes.m_rows.push_back(heads);
    }
    return axes;
}

// The same of a report CSV: three header rows (sdll_phs_dly, dqs_step_dly, the captions of
// the header columns), then one record per data row.
SGridAxes CsvAxes(const std::string& text, int headCols, int dataCols) {
    const std::vector<std::vector<std::string>> records = testsupport::ParseCsv(text);
    SGridAxes axes;
    if (records.size() < 3) {
        return axes;
    }
    for (int col = headCols; col < headCols + dataCols; ++col) {
        axes.m_columns.push_back({records[0][size_t(col)], records[1][size_t(col)]});
    }
    for (size_t row = 3; row < records.size(); ++row) {
        axes.m_rows.emplace_back(records[row].begin(), records[row].begin() + headCols);
    }
    return axes;
}

TEST_F(QuillonExportTest, ReportChartsAreLabelledAsTheWindowsChartsDDRAndHynix) {
    struct SCase {
        int logType;
        const char* sample;
        int headCols;
        std::vector<std::string> captions;
    };
    const SCase cases[] = {
        {1, "lpddr2_fail", 2, {"Byte", "dev_stg(ohm)"}},
        {3, "hynix", 3, {"Byte", "varro_drv_stg(ohm)", "hynix_drv_stg(ohm)"}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.sample);
        m_dialog->LogTypeAction(c.logType)->trigger();
        m_dialog->DirectoryBox()->setText(QString::fromStdString((kSamples / c.sample).string()));
        ASSERT_TRUE(m_dialog->OnAnalyse());
        const fs::path folder = Scratch(c.sample);
        m_dialog->ExportMenu()->SetFolderChooser(
            [folder](const QString&) { return QString::fromStdString(folder.string()); });
        m_dialog->ExportMenu()->OnReport();
        for (int tab = 0; tab < m_dialog->Tabs()->count(); ++tab) {
            m_dialog->Tabs()->setCurrentIndex(tab);
            const CGridCtrl* grid = m_dialog->Tabs()->currentWidget()->findChild<CGridCtrl*>();
            ASSERT_NE(grid, nullptr);
            const std::string name = m_dialog->Tabs()->tabText(tab).toStdString();
            const std::string csv = testsupport::ReadAll(folder / ReportFileName(tab, name, ".csv"));
            const SGridAxes window = GridAxes(*grid, c.headCols);
            const SGridAxes report =
                CsvAxes(csv, c.headCols, grid->GetColumnCount() - c.headCols);
            EXPECT_EQ(report.m_columns, window.m_columns) << name;
            EXPECT_EQ(report.m_rows, window.m_rows) << name;
            ASSERT_FALSE(window.m_rows.empty());
            // Values, not indices: a drive strength the window shows is no row number.
            EXPECT_NE(window.m_rows.front().back(), "0") << name;
            const auto records = testsupport::ParseCsv(csv);
            EXPECT_EQ(records[0][0], "sdll_phs_dly(°)");
            EXPECT_EQ(records[1][0], "dqs_step_dly(step)");
            EXPECT_EQ(std::vector<std::string>(records[2].begin(),
                                               records[2].begin() + c.headCols),
                      c.captions);
        }
    }
}

} // namespace
