#pragma once

#include "ScanProgressDlg.h"

#include <QApplication>
#include <QEvent>
#include <QObject>

#include <string>
#include <vector>

// Window tests: hears the files of every progress dialog a window shows during a scan (the
// dialog is the window's own, made and dropped inside the command).
class CProgressListener : public QObject {
public:
    CProgressListener() { QApplication::instance()->installEventFilter(this); }
    ~CProgressListener() override { QApplication::instance()->removeEventFilter(this); }
    CProgressListener(const CProgressListener&) = delete;
    CProgressListener& operator=(const CProgressListener&) = delete;

    /// Every file the shown dialogs reported, in order.
    std::vector<std::wstring> m_vecFiles;
    /// How many times a dialog was shown.
    int m_nShown = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (auto* dialog = qobject_cast<CScanProgressDlg*>(watched)) {
                ++m_nShown;
                connect(dialog, &CScanProgressDlg::Advanced, this,
                        [this](int, int, const QString& name) {
                            m_vecFiles.push_back(name.toStdWString());
                        });
            }
        }
        return QObject::eventFilter(watched, event);
    }
};
