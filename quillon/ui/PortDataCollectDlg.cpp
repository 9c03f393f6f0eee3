#include "PortDataCollectDlg.h"

#include "UartLineModel.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QListView>
#include <QScrollBar>
#include <QStandardPaths>
#include <QVBoxLayout>

CPortDataCollectDlg::CPortDataCollectDlg(QWidget* parent)
    : QWidget(parent), m_pCommun(std::make_unique<CSerialCommun>()) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pModel = new CUartLineModel(this);
    m_pView = new QListView(this);
    m_pView->setModel(m_pModel);
    // Equal row heights let the view skip measuring a million rows.
    m_pView->setUniformItemSizes(true);
    m_pView->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
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
        ShowFileState();
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
