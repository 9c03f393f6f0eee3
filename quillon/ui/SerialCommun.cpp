#include "SerialCommun.h"

#include "FileUtil.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QObject>

#include <ctime>

CSerialCommun::~CSerialCommun() {
    ClosePort();
}

int CSerialCommun::OpenPort(QObject* notifyWindow, int captureDisabled,
                            const SSerialParams& params, Notify notify) {
    m_pNotifyWindow = notifyWindow;
    m_bPaused = false;
    m_nCaptureDisabled = captureDisabled;
    if (m_pLink) {
        ClosePort();
    }
    m_notify = std::move(notify);
    m_strLastError.clear();
    {
        std::lock_guard lock(m_mutex);
        m_strCaptureFileError.clear();
        m_bCaptureFileFailed = false;
        if (!m_captureFolder.empty()) {
            const QDateTime now = QDateTime::currentDateTime();
            const std::time_t seconds = std::time_t(now.toSecsSinceEpoch());
            std::tm local{};
            localtime_r(&seconds, &local);
            if (!m_captureFile.Create(m_captureFolder, local, now.time().msec())) {
                m_strCaptureFileError = m_captureFile.Error();
                m_bCaptureFileFailed = true;
            }
        }
        m_strCapturePath.clear();
        if (m_captureFile.IsOpen()) {
            m_strCapturePath = QFile::decodeName(m_captureFile.Path().c_str());
        }
    }
    m_bClosing = false;
    m_pLink = CSerialLink::Create();
    m_pLink->SetReceiver([this](const char* data, qint64 size) { OnReceive(data, size); });
    if (!m_pLink->Open(params)) {
        m_strLastError = m_pLink->Error();
        m_pLink.reset();
        std::lock_guard lock(m_mutex);
        // A file for a port that never opened would only be an empty leftover.
        if (m_captureFile.IsOpen()) {
            const std::filesystem::path path = m_captureFile.Path();
            m_captureFile.Close();
            std::error_code ec;
            std::filesystem::remove(path, ec);
        }
        m_strCapturePath.clear();
        return 0;
    }
    return 1;
}

void CSerialCommun::OnReceive(const char* data, qint64 size) {
    if (data != nullptr && m_nCaptureDisabled == 0 && !m_bPaused) {
        if (!m_bClosing && m_pNotifyWindow != nullptr && m_notify) {
            QMetaObject::invokeMethod(
                m_pNotifyWindow, [this, data, size] { m_notify(data, size); },
                Qt::BlockingQueuedConnection);
        }
        const std::string_view piece(data, size_t(size));
        std::lock_guard lock(m_mutex);
        m_strCaptured.append(piece);
        if (m_captureFile.IsOpen() && !m_captureFile.Append(piece) &&
            m_strCaptureFileError.empty()) {
            m_strCaptureFileError = m_captureFile.Error();
            m_bCaptureFileFailed = true;
        }
    }
    m_pLink->ReturnBuffer(data);
    m_nReceivedBytes += size;
}

int CSerialCommun::ClosePort() {
    if (m_pLink) {
        m_bClosing = true;
        QObject* window = m_pNotifyWindow;
        // A piece already on its way to the window is served while the reader ends.
        m_pLink->Close([window] {
            if (window != nullptr) {
                QCoreApplication::sendPostedEvents(window, QEvent::MetaCall);
            }
        });
        m_pLink.reset();
    }
    std::lock_guard lock(m_mutex);
    m_captureFile.Close();
    return 1;
}

int CSerialCommun::PauseCapture() {
    m_bPaused = true;
    return 1;
}

int CSerialCommun::SaveCapture(const QString& path) {
    std::string text;
    {
        std::lock_guard lock(m_mutex);
        text = m_strCaptured;
    }
    return ReplaceFileContents(std::filesystem::path(QFile::encodeName(path).toStdString()), text)
               ? 1
               : 0;
}

void CSerialCommun::DiscardCapture() {
    std::lock_guard lock(m_mutex);
    m_strCaptured.clear();
}

bool CSerialCommun::IsOpen() const {
    return m_pLink != nullptr && m_pLink->IsOpen();
}

QString CSerialCommun::LastError() const {
    if (m_strLastError.isEmpty() && m_pLink) {
        return m_pLink->Error();
    }
    return m_strLastError;
}

QString CSerialCommun::CaptureFilePath() const {
    std::lock_guard lock(m_mutex);
    return m_strCapturePath;
}

QString CSerialCommun::CaptureFileError() const {
    std::lock_guard lock(m_mutex);
    return QString::fromLocal8Bit(m_strCaptureFileError.c_str());
}

std::string CSerialCommun::CapturedText() const {
    std::lock_guard lock(m_mutex);
    return m_strCaptured;
}

size_t CSerialCommun::BuffersOut() const {
    return m_pLink ? m_pLink->BuffersOut() : 0;
}
