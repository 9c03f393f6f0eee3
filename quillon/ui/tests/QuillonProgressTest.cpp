// The progress dialog of Analyse: it hears every log once, in order, and the window ends
// with the same tabs, charts, panel and messages as without it.

#include "QuillonDlg.h"

#include "ChartTable.h"
#include "ExportMenu.h"
#include "GridCtrl.h"
#include "LaneSwapMap.h"
#include "LogRead.h"
#include "ProgressListener.h"
#include "SettingsFile.h"
#include "UserPrompt.h"
#include "WindowsSavedText.h"

#include <QAction>
#include <QLineEdit>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon";

struct SWindowState {
    bool analysed = false;
    std::vector<std::wstring> messages; ///< text, then "?Y" / "?N" for a question's answer
    QString title;
    std::vector<QString> tabs;
    std::vector<std::string> charts; ///< each tab's grid as CSV
    QString panels;                  ///< every box, label and list of the window
    bool operator==(const SWindowState&) const = default;
};

class QuillonProgressTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        setenv("XDG_CONFIG_HOME", m_dir.path().toStdString().c_str(), 1);
        m_oldSettings = GetSettings().Path();
        GetSettings().SetPath(Scratch("Quillon.ini"));
    }
    void TearDown() override {
        GetSettings().SetPath(m_oldSettings);
        GetLaneSwapMap().SetIdentity();
    }
    [[nodiscard]] fs::path Scratch(const char* name) const {
        return fs::path(m_dir.path().toStdString()) / name;
    }

    SWindowState Analyse(int logType, const fs::path& folder, int delayMs) {
        std::unique_ptr<QSettings> profile = CQuillonDlg::OpenProfile();
        profile->clear();
        profile->sync();
        CRecordingPrompt prompt(true); // go on with an incomplete log
        CScopedPrompt scope(prompt);
        CQuillonDlg dialog;
        dialog.SetProgressDelay(delayMs);
        dialog.resize(1200, 800);
        dialog.show();
        dialog.LogTypeAction(logType)->trigger();
        dialog.DirectoryBox()->setText(QString::fromStdString(folder.string()));
        SWindowState state;
        state.analysed = dialog.OnAnalyse();
        state.title = dialog.windowTitle();
        for (int i = 0; i < dialog.Tabs()->count(); ++i) {
            dialog.Tabs()->setCurrentIndex(i);
            state.tabs.push_back(dialog.Tabs()->tabText(i));
            const CGridCtrl* grid = dialog.Tabs()->currentWidget()->findChild<CGridCtrl*>();
            state.charts.push_back(grid != nullptr ? ChartCsv(GridChartTable(*grid, QString()))
                                                   : std::string());
        }
        dialog.Tabs()->setCurrentIndex(0);
        state.panels = WidgetFormText(dialog);
        for (const SPromptRecord& record : prompt.Records()) {
            state.messages.push_back(record.text);
            if (record.question) {
                state.messages.push_back(record.answer ? L"?Y" : L"?N");
            }
        }
        return state;
    }

    QTemporaryDir m_dir;
    fs::path m_oldSettings;
};

TEST_F(QuillonProgressTest, SameResultsAndMessagesWithTheDialogAndEveryLogHeardInOrder) {
    struct SCase {
        int logType;
        const char* sample;
        bool asks; ///< the scanner asks whether to go on with an incomplete log
    };
    for (const SCase& c : {SCase{1, "lpddr2_fail", true}, SCase{3, "hynix", true},
                           SCase{4, "emmc_sdr50", false}}) {
        // The samples, and one of them cut short: the scan asks whether to go on, half-way.
        const fs::path folder = Scratch(c.sample);
        fs::create_directories(folder);
        std::vector<fs::path> logs;
        for (const auto& entry : fs::directory_iterator(kSamples / c.sample)) {
            if (entry.path().extension() == ".txt") {
                logs.push_back(entry.path());
            }
        }
        std::sort(logs.begin(), logs.end());
        ASSERT_FALSE(logs.empty());
        for (const fs::path& log : logs) {
            fs::copy_file(log, folder / log.filename());
        }
        const std::string whole = testsupport::ReadAll(logs.front());
        std::ofstream(folder / ("zz_" + logs.front().filename().string()), std::ios::binary)
            << whole.substr(0, whole.rfind('\n', whole.size() / 2) + 1);

        const SWindowState plain = Analyse(c.logType, folder, -1);
        CProgressListener listener;
        const SWindowState shown = Analyse(c.logType, folder, 0);
        EXPECT_TRUE(plain.analysed) << c.sample;
        // The question about the log cut short came half-way through the scan.
        EXPECT_EQ(std::find_if(plain.messages.begin(), plain.messages.end(),
                               [](const std::wstring& text) {
                                   return text.find(L"不完整") != std::wstring::npos;
                               }) != plain.messages.end(),
                  c.asks)
            << c.sample;
        EXPECT_FALSE(plain.tabs.empty()) << c.sample;
        EXPECT_TRUE(shown == plain) << c.sample;
        EXPECT_EQ(shown.messages, plain.messages) << c.sample;
        EXPECT_EQ(listener.m_nShown, 1) << c.sample;
        // The scanners report each log by its file name, in the order they read them.
        std::vector<std::wstring> files;
        ASSERT_TRUE(FindLogFiles(folder.wstring(), files));
        for (std::wstring& file : files) {
            file = fs::path(file).filename().wstring();
        }
        EXPECT_EQ(listener.m_vecFiles, files) << c.sample;
    }
}

TEST_F(QuillonProgressTest, NoDialogForAShortScanOrAFolderWithoutLogs) {
    CProgressListener listener;
    EXPECT_TRUE(Analyse(1, kSamples / "lpddr2_pass", 60000).analysed);
    const SWindowState none = Analyse(1, Scratch("nothing"), 0);
    EXPECT_FALSE(none.analysed);
    ASSERT_EQ(none.messages.size(), 1u);
    EXPECT_EQ(none.messages[0], L"find no valid log file, can not made a analysis");
    EXPECT_EQ(listener.m_nShown, 0);
}

} // namespace
