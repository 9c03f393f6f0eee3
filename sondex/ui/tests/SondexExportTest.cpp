// File ▸ Export of the Sondex window: the shown document's table as a whole-grid PNG and as
// CSV cell for cell as the grid holds it, and the result form as text.

#include "SondexWindowTestSupport.h"

#include "ChartTable.h"
#include "ChildFrame.h"
#include "DDRTable.h"
#include "GridCtrl.h"
#include "ResultFormView.h"
#include "SondexView.h"

#include <QImage>

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

} // namespace
