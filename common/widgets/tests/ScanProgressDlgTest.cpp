// The progress dialog of long scans: it reports every file, shows only past its delay,
// and lets the windows repaint between two files while it shows.

#include "ScanProgressDlg.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::vector<std::wstring> kFiles = {L"/logs/a.txt", L"/logs/b.txt", L"/logs/c.txt"};

void Feed(CScanProgressDlg& dialog) {
    const ScanProgressFn callback = dialog.Callback();
    for (size_t i = 0; i < kFiles.size(); ++i) {
        callback(i + 1, kFiles.size(), kFiles[i]);
    }
}

TEST(ScanProgressDlg, ReportsEveryFileOnceInOrderShownOrNot) {
    for (const int delay : {0, -1, 60000}) {
        QWidget window;
        CScanProgressDlg dialog(&window, delay);
        QSignalSpy spy(&dialog, &CScanProgressDlg::Advanced);
        Feed(dialog);
        ASSERT_EQ(spy.count(), static_cast<int>(kFiles.size())) << delay;
        for (int i = 0; i < spy.count(); ++i) {
            EXPECT_EQ(spy[i][0].toInt(), i + 1);
            EXPECT_EQ(spy[i][1].toInt(), 3);
            EXPECT_EQ(spy[i][2].toString().toStdWString(), kFiles[static_cast<size_t>(i)]);
        }
        EXPECT_EQ(dialog.isVisible(), delay == 0) << delay;
    }
}

TEST(ScanProgressDlg, ShowsFilesDoneTotalAndTheFileBeingRead) {
    QWidget window;
    CScanProgressDlg dialog(&window, 0);
    const ScanProgressFn callback = dialog.Callback();
    callback(1, 3, kFiles[0]);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.Label()->text(), QStringLiteral("File 1 of 3: a.txt"));
    EXPECT_EQ(dialog.Bar()->maximum(), 3);
    EXPECT_EQ(dialog.Bar()->value(), 0);
    callback(3, 3, kFiles[2]);
    EXPECT_EQ(dialog.Label()->text(), QStringLiteral("File 3 of 3: c.txt"));
    EXPECT_EQ(dialog.Bar()->value(), 2);
    EXPECT_EQ(dialog.windowModality(), Qt::ApplicationModal);
}

TEST(ScanProgressDlg, EventsRunBetweenFilesOnlyWhileItShows) {
    for (const int delay : {0, -1}) {
        QWidget window;
        CScanProgressDlg dialog(&window, delay);
        bool ran = false;
        QTimer::singleShot(0, &window, [&ran] { ran = true; });
        Feed(dialog);
        // A hidden dialog leaves the scan exactly as it was: nothing else runs meanwhile.
        EXPECT_EQ(ran, delay == 0) << delay;
    }
}

TEST(ScanProgressDlg, TheWindowGetsItsFocusBackWhenTheScanEnds) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* first = new QLineEdit(&window);
    auto* second = new QLineEdit(&window);
    layout->addWidget(first);
    layout->addWidget(second);
    window.show();
    window.activateWindow();
    second->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), second);
    {
        CScanProgressDlg dialog(&window, 0);
        Feed(dialog);
        ASSERT_TRUE(dialog.isVisible());
    }
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), second);
}

TEST(ScanProgressDlg, RunningWhileItLivesAndDelayFromTheEnvironment) {
    EXPECT_FALSE(CScanProgressDlg::IsRunning());
    {
        QWidget window;
        CScanProgressDlg dialog(&window, -1);
        EXPECT_TRUE(CScanProgressDlg::IsRunning());
    }
    EXPECT_FALSE(CScanProgressDlg::IsRunning());

    qunsetenv("SUITE_PROGRESS_DELAY_MS");
    EXPECT_EQ(CScanProgressDlg::ConfiguredDelayMs(), CScanProgressDlg::kDefaultDelayMs);
    qputenv("SUITE_PROGRESS_DELAY_MS", "0");
    EXPECT_EQ(CScanProgressDlg::ConfiguredDelayMs(), 0);
    qputenv("SUITE_PROGRESS_DELAY_MS", "-1");
    EXPECT_EQ(CScanProgressDlg::ConfiguredDelayMs(), -1);
    qputenv("SUITE_PROGRESS_DELAY_MS", "soon");
    EXPECT_EQ(CScanProgressDlg::ConfiguredDelayMs(), CScanProgressDlg::kDefaultDelayMs);
    qunsetenv("SUITE_PROGRESS_DELAY_MS");
}

} // namespace
