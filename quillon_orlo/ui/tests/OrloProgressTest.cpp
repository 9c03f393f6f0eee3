// The progress dialog of Scan: it hears every log of the three folders once, in order, and
// the window ends with the same pages, verdict and messages as without it.

#include "QuillonDlg.h"

#include "OrloUiFixture.h"

#include "ChartTable.h"
#include "ExportMenu.h"
#include "GridCtrl.h"
#include "MFCPageOrlo.h"
#include "MFCPageOrloMain.h"
#include "ProgressListener.h"

#include <QDir>
#include <QTabBar>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using orloui::SamplesDir;

struct SWindowState {
    std::vector<std::wstring> messages; ///< text, then "?Y" / "?N" for a question's answer
    std::vector<QString> tabs;
    std::vector<std::string> charts; ///< each page's grid as CSV
    QString verdict;                 ///< the statistics page's boxes and labels
    std::vector<std::wstring> files; ///< the files the session scanned
    bool operator==(const SWindowState&) const = default;
};

class COrloProgressTest : public orloui::COrloUiTest {
protected:
    SWindowState Scan(const QString& normal, int delayMs) {
        m_prompt.Clear();
        m_prompt.SetDefaultAnswer(true); // skip the file that is no Orlo log and go on
        CQuillonDlg dlg;
        dlg.SetProgressDelay(delayMs);
        dlg.SetDirectories(normal, SamplesDir("low"), SamplesDir("high"));
        dlg.show();
        dlg.OnScan();
        SWindowState state;
        for (int i = 0; i < dlg.TabBar()->count(); ++i) {
            state.tabs.push_back(dlg.TabBar()->tabText(i));
        }
        for (const CMFCPageOrlo* page : dlg.Pages()) {
            const CGridCtrl* grid = page->Grid();
            state.charts.push_back(grid != nullptr ? ChartCsv(GridChartTable(*grid, QString()))
                                                   : std::string());
        }
        if (dlg.MainPage() != nullptr) {
            state.verdict = WidgetFormText(*dlg.MainPage());
        }
        state.files = dlg.Session().FileList();
        for (const SPromptRecord& record : m_prompt.Records()) {
            state.messages.push_back(record.text);
            if (record.question) {
                state.messages.push_back(record.answer ? L"?Y" : L"?N");
            }
        }
        return state;
    }
};

TEST_F(COrloProgressTest, SamePagesAndMessagesWithTheDialogAndEveryLogHeardInOrder) {
    // The normal samples and a file that is no Orlo log: the scan asks whether to skip it.
    const QString normal = Scratch(QStringLiteral("normal"));
    for (const QString& name : QDir(SamplesDir("normal")).entryList(QDir::Files)) {
        ASSERT_TRUE(orloui::WriteFile(QDir(normal).filePath(name),
                                      orloui::ReadFile(QDir(SamplesDir("normal")).filePath(name))));
    }
    ASSERT_TRUE(orloui::WriteFile(QDir(normal).filePath(QStringLiteral("orlo_b00_note.txt")),
                                  "not a scan log\n"));

    const SWindowState plain = Scan(normal, -1);
    CProgressListener listener;
    const SWindowState shown = Scan(normal, 0);

    ASSERT_GT(plain.tabs.size(), 1u);
    EXPECT_GE(plain.messages.size(), 2u); // the question, then the result prompt
    EXPECT_TRUE(shown == plain);
    EXPECT_EQ(shown.messages, plain.messages);
    EXPECT_EQ(listener.m_nShown, 1);
    // The scanner reports each log by its file name, normal, low and high folder in turn.
    std::vector<std::wstring> names;
    for (const std::wstring& file : plain.files) {
        names.push_back(std::filesystem::path(file).filename().wstring());
    }
    EXPECT_EQ(listener.m_vecFiles, names);
    size_t logs = 1; // the note
    for (const char* sub : {"normal", "low", "high"}) {
        logs += static_cast<size_t>(
            QDir(SamplesDir(sub)).entryList({QStringLiteral("*.txt")}, QDir::Files).size());
    }
    EXPECT_EQ(plain.files.size(), logs);
}

TEST_F(COrloProgressTest, NoDialogForAShortScan) {
    CProgressListener listener;
    const SWindowState state = Scan(SamplesDir("normal"), 60000);
    EXPECT_GT(state.tabs.size(), 1u);
    EXPECT_EQ(listener.m_nShown, 0);
}

} // namespace
