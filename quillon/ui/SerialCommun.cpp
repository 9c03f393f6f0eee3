#include "SerialCommun.h"

#include "FileUtil.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QObject>

#include <ctime>

CSerialCommun::~CSerialCommun() {
    ClosePort();
    m_pAlive.reset();
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
    bool delivered = false;
    if (data != nullptr && m_nCaptureDisabled == 0 && !m_bPaused) {
        const std::string_view piece(data, size_t(size));
        {
            std::lock_guard lock(m_mutex);
            m_strCaptured.append(piece);
            if (m_captureFile.IsOpen() && !m_captureFile.Append(piece) &&
                m_strCaptureFileError.empty()) {
                m_strCaptureFileError = m_captureFile.Error();
                m_bCaptureFileFailed = true;
            }
        }
        if (!m_bClosing && m_pNotifyWindow != nullptr && m_notify) {
            bool first = false;
            {
                std::lock_guard lock(m_handOverMutex);
                first = m_handOver.empty();
                m_handOver.emplace_back(piece);
            }
            delivered = true;
            // One hand-over in flight at a time; it takes whatever has joined it by then.
            if (first) {
                PostDelivery();
            }
        }
    }
    m_pLink->ReturnBuffer(data);
    if (!delivered) {
        m_nReceivedBytes += size;
    }
}

void CSerialCommun::PostDelivery() {
    // Queued to the window's thread; a call that comes after this object is gone does nothing.
    QMetaObject::invokeMethod(
        m_pNotifyWindow,
        [this, alive = std::weak_ptr<int>(m_pAlive)] {
            if (!alive.expired()) {
                DeliverWaiting();
            }
        },
        Qt::QueuedConnection);
}

void CSerialCommun::DeliverWaiting() {
    // At most kHandOverBytes per call, so one call is short and the window's other events
    // (its timers, its repaints) are served between calls while a fast port floods in.
    std::string batch;
    batch.reserve(kHandOverBytes);
    bool more = false;
    {
        std::lock_guard lock(m_handOverMutex);
        while (!m_handOver.empty()) {
            std::string& front = m_handOver.front();
            const size_t room = kHandOverBytes - batch.size();
            if (front.size() > room) {
                if (batch.empty()) {
                    // A piece larger than one call's share goes in parts.
                    batch.assign(front, 0, room);
                    front.erase(0, room);
                }
                break;
            }
            batch += front;
            m_handOver.pop_front();
        }
        more = !m_handOver.empty();
    }
    if (more) {
        PostDelivery();
    }
    if (batch.empty()) {
        return;
    }
    if (m_notify) {
        m_notify(batch.data(), qint64(batch.size()));
    }
    m_nReceivedBytes += qint64(batch.size());
}

int CSerialCommun::ClosePort() {
    if (m_pLink) {
        m_pLink->Close();
        m_bClosing = true;
        m_pLink.reset();
        // What the reader received before the close reaches the window now, in order.
        std::string rest;
        {
            std::lock_guard lock(m_handOverMutex);
            for (const std::string& piece : m_handOver) {
                rest += piece;
            }
            m_handOver.clear();
        }
        if (!rest.empty() && m_notify) {
            m_notify(rest.data(), qint64(rest.size()));
        }
        m_nReceivedBytes += qint64(rest.size());
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
