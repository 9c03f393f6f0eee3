#include "PortDataCollectDlg.h"
#include "QuillonWindowFixture.h"
#include "QuillonDlg.h"
#include "SerialPortSetDlg.h"
#include "UartLineModel.h"

#include "FileUtil.h"
#include "SettingsFile.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QSettings>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class UartCommandsTest : public CQuillonWindowTest {
protected:
    static void StoreProfile(const SSerialPortSettings& values) {
        std::unique_ptr<QSettings> profile = CQuillonDlg::OpenProfile();
        CSerialPortSetDlg::Save(*profile, values);
    }
    // Sets the port set through the settings dialog, as a user pressing OK would.
    static void ChoosePortSet(CQuillonDlg& dlg, int set, const QString& port) {
        dlg.SetPortSettingsRunner([port](CSerialPortSetDlg& d) {
            d.PortBox()->setEditText(port);
            d.accept();
        });
        dlg.OnPortSettings(set);
    }
};

TEST_F(UartCommandsTest, SettingsDialogSelectsStoredValues) {
    SSerialPortSettings stored;
    stored.m_strPort = QStringLiteral("ttyUSB1");
    stored.m_strBaudRate = QStringLiteral("115200");
    stored.m_strParity = QStringLiteral("ODD");
    stored.m_strDataBits = QStringLiteral("7");
    stored.m_strStopBits = QStringLiteral("2");
    StoreProfile(stored);
    CSerialPortSetDlg dialog({QStringLiteral("ttyUSB1"), QStringLiteral("ttyACM0"),
                              QStringLiteral("ttyS0"), QStringLiteral("ttyUSB1")},
                             nullptr);
    EXPECT_EQ(dialog.BaudBox()->currentText(), QStringLiteral("115200"));
    EXPECT_EQ(dialog.ParityBox()->currentText(), QStringLiteral("ODD"));
    EXPECT_EQ(dialog.DataBitsBox()->currentText(), QStringLiteral("7"));
    EXPECT_EQ(dialog.StopBitsBox()->currentText(), QStringLiteral("2"));
    EXPECT_EQ(dialog.PortBox()->currentText(), QStringLiteral("ttyUSB1"));
    // Lists in text order, each port once.
    const auto entries = [](const QComboBox* box) {
        QStringList texts;
        for (int i = 0; i < box->count(); ++i) {
            texts << box->itemText(i);
        }
        return texts;
    };
    EXPECT_EQ(entries(dialog.PortBox()),
              (QStringList{"ttyACM0", "ttyS0", "ttyUSB1"}));
    EXPECT_EQ(entries(dialog.BaudBox()),
              (QStringList{"115200", "19200", "38400", "57600", "9600"}));
    EXPECT_EQ(entries(dialog.ParityBox()), (QStringList{"EVEN", "NONE", "ODD"}));
    EXPECT_EQ(dialog.Values(), stored);
}

TEST_F(UartCommandsTest, SettingsDialogOkStoresCancelKeepsLoaded) {
    CSerialPortSetDlg dialog({QStringLiteral("ttyS0"), QStringLiteral("ttyACM0")}, nullptr);
    // "COM1" names no device here: the first port is offered.
    EXPECT_EQ(dialog.PortBox()->currentText(), QStringLiteral("ttyACM0"));
    EXPECT_EQ(dialog.BaudBox()->currentText(), QStringLiteral("9600"));
    EXPECT_EQ(dialog.ParityBox()->currentText(), QStringLiteral("NONE"));
    dialog.BaudBox()->setEditText(QStringLiteral("230400"));
    dialog.ParityBox()->setCurrentIndex(dialog.ParityBox()->findText(QStringLiteral("EVEN")));
    dialog.reject();
    EXPECT_EQ(dialog.Values(), SSerialPortSettings{});

    dialog.accept();
    const SSerialPortSettings chosen = dialog.Values();
    EXPECT_EQ(chosen.m_strPort, QStringLiteral("ttyACM0"));
    EXPECT_EQ(chosen.m_strBaudRate, QStringLiteral("230400"));
    EXPECT_EQ(chosen.m_strParity, QStringLiteral("EVEN"));
    std::unique_ptr<QSettings> profile = CQuillonDlg::OpenProfile();
    EXPECT_EQ(CSerialPortSetDlg::Load(*profile), chosen);
    profile->beginGroup(QStringLiteral("CSerialPortSetDlg"));
    EXPECT_EQ(profile->value(QStringLiteral("波特率")).toString(), QStringLiteral("230400"));
}

TEST_F(UartCommandsTest, UnconfiguredSetIsRefusedWithItsMessage) {
    CQuillonDlg dlg;
    dlg.OnLogType(0);
    dlg.OnOpenCapture();
    // Cancel leaves the loaded values: "COM1" from an empty profile.
    dlg.SetPortSettingsRunner([](CSerialPortSetDlg& d) { d.reject(); });
    dlg.OnPortSettings(1);
    EXPECT_EQ(dlg.CurrentPortSet(), 1);
    dlg.OnLogType(1);
    dlg.OnOpenCapture();
    ASSERT_EQ(m_prompt.Texts().size(), 2u);
    EXPECT_EQ(WideToUtf8(m_prompt.Texts()[0]), "Orlo port parameter set error，please reset");
    EXPECT_EQ(WideToUtf8(m_prompt.Texts()[1]), "varro port parameter set error，please reset");
    EXPECT_EQ(dlg.Capture(0), nullptr);
    EXPECT_EQ(dlg.Capture(1), nullptr);
    EXPECT_EQ(dlg.Tabs()->count(), 0);
}

TEST_F(UartCommandsTest, OpenCaptureOnlyForLpddrTypes) {
    CQuillonDlg dlg;
    for (int type : {2, 4, 5}) {
        dlg.OnLogType(type);
        dlg.OnOpenCapture();
    }
    EXPECT_TRUE(m_prompt.Texts().empty());
    EXPECT_EQ(dlg.Capture(0), nullptr);
}

TEST_F(UartCommandsTest, MenuOpensCaptureTabAndSavesIt) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const QString slave = QString::fromLocal8Bit(::ptsname(master));

    CQuillonDlg dlg;
    dlg.OnLogType(1);
    ChoosePortSet(dlg, 0, slave);
    EXPECT_EQ(dlg.PortSet(0).m_strPort, slave);
    dlg.UartAction(QStringLiteral("Open capture"))->trigger();
    CPortDataCollectDlg* capture = dlg.Capture(0);
    ASSERT_NE(capture, nullptr);
    ASSERT_TRUE(capture->Commun().IsOpen()) << capture->Commun().LastError().toStdString();
    EXPECT_FALSE(dlg.Tabs()->isHidden());
    EXPECT_EQ(dlg.Tabs()->tabText(dlg.Tabs()->count() - 1), QStringLiteral("Log"));
    EXPECT_EQ(dlg.Tabs()->currentWidget(), capture);

    const std::string text = "DDR scan start\r\nCLK 400 PASS\r\n";
    ASSERT_EQ(::write(master, text.data(), text.size()), ssize_t(text.size()));
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (capture->Commun().ReceivedBytes() < qint64(text.size()) &&
           std::chrono::steady_clock::now() < end) {
        QTest::qWait(5);
    }
    capture->Model()->Flush();
    ASSERT_EQ(capture->Model()->rowCount(), 2);
    EXPECT_EQ(capture->Model()->index(1).data().toString(), QStringLiteral("CLK 400 PASS"));

    dlg.UartAction(QStringLiteral("Pause capture"))->trigger();
    EXPECT_TRUE(capture->Commun().IsPaused());
    dlg.UartAction(QStringLiteral("Close capture"))->trigger();
    EXPECT_FALSE(capture->Commun().IsOpen());

    const fs::path saved = m_dir / "uart.Txt";
    dlg.SetSaveChooser([&](const QString&) { return QString::fromStdString(saved.string()); });
    dlg.UartAction(QStringLiteral("Save capture as…"))->trigger();
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(saved, bytes));
    EXPECT_EQ(bytes, text);
    EXPECT_TRUE(m_prompt.Texts().empty());
    ::close(master);
}

TEST_F(UartCommandsTest, PortThatCannotOpenIsReportedAndDialogStaysUsable) {
    CQuillonDlg dlg;
    dlg.OnLogType(0);
    ChoosePortSet(dlg, 1, QStringLiteral("ttyNoSuchPort9"));
    dlg.OnOpenCapture();
    ASSERT_EQ(m_prompt.Texts().size(), 1u);
    const std::string message = WideToUtf8(m_prompt.Texts()[0]);
    EXPECT_NE(message.find("/dev/ttyNoSuchPort9"), std::string::npos) << message;
    EXPECT_NE(message.find("no such device"), std::string::npos) << message;
    ASSERT_NE(dlg.Capture(1), nullptr);
    EXPECT_FALSE(dlg.Capture(1)->Commun().IsOpen());
    // The other commands still answer; a save into a missing folder is reported.
    dlg.UartAction(QStringLiteral("Close capture"))->trigger();
    const fs::path unwritable = m_dir / "missing-folder" / "x.Txt";
    dlg.SetSaveChooser([&](const QString&) { return QString::fromStdString(unwritable.string()); });
    dlg.OnSaveCaptureAs();
    ASSERT_EQ(m_prompt.Texts().size(), 2u);
    EXPECT_NE(WideToUtf8(m_prompt.Texts()[1]).find("Cannot write the capture"), std::string::npos);
}

} // namespace
