#include "ScanProgressDlg.h"

#include "TextUtil.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

CScanProgressDlg::CScanProgressDlg(QWidget* parent, int delayMs)
    : QDialog(parent), m_nDelayMs(delayMs) {
    setWindowTitle(QStringLiteral("Analysing logs"));
    // The scan cannot be stopped half-way, so the dialog offers no button to do so.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    m_pLabel = new QLabel(this);
    m_pLabel->setMinimumWidth(420);
    m_pLabel->setTextFormat(Qt::PlainText);
    m_pBar = new QProgressBar(this);
    m_pBar->setFormat(QStringLiteral("%v / %m"));
    layout->addWidget(m_pLabel);
    layout->addWidget(m_pBar);
    ++s_nRunning;
    m_timer.start();
}

CScanProgressDlg::~CScanProgressDlg() {
    --s_nRunning;
    if (isVisible()) {
        // The window goes on as if no dialog had come between: its focus comes back.
        hide();
        if (m_pFocus != nullptr) {
            m_pFocus->activateWindow();
            m_pFocus->setFocus(Qt::OtherFocusReason);
        } else if (parentWidget() != nullptr) {
            // Shown before the window was first activated (a start-up scan).
            parentWidget()->window()->activateWindow();
        }
    }
}

int CScanProgressDlg::ConfiguredDelayMs() {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue("SUITE_PROGRESS_DELAY_MS", &ok);
    return ok ? value : kDefaultDelayMs;
}

ScanProgressFn CScanProgressDlg::Callback() {
    return [this](size_t index, size_t total, const std::wstring& name) {
        Advance(index, total, name);
    };
}

QString CScanProgressDlg::FileText(size_t index, size_t total, const std::wstring& name) {
    // The name after the last '/': the folder is the one the user just chose.
    const QString shown = QString::fromStdWString(PathDisplayName(name));
    return QStringLiteral("File %1 of %2: %3")
        .arg(index)
        .arg(total)
        .arg(shown.mid(shown.lastIndexOf(QLatin1Char('/')) + 1));
}

void CScanProgressDlg::Advance(size_t index, size_t total, const std::wstring& name) {
    const int clampedTotal = static_cast<int>(std::min<size_t>(total, INT_MAX));
    const int clampedIndex = static_cast<int>(std::min<size_t>(index, INT_MAX));
    if (!isVisible()) {
        if (m_nDelayMs < 0 || m_timer.elapsed() < m_nDelayMs) {
            emit Advanced(clampedIndex, clampedTotal, QString::fromStdWString(name));
            return;
        }
        m_pFocus = QApplication::focusWidget();
        show();
    }
    // After show(), so that whoever learns of the dialog from its showing hears this file too.
    emit Advanced(clampedIndex, clampedTotal, QString::fromStdWString(name));
    m_pLabel->setText(FileText(index, total, name));
    m_pBar->setRange(0, clampedTotal);
    // Files done: the one named is about to be read.
    m_pBar->setValue(clampedIndex - 1);
    // Repaint the windows between two files; clicks and keys wait until the scan is over.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CScanProgressDlg::closeEvent(QCloseEvent* event) {
    // The scan goes on whatever the window manager asks; the dialog goes with the scan.
    event->ignore();
}

void CScanProgressDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
