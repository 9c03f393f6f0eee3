#include "SerialLink.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace {

QString DevicePath(const QString& port) {
    if (port.startsWith(QLatin1Char('/'))) {
        return port;
    }
    const QString location = QSerialPortInfo(port).systemLocation();
    return location.isEmpty() ? QStringLiteral("/dev/") + port : location;
}

} // namespace

QString CSerialLink::DescribeOpenFailure(const QString& device, int portError,
                                         const QString& reason, int accessErrno,
                                         bool deviceExists) {
    if (portError == QSerialPort::PermissionError && accessErrno == EACCES) {
        return QStringLiteral("Cannot open the serial port %1: %2. Your user may not use "
                              "serial ports: add it to the dialout group (sudo usermod -aG "
                              "dialout $USER), then log in again.")
            .arg(device, QString::fromLocal8Bit(std::strerror(EACCES)));
    }
    if (portError == QSerialPort::PermissionError) {
        return QStringLiteral("Cannot open the serial port %1: %2 (another program may hold it "
                              "open).")
            .arg(device, reason);
    }
    if (portError == QSerialPort::DeviceNotFoundError || !deviceExists) {
        return QStringLiteral("Cannot open the serial port %1: there is no such device (%2).")
            .arg(device, reason);
    }
    return QStringLiteral("Cannot open the serial port %1: %2.").arg(device, reason);
}

std::unique_ptr<CSerialLink> CSerialLink::Create() {
    return std::unique_ptr<CSerialLink>(new CSerialLink);
}

CSerialLink::CSerialLink() {
    m_thread.setObjectName(QStringLiteral("serial reader"));
}

CSerialLink::~CSerialLink() {
    Close();
}

void CSerialLink::SetReceiver(Receiver receiver) {
    m_receiver = std::move(receiver);
}

bool CSerialLink::ParseLineSettings(const SSerialParams& params, int& parity, int& stopBits) {
    if (params.m_strParity == QLatin1String("NONE")) {
        parity = QSerialPort::NoParity;
    } else if (params.m_strParity == QLatin1String("ODD")) {
        parity = QSerialPort::OddParity;
    } else if (params.m_strParity == QLatin1String("EVEN")) {
        parity = QSerialPort::EvenParity;
    } else {
        return false;
    }
    if (params.m_strStopBits == QLatin1String("1")) {
        stopBits = QSerialPort::OneStop;
    } else if (params.m_strStopBits == QLatin1String("2")) {
        stopBits = QSerialPort::TwoStop;
    } else {
        return false;
    }
    return params.m_nDataBits >= 5 && params.m_nDataBits <= 8 && params.m_nBaudRate > 0;
}

bool CSerialLink::Open(const SSerialParams& params) {
    Close();
    SetError(QString());
    int parity = 0;
    int stopBits = 0;
    if (!ParseLineSettings(params, parity, stopBits)) {
        SetError(QStringLiteral("Cannot open the serial port %1: the settings %2 baud, %3 data "
                                "bits, parity %4, %5 stop bits are not valid.")
                     .arg(DevicePath(params.m_strPort))
                     .arg(params.m_nBaudRate)
                     .arg(params.m_nDataBits)
                     .arg(params.m_strParity, params.m_strStopBits));
        return false;
    }
    m_pContext = new QObject;
    m_pContext->moveToThread(&m_thread);
    m_thread.start();
    bool opened = false;
    QMetaObject::invokeMethod(
        m_pContext,
        [&] {
            auto* port = new QSerialPort(m_pContext);
            port->setPortName(params.m_strPort);
            port->setBaudRate(params.m_nBaudRate);
            port->setDataBits(QSerialPort::DataBits(params.m_nDataBits));
            port->setParity(QSerialPort::Parity(parity));
            port->setStopBits(QSerialPort::StopBits(stopBits));
            port->setFlowControl(QSerialPort::NoFlowControl);
            if (!port->open(QIODevice::ReadOnly)) {
                const QString device = DevicePath(params.m_strPort);
                const QByteArray native = QFile::encodeName(device);
                const int accessErrno =
                    ::access(native.constData(), R_OK | W_OK) == 0 ? 0 : errno;
                SetError(DescribeOpenFailure(device, port->error(), port->errorString(),
                                             accessErrno, QFileInfo::exists(device)));
                delete port;
                return;
            }
            m_pPort = port;
            QObject::connect(port, &QSerialPort::readyRead, m_pContext, [this] { Drain(); });
            QObject::connect(port, &QSerialPort::errorOccurred, m_pContext,
                             [this](QSerialPort::SerialPortError error) {
                                 // A device that went away keeps failing; stop reading it.
                                 if (error == QSerialPort::ResourceError && m_pPort != nullptr) {
                                     SetError(QStringLiteral("The serial port %1 went away: %2.")
                                                  .arg(m_pPort->portName(),
                                                       m_pPort->errorString()));
                                     m_pPort->close();
                                 }
                             });
            opened = true;
        },
        Qt::BlockingQueuedConnection);
    if (!opened) {
        Close();
        return false;
    }
    std::lock_guard lock(m_mutex);
    m_bOpen = true;
    return true;
}

void CSerialLink::Drain() {
    while (m_pPort != nullptr && m_pPort->isOpen() && m_pPort->bytesAvailable() > 0) {
        QByteArray piece = m_pPort->readAll();
        if (piece.isEmpty()) {
            return;
        }
        const char* data = piece.constData();
        const auto size = qint64(piece.size());
        {
            std::lock_guard lock(m_mutex);
            m_mapBuffers.emplace(data, std::move(piece));
        }
        if (m_receiver) {
            m_receiver(data, size);
        } else {
            ReturnBuffer(data);
        }
    }
}

void CSerialLink::Close(const std::function<void()>& pump) {
    if (m_pContext == nullptr) {
        return;
    }
    if (m_thread.isRunning()) {
        QMetaObject::invokeMethod(
            m_pContext,
            [this] {
                if (m_pPort != nullptr) {
                    // Whatever the port still holds was received before the close.
                    Drain();
                    m_pPort->close();
                    delete m_pPort;
                    m_pPort = nullptr;
                }
                QThread::currentThread()->quit();
            },
            Qt::QueuedConnection);
        while (!m_thread.wait(QDeadlineTimer(10))) {
            if (pump) {
                pump();
            }
        }
    }
    // The thread has ended: its objects can go from here.
    delete m_pPort;
    m_pPort = nullptr;
    delete m_pContext;
    m_pContext = nullptr;
    std::lock_guard lock(m_mutex);
    m_bOpen = false;
    m_mapBuffers.clear();
}

void CSerialLink::ReturnBuffer(const char* data) {
    std::lock_guard lock(m_mutex);
    m_mapBuffers.erase(data);
}

bool CSerialLink::IsOpen() const {
    std::lock_guard lock(m_mutex);
    return m_bOpen;
}

QString CSerialLink::Error() const {
    std::lock_guard lock(m_mutex);
    return m_strError;
}

size_t CSerialLink::BuffersOut() const {
    std::lock_guard lock(m_mutex);
    return m_mapBuffers.size();
}

void CSerialLink::SetError(const QString& error) {
    std::lock_guard lock(m_mutex);
    m_strError = error;
}
