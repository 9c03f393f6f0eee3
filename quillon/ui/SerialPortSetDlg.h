#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QSettings;

/// The five texts of one serial-port settings set.
struct SSerialPortSettings {
    QString m_strPort = QStringLiteral("COM1");
    QString m_strBaudRate = QStringLiteral("9600");
    QString m_strDataBits = QStringLiteral("8");
    QString m_strParity = QStringLiteral("NONE");
    QString m_strStopBits = QStringLiteral("1");

    friend bool operator==(const SSerialPortSettings&, const SSerialPortSettings&) = default;
};

// The serial settings dialog: loads the five texts from the profile, offers them in five
// lists and, on OK, stores the chosen ones. Values() is what the caller takes afterwards:
// the chosen texts after OK, the loaded ones after Cancel.
class CSerialPortSetDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kProfileSection = "CSerialPortSetDlg";

    /// ports: the port list to offer; the machine's ports when none are given.
    explicit CSerialPortSetDlg(QWidget* parent = nullptr);
    CSerialPortSetDlg(const QStringList& ports, QWidget* parent);

    [[nodiscard]] SSerialPortSettings Values() const { return m_values; }
    [[nodiscard]] static SSerialPortSettings Load(QSettings& profile);
    static void Save(QSettings& profile, const SSerialPortSettings& values);

    [[nodiscard]] QComboBox* PortBox() const { return m_pPort; }
    [[nodiscard]] QComboBox* BaudBox() const { return m_pBaud; }
    [[nodiscard]] QComboBox* DataBitsBox() const { return m_pDataBits; }
    [[nodiscard]] QComboBox* ParityBox() const { return m_pParity; }
    [[nodiscard]] QComboBox* StopBitsBox() const { return m_pStopBits; }

    void accept() override;

private:
    void Build(const QStringList& ports);

    SSerialPortSettings m_values;
    QComboBox* m_pPort = nullptr;
    QComboBox* m_pBaud = nullptr;
    QComboBox* m_pDataBits = nullptr;
    QComboBox* m_pParity = nullptr;
    QComboBox* m_pStopBits = nullptr;
};
