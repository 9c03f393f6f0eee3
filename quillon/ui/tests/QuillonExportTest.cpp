// File ▸ Export of the Quillon window: the report the window writes is the one quillon-cli
// --report writes for the same folder, the chart PNG is the whole grid of the current tab,
// the cells CSV has the grid's rows, and the result text holds what the panel shows.

#include "QuillonDlg.h"

#include "ChartTable.h"
#include "GridCtrl.h"
#include "LaneSwapMap.h"
#include "SettingsFile.h"
#include "TextUtil.h"
#include "UserPrompt.h"

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

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class QuillonExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        setenv("XDG_CONFIG_HOME", m_dir.path().toStdString().c_str(), 1);
        m_oldSettings = GetSettings().Path();
        GetSettings().SetPath(fs::path(m_dir.path().toStdString()) / "Quillon.ini");
        std::unique_ptr<QSettings> profile = CQuillonDlg::OpenProfile();
        profile->clear();
        profile->sync();
        m_dialog = std::make_unique<CQuillonDlg>();
        m_dialog->resize(1200, 800);
        m_dialog->show();
        m_dialog->LogTypeAction(1)->trigger();
        m_dialog->DirectoryBox()->setText(
            QString::fromStdString((kSamples / "lpddr2_fail").string()));
        ASSERT_TRUE(m_dialog->OnAnalyse());
        m_prompt.Clear();
    }
    void TearDown() override {
        m_dialog.reset();
        GetSettings().SetPath(m_oldSettings);
        GetLaneSwapMap().SetIdentity();
    }
    [[nodiscard]] fs::path Scratch(const char* name) const {
        return fs::path(m_dir.path().toStdString()) / name;
    }
    void SaveTo(const fs::path& path) {
        m_dialog->ExportMenu()->SetSaveChooser(
            [path](const QString&, const QString&, const QString&) {
                return QString::fromStdString(path.string());
            });
    }

    QTemporaryDir m_dir;
    fs::path m_oldSettings;
    CRecordingPrompt m_prompt;
    CScopedPrompt m_scope{m_prompt};
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
    const json window = json::parse(ReadText(folder / "quillon-cli.json"));
    const json cli = json::parse(ReadText(cliFolder / "quillon-cli.json"));
    EXPECT_EQ(window["pages"], cli["pages"]);
    const std::string html = ReadText(folder / "report.html");
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
    EXPECT_EQ(ReadText(csv), ChartCsv(GridChartTable(*grid, QString())));
    std::istringstream lines(ReadText(csv));
    std::string line;
    int rows = 0;
    while (std::getline(lines, line)) {
        ++rows;
    }
    EXPECT_EQ(rows, grid->GetRowCount());

    const fs::path text = Scratch("result.txt");
    SaveTo(text);
    m_dialog->ExportMenu()->OnResultText();
    const std::string result = ReadText(text);
    EXPECT_NE(result.find("FAIL"), std::string::npos) << result;
    EXPECT_NE(result.find("does not reach the standard"), std::string::npos) << result;
    EXPECT_TRUE(m_prompt.Records().empty());
}

} // namespace
