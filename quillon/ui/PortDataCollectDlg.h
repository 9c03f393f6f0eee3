#pragma once

#include "LiveScan.h"
#include "SerialCommun.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <memory>

class CUartLineModel;
class QLabel;
class QTableView;

// A capture window: the lines a board prints on its UART, newest at the bottom, followed
// unless the user has scrolled up, and the capture file they are saved to. It owns the
// port's CSerialCommun; received pieces arrive on the GUI thread through OnPortData. The
// received lines also go to a live scan, which turns each DDR scan the board prints into a
// log page while it arrives; the window tells when a scan starts, when its page has changed
// (at most every kLiveRepaintMs) and when it has ended, and says where it was saved.
class CPortDataCollectDlg : public QWidget {
    Q_OBJECT
public:
    explicit CPortDataCollectDlg(QWidget* parent = nullptr);
    ~CPortDataCollectDlg() override;
    CPortDataCollectDlg(const CPortDataCollectDlg&) = delete;
    CPortDataCollectDlg& operator=(const CPortDataCollectDlg&) = delete;

    static constexpr int kLiveRepaintMs = 50;

    /// Opens the port; false with Commun().LastError() telling why.
    bool OpenPort(const SSerialParams& params);
    /// Closes the port; a scan in progress ends as interrupted.
    void ClosePort();
    /// One received piece (GUI thread).
    void OnPortData(const char* data, qint64 size);

    [[nodiscard]] CSerialCommun& Commun() { return *m_pCommun; }
    [[nodiscard]] CUartLineModel* Model() const { return m_pModel; }
    [[nodiscard]] QTableView* View() const { return m_pView; }
    [[nodiscard]] QLabel* FileLabel() const { return m_pFileLabel; }
    [[nodiscard]] QLabel* LiveLabel() const { return m_pLiveLabel; }
    [[nodiscard]] quillon::CLiveScan& Live() { return m_live; }
    /// The folder scans are saved to (the log directory); none are saved while it is empty.
    void SetLogFolder(const QString& folder);
    /// Checks the live scan's quiet time now (a timer does it every half second).
    void CheckQuiet();

    /// The folder capture files go to.
    [[nodiscard]] static QString CaptureFolder();

signals:
    /// A new scan has started: its page is Live().Page().
    void liveScanStarted();
    /// The live page has more cells (at most once every kLiveRepaintMs).
    void livePageChanged();
    /// A scan has ended: its result is Live().Results().back().
    void liveScanEnded();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowFileState();
    /// Tells about what the live scan did since the last call.
    void FollowLiveScan();
    void ShowLiveState();
    void RepaintLivePage();

    QTableView* m_pView = nullptr;
    CUartLineModel* m_pModel = nullptr;
    QLabel* m_pFileLabel = nullptr;
    bool m_bFollow = true;
    bool m_bFileFailureShown = false;
    QLabel* m_pLiveLabel = nullptr;
    std::unique_ptr<CSerialCommun> m_pCommun;
    quillon::CLiveScan m_live;
    QTimer m_liveRepaint; ///< single shot: the page's repaints are at most this often
    QElapsedTimer m_lastLiveRepaint;
    QTimer m_quietCheck;
    int m_nShownScan = 0;
    size_t m_nShownResults = 0;
    uint64_t m_nShownGeneration = 0;
};
