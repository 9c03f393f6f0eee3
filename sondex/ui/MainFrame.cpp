#include "MainFrame.h"

#include "ChildFrame.h"
#include "DDRTable.h"
#include "ResultFormView.h"
#include "ResultPane.h"
#include "SondexView.h"

#include "ProjectConfig.h"
#include "SondexReport.h"

#include "GridCtrl.h"
#include "HtmlReport.h"
#include "ProductVersion.h"
#include "PromptDlg.h"
#include "TextUtil.h"
#include "XAboutDlg.h"

#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>
#include <QTimer>
#include <QToolBar>

using namespace sondex;

namespace {

std::filesystem::path ToPath(const QString& text) {
    return WideToPath(text.toStdWString());
}

QString FromPath(const std::filesystem::path& path) {
    return QString::fromStdWString(PathToWide(path));
}

QSettings OpenSettings() {
    return QSettings(QString::fromLatin1(CMainFrame::kOrganisation),
                     QString::fromLatin1(CMainFrame::kApplication));
}

} // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(QStringLiteral("Sondex Tool"));
    setAcceptDrops(true);

    m_pClient = new QWidget(this);
    m_pClient->setObjectName(QStringLiteral("client"));
    auto* clientLayout = new QVBoxLayout(m_pClient);
    clientLayout->setContentsMargins(0, 0, 0, 0);
    clientLayout->setSpacing(0);
    setCentralWidget(m_pClient);
    CreateDocumentArea();

    m_pPane = new CResultPane(this);
    addDockWidget(Qt::BottomDockWidgetArea, m_pPane);
    resizeDocks({m_pPane}, {CResultPane::kInitialHeight}, Qt::Vertical);
    connect(ResultForm(), &CResultFormView::logDirClicked, this, &CMainFrame::OnLogDir);
    connect(ResultForm(), &CResultFormView::analyzeRequested, this,
            [this](const QString& folder) { AnalyzeFolder(folder); });

    CreateMenus();
    CreateStatusBar();
    LoadSettings();

    // The notice covers the client area until the first log view opens.
    m_pNotice = new CPromptDlg(EPromptVariant::Sondex, m_pClient);
    m_pNotice->SetLines(GetProjectConfig().GetPromptLines());
    // The table is placed in the client area itself, so its title is not cut off by the
    // menu and tool bars above it.
    m_pNotice->SetPlacementSource([client = m_pClient] { return client->rect(); });
    m_pNotice->show();
    m_pNotice->raise();
}

CMainFrame::~CMainFrame() {
    // Frames show documents the workflow owns: they go first.
    m_frames.clear();
    delete m_pStack;
}

void CMainFrame::CreateDocumentArea() {
    // A plain tab bar over a stack: adding a tab to a hidden bar costs nothing, so a folder
    // of many logs is laid out once, when it is shown.
    m_pTabBar = new QTabBar(m_pClient);
    m_pTabBar->setObjectName(QStringLiteral("documentTabs"));
    m_pTabBar->setDocumentMode(true);
    m_pTabBar->setExpanding(false);
    m_pTabBar->setUsesScrollButtons(true);
    m_pStack = new QStackedWidget(m_pClient);
    m_pStack->setObjectName(QStringLiteral("documents"));
    auto* layout = static_cast<QVBoxLayout*>(m_pClient->layout());
    layout->insertWidget(0, m_pTabBar);
    layout->insertWidget(1, m_pStack, 1);
    m_pTabBar->setVisible(false);
    connect(m_pTabBar, &QTabBar::currentChanged, this, [this](int index) {
        if (index < 0 || index >= static_cast<int>(m_frames.size())) {
            return;
        }
        m_pStack->setCurrentWidget(m_frames[static_cast<size_t>(index)]);
        OnFrameActivated(m_frames[static_cast<size_t>(index)]);
    });
}

CResultFormView* CMainFrame::ResultForm() const {
    return m_pPane->GetForm();
}

QString CMainFrame::LogFileDir() const {
    return FromPath(m_workflow.GetLogFileDir());
}

QStringList CMainFrame::StyleNames() {
    QStringList names = QStyleFactory::keys();
    const qsizetype fusion = names.indexOf(QStringLiteral("Fusion"), 0);
    if (fusion > 0) {
        names.move(fusion, 0);
    }
    return names;
}

CExportMenu::SSources CMainFrame::ExportSources() {
    CExportMenu::SSources sources;
    sources.m_grid = [this]() -> CGridCtrl* {
        CChildFrame* frame = ActiveFrame();
        if (frame == nullptr || !frame->HasView()) {
            return nullptr;
        }
        CGridCtrl* first = nullptr;
        for (const auto& [index, table] : frame->GetView()->GetTables()) {
            CGridCtrl* grid = table->GetGrid();
            if (grid != nullptr && grid->hasFocus()) {
                return grid;
            }
            first = first != nullptr ? first : grid;
        }
        return first;
    };
    sources.m_title = [this]() {
        return m_pTabBar != nullptr ? m_pTabBar->tabText(m_pTabBar->currentIndex()) : QString();
    };
    sources.m_resultText = [this]() {
        const CResultFormView* form = ResultForm();
        return form != nullptr ? WidgetFormText(*form) : QString();
    };
    sources.m_report = [this](const QString& folder, std::string& error) {
        return WriteWindowReport(folder, error);
    };
    return sources;
}

bool CMainFrame::WriteWindowReport(const QString& folder, std::string& error) {
    if (m_strAnalysedFolder.isEmpty()) {
        error = "no log folder has been analysed yet (LogDir chooses one)";
        return false;
    }
    SReportRun run;
    run.m_strTool = "Sondex";
    run.m_strProduct =
        WideToUtf8(productinfo::kProductName) + " " + WideToUtf8(productinfo::kProductVersion);
    run.m_strDate = ReportTimestamp();
    run.m_strCommand =
        "Sondex: File > Export > Export report of " + m_strAnalysedFolder.toStdString();
    return WriteSondexFolderReport(ToPath(folder), ToPath(m_strAnalysedFolder),
                                   m_workflow.GetSelectedSr(), run, error);
}

void CMainFrame::CreateMenus() {
    m_pFileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* newAction = m_pFileMenu->addAction(QStringLiteral("&New"));
    newAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    newAction->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    connect(newAction, &QAction::triggered, this, &CMainFrame::OnFileNew);
    QAction* openAction = m_pFileMenu->addAction(QStringLiteral("&Open..."));
    openAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    openAction->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    connect(openAction, &QAction::triggered, this, &CMainFrame::OnFileOpen);
    m_pExportMenu = new CExportMenu(ExportSources(), this);
    m_pFileMenu->addMenu(m_pExportMenu);
    m_pFileMenu->addSeparator();
    // Recent files go between the two separators; the second shows only when there are any.
    m_pRecentSeparator = m_pFileMenu->addSeparator();
    m_pExitAction = m_pFileMenu->addAction(QStringLiteral("E&xit"));
    connect(m_pExitAction, &QAction::triggered, this, &QWidget::close);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    QToolBar* toolBar = addToolBar(QStringLiteral("Standard"));
    toolBar->setObjectName(QStringLiteral("toolBar"));
    toolBar->setMovable(false);
    QAction* toolBarAction = toolBar->toggleViewAction();
    toolBarAction->setText(QStringLiteral("&Toolbar"));
    view->addAction(toolBarAction);
    QAction* statusAction = view->addAction(QStringLiteral("&Status Bar"));
    statusAction->setCheckable(true);
    statusAction->setChecked(true);
    connect(statusAction, &QAction::toggled, this,
            [this](bool on) { statusBar()->setVisible(on); });
    QMenu* look = view->addMenu(QStringLiteral("&Application Look"));
    m_pStyleGroup = new QActionGroup(this);
    const QStringList styles = StyleNames();
    for (int i = 0; i < styles.size(); ++i) {
        QAction* action = look->addAction(styles[i]);
        action->setCheckable(true);
        action->setData(i);
        m_pStyleGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, i] {
            ApplyStyle(i);
            QSettings settings = OpenSettings();
            settings.setValue(QStringLiteral("%1/ApplicationLook").arg(QLatin1String(kSection)), i);
        });
    }

    QMenu* sr = menuBar()->addMenu(QStringLiteral("SR VALUE"));
    for (int n = 0; n < CFolderWorkflow::kSrCount; ++n) {
        QAction* action = sr->addAction(QString());
        action->setCheckable(true);
        action->setChecked(m_workflow.IsSrSelected(n));
        connect(action, &QAction::triggered, this, [this, n](bool) {
            m_workflow.ToggleSr(n);
            m_srActions[static_cast<size_t>(n)]->setChecked(m_workflow.IsSrSelected(n));
        });
        m_srActions[static_cast<size_t>(n)] = action;
    }
    UpdateSrTexts();

    m_pWindowMenu = menuBar()->addMenu(QStringLiteral("&Window"));
    connect(m_pWindowMenu, &QMenu::aboutToShow, this, &CMainFrame::RebuildWindowMenu);
    RebuildWindowMenu();

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* about = help->addAction(QStringLiteral("&About Sondex..."));
    about->setIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    connect(about, &QAction::triggered, this, &CMainFrame::OnAbout);

    toolBar->addAction(newAction);
    toolBar->addAction(openAction);
    toolBar->addSeparator();
    toolBar->addAction(about);
}

void CMainFrame::CreateStatusBar() {
    auto* message = new QLabel(QStringLiteral("Ready"), this);
    statusBar()->addWidget(message, 1);
    // The key-lock panes: their state cannot be read here, so they stay in their off look.
    for (const char* text : {"CAP", "NUM", "SCRL"}) {
        auto* pane = new QLabel(QString::fromLatin1(text), this);
        pane->setEnabled(false);
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(40);
        statusBar()->addPermanentWidget(pane);
    }
}

void CMainFrame::LoadSettings() {
    QSettings settings = OpenSettings();
    settings.beginGroup(QLatin1String(kSection));
    const QString dir = settings.value(QStringLiteral("LogFileDir"), QString()).toString();
    const int look = settings.value(QStringLiteral("ApplicationLook"), 214).toInt();
    settings.endGroup();
    m_workflow.SetLogFileDir(ToPath(dir));
    ResultForm()->SetFolderText(dir);
    ApplyStyle(look);

    settings.beginGroup(QLatin1String(kRecentSection));
    m_recentFiles.clear();
    for (int i = 1; i <= kRecentFiles; ++i) {
        const QString file = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!file.isEmpty()) {
            m_recentFiles.append(file);
        }
    }
    settings.endGroup();
    RebuildRecentMenu();
}

void CMainFrame::ApplyStyle(int index) {
    const QStringList styles = StyleNames();
    if (styles.isEmpty()) {
        return;
    }
    // Any stored value that names no style here (the default 214 among them) means Fusion.
    if (index < 0 || index >= styles.size()) {
        index = 0;
    }
    if (QStyle* style = QStyleFactory::create(styles[index])) {
        QApplication::setStyle(style);
    }
    for (QAction* action : m_pStyleGroup->actions()) {
        action->setChecked(action->data().toInt() == index);
    }
}

void CMainFrame::UpdateSrTexts() {
    // The frame's own menu spells the last item differently from the document menu.
    const bool documentMenu = !m_frames.empty();
    for (int n = 0; n < CFolderWorkflow::kSrCount; ++n) {
        QString text = QStringLiteral("sr =  %1").arg(n);
        if (n == 3 && !documentMenu) {
            text = QStringLiteral("sr  = 3");
        }
        m_srActions[static_cast<size_t>(n)]->setText(text);
    }
}

void CMainFrame::AddRecentFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    m_recentFiles.removeAll(absolute);
    m_recentFiles.prepend(absolute);
    while (m_recentFiles.size() > kRecentFiles) {
        m_recentFiles.removeLast();
    }
}

void CMainFrame::RemoveRecentFile(const QString& path) {
    m_recentFiles.removeAll(QFileInfo(path).absoluteFilePath());
}

void CMainFrame::SaveRecentFiles() const {
    QSettings settings = OpenSettings();
    SaveRecentFiles(settings);
}

void CMainFrame::SaveRecentFiles(QSettings& settings) const {
    settings.beginGroup(QLatin1String(kRecentSection));
    for (int i = 1; i <= kRecentFiles; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= m_recentFiles.size()) {
            settings.setValue(key, m_recentFiles[i - 1]);
        } else {
            settings.remove(key);
        }
    }
    settings.endGroup();
}

void CMainFrame::RebuildRecentMenu() {
    for (QAction* action : m_recentActions) {
        m_pFileMenu->removeAction(action);
        action->deleteLater();
    }
    m_recentActions.clear();
    for (int i = 0; i < m_recentFiles.size(); ++i) {
        const QString file = m_recentFiles[i];
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(file), this);
        connect(action, &QAction::triggered, this, [this, file] { OpenLogFile(file); });
        m_pFileMenu->insertAction(m_pRecentSeparator, action);
        m_recentActions.push_back(action);
    }
    m_pRecentSeparator->setVisible(!m_recentFiles.isEmpty());
}

void CMainFrame::RebuildWindowMenu() {
    m_pWindowMenu->clear();
    if (m_frames.empty()) {
        QAction* none = m_pWindowMenu->addAction(QStringLiteral("(no document)"));
        none->setEnabled(false);
        return;
    }
    CChildFrame* active = ActiveFrame();
    for (size_t i = 0; i < m_frames.size(); ++i) {
        CChildFrame* frame = m_frames[i];
        QString title = frame->windowTitle();
        if (!frame->toolTip().isEmpty() && frame->toolTip() != title) {
            title += QStringLiteral(" - ") + frame->toolTip();
        }
        QAction* action = m_pWindowMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(title));
        action->setCheckable(true);
        action->setChecked(frame == active);
        connect(action, &QAction::triggered, this, [this, frame] {
            m_pTabBar->setCurrentIndex(IndexOf(frame));
            frame->GetView()->setFocus();
        });
    }
}

CChildFrame* CMainFrame::ActiveFrame() const {
    const int index = m_pTabBar->currentIndex();
    return index >= 0 && index < static_cast<int>(m_frames.size())
               ? m_frames[static_cast<size_t>(index)]
               : nullptr;
}

CChildFrame* CMainFrame::AddFrame(CLogDocument* document, bool activate) {
    auto* frame = new CChildFrame(document);
    connect(frame, &CChildFrame::switchDocument, this, &CMainFrame::SwitchDocument);
    if (document->IsStatistics()) {
        frame->GetView()->SetShareSource([this](int table, int row, int col) {
            return m_workflow.CellShare(table, row, col);
        });
    }
    m_frames.push_back(frame);
    UpdateSrTexts();
    // What the first update of a document's view does to the frame: the notice goes, the
    // title shows the log's header.
    OnViewInitialised(CSondexView::FrameTitle(document->GetHeader()));
    m_pStack->addWidget(frame);
    const int index = m_pTabBar->addTab(frame->windowTitle());
    m_pTabBar->setTabToolTip(index, frame->toolTip());
    if (!m_bAddingFolder && !m_pTabBar->isVisibleTo(m_pClient)) {
        m_pTabBar->setVisible(true);
    }
    if (activate) {
        m_pTabBar->setCurrentIndex(index);
        frame->GetView()->setFocus();
    }
    return frame;
}

void CMainFrame::CloseAllFrames() {
    if (!m_frames.empty()) {
        m_frames.clear();
        // Deleting the stack deletes the frames with it, and the bar goes whole.
        delete m_pTabBar;
        delete m_pStack;
        CreateDocumentArea();
    }
    if (m_srActions[0] != nullptr) {
        UpdateSrTexts();
    }
}

int CMainFrame::IndexOf(const CChildFrame* frame) const {
    const auto at = std::find(m_frames.begin(), m_frames.end(), frame);
    return at == m_frames.end() ? -1 : static_cast<int>(at - m_frames.begin());
}

void CMainFrame::OnViewInitialised(const QString& title) {
    if (m_pNotice) {
        delete m_pNotice.data();
    }
    setWindowTitle(title);
}

void CMainFrame::OnFrameActivated(CChildFrame* frame) {
    if (frame == nullptr || m_bAddingFolder) {
        return;
    }
    m_pLastRefreshed = frame;
    frame->GetView()->EnsureGrids();
    m_workflow.Activate(frame->GetDocument());
    ResultForm()->ShowModel(m_workflow.GetResultForm());
}

int CMainFrame::AnalyzeFolder(const QString& folder) {
    if (CScanProgressDlg::IsRunning()) {
        return 0; // reached through the repaints of a running scan
    }
    // While hidden, the tabs are neither laid out nor shown one by one as the documents of
    // a folder come; the window shows the result once.
    CloseAllFrames();
    m_pTabBar->hide();
    int opened = 0;
    {
        CScanProgressDlg progress(this, m_nProgressDelayMs);
        opened = m_workflow.AnalyzeFolder(ToPath(folder), progress.Callback());
    }
    ResultForm()->ShowModel(m_workflow.GetResultForm());
    // The documents are added without each becoming the shown one in turn: the last (the
    // statistics) is shown and refreshed, the others' grids are built when their tab is
    // first chosen. Refreshing each log on the way would end in the same state.
    m_bAddingFolder = true;
    for (const auto& document : m_workflow.GetDocuments()) {
        AddFrame(document.get(), false);
    }
    m_bAddingFolder = false;
    // Shown again before the statistics are: their messages come over the documents.
    m_pTabBar->setVisible(!m_frames.empty());
    if (!m_frames.empty()) {
        m_pLastRefreshed = nullptr;
        m_pTabBar->setCurrentIndex(static_cast<int>(m_frames.size()) - 1);
        if (m_pLastRefreshed != m_frames.back()) {
            OnFrameActivated(m_frames.back());
        }
        m_frames.back()->GetView()->setFocus();
    }
    m_strAnalysedFolder = folder;
    if (opened > 0) {
        const QStringList before = m_recentFiles;
        for (const auto& record : m_workflow.GetOpenRecords()) {
            if (record.opened) {
                AddRecentFile(FromPath(record.path));
            }
        }
        // The profile is written (and flushed to disk) only when something in it changed:
        // analysing the same folder again costs no write.
        const QString key = QStringLiteral("%1/LogFileDir").arg(QLatin1String(kSection));
        QSettings settings = OpenSettings();
        if (settings.value(key).toString() != LogFileDir()) {
            settings.setValue(key, LogFileDir());
        }
        if (m_recentFiles != before) {
            SaveRecentFiles(settings);
            RebuildRecentMenu();
        }
    }
    return opened;
}

bool CMainFrame::OpenLogFile(const QString& path) {
    CLogDocument* document = m_workflow.OpenLog(ToPath(path));
    if (document == nullptr) {
        // A recent file that no longer opens leaves the list.
        RemoveRecentFile(path);
        SaveRecentFiles();
        RebuildRecentMenu();
        return false;
    }
    AddFrame(document);
    AddRecentFile(path);
    SaveRecentFiles();
    RebuildRecentMenu();
    return true;
}

void CMainFrame::OpenPaths(const QStringList& paths) {
    for (const QString& path : paths) {
        if (QFileInfo(path).isDir()) {
            ResultForm()->SetFolderText(path);
            AnalyzeFolder(path);
        } else {
            OpenLogFile(path);
        }
    }
}

void CMainFrame::SwitchDocument(int step) {
    CChildFrame* active = ActiveFrame();
    const auto at = std::find(m_frames.begin(), m_frames.end(), active);
    if (at == m_frames.end()) {
        return;
    }
    const auto index = static_cast<long>(at - m_frames.begin()) + step;
    if (index < 0 || index >= static_cast<long>(m_frames.size())) {
        return;
    }
    CChildFrame* next = m_frames[static_cast<size_t>(index)];
    m_pTabBar->setCurrentIndex(static_cast<int>(index));
    next->GetView()->setFocus();
}

void CMainFrame::SetFolderChooser(std::function<QString(const QString&)> chooser) {
    m_folderChooser = std::move(chooser);
}

QString CMainFrame::ChooseFolder(const QString& start) {
    if (m_folderChooser) {
        return m_folderChooser(start);
    }
    return QFileDialog::getExistingDirectory(this, QStringLiteral("选择日志文件所在目录"), start,
                                             QFileDialog::ShowDirsOnly);
}

void CMainFrame::OnLogDir() {
    const QString start = LogFileDir().isEmpty() ? QDir::currentPath() : LogFileDir();
    const QString chosen = ChooseFolder(start);
    if (chosen.isEmpty() || chosen.compare(m_strChosenFolder, Qt::CaseInsensitive) == 0) {
        return;
    }
    m_strChosenFolder = chosen;
    ResultForm()->SetFolderText(chosen);
    QApplication::processEvents();
    AnalyzeFolder(chosen);
}

void CMainFrame::OnFileOpen() {
    const QString start = LogFileDir().isEmpty() ? QDir::currentPath() : LogFileDir();
    const QString chosen = ChooseFolder(start);
    if (!chosen.isEmpty()) {
        m_strChosenFolder = chosen;
    }
}

void CMainFrame::OnFileNew() {
    AddFrame(m_workflow.CreateStatisticsDocument());
}

void CMainFrame::OnAbout() {
    const SVersionBlock block{productinfo::kProductName, productinfo::kProductVersion,
                              productinfo::kLegalCopyright, productinfo::kSpecialBuild};
    CXAboutDlg about(block, true, this);
    about.SetProductText(L"Sondex Tool");
    about.exec();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        for (const QUrl& url : event->mimeData()->urls()) {
            if (url.isLocalFile()) {
                event->acceptProposedAction();
                return;
            }
        }
    }
    QMainWindow::dragEnterEvent(event);
}

void CMainFrame::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    if (paths.isEmpty()) {
        QMainWindow::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    // Opened once the drop is over: the analysis may show message boxes of its own.
    QTimer::singleShot(0, this, [this, paths] { OpenPaths(paths); });
}
