// File ▸ Export of the Sondex window: the shown document's table as a whole-grid PNG and as
// CSV cell for cell as the grid holds it, the result form as text, and the report that
// sondex-cli analyse --report writes for the same folder.

#include "SondexWindowTestSupport.h"

#include "ChartTable.h"
#include "ChildFrame.h"
#include "DDRTable.h"
#include "GridCtrl.h"
#include "ResultFormView.h"
#include "SondexView.h"

#include "TextUtil.h"

#include <QImage>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <set>
#include <sstream>

namespace {

using namespace sondexui;

class SondexExportTest : public CSondexWindowTest {
protected:
    void SaveTo(CMainFrame& frame, const fs::path& path) {
        frame.ExportMenu()->SetSaveChooser(
            [path](const QString&, const QString&, const QString&) { return Q(path); });
    }
};

TEST_F(SondexExportTest, ShownTableAsPictureAndCsvAndTheResultForm) {
    auto frame = MakeFrame();
    ASSERT_GT(frame->AnalyzeFolder(Q(kSamples / "logs")), 0);
    QApplication::processEvents();
    CChildFrame* shown = frame->ActiveFrame();
    ASSERT_NE(shown, nullptr);
    ASSERT_FALSE(shown->GetView()->GetTables().empty());
    CGridCtrl* grid = shown->GetView()->GetTables().begin()->second->GetGrid();
    m_prompt.Clear();

    const fs::path png = m_scratch.Path() / "table.png";
    SaveTo(*frame, png);
    frame->ExportMenu()->OnChartPng();
    const QImage image(Q(png));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), grid->Geometry().GetTotalWidth());
    EXPECT_EQ(image.height(), grid->Geometry().GetTotalHeight());

    const fs::path csv = m_scratch.Path() / "table.csv";
    SaveTo(*frame, csv);
    frame->ExportMenu()->OnCellsCsv();
    const std::string text = ReadBytes(csv);
    EXPECT_EQ(text, ChartCsv(GridChartTable(*grid, QString())));
    std::istringstream lines(text);
    std::string line;
    int rows = 0;
    while (std::getline(lines, line)) {
        ++rows;
    }
    EXPECT_EQ(rows, grid->GetRowCount());

    const fs::path result = m_scratch.Path() / "result.txt";
    SaveTo(*frame, result);
    frame->ExportMenu()->OnResultText();
    const std::string form = ReadBytes(result);
    EXPECT_NE(form.find("PassWidth"), std::string::npos) << form;
    EXPECT_TRUE(m_prompt.Records().empty());
}

std::set<std::string> FileNames(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST_F(SondexExportTest, ReportIsTheBatchProgramsReportOfTheAnalysedFolder) {
    // Two SR values ticked in the menu: the report is made with them, as --sr 0,2 does.
    const fs::path logs = kSamples / "logs";
    auto frame = MakeFrame();
    frame->SrAction(2)->trigger();
    ASSERT_GT(frame->AnalyzeFolder(Q(logs)), 0);
    m_prompt.Clear();
    const fs::path folder = m_scratch.Path() / "window-report";
    frame->ExportMenu()->SetFolderChooser([folder](const QString&) { return Q(folder); });
    frame->ExportMenu()->OnReport();
    ASSERT_EQ(m_prompt.Records().size(), 1u);
    EXPECT_EQ(WideToUtf8(m_prompt.Records()[0].text),
              "The report is in " + (folder / "report.html").string() + ".");

    const fs::path cli = m_scratch.Path() / "cli-report";
    const std::string command = "'" + std::string(SONDEX_CLI_PATH) + "' analyse '" +
                                logs.string() + "' --sr 0,2 --config '" +
                                (m_scratch.Path() / "Sondex.ini").string() + "' --report '" +
                                cli.string() + "' >/dev/null 2>&1";
    (void)std::system(command.c_str());
    const auto window = nlohmann::json::parse(ReadBytes(folder / "sondex-cli.json"));
    const auto batch = nlohmann::json::parse(ReadBytes(cli / "sondex-cli.json"));
    ASSERT_TRUE(batch.is_object());
    EXPECT_EQ(window, batch);
    EXPECT_EQ(FileNames(folder), FileNames(cli));
    for (const std::string& name : FileNames(cli)) {
        if (name.ends_with(".csv")) {
            EXPECT_EQ(ReadBytes(folder / name), ReadBytes(cli / name)) << name;
        }
    }
    const std::string html = ReadBytes(folder / "report.html");
    EXPECT_NE(html.find("Export report of " + logs.string()), std::string::npos);
    EXPECT_NE(html.find("K7_board04.Txt"), std::string::npos);
}

TEST_F(SondexExportTest, ReportBeforeAnyFolderAnalysisSaysWhy) {
    auto frame = MakeFrame();
    const fs::path folder = m_scratch.Path() / "early";
    frame->ExportMenu()->SetFolderChooser([folder](const QString&) { return Q(folder); });
    frame->ExportMenu()->OnReport();
    ASSERT_EQ(m_prompt.Records().size(), 1u);
    EXPECT_EQ(WideToUtf8(m_prompt.Records()[0].text),
              "Cannot write the report: no log folder has been analysed yet (LogDir chooses "
              "one)");
    EXPECT_FALSE(fs::exists(folder / "report.html"));
}

} // namespace
