#pragma once

#include <QString>
#include <QThread>

#include <functional>
#include <map>
#include <memory>
#include <mutex>

class QObject;
class QSerialPort;

/// What a port is opened with: the device name (as the port list shows it, or a path) and
/// the four line settings, as the settings dialog stores them.
struct SSerialParams {
    QString m_strPort;
    qint32 m_nBaudRate = 9600;
    int m_nDataBits = 8;
    QString m_strParity = QStringLiteral("NONE");
    QString m_strStopBits = QStringLiteral("1");
};

// The serial library the capture sits on: create, set the receiver, open, close, and hand
// back each buffer the receiver got. The port lives on a reader thread of the link's own;
// every received piece reaches the receiver on that thread, and stays valid until it is
// handed back.
class CSerialLink {
public:
    using Receiver = std::function<void(const char* data, qint64 size)>;

    /// A new link, not yet open.
    [[nodiscard]] static std::unique_ptr<CSerialLink> Create();
    ~CSerialLink();
    CSerialLink(const CSerialLink&) = delete;
    CSerialLink& operator=(const CSerialLink&) = delete;

    /// Where received pieces go; set before Open.
    void SetReceiver(Receiver receiver);
    /// Opens the port on the reader thread; false with Error() telling why.
    bool Open(const SSerialParams& params);
    /// Closes the port and ends the reader thread. pump runs while waiting for the thread,
    /// so a receiver waiting on the caller's thread can be served.
    void Close(const std::function<void()>& pump = {});
    /// Takes back a buffer the receiver got.
    void ReturnBuffer(const char* data);

    [[nodiscard]] bool IsOpen() const;
    [[nodiscard]] QString Error() const;
    /// Buffers handed to the receiver and not yet handed back.
    [[nodiscard]] size_t BuffersOut() const;
    /// The message for a port that would not open: the device, the system's reason and, when
    /// the user lacks the rights (accessErrno EACCES), how to get them.
    [[nodiscard]] static QString DescribeOpenFailure(const QString& device, int portError,
                                                     const QString& reason, int accessErrno,
                                                     bool deviceExists);
    /// Turns a parity text ("NONE", "ODD", "EVEN") and a stop-bits text ("1", "2") into the
    /// port's values; false for a text the port does not know.
    [[nodiscard]] static bool ParseLineSettings(const SSerialParams& params, int& parity,
                                                int& stopBits);

private:
    CSerialLink();
    void Drain();
    void SetError(const QString& error);

    QThread m_thread;
    QObject* m_pContext = nullptr; ///< lives on m_thread; parent of the port
    QSerialPort* m_pPort = nullptr; ///< touched only on m_thread
    Receiver m_receiver;
    mutable std::mutex m_mutex;
    std::map<const char*, QByteArray> m_mapBuffers;
    QString m_strError;
    bool m_bOpen = false;
};
