#include "QuillonDlg.h"
#include "OrloUiFixture.h"

#include "EditListCtrl.h"
#include "GridCtrl.h"
#include "MFCPageOrlo.h"
#include "MFCPageOrloMain.h"
#include "OrloGridCells.h"
#include "PassShareBar.h"
#include "PassShareView.h"
#include "SettingsFile.h"
#include "TextUtil.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QToolTip>
#include <QSettings>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <vector>

namespace {

using orloui::SamplesDir;

const std::wstring kPassPrompt = L"所有温度下扫描通过, 请使用推荐参数";

// File names of a folder in the order the scan takes them.
std::vector<std::string> LogNames(const QString& dir) {
    std::vector<std::string> names;
    for (const QString& name : QDir(dir).entryList({QStringLiteral("*.txt")}, QDir::Files,
                                                   QDir::Name | QDir::IgnoreCase)) {
        names.push_back(name.toStdString());
    }
    return names;
}

class CQuillonDlgTest : public orloui::COrloUiTest {
protected:
    void ScanSamples(CQuillonDlg& dlg) {
        dlg.SetDirectories(SamplesDir("normal"), SamplesDir("low"), SamplesDir("high"));
        dlg.show();
        dlg.OnScan();
    }
    /// Copies of one sample log: count files in folder rel of the scratch folder.
    QString CopiesOfALog(const QString& rel, int count) {
        const std::string bytes = orloui::ReadFile(SamplesDir("normal/orlo_b01_n25c.txt"));
        const QString dir = Scratch(rel);
        for (int i = 0; i < count; ++i) {
            EXPECT_TRUE(orloui::WriteFile(
                QDir(dir).filePath(QStringLiteral("log%1.txt").arg(i, 3, 10, QLatin1Char('0'))),
                bytes));
        }
        return dir;
    }
};

TEST_F(CQuillonDlgTest, OpensWithTitleNoticeDisabledRowsAndThirtyTwo) {
    CQuillonDlg dlg;
    EXPECT_EQ(dlg.windowTitle().toStdString(), "Quillon for Orlo V3.0.0.16");
    ASSERT_NE(dlg.Notice(), nullptr);
    EXPECT_EQ(dlg.Notice()->Lines().size(), 5u);
    EXPECT_EQ(dlg.Notice()->geometry(), dlg.TabArea()->geometry()); // over the tab control
    EXPECT_TRUE(dlg.TabArea()->isHidden()); // until a scan gets as far as scanning
    EXPECT_EQ(dlg.ClkwrEdit()->text().toStdString(), "32");
    EXPECT_FALSE(dlg.ClkwrEdit()->isEnabled());
    EXPECT_FALSE(dlg.DirEdit(CQuillonDlg::kLowRow)->isEnabled());
    EXPECT_FALSE(dlg.BrowseButton(CQuillonDlg::kHighRow)->isEnabled());
    EXPECT_TRUE(dlg.ScanButton()->isDefault());
    EXPECT_TRUE(dlg.CheckLogBox()->isChecked()); // IsCheckLogFile/Enable=1
    dlg.IncludeLowBox()->setChecked(true);
    EXPECT_TRUE(dlg.DirEdit(CQuillonDlg::kLowRow)->isEnabled());
    EXPECT_TRUE(dlg.BrowseButton(CQuillonDlg::kLowRow)->isEnabled());
    EXPECT_FALSE(dlg.DirEdit(CQuillonDlg::kHighRow)->isEnabled());
}

TEST_F(CQuillonDlgTest, ScanOfTheSamplesGivesTheStatisticsTabThenOnePerLog) {
    CQuillonDlg dlg;
    ScanSamples(dlg);
    EXPECT_EQ(dlg.Notice(), nullptr);
    EXPECT_TRUE(dlg.TabArea()->isVisible());
    std::vector<std::string> expected = {"统计图"};
    for (const char* sub : {"normal", "low", "high"}) {
        for (const std::string& name : LogNames(SamplesDir(sub))) {
            expected.push_back(name);
        }
    }
    ASSERT_EQ(expected.size(), 11u);
    std::vector<std::string> tabs;
    for (int i = 0; i < dlg.TabBar()->count(); ++i) {
        tabs.push_back(dlg.TabBar()->tabText(i).toStdString());
    }
    EXPECT_EQ(tabs, expected);
    ASSERT_EQ(dlg.Pages().size(), expected.size());
    ASSERT_NE(dlg.MainPage(), nullptr);
    EXPECT_TRUE(dlg.MainPage()->isVisible());
    EXPECT_FALSE(dlg.Pages()[1]->isVisible());
    EXPECT_EQ(dlg.MainPage()->geometry(), dlg.PageRect(0, dlg.size()));
    for (size_t i = 1; i < dlg.Pages().size(); ++i) {
        EXPECT_EQ(QString::fromStdWString(dlg.Pages()[i]->Page()->Name()).toStdString(),
                  expected[i]);
        EXPECT_EQ(dlg.Pages()[i]->PageCount(), 10);
    }
    // The samples pass, so the configured result prompt is the one message.
    EXPECT_EQ(m_prompt.Texts(), std::vector<std::wstring>{kPassPrompt});

    dlg.TabBar()->setCurrentIndex(3);
    EXPECT_TRUE(dlg.Pages()[3]->isVisible());
    EXPECT_FALSE(dlg.MainPage()->isVisible());
    ASSERT_NE(dlg.Pages()[3]->Grid(), nullptr);
    EXPECT_EQ(dlg.Pages()[3]->geometry(), dlg.PageRect(3, dlg.size()));
}

// The window and the batch program run the same session: same verdict, reason, set and counts.
struct SCliCase {
    const char* name;
    const char* key; // settings line replaced, or null
    const char* value;
};

class CQuillonDlgCliTest : public CQuillonDlgTest,
                           public ::testing::WithParamInterface<SCliCase> {};

TEST_P(CQuillonDlgCliTest, StatisticsPageEqualsTheBatchProgram) {
    const SCliCase& c = GetParam();
    if (c.key != nullptr) {
        SetSettings(orloui::SampleSettingsWith(c.key, c.value));
    }
#ifndef ORLO_CLI_PATH
    GTEST_SKIP() << "built without quillon-orlo-cli";
#else
    QProcess cli;
    cli.start(QStringLiteral(ORLO_CLI_PATH),
              {QStringLiteral("scan"), QStringLiteral("--normal"), SamplesDir("normal"),
               QStringLiteral("--low"), SamplesDir("low"), QStringLiteral("--high"),
               SamplesDir("high"), QStringLiteral("--settings"), m_strSettings,
               QStringLiteral("--json")});
    ASSERT_TRUE(cli.waitForFinished(60000));
    const nlohmann::json doc = nlohmann::json::parse(cli.readAllStandardOutput().toStdString());
    ASSERT_FALSE(doc["verdict"].is_null());

    CQuillonDlg dlg;
    ScanSamples(dlg);
    CMFCPageOrloMain* page = dlg.MainPage();
    ASSERT_NE(page, nullptr);
    const bool pass = doc["verdict"]["pass"].get<bool>();
    EXPECT_EQ(page->ResultLabel()->text().toStdString(), pass ? "PASS" : "FAIL");
    EXPECT_EQ(page->ReasonLabel()->text().toStdString(),
              doc["verdict"]["reason"].get<std::string>());
    EXPECT_EQ(dlg.Verdict(), pass);
    CEditListCtrl* list = page->BestList();
    if (doc["best"].is_null()) {
        EXPECT_EQ(list->GetItemCount(), 0);
    } else {
        ASSERT_EQ(list->GetItemCount(), 1);
        const char* const keys[] = {"dqs", "data", "ctl", "clk", "clkwr"};
        for (int col = 0; col < 5; ++col) {
            EXPECT_EQ(list->GetItemText(0, col).toStdString(),
                      std::to_string(doc["best"][keys[col]].get<int>()))
                << keys[col];
        }
    }
    // Every pass count of the merged page shows in its grid cell.
    CGridCtrl* grid = page->Grid();
    ASSERT_NE(grid, nullptr);
    int checked = 0;
    for (const auto& comb : doc["merged"]["combinations"]) {
        const int row = comb["dqs"].get<int>() * 64 + comb["data"].get<int>() * 16 +
                        comb["ctl"].get<int>() * 4 + comb["clk"].get<int>() + 1;
        for (int k = 0; k < orlo::kClkwrCount; ++k) {
            const std::string text = comb["state"][k].get<int>() == 1
                                         ? std::to_string(comb["passCount"][k].get<int>())
                                         : std::string();
            EXPECT_EQ(grid->GetItemText(row, orlo::kOrloFirstClkwrCol + k).toStdString(), text);
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
    // The batch program records the same messages in the same order.
    std::vector<std::wstring> cliMessages;
    for (const auto& m : doc["messages"]) {
        cliMessages.push_back(QString::fromStdString(m["text"].get<std::string>()).toStdWString());
    }
    EXPECT_EQ(m_prompt.Texts(), cliMessages);
#endif
}

INSTANTIATE_TEST_SUITE_P(
    Settings, CQuillonDlgCliTest,
    ::testing::Values(SCliCase{"bundled", nullptr, nullptr},
                      SCliCase{"blockMaximumMissed", "MaxThresholdValue", "100000"},
                      SCliCase{"windowLimitMissed", "clkwr_5", "30"}),
    [](const ::testing::TestParamInfo<SCliCase>& info) { return std::string(info.param.name); });

TEST_F(CQuillonDlgTest, LeavingAndReselectingTheFirstTabJudgesAgainWithoutMovingAnything) {
    CQuillonDlg dlg;
    ScanSamples(dlg);
    CMFCPageOrloMain* page = dlg.MainPage();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(page->VerdictShown());
    ASSERT_EQ(page->ResultLabel()->text().toStdString(), "PASS");
    const QRect list = page->BestList()->geometry();
    const QRect label = page->BestLabel()->geometry();
    const QString best = page->BestList()->GetItemText(0, 4);
    page->BestList()->SetItemText(0, 4, QStringLiteral("x"));

    dlg.TabBar()->setCurrentIndex(1);
    dlg.TabBar()->setCurrentIndex(0);
    EXPECT_EQ(page->BestList()->GetItemText(0, 4), best); // rewritten
    EXPECT_EQ(page->BestList()->geometry(), list);
    EXPECT_EQ(page->BestLabel()->geometry(), label);

    // The settings now fail the scan: the colour turns red, the first texts stay.
    SetSettings(orloui::SampleSettingsWith("MaxThresholdValue", "100000"));
    dlg.TabBar()->setCurrentIndex(2);
    dlg.TabBar()->setCurrentIndex(0);
    EXPECT_FALSE(dlg.Verdict());
    EXPECT_EQ(page->ResultLabel()->text().toStdString(), "PASS");
    EXPECT_EQ(page->ResultLabel()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(page->ReasonLabel()->text().toStdString(), "");
    EXPECT_EQ(page->BestList()->geometry(), list);
}

// An empty directory box stops the scan with its message and the focus in that box.
struct SEmptyCase {
    const char* name;
    CQuillonDlg::EDirRow row;
    const wchar_t* message;
    bool pagesKept; // the normal check comes before the previous result is dropped
};

class CQuillonDlgEmptyTest : public CQuillonDlgTest,
                             public ::testing::WithParamInterface<SEmptyCase> {};

TEST_P(CQuillonDlgEmptyTest, StopsWithTheMessageAndFocusesTheBox) {
    const SEmptyCase& c = GetParam();
    CQuillonDlg dlg;
    ScanSamples(dlg);
    ASSERT_EQ(dlg.Pages().size(), 11u);
    m_prompt.Clear();
    dlg.ScanButton()->setFocus();
    dlg.DirEdit(c.row)->setText(QString());
    dlg.OnScan();
    EXPECT_EQ(m_prompt.Texts(), std::vector<std::wstring>{c.message});
    EXPECT_EQ(dlg.focusWidget(), dlg.DirEdit(c.row));
    EXPECT_EQ(dlg.Pages().size(), c.pagesKept ? 11u : 0u);
    EXPECT_EQ(dlg.Session().Result() != nullptr, c.pagesKept);
    EXPECT_EQ(dlg.TabBar()->count(), 11); // tab items stay until the next successful scan
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CQuillonDlgEmptyTest,
    ::testing::Values(
        SEmptyCase{"normal", CQuillonDlg::kNormalRow, L"常温统计文件夹目录不能为空", true},
        SEmptyCase{"low", CQuillonDlg::kLowRow, L"低温统计文件夹目录不能为空", false},
        SEmptyCase{"high", CQuillonDlg::kHighRow, L"高温统计文件夹目录不能为空", false}),
    [](const ::testing::TestParamInfo<SEmptyCase>& info) { return std::string(info.param.name); });

TEST_F(CQuillonDlgTest, AHundredLogsScanAHundredAndOneStopWithTheCount) {
    const QString normal = CopiesOfALog(QStringLiteral("normal"), 60);
    const QString low = CopiesOfALog(QStringLiteral("low"), 40);
    CQuillonDlg dlg;
    dlg.SetDirectories(normal, low, QString());
    dlg.show();
    dlg.OnScan();
    EXPECT_EQ(dlg.TabBar()->count(), 101);
    EXPECT_EQ(dlg.Pages().size(), 101u);
    EXPECT_EQ(dlg.MainPage()->PageCount(), 100);

    CopiesOfALog(QStringLiteral("low"), 41);
    m_prompt.Clear();
    dlg.OnScan();
    EXPECT_EQ(m_prompt.Texts(),
              std::vector<std::wstring>{L"待扫描文件数目: 101,   超出最大支持文件数目:100 "
                                        L"\n请减少日志文件数目或拆分到不同文件夹做多次扫描"});
    EXPECT_TRUE(dlg.Pages().empty());
    EXPECT_EQ(dlg.Session().Result(), nullptr);

    // Without the low box ticked its folder is neither checked nor searched.
    dlg.IncludeLowBox()->setChecked(false);
    m_prompt.Clear();
    dlg.OnScan();
    EXPECT_EQ(dlg.Pages().size(), 61u);
    EXPECT_EQ(dlg.TabBar()->count(), 61);
}

TEST_F(CQuillonDlgTest, FolderWithoutLogsShowsTheNoLogMessage) {
    const QString empty = Scratch(QStringLiteral("empty"));
    QDir().mkpath(empty);
    CQuillonDlg dlg;
    dlg.SetDirectories(empty, QString(), QString());
    dlg.OnScan();
    EXPECT_EQ(m_prompt.Texts(), std::vector<std::wstring>{L"未发现有效日志文件, 无法进行分析"});
    EXPECT_TRUE(dlg.Pages().empty());
    EXPECT_FALSE(dlg.Verdict());
}

// A file that is not an Orlo log: the question when log files are checked, then the
// failure message when the engineer declines; skipped silently when they are not checked.
struct SForeignCase {
    const char* name;
    bool checkLog;
    bool answer;
    std::vector<std::wstring> messages;
    size_t pages;
};

class CQuillonDlgForeignTest : public CQuillonDlgTest,
                               public ::testing::WithParamInterface<SForeignCase> {};

TEST_P(CQuillonDlgForeignTest, ForeignFileAsksSkipsOrFails) {
    const SForeignCase& c = GetParam();
    const QString dir = CopiesOfALog(QStringLiteral("mixed"), 1);
    const QString foreign = QDir(dir).filePath(QStringLiteral("uart.txt"));
    ASSERT_TRUE(orloui::WriteFile(foreign, "U-Boot 2016.07\r\nno scan here\r\n"));
    SetSettings(orloui::SampleSettingsWith("Enabel", "0"));
    m_prompt.Script({c.answer});
    CQuillonDlg dlg;
    dlg.SetDirectories(dir, QString(), QString());
    dlg.CheckLogBox()->setChecked(c.checkLog);
    dlg.show();
    dlg.OnScan();
    std::vector<std::wstring> expected;
    for (std::wstring text : c.messages) {
        const size_t at = text.find(L"%ls");
        if (at != std::wstring::npos) {
            text.replace(at, 3, foreign.toStdWString());
        }
        expected.push_back(text);
    }
    EXPECT_EQ(m_prompt.Texts(), expected);
    EXPECT_EQ(dlg.Pages().size(), c.pages);
    EXPECT_TRUE(dlg.TabArea()->isVisible());
    EXPECT_EQ(GetSettings().ReadInt(L"IsCheckLogFile", L"Enable", -1), c.checkLog ? 1 : 0);
}

const wchar_t* const kForeignQuestion =
    L"扫描失败\nFile: \"%ls\"\n\n不是Orlo的log，跳过扫描失败文件继续分析?";

INSTANTIATE_TEST_SUITE_P(
    Cases, CQuillonDlgForeignTest,
    ::testing::Values(SForeignCase{"declined",
                                   true,
                                   false,
                                   {kForeignQuestion,
                                    L"扫描分析Orlo日志文件失败，请检查日志文件是否正确"},
                                   0},
                      SForeignCase{"skipped", true, true, {kForeignQuestion}, 2},
                      SForeignCase{"unchecked", false, false, {}, 2}),
    [](const ::testing::TestParamInfo<SForeignCase>& info) {
        return std::string(info.param.name);
    });

TEST_F(CQuillonDlgTest, PagesSwallowEnterAndEscape) {
    CQuillonDlg dlg;
    ScanSamples(dlg);
    int scans = 0;
    QObject::connect(dlg.ScanButton(), &QPushButton::clicked, [&scans]() { ++scans; });
    QWidget* grid = dlg.MainPage()->Grid();
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Return);
    QTest::keyClick(grid, Qt::Key_Escape);
    EXPECT_EQ(scans, 0);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), 0);
}

TEST_F(CQuillonDlgTest, HelpMenuOffersTheAboutBox) {
    CQuillonDlg dlg;
    std::vector<std::string> items;
    for (QAction* menu : dlg.MenuBar()->actions()) {
        items.push_back(menu->text().toStdString());
        for (QAction* item : menu->menu()->actions()) {
            items.push_back(item->text().toStdString());
        }
    }
    EXPECT_EQ(items, (std::vector<std::string>{"Help", "&About Quillon...", "Export",
                                               "Chart as PNG...", "Chart as SVG...",
                                               "Cells as CSV...", "Result as text...", "",
                                               "Export report..."}));

    // The item opens the about box modally over the dialog.
    QString opened;
    QString files;
    QTimer::singleShot(0, [&opened, &files]() {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = QString::fromUtf8(modal->metaObject()->className());
            files = modal->toolTip();
            modal->close();
        }
    });
    dlg.MenuBar()->actions().front()->menu()->actions().front()->trigger();
    EXPECT_EQ(opened.toStdString(), "CXAboutDlg");
    // The box names the settings file in use.
    EXPECT_TRUE(files.contains(QString::fromStdWString(PathToWide(GetSettings().Path()))))
        << files.toStdString();
}

// The result prompt follows a passing verdict when ResultPrompt/Enabel is not 0.
struct SPromptCase {
    const char* name;
    const char* enabel;
    bool failVerdict;
    bool shown;
};

class CQuillonDlgPromptTest : public CQuillonDlgTest,
                              public ::testing::WithParamInterface<SPromptCase> {};

TEST_P(CQuillonDlgPromptTest, ResultPromptOnlyAfterAPassWithEnabelOn) {
    const SPromptCase& c = GetParam();
    std::string settings = orloui::SampleSettingsWith("Enabel", c.enabel);
    if (c.failVerdict) {
        const std::string key = "MaxThresholdValue=112";
        settings.replace(settings.find(key), key.size(), "MaxThresholdValue=100000");
    }
    SetSettings(settings);
    CQuillonDlg dlg;
    ScanSamples(dlg);
    EXPECT_EQ(dlg.Verdict(), !c.failVerdict);
    const std::vector<std::wstring> none;
    EXPECT_EQ(m_prompt.Texts(), c.shown ? std::vector<std::wstring>{kPassPrompt} : none);
}

INSTANTIATE_TEST_SUITE_P(Cases, CQuillonDlgPromptTest,
                         ::testing::Values(SPromptCase{"passEnabled", "1", false, true},
                                           SPromptCase{"passDisabled", "0", false, false},
                                           SPromptCase{"failEnabled", "1", true, false}),
                         [](const ::testing::TestParamInfo<SPromptCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(CQuillonDlgTest, ProfileAndCheckLogFileRoundTrip) {
    {
        CQuillonDlg dlg;
        dlg.DirEdit(CQuillonDlg::kNormalRow)->setText(Scratch(QStringLiteral("n")));
        dlg.IncludeLowBox()->setChecked(true);
        dlg.DirEdit(CQuillonDlg::kLowRow)->setText(QStringLiteral("/data/低温"));
        dlg.DirEdit(CQuillonDlg::kHighRow)->setText(QStringLiteral("/data/high"));
        dlg.CheckLogBox()->setChecked(false);
        dlg.OnScan(); // the values are written before any check
    }
    QSettings profile(CQuillonDlg::kProfileOrganisation, CQuillonDlg::kProfileApplication);
    profile.beginGroup(CQuillonDlg::kProfileSection);
    EXPECT_EQ(profile.value(QStringLiteral("常温路径")).toString(), Scratch(QStringLiteral("n")));
    EXPECT_EQ(profile.value(QStringLiteral("低温路径")).toString().toStdString(), "/data/低温");
    EXPECT_EQ(profile.value(QStringLiteral("高温路径")).toString().toStdString(), "/data/high");
    EXPECT_EQ(profile.value(QStringLiteral("统计低温")).toInt(), 1);
    EXPECT_EQ(profile.value(QStringLiteral("统计高温")).toInt(), 0);
    for (const char* key : {"常温阀值", "低温阀值", "高温阀值"}) {
        EXPECT_EQ(profile.value(QString::fromUtf8(key)).toString().toStdString(), "70") << key;
    }
    EXPECT_EQ(GetSettings().ReadInt(L"IsCheckLogFile", L"Enable", -1), 0);

    CQuillonDlg again;
    EXPECT_EQ(again.DirEdit(CQuillonDlg::kNormalRow)->text(), Scratch(QStringLiteral("n")));
    EXPECT_EQ(again.DirEdit(CQuillonDlg::kLowRow)->text().toStdString(), "/data/低温");
    EXPECT_EQ(again.DirEdit(CQuillonDlg::kHighRow)->text().toStdString(), "/data/high");
    EXPECT_TRUE(again.IncludeLowBox()->isChecked());
    EXPECT_FALSE(again.IncludeHighBox()->isChecked());
    EXPECT_TRUE(again.DirEdit(CQuillonDlg::kLowRow)->isEnabled());
    EXPECT_FALSE(again.DirEdit(CQuillonDlg::kHighRow)->isEnabled());
    EXPECT_FALSE(again.CheckLogBox()->isChecked());
}

TEST_F(CQuillonDlgTest, BrowseOffersTheRowTitleAndStartsAtTheBoxOrTheWorkingFolder) {
    CQuillonDlg dlg;
    QString title;
    QString start;
    QString answer = QStringLiteral("/logs/cold");
    dlg.SetFolderChooser([&](const QString& t, const QString& s) {
        title = t;
        start = s;
        return answer;
    });
    dlg.IncludeLowBox()->setChecked(true);
    dlg.OnBrowse(CQuillonDlg::kLowRow);
    EXPECT_EQ(title.toStdString(), "选择Orlo低温日志文件所在目录");
    EXPECT_EQ(start, QDir::currentPath());
    EXPECT_EQ(dlg.DirEdit(CQuillonDlg::kLowRow)->text().toStdString(), "/logs/cold");

    answer.clear(); // cancelled
    dlg.OnBrowse(CQuillonDlg::kLowRow);
    EXPECT_EQ(start.toStdString(), "/logs/cold");
    EXPECT_EQ(dlg.DirEdit(CQuillonDlg::kLowRow)->text().toStdString(), "/logs/cold");

    dlg.OnBrowse(CQuillonDlg::kNormalRow);
    EXPECT_EQ(title.toStdString(), "选择Orlo常温日志文件所在目录");
    dlg.OnBrowse(CQuillonDlg::kHighRow);
    EXPECT_EQ(title.toStdString(), "选择Orlo高温日志文件所在目录");
}

TEST_F(CQuillonDlgTest, ResizingMovesTheRightColumnAndGrowsBoxesTabsAndPages) {
    CQuillonDlg dlg;
    ScanSamples(dlg);
    const QPoint scan = dlg.ScanButton()->pos();
    const QPoint browse = dlg.BrowseButton(CQuillonDlg::kHighRow)->pos();
    const QPoint low = dlg.IncludeLowBox()->pos();
    const QPoint clkwr = dlg.ClkwrEdit()->pos();
    const QPoint checkLog = dlg.CheckLogBox()->pos();
    const QSize edit = dlg.DirEdit(CQuillonDlg::kNormalRow)->size();
    const QSize group = dlg.DirGroup()->size();
    const QRect tabs = dlg.TabArea()->geometry();
    const QSize before = dlg.size();
    const QRect grid = dlg.MainPage()->GridFrame()->geometry();

    dlg.resize(before + QSize(100, 60));
    EXPECT_EQ(dlg.ScanButton()->pos(), scan + QPoint(100, 0));
    EXPECT_EQ(dlg.BrowseButton(CQuillonDlg::kHighRow)->pos(), browse + QPoint(100, 0));
    EXPECT_EQ(dlg.IncludeLowBox()->pos(), low + QPoint(100, 0));
    EXPECT_EQ(dlg.ClkwrEdit()->pos(), clkwr + QPoint(100, 0));
    EXPECT_EQ(dlg.CheckLogBox()->pos(), checkLog + QPoint(100, 60));
    EXPECT_EQ(dlg.DirEdit(CQuillonDlg::kNormalRow)->size(), edit + QSize(100, 0));
    EXPECT_EQ(dlg.DirGroup()->size(), group + QSize(100, 0));
    EXPECT_EQ(dlg.TabArea()->geometry(), tabs.adjusted(0, 0, 100, 60));
    EXPECT_EQ(dlg.MainPage()->geometry(), dlg.PageRect(0, dlg.size()));
    EXPECT_EQ(dlg.MainPage()->width(), dlg.width() - 36);
    EXPECT_EQ(dlg.MainPage()->height(), dlg.height() - 260);
    EXPECT_EQ(dlg.MainPage()->GridFrame()->size(), grid.size() + QSize(100, 60));
}

} // namespace

TEST_F(CQuillonDlgTest, StatisticsTabHasThePassShareViewAndTipsNameTheLogsThatDidNotPass) {
    CQuillonDlg dlg;
    ScanSamples(dlg);
    CMFCPageOrloMain* page = dlg.MainPage();
    ASSERT_NE(page, nullptr);
    ASSERT_NE(page->ShareView(), nullptr);
    CPassShareView& view = *page->ShareView();
    EXPECT_TRUE(view.Bar()->StrictButton()->isChecked());
    EXPECT_EQ(dlg.Pages()[1]->Grid(), nullptr); // log pages are built on demand, without one
    const orlo::OrloPageList& list = *dlg.Session().Result();
    int row = -1;
    int col = -1;
    SPassShare share;
    for (int r = 1; r < orlo::kOrloGridRows && row < 0; ++r) {
        for (int c = orlo::kOrloFirstClkwrCol; c < orlo::kOrloGridCols; ++c) {
            const SPassShare s = orlo::GetOrloCellShare(list, r, c);
            if (s.m_nPassed > 0 && s.m_nPassed < s.m_nLogs) {
                row = r;
                col = c;
                share = s;
                break;
            }
        }
    }
    ASSERT_GE(row, 0) << "no clkwr passed in some logs and failed in others";
    CGridCtrl& grid = *page->Grid();
    const auto colour = [&] {
        grid.EnsureVisible(row, col);
        const QImage image = grid.viewport()->grab().toImage();
        const QRect rect = grid.GetCellRect(row, col);
        return image.pixelColor(rect.left() + 3, rect.top() + 3);
    };
    const QColor strict = colour();
    EXPECT_EQ(strict, QColor(255, 255, 0)); // the strict view: passed in some logs, yellow
    const QString tip = view.ToolTip(row, col);
    EXPECT_EQ(tip, QString::fromStdWString(PassShareToolTip(share)));
    EXPECT_TRUE(tip.contains(QString::fromStdWString(share.m_vecFailedLogs.front())));
    QTest::mouseClick(view.Bar()->ShareButton(), Qt::LeftButton);
    EXPECT_EQ(colour(), CPassShareBar::ToQColor(PassShareColor(share.Share())));
    const QPoint inside = grid.GetCellRect(row, col).center();
    QHelpEvent help(QEvent::ToolTip, inside, grid.viewport()->mapToGlobal(inside));
    QApplication::sendEvent(grid.viewport(), &help);
    EXPECT_EQ(QToolTip::text(), tip);
    QTest::mouseClick(view.Bar()->StrictButton(), Qt::LeftButton);
    EXPECT_EQ(colour(), strict);
}
