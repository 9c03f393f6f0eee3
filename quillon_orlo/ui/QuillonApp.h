#pragma once

#include <QString>
#include <QStringList>

/// The command line of the window program:
///   QuillonOrlo [--normal DIR | DIR] [--low DIR] [--high DIR] [--screenshot FILE.png]
struct SOrloCommandLine {
    QString strNormal;
    QString strLow;
    QString strHigh;
    QString strScreenshot;
    bool bOk = true;
    QString strError; ///< what was wrong when bOk is false
    bool bHelp = false;
    QString strHelp;
};

/// Reads the arguments (the program name first, as QCoreApplication::arguments gives them).
[[nodiscard]] SOrloCommandLine ParseOrloCommandLine(const QStringList& arguments);

/// Start-up of QuillonOrlo: profile, tool log, message boxes, then the main dialog, run
/// modally; the program ends when it closes. With directories on the command line the scan
/// runs once the window is shown; with --screenshot the window is saved after that work and
/// its first paint, and the program ends (0 when the file was written).
class CQuillonApp {
public:
    /// Call with the QApplication constructed; returns the exit code.
    int Run();
};
