#include "QuillonApp.h"

#include "ProductFiles.h"
#include "ProductVersion.h"
#include "QtPrompt.h"
#include "QuillonDlg.h"
#include "SettingsFile.h"
#include "SpLog.h"
#include "UserPrompt.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QImage>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <iostream>

namespace {
SProductFiles OrloFiles() {
    return LocateProductFiles({productinfo::kProductNameU8, productinfo::kPackageName});
}
} // namespace

SOrloCommandLine ParseOrloCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Scans Orlo DDR logs taken at normal, low and high temperature."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help."));
    const QCommandLineOption normal(QStringLiteral("normal"),
                                    QStringLiteral("Directory of the normal-temperature logs."),
                                    QStringLiteral("DIR"));
    const QCommandLineOption low(QStringLiteral("low"),
                                 QStringLiteral("Directory of the low-temperature logs."),
                                 QStringLiteral("DIR"));
    const QCommandLineOption high(QStringLiteral("high"),
                                  QStringLiteral("Directory of the high-temperature logs."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Saves the window as FILE.png after the scan and exits."),
        QStringLiteral("FILE.png"));
    parser.addOptions({help, normal, low, high, screenshot});
    parser.addPositionalArgument(QStringLiteral("DIR"),
                                 QStringLiteral("Directory of the normal-temperature logs."),
                                 QStringLiteral("[DIR]"));

    SOrloCommandLine line;
    if (!parser.parse(arguments)) {
        line.bOk = false;
        line.strError = parser.errorText();
    } else if (parser.positionalArguments().size() > 1 ||
               (parser.positionalArguments().size() == 1 && parser.isSet(normal))) {
        line.bOk = false;
        line.strError =
            QStringLiteral("unexpected argument: ") + parser.positionalArguments().back();
    } else if ((parser.isSet(low) || parser.isSet(high)) && !parser.isSet(normal) &&
               parser.positionalArguments().isEmpty()) {
        line.bOk = false;
        line.strError = QStringLiteral("--low and --high need --normal");
    }
    line.strHelp = parser.helpText() + QString::fromStdString(DescribeProductFiles(OrloFiles()));
    line.bHelp = line.bOk && parser.isSet(help);
    // The desktop entry passes a folder opened with the program as the only argument.
    line.strNormal = parser.positionalArguments().size() == 1 ? parser.positionalArguments().front()
                                                              : parser.value(normal);
    line.strLow = parser.value(low);
    line.strHigh = parser.value(high);
    line.strScreenshot = parser.value(screenshot);
    return line;
}

int CQuillonApp::Run() {
    const SOrloCommandLine line = ParseOrloCommandLine(QCoreApplication::arguments());
    if (!line.bOk) {
        std::cerr << "QuillonOrlo: " << line.strError.toStdString() << "\n"
                  << line.strHelp.toStdString();
        return 64;
    }
    if (line.bHelp) {
        std::cout << line.strHelp.toStdString();
        return 0;
    }
    QCoreApplication::setOrganizationName(CQuillonDlg::kProfileOrganisation);
    QCoreApplication::setApplicationName(CQuillonDlg::kProfileApplication);
    // QuillonOrlo.ini and QuillonOrlo.log beside the program in a portable folder; the
    // user's seeded copy and state folder when installed.
    const SProductFiles files = OrloFiles();
    PrepareProductFiles(files);
    GetSettings().SetPath(files.settings);
    OpenProgramLog(ProgramLogFile(files));

    CQuillonDlg dialog;
    // A screenshot run is unattended: its messages go to stderr instead of waiting for a click.
    CQtPrompt boxes(&dialog);
    CConsolePrompt console;
    const bool unattended = !line.strScreenshot.isEmpty();
    CScopedPrompt prompt(unattended ? static_cast<IUserPrompt&>(console)
                                    : static_cast<IUserPrompt&>(boxes));

    const bool scan = !line.strNormal.isEmpty();
    if (scan) {
        dialog.SetDirectories(line.strNormal, line.strLow, line.strHigh);
    }
    int exitCode = 0;
    QTimer::singleShot(0, &dialog, [&]() {
        if (scan) {
            dialog.OnScan();
        }
        if (!unattended) {
            return;
        }
        // Let the pages take their sizes and paint once before the window is grabbed.
        QTimer::singleShot(50, &dialog, [&]() {
            dialog.repaint();
            const QPixmap shot = dialog.grab();
            if (shot.isNull() || !shot.save(line.strScreenshot, "PNG")) {
                std::cerr << "QuillonOrlo: cannot write " << line.strScreenshot.toStdString()
                          << "\n";
                exitCode = 1;
            }
            dialog.done(QDialog::Accepted);
        });
    });
    dialog.exec();
    return exitCode;
}
