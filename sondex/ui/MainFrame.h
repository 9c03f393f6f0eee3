#pragma once

#include "ExportMenu.h"
#include "FolderWorkflow.h"

#include "PromptDlg.h"
#include "ScanProgressDlg.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

class CChildFrame;
class CResultFormView;
class CResultPane;
class QAction;
class QActionGroup;
class QLabel;
class QStackedWidget;
class QTabBar;
class QMenu;
class QSettings;

/// The Sondex main window: document windows in tabs, the result pane at the bottom, the
/// usage notice until the first log view opens, menus, status bar and recent files. The
/// documents and the folder analysis are the folder workflow's; the frame shows them.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kRecentFiles = 4;
    static constexpr const char* kOrganisation = "Norvale";
    static constexpr const char* kApplication = "Sondex";
    static constexpr const char* kSection = "Sondex::CMainFrame";
    static constexpr const char* kRecentSection = "Recent File List";

    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    /// Closes every document, opens every log of the folder and builds the statistics
    /// document. Returns the number of logs opened.
    int AnalyzeFolder(const QString& folder);
    /// Opens one log as a document; false when the open failed.
    bool OpenLogFile(const QString& path);
    /// Command line and drops: folders are analysed, files opened as logs, in order.
    void OpenPaths(const QStringList& paths);
    /// Activates the document step places away in opening order (no wrap-around).
    void SwitchDocument(int step);
    /// "LogDir": the folder browser, then the folder analysis of a newly chosen folder.
    void OnLogDir();
    /// File Open: the folder browser; only remembers the chosen folder.
    void OnFileOpen();
    /// File New: the statistics document of the current folder.
    void OnFileNew();

    /// Replaces the folder browser (tests answer it instead of a user). It is given the
    /// start folder and returns the chosen folder, empty when cancelled.
    void SetFolderChooser(std::function<QString(const QString&)> chooser);
    /// How long a folder analysis runs before its progress dialog shows (see CScanProgressDlg).
    void SetProgressDelay(int delayMs) { m_nProgressDelayMs = delayMs; }

    [[nodiscard]] sondex::CFolderWorkflow& Workflow() { return m_workflow; }
    [[nodiscard]] const std::vector<CChildFrame*>& Frames() const { return m_frames; }
    [[nodiscard]] CChildFrame* ActiveFrame() const;
    /// The client area: the document tabs above the shown document.
    [[nodiscard]] QWidget* Client() const { return m_pClient; }
    /// The document tabs, in opening order.
    [[nodiscard]] QTabBar* TabBar() const { return m_pTabBar; }
    [[nodiscard]] CResultPane* ResultPane() const { return m_pPane; }
    [[nodiscard]] CResultFormView* ResultForm() const;
    [[nodiscard]] CPromptDlg* Notice() const { return m_pNotice.data(); }
    [[nodiscard]] const QStringList& RecentFiles() const { return m_recentFiles; }
    [[nodiscard]] QString LogFileDir() const;
    [[nodiscard]] QAction* SrAction(int sr) const { return m_srActions[static_cast<size_t>(sr)]; }
    [[nodiscard]] QMenu* WindowMenu() const { return m_pWindowMenu; }
    [[nodiscard]] QMenu* FileMenu() const { return m_pFileMenu; }
    /// File ▸ Export.
    [[nodiscard]] CExportMenu* ExportMenu() const { return m_pExportMenu; }
    /// The available visual styles, Fusion first; "ApplicationLook" indexes this list.
    [[nodiscard]] static QStringList StyleNames();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateMenus();
    /// Where File ▸ Export takes the chart and the result from: the table grid of the shown
    /// document that has the focus (else its first table), and the result form.
    [[nodiscard]] CExportMenu::SSources ExportSources();
    /// "Export report...": the report sondex-cli analyse --report writes for the folder
    /// analysed last, with the SR values of the menu.
    bool WriteWindowReport(const QString& folder, std::string& error);
    void CreateStatusBar();
    void LoadSettings();
    void AddRecentFile(const QString& path);
    void RemoveRecentFile(const QString& path);
    void SaveRecentFiles() const;
    void SaveRecentFiles(QSettings& settings) const;
    void RebuildRecentMenu();
    void RebuildWindowMenu();
    void ApplyStyle(int index);
    void UpdateSrTexts();
    CChildFrame* AddFrame(sondex::CLogDocument* document, bool activate = true);
    /// Closes every frame; the tabs and the stack of frames are made anew (one by one, the
    /// tab bar would lay itself out again for every tab that goes).
    void CloseAllFrames();
    void CreateDocumentArea();
    [[nodiscard]] int IndexOf(const CChildFrame* frame) const;
    /// Refresh of the result form when a document's tab becomes the shown one.
    void OnFrameActivated(CChildFrame* frame);
    void OnViewInitialised(const QString& title);
    void OnAbout();
    [[nodiscard]] QString ChooseFolder(const QString& start);

    sondex::CFolderWorkflow m_workflow;
    QWidget* m_pClient = nullptr;
    QTabBar* m_pTabBar = nullptr;       ///< one tab per frame, same order as the stack
    QStackedWidget* m_pStack = nullptr; ///< the frames
    CResultPane* m_pPane = nullptr;
    QPointer<CPromptDlg> m_pNotice;
    std::vector<CChildFrame*> m_frames; ///< opening order
    QStringList m_recentFiles;          ///< newest first
    QString m_strChosenFolder;          ///< the folder last chosen in the browser
    QString m_strAnalysedFolder;        ///< the folder of the last folder analysis
    std::function<QString(const QString&)> m_folderChooser;
    std::array<QAction*, sondex::CFolderWorkflow::kSrCount> m_srActions{};
    QMenu* m_pFileMenu = nullptr;
    CExportMenu* m_pExportMenu = nullptr;
    QAction* m_pRecentSeparator = nullptr; ///< between the recent files and Exit
    QAction* m_pExitAction = nullptr;
    std::vector<QAction*> m_recentActions;
    QMenu* m_pWindowMenu = nullptr;
    QActionGroup* m_pStyleGroup = nullptr;
    bool m_bAddingFolder = false;            ///< no refresh while a folder's frames are added
    CChildFrame* m_pLastRefreshed = nullptr; ///< frame of the last refresh
    int m_nProgressDelayMs = CScanProgressDlg::ConfiguredDelayMs();
};
