// The Sondex window driven as a user would: folder analyses, documents, the result pane,
// the messages and the settings that outlive the window.

#include "SondexWindowTestSupport.h"

#include "ChildFrame.h"
#include "ProgramRun.h"
#include "ResultFormView.h"
#include "ResultListModel.h"
#include "ResultPane.h"
#include "SondexView.h"

#include "LogDocument.h"
#include "TextUtil.h"

#include "GridCtrl.h"
#include "PassShareBar.h"
#include "PassShareView.h"

#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolTip>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

using namespace sondex;
using namespace sondexui;
using nlohmann::json;

namespace {

using testsupport::ShellQuote;

json RunCliJson(const fs::path& folder, const fs::path& config) {
    const testsupport::SProgramRun run = testsupport::RunProgram(
        SONDEX_CLI_PATH,
        "analyse " + ShellQuote(folder) + " --config " + ShellQuote(config) + " --json");
    return json::parse(run.m_strOut, nullptr, false);
}

std::vector<std::string> PromptTexts(const CRecordingPrompt& prompt) {
    std::vector<std::string> out;
    for (const std::wstring& text : prompt.Texts()) {
        out.push_back(WideToUtf8(text));
    }
    return out;
}

/// Pixels of the widget's picture in exactly this colour.
int CountPixels(QWidget* widget, const QColor& colour) {
    const QImage image = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, y).rgb() == colour.rgb() ? 1 : 0;
        }
    }
    return count;
}

/// Texts of a menu's visible items, "-" for a separator.
QStringList ShownActions(const QMenu* menu) {
    QStringList shown;
    for (QAction* action : menu->actions()) {
        if (action->isVisible()) {
            shown.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        }
    }
    return shown;
}

std::vector<std::wstring> Titles(const CMainFrame& frame) {
    std::vector<std::wstring> out;
    for (const CChildFrame* child : frame.Frames()) {
        out.push_back(child->GetDocument()->GetTitle());
    }
    return out;
}

} // namespace

TEST_F(CSondexWindowTest, SampleFolderShowsWhatTheBatchProgramReports) {
    const fs::path logs = kSamples / "logs";
    const json expected = RunCliJson(logs, m_scratch.Path() / "Sondex.ini");
    ASSERT_TRUE(expected.is_object());
    ASSERT_TRUE(expected["statistics"].is_object());

    auto frame = MakeFrame();
    EXPECT_EQ(frame->AnalyzeFolder(Q(logs)), 6);

    // One document per log and the statistics document, which is the active one.
    std::vector<std::wstring> titles(6, L"Project");
    titles.push_back(L"StatisticalChart");
    EXPECT_EQ(Titles(*frame), titles);
    EXPECT_EQ(frame->TabBar()->count(), 7);
    ASSERT_NE(frame->ActiveFrame(), nullptr);
    EXPECT_TRUE(frame->ActiveFrame()->GetDocument()->IsStatistics());

    CResultFormView* form = frame->ResultForm();
    const CResultListModel& model = form->ListModel();
    const json& rows = expected["statistics"]["rows"];
    ASSERT_EQ(model.rowCount(), static_cast<int>(rows.size()));
    ASSERT_GT(rows.size(), 0u);
    for (int r = 0; r < model.rowCount(); ++r) {
        const json& row = rows[static_cast<size_t>(r)];
        EXPECT_EQ(model.data(model.index(r, 0)).toString().toStdString(), row["type"]);
        EXPECT_EQ(model.data(model.index(r, 1)).toString().toInt(), row["passWidth"].get<int>());
        EXPECT_EQ(model.data(model.index(r, 2)).toString().toStdString(), row["result"]);
    }
    EXPECT_EQ(form->VerdictLabel()->text().toStdString(), expected["statistics"]["verdict"]);
    EXPECT_EQ(form->FailListLabel()->text().toStdString(), expected["statistics"]["failListText"]);
    EXPECT_EQ(form->ParameterLabel()->text().toStdString(),
              expected["statistics"]["parameterText"]);
    EXPECT_EQ(PromptTexts(m_prompt).size(), expected["messages"].size());
    for (size_t i = 0; i < expected["messages"].size(); ++i) {
        EXPECT_EQ(PromptTexts(m_prompt)[i], expected["messages"][i]["text"]);
    }
    // The verdict is painted in red for Fail, green for Pass.
    const bool pass = expected["statistics"]["verdict"] == "Pass";
    EXPECT_GT(CountPixels(form->VerdictLabel(),
                          pass ? CResultFormView::kPassColour : CResultFormView::kFailColour),
              100);
    EXPECT_EQ(CountPixels(form->VerdictLabel(),
                          pass ? CResultFormView::kFailColour : CResultFormView::kPassColour),
              0);
    EXPECT_EQ(frame->windowTitle(),
              QStringLiteral("Sondex Tool -- [Project:K7 DDRType:Lpddr3 CLK:800]"));
}

TEST_F(CSondexWindowTest, AllPassedMessageOncePerFolder) {
    const fs::path folder = Folder("pass");
    CopySample(folder, "K7_board01.Txt", "a.Txt");
    CopySample(folder, "K7_board02.Txt", "b.Txt");
    auto frame = MakeFrame();
    ASSERT_EQ(frame->AnalyzeFolder(Q(folder)), 2);
    const std::vector<std::string> once{"所有log均已通过测试"};
    EXPECT_EQ(PromptTexts(m_prompt), once);
    EXPECT_EQ(frame->ResultForm()->VerdictLabel()->text(), QStringLiteral("Pass"));
    EXPECT_EQ(frame->ResultForm()->FailListLabel()->text(), QStringLiteral("All passed"));
    EXPECT_GT(CountPixels(frame->ResultForm()->VerdictLabel(), CResultFormView::kPassColour), 100);

    // Away to a log and back to the statistics: no second message.
    frame->SwitchDocument(-1);
    EXPECT_EQ(frame->ActiveFrame(), frame->Frames()[1]);
    EXPECT_EQ(frame->ResultForm()->ParameterLabel()->text(),
              QStringLiteral("Project:\n\n clk=800 M\n tcnt=20 PS"));
    frame->SwitchDocument(+1);
    EXPECT_EQ(frame->ActiveFrame(), frame->Frames()[2]);
    EXPECT_EQ(PromptTexts(m_prompt), once);

    // The next folder analysis is a new folder: the message comes once more.
    ASSERT_EQ(frame->AnalyzeFolder(Q(folder)), 2);
    EXPECT_EQ(PromptTexts(m_prompt).size(), 2u);
}

TEST_F(CSondexWindowTest, ThirdLogWithoutBlockStopsTheFolder) {
    const fs::path folder = Folder("broken");
    CopySample(folder, "K7_board01.Txt", "a.Txt");
    CopySample(folder, "K7_board02.Txt", "b.Txt");
    const std::string good = ReadBytes(kSamples / "logs" / "K7_board03.Txt");
    // Header lines and both markers, but no record line: no block.
    std::string header;
    size_t at = 0;
    for (int line = 0; line < 5; ++line) {
        at = good.find('\n', at) + 1;
    }
    header = good.substr(0, at);
    WriteBytes(folder / "c.Txt", header + "0x73747172\r\n0x656E6464\r\n");
    CopySample(folder, "K7_board03.Txt", "d.Txt");

    auto frame = MakeFrame();
    EXPECT_EQ(frame->AnalyzeFolder(Q(folder)), 2);
    std::vector<std::wstring> titles{L"Project", L"Project", L"StatisticalChart"};
    EXPECT_EQ(Titles(*frame), titles);
    const std::string message =
        "log file\"" + (folder / "c.Txt").string() + "\" wrong format, please check it";
    // The wrong-format message comes first and once; whether the stopped folder may still
    // count as all passed is the workflow's verdict, not the window's.
    const std::vector<std::string> texts = PromptTexts(m_prompt);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0], message);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), message), 1);
    // The statistics merge the two logs that opened: two results per cell.
    const CLogDocument* stats = frame->Frames().back()->GetDocument();
    ASSERT_NE(stats->GetData(), nullptr);
    size_t cells = 0;
    stats->GetData()->GetTable(0)->ForEachCell([&](int, int, const CCellList& list) {
        EXPECT_EQ(list.size(), 2u);
        ++cells;
    });
    EXPECT_GT(cells, 0u);
    EXPECT_EQ(frame->Workflow().GetPerLogResults().size(), 2u);
}

TEST_F(CSondexWindowTest, SrValueReachesOnlyLogsOpenedAfterwards) {
    const fs::path folder = Folder("sr");
    const fs::path first = CopySample(folder, "K7_board01.Txt", "first.Txt");
    const fs::path second = CopySample(folder, "K7_board02.Txt", "second.Txt");
    auto frame = MakeFrame();
    EXPECT_EQ(frame->SrAction(0)->text(), QStringLiteral("sr =  0"));
    EXPECT_EQ(frame->SrAction(3)->text(), QStringLiteral("sr  = 3"));
    ASSERT_TRUE(frame->OpenLogFile(Q(first)));
    // With a document open the menu is the document's, which spells the last item so.
    EXPECT_EQ(frame->SrAction(3)->text(), QStringLiteral("sr =  3"));
    EXPECT_TRUE(frame->SrAction(0)->isChecked());
    EXPECT_FALSE(frame->SrAction(1)->isChecked());
    frame->SrAction(1)->trigger();
    EXPECT_TRUE(frame->SrAction(1)->isChecked());
    EXPECT_TRUE(frame->Workflow().IsSrSelected(1));
    ASSERT_TRUE(frame->OpenLogFile(Q(second)));

    auto hasSr1 = [](const CLogDocument* doc) {
        for (const auto& [text, width] : doc->GetResults()) {
            if (text.find(L"_sr1") != std::wstring::npos) {
                return true;
            }
        }
        return false;
    };
    ASSERT_EQ(frame->Frames().size(), 2u);
    EXPECT_FALSE(hasSr1(frame->Frames()[0]->GetDocument()));
    EXPECT_TRUE(hasSr1(frame->Frames()[1]->GetDocument()));
    // The form lists the active (second) log's rows, sr 1 among them.
    bool listed = false;
    for (const SResultRow& row : frame->ResultForm()->ListModel().Rows()) {
        listed = listed || row.type.find(L"_sr1") != std::wstring::npos;
    }
    EXPECT_TRUE(listed);
    frame->SrAction(1)->trigger();
    EXPECT_FALSE(frame->Workflow().IsSrSelected(1));
}

TEST_F(CSondexWindowTest, SecondFolderResetsEverything) {
    auto frame = MakeFrame();
    ASSERT_EQ(frame->AnalyzeFolder(Q(kSamples / "logs")), 6);
    EXPECT_EQ(frame->ResultForm()->VerdictLabel()->text(), QStringLiteral("Fail"));
    m_prompt.Clear();

    const fs::path folder = Folder("second");
    CopySample(folder, "K7_board01.Txt", "a.Txt");
    CopySample(folder, "K7_board02.Txt", "b.Txt");
    ASSERT_EQ(frame->AnalyzeFolder(Q(folder)), 2);
    EXPECT_EQ(Titles(*frame),
              (std::vector<std::wstring>{L"Project", L"Project", L"StatisticalChart"}));
    EXPECT_EQ(frame->TabBar()->count(), 3);
    EXPECT_EQ(frame->Workflow().GetPerLogResults().size(), 2u);
    EXPECT_TRUE(frame->Workflow().GetFailList().empty());
    EXPECT_TRUE(frame->Workflow().GetIncompleteList().empty());
    EXPECT_EQ(frame->ResultForm()->VerdictLabel()->text(), QStringLiteral("Pass"));
    EXPECT_EQ(frame->ResultForm()->FailListLabel()->text(), QStringLiteral("All passed"));
    EXPECT_EQ(PromptTexts(m_prompt), std::vector<std::string>{"所有log均已通过测试"});
    EXPECT_EQ(frame->LogFileDir(), Q(folder));
}

TEST_F(CSondexWindowTest, StatisticsCellWithTwoFailuresShowsTwoOnRed) {
    const fs::path folder = Folder("stats");
    CopySample(folder, "K7_board04.Txt", "a.Txt"); // the failing sample log, twice
    CopySample(folder, "K7_board04.Txt", "b.Txt");
    CopySample(folder, "K7_board01.Txt", "c.Txt");
    auto frame = MakeFrame();
    ASSERT_EQ(frame->AnalyzeFolder(Q(folder)), 3);
    CSondexView* view = frame->Frames().back()->GetView();
    ASSERT_FALSE(view->GetTables().empty());

    bool found = false;
    for (const auto& [index, table] : view->GetTables()) {
        table->GetTable()->ForEachCell([&](int tableRow, int tableCol, const CCellList& list) {
            int fails = 0;
            for (const CLogDataDDR r : list) {
                fails += r.GetState() == CLogDataDDR::kFail ? 1 : 0;
            }
            if (found || list.size() != 3 || fails != 2) {
                return;
            }
            found = true;
            CGridCtrl* grid = table->GetGrid();
            // Transposed: the table's column is the grid's row.
            EXPECT_EQ(grid->GetItemText(tableCol, tableRow), QStringLiteral("2"));
            EXPECT_EQ(grid->GetItemBkColour(tableCol, tableRow), CDDRTable::kFailBk);
            const QRect cell = grid->GetCellRect(tableCol, tableRow);
            const QImage image = grid->viewport()->grab().toImage();
            EXPECT_EQ(image.pixelColor(cell.left() + 3, cell.bottom() - 3), QColor(255, 0, 0))
                << tableCol << "," << tableRow;
        });
    }
    EXPECT_TRUE(found) << "no cell failed in two logs and passed in one";
}

TEST_F(CSondexWindowTest, RecentFilesAndFolderSurviveARestart) {
    const fs::path folder = Folder("restart");
    const fs::path a = CopySample(folder, "K7_board01.Txt", "a.Txt");
    const fs::path b = CopySample(folder, "K7_board02.Txt", "b.Txt");
    const fs::path single = CopySample(Folder("one"), "K7_board03.Txt", "single.Txt");
    QStringList recent;
    {
        auto frame = MakeFrame();
        EXPECT_TRUE(frame->RecentFiles().isEmpty());
        EXPECT_EQ(ShownActions(frame->FileMenu()), (QStringList{"&New", "&Open...", "Export", "-", "E&xit"}));
        EXPECT_TRUE(frame->ResultForm()->GetFolderText().isEmpty());
        ASSERT_EQ(frame->AnalyzeFolder(Q(folder)), 2);
        ASSERT_TRUE(frame->OpenLogFile(Q(single)));
        recent = frame->RecentFiles();
        EXPECT_EQ(recent, (QStringList{Q(single), Q(b), Q(a)}));
    }
    auto again = MakeFrame();
    EXPECT_EQ(again->RecentFiles(), recent);
    EXPECT_EQ(again->LogFileDir(), Q(folder));
    EXPECT_EQ(again->ResultForm()->GetFolderText(), Q(folder));
    // The File menu offers them; choosing one opens it.
    QAction* first = nullptr;
    for (QAction* action : again->FileMenu()->actions()) {
        if (action->text() == QStringLiteral("&1 ") + Q(single)) {
            first = action;
        }
    }
    ASSERT_NE(first, nullptr);
    // New, Open, Export, a separator, the recent files, a separator, Exit.
    EXPECT_EQ(ShownActions(again->FileMenu()),
              (QStringList{"&New", "&Open...", "Export", "-", "&1 " + Q(single), "&2 " + Q(b), "&3 " + Q(a),
                           "-", "E&xit"}));
    first->trigger();
    ASSERT_EQ(again->Frames().size(), 1u);
    EXPECT_EQ(again->Frames()[0]->GetDocument()->GetData()->GetName(), L"single.Txt");
}

TEST_F(CSondexWindowTest, RecentFilesKeepFourAndDropOnesThatNoLongerOpen) {
    const fs::path folder = Folder("many");
    for (const char* name : {"a.Txt", "b.Txt", "c.Txt", "d.Txt", "e.Txt"}) {
        CopySample(folder, "K7_board01.Txt", name);
    }
    auto frame = MakeFrame();
    ASSERT_EQ(frame->AnalyzeFolder(Q(folder)), 5);
    EXPECT_EQ(frame->RecentFiles(), (QStringList{Q(folder / "e.Txt"), Q(folder / "d.Txt"),
                                                 Q(folder / "c.Txt"), Q(folder / "b.Txt")}));
    fs::remove(folder / "d.Txt");
    m_prompt.Clear();
    EXPECT_FALSE(frame->OpenLogFile(Q(folder / "d.Txt")));
    EXPECT_EQ(frame->RecentFiles(),
              (QStringList{Q(folder / "e.Txt"), Q(folder / "c.Txt"), Q(folder / "b.Txt")}));
    ASSERT_FALSE(m_prompt.Texts().empty());
    EXPECT_EQ(m_prompt.Texts().back(),
              L"open log file\"" + PathToWide(folder / "d.Txt") + L"\" failed, please check it");
}

TEST_F(CSondexWindowTest, AnalyzeWithAnEmptyFolderBoxSaysSo) {
    auto frame = MakeFrame();
    frame->ResultForm()->SetFolderText(QString());
    QTest::mouseClick(frame->ResultForm()->AnalyzeButton(), Qt::LeftButton);
    EXPECT_EQ(m_prompt.Texts(), std::vector<std::wstring>{L"当前文件夹路径为空"});
    EXPECT_TRUE(frame->Frames().empty());

    const fs::path folder = Folder("typed");
    CopySample(folder, "K7_board01.Txt", "a.Txt");
    frame->ResultForm()->FolderEdit()->setText(Q(folder));
    QTest::mouseClick(frame->ResultForm()->AnalyzeButton(), Qt::LeftButton);
    EXPECT_EQ(frame->Frames().size(), 2u);
}

TEST_F(CSondexWindowTest, LogDirAnalysesANewlyChosenFolderOnly) {
    const fs::path folder = Folder("Chosen");
    CopySample(folder, "K7_board01.Txt", "a.Txt");
    auto frame = MakeFrame();
    QStringList starts;
    QString answer = Q(folder);
    frame->SetFolderChooser([&](const QString& start) {
        starts.append(start);
        return answer;
    });
    QTest::mouseClick(frame->ResultForm()->LogDirButton(), Qt::LeftButton);
    EXPECT_EQ(frame->Frames().size(), 2u);
    EXPECT_EQ(frame->ResultForm()->GetFolderText(), Q(folder));
    ASSERT_EQ(starts.size(), 1);
    EXPECT_EQ(starts[0], QDir::currentPath()); // no folder analysed before

    // The same folder again, in other letters: nothing happens.
    const auto before = frame->Frames();
    answer = Q(folder).toUpper();
    QTest::mouseClick(frame->ResultForm()->LogDirButton(), Qt::LeftButton);
    EXPECT_EQ(frame->Frames(), before);
    EXPECT_EQ(starts.last(), Q(folder)); // starts at the last analysed folder
    // Cancelled: nothing happens either.
    answer.clear();
    QTest::mouseClick(frame->ResultForm()->LogDirButton(), Qt::LeftButton);
    EXPECT_EQ(frame->Frames(), before);
}

TEST_F(CSondexWindowTest, EmptyFolderOpensNothing) {
    auto frame = MakeFrame();
    const fs::path empty = Folder("empty");
    fs::create_directories(empty);
    EXPECT_EQ(frame->AnalyzeFolder(Q(empty)), 0);
    EXPECT_TRUE(frame->Frames().empty());
    EXPECT_EQ(frame->Workflow().GetStatisticsDocument(), nullptr);
    EXPECT_TRUE(frame->LogFileDir().isEmpty());
    EXPECT_NE(frame->Notice(), nullptr); // no view opened, the notice stays
}

TEST_F(CSondexWindowTest, UsageNoticeUntilTheFirstLogView) {
    auto frame = MakeFrame();
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Sondex Tool"));
    ASSERT_NE(frame->Notice(), nullptr);
    EXPECT_EQ(frame->Notice()->objectName(), QStringLiteral("prompt"));
    EXPECT_EQ(frame->Notice()->Lines(), m_config.GetPromptLines());
    EXPECT_EQ(frame->Notice()->geometry(), frame->Client()->rect());
    // The table lies inside the client area: its title is not cut off.
    EXPECT_EQ(frame->Notice()->Placement(), frame->Client()->rect());
    EXPECT_GE(frame->Notice()->Geometry().Top(), 0);
    EXPECT_TRUE(frame->Notice()->isVisible());
    ASSERT_TRUE(frame->OpenLogFile(Q(kSamples / "logs" / "K7_board01.Txt")));
    EXPECT_EQ(frame->Notice(), nullptr);
    EXPECT_EQ(frame->windowTitle(),
              QStringLiteral("Sondex Tool -- [Project:K7 DDRType:Lpddr3 CLK:800]"));
    EXPECT_EQ(frame->ResultPane()->height(), CResultPane::kInitialHeight);
}

TEST_F(CSondexWindowTest, DroppedFolderIsAnalysedAndDroppedFileOpened) {
    const fs::path folder = Folder("dropped");
    CopySample(folder, "K7_board01.Txt", "a.Txt");
    CopySample(folder, "K7_board02.Txt", "b.Txt");
    const fs::path single = CopySample(Folder("loose"), "K7_board03.Txt", "loose.Txt");
    auto frame = MakeFrame();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(Q(folder)), QUrl::fromLocalFile(Q(single))});
    const QPoint at = frame->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame.get(), &drop);
    QApplication::processEvents();
    // The folder's two logs and statistics, then the loose log.
    ASSERT_EQ(frame->Frames().size(), 4u);
    EXPECT_TRUE(frame->Frames()[2]->GetDocument()->IsStatistics());
    EXPECT_EQ(frame->Frames()[3]->GetDocument()->GetData()->GetName(), L"loose.Txt");

    QMimeData text;
    text.setText(QStringLiteral("no files"));
    QDragEnterEvent refused(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QApplication::sendEvent(frame.get(), &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST_F(CSondexWindowTest, WindowMenuListsTheDocumentsAndActivatesOne) {
    const fs::path folder = Folder("menu");
    CopySample(folder, "K7_board01.Txt", "a.Txt");
    CopySample(folder, "K7_board02.Txt", "b.Txt");
    auto frame = MakeFrame();
    ASSERT_EQ(frame->AnalyzeFolder(Q(folder)), 2);
    emit frame->WindowMenu()->aboutToShow();
    const QList<QAction*> actions = frame->WindowMenu()->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("&1 Project - a.Txt"));
    EXPECT_EQ(actions[2]->text(), QStringLiteral("&3 StatisticalChart"));
    EXPECT_TRUE(actions[2]->isChecked());
    actions[0]->trigger();
    EXPECT_EQ(frame->ActiveFrame(), frame->Frames()[0]);
    EXPECT_EQ(frame->ResultForm()->ParameterLabel()->text().left(8), QStringLiteral("Project:"));
}

TEST_F(CSondexWindowTest, DocumentWithoutResultsShowsFail) {
    // Clock 0x400 (1024 MHz) has no minimum pass width: the log gives no result entry.
    std::string text = ReadBytes(kSamples / "logs" / "K7_board01.Txt");
    const size_t at = text.find("0x00000320");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 10, "0x00000400");
    const fs::path file = Folder("clock") / "fast.Txt";
    WriteBytes(file, text);
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->OpenLogFile(Q(file)));
    EXPECT_TRUE(frame->Frames()[0]->GetDocument()->GetResults().empty());
    EXPECT_EQ(frame->ResultForm()->VerdictLabel()->text(), QStringLiteral("Fail"));
    EXPECT_EQ(frame->ResultForm()->ListModel().rowCount(), 0);
}

TEST_F(CSondexWindowTest, ClickingATabShowsItsDocumentAndBuildsItsGrids) {
    const fs::path folder = Folder("tabs");
    CopySample(folder, "K7_board01.Txt", "a.Txt");
    CopySample(folder, "K7_board04.Txt", "b.Txt");
    auto frame = MakeFrame();
    ASSERT_EQ(frame->AnalyzeFolder(Q(folder)), 2);
    const auto& frames = frame->Frames();
    ASSERT_EQ(frames.size(), 3u);
    // Only the shown document has its grids so far.
    EXPECT_FALSE(frames[0]->GetView()->HasGrids());
    EXPECT_FALSE(frames[1]->GetView()->HasGrids());
    EXPECT_TRUE(frames[2]->GetView()->HasGrids());
    EXPECT_EQ(frame->ResultForm()->FailListLabel()->text(), QStringLiteral("\nb.Txt\tFail"));

    QTabBar* bar = frame->TabBar();
    ASSERT_EQ(bar->count(), 3);
    EXPECT_EQ(bar->tabText(1), QStringLiteral("Project"));
    EXPECT_EQ(bar->tabToolTip(1), QStringLiteral("b.Txt"));
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(1).center());
    EXPECT_EQ(frame->ActiveFrame(), frames[1]);
    EXPECT_TRUE(frames[1]->GetView()->HasGrids());
    EXPECT_EQ(frames[1]->GetView()->GetTables().size(), 3u);
    // The failing log's own verdict, in red; the fail list stays as the statistics set it.
    EXPECT_EQ(frame->ResultForm()->VerdictLabel()->text(), QStringLiteral("Fail"));
    EXPECT_GT(CountPixels(frame->ResultForm()->VerdictLabel(), CResultFormView::kFailColour), 100);
    EXPECT_EQ(frame->ResultForm()->FailListLabel()->text(), QStringLiteral("\nb.Txt\tFail"));
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(0).center());
    EXPECT_EQ(frame->ResultForm()->VerdictLabel()->text(), QStringLiteral("Pass"));
    EXPECT_GT(CountPixels(frame->ResultForm()->VerdictLabel(), CResultFormView::kPassColour), 100);
}

TEST_F(CSondexWindowTest, ApplicationLookIsStoredAsAnIndexFusionFirst) {
    const QStringList styles = CMainFrame::StyleNames();
    ASSERT_FALSE(styles.isEmpty());
    EXPECT_EQ(styles[0], QStringLiteral("Fusion"));
    {
        // Nothing stored: the default 214 names no style here and means Fusion.
        auto frame = MakeFrame();
        EXPECT_EQ(QApplication::style()->name().toLower(), QStringLiteral("fusion"));
        if (styles.size() < 2) {
            GTEST_SKIP() << "only one style on this platform";
        }
        QMenu* view = nullptr;
        for (QAction* action : frame->menuBar()->actions()) {
            if (action->text() == QStringLiteral("&View")) {
                view = action->menu();
            }
        }
        ASSERT_NE(view, nullptr);
        QMenu* look = nullptr;
        for (QAction* action : view->actions()) {
            if (action->menu() != nullptr) {
                look = action->menu();
            }
        }
        ASSERT_NE(look, nullptr);
        ASSERT_EQ(look->actions().size(), styles.size());
        look->actions()[1]->trigger();
        EXPECT_EQ(QApplication::style()->name().toLower(), styles[1].toLower());
    }
    QSettings settings(QStringLiteral("Norvale"), QStringLiteral("Sondex"));
    EXPECT_EQ(settings.value(QStringLiteral("Sondex::CMainFrame/ApplicationLook")).toInt(), 1);
    auto again = MakeFrame();
    EXPECT_EQ(QApplication::style()->name().toLower(), styles[1].toLower());
    settings.setValue(QStringLiteral("Sondex::CMainFrame/ApplicationLook"), 214);
    settings.sync();
    auto third = MakeFrame();
    EXPECT_EQ(QApplication::style()->name().toLower(), QStringLiteral("fusion"));
}

TEST_F(CSondexWindowTest, EditKeysReachTheFocusedFolderBox) {
    auto frame = MakeFrame();
    frame->activateWindow();
    QLineEdit* box = frame->ResultForm()->FolderEdit();
    box->setFocus();
    box->setText(QStringLiteral("/tmp/logs"));
    box->selectAll();
    QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(box->text().isEmpty());
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box->text(), QStringLiteral("/tmp/logs"));
    EXPECT_TRUE(frame->Frames().empty());
}

TEST_F(CSondexWindowTest, CommandLineScreenshotOfAFolderAnalysis) {
    // The real program, on the offscreen platform, with its profile in the scratch folder.
    const fs::path folder = Folder("shot");
    CopySample(folder, "K7_board01.Txt", "a.Txt");
    const fs::path picture = m_scratch.Path() / "window.png";
    auto run = [&](const fs::path& out, const std::string& progressDelay = std::string()) {
        const std::string delay =
            progressDelay.empty() ? std::string() : "SUITE_PROGRESS_DELAY_MS=" + progressDelay + " ";
        const std::string cmd = delay + "QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=" +
                                ShellQuote((m_scratch.Path() / "config").string()) + " " +
                                ShellQuote(SONDEX_PATH) + " " + ShellQuote(folder.string()) +
                                " --screenshot " + ShellQuote(out.string()) + " >/dev/null 2>&1";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run(picture), 0);
    QImage image(Q(picture));
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 600);
    // With the progress dialog from the first log on, the event loop runs during the start-up
    // analysis; the picture is still taken after it, and is the same.
    const fs::path withProgress = m_scratch.Path() / "progress.png";
    EXPECT_EQ(run(withProgress, "0"), 0);
    EXPECT_EQ(QImage(Q(withProgress)), image);
    // A picture that cannot be written is a failure.
    EXPECT_NE(run(m_scratch.Path() / "missing" / "window.png"), 0);
}

TEST_F(CSondexWindowTest, StatisticsDocumentHasThePassShareViewAndTipsNameTheFailingLogs) {
    const fs::path folder = Folder("share");
    CopySample(folder, "K7_board04.Txt", "a.Txt"); // the failing sample log, twice
    CopySample(folder, "K7_board04.Txt", "b.Txt");
    CopySample(folder, "K7_board01.Txt", "c.Txt");
    auto frame = MakeFrame();
    ASSERT_EQ(frame->AnalyzeFolder(Q(folder)), 3);
    CSondexView* view = frame->Frames().back()->GetView();
    ASSERT_NE(view->ShareBar(), nullptr);
    EXPECT_TRUE(view->ShareBar()->StrictButton()->isChecked());
    EXPECT_EQ(frame->Frames().front()->GetView()->ShareBar(), nullptr); // a log has none

    bool found = false;
    for (const auto& [index, table] : view->GetTables()) {
        CPassShareView* share = view->ShareView(index);
        ASSERT_NE(share, nullptr);
        table->GetTable()->ForEachCell([&](int tableRow, int tableCol, const CCellList& list) {
            int fails = 0;
            for (const CLogDataDDR r : list) {
                fails += r.GetState() == CLogDataDDR::kFail ? 1 : 0;
            }
            if (found || list.size() != 3 || fails != 2) {
                return;
            }
            found = true;
            CGridCtrl* grid = table->GetGrid();
            const QRect cell = grid->GetCellRect(tableCol, tableRow);
            const auto colour = [&] {
                const QImage image = grid->viewport()->grab().toImage();
                return image.pixelColor(cell.left() + 3, cell.bottom() - 3);
            };
            EXPECT_EQ(colour(), QColor(255, 0, 0));
            const QString tip = share->ToolTip(tableCol, tableRow);
            EXPECT_EQ(tip, QStringLiteral("passed in 1 of 3 logs (33 %)\nfailed in:\na.Txt\nb.Txt"));

            QTest::mouseClick(view->ShareBar()->ShareButton(), Qt::LeftButton);
            EXPECT_TRUE(share->IsShareView());
            EXPECT_EQ(colour(), CPassShareBar::ToQColor(PassShareColor(1.0 / 3.0)));
            EXPECT_EQ(grid->GetItemText(tableCol, tableRow), QStringLiteral("2")); // text kept
            QHelpEvent help(QEvent::ToolTip, cell.center(),
                            grid->viewport()->mapToGlobal(cell.center()));
            QApplication::sendEvent(grid->viewport(), &help);
            EXPECT_EQ(QToolTip::text(), tip);

            QTest::mouseClick(view->ShareBar()->StrictButton(), Qt::LeftButton);
            EXPECT_FALSE(share->IsShareView());
            EXPECT_EQ(colour(), QColor(255, 0, 0));
        });
    }
    EXPECT_TRUE(found) << "no cell failed in two logs and passed in one";
}
