#include "QuillonDlg.h"
#include "QuillonWindowFixture.h"

#include "ChildDlgDDRHynix.h"
#include "ChildDlgEMMC.h"
#include "EditListCtrl.h"
#include "FileUtil.h"
#include "GridCtrl.h"
#include "LaneSwapMap.h"
#include "MFCPageDDRHynix.h"
#include "MFCPageEMMC.h"
#include "MergePageDlg.h"
#include "PassShareBar.h"
#include "PassShareView.h"
#include "QuillonCli.h"
#include "ResultPanelDDR.h"
#include "SettingsFile.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <QAction>
#include <QComboBox>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolTip>
#include <QSettings>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include <unistd.h>

using namespace quillon;

namespace fs = std::filesystem;
using nlohmann::json;

// The Hynix and eMMC branches of the main dialog, offscreen with the recording prompt. The
// scratch profile folder of this test program is set up by the main dialog's test file.
namespace {

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon";

class QuillonHynixEmmcDlgTest : public CQuillonWindowTest {
protected:
    static QColor CellColour(CGridCtrl& grid, int row, int col) {
        grid.EnsureVisible(row, col);
        const QImage image = grid.viewport()->grab().toImage();
        const QRect rect = grid.GetCellRect(row, col);
        return image.pixelColor(rect.left() + 3, rect.top() + 3);
    }
    static void Wheel(CGridCtrl& grid, Qt::KeyboardModifiers modifiers, int notches = 1) {
        QWidget* viewport = grid.viewport();
        const QPointF pos(50, 50);
        QWheelEvent event(pos, viewport->mapToGlobal(pos), QPoint(), QPoint(0, 120 * notches),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
    }
    void WriteLog(const std::string& name, const std::string& text) {
        fs::create_directories(m_dir / "logs");
        std::ofstream(m_dir / "logs" / name, std::ios::binary) << text;
    }
};

TEST_F(QuillonHynixEmmcDlgTest, HynixPanelShowsWhatTheCliReportsForEveryTab) {
    const SAnalyseOutput cli = RunCli(kSamples / "hynix", 3);
    const json& pages = cli.m_doc["pages"];
    auto dialog = OpenDialog(3, kSamples / "hynix");
    ASSERT_TRUE(dialog->OnAnalyse());
    EXPECT_EQ(dialog->Session().LogType(), 3);
    // A Hynix analysis leaves the title alone.
    EXPECT_EQ(dialog->windowTitle().toStdWString(), CQuillonSession::DefaultTitle());
    CChildDlgDDRHynix* panel = dialog->PanelHynix();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(dialog->PanelDDR() != nullptr && dialog->PanelDDR()->isVisible());
    ASSERT_EQ(dialog->Tabs()->count(), int(pages.size()));
    for (int tab = 0; tab < dialog->Tabs()->count(); ++tab) {
        SCOPED_TRACE(tab);
        dialog->Tabs()->setCurrentIndex(tab);
        const json& page = pages[size_t(tab)];
        EXPECT_EQ(dialog->Tabs()->tabText(tab).toStdString(), page["name"].get<std::string>());
        for (int lane = 0; lane < 4; ++lane) {
            EXPECT_EQ(panel->RateBox(lane)->text().toStdString(),
                      page["rateTexts"][size_t(lane)].get<std::string>());
        }
        const json& list = page["bestList"];
        ASSERT_EQ(panel->List()->rowCount(), int(list.size()));
        for (size_t row = 0; row < list.size(); ++row) {
            for (int col = 0; col < 4; ++col) {
                EXPECT_EQ(panel->List()->item(int(row), col)->text().toStdString(),
                          list[row][size_t(col)].get<std::string>());
            }
        }
        ASSERT_TRUE(page["verdict"]["made"].get<bool>());
        EXPECT_EQ(panel->ConclusionLabel()->text().toStdString(),
                  page["verdict"]["conclusion"].get<std::string>());
        ASSERT_NE(dialog->ChartPageHynix(tab), nullptr);
        EXPECT_NE(dialog->ChartPageHynix(tab)->Grid(), nullptr);
    }
}

TEST_F(QuillonHynixEmmcDlgTest, HynixMergedPageCountsFailuresOnRedAndLeavesPassesBlank) {
    auto dialog = OpenDialog(3, kSamples / "hynix");
    ASSERT_TRUE(dialog->OnAnalyse());
    const CChartCellsHynix& chart = dialog->Session().Tabs()[0].m_chartHynix;
    ASSERT_TRUE(chart.IsMergedPage());
    ASSERT_EQ(dialog->Tabs()->count(), 4); // three logs
    int failRow = -1;
    int failCol = -1;
    int passRow = -1;
    int passCol = -1;
    for (int row = 0; row < chart.DataRowCount(); ++row) {
        for (int col = 0; col < chart.DataColCount(); ++col) {
            const SChartCell& cell = chart.Cell(row, col);
            if (failRow < 0 && cell.m_strText == L"2") {
                failRow = row;
                failCol = col;
            }
            if (passRow < 0 && cell.m_nColor == kColorPass && cell.m_strText.empty()) {
                passRow = row;
                passCol = col;
            }
        }
    }
    ASSERT_GE(failRow, 0) << "the samples hold a cell two of three logs fail";
    ASSERT_GE(passRow, 0) << "the samples hold a cell every log passes";
    CGridCtrl& grid = *dialog->ChartPageHynix(0)->Grid();
    const int driveRows = chart.DriveRows();
    const int row = CMFCPageDDRHynix::GridRow(failRow, driveRows);
    const int col = CMFCPageDDRHynix::GridCol(failCol);
    EXPECT_EQ(grid.GetItemText(row, col), QStringLiteral("2"));
    EXPECT_EQ(CellColour(grid, row, col), QColor(255, 0, 0));
    const int greenRow = CMFCPageDDRHynix::GridRow(passRow, driveRows);
    const int greenCol = CMFCPageDDRHynix::GridCol(passCol);
    EXPECT_TRUE(grid.GetItemText(greenRow, greenCol).isEmpty());
    EXPECT_EQ(CellColour(grid, greenRow, greenCol), QColor(0, 255, 0));
    // Header layout: three fixed columns, captions in the first title row.
    EXPECT_EQ(grid.GetFixedColumnCount(), 3);
    EXPECT_EQ(grid.GetItemText(2, 1), QStringLiteral("varro_drv_stg(ohm)"));
    EXPECT_EQ(grid.GetItemText(2, 2), QStringLiteral("hynix_drv_stg(ohm)"));
    EXPECT_EQ(grid.GetItemText(3, 1), QStringLiteral(" 48"));
    EXPECT_EQ(grid.GetItemText(3, 2), QStringLiteral(" 34"));
    EXPECT_EQ(grid.GetColumnWidth(0), 40);
    EXPECT_EQ(grid.GetColumnWidth(1), 70);
    EXPECT_EQ(grid.GetColumnWidth(2), 90);
    EXPECT_EQ(grid.GetRowHeight(2), 24);
}

TEST_F(QuillonHynixEmmcDlgTest, HynixCtrlWheelZoomsTo101AndStopsAt120) {
    auto dialog = OpenDialog(3, kSamples / "hynix");
    ASSERT_TRUE(dialog->OnAnalyse());
    CMFCPageDDRHynix& page = *dialog->ChartPageHynix(0);
    CGridCtrl& grid = *page.Grid();
    ASSERT_EQ(grid.GetRowHeight(3), 36);
    Wheel(grid, Qt::NoModifier);
    EXPECT_EQ(page.ZoomValue(), 100);
    Wheel(grid, Qt::ControlModifier);
    EXPECT_EQ(page.ZoomValue(), 101);
    EXPECT_EQ(grid.GetRowHeight(3), 37);
    EXPECT_EQ(grid.GetColumnWidth(2), 91);
    EXPECT_EQ(grid.GetColumnWidth(0), 38);
    EXPECT_EQ(grid.GetColumnWidth(1), 90);
    for (int notch = 0; notch < 20; ++notch) {
        Wheel(grid, Qt::ControlModifier);
    }
    EXPECT_EQ(page.ZoomValue(), 120);
    EXPECT_EQ(grid.GetRowHeight(3), 36 + 20); // twenty steps, then the limit stops them
    EXPECT_EQ(grid.GetColumnWidth(3), 36 + 20);
    EXPECT_EQ(grid.GetColumnWidth(2), 91); // set back to 90 before every step

    // Chart Max does nothing on Hynix pages; Write bin neither.
    bool ran = false;
    dialog->SetChartMaxRunner([&ran](CMFCPageDDR&) { ran = true; });
    dialog->SetEmmcChartMaxRunner([&ran](CMFCPageEMMC&) { ran = true; });
    dialog->OnChartMax();
    EXPECT_FALSE(ran);
}

TEST_F(QuillonHynixEmmcDlgTest, EmmcMergedPageShowsEveryLogsLetterWithTheLastColour) {
    // Mode 1 (W, R and C tags): three logs flag the same cell W, W and R.
    const char* flags[] = {"(W)", "(W)", "(R)"};
    for (int log = 0; log < 3; ++log) {
        WriteLog("board" + std::to_string(log) + ".txt",
                 std::string("scan\nPDATA=0x1, PCLK=0x0, WRDL=0x2, RPOS=0x3 ") + flags[log] +
                     "\nPDATA=0x0, PCLK=0x1, WRDL=0x0, RPOS=0x0 (C)\n");
    }
    auto dialog = OpenDialog(4, m_dir / "logs");
    CChildDlgEMMC* panel = dialog->PanelEMMC();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(panel->isVisible());
    // Small blocks: every maximum 0x3.
    for (EEmmcField field : {kEmmcRowMax, kEmmcColMax, kEmmcInRowMax, kEmmcInColMax}) {
        QTest::keyClicks(panel->FieldBox(field), QString());
        panel->FieldBox(field)->selectAll();
        QTest::keyClicks(panel->FieldBox(field), QStringLiteral("0x3"));
    }
    ASSERT_TRUE(dialog->OnAnalyse());
    EXPECT_EQ(dialog->Session().EmmcLogMode(), 1);
    ASSERT_EQ(dialog->Tabs()->count(), 4);
    CMergePageDlg* merge = dialog->MergePage();
    ASSERT_NE(merge, nullptr);
    CGridCtrl& grid = *merge->Grid();
    EXPECT_EQ(grid.GetRowCount(), 4 * (4 + 1) + 2);
    EXPECT_EQ(grid.GetColumnCount(), 4 * 4 + 2);
    const int row = CMFCPageEMMC::GridRow(1, 2, 4); // row value PDATA 1, in-block WRDL 2
    const int col = CMFCPageEMMC::GridCol(0, 3, 4); // column value PCLK 0, in-block RPOS 3
    EXPECT_EQ(grid.GetItemText(row, col), QStringLiteral("WWR"));
    EXPECT_EQ(CellColour(grid, row, col), QColor(255, 0, 0));
    // A cell no log flags passes in mode 1: white and empty.
    const int blank = CMFCPageEMMC::GridCol(0, 0, 4);
    EXPECT_TRUE(grid.GetItemText(CMFCPageEMMC::GridRow(0, 0, 4), blank).isEmpty());
    EXPECT_EQ(CellColour(grid, CMFCPageEMMC::GridRow(0, 0, 4), blank), QColor(255, 255, 255));
    // Headers carry the parameter names of the panel.
    EXPECT_EQ(grid.GetItemText(0, 0), QStringLiteral("PCLK"));
    EXPECT_EQ(grid.GetItemText(0, 2), QStringLiteral("PCLK 0x0"));
    EXPECT_EQ(grid.GetItemText(CMFCPageEMMC::GridRow(1, 0, 4), 0), QStringLiteral("PDATA 0x1"));
    EXPECT_EQ(grid.GetItemText(2, 1), QStringLiteral("WRDL"));
    EXPECT_EQ(grid.GetColumnWidth(0), 75);
    EXPECT_EQ(grid.GetColumnWidth(1), 43);
    EXPECT_EQ(grid.GetRowHeight(0), 15);
    // Every separator row is merged over the data part, the fourth included.
    for (int block = 0; block < 4; ++block) {
        const int title = 2 + block * 5;
        EXPECT_EQ(grid.GetMergedRange(title, 5).GetMaxCol(), grid.GetColumnCount() - 1) << block;
    }
}

TEST_F(QuillonHynixEmmcDlgTest, RecommendedValuesAreShownAndWriteBinWritesTheEditedOnes) {
    const fs::path image = m_dir / "image.bin";
    std::ofstream(image, std::ios::binary) << std::string(0x6000, '\x5A');
    auto dialog = OpenDialog(5, kSamples / "emmc_ddr50", image);
    ASSERT_TRUE(dialog->OnAnalyse());
    ASSERT_TRUE(dialog->Session().EmmcBest().has_value());
    const SEmmcBestPoint best = *dialog->Session().EmmcBest();
    CMergePageDlg* merge = dialog->MergePage();
    ASSERT_NE(merge, nullptr);
    EXPECT_EQ(merge->ValueLabel(0)->text(), QStringLiteral("CP"));
    EXPECT_EQ(merge->ValueLabel(3)->text(), QStringLiteral("RN"));
    EXPECT_EQ(merge->ValueBox(0)->text().toStdWString(), FormatW(L"0x%X", best.nRow));
    EXPECT_EQ(merge->ValueBox(1)->text().toStdWString(), FormatW(L"0x%X", best.nCol));
    EXPECT_EQ(merge->ValueBox(2)->text().toStdWString(), FormatW(L"0x%X", best.nInRow));
    EXPECT_EQ(merge->ValueBox(3)->text().toStdWString(), FormatW(L"0x%X", best.nInCol));

    // The user types a new in-block column value; Write bin takes it.
    merge->ValueBox(3)->selectAll();
    QTest::keyClicks(merge->ValueBox(3), QStringLiteral("0x2A"));
    dialog->OnWriteBin();
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(image, bytes));
    ASSERT_EQ(bytes.size(), 0x6000u);
    auto word = [&bytes](size_t offset) {
        uint32_t value = 0;
        for (size_t i = 0; i < 4; ++i) {
            value |= uint32_t(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
        }
        return value;
    };
    const size_t block = 0x5CA0; // the DDR50 block
    EXPECT_EQ(word(0x5C80), 17u);
    EXPECT_EQ(word(0x5C84), 48u);
    EXPECT_EQ(word(block), 0xEAC1DD50u);
    EXPECT_EQ(word(block + 4), uint32_t(best.nRow));
    EXPECT_EQ(word(block + 8), uint32_t(best.nCol));
    EXPECT_EQ(word(block + 12), uint32_t(best.nInRow));
    EXPECT_EQ(word(block + 16), 0x2Au);
    EXPECT_EQ(word(block + 20),
              0xEAC1DD50u ^ uint32_t(best.nRow) ^ uint32_t(best.nCol) ^ uint32_t(best.nInRow) ^
                  0x2Au);
    EXPECT_EQ(bytes[0x5C88], '\x5A'); // the SDR50 block keeps its bytes
    EXPECT_EQ(m_prompt.Texts().back(), L"写EMMC ddr50数据到bin文件成功");

    // From a log tab Write bin refuses.
    dialog->Tabs()->setCurrentIndex(1);
    dialog->OnWriteBin();
    EXPECT_EQ(m_prompt.Texts().back(),
              L"could not write back to bin file when the chart view is not statistics chart view");
}

TEST_F(QuillonHynixEmmcDlgTest, EmmcZoomStopsAt65And135AndChartMaxOpensTheTab) {
    auto dialog = OpenDialog(4, kSamples / "emmc_sdr50");
    ASSERT_TRUE(dialog->OnAnalyse());
    CMFCPageEMMC& page = *dialog->ChartPageEMMC(0);
    CGridCtrl& grid = *page.Grid();
    ASSERT_EQ(grid.GetRowHeight(3), 35);
    ASSERT_EQ(grid.GetColumnWidth(2), 35);
    Wheel(grid, Qt::ControlModifier, -1);
    EXPECT_EQ(page.ZoomValue(), 99);
    EXPECT_EQ(grid.GetRowHeight(3), 34);
    EXPECT_EQ(grid.GetColumnWidth(2), 34);
    EXPECT_EQ(grid.GetColumnWidth(1), 43);
    for (int notch = 0; notch < 40; ++notch) {
        Wheel(grid, Qt::ControlModifier, -1);
    }
    EXPECT_EQ(page.ZoomValue(), 65);
    // 99 .. 66 shrank the width to 1; the step to 65 would make it 0, so it stays.
    EXPECT_EQ(grid.GetColumnWidth(2), 1);
    for (int notch = 0; notch < 80; ++notch) {
        Wheel(grid, Qt::ControlModifier);
    }
    EXPECT_EQ(page.ZoomValue(), 135);
    EXPECT_EQ(grid.GetColumnWidth(2), 1 + (135 - 65)); // 135 is a step, 136 stops

    dialog->Tabs()->setCurrentIndex(2);
    bool ran = false;
    dialog->SetEmmcChartMaxRunner([&](CMFCPageEMMC& shown) {
        ran = true;
        EXPECT_TRUE(shown.IsMaximised());
        EXPECT_EQ(shown.Grid()->GetRowCount(), dialog->ChartPageEMMC(2)->Grid()->GetRowCount());
        EXPECT_EQ(shown.Grid()->GetItemText(0, 2), dialog->ChartPageEMMC(2)->Grid()->GetItemText(0, 2));
    });
    dialog->OnChartMax();
    EXPECT_TRUE(ran);
}

TEST_F(QuillonHynixEmmcDlgTest, EmmcPanelKeepsEachFlavourInItsOwnProfileSection) {
    {
        auto dialog = OpenDialog(4, kSamples / "emmc_sdr50");
        CChildDlgEMMC* panel = dialog->PanelEMMC();
        EXPECT_EQ(panel->FieldBox(kEmmcRowName)->text(), QStringLiteral("PDATA"));
        EXPECT_EQ(panel->FieldLabel(kEmmcColName)->text(), QStringLiteral("Data Pin:"));
        panel->FieldBox(kEmmcRowName)->selectAll();
        QTest::keyClicks(panel->FieldBox(kEmmcRowName), QStringLiteral("PDX"));
        // Switching flavour keeps the SDR50 edit in its section and shows the DDR50 fields.
        dialog->LogTypeAction(5)->trigger();
        EXPECT_EQ(panel->FieldBox(kEmmcRowName)->text(), QStringLiteral("CP"));
        EXPECT_EQ(panel->FieldLabel(kEmmcColName)->text(), QStringLiteral("Write Delay:"));
        panel->FieldBox(kEmmcInColName)->selectAll();
        QTest::keyClicks(panel->FieldBox(kEmmcInColName), QStringLiteral("RNX"));
        dialog->OnOK();
    }
    std::unique_ptr<QSettings> profile = CQuillonDlg::OpenProfile();
    EXPECT_EQ(profile->value(QStringLiteral("CChildDlgEMMC_sdr/行参数名称")).toString(),
              QStringLiteral("PDX"));
    EXPECT_EQ(profile->value(QStringLiteral("CChildDlgEMMC_ddr/块内部列参数名称")).toString(),
              QStringLiteral("RNX"));
    auto dialog = OpenDialog(4, kSamples / "emmc_sdr50");
    EXPECT_EQ(dialog->PanelEMMC()->FieldBox(kEmmcRowName)->text(), QStringLiteral("PDX"));
}

TEST_F(QuillonHynixEmmcDlgTest, ResetEmptiesTheHynixPanelAndTheTabs) {
    auto dialog = OpenDialog(3, kSamples / "hynix");
    ASSERT_TRUE(dialog->OnAnalyse());
    ASSERT_FALSE(dialog->PanelHynix()->RateBox(0)->text().isEmpty());
    dialog->OnReset();
    EXPECT_EQ(dialog->Tabs()->count(), 0);
    EXPECT_TRUE(dialog->PanelHynix()->RateBox(0)->text().isEmpty());
    // The stored list comes back: four rows "0", "48/34", "36", "-3".
    ASSERT_EQ(dialog->PanelHynix()->List()->rowCount(), 4);
    EXPECT_EQ(dialog->PanelHynix()->List()->item(0, 1)->text(), QStringLiteral("48/34"));
}

TEST_F(QuillonHynixEmmcDlgTest, SortBoxRebuildsHynixTabsAndLeavesEmmcTabsAlone) {
    auto dialog = OpenDialog(3, kSamples / "hynix");
    ASSERT_TRUE(dialog->OnAnalyse());
    ASSERT_EQ(dialog->Tabs()->tabText(3), QStringLiteral("hynix_board03_weak.txt"));
    // Ascending by the weakest byte's rate: the weak board comes first.
    dialog->SortBox()->setCurrentIndex(1);
    dialog->OnSortChanged(1);
    ASSERT_EQ(dialog->Tabs()->count(), 4);
    EXPECT_EQ(dialog->Tabs()->tabText(1), QStringLiteral("hynix_board03_weak.txt"));
    ASSERT_NE(dialog->ChartPageHynix(1), nullptr);
    dialog->Tabs()->setCurrentIndex(1);
    EXPECT_NE(dialog->ChartPageHynix(1)->Grid(), nullptr);

    dialog->LogTypeAction(4)->trigger();
    dialog->DirectoryBox()->setText(QString::fromStdString((kSamples / "emmc_sdr50").string()));
    ASSERT_TRUE(dialog->OnAnalyse());
    CMFCPageEMMC* before = dialog->ChartPageEMMC(1);
    dialog->SortBox()->setCurrentIndex(2);
    dialog->OnSortChanged(2);
    EXPECT_EQ(dialog->ChartPageEMMC(1), before);
    EXPECT_EQ(dialog->Tabs()->count(), 3);
}

TEST_F(QuillonHynixEmmcDlgTest, HynixListComesFromItsProfileSectionAndGoesBackOnOK) {
    {
        std::unique_ptr<QSettings> profile = CQuillonDlg::OpenProfile();
        profile->setValue(QStringLiteral("CChildDlgDDRHynix/item1_sdll_phs_dly"),
                          QStringLiteral("54"));
        profile->setValue(QStringLiteral("CChildDlgDDRHynix/item2_BYTE"), QStringLiteral("3"));
        profile->sync();
    }
    {
        auto dialog = OpenDialog(3, kSamples / "hynix");
        CEditListCtrl* list = dialog->PanelHynix()->List();
        ASSERT_EQ(list->rowCount(), 4);
        EXPECT_EQ(list->item(1, 2)->text(), QStringLiteral("54"));
        EXPECT_EQ(list->item(2, 0)->text(), QStringLiteral("3"));
        EXPECT_EQ(list->item(0, 2)->text(), QStringLiteral("36")); // default
        // An analysis replaces the list; OK stores the shown rows.
        ASSERT_TRUE(dialog->OnAnalyse());
        dialog->OnOK();
        const std::wstring shown = dialog->Session().HynixPanel().Rows()[0][2];
        std::unique_ptr<QSettings> profile = CQuillonDlg::OpenProfile();
        EXPECT_EQ(profile->value(QStringLiteral("CChildDlgDDRHynix/item0_sdll_phs_dly"))
                      .toString()
                      .toStdWString(),
                  shown);
    }
}

} // namespace

namespace {

struct SShareCell {
    int m_nGridRow = 0;
    int m_nGridCol = 0;
    SPassShare m_share;
};

// Strict colours by default; the pass-share view paints the ramp colour of the cell's share
// and the strict view comes back unchanged; the tool tip names the failing logs in both.
void ExpectShareView(CPassShareView& view, CGridCtrl& grid, const SShareCell& cell) {
    ASSERT_NE(view.Bar(), nullptr);
    EXPECT_TRUE(view.Bar()->StrictButton()->isChecked());
    const auto colour = [&] {
        grid.EnsureVisible(cell.m_nGridRow, cell.m_nGridCol);
        const QImage image = grid.viewport()->grab().toImage();
        const QRect rect = grid.GetCellRect(cell.m_nGridRow, cell.m_nGridCol);
        return image.pixelColor(rect.left() + 3, rect.top() + 3);
    };
    const QColor strict = colour();
    const QString tip = view.ToolTip(cell.m_nGridRow, cell.m_nGridCol);
    EXPECT_EQ(tip, QString::fromStdWString(PassShareToolTip(cell.m_share)));
    for (const std::wstring& name : cell.m_share.m_vecFailedLogs) {
        EXPECT_TRUE(tip.contains(QString::fromStdWString(name)));
    }
    QTest::mouseClick(view.Bar()->ShareButton(), Qt::LeftButton);
    ASSERT_TRUE(view.IsShareView());
    EXPECT_EQ(colour(), CPassShareBar::ToQColor(PassShareColor(cell.m_share.Share())));
    EXPECT_EQ(view.ToolTip(cell.m_nGridRow, cell.m_nGridCol), tip);
    const QPoint inside = grid.GetCellRect(cell.m_nGridRow, cell.m_nGridCol).center();
    QHelpEvent help(QEvent::ToolTip, inside, grid.viewport()->mapToGlobal(inside));
    QApplication::sendEvent(grid.viewport(), &help);
    EXPECT_EQ(QToolTip::text(), tip);
    QTest::mouseClick(view.Bar()->StrictButton(), Qt::LeftButton);
    EXPECT_FALSE(view.IsShareView());
    EXPECT_EQ(colour(), strict);
    EXPECT_EQ(view.ToolTip(0, 0), QString()); // a header cell
}

// The first cell some logs failed and others passed, else the first with logs.
template <class Cells> std::optional<SShareCell> PickCell(Cells&& forEach) {
    std::optional<SShareCell> any;
    std::optional<SShareCell> partial;
    forEach([&](const SShareCell& cell) {
        if (cell.m_share.m_nLogs == 0) {
            return;
        }
        if (!any) {
            any = cell;
        }
        if (!partial && cell.m_share.m_nPassed > 0 && cell.m_share.m_nPassed < cell.m_share.m_nLogs) {
            partial = cell;
        }
    });
    return partial ? partial : any;
}

} // namespace

TEST_F(QuillonHynixEmmcDlgTest, HynixStatisticsPageHasThePassShareViewAndTips) {
    auto dialog = OpenDialog(3, kSamples / "hynix");
    ASSERT_TRUE(dialog->OnAnalyse());
    CMFCPageDDRHynix& page = *dialog->ChartPageHynix(0);
    const CChartCellsHynix& chart = dialog->Session().Tabs()[0].m_chartHynix;
    const CLogPageList& list = *dialog->Session().PageList();
    ASSERT_NE(page.ShareView(), nullptr);
    const auto cell = PickCell([&](const auto& visit) {
        for (int row = 0; row < chart.DataRowCount(); ++row) {
            for (int col = 0; col < chart.DataColCount(); ++col) {
                visit(SShareCell{CMFCPageDDRHynix::GridRow(row, chart.DriveRows()),
                                 CMFCPageDDRHynix::GridCol(col), chart.Share(list, row, col)});
            }
        }
    });
    ASSERT_TRUE(cell.has_value());
    EXPECT_LT(cell->m_share.m_nPassed, cell->m_share.m_nLogs); // the weak board failed some
    ExpectShareView(*page.ShareView(), *page.Grid(), *cell);
    dialog->Tabs()->setCurrentIndex(1);
    EXPECT_EQ(dialog->ChartPageHynix(1)->ShareView(), nullptr); // a log's page has none
}

TEST_F(QuillonHynixEmmcDlgTest, EmmcStatisticsPageHasThePassShareViewAndTips) {
    auto dialog = OpenDialog(5, kSamples / "emmc_ddr50");
    ASSERT_TRUE(dialog->OnAnalyse());
    CMergePageDlg* merge = dialog->MergePage();
    ASSERT_NE(merge, nullptr);
    ASSERT_NE(merge->ShareView(), nullptr);
    const CLogPageList& list = *dialog->Session().PageList();
    int subRows = 0;
    int subCols = 0;
    list.GetMergedPage()->GetBlockSize(subRows, subCols);
    const auto cell = PickCell([&](const auto& visit) {
        CChartCellsEMMC::ForEachCell(*list.GetMergedPage(), [&](const SEmmcChartCell& c) {
            visit(SShareCell{CMFCPageEMMC::GridRow(c.nRow, c.nInRow, subRows),
                             CMFCPageEMMC::GridCol(c.nCol, c.nInCol, subCols),
                             list.CellShare(c.nRow, c.nCol, {c.nInCol, c.nInRow})});
        });
    });
    ASSERT_TRUE(cell.has_value());
    EXPECT_EQ(cell->m_share.m_nLogs, 2);
    EXPECT_EQ(merge->GridShare(cell->m_nGridRow, cell->m_nGridCol), cell->m_share);
    ExpectShareView(*merge->ShareView(), *merge->Grid(), *cell);
}
