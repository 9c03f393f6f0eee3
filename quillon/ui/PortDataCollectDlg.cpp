#include "PortDataCollectDlg.h"

#include "UartLineModel.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QHeaderView>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTableView>
#include <QVBoxLayout>

CPortDataCollectDlg::CPortDataCollectDlg(QWidget* parent)
    : QWidget(parent), m_pCommun(std::make_unique<CSerialCommun>()) {
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
    m_pFileLabel = new QLabel(this);
    m_pFileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_pFileLabel);

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
}

QString CPortDataCollectDlg::CaptureFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("captures"));
}

bool CPortDataCollectDlg::OpenPort(const SSerialParams& params) {
    m_bFileFailureShown = false;
    const bool opened =
        m_pCommun->OpenPort(this, 0, params, [this](const char* data, qint64 size) {
            OnPortData(data, size);
        }) != 0;
    ShowFileState();
    return opened;
}

void CPortDataCollectDlg::OnPortData(const char* data, qint64 size) {
    if (data == nullptr || size <= 0) {
        return;
    }
    m_pModel->Append(std::string_view(data, size_t(size)));
}

void CPortDataCollectDlg::ShowFileState() {
    const QString error = m_pCommun->CaptureFileError();
    const QString path = m_pCommun->CaptureFilePath();
    if (!error.isEmpty()) {
        m_pFileLabel->setStyleSheet(QStringLiteral("color: #c00000;"));
        m_pFileLabel->setText(QStringLiteral("Capture not saved: %1").arg(error));
    } else if (!path.isEmpty()) {
        m_pFileLabel->setStyleSheet(QString());
        m_pFileLabel->setText(QStringLiteral("Capture file: %1").arg(QDir::toNativeSeparators(path)));
    } else {
        m_pFileLabel->setStyleSheet(QString());
        m_pFileLabel->setText(QStringLiteral("Port not open"));
    }
}
