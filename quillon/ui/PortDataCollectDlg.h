#pragma once

#include "SerialCommun.h"

#include <QWidget>

#include <memory>

class CUartLineModel;
class QLabel;
class QTableView;

// A capture window: the lines a board prints on its UART, newest at the bottom, followed
// unless the user has scrolled up, and the capture file they are saved to. It owns the
// port's CSerialCommun; received pieces arrive on the GUI thread through OnPortData.
class CPortDataCollectDlg : public QWidget {
    Q_OBJECT
public:
    explicit CPortDataCollectDlg(QWidget* parent = nullptr);
    ~CPortDataCollectDlg() override;
    CPortDataCollectDlg(const CPortDataCollectDlg&) = delete;
    CPortDataCollectDlg& operator=(const CPortDataCollectDlg&) = delete;

    /// Opens the port; false with Commun().LastError() telling why.
    bool OpenPort(const SSerialParams& params);
    /// One received piece (GUI thread).
    void OnPortData(const char* data, qint64 size);

    [[nodiscard]] CSerialCommun& Commun() { return *m_pCommun; }
    [[nodiscard]] CUartLineModel* Model() const { return m_pModel; }
    [[nodiscard]] QTableView* View() const { return m_pView; }
    [[nodiscard]] QLabel* FileLabel() const { return m_pFileLabel; }
    /// The folder capture files go to.
    [[nodiscard]] static QString CaptureFolder();

private:
    void ShowFileState();

    QTableView* m_pView = nullptr;
    CUartLineModel* m_pModel = nullptr;
    QLabel* m_pFileLabel = nullptr;
    bool m_bFollow = true;
    bool m_bFileFailureShown = false;
    std::unique_ptr<CSerialCommun> m_pCommun;
};
