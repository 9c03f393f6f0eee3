#include "SerialPortSetDlg.h"

#include "EnumPort.h"
#include "QuillonDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QSettings>

namespace {

const QString kKeyPort = QStringLiteral("端口号");
const QString kKeyBaud = QStringLiteral("波特率");
const QString kKeyDataBits = QStringLiteral("数据位");
const QString kKeyParity = QStringLiteral("校验位");
const QString kKeyStopBits = QStringLiteral("停止位");

// Fills a list in text order and selects the entry equal to value, if there is one.
QComboBox* MakeList(QWidget* parent, QStringList entries, const QString& value) {
    auto* box = new QComboBox(parent);
    entries.sort();
    box->addItems(entries);
    box->setCurrentIndex(box->findText(value, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    return box;
}

} // namespace

CSerialPortSetDlg::CSerialPortSetDlg(QWidget* parent)
    : CSerialPortSetDlg(CEnumPort::Ports(), parent) {}

CSerialPortSetDlg::CSerialPortSetDlg(const QStringList& ports, QWidget* parent)
    : QDialog(parent) {
    std::unique_ptr<QSettings> profile = CQuillonDlg::OpenProfile();
    m_values = Load(*profile);
    Build(ports);
}

SSerialPortSettings CSerialPortSetDlg::Load(QSettings& profile) {
    SSerialPortSettings values;
    profile.beginGroup(QString::fromLatin1(kProfileSection));
    values.m_strPort = profile.value(kKeyPort, values.m_strPort).toString();
    values.m_strBaudRate = profile.value(kKeyBaud, values.m_strBaudRate).toString();
    values.m_strDataBits = profile.value(kKeyDataBits, values.m_strDataBits).toString();
    values.m_strParity = profile.value(kKeyParity, values.m_strParity).toString();
    values.m_strStopBits = profile.value(kKeyStopBits, values.m_strStopBits).toString();
    profile.endGroup();
    return values;
}

void CSerialPortSetDlg::Save(QSettings& profile, const SSerialPortSettings& values) {
    profile.beginGroup(QString::fromLatin1(kProfileSection));
    profile.setValue(kKeyPort, values.m_strPort);
    profile.setValue(kKeyBaud, values.m_strBaudRate);
    profile.setValue(kKeyDataBits, values.m_strDataBits);
    profile.setValue(kKeyParity, values.m_strParity);
    profile.setValue(kKeyStopBits, values.m_strStopBits);
    profile.endGroup();
    profile.sync();
}

void CSerialPortSetDlg::Build(const QStringList& ports) {
    setWindowTitle(QStringLiteral("Serial port settings"));
    auto* form = new QFormLayout(this);

    m_pPort = MakeList(this, CEnumPort::Normalised(ports), m_values.m_strPort);
    // A device path can be typed (a USB adapter under another name, a pseudo-terminal).
    m_pPort->setEditable(true);
    m_pPort->setInsertPolicy(QComboBox::NoInsert);
    if (m_pPort->currentIndex() < 0) {
        const bool storedDevice = m_values.m_strPort.startsWith(QLatin1Char('/')) &&
                                  QFileInfo::exists(m_values.m_strPort);
        if (storedDevice || m_pPort->count() == 0) {
            m_pPort->setEditText(storedDevice ? m_values.m_strPort : QString());
        } else {
            m_pPort->setCurrentIndex(0);
        }
    }

    m_pBaud = MakeList(this,
                       {QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400"),
                        QStringLiteral("57600"), QStringLiteral("115200")},
                       m_values.m_strBaudRate);
    m_pBaud->setEditable(true);
    m_pBaud->setInsertPolicy(QComboBox::NoInsert);
    if (m_pBaud->currentIndex() < 0) {
        m_pBaud->setEditText(m_values.m_strBaudRate);
    }
    m_pDataBits = MakeList(this,
                           {QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"),
                            QStringLiteral("8")},
                           m_values.m_strDataBits);
    m_pParity = MakeList(this,
                         {QStringLiteral("NONE"), QStringLiteral("ODD"), QStringLiteral("EVEN")},
                         m_values.m_strParity);
    m_pStopBits = MakeList(this, {QStringLiteral("1"), QStringLiteral("2")}, m_values.m_strStopBits);

    form->addRow(kKeyPort, m_pPort);
    form->addRow(kKeyBaud, m_pBaud);
    form->addRow(kKeyDataBits, m_pDataBits);
    form->addRow(kKeyParity, m_pParity);
    form->addRow(kKeyStopBits, m_pStopBits);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSerialPortSetDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSerialPortSetDlg::reject);
}

void CSerialPortSetDlg::accept() {
    const QString port = m_pPort->currentText().trimmed();
    if (!port.isEmpty()) {
        m_values.m_strPort = port;
    }
    // A rate typed into the edit field is taken when it is a rate at all.
    bool isNumber = false;
    const QString baud = m_pBaud->currentText().trimmed();
    if (baud.toInt(&isNumber) > 0 && isNumber) {
        m_values.m_strBaudRate = baud;
    }
    if (m_pDataBits->currentIndex() >= 0) {
        m_values.m_strDataBits = m_pDataBits->currentText();
    }
    if (m_pParity->currentIndex() >= 0) {
        m_values.m_strParity = m_pParity->currentText();
    }
    if (m_pStopBits->currentIndex() >= 0) {
        m_values.m_strStopBits = m_pStopBits->currentText();
    }
    std::unique_ptr<QSettings> profile = CQuillonDlg::OpenProfile();
    Save(*profile, m_values);
    QDialog::accept();
}
