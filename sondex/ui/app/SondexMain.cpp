// Sondex: opens KestinX scan logs one by one or a folder at a time as documents.

#include "MainFrame.h"

#include "ProductFiles.h"
#include "ProductVersion.h"
#include "ProjectConfig.h"

#include "QtPrompt.h"
#include "UserPrompt.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <memory>

using namespace sondex;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QString::fromLatin1(CMainFrame::kOrganisation));
    QApplication::setApplicationName(QString::fromLatin1(CMainFrame::kApplication));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sondex Tool"));
    parser.addHelpOption();
    QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                  QStringLiteral("Save a picture of the main window after the "
                                                 "given logs or folders are open, then exit."),
                                  QStringLiteral("FILE.png"));
    parser.addOption(screenshot);
    parser.addPositionalArgument(QStringLiteral("paths"),
                                 QStringLiteral("Logs to open or folders to analyse."),
                                 QStringLiteral("[FILE|FOLDER ...]"));
    // Sondex.ini and its compiled Sondex.dat beside the program in a portable folder; the
    // user's seeded copy (and the .dat compiled beside it) when installed.
    const SProductFiles files =
        LocateProductFiles({productinfo::kProductNameU8, productinfo::kPackageName});
    parser.setApplicationDescription(QStringLiteral("Sondex Tool\n\n") +
                                     QString::fromStdString(DescribeProductFiles(files)));
    parser.process(app);
    const QString shotFile = parser.value(screenshot);

    // A screenshot run must not wait for anybody: its messages go to stderr and every
    // question is answered No, as the batch program does by default.
    CQtPrompt windowPrompt;
    CConsolePrompt consolePrompt(false);
    IUserPrompt& prompt = shotFile.isEmpty() ? static_cast<IUserPrompt&>(windowPrompt)
                                             : static_cast<IUserPrompt&>(consolePrompt);
    CScopedPrompt promptScope(prompt);
    PrepareProductFiles(files);
    CProjectConfig config;
    config.Load(files.settings, std::filesystem::path(files.settings).replace_extension(".dat"));
    CScopedProjectConfig configScope(config);

    CMainFrame frame;
    windowPrompt.SetParent(&frame);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        // Without a window manager maximising does nothing; the size comes from the screen.
        frame.setGeometry(screen->availableGeometry());
    }
    frame.showMaximized();
    int status = 0;
    // The logs and folders of the command line are opened once the window shows; a
    // screenshot is queued only after they are (a long scan runs the event loop for its
    // progress dialog, and a timer queued beside it would fire half-way), and taken once the
    // result has been laid out and painted.
    const QStringList paths = parser.positionalArguments();
    QTimer::singleShot(0, &frame, [&frame, &shotFile, &status, paths] {
        frame.OpenPaths(paths);
        if (shotFile.isEmpty()) {
            return;
        }
        QTimer::singleShot(300, &frame, [&frame, &shotFile, &status] {
            const QPixmap picture = frame.grab();
            status = !picture.isNull() && picture.save(shotFile) ? 0 : 1;
            if (status != 0) {
                std::fprintf(stderr, "Sondex: could not save %s\n", qPrintable(shotFile));
            }
            QApplication::exit(status);
        });
    });
    const int code = QApplication::exec();
    if (!shotFile.isEmpty()) {
        return code == 0 ? status : 1;
    }
    return code;
}
