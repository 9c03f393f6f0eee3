#include "PortDataCollectDlg.h"

#include "UartLineModel.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QHeaderView>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTableView>
#include <QVBoxLayout>

#include <ctime>

using namespace quillon;

namespace {

SLiveTime Now() {
    SLiveTime now;
    const QDateTime wall = QDateTime::currentDateTime();
    const std::time_t seconds = std::time_t(wall.toSecsSinceEpoch());
    localtime_r(&seconds, &now.m_local);
    now.m_nMillisecond = wall.time().msec();
    static QElapsedTimer steady;
    if (!steady.isValid()) {
        steady.start();
    }
    now.m_nSteadyMs = steady.elapsed();
    return now;
}

QString PathText(const std::filesystem::path& path) {
    return QDir::toNativeSeparators(QFile::decodeName(path.c_str()));
}

} // namespace

CPortDataCollectDlg::CPortDataCollectDlg(QWidget* parent)
    : QWidget(parent), m_pCommun(std::make_unique<CSerialCommun>()), m_live(&Now) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pModel = new CUartLineModel(this);
    // A one-column table with fixed row heights: adding rows costs the same with a million
    // rows shown as with ten (a list view lays out every row again on each insert).
    m_pView = new QTableView(this);
    m_pView->setModel(m_pModel);
    m_pView->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_pView->setShowGrid(false);
    m_pView->setWordWrap(false);
    m_pView->horizontalHeader()->hide();
    m_pView->horizontalHeader()->setStretchLastSection(true);
    m_pView->verticalHeader()->hide();
    m_pView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_pView->verticalHeader()->setDefaultSectionSize(QFontMetrics(m_pView->font()).height() + 2);
    m_pView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(m_pView, 1);
    m_pLiveLabel = new QLabel(this);
    m_pLiveLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pLiveLabel->hide();
    layout->addWidget(m_pLiveLabel);
    m_pFileLabel = new QLabel(this);
    m_pFileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_pFileLabel);

    m_liveRepaint.setSingleShot(true);
    m_liveRepaint.setInterval(kLiveRepaintMs);
    connect(&m_liveRepaint, &QTimer::timeout, this, &CPortDataCollectDlg::RepaintLivePage);
    m_quietCheck.setInterval(500);
    connect(&m_quietCheck, &QTimer::timeout, this, &CPortDataCollectDlg::CheckQuiet);

    connect(m_pModel, &CUartLineModel::rowsAboutToBeInserted, this, [this] {
        const QScrollBar* bar = m_pView->verticalScrollBar();
        m_bFollow = bar->value() >= bar->maximum();
    });
    connect(m_pModel, &CUartLineModel::rowsInserted, this, [this] {
        if (m_bFollow) {
            m_pView->scrollToBottom();
        }
        // The reader holds the capture's lock while it writes; only a failure is worth asking.
        if (m_pCommun->CaptureFileFailed() && !m_bFileFailureShown) {
            m_bFileFailureShown = true;
            ShowFileState();
        }
    });
    m_pCommun->SetCaptureFolder(QFile::encodeName(CaptureFolder()).toStdString());
    ShowFileState();
}

CPortDataCollectDlg::~CPortDataCollectDlg() {
    // The reader hands pieces to this window; it ends before the window goes.
    m_pCommun->ClosePort();
    // A scan cut off by the end of the program is kept as interrupted.
    m_live.PortClosed();
}

void CPortDataCollectDlg::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Lines that came in while another tab was shown: the view lays itself out for them only
    // now, so following the newest line is done again once it has.
    if (m_bFollow) {
        QTimer::singleShot(0, m_pView, &QTableView::scrollToBottom);
    }
}

void CPortDataCollectDlg::ClosePort() {
    m_pCommun->ClosePort();
    m_quietCheck.stop();
    m_live.PortClosed();
    FollowLiveScan();
}

void CPortDataCollectDlg::SetLogFolder(const QString& folder) {
    m_live.SetFolder(QFile::encodeName(folder).toStdString());
}

void CPortDataCollectDlg::CheckQuiet() {
    m_live.Tick();
    FollowLiveScan();
}

QString CPortDataCollectDlg::CaptureFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("captures"));
}

bool CPortDataCollectDlg::OpenPort(const SSerialParams& params) {
    if (m_pCommun->IsOpen()) {
        ClosePort();
    }
    m_bFileFailureShown = false;
    const bool opened = m_pCommun->OpenPort(this, 0, params, [this](const char* data, qint64 size) {
        OnPortData(data, size);
    }) != 0;
    ShowFileState();
    if (opened) {
        m_quietCheck.start();
    }
    return opened;
}

void CPortDataCollectDlg::OnPortData(const char* data, qint64 size) {
    if (data == nullptr || size <= 0) {
        return;
    }
    m_pModel->Append(std::string_view(data, size_t(size)));
    m_live.Feed(std::string_view(data, size_t(size)));
    FollowLiveScan();
}

void CPortDataCollectDlg::FollowLiveScan() {
    // Ends first: a piece may end one scan and start the next.
    while (m_nShownResults < m_live.Results().size()) {
        ++m_nShownResults;
        m_liveRepaint.stop();
        m_nShownGeneration = m_live.Generation();
        ShowLiveState();
        emit liveScanEnded();
    }
    if (m_live.InScan() && m_nShownScan != m_live.ScanNumber()) {
        m_nShownScan = m_live.ScanNumber();
        m_nShownGeneration = m_live.Generation();
        ShowLiveState();
        emit liveScanStarted();
    }
    if (m_live.InScan() && m_nShownGeneration != m_live.Generation() && !m_liveRepaint.isActive()) {
        // A line after a pause is shown at once; within kLiveRepaintMs of the last repaint it
        // waits for the rest of that time, so the page is repainted at most 20 times a second.
        const qint64 since = m_lastLiveRepaint.isValid() ? m_lastLiveRepaint.elapsed() : kLiveRepaintMs;
        if (since >= kLiveRepaintMs) {
            RepaintLivePage();
        } else {
            m_liveRepaint.start(int(kLiveRepaintMs - since));
        }
    }
}

void CPortDataCollectDlg::RepaintLivePage() {
    m_lastLiveRepaint.start();
    m_nShownGeneration = m_live.Generation();
    ShowLiveState();
    emit livePageChanged();
}

void CPortDataCollectDlg::ShowLiveState() {
    QString text;
    if (m_live.InScan()) {
        text = QStringLiteral("Live scan: project %1, %2, clock %3: %4 of %5 data lines")
                   .arg(QString::fromStdWString(m_live.Project()),
                        QString::fromStdWString(m_live.DdrType()),
                        QString::fromStdWString(m_live.DdrClock()))
                   .arg(m_live.DataLines())
                   .arg(m_live.RequiredLines());
        m_pLiveLabel->setStyleSheet(QString());
    } else if (!m_live.Results().empty()) {
        const SLiveScanResult& result = m_live.Results().back();
        const bool complete = result.m_end == ELiveScanEnd::Complete;
        text = complete ? QStringLiteral("Scan complete: %1 data lines").arg(result.m_nDataLines)
                        : QStringLiteral("Scan interrupted after %1 of %2 data lines")
                              .arg(result.m_nDataLines)
                              .arg(result.m_nRequiredLines);
        if (!result.m_savedPath.empty()) {
            text += complete ? QStringLiteral(", saved as %1").arg(PathText(result.m_savedPath))
                             : QStringLiteral(", saved as %1 (Analyse does not read it)")
                                   .arg(PathText(result.m_savedPath));
        } else {
            text += QStringLiteral(", not saved: %1")
                        .arg(QString::fromLocal8Bit(result.m_strSaveError.c_str()));
        }
        m_pLiveLabel->setStyleSheet(complete && !result.m_savedPath.empty()
                                        ? QString()
                                        : QStringLiteral("color: #c00000;"));
    }
    m_pLiveLabel->setText(text);
    m_pLiveLabel->setVisible(!text.isEmpty());
}

void CPortDataCollectDlg::ShowFileState() {
    const QString error = m_pCommun->CaptureFileError();
    const QString path = m_pCommun->CaptureFilePath();
    if (!error.isEmpty()) {
        m_pFileLabel->setStyleSheet(QStringLiteral("color: #c00000;"));
        m_pFileLabel->setText(QStringLiteral("Capture not saved: %1").arg(error));
    } else if (!path.isEmpty()) {
        m_pFileLabel->setStyleSheet(QString());
        m_pFileLabel->setText(
            QStringLiteral("Capture file: %1").arg(QDir::toNativeSeparators(path)));
    } else {
        m_pFileLabel->setStyleSheet(QString());
        m_pFileLabel->setText(QStringLiteral("Port not open"));
    }
}
