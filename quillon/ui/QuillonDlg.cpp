#include "QuillonDlg.h"

#include "AnalyzerSettings.h"
#include "ChildDlgDDRHynix.h"
#include "ChildDlgEMMC.h"
#include "DlgAdjustByResolution.h"
#include "GridCtrl.h"
#include "HtmlReport.h"
#include "LogRead.h"
#include "MFCPageDDR.h"
#include "MFCPageDDRHynix.h"
#include "MergePageDlg.h"
#include "LiveScan.h"
#include "ProductVersion.h"
#include "PortDataCollectDlg.h"
#include "PromptDlg.h"
#include "QuillonCli.h"
#include "QuillonReport.h"
#include "ResultPanelDDR.h"
#include "SettingsFile.h"
#include "TextUtil.h"
#include "UserPrompt.h"
#include "XAboutDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace quillon;

namespace {

// The size the dialog is laid out for; smaller work areas shrink it at start.
constexpr QSize kDesignSize(1280, 800);

struct SLogTypeEntry {
    const char* m_szText;
    int m_nType;
};

// Every log type has its entry, so none has to be set in the settings file.
constexpr SLogTypeEntry kLogTypeEntries[] = {{"lpDDR", 0},      {"lpDDR2", 1},
                                             {"DDR3", 2},       {"Hynix Log", 3},
                                             {"eMMC SDR50", 4}, {"eMMC DDR50", 5}};

struct SSortEntry {
    const char* m_szText;
    int m_nMode;
};

constexpr SSortEntry kSortEntries[] = {{"sort by log file name", 2},
                                       {"ascending sort by min Byte pass rate", 1},
                                       {"descending sort by min Byte pass rate", 0}};

[[nodiscard]] bool IsDdrType(int logType) {
    return logType >= 0 && logType <= 2;
}

constexpr int kHynixType = 3;

[[nodiscard]] bool IsEmmcType(int logType) {
    return logType == kLogTypeEmmcSdr50 || logType == kLogTypeEmmcDdr50;
}

[[nodiscard]] QString LocalDirectoryOf(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls()) {
        return {};
    }
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir()) {
            return QDir::toNativeSeparators(url.toLocalFile());
        }
    }
    return {};
}

} // namespace

CQuillonDlg::CQuillonDlg(QWidget* parent) : QDialog(parent) {
    m_session.SetLogType(3); // until the settings are loaded
    BuildControls();
    AdjustToScreen();
    LoadSettings();
    ShowPanelOfType();
    setWindowTitle(QString::fromStdWString(CQuillonSession::DefaultTitle()));
    UpdateMenuChecks();
    m_pTabs->hide();
    // The notice lies over the tab area, given in the dialog's client coordinates.
    m_pNotice = new CPromptDlg(EPromptVariant::Quillon, this);
    m_pNotice->SetPlacementSource([this] { return m_pChartArea->geometry(); });
    m_pNotice->show();
    m_pNotice->raise();
    setAcceptDrops(true);
}

CQuillonDlg::~CQuillonDlg() {
    // Chart pages refer to the session's tabs, so they go before the session.
    DestroyChartPages();
    delete m_pLivePage;
}

std::unique_ptr<QSettings> CQuillonDlg::OpenProfile() {
    return std::make_unique<QSettings>(QStringLiteral("Local AppWizard-Generated Applications"),
                                       QStringLiteral("Quillon"));
}

void CQuillonDlg::BuildControls() {
    auto* layout = new QVBoxLayout(this);

    auto* menuBar = new QMenuBar(this);
    QMenu* fileMenu = menuBar->addMenu(QStringLiteral("File"));
    m_pExportMenu = new CExportMenu(ExportSources(), this);
    fileMenu->addMenu(m_pExportMenu);
    QMenu* logTypeMenu = menuBar->addMenu(QStringLiteral("LogType"));
    for (const SLogTypeEntry& entry : kLogTypeEntries) {
        QAction* action = logTypeMenu->addAction(QString::fromLatin1(entry.m_szText));
        action->setCheckable(true);
        const int type = entry.m_nType;
        connect(action, &QAction::triggered, this, [this, type] { OnLogType(type); });
        m_arrLogTypeActions[size_t(type)] = action;
    }
    m_pUartMenu = menuBar->addMenu(QStringLiteral("UART"));
    connect(m_pUartMenu->addAction(QStringLiteral("Port settings 1")), &QAction::triggered, this,
            [this] { OnPortSettings(0); });
    connect(m_pUartMenu->addAction(QStringLiteral("Port settings 2")), &QAction::triggered, this,
            [this] { OnPortSettings(1); });
    m_pUartMenu->addSeparator();
    connect(m_pUartMenu->addAction(QStringLiteral("Open capture")), &QAction::triggered, this,
            &CQuillonDlg::OnOpenCapture);
    connect(m_pUartMenu->addAction(QStringLiteral("Pause capture")), &QAction::triggered, this,
            &CQuillonDlg::OnPauseCapture);
    connect(m_pUartMenu->addAction(QStringLiteral("Close capture")), &QAction::triggered, this,
            &CQuillonDlg::OnCloseCapture);
    m_pUartMenu->addSeparator();
    connect(m_pUartMenu->addAction(QStringLiteral("Save capture as…")), &QAction::triggered,
            this, &CQuillonDlg::OnSaveCaptureAs);
    QMenu* helpMenu = menuBar->addMenu(QStringLiteral("Help"));
    QAction* about = helpMenu->addAction(QStringLiteral("About Quillon"));
    connect(about, &QAction::triggered, this, &CQuillonDlg::OnAbout);
    layout->setMenuBar(menuBar);

    auto* top = new QHBoxLayout;
    auto* analysis = new QGroupBox(QStringLiteral("LogAnalysis"), this);
    auto* grid = new QGridLayout(analysis);
    auto* directoryButton = new QPushButton(QStringLiteral("LogDirectory"), analysis);
    m_pDirectory = new QLineEdit(analysis);
    m_pAnalyse = new QPushButton(QStringLiteral("Analyse"), analysis);
    auto* binButton = new QPushButton(QStringLiteral(".bin"), analysis);
    m_pImage = new QLineEdit(analysis);
    m_pWriteBin = new QPushButton(QStringLiteral("Write bin"), analysis);
    for (QPushButton* button : {directoryButton, m_pAnalyse, binButton, m_pWriteBin}) {
        button->setAutoDefault(false);
        button->setMinimumWidth(100);
    }
    grid->addWidget(directoryButton, 0, 0);
    grid->addWidget(m_pDirectory, 0, 1);
    grid->addWidget(m_pAnalyse, 0, 2);
    grid->addWidget(binButton, 1, 0);
    grid->addWidget(m_pImage, 1, 1);
    grid->addWidget(m_pWriteBin, 1, 2);
    grid->setColumnStretch(1, 1);
    top->addWidget(analysis, 1);

    m_pPanelPlace = new QWidget(this);
    auto* placeLayout = new QHBoxLayout(m_pPanelPlace);
    placeLayout->setContentsMargins(0, 0, 0, 0);
    top->addWidget(m_pPanelPlace, 2);
    layout->addLayout(top);

    m_pChartArea = new QWidget(this);
    auto* chartLayout = new QVBoxLayout(m_pChartArea);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    m_pTabs = new QTabWidget(m_pChartArea);
    m_pTabs->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 4px 6px; }"));
    m_pTabs->setUsesScrollButtons(true);
    chartLayout->addWidget(m_pTabs);
    layout->addWidget(m_pChartArea, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    m_pCheckLog = new QCheckBox(QStringLiteral("校验Log文件"), this);
    m_pSort = new QComboBox(this);
    for (const SSortEntry& entry : kSortEntries) {
        m_pSort->addItem(QString::fromLatin1(entry.m_szText), entry.m_nMode);
    }
    m_pSort->setCurrentIndex(0);
    m_pChartMax = new QPushButton(QStringLiteral("Chart Max"), this);
    m_pReset = new QPushButton(QStringLiteral("Reset"), this);
    for (QPushButton* button : {m_pChartMax, m_pReset}) {
        button->setAutoDefault(false);
    }
    bottom->addWidget(m_pCheckLog);
    bottom->addWidget(m_pSort);
    bottom->addWidget(m_pChartMax);
    bottom->addWidget(m_pReset);
    layout->addLayout(bottom);

    connect(directoryButton, &QPushButton::clicked, this, &CQuillonDlg::OnLogDirectory);
    connect(binButton, &QPushButton::clicked, this, &CQuillonDlg::OnBinFile);
    connect(m_pAnalyse, &QPushButton::clicked, this, &CQuillonDlg::OnAnalyse);
    connect(m_pWriteBin, &QPushButton::clicked, this, &CQuillonDlg::OnWriteBin);
    connect(m_pChartMax, &QPushButton::clicked, this, &CQuillonDlg::OnChartMax);
    connect(m_pReset, &QPushButton::clicked, this, &CQuillonDlg::OnReset);
    connect(m_pSort, &QComboBox::activated, this, &CQuillonDlg::OnSortChanged);
    connect(m_pTabs, &QTabWidget::currentChanged, this, &CQuillonDlg::OnTabChanged);
}

void CQuillonDlg::AdjustToScreen() {
    const QScreen* screen = this->screen();
    if (screen == nullptr) {
        return;
    }
    const QRect work = screen->availableGeometry();
    const QSize full = screen->geometry().size();
    // The panel the work area leaves out stands for the taskbar.
    const QSize taskbar(full.width() - work.width(), full.height() - work.height());
    const int caption = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    SResolutionFactors factors;
    if (!CDlgAdjustByResolution::DecideFactors(full, work.translated(-screen->geometry().topLeft()),
                                               taskbar, caption, kDesignSize, factors)) {
        resize(kDesignSize);
        return;
    }
    const int border = style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    resize(CDlgAdjustByResolution::ScaledDialogSize(kDesignSize, border, factors));
    move(work.topLeft());
    QFont shrunk = font();
    if (shrunk.pixelSize() > 0) {
        shrunk.setPixelSize(
            std::max(6, CDlgAdjustByResolution::ScaleFontHeight(shrunk.pixelSize(), factors)));
    } else {
        shrunk.setPointSizeF(std::max(6.0, shrunk.pointSizeF() * factors.m_dHeightFactor));
    }
    setFont(shrunk);
}

void CQuillonDlg::LoadSettings() {
    m_session.SetLogType(analyzer::ReadLogType());
    std::unique_ptr<QSettings> profile = OpenProfile();
    profile->beginGroup(QString::fromLatin1(kProfileSection));
    m_nChipType = profile->value(QStringLiteral("芯片类型"), 0).toInt();
    m_pDirectory->setText(profile->value(QStringLiteral("文件目录"), QString()).toString());
    m_pImage->setText(profile->value(QStringLiteral("bin文件"), QString()).toString());
    profile->endGroup();
    m_pCheckLog->setChecked(analyzer::ReadCheckLogFile());
}

void CQuillonDlg::SaveSettings() {
    analyzer::WriteLogType(m_session.LogType());
    std::unique_ptr<QSettings> profile = OpenProfile();
    profile->beginGroup(QString::fromLatin1(kProfileSection));
    profile->setValue(QStringLiteral("芯片类型"), m_nChipType);
    profile->setValue(QStringLiteral("文件目录"), m_pDirectory->text());
    profile->setValue(QStringLiteral("bin文件"), m_pImage->text());
    profile->endGroup();
    if (m_pPanelDDR != nullptr) {
        m_pPanelDDR->SaveProfile(*profile);
    }
    if (m_pPanelHynix != nullptr) {
        m_pPanelHynix->SaveProfile(*profile);
    }
    if (m_pPanelEMMC != nullptr) {
        m_pPanelEMMC->SaveProfile(*profile);
    }
    profile->sync();
}

void CQuillonDlg::ShowPanelOfType() {
    const int type = m_session.LogType();
    // Each panel is created on first use; the lists come from the profile until a page is
    // shown, the eMMC fields from the flavour's section.
    if (IsDdrType(type) && m_pPanelDDR == nullptr) {
        m_pPanelDDR = new CResultPanelDDR(m_session.Panel(), m_pPanelPlace);
        m_pPanelPlace->layout()->addWidget(m_pPanelDDR);
        std::unique_ptr<QSettings> profile = OpenProfile();
        m_pPanelDDR->LoadProfile(*profile);
    }
    if (type == kHynixType && m_pPanelHynix == nullptr) {
        m_pPanelHynix = new CChildDlgDDRHynix(m_session.HynixPanel(), m_pPanelPlace);
        m_pPanelPlace->layout()->addWidget(m_pPanelHynix);
        std::unique_ptr<QSettings> profile = OpenProfile();
        m_pPanelHynix->LoadProfile(*profile);
    }
    if (IsEmmcType(type)) {
        std::unique_ptr<QSettings> profile = OpenProfile();
        if (m_pPanelEMMC == nullptr) {
            m_pPanelEMMC = new CChildDlgEMMC(m_session.EmmcPanel(), m_pPanelPlace);
            m_pPanelPlace->layout()->addWidget(m_pPanelEMMC);
        } else if (m_nEmmcPanelType != type) {
            // The other flavour's fields are kept in its own section before they are replaced.
            m_pPanelEMMC->SaveProfile(*profile);
        }
        if (m_nEmmcPanelType != type) {
            m_pPanelEMMC->SetMode(type, *profile);
            m_nEmmcPanelType = type;
        }
    }
    if (m_pPanelDDR != nullptr) {
        m_pPanelDDR->setVisible(IsDdrType(type));
    }
    if (m_pPanelHynix != nullptr) {
        m_pPanelHynix->setVisible(type == kHynixType);
    }
    if (m_pPanelEMMC != nullptr) {
        m_pPanelEMMC->setVisible(IsEmmcType(type));
    }
}

void CQuillonDlg::UpdateMenuChecks() {
    for (size_t type = 0; type < m_arrLogTypeActions.size(); ++type) {
        m_arrLogTypeActions[type]->setChecked(int(type) == m_session.LogType());
    }
}

QAction* CQuillonDlg::LogTypeAction(int logType) const {
    return logType >= 0 && logType < int(m_arrLogTypeActions.size())
               ? m_arrLogTypeActions[size_t(logType)]
               : nullptr;
}

CMFCPageDDR* CQuillonDlg::ChartPage(int index) const {
    return index >= 0 && size_t(index) < m_vecChartPages.size()
               ? qobject_cast<CMFCPageDDR*>(m_vecChartPages[size_t(index)])
               : nullptr;
}

CMFCPageDDRHynix* CQuillonDlg::ChartPageHynix(int index) const {
    return index >= 0 && size_t(index) < m_vecChartPages.size()
               ? qobject_cast<CMFCPageDDRHynix*>(m_vecChartPages[size_t(index)])
               : nullptr;
}

CMFCPageEMMC* CQuillonDlg::ChartPageEMMC(int index) const {
    return index >= 0 && size_t(index) < m_vecChartPages.size()
               ? qobject_cast<CMFCPageEMMC*>(m_vecChartPages[size_t(index)])
               : nullptr;
}

CMergePageDlg* CQuillonDlg::MergePage() const {
    return qobject_cast<CMergePageDlg*>(ChartPageEMMC(0));
}

int CQuillonDlg::SortMode() const {
    return m_pSort->currentIndex() < 0 ? 2 : m_pSort->currentData().toInt();
}

void CQuillonDlg::OnLogType(int logType) {
    m_session.SetLogType(logType);
    UpdateMenuChecks();
    ShowPanelOfType();
    setWindowTitle(QString::fromStdWString(CQuillonSession::DefaultTitle()));
}

void CQuillonDlg::DestroyChartPages() {
    m_bBuildingTabs = true;
    while (m_pTabs->count() > 0) {
        m_pTabs->removeTab(0);
    }
    m_bBuildingTabs = false;
    for (QWidget* page : m_vecChartPages) {
        delete page;
    }
    m_vecChartPages.clear();
}

void CQuillonDlg::BuildChartPages() {
    DestroyChartPages();
    m_bBuildingTabs = true;
    const int type = m_session.LogType();
    for (const SQuillonTab& tab : m_session.Tabs()) {
        // Every page exists from here on; its grid is built when the page is first shown,
        // so Analyse does not wait for a hundred grids nobody has looked at yet.
        QWidget* page = nullptr;
        if (type == kHynixType) {
            auto* hynix = new CMFCPageDDRHynix(tab.m_chartHynix, m_pTabs);
            if (tab.m_bMerged && m_session.PageList() != nullptr) {
                const CChartCellsHynix* chart = &tab.m_chartHynix;
                const CLogPageList* list = m_session.PageList();
                hynix->SetShareSource(
                    [chart, list](int row, int col) { return chart->Share(*list, row, col); });
            }
            page = hynix;
        } else if (IsEmmcType(type) && tab.m_bMerged) {
            auto* merged = new CMergePageDlg(*tab.m_pPage, m_session.EmmcNames(),
                                             m_session.MergePage(), false, m_pTabs);
            merged->SetShareList(m_session.PageList());
            page = merged;
        } else if (IsEmmcType(type)) {
            page = new CMFCPageEMMC(*tab.m_pPage, m_session.EmmcNames(), false, m_pTabs);
        } else {
            auto* ddr = new CMFCPageDDR(tab.m_chart, false, m_pTabs);
            AttachShareSource(*ddr, tab);
            page = ddr;
        }
        // Log names keep undecodable bytes as stand-ins; show those as U+FFFD.
        m_pTabs->addTab(page, QString::fromStdWString(PathDisplayName(tab.m_strName)));
        m_vecChartPages.push_back(page);
    }
    AttachCaptureTabs();
    m_bBuildingTabs = false;
    if (m_vecChartPages.empty()) {
        return;
    }
    m_pTabs->setCurrentIndex(0);
    m_pTabs->show();
    OnTabChanged(0);
}

void CQuillonDlg::AttachShareSource(CMFCPageDDR& page, const SQuillonTab& tab) {
    if (!tab.m_bMerged || m_session.PageList() == nullptr) {
        return;
    }
    // The tab and the page list live until the chart pages are destroyed.
    const CChartCellsDDR* chart = &tab.m_chart;
    const CLogPageList* list = m_session.PageList();
    page.SetShareSource([chart, list](int row, int col) { return chart->Share(*list, row, col); });
}

bool CQuillonDlg::OnAnalyse() {
    if (CScanProgressDlg::IsRunning()) {
        return false; // reached through the repaints of a running scan
    }
    if (m_pNotice) {
        delete m_pNotice.data();
    }
    SaveSettings();
    GetSettings().WriteCheckLogFile(m_pCheckLog->isChecked());

    const std::wstring directory = m_pDirectory->text().toStdWString();
    if (!directory.empty()) {
        // The session frees the pages the chart pages show.
        DestroyChartPages();
        m_pTabs->hide();
    }
    EQuillonAnalyseEnd end = EQuillonAnalyseEnd::DirEmpty;
    {
        CScanProgressDlg progress(this, m_nProgressDelayMs);
        end = m_session.Analyse(directory, SortMode(), progress.Callback());
    }
    if (end == EQuillonAnalyseEnd::DirEmpty) {
        m_pDirectory->setFocus();
        return false;
    }
    if (end != EQuillonAnalyseEnd::Scanned) {
        return false;
    }
    BuildChartPages();
    if (IsDdrType(m_session.LogType()) || m_session.LogType() < 0) {
        setWindowTitle(QString::fromStdWString(m_session.ScanTitle()));
    }
    m_session.ShowResultPrompt();
    return !m_vecChartPages.empty();
}

void CQuillonDlg::OnTabChanged(int index) {
    if (!m_bBuildingTabs && m_pLivePage != nullptr && m_pTabs->widget(index) == m_pLivePage) {
        m_pLivePage->Initialise();
        const CLiveScan& live = m_pLiveCapture->Live();
        if (!live.InScan() && !live.Results().empty()) {
            ShowLiveResultInPanel(live.Results().back());
        }
        return;
    }
    // A capture tab ("Log") has no chart page behind it.
    if (m_bBuildingTabs || index < 0 || size_t(index) >= m_vecChartPages.size()) {
        return;
    }
    const SQuillonTabView& view = m_session.ShowTab(index);
    if (view.m_bShown && m_pPanelDDR != nullptr && m_session.LogType() != kHynixType) {
        m_pPanelDDR->Refresh();
    }
    if (view.m_bShown && m_pPanelHynix != nullptr && m_session.LogType() == kHynixType) {
        m_pPanelHynix->Refresh();
    }
    if (CMFCPageDDR* page = ChartPage(index)) {
        page->Initialise();
        page->MarkBestRuns(view.m_vecMarks);
    } else if (CMFCPageDDRHynix* hynix = ChartPageHynix(index)) {
        hynix->Initialise();
    } else if (CMFCPageEMMC* emmc = ChartPageEMMC(index)) {
        emmc->Initialise();
    }
}

void CQuillonDlg::OnWriteBin() {
    const EQuillonWriteEnd end = m_session.WriteBin(m_pImage->text().toStdWString());
    if (end == EQuillonWriteEnd::NoImage) {
        m_pImage->setFocus();
    }
}

void CQuillonDlg::OnReset() {
    DestroyChartPages();
    m_pTabs->hide();
    std::unique_ptr<QSettings> profile = OpenProfile();
    m_session.Reset(CResultPanelDDR::LoadStored(*profile),
                    CChildDlgDDRHynix::LoadStored(*profile));
    if (m_pPanelDDR != nullptr) {
        m_pPanelDDR->Refresh();
    }
    if (m_pPanelHynix != nullptr) {
        m_pPanelHynix->Refresh();
    }
}

void CQuillonDlg::OnOK() {
    SaveSettings();
}

void CQuillonDlg::OnChartMax() {
    const int index = m_pTabs->currentIndex();
    if (m_vecChartPages.empty() || index < 0 || size_t(index) >= m_session.Tabs().size()) {
        return;
    }
    if (IsEmmcType(m_session.LogType())) {
        CMFCPageEMMC page(*m_session.Tabs()[size_t(index)].m_pPage, m_session.EmmcNames(), true,
                          this);
        if (m_session.Tabs()[size_t(index)].m_bMerged) {
            page.SetShareList(m_session.PageList());
        }
        page.Initialise();
        if (m_emmcChartMaxRunner) {
            m_emmcChartMaxRunner(page);
        } else {
            page.exec();
        }
        return;
    }
    if (!IsDdrType(m_session.LogType())) {
        return; // Hynix pages have no maximised view
    }
    CMFCPageDDR page(m_session.Tabs()[size_t(index)].m_chart, true, this);
    AttachShareSource(page, m_session.Tabs()[size_t(index)]);
    page.Initialise();
    page.MarkBestRuns(m_session.TabView().m_vecMarks);
    if (m_chartMaxRunner) {
        m_chartMaxRunner(page);
    } else {
        page.exec();
    }
}

void CQuillonDlg::OnSortChanged(int index) {
    Q_UNUSED(index);
    // DDR and Hynix results are sorted again; eMMC results keep their tabs and charts.
    if (m_session.PageList() == nullptr ||
        !(IsDdrType(m_session.LogType()) || m_session.LogType() == kHynixType)) {
        return;
    }
    DestroyChartPages();
    m_session.ChangeSort(SortMode());
    BuildChartPages();
}

CExportMenu::SSources CQuillonDlg::ExportSources() {
    CExportMenu::SSources sources;
    sources.m_grid = [this]() -> CGridCtrl* {
        QWidget* page = m_pTabs->currentWidget();
        return page != nullptr ? page->findChild<CGridCtrl*>() : nullptr;
    };
    sources.m_title = [this]() { return m_pTabs->tabText(m_pTabs->currentIndex()); };
    sources.m_resultText = [this]() -> QString {
        // The result panel that is shown: the DDR or Hynix panel, or the eMMC page's values.
        for (QWidget* panel : {static_cast<QWidget*>(m_pPanelDDR),
                               static_cast<QWidget*>(m_pPanelHynix),
                               static_cast<QWidget*>(MergePage())}) {
            if (panel != nullptr && panel->isVisibleTo(this)) {
                return WidgetFormText(*panel);
            }
        }
        return QString();
    };
    sources.m_report = [this](const QString& folder, std::string& error) {
        return WriteWindowReport(folder, error);
    };
    return sources;
}

bool CQuillonDlg::WriteWindowReport(const QString& folder, std::string& error) {
    // The report is the batch program's: the same analysis of the same folder, run again
    // quietly (questions answered No) so that its document and report match --report.
    SAnalyseOptions options;
    options.m_strDirectory = m_pDirectory->text().toStdWString();
    options.m_nLogType = m_session.LogType();
    options.m_nSortMode = SortMode();
    CConsolePrompt quiet(false);
    quiet.SetEcho(false);
    SAnalyseOutput output;
    {
        CScopedPrompt scope(quiet);
        output = RunAnalyse(options, quiet);
    }
    SReportRun run;
    run.m_strTool = "Quillon";
    run.m_strProduct =
        WideToUtf8(productinfo::kProductName) + " " + WideToUtf8(productinfo::kProductVersion);
    run.m_strDate = ReportTimestamp();
    run.m_strCommand = "Quillon: File > Export > Export report of " +
                       WideToUtf8(options.m_strDirectory);
    run.m_vecSettings.push_back(GetSettings().Path());
    std::vector<std::wstring> logs;
    if (!options.m_strDirectory.empty() && FindLogFiles(options.m_strDirectory, logs)) {
        for (const std::wstring& log : logs) {
            run.m_vecInputs.push_back(WideToPath(log));
        }
    }
    const auto writeJson = [&output](std::ostream& out) {
        out << output.m_doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    };
    return WriteQuillonReport(WideToPath(folder.toStdWString()), writeJson, run, error,
                              output.m_vecChartAxes);
}

void CQuillonDlg::OnLogDirectory() {
    const QString title = IsDdrType(m_session.LogType())
                              ? QStringLiteral("选择 DDR 日志文件所在目录")
                              : QStringLiteral("选择 EMMC 日志文件所在目录");
    const QString start =
        m_pDirectory->text().isEmpty() ? QDir::currentPath() : m_pDirectory->text();
    const QString chosen =
        m_folderChooser
            ? m_folderChooser(title, start)
            : QFileDialog::getExistingDirectory(this, title, start, QFileDialog::ShowDirsOnly);
    if (!chosen.isEmpty()) {
        m_pDirectory->setText(QDir::toNativeSeparators(chosen));
    }
}

void CQuillonDlg::OnBinFile() {
    const QString chosen =
        m_fileChooser ? m_fileChooser(m_pImage->text())
                      : QFileDialog::getOpenFileName(this, QString(), m_pImage->text(),
                                                     QStringLiteral("Binary Files (*.bin)"));
    if (!chosen.isEmpty()) {
        m_pImage->setText(QDir::toNativeSeparators(chosen));
    }
}

void CQuillonDlg::OnAbout() {
    const SVersionBlock block{productinfo::kProductName, productinfo::kProductVersion,
                              productinfo::kLegalCopyright, productinfo::kSpecialBuild};
    CXAboutDlg about(block, false, this);
    about.SetProductText(L"Quillon Analyse Tool");
    about.exec();
}

void CQuillonDlg::SetChartMaxRunner(std::function<void(CMFCPageDDR&)> runner) {
    m_chartMaxRunner = std::move(runner);
}

void CQuillonDlg::SetEmmcChartMaxRunner(std::function<void(CMFCPageEMMC&)> runner) {
    m_emmcChartMaxRunner = std::move(runner);
}

void CQuillonDlg::SetFolderChooser(std::function<QString(const QString&, const QString&)> f) {
    m_folderChooser = std::move(f);
}

void CQuillonDlg::SetFileChooser(std::function<QString(const QString&)> f) {
    m_fileChooser = std::move(f);
}

void CQuillonDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OnOK();
        event->accept();
        return;
    }
    // Escape closes the dialog without saving, as the close box does.
    QDialog::keyPressEvent(event);
}

void CQuillonDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalDirectoryOf(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void CQuillonDlg::dropEvent(QDropEvent* event) {
    if (DropFolder(event->mimeData())) {
        event->acceptProposedAction();
    }
}

bool CQuillonDlg::DropFolder(const QMimeData* mime) {
    const QString directory = LocalDirectoryOf(mime);
    if (directory.isEmpty()) {
        return false;
    }
    m_pDirectory->setText(directory);
    OnAnalyse();
    return true;
}

void CQuillonDlg::AttachCaptureTabs() {
    for (CPortDataCollectDlg* capture : m_arrCaptures) {
        if (capture != nullptr && m_pTabs->indexOf(capture) < 0) {
            m_pTabs->addTab(capture, QStringLiteral("Log"));
        }
    }
    if (m_pLivePage != nullptr && m_pTabs->indexOf(m_pLivePage) < 0) {
        m_pTabs->insertTab(m_pTabs->indexOf(m_pLiveCapture) + 1, m_pLivePage,
                           QStringLiteral("Live"));
    }
}

void CQuillonDlg::ShowLivePage(CPortDataCollectDlg* capture, const CLogPageBase& page) {
    m_liveChart.Build(page);
    if (m_pLivePage == nullptr) {
        m_pLiveCapture = capture;
        m_pLivePage = new CMFCPageDDR(m_liveChart, false, m_pTabs);
        AttachCaptureTabs();
    }
    m_pLivePage->SetFilling(capture->Live().InScan());
    m_pLivePage->RefreshCells();
}

void CQuillonDlg::OnLiveScanStarted(CPortDataCollectDlg* capture) {
    const CLiveScan& live = capture->Live();
    if (live.Page() == nullptr) {
        return;
    }
    // Every scan gets a new page: the grid's rows and columns are those of the new log.
    const bool watching = m_pTabs->currentWidget() == capture ||
                          (m_pLivePage != nullptr && m_pTabs->currentWidget() == m_pLivePage);
    delete m_pLivePage;
    m_pLivePage = nullptr;
    ShowLivePage(capture, *live.Page());
    if (watching) {
        m_pTabs->setCurrentWidget(m_pLivePage);
    }
    emit livePageShown(live.DataLines());
}

void CQuillonDlg::OnLivePageChanged(CPortDataCollectDlg* capture) {
    const CLiveScan& live = capture->Live();
    if (live.Page() == nullptr) {
        return;
    }
    ShowLivePage(capture, *live.Page());
    emit livePageShown(live.DataLines());
}

void CQuillonDlg::OnLiveScanEnded(CPortDataCollectDlg* capture) {
    const SLiveScanResult& result = capture->Live().Results().back();
    ShowLivePage(capture, *result.m_pPage);
    m_pLivePage->MarkBestRuns(m_liveChart.BestRunMarks(result.m_pPage->GetBestRecords()));
    m_pTabs->setTabToolTip(m_pTabs->indexOf(m_pLivePage),
                           QFile::decodeName(result.m_savedPath.c_str()));
    ShowLiveResultInPanel(result);
    emit livePageShown(result.m_nDataLines);
}

void CQuillonDlg::ShowLiveResultInPanel(const SLiveScanResult& result) {
    // The verdict of the scan, as its log tab will give it after the next Analyse.
    m_session.Panel().ShowPage(result.m_vecBest, result.m_rates, result.m_nRowPassNum,
                               result.m_nDdrKind, result.m_pPage->LaneSwap());
    if (m_pPanelDDR != nullptr) {
        m_pPanelDDR->Refresh();
    }
}

QAction* CQuillonDlg::UartAction(const QString& text) const {
    for (QAction* action : m_pUartMenu->actions()) {
        if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

void CQuillonDlg::OnPortSettings(int set) {
    CSerialPortSetDlg dialog(this);
    if (m_portSettingsRunner) {
        m_portSettingsRunner(dialog);
    } else {
        dialog.exec();
    }
    // After Cancel these are the texts loaded from the profile.
    m_arrPortSets[size_t(set)] = dialog.Values();
    m_nChipType = set;
}

void CQuillonDlg::SetPortSet(int set, const SSerialPortSettings& settings) {
    m_arrPortSets[size_t(set)] = settings;
    m_nChipType = set;
}

void CQuillonDlg::OnOpenCapture() {
    const int logType = m_session.LogType();
    if (logType != 0 && logType != 1) {
        return;
    }
    const int set = CurrentPortSet();
    const SSerialPortSettings& settings = m_arrPortSets[size_t(set)];
    if (settings.m_strPort == QLatin1String("COM1")) {
        GetPrompt().Show(set == 0 ? L"Orlo port parameter set error，please reset"
                                  : L"varro port parameter set error，please reset");
        return;
    }
    CPortDataCollectDlg*& capture = m_arrCaptures[size_t(set)];
    if (capture == nullptr) {
        capture = new CPortDataCollectDlg(m_pTabs);
        m_pTabs->addTab(capture, QStringLiteral("Log"));
        CPortDataCollectDlg* const window = capture;
        connect(window, &CPortDataCollectDlg::liveScanStarted, this,
                [this, window] { OnLiveScanStarted(window); });
        connect(window, &CPortDataCollectDlg::livePageChanged, this,
                [this, window] { OnLivePageChanged(window); });
        connect(window, &CPortDataCollectDlg::liveScanEnded, this,
                [this, window] { OnLiveScanEnded(window); });
        // Scans are saved into the folder Analyse reads.
        connect(m_pDirectory, &QLineEdit::textChanged, window,
                &CPortDataCollectDlg::SetLogFolder);
    } else {
        AttachCaptureTabs();
    }
    // The usage notice lies over the tab area; it would hide the capture, as it would charts.
    if (m_pNotice) {
        delete m_pNotice.data();
    }
    m_pTabs->show();
    m_pTabs->setCurrentWidget(capture);
    SSerialParams params;
    params.m_strPort = settings.m_strPort;
    params.m_nBaudRate = settings.m_strBaudRate.toInt();
    params.m_nDataBits = settings.m_strDataBits.toInt();
    params.m_strParity = settings.m_strParity;
    params.m_strStopBits = settings.m_strStopBits;
    capture->SetLogFolder(m_pDirectory->text());
    if (!capture->OpenPort(params)) {
        GetPrompt().Show(capture->Commun().LastError().toStdWString());
    }
}

void CQuillonDlg::OnPauseCapture() {
    if (CPortDataCollectDlg* capture = m_arrCaptures[size_t(CurrentPortSet())]) {
        capture->Commun().PauseCapture();
    }
}

void CQuillonDlg::OnCloseCapture() {
    if (CPortDataCollectDlg* capture = m_arrCaptures[size_t(CurrentPortSet())]) {
        capture->ClosePort();
    }
}

void CQuillonDlg::OnSaveCaptureAs() {
    CPortDataCollectDlg* capture = m_arrCaptures[size_t(CurrentPortSet())];
    if (capture == nullptr) {
        return;
    }
    const QString start = m_pDirectory->text();
    const QString chosen =
        m_saveChooser ? m_saveChooser(start)
                      : QFileDialog::getSaveFileName(this, QStringLiteral("Save capture as"), start,
                                                     QStringLiteral("Log Files (*.Txt);;All Files (*)"));
    if (chosen.isEmpty()) {
        return;
    }
    if (capture->Commun().SaveCapture(chosen) == 0) {
        GetPrompt().Show(QStringLiteral("Cannot write the capture to %1.")
                             .arg(QDir::toNativeSeparators(chosen))
                             .toStdWString());
    }
}

void CQuillonDlg::SetPortSettingsRunner(std::function<void(CSerialPortSetDlg&)> runner) {
    m_portSettingsRunner = std::move(runner);
}

void CQuillonDlg::SetSaveChooser(std::function<QString(const QString&)> f) {
    m_saveChooser = std::move(f);
}
