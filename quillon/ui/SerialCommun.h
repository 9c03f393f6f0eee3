#pragma once

#include "CaptureFile.h"
#include "SerialLink.h"

#include <QString>

#include <atomic>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class QObject;

// One capture window's port: opens it through the serial link, receives each piece on the
// link's reader thread and hands it to the window's notify function on the window's (GUI)
// thread, so the window's list is only touched there. Pieces that arrive while the window has
// not yet taken the previous ones are joined and handed on together, in order: the reader never
// waits for the window, and a busy window is woken once per batch, not once per piece. Every
// byte handed on is kept in the captured text and appended to the capture file.
class CSerialCommun {
public:
    using Notify = std::function<void(const char* data, qint64 size)>;
    /// The most bytes one call of the notify function is given.
    static constexpr size_t kHandOverBytes = 64 * 1024;

    CSerialCommun() = default;
    virtual ~CSerialCommun();
    CSerialCommun(const CSerialCommun&) = delete;
    CSerialCommun& operator=(const CSerialCommun&) = delete;

    /// Opens the port; 1 on success, 0 on failure with LastError() telling why. A non-zero
    /// captureDisabled makes the reader ignore all data. notify runs on notifyWindow's
    /// thread with the bytes received since its last call, in order.
    virtual int OpenPort(QObject* notifyWindow, int captureDisabled, const SSerialParams& params,
                         Notify notify);
    /// Ends the reader thread and closes the port; pieces already received are handed on.
    virtual int ClosePort();
    /// Drops what arrives from now until the next OpenPort; the port stays open.
    virtual int PauseCapture();
    /// Writes the captured text to path (created or replaced); 0 when it cannot be written.
    virtual int SaveCapture(const QString& path);
    /// Empties the captured text.
    virtual void DiscardCapture();

    /// Folder of the capture files; none are written while it is empty.
    void SetCaptureFolder(const std::filesystem::path& folder) { m_captureFolder = folder; }
    [[nodiscard]] bool IsOpen() const;
    [[nodiscard]] bool IsPaused() const { return m_bPaused; }
    [[nodiscard]] QString LastError() const;
    /// The capture file of the open (or last opened) port; empty when none could be made.
    [[nodiscard]] QString CaptureFilePath() const;
    /// True once the capture file has failed; asks no lock, so the GUI may poll it freely.
    [[nodiscard]] bool CaptureFileFailed() const { return m_bCaptureFileFailed; }
    /// The problem with the capture file, if any (creating it or writing to it).
    [[nodiscard]] QString CaptureFileError() const;
    [[nodiscard]] std::string CapturedText() const;
    /// Bytes received since the object was made, dropped ones included; bytes that are kept
    /// count once the window's notify function has had them.
    [[nodiscard]] qint64 ReceivedBytes() const { return m_nReceivedBytes; }
    /// Buffers of the link not yet handed back (0 whenever the reader is idle).
    [[nodiscard]] size_t BuffersOut() const;

private:
    void OnReceive(const char* data, qint64 size);
    /// Queues a hand-over of the waiting bytes to the window; DeliverWaiting (GUI thread) hands
    /// them on, at most kHandOverBytes per call.
    void PostDelivery();
    void DeliverWaiting();

    std::atomic<int> m_nCaptureDisabled{0};
    QObject* m_pNotifyWindow = nullptr;
    std::atomic<bool> m_bPaused{false};
    std::atomic<bool> m_bClosing{false};
    std::atomic<qint64> m_nReceivedBytes{0};
    std::atomic<bool> m_bCaptureFileFailed{false};
    std::unique_ptr<CSerialLink> m_pLink;
    Notify m_notify;
    std::mutex m_handOverMutex; ///< guards m_handOver
    /// Received, not yet handed to the window: kept as the pieces arrived, so the reader never
    /// grows (and copies) one large block while the window waits for the lock.
    std::deque<std::string> m_handOver;
    /// Queued hand-overs hold it weakly: one still queued when this object goes does nothing.
    std::shared_ptr<int> m_pAlive = std::make_shared<int>(0);
    mutable std::mutex m_mutex; ///< guards the captured text and the capture file
    std::string m_strCaptured;
    std::filesystem::path m_captureFolder;
    quillon::CCaptureFile m_captureFile;
    std::string m_strCaptureFileError;
    QString m_strCapturePath; ///< the capture file of the last successful open
    QString m_strLastError;
};
