#include "QuillonDlg.h"
#include "QuillonWindowFixture.h"

#include "EditListCtrl.h"
#include "FileUtil.h"
#include "GridCtrl.h"
#include "LaneSwapMap.h"
#include "MFCPageDDR.h"
#include "PassShareBar.h"
#include "PromptDlg.h"
#include "QuillonCli.h"
#include "ResultPanelDDR.h"
#include "SettingsFile.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QImage>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QToolTip>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <random>

#include <sys/wait.h>
#include <unistd.h>

using namespace quillon;

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon";

// The per-user profile of this test program lives in a scratch folder; QSettings takes the
// folder once, so it is set before anything of Qt runs.
struct SScratchProfile {
    SScratchProfile() { setenv("XDG_CONFIG_HOME", m_folder.Path().c_str(), 1); }
    testsupport::CScratchFolder m_folder{"quillon_ui_profile"};
};
const SScratchProfile kProfile;

class QuillonDlgTest : public CQuillonWindowTest {
protected:
    void WriteSettings(const std::string& text) { m_settingsFile.Write(text); }
    fs::path MakeImage(const std::string& name) {
        std::string bytes(30000, '\0');
        std::mt19937 rng(5);
        for (char& c : bytes) {
            c = static_cast<char>(rng() & 0xFF);
        }
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return path;
    }
    static std::string Bytes(const fs::path& path) {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(path, bytes));
        return bytes;
    }
    static std::vector<std::string> CliMessages(const SAnalyseOutput& out) {
        std::vector<std::string> texts;
        for (const json& m : out.m_doc["messages"]) {
            texts.push_back(m["text"].get<std::string>());
        }
        return texts;
    }
    std::vector<std::string> WindowMessages() const {
        std::vector<std::string> texts;
        for (const std::wstring& text : m_prompt.Texts()) {
            texts.push_back(WideToUtf8(text));
        }
        return texts;
    }
    static void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    static QStringList TabLabels(const CQuillonDlg& dialog) {
        QStringList labels;
        for (int i = 0; i < dialog.Tabs()->count(); ++i) {
            labels << dialog.Tabs()->tabText(i);
        }
        return labels;
    }
    // The colour painted at a grid cell (near its top-left corner, away from its text).
    static QColor CellColour(CGridCtrl& grid, int row, int col) {
        grid.EnsureVisible(row, col);
        const QImage image = grid.viewport()->grab().toImage();
        const QRect rect = grid.GetCellRect(row, col);
        return image.pixelColor(rect.left() + 3, rect.top() + 3);
    }
    static QColor ToColor(ColorRef c) {
        return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
    }
};

TEST_F(QuillonDlgTest, FreshStartWithoutSettingsFileAndProfile) {
    CQuillonDlg dialog;
    dialog.show();
    EXPECT_EQ(dialog.Session().LogType(), 0);
    EXPECT_TRUE(dialog.LogTypeAction(0)->isChecked());
    for (int type = 1; type < 6; ++type) {
        EXPECT_FALSE(dialog.LogTypeAction(type)->isChecked()) << type;
    }
    EXPECT_TRUE(dialog.LogTypeAction(3)->isEnabled());
    EXPECT_EQ(dialog.LogTypeAction(4)->text(), "eMMC SDR50");
    EXPECT_TRUE(dialog.DirectoryBox()->text().isEmpty());
    EXPECT_TRUE(dialog.ImageBox()->text().isEmpty());
    EXPECT_TRUE(dialog.CheckBox()->isChecked());
    EXPECT_EQ(dialog.SortBox()->currentText(), "sort by log file name");
    EXPECT_EQ(dialog.SortMode(), 2);
    EXPECT_EQ(dialog.windowTitle(), "Quillon Tool  For Pellam");
    EXPECT_FALSE(dialog.Tabs()->isVisible());
    ASSERT_NE(dialog.UsageNotice(), nullptr);
    EXPECT_TRUE(dialog.UsageNotice()->isVisible());
    ASSERT_NE(dialog.PanelDDR(), nullptr);
    CEditListCtrl& list = *dialog.PanelDDR()->List();
    ASSERT_EQ(list.GetItemCount(), 4);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(list.GetItemText(row, 0), "0");
        EXPECT_EQ(list.GetItemText(row, 1), "30");
        EXPECT_EQ(list.GetItemText(row, 2), "36");
        EXPECT_EQ(list.GetItemText(row, 3), "-3");
    }
    EXPECT_EQ(dialog.PanelDDR()->ConclusionLabel()->text(), "ScanAnalyseResult");
    EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(QuillonDlgTest, AnalyseShowsWhatTheCliReportsAndWriteBinFollowsTheSelectedTab) {
    const fs::path cliImage = MakeImage("cli.bin");
    const fs::path windowImage = MakeImage("window.bin");
    const SAnalyseOutput cli = RunCli(kSamples / "lpddr2_pass", 1, cliImage);
    ASSERT_EQ(cli.m_nExitCode, 0);
    const json& pages = cli.m_doc["pages"];

    auto dialog = OpenDialog(1, kSamples / "lpddr2_pass", windowImage);
    EXPECT_FALSE(dialog->UsageNotice() == nullptr);
    Click(dialog->AnalyseButton());
    EXPECT_EQ(dialog->UsageNotice(), nullptr);
    ASSERT_TRUE(dialog->Tabs()->isVisible());

    QStringList expectedLabels;
    for (const json& page : pages) {
        expectedLabels << QString::fromStdString(page["name"].get<std::string>());
    }
    EXPECT_EQ(TabLabels(*dialog), expectedLabels);
    EXPECT_EQ(TabLabels(*dialog).front(), "统计图");
    EXPECT_EQ(dialog->Tabs()->currentIndex(), 0);
    EXPECT_EQ(dialog->windowTitle(), "QuillonTool - [Project:P7 DDRType:ddr2 DDRclk:400]");

    // The panel of every tab equals the batch report of that page.
    CResultPanelDDR& panel = *dialog->PanelDDR();
    for (int tab = 0; tab < dialog->Tabs()->count(); ++tab) {
        SCOPED_TRACE(tab);
        dialog->Tabs()->setCurrentIndex(tab);
        const json& page = pages[size_t(tab)];
        for (int lane = 0; lane < 4; ++lane) {
            EXPECT_EQ(panel.RateBox(lane)->text().toStdString(),
                      page["rateTexts"][size_t(lane)].get<std::string>());
        }
        CEditListCtrl& list = *panel.List();
        ASSERT_EQ(size_t(list.GetItemCount()), page["bestList"].size());
        for (int row = 0; row < list.GetItemCount(); ++row) {
            for (int col = 0; col < 4; ++col) {
                EXPECT_EQ(list.GetItemText(row, col).toStdString(),
                          page["bestList"][size_t(row)][size_t(col)].get<std::string>());
            }
        }
        EXPECT_EQ(panel.ConclusionLabel()->text().toStdString(),
                  page["verdict"]["conclusion"].get<std::string>());
    }

    // Write bin on a log tab is refused and leaves the image alone.
    const std::string before = Bytes(windowImage);
    dialog->Tabs()->setCurrentIndex(2);
    Click(dialog->WriteBinButton());
    EXPECT_EQ(WindowMessages().back(),
              "could not write back to bin file when the chart view is not statistics chart view");
    EXPECT_EQ(Bytes(windowImage), before);

    // From the statistics tab it writes what quillon-cli wrote.
    dialog->Tabs()->setCurrentIndex(0);
    Click(dialog->WriteBinButton());
    EXPECT_EQ(WindowMessages().back(), "wirte DDR data back to bin file success");
    EXPECT_NE(Bytes(windowImage), before);
    EXPECT_EQ(Bytes(windowImage), Bytes(cliImage));
}

TEST_F(QuillonDlgTest, RateBoxesConclusionAndResetAsPainted) {
    auto dialog = OpenDialog(1, kSamples / "lpddr2_fail");
    ASSERT_TRUE(dialog->OnAnalyse());
    CResultPanelDDR& panel = *dialog->PanelDDR();
    const CResultPanelDDRModel& model = dialog->Session().Panel();
    // The weakest lane's box is grey, the others white.
    int weakest = 0;
    for (int lane = 1; lane < 4; ++lane) {
        if (model.Rates().at(lane) < model.Rates().at(weakest)) {
            weakest = lane;
        }
    }
    for (int lane = 0; lane < 4; ++lane) {
        const QImage box = panel.RateBox(lane)->grab().toImage();
        EXPECT_EQ(box.pixelColor(box.width() - 6, box.height() / 2),
                  lane == weakest ? QColor(240, 240, 240) : QColor(255, 255, 255))
            << lane;
    }
    EXPECT_EQ(panel.ConclusionLabel()->text(), "FAIL");
    EXPECT_EQ(panel.ConclusionLabel()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(panel.ReasonLabel()->isVisible());
    EXPECT_NE(panel.ReasonLabel()->text().indexOf("does not reach the standard"), -1);

    // Reset: no tabs, the list from the profile, conclusion and rates empty, reason kept.
    const QString reason = panel.ReasonLabel()->text();
    Click(dialog->ResetButton());
    EXPECT_EQ(dialog->Tabs()->count(), 0);
    EXPECT_FALSE(dialog->Tabs()->isVisible());
    EXPECT_EQ(dialog->Session().PageList(), nullptr);
    EXPECT_TRUE(panel.ConclusionLabel()->text().isEmpty());
    for (int lane = 0; lane < 4; ++lane) {
        EXPECT_TRUE(panel.RateBox(lane)->text().isEmpty());
    }
    EXPECT_EQ(panel.List()->GetItemText(0, 1), "30");
    EXPECT_EQ(panel.ReasonLabel()->text(), reason);
}

TEST_F(QuillonDlgTest, ChartColoursAndBestRunMarksReadBackFromTheScreen) {
    auto dialog = OpenDialog(1, kSamples / "lpddr2_pass");
    ASSERT_TRUE(dialog->OnAnalyse());
    dialog->Tabs()->setCurrentIndex(1);
    CMFCPageDDR& page = *dialog->ChartPage(1);
    CGridCtrl& grid = *page.Grid();
    const CChartCellsDDR& chart = page.Chart();
    ASSERT_EQ(grid.GetRowCount(), 4 * (chart.DriveRows() + 1) + 2);
    ASSERT_EQ(grid.GetColumnCount(), 58);
    EXPECT_EQ(grid.GetItemText(0, 0), "sdll_phs_dly(°)");
    EXPECT_EQ(grid.GetItemText(2, 1), "dev_stg(ohm)");

    // The final colour of every marked cell: the run first, its middle after it.
    std::map<std::pair<int, int>, ColorRef> marked;
    for (const SBestRunMark& mark : dialog->Session().TabView().m_vecMarks) {
        marked[{mark.m_nRow, mark.m_nCol}] = mark.m_nColor;
    }
    ASSERT_FALSE(marked.empty());
    int runCells = 0;
    int middleCells = 0;
    for (const auto& [cell, colour] : marked) {
        const QColor seen = CellColour(grid, CMFCPageDDR::GridRow(cell.first, chart.DriveRows()),
                                       CMFCPageDDR::GridCol(cell.second));
        if (colour == kColorBestMiddle) {
            EXPECT_EQ(seen, QColor(255, 255, 0));
            ++middleCells;
        } else {
            EXPECT_EQ(seen, QColor(0, 200, 0));
            ++runCells;
        }
    }
    EXPECT_EQ(middleCells, 4); // one per lane
    EXPECT_GT(runCells, 4);

    // Unmarked cells show the page's pass and fail colours.
    bool sawPass = false;
    bool sawFail = false;
    for (int row = 0; row < chart.DataRowCount() && !(sawPass && sawFail); ++row) {
        for (int col = 0; col < chart.DataColCount(); ++col) {
            if (marked.count({row, col}) != 0) {
                continue;
            }
            const ColorRef colour = chart.Cell(row, col).m_nColor;
            if ((colour == kColorPass && !sawPass) || (colour == kColorFail && !sawFail)) {
                EXPECT_EQ(CellColour(grid, CMFCPageDDR::GridRow(row, chart.DriveRows()),
                                     CMFCPageDDR::GridCol(col)),
                          ToColor(colour));
                (colour == kColorPass ? sawPass : sawFail) = true;
            }
        }
    }
    EXPECT_TRUE(sawPass);
    EXPECT_TRUE(sawFail);
}

TEST_F(QuillonDlgTest, PassShareViewColoursTheStatisticsCellsAndTipsNameTheFailingLogs) {
    auto dialog = OpenDialog(1, kSamples / "lpddr2_fail");
    ASSERT_TRUE(dialog->OnAnalyse());
    CMFCPageDDR& page = *dialog->ChartPage(0);
    CGridCtrl& grid = *page.Grid();
    const CChartCellsDDR& chart = page.Chart();
    const CLogPageList& list = *dialog->Session().PageList();
    ASSERT_NE(page.ShareBar(), nullptr);
    EXPECT_TRUE(page.ShareBar()->StrictButton()->isChecked()); // strict is the default
    EXPECT_EQ(page.ShareBar()->ShareButton()->text(), "Pass share");
    EXPECT_TRUE(page.ShareBar()->Legend()->isHidden());

    // A cell some logs failed and a cell every log passed, away from the best-run marks.
    std::set<std::pair<int, int>> marked;
    for (const SBestRunMark& mark : dialog->Session().TabView().m_vecMarks) {
        marked.insert({mark.m_nRow, mark.m_nCol});
    }
    ASSERT_FALSE(marked.empty());
    std::optional<std::pair<int, int>> partial;
    std::optional<std::pair<int, int>> full;
    for (int row = 0; row < chart.DataRowCount(); ++row) {
        for (int col = 0; col < chart.DataColCount(); ++col) {
            const SPassShare share = chart.Share(list, row, col);
            if (marked.count({row, col}) != 0 || share.m_nLogs == 0) {
                continue;
            }
            if (!partial && share.m_nPassed > 0 && share.m_nPassed < share.m_nLogs) {
                partial = {{row, col}};
            }
            if (!full && share.m_nPassed == share.m_nLogs) {
                full = {{row, col}};
            }
        }
    }
    ASSERT_TRUE(partial.has_value());
    ASSERT_TRUE(full.has_value());
    const auto at = [&](const std::pair<int, int>& cell) {
        return CellColour(grid, CMFCPageDDR::GridRow(cell.first, chart.DriveRows()),
                          CMFCPageDDR::GridCol(cell.second));
    };
    const SPassShare partialShare = chart.Share(list, partial->first, partial->second);
    EXPECT_EQ(at(*partial), QColor(255, 0, 0)); // strict: failed somewhere, red
    const auto [markRow, markCol] = *marked.begin();
    const QColor markedStrict = at({markRow, markCol});

    QTest::mouseClick(page.ShareBar()->ShareButton(), Qt::LeftButton);
    ASSERT_TRUE(page.IsShareView());
    EXPECT_FALSE(page.ShareBar()->Legend()->isHidden());
    EXPECT_EQ(at(*partial), ToColor(PassShareColor(partialShare.Share())));
    EXPECT_NE(at(*partial), QColor(255, 0, 0));
    EXPECT_EQ(at(*full), QColor(0, 255, 0));
    // The best-run marks belong to the strict view.
    const SPassShare markShare = chart.Share(list, markRow, markCol);
    EXPECT_EQ(at({markRow, markCol}), ToColor(PassShareColor(markShare.Share())));
    // The legend's ramp runs from red to green.
    const QImage ramp = CPassShareBar::RampPixmap(100, 4).toImage();
    EXPECT_EQ(ramp.pixelColor(0, 1), QColor(255, 0, 0));
    EXPECT_EQ(ramp.pixelColor(99, 1), QColor(0, 255, 0));

    // The tool tip names the logs that failed the cell, in both views.
    const int gridRow = CMFCPageDDR::GridRow(partial->first, chart.DriveRows());
    const int gridCol = CMFCPageDDR::GridCol(partial->second);
    const QString tip = page.CellToolTip(gridRow, gridCol);
    ASSERT_FALSE(partialShare.m_vecFailedLogs.empty());
    for (const std::wstring& name : partialShare.m_vecFailedLogs) {
        EXPECT_TRUE(tip.contains(QString::fromStdWString(name))) << tip.toStdString();
    }
    EXPECT_TRUE(tip.startsWith(QStringLiteral("passed in %1 of %2 logs")
                                   .arg(partialShare.m_nPassed)
                                   .arg(partialShare.m_nLogs)));
    grid.EnsureVisible(gridRow, gridCol);
    const QPoint inside = grid.GetCellRect(gridRow, gridCol).center();
    QHelpEvent help(QEvent::ToolTip, inside, grid.viewport()->mapToGlobal(inside));
    QApplication::sendEvent(grid.viewport(), &help);
    EXPECT_EQ(QToolTip::text(), tip);
    EXPECT_EQ(page.CellToolTip(0, 5), QString()); // a header cell

    QTest::mouseClick(page.ShareBar()->StrictButton(), Qt::LeftButton);
    EXPECT_FALSE(page.IsShareView());
    EXPECT_EQ(at(*partial), QColor(255, 0, 0));
    EXPECT_EQ(at({markRow, markCol}), markedStrict);
    EXPECT_EQ(page.CellToolTip(gridRow, gridCol), tip);

    // A log's page has neither the switch nor the tips.
    dialog->Tabs()->setCurrentIndex(1);
    CMFCPageDDR& log = *dialog->ChartPage(1);
    EXPECT_EQ(log.ShareBar(), nullptr);
    EXPECT_EQ(log.CellToolTip(gridRow, gridCol), QString());
}

TEST_F(QuillonDlgTest, CtrlWheelZoomsOneStepPerNotchUpTo120) {
    auto dialog = OpenDialog(1, kSamples / "lpddr2_pass");
    ASSERT_TRUE(dialog->OnAnalyse());
    CMFCPageDDR& page = *dialog->ChartPage(0);
    CGridCtrl& grid = *page.Grid();
    QWidget* viewport = grid.viewport();
    auto wheel = [viewport](Qt::KeyboardModifiers modifiers) {
        const QPointF pos(50, 50);
        QWheelEvent event(pos, viewport->mapToGlobal(pos), QPoint(), QPoint(0, 120), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
    };
    ASSERT_EQ(grid.GetRowHeight(3), 36);
    ASSERT_EQ(grid.GetColumnWidth(2), 36);
    ASSERT_EQ(grid.GetColumnWidth(1), 70);

    wheel(Qt::NoModifier); // scrolls, no zoom
    EXPECT_EQ(page.ZoomValue(), 100);
    EXPECT_EQ(grid.GetColumnWidth(2), 36);

    wheel(Qt::ControlModifier);
    EXPECT_EQ(page.ZoomValue(), 101);
    EXPECT_EQ(grid.GetRowHeight(3), 37);
    EXPECT_EQ(grid.GetColumnWidth(2), 37);
    EXPECT_EQ(grid.GetColumnWidth(0), 35);
    EXPECT_EQ(grid.GetColumnWidth(1), 50);
    EXPECT_EQ(grid.GetRowHeight(2), 24); // the title row of lane 0 stays

    for (int notch = 0; notch < 20; ++notch) {
        wheel(Qt::ControlModifier);
    }
    EXPECT_EQ(page.ZoomValue(), 120);
    EXPECT_EQ(grid.GetRowHeight(3), 36 + 20);
    EXPECT_EQ(grid.GetColumnWidth(57), 36 + 20);

    wheel(Qt::ControlModifier | Qt::ShiftModifier); // another key held: no zoom
    EXPECT_EQ(page.ZoomValue(), 120);
}

TEST_F(QuillonDlgTest, ResultPromptOnlyAfterAPassingStatisticsVerdictWithEnabelOn) {
    struct SCase {
        const char* m_szSettings;
        const char* m_szFolder;
        bool m_bPrompt;
    };
    const SCase cases[] = {
        {"[ResultPrompt]\nPrompt=burn now\nEnabel=1\n", "lpddr2_pass", true},
        {"[ResultPrompt]\nPrompt=burn now\nEnabel=1\n", "lpddr2_fail", false},
        {"[ResultPrompt]\nPrompt=burn now\nEnabel=0\n", "lpddr2_pass", false},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(std::string(c.m_szFolder) + " " + c.m_szSettings);
        WriteSettings(c.m_szSettings);
        m_prompt.Clear();
        auto dialog = OpenDialog(1, kSamples / c.m_szFolder);
        dialog->OnAnalyse();
        ASSERT_GT(dialog->Tabs()->count(), 0);
        const std::vector<std::string> expected =
            c.m_bPrompt ? std::vector<std::string>{"burn now"} : std::vector<std::string>{};
        EXPECT_EQ(WindowMessages(), expected);
    }
}

// A PASS left in the panel by an earlier analysis does not bring the prompt back when the
// new statistics tab gives no verdict at all.
TEST_F(QuillonDlgTest, NoResultPromptFromAnEarlierPassWhenTheNewAnalyseGivesNoVerdict) {
    WriteSettings("[ResultPrompt]\nPrompt=burn now\nEnabel=1\n");
    auto dialog = OpenDialog(1, kSamples / "lpddr2_pass");
    ASSERT_TRUE(dialog->OnAnalyse());
    ASSERT_EQ(WindowMessages(), std::vector<std::string>{"burn now"});
    ASSERT_TRUE(dialog->Session().Panel().Passed());

    WriteSettings("[ResultPrompt]\nPrompt=burn now\nEnabel=1\n[CheckRow]\nMinPassNum=281\n");
    m_prompt.Clear();
    ASSERT_TRUE(dialog->OnAnalyse());
    EXPECT_FALSE(dialog->Session().Panel().VerdictMade());
    EXPECT_EQ(WindowMessages(),
              std::vector<std::string>{"Minimum continuous cell number configurate error"});
}

TEST_F(QuillonDlgTest, Lpddr2SelectionOnDdr3LogsBecomesDdr3AndWriteBinDoesNothing) {
    const fs::path image = MakeImage("fw.bin");
    const std::string before = Bytes(image);
    auto dialog = OpenDialog(1, kSamples / "ddr3", image);
    ASSERT_TRUE(dialog->OnAnalyse());
    EXPECT_EQ(dialog->Session().LogType(), 2);
    EXPECT_TRUE(dialog->LogTypeAction(1)->isChecked()); // the check mark stays
    EXPECT_FALSE(dialog->LogTypeAction(2)->isChecked());
    m_prompt.Clear();
    Click(dialog->WriteBinButton());
    EXPECT_TRUE(m_prompt.Records().empty());
    EXPECT_EQ(Bytes(image), before);
    Click(dialog->AnalyseButton()); // the next Analyse scans DDR3 logs as DDR3
    EXPECT_EQ(dialog->Session().LogType(), 2);
}

TEST_F(QuillonDlgTest, FolderBrowserTitleFollowsTheLogTypeAndCancelKeepsTheBox) {
    auto dialog = OpenDialog(1, "/logs/old");
    QString title;
    QString start;
    QString answer = QStringLiteral("/logs/new");
    dialog->SetFolderChooser([&](const QString& t, const QString& s) {
        title = t;
        start = s;
        return answer;
    });
    dialog->OnLogDirectory();
    EXPECT_EQ(title, "选择 DDR 日志文件所在目录");
    EXPECT_EQ(start, "/logs/old");
    EXPECT_EQ(dialog->DirectoryBox()->text(), "/logs/new");

    dialog->LogTypeAction(4)->trigger();
    answer.clear(); // cancelled
    dialog->OnLogDirectory();
    EXPECT_EQ(title, "选择 EMMC 日志文件所在目录");
    EXPECT_EQ(dialog->DirectoryBox()->text(), "/logs/new");

    dialog->SetFileChooser([](const QString&) { return QStringLiteral("/images/a.bin"); });
    dialog->OnBinFile();
    EXPECT_EQ(dialog->ImageBox()->text(), "/images/a.bin");
}

TEST_F(QuillonDlgTest, WindowAndCliGiveTheSameMessagesInTheSameOrder) {
    // Settings that make every shown tab speak, and a prompt after the statistics tab.
    WriteSettings("[CheckRow]\nRow_DDR2=41\n[ResultPrompt]\nPrompt=burn now\nEnabel=1\n");
    const fs::path image = MakeImage("fw.bin");
    const SAnalyseOutput cli = RunCli(kSamples / "lpddr2_pass", 1, image);
    const std::vector<std::string> cliMessages = CliMessages(cli);
    ASSERT_NE(std::find(cliMessages.begin(), cliMessages.end(), "burn now"), cliMessages.end());

    // The user's order: Analyse, Write bin on the statistics tab, then every log tab.
    auto dialog = OpenDialog(1, kSamples / "lpddr2_pass", MakeImage("fw2.bin"));
    Click(dialog->AnalyseButton());
    Click(dialog->WriteBinButton());
    for (int tab = 1; tab < dialog->Tabs()->count(); ++tab) {
        dialog->Tabs()->setCurrentIndex(tab);
    }
    EXPECT_EQ(WindowMessages(), cliMessages);
}

TEST_F(QuillonDlgTest, ASecondAnalyseThatFailsLeavesNoTabs) {
    auto dialog = OpenDialog(1, kSamples / "lpddr2_pass");
    ASSERT_TRUE(dialog->OnAnalyse());
    ASSERT_EQ(dialog->Tabs()->count(), 5);
    fs::create_directories(m_dir / "empty");
    dialog->DirectoryBox()->setText(QString::fromStdString((m_dir / "empty").string()));
    EXPECT_FALSE(dialog->OnAnalyse());
    EXPECT_EQ(dialog->Tabs()->count(), 0);
    EXPECT_FALSE(dialog->Tabs()->isVisible());
    EXPECT_EQ(dialog->ChartPage(0), nullptr);
    EXPECT_EQ(dialog->Session().PageList(), nullptr);
    EXPECT_EQ(WindowMessages().back(), "find no valid log file, can not made a analysis");

    // An empty directory box keeps nothing from being discarded... but says so.
    dialog->DirectoryBox()->clear();
    EXPECT_FALSE(dialog->OnAnalyse());
    EXPECT_EQ(WindowMessages().back(), "log file directory can not be empty");
}

TEST_F(QuillonDlgTest, ProfileAndSettingsRoundTrip) {
    {
        auto dialog = OpenDialog(2, "/logs/ddr", "/images/fw.bin");
        dialog->CheckBox()->setChecked(false);
        // Editing the drive strength of row 2 sets every row.
        emit dialog->PanelDDR()->List()->valueChanged(2, 1, QStringLiteral("48"));
        for (int row = 0; row < 4; ++row) {
            EXPECT_EQ(dialog->PanelDDR()->List()->GetItemText(row, 1), "48");
        }
        QTest::keyClick(dialog.get(), Qt::Key_Return);
        EXPECT_TRUE(dialog->isVisible()); // OK saves and keeps the dialog open
    }
    EXPECT_EQ(GetSettings().ReadInt(L"LogType", L"Type", 0), 2);
    {
        std::unique_ptr<QSettings> profile = CQuillonDlg::OpenProfile();
        EXPECT_EQ(profile->value(QStringLiteral("CQuillonDlg_Varro/文件目录")).toString(),
                  "/logs/ddr");
        EXPECT_EQ(profile->value(QStringLiteral("CChildDlgDDR/item3_drv_stg")).toString(), "48");
    }
    CQuillonDlg again;
    EXPECT_EQ(again.Session().LogType(), 2);
    EXPECT_TRUE(again.LogTypeAction(2)->isChecked());
    EXPECT_EQ(again.DirectoryBox()->text(), "/logs/ddr");
    EXPECT_EQ(again.ImageBox()->text(), "/images/fw.bin");
    ASSERT_EQ(again.PanelDDR()->List()->GetItemCount(), 4);
    EXPECT_EQ(again.PanelDDR()->List()->GetItemText(0, 1), "48");
    EXPECT_EQ(again.PanelDDR()->List()->GetItemText(0, 2), "36");
}

TEST_F(QuillonDlgTest, SortBoxRebuildsDdr3TabsInTheNewOrder) {
    const SAnalyseOutput cli = RunCli(kSamples / "ddr3", 2, std::nullopt, 1);
    QStringList expected;
    for (const json& page : cli.m_doc["pages"]) {
        expected << QString::fromStdString(page["name"].get<std::string>());
    }
    auto dialog = OpenDialog(2, kSamples / "ddr3");
    ASSERT_TRUE(dialog->OnAnalyse());
    ASSERT_EQ(dialog->Session().LogType(), 2);
    dialog->SortBox()->setCurrentIndex(1);
    dialog->OnSortChanged(1);
    EXPECT_EQ(TabLabels(*dialog), expected);
    EXPECT_EQ(dialog->Tabs()->currentIndex(), 0);
    ASSERT_NE(dialog->ChartPage(dialog->Tabs()->count() - 1), nullptr);
}

TEST_F(QuillonDlgTest, DroppingAFolderAnalysesIt) {
    auto dialog = OpenDialog(1, fs::path());
    EXPECT_TRUE(dialog->acceptDrops());
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(
        QString::fromStdString((kSamples / "lpddr2_pass" / "P7_VR2-0013.txt").string()))});
    EXPECT_FALSE(dialog->DropFolder(&files)); // a file is no folder
    EXPECT_TRUE(dialog->DirectoryBox()->text().isEmpty());

    QMimeData folder;
    folder.setUrls(
        {QUrl::fromLocalFile(QString::fromStdString((kSamples / "lpddr2_pass").string()))});
    EXPECT_TRUE(dialog->DropFolder(&folder));
    EXPECT_EQ(dialog->DirectoryBox()->text().toStdString(), (kSamples / "lpddr2_pass").string());
    EXPECT_EQ(dialog->Tabs()->count(), 5);
}

TEST_F(QuillonDlgTest, ChartMaxOpensTheSelectedPageMaximisedAndKeysCloseIt) {
    auto dialog = OpenDialog(1, kSamples / "lpddr2_pass");
    ASSERT_TRUE(dialog->OnAnalyse());
    dialog->Tabs()->setCurrentIndex(3);
    bool ran = false;
    dialog->SetChartMaxRunner([&](CMFCPageDDR& page) {
        ran = true;
        EXPECT_TRUE(page.IsMaximised());
        EXPECT_EQ(&page.Chart(), &dialog->Session().Tabs()[3].m_chart);
        EXPECT_EQ(page.Grid()->GetRowCount(), dialog->ChartPage(3)->Grid()->GetRowCount());
        page.show();
        QTest::keyClick(&page, Qt::Key_Escape);
        EXPECT_FALSE(page.isVisible());
        EXPECT_EQ(page.result(), QDialog::Accepted);
    });
    dialog->OnChartMax();
    EXPECT_TRUE(ran);

    // An embedded page swallows Escape.
    CMFCPageDDR* embedded = dialog->ChartPage(3);
    QTest::keyClick(embedded, Qt::Key_Escape);
    EXPECT_TRUE(embedded->isVisible());
}

} // namespace

namespace {

// The real program, copied into the test's folder so that its settings file is the test's.
class QuillonProgramTest : public QuillonDlgTest {
protected:
    int RunProgram(const std::string& args) {
        const fs::path program = m_dir / "Quillon";
        fs::copy_file(QUILLON_PATH, program, fs::copy_options::overwrite_existing);
        const std::string command = "cd '" + m_dir.string() + "' && XDG_CONFIG_HOME='" +
                                    (m_dir / "config").string() + "' QT_QPA_PLATFORM=offscreen '" +
                                    program.string() + "' " + args + " >'" +
                                    (m_dir / "out.txt").string() + "' 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(QuillonProgramTest, ScreenshotOfAnAnalysisOnTheSamples) {
    // Also with the progress dialog from the first log on: its repaints run the event loop
    // during the start-up scan, and the picture must still show the finished analysis.
    for (const char* delay : {"", "0"}) {
        SCOPED_TRACE(std::string("progress delay '") + delay + "'");
        if (*delay != '\0') {
            setenv("SUITE_PROGRESS_DELAY_MS", delay, 1);
        }
        const fs::path shot = m_dir / "shot.png";
        fs::remove(shot);
        fs::remove(m_dir / "Quillon.ini");
        const int status = RunProgram("--type lpddr2 '" + (kSamples / "lpddr2_pass").string() +
                                      "' --screenshot '" + shot.string() + "'");
        unsetenv("SUITE_PROGRESS_DELAY_MS");
        ASSERT_EQ(status, 0);
        QImage image;
        ASSERT_TRUE(image.load(QString::fromStdString(shot.string())));
        // The offscreen screen is small: the chart's left part with its first best runs shows.
        EXPECT_GE(image.width(), 600);
        std::map<QRgb, int> colours;
        for (int y = 0; y < image.height(); y += 2) {
            for (int x = 0; x < image.width(); x += 2) {
                ++colours[image.pixel(x, y) & 0xFFFFFF];
            }
        }
        EXPECT_GT(colours[0x00FF00], 100);
        EXPECT_GT(colours[0xFF0000], 100);
        EXPECT_GT(colours[0x00C800], 100);
        // Analyse saved the settings: the program started without a settings file.
        CSettingsFile written;
        written.SetPath(m_dir / "Quillon.ini");
        EXPECT_EQ(written.ReadInt(L"LogType", L"Type", 7), 1);
    }
}

TEST_F(QuillonProgramTest, ExitStatusTellsAFailedAnalysisAndBadArguments) {
    EXPECT_EQ(RunProgram("'" + (m_dir / "none").string() + "' --screenshot '" +
                         (m_dir / "a.png").string() + "'"),
              1);
    EXPECT_TRUE(fs::exists(m_dir / "a.png")); // the picture is still taken
    EXPECT_EQ(RunProgram("--type ddr4"), 64);
    EXPECT_EQ(RunProgram("--help"), 0);
}

} // namespace
