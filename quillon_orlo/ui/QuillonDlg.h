#pragma once

#include "ExportMenu.h"
#include "OrloSession.h"
#include "PromptDlg.h"
#include "ScanProgressDlg.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

class CMFCPageOrlo;
class CMFCPageOrloMain;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QTabBar;

/// The QuillonOrlo main dialog: three temperature directories, the scan command and a tab
/// per page of the result (the statistics page first). The command flow is the engine's
/// COrloSession, the same one the batch program drives; this class turns clicks into its
/// calls and shows what it holds.
class CQuillonDlg : public QDialog {
    Q_OBJECT

public:
    /// The three directory rows.
    enum EDirRow { kNormalRow = 0, kLowRow = 1, kHighRow = 2 };

    /// Picks a folder: (title, start folder) to the chosen folder, empty when cancelled.
    using FolderChooser = std::function<QString(const QString&, const QString&)>;

    explicit CQuillonDlg(QWidget* parent = nullptr);
    ~CQuillonDlg() override;

    /// Profile of the window: organisation, application and section.
    static const QString kProfileOrganisation;
    static const QString kProfileApplication;
    static const QString kProfileSection;

    // Commands.
    void OnScan();
    void OnBrowse(EDirRow row);
    void OnTabSelected(int index);
    void OnAbout();
    /// Fills the boxes from the command line: a given low or high directory ticks its box.
    void SetDirectories(const QString& normal, const QString& low, const QString& high);
    void SetFolderChooser(FolderChooser chooser) { m_folderChooser = std::move(chooser); }
    /// How long Scan runs before its progress dialog shows (see CScanProgressDlg).
    void SetProgressDelay(int delayMs) { m_nProgressDelayMs = delayMs; }

    // What the dialog holds.
    [[nodiscard]] const orlo::COrloSession& Session() const { return m_session; }
    [[nodiscard]] const std::vector<CMFCPageOrlo*>& Pages() const { return m_pages; }
    /// The statistics page, null without a result.
    [[nodiscard]] CMFCPageOrloMain* MainPage() const;
    [[nodiscard]] bool Verdict() const { return m_session.Verdict(); }
    [[nodiscard]] CPromptDlg* Notice() const { return m_pNotice.data(); }

    // Controls, for the program's command line and the tests.
    [[nodiscard]] QLineEdit* DirEdit(EDirRow row) const { return m_pDirEdit[row]; }
    [[nodiscard]] QPushButton* BrowseButton(EDirRow row) const { return m_pBrowse[row]; }
    [[nodiscard]] QCheckBox* IncludeLowBox() const { return m_pIncludeLow; }
    [[nodiscard]] QCheckBox* IncludeHighBox() const { return m_pIncludeHigh; }
    [[nodiscard]] QCheckBox* CheckLogBox() const { return m_pCheckLog; }
    [[nodiscard]] QLineEdit* ClkwrEdit() const { return m_pClkwrEdit; }
    [[nodiscard]] QPushButton* ScanButton() const { return m_pScanButton; }
    [[nodiscard]] QTabBar* TabBar() const { return m_pTabBar; }
    [[nodiscard]] QFrame* TabArea() const { return m_pTabArea; }
    [[nodiscard]] QGroupBox* DirGroup() const { return m_pGroup; }
    [[nodiscard]] QLabel* ClkwrLabel() const { return m_pClkwrLabel; }
    [[nodiscard]] QMenuBar* MenuBar() const { return m_pMenuBar; }
    /// The menu bar's Export menu.
    [[nodiscard]] CExportMenu* ExportMenu() const { return m_pExportMenu; }

    /// Where page i of the tab control lies in the dialog for a dialog of the given size.
    [[nodiscard]] QRect PageRect(int index, const QSize& dialogSize) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateControls();
    /// Where Export takes the chart, the result and the report from.
    [[nodiscard]] CExportMenu::SSources ExportSources();
    bool WriteWindowReport(const QString& folder, std::string& error);
    void LoadProfile();
    void SaveProfile() const;
    void UpdateIncludeState();
    void DestroyPages();
    void BuildPages();
    void PlacePages();
    void PlaceTabBar();
    void ShowNotice();

    orlo::COrloSession m_session;
    std::vector<CMFCPageOrlo*> m_pages; // children of the dialog, in tab order
    QPointer<CPromptDlg> m_pNotice;
    FolderChooser m_folderChooser;
    int m_nProgressDelayMs = CScanProgressDlg::ConfiguredDelayMs();
    // Stored and restored, shown nowhere.
    QString m_strNormalThreshold = QStringLiteral("70");
    QString m_strLowThreshold = QStringLiteral("70");
    QString m_strHighThreshold = QStringLiteral("70");
    QSize m_lastSize; // size of the last layout, for the resize deltas

    QMenuBar* m_pMenuBar = nullptr;
    CExportMenu* m_pExportMenu = nullptr;
    QGroupBox* m_pGroup = nullptr;
    QLabel* m_pDirLabel[3] = {};
    QLineEdit* m_pDirEdit[3] = {};
    QPushButton* m_pBrowse[3] = {};
    QCheckBox* m_pIncludeLow = nullptr;
    QCheckBox* m_pIncludeHigh = nullptr;
    QLabel* m_pClkwrLabel = nullptr;
    QLineEdit* m_pClkwrEdit = nullptr;
    QPushButton* m_pScanButton = nullptr;
    QFrame* m_pTabArea = nullptr;
    QTabBar* m_pTabBar = nullptr;
    QCheckBox* m_pCheckLog = nullptr;
};
