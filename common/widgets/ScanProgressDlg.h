#pragma once

#include "ScanProgress.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>

class QLabel;
class QProgressBar;

// The progress of a long scan in a window: files done / total and the name of the file
// being read. It is fed by the engine's per-file callback, so the scan still runs to its
// end before the window's command returns; while the dialog shows, the window is repainted
// between two files (user input waits, so nothing can start a second command meanwhile).
// A short scan never shows it and runs exactly as without it.
class CScanProgressDlg : public QDialog {
    Q_OBJECT
public:
    /// How long a scan runs before the dialog shows.
    static constexpr int kDefaultDelayMs = 500;

    /// delayMs: the dialog shows at the first file reached after this many milliseconds
    /// from construction; 0 shows it at the first file, a negative value never.
    CScanProgressDlg(QWidget* parent, int delayMs);
    /// The delay of the windows: kDefaultDelayMs, or SUITE_PROGRESS_DELAY_MS from the
    /// environment when set (a negative value turns the dialog off).
    explicit CScanProgressDlg(QWidget* parent) : CScanProgressDlg(parent, ConfiguredDelayMs()) {}
    ~CScanProgressDlg() override;
    CScanProgressDlg(const CScanProgressDlg&) = delete;
    CScanProgressDlg& operator=(const CScanProgressDlg&) = delete;

    [[nodiscard]] static int ConfiguredDelayMs();
    /// True while a scan with progress runs in this program: a command reached through the
    /// events processed between two files must not start another scan.
    [[nodiscard]] static bool IsRunning() { return s_nRunning > 0; }

    /// The callback to hand to the engine; valid while this dialog lives.
    [[nodiscard]] ScanProgressFn Callback();
    /// One file: index (1 for the first) of total, about to be read.
    void Advance(size_t index, size_t total, const std::wstring& name);

    /// The text the dialog shows for a file: "File i of n: name", name after the last '/'.
    [[nodiscard]] static QString FileText(size_t index, size_t total, const std::wstring& name);
    [[nodiscard]] QLabel* Label() const { return m_pLabel; }
    [[nodiscard]] QProgressBar* Bar() const { return m_pBar; }

signals:
    /// Emitted for every file the scan reports, shown or not.
    void Advanced(int index, int total, const QString& name);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    static inline int s_nRunning = 0;
    int m_nDelayMs;
    QElapsedTimer m_timer;
    QLabel* m_pLabel = nullptr;
    QProgressBar* m_pBar = nullptr;
    QPointer<QWidget> m_pFocus; ///< the widget that had the focus when the dialog showed
};
