#include "QuillonCommandLine.h"
#include "QuillonDlg.h"
#include "QtPrompt.h"
#include "SerialPortSetDlg.h"

#include "ProductFiles.h"
#include "ProductVersion.h"
#include "SettingsFile.h"
#include "SpLog.h"
#include "UserPrompt.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QSettings>
#include <QScreen>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const std::optional<SQuillonCommandLine> line = ParseQuillonCommandLine(args, error);
    if (!line) {
        std::fprintf(stderr, "Quillon: %s\n\n%s", error.c_str(), QuillonUsage().c_str());
        return 64;
    }
    if (line->m_bHelp) {
        std::fputs(QuillonUsage().c_str(), stdout);
        std::fputs(DescribeProductFiles(LocateProductFiles({productinfo::kProductNameU8,
                                                            productinfo::kPackageName}))
                       .c_str(),
                   stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    // Quillon.ini and Quillon.log beside the program in a portable folder; the user's seeded
    // copy and state folder when installed.
    const SProductFiles files =
        LocateProductFiles({productinfo::kProductNameU8, productinfo::kPackageName});
    PrepareProductFiles(files);
    GetSettings().SetPath(files.settings);
    OpenProgramLog(ProgramLogFile(files));

    // A screenshot run is unattended: messages go to stderr and questions are answered No
    // instead of waiting for a click.
    CQtPrompt windowPrompt;
    CConsolePrompt consolePrompt(false);
    IUserPrompt& prompt =
        line->m_strScreenshot ? static_cast<IUserPrompt&>(consolePrompt) : windowPrompt;
    CScopedPrompt scope(prompt);

    CQuillonDlg dialog;
    windowPrompt.SetParent(&dialog);
    if (line->m_nLogType) {
        dialog.OnLogType(*line->m_nLogType);
    }
    if (const QScreen* screen = dialog.screen()) {
        dialog.resize(screen->availableGeometry().size());
    }
    dialog.showMaximized();

    if (line->m_strCapturePort) {
        std::unique_ptr<QSettings> profile = CQuillonDlg::OpenProfile();
        SSerialPortSettings settings = CSerialPortSetDlg::Load(*profile);
        settings.m_strPort = QString::fromStdString(*line->m_strCapturePort);
        dialog.SetPortSet(0, settings);
        QTimer::singleShot(0, &dialog, [&dialog] { dialog.OnOpenCapture(); });
    }
    bool analysed = true;
    int status = 0;
    // The screenshot is queued only once the start-up analysis has returned: the scan may
    // run the event loop for its progress dialog, and a timer queued beside it would fire
    // half-way. It is then taken after the result has been laid out and painted.
    const auto queueScreenshot = [&dialog, &analysed, &status, &line] {
        if (!line->m_strScreenshot) {
            return;
        }
        const QString file = QString::fromStdString(*line->m_strScreenshot);
        // A capture gets a second for the data to come in.
        QTimer::singleShot(line->m_strCapturePort ? 1000 : 0, &dialog,
                           [&dialog, &analysed, &status, file] {
                               QApplication::sendPostedEvents();
                               dialog.repaint();
                               const bool saved = dialog.grab().save(file, "PNG");
                               if (!saved) {
                                   std::fprintf(stderr, "Quillon: could not save %s\n",
                                                file.toLocal8Bit().data());
                               }
                               status = saved && analysed ? 0 : 1;
                               dialog.done(0);
                               QApplication::exit(status);
                           });
    };
    if (line->m_strDirectory) {
        dialog.DirectoryBox()->setText(QString::fromStdString(*line->m_strDirectory));
        QTimer::singleShot(0, &dialog, [&dialog, &analysed, &queueScreenshot] {
            analysed = dialog.OnAnalyse();
            queueScreenshot();
        });
    } else {
        queueScreenshot();
    }
    if (line->m_strScreenshot) {
        app.exec();
        return status;
    }
    dialog.exec();
    return 0;
}
