#include "GridCtrl.h"
#include "QuillonWindowFixture.h"

#include "BoardPty.h"
#include "LiveScan.h"
#include "MFCPageDDR.h"
#include "PortDataCollectDlg.h"
#include "QuillonDlg.h"
#include "ResultPanelDDRModel.h"
#include "SerialPortSetDlg.h"

#include "FileUtil.h"
#include "SettingsFile.h"
#include "UserPrompt.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon";

using CBoardEnd = CBoardPty;

bool WaitFor(const std::function<bool()>& done, int ms = 20000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qWait(2);
    }
    return true;
}

// Every cell colour of a chart page's grid, row by row.
std::vector<std::vector<unsigned>> GridColours(CMFCPageDDR& page) {
    page.Initialise();
    CGridCtrl& grid = *page.Grid();
    std::vector<std::vector<unsigned>> rows;
    for (int row = 0; row < grid.GetRowCount(); ++row) {
        std::vector<unsigned> colours;
        for (int col = 0; col < grid.GetColumnCount(); ++col) {
            colours.push_back(unsigned(grid.GetItemBkColour(row, col)));
        }
        rows.push_back(std::move(colours));
    }
    return rows;
}

struct SPanelState {
    std::vector<SBestParam> m_vecBest;
    std::array<std::wstring, 4> m_arrRates;
    std::wstring m_strConclusion;
};

SPanelState PanelState(CQuillonDlg& dlg) {
    const CResultPanelDDRModel& panel = dlg.Session().Panel();
    return {panel.BestList(), panel.RateTexts(), panel.Conclusion()};
}

class LiveScanViewTest : public CQuillonWindowTest {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_board.Slave().isEmpty()) << "no pseudo-terminal";
        fs::create_directories(m_dir / "logs");
        m_pDlg = std::make_unique<CQuillonDlg>();
        m_pDlg->OnLogType(1);
        m_pDlg->DirectoryBox()->setText(QString::fromStdString((m_dir / "logs").string()));
        SSerialPortSettings port;
        port.m_strPort = m_board.Slave();
        port.m_strBaudRate = QStringLiteral("115200");
        m_pDlg->SetPortSet(0, port);
        m_pDlg->OnOpenCapture();
        ASSERT_NE(m_pDlg->Capture(0), nullptr);
        ASSERT_TRUE(m_pDlg->Capture(0)->Commun().IsOpen()) << "the capture did not open";
    }
    void TearDown() override { m_pDlg.reset(); }
    // Writes bytes in pieces of 1 to 700 bytes (so CR LF pairs fall apart now and then).
    void WriteInChunks(std::string_view bytes, unsigned seed) {
        std::mt19937 random(seed);
        std::uniform_int_distribution<size_t> size(1, 700);
        while (!bytes.empty()) {
            const size_t n = std::min(bytes.size(), size(random));
            ASSERT_TRUE(m_board.Write(bytes.substr(0, n)));
            bytes.remove_prefix(n);
            QCoreApplication::processEvents();
        }
    }
    [[nodiscard]] CPortDataCollectDlg& Capture() const { return *m_pDlg->Capture(0); }

    CBoardEnd m_board;
    std::unique_ptr<CQuillonDlg> m_pDlg;
};

TEST_F(LiveScanViewTest, ScanThroughThePortFillsTheLivePageAndAnalyseFindsTheSavedLog) {
    std::string sample;
    ASSERT_TRUE(ReadFileBytes(kSamples / "lpddr2_pass/P7_VR2-0013.txt", sample));
    QSignalSpy repaints(&Capture(), &CPortDataCollectDlg::livePageChanged);
    QElapsedTimer clock;
    clock.start();
    WriteInChunks(sample, 23);
    ASSERT_TRUE(WaitFor([&] { return !Capture().Live().Results().empty(); }));
    const qint64 elapsed = clock.elapsed();
    // Repaints of the live page are throttled: at most one per 50 ms.
    EXPECT_LE(repaints.count(), elapsed / CPortDataCollectDlg::kLiveRepaintMs + 2);
    const SLiveScanResult& result = Capture().Live().Results()[0];
    EXPECT_EQ(result.m_end, ELiveScanEnd::Complete);
    std::string saved;
    ASSERT_TRUE(ReadFileBytes(m_dir / "logs" / "VR2-0013.Txt", saved));
    EXPECT_TRUE(saved == sample) << "the saved log differs from what the board printed";
    EXPECT_TRUE(Capture().LiveLabel()->text().contains(QStringLiteral("VR2-0013.Txt")))
        << Capture().LiveLabel()->text().toStdString();

    ASSERT_NE(m_pDlg->LivePage(), nullptr);
    QTabWidget* tabs = m_pDlg->Tabs();
    const int liveTab = tabs->indexOf(m_pDlg->LivePage());
    ASSERT_GE(liveTab, 0);
    EXPECT_EQ(tabs->tabText(liveTab), QStringLiteral("Live"));
    EXPECT_EQ(liveTab, tabs->indexOf(&Capture()) + 1) << "the Live tab is beside the capture";
    const std::vector<std::vector<unsigned>> live = GridColours(*m_pDlg->LivePage());
    const SPanelState livePanel = PanelState(*m_pDlg);
    EXPECT_NE(livePanel.m_strConclusion, CResultPanelDDRModel::kConclusionAtStart);

    // The same log as a tab of the next Analyse: the same cells and marks, the same verdict.
    ASSERT_TRUE(m_pDlg->OnAnalyse());
    int logTab = -1;
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->tabText(i) == QStringLiteral("VR2-0013.Txt")) {
            logTab = i;
        }
    }
    ASSERT_GE(logTab, 0) << "Analyse did not find the saved log";
    tabs->setCurrentIndex(logTab);
    EXPECT_EQ(GridColours(*m_pDlg->ChartPage(logTab)), live);
    const SPanelState diskPanel = PanelState(*m_pDlg);
    EXPECT_EQ(diskPanel.m_arrRates, livePanel.m_arrRates);
    EXPECT_EQ(diskPanel.m_strConclusion, livePanel.m_strConclusion);
    ASSERT_EQ(diskPanel.m_vecBest.size(), livePanel.m_vecBest.size());
    for (size_t i = 0; i < diskPanel.m_vecBest.size(); ++i) {
        EXPECT_EQ(diskPanel.m_vecBest[i].m_nDrvStg, livePanel.m_vecBest[i].m_nDrvStg);
        EXPECT_EQ(diskPanel.m_vecBest[i].m_nSdllPhsDly, livePanel.m_vecBest[i].m_nSdllPhsDly);
        EXPECT_EQ(diskPanel.m_vecBest[i].m_nDqsStepDly, livePanel.m_vecBest[i].m_nDqsStepDly);
    }
    // The Live tab stays beside the capture after Analyse rebuilt the tabs.
    EXPECT_EQ(tabs->indexOf(m_pDlg->LivePage()), tabs->indexOf(&Capture()) + 1);
}

TEST_F(LiveScanViewTest, SecondScanGetsANewPageAndClosingHalfWaySavesItAsInterrupted) {
    std::string first;
    std::string second;
    ASSERT_TRUE(ReadFileBytes(kSamples / "lpddr2_pass/P7_VR2-0021.txt", first));
    ASSERT_TRUE(ReadFileBytes(kSamples / "lpddr2_fail/P7_VR2-0107.txt", second));
    WriteInChunks(first, 5);
    ASSERT_TRUE(WaitFor([&] { return Capture().Live().Results().size() == 1; }));
    // Tracked by a guard, not by its address: the new page may be allocated where the
    // deleted one was.
    const QPointer<const CMFCPageDDR> firstPage = m_pDlg->LivePage();
    ASSERT_FALSE(firstPage.isNull());
    const std::string half = second.substr(0, second.size() / 2);
    WriteInChunks(half, 6);
    ASSERT_TRUE(WaitFor([&] {
        return Capture().Live().InScan() && Capture().Live().DataLines() > 100 &&
               m_pDlg->LivePage() != nullptr && firstPage.isNull();
    }));
    ASSERT_TRUE(WaitFor(
        [&] { return Capture().Commun().ReceivedBytes() >= qint64(first.size() + half.size()); }));
    EXPECT_EQ(Capture().Live().Results().size(), 1u);
    m_pDlg->OnCloseCapture();
    ASSERT_EQ(Capture().Live().Results().size(), 2u);
    const SLiveScanResult& cut = Capture().Live().Results()[1];
    EXPECT_EQ(cut.m_end, ELiveScanEnd::Interrupted);
    EXPECT_EQ(cut.m_savedPath, m_dir / "logs" / "VR2-0107-interrupted.log");
    std::string saved;
    ASSERT_TRUE(ReadFileBytes(cut.m_savedPath, saved));
    EXPECT_TRUE(saved == half);
    EXPECT_TRUE(Capture().LiveLabel()->text().contains(QStringLiteral("interrupted")))
        << Capture().LiveLabel()->text().toStdString();
    // Analyse takes the complete scan and leaves the interrupted one alone.
    ASSERT_TRUE(m_pDlg->OnAnalyse());
    QStringList names;
    for (int i = 0; i < m_pDlg->Tabs()->count(); ++i) {
        names << m_pDlg->Tabs()->tabText(i);
    }
    EXPECT_TRUE(names.contains(QStringLiteral("VR2-0021.Txt"))) << names.join(',').toStdString();
    EXPECT_FALSE(names.join(',').contains(QStringLiteral("interrupted")));
}

} // namespace
