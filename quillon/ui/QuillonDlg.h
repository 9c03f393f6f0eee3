#pragma once

#include "ChartCellsDDR.h"
#include "ExportMenu.h"
#include "PromptDlg.h"
#include "QuillonSession.h"
#include "ScanProgressDlg.h"
#include "SerialPortSetDlg.h"

#include <QDialog>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class CChildDlgDDRHynix;
class CChildDlgEMMC;
class CMFCPageDDR;
class CMFCPageDDRHynix;
class CMFCPageEMMC;
class CMergePageDlg;
class CPortDataCollectDlg;
class CResultPanelDDR;
namespace quillon {
struct SLiveScanResult;
} // namespace quillon
class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QMimeData;
class QPushButton;
class QSettings;
class QTabWidget;

// Quillon's main dialog: log type menu, directory and image boxes, Analyse and Write bin,
// the result panel of the log type at the top right, and the chart tabs below it. Every
// command is a call of the session; the dialog paints what the session holds.
class CQuillonDlg : public QDialog {
    Q_OBJECT
public:
    /// Profile section and keys of the dialog.
    static constexpr const char* kProfileSection = "CQuillonDlg_Varro";

    explicit CQuillonDlg(QWidget* parent = nullptr);
    ~CQuillonDlg() override;
    CQuillonDlg(const CQuillonDlg&) = delete;
    CQuillonDlg& operator=(const CQuillonDlg&) = delete;

    /// The per-user profile of the program.
    [[nodiscard]] static std::unique_ptr<QSettings> OpenProfile();

    // Commands, as the menu, the buttons and the boxes give them.
    void OnLogType(int logType);
    /// Analyse; true when it ended with tabs (a successful scan).
    bool OnAnalyse();
    void OnWriteBin();
    void OnReset();
    /// OK (Enter): saves the settings and the profile; the dialog stays open.
    void OnOK();
    void OnChartMax();
    void OnSortChanged(int index);
    void OnTabChanged(int index);
    void OnLogDirectory();
    void OnBinFile();
    void OnAbout();
    // UART capture of the current serial-port set (set 0 or 1).
    void OnPortSettings(int set);
    void OnOpenCapture();
    void OnPauseCapture();
    void OnCloseCapture();
    void OnSaveCaptureAs();
    /// Sets a serial-port set without the dialog and makes it the current one.
    void SetPortSet(int set, const SSerialPortSettings& settings);
    /// A drop from a file manager: the first local folder goes into the directory box and is
    /// analysed. False when the data holds no local folder.
    bool DropFolder(const QMimeData* mime);

    [[nodiscard]] quillon::CQuillonSession& Session() { return m_session; }
    [[nodiscard]] QLineEdit* DirectoryBox() const { return m_pDirectory; }
    [[nodiscard]] QLineEdit* ImageBox() const { return m_pImage; }
    [[nodiscard]] QCheckBox* CheckBox() const { return m_pCheckLog; }
    [[nodiscard]] QComboBox* SortBox() const { return m_pSort; }
    [[nodiscard]] QTabWidget* Tabs() const { return m_pTabs; }
    [[nodiscard]] CResultPanelDDR* PanelDDR() const { return m_pPanelDDR; }
    [[nodiscard]] CChildDlgDDRHynix* PanelHynix() const { return m_pPanelHynix; }
    [[nodiscard]] CChildDlgEMMC* PanelEMMC() const { return m_pPanelEMMC; }
    [[nodiscard]] QAction* LogTypeAction(int logType) const;
    /// The chart page of tab index as the kind the analysis made; nullptr for another kind.
    [[nodiscard]] CMFCPageDDR* ChartPage(int index) const;
    [[nodiscard]] CMFCPageDDRHynix* ChartPageHynix(int index) const;
    [[nodiscard]] CMFCPageEMMC* ChartPageEMMC(int index) const;
    /// The eMMC statistics tab with the recommended values; nullptr without one.
    [[nodiscard]] CMergePageDlg* MergePage() const;
    [[nodiscard]] CPromptDlg* UsageNotice() const { return m_pNotice.data(); }
    [[nodiscard]] QPushButton* AnalyseButton() const { return m_pAnalyse; }
    [[nodiscard]] QPushButton* WriteBinButton() const { return m_pWriteBin; }
    [[nodiscard]] QPushButton* ResetButton() const { return m_pReset; }
    [[nodiscard]] const SSerialPortSettings& PortSet(int set) const {
        return m_arrPortSets[size_t(set)];
    }
    /// The serial-port set the capture commands use.
    [[nodiscard]] int CurrentPortSet() const { return m_nChipType == 1 ? 1 : 0; }
    [[nodiscard]] CPortDataCollectDlg* Capture(int set) const {
        return m_arrCaptures[size_t(set)];
    }
    /// The chart page of the scan a capture follows ("Live" tab); nullptr before the first.
    [[nodiscard]] CMFCPageDDR* LivePage() const { return m_pLivePage; }
    [[nodiscard]] QAction* UartAction(const QString& text) const;
    /// File ▸ Export.
    [[nodiscard]] CExportMenu* ExportMenu() const { return m_pExportMenu; }
    /// The sort mode of the selected sort box entry (2 when none is selected).
    [[nodiscard]] int SortMode() const;

    /// Replaces how the Chart Max window is run (modal by default); tests look at it instead.
    void SetChartMaxRunner(std::function<void(CMFCPageDDR&)> runner);
    void SetEmmcChartMaxRunner(std::function<void(CMFCPageEMMC&)> runner);
    /// Replaces the folder browser and the file-open dialog (tests answer them).
    void SetFolderChooser(std::function<QString(const QString& title, const QString& start)> f);
    void SetFileChooser(std::function<QString(const QString& start)> f);
    /// Replaces how the serial settings dialog is run (modal by default) and the save dialog.
    void SetPortSettingsRunner(std::function<void(CSerialPortSetDlg&)> runner);
    void SetSaveChooser(std::function<QString(const QString& start)> f);
    /// How long Analyse scans before its progress dialog shows (see CScanProgressDlg).
    void SetProgressDelay(int delayMs) { m_nProgressDelayMs = delayMs; }

signals:
    /// The Live tab's chart shows dataLines data lines of the scan (after a repaint).
    void livePageShown(qulonglong dataLines);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    /// Where File ▸ Export takes the chart, the result and the report from.
    [[nodiscard]] CExportMenu::SSources ExportSources();
    bool WriteWindowReport(const QString& folder, std::string& error);

    void BuildControls();
    void LoadSettings();
    void SaveSettings();
    void ShowPanelOfType();
    void UpdateMenuChecks();
    void DestroyChartPages();
    void BuildChartPages();
    /// Gives the page of the statistics tab the logs behind its cells (heat map, tool tips).
    void AttachShareSource(CMFCPageDDR& page, const quillon::SQuillonTab& tab);
    void AdjustToScreen();
    void AttachCaptureTabs();
    // The live view of a capture: a new page per scan, repainted as it fills, judged at its end.
    void OnLiveScanStarted(CPortDataCollectDlg* capture);
    void OnLivePageChanged(CPortDataCollectDlg* capture);
    void OnLiveScanEnded(CPortDataCollectDlg* capture);
    void ShowLivePage(CPortDataCollectDlg* capture, const quillon::CLogPageBase& page);
    void ShowLiveResultInPanel(const quillon::SLiveScanResult& result);

    quillon::CQuillonSession m_session;
    int m_nChipType = 0;

    QLineEdit* m_pDirectory = nullptr;
    QLineEdit* m_pImage = nullptr;
    QPushButton* m_pAnalyse = nullptr;
    QPushButton* m_pWriteBin = nullptr;
    QWidget* m_pPanelPlace = nullptr;
    CResultPanelDDR* m_pPanelDDR = nullptr;
    CChildDlgDDRHynix* m_pPanelHynix = nullptr;
    CChildDlgEMMC* m_pPanelEMMC = nullptr;
    int m_nEmmcPanelType = -1; ///< the flavour whose fields the eMMC panel holds
    QWidget* m_pChartArea = nullptr;
    QTabWidget* m_pTabs = nullptr;
    CExportMenu* m_pExportMenu = nullptr;
    QCheckBox* m_pCheckLog = nullptr;
    QComboBox* m_pSort = nullptr;
    QPushButton* m_pChartMax = nullptr;
    QPushButton* m_pReset = nullptr;
    std::array<QAction*, 6> m_arrLogTypeActions{};
    std::vector<QWidget*> m_vecChartPages;
    QPointer<CPromptDlg> m_pNotice;
    bool m_bBuildingTabs = false;
    int m_nProgressDelayMs = CScanProgressDlg::ConfiguredDelayMs();

    std::function<void(CMFCPageDDR&)> m_chartMaxRunner;
    std::function<void(CMFCPageEMMC&)> m_emmcChartMaxRunner;
    std::function<QString(const QString&, const QString&)> m_folderChooser;
    std::function<QString(const QString&)> m_fileChooser;

    std::array<SSerialPortSettings, 2> m_arrPortSets{};
    std::array<CPortDataCollectDlg*, 2> m_arrCaptures{};
    quillon::CChartCellsDDR m_liveChart;
    CMFCPageDDR* m_pLivePage = nullptr;
    CPortDataCollectDlg* m_pLiveCapture = nullptr; ///< the capture the Live tab shows
    QMenu* m_pUartMenu = nullptr;
    std::function<void(CSerialPortSetDlg&)> m_portSettingsRunner;
    std::function<QString(const QString&)> m_saveChooser;
};
