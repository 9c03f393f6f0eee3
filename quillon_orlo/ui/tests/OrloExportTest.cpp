// Export of the QuillonOrlo window: the report the window writes is quillon-orlo-cli's for
// the same folders and settings, the chart PNG is the whole grid of the current page, and
// the result text holds the verdict and the recommended set.

#include "QuillonDlg.h"
#include "OrloUiFixture.h"

#include "GridCtrl.h"
#include "MFCPageOrlo.h"
#include "MFCPageOrloMain.h"

#include <QImage>
#include <QLabel>
#include <QTabBar>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;
using orloui::SamplesDir;

class OrloExportTest : public orloui::COrloUiTest {
protected:
    void ScanSamples(CQuillonDlg& dlg) {
        dlg.SetDirectories(SamplesDir("normal"), SamplesDir("low"), SamplesDir("high"));
        dlg.show();
        dlg.OnScan();
        m_prompt.Clear();
    }
    void SaveTo(CQuillonDlg& dlg, const QString& path) {
        dlg.ExportMenu()->SetSaveChooser(
            [path](const QString&, const QString&, const QString&) { return path; });
    }
};

TEST_F(OrloExportTest, ReportIsTheBatchProgramsForTheSameFolders) {
    CQuillonDlg dlg;
    ScanSamples(dlg);
    const QString folder = Scratch(QStringLiteral("report"));
    dlg.ExportMenu()->SetFolderChooser([folder](const QString&) { return folder; });
    dlg.ExportMenu()->OnReport();
    ASSERT_EQ(m_prompt.Records().size(), 1u);
    EXPECT_NE(m_prompt.Records()[0].text.find(L"report.html"), std::wstring::npos);

    const json doc =
        json::parse(orloui::ReadFile(QDir(folder).filePath(QStringLiteral("quillon-orlo-cli.json"))));
    EXPECT_EQ(doc["verdict"]["pass"].get<bool>(), dlg.Verdict());
    EXPECT_EQ(doc["N"].get<size_t>(), dlg.Pages().size() - 1); // the statistics page and N logs
    const std::string html = orloui::ReadFile(QDir(folder).filePath(QStringLiteral("report.html")));
    EXPECT_NE(html.find(dlg.Verdict() ? "<div class=\"banner pass\">PASS"
                                      : "<div class=\"banner fail\">FAIL"),
              std::string::npos);
}

TEST_F(OrloExportTest, WholeGridPictureAndResultText) {
    CQuillonDlg dlg;
    ScanSamples(dlg);
    ASSERT_FALSE(dlg.Pages().empty());
    CGridCtrl* grid = dlg.Pages()[0]->Grid();
    const QString png = Scratch(QStringLiteral("chart.png"));
    SaveTo(dlg, png);
    dlg.ExportMenu()->OnChartPng();
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.height(), grid->Geometry().GetTotalHeight()); // all 257 rows
    EXPECT_GT(image.height(), grid->viewport()->height());

    const QString text = Scratch(QStringLiteral("result.txt"));
    SaveTo(dlg, text);
    dlg.ExportMenu()->OnResultText();
    const QString result = QString::fromStdString(orloui::ReadFile(text));
    EXPECT_TRUE(result.contains(dlg.MainPage()->ResultLabel()->text())) << result.toStdString();
    EXPECT_TRUE(result.contains(QStringLiteral("clkwr"))) << result.toStdString();
    EXPECT_TRUE(m_prompt.Records().empty());
}

} // namespace
