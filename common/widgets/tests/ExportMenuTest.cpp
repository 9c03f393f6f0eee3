// The Export menu on a real grid: the PNG holds the whole grid (not only what is in view)
// with each cell's colour, the CSV one record per grid row with its texts, the SVG one
// rectangle per coloured cell, and refusals reported through the prompt.

#include "ExportMenu.h"

#include "GridCtrl.h"
#include "UserPrompt.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <regex>
#include <sstream>

namespace {

std::string ReadText(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ExportMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_grid.resize(200, 120); // far smaller than the grid: most of it is out of view
        m_grid.show();
        for (int r = 0; r < m_grid.GetRowCount(); ++r) {
            for (int c = 0; c < m_grid.GetColumnCount(); ++c) {
                m_grid.SetItemText(r, c, QStringLiteral("%1,%2").arg(r).arg(c));
            }
        }
        m_grid.SetItemBkColour(1, 1, grid::Rgb(255, 0, 0));
        m_grid.SetItemBkColour(39, 29, grid::Rgb(0, 255, 0)); // the last cell, far out of view
        m_grid.SetItemBkColour(20, 5, grid::Rgb(255, 255, 0));
    }
    std::unique_ptr<CExportMenu> MakeMenu(const QString& file) {
        CExportMenu::SSources sources;
        sources.m_grid = [this]() { return &m_grid; };
        sources.m_title = []() { return QStringLiteral("统计图"); };
        sources.m_resultText = [this]() { return m_strResult; };
        auto menu = std::make_unique<CExportMenu>(sources, nullptr);
        menu->SetSaveChooser([this, file](const QString&, const QString& name, const QString&) {
            m_strSuggested = name;
            return file;
        });
        return menu;
    }
    QTemporaryDir m_dir;
    CGridCtrl m_grid{40, 30, 1, 1};
    CRecordingPrompt m_prompt;
    CScopedPrompt m_scope{m_prompt};
    QString m_strResult;
    QString m_strSuggested;
};

TEST_F(ExportMenuTest, PngHoldsTheWholeGrid) {
    const QString path = m_dir.filePath(QStringLiteral("chart.png"));
    MakeMenu(path)->OnChartPng();
    EXPECT_TRUE(m_prompt.Records().empty());
    const QImage image(path);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), m_grid.Geometry().GetTotalWidth());
    EXPECT_EQ(image.height(), m_grid.Geometry().GetTotalHeight());
    EXPECT_GT(image.width(), m_grid.width());
    const auto centre = [this](int row, int col) {
        const CGridGeometry& g = m_grid.Geometry();
        return QPoint((g.GetColumnLeft(col) + g.GetColumnLeft(col + 1)) / 2 + 1,
                      g.GetRowTop(row) + 2);
    };
    EXPECT_EQ(image.pixelColor(centre(1, 1)), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(centre(39, 29)), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(centre(20, 5)), QColor(255, 255, 0));
    EXPECT_EQ(m_strSuggested, QStringLiteral("统计图.png"));
    // The window's own view is as it was.
    EXPECT_EQ(m_grid.Geometry().GetViewportWidth(), m_grid.viewport()->width());
}

TEST_F(ExportMenuTest, CsvHasOneRecordPerGridRowWithItsTexts) {
    const QString path = m_dir.filePath(QStringLiteral("cells.csv"));
    MakeMenu(path)->OnCellsCsv();
    std::istringstream lines(ReadText(path));
    std::string line;
    int row = 0;
    while (std::getline(lines, line)) {
        std::string expected;
        for (int c = 0; c < m_grid.GetColumnCount(); ++c) {
            expected += (c > 0 ? "," : "") + ("\"" + std::to_string(row) + "," +
                                              std::to_string(c) + "\"");
        }
        EXPECT_EQ(line.substr(0, expected.size()), expected) << "row " << row;
        ++row;
    }
    EXPECT_EQ(row, m_grid.GetRowCount());
}

TEST_F(ExportMenuTest, SvgHasOneRectanglePerColouredCell) {
    const QString path = m_dir.filePath(QStringLiteral("chart.svg"));
    MakeMenu(path)->OnChartSvg();
    const std::string svg = ReadText(path);
    const std::regex rect("<rect class=\"cell\"[^>]*fill=\"(#[0-9A-F]{6})\"");
    std::vector<std::string> fills;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), rect); it != std::sregex_iterator();
         ++it) {
        fills.push_back((*it)[1]);
    }
    EXPECT_EQ(fills, (std::vector<std::string>{"#FF0000", "#FFFF00", "#00FF00"}));
}

TEST_F(ExportMenuTest, NothingToExportIsSaid) {
    m_grid.SetRowCount(0);
    const QString path = m_dir.filePath(QStringLiteral("none.csv"));
    const auto menu = MakeMenu(path);
    menu->OnCellsCsv();
    menu->OnResultText();
    ASSERT_EQ(m_prompt.Records().size(), 2u);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(ExportMenuTest, ResultTextAndAnUnwritableFile) {
    m_strResult = QStringLiteral("PASS 统计图\n");
    const QString path = m_dir.filePath(QStringLiteral("result.txt"));
    MakeMenu(path)->OnResultText();
    EXPECT_EQ(ReadText(path), "PASS 统计图\n");
    MakeMenu(m_dir.filePath(QStringLiteral("missing/result.txt")))->OnResultText();
    ASSERT_EQ(m_prompt.Records().size(), 1u);
    EXPECT_NE(m_prompt.Records()[0].text.find(L"Cannot write"), std::wstring::npos);
}

} // namespace
