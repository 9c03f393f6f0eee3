#include "DiagDataBase.h"

#include <QDialog>
#include <QKeyEvent>
#include <QWheelEvent>

bool CDiagDataBase::ZoomOnCtrlWheel(QWheelEvent* wheel) {
    if (wheel->modifiers() != Qt::ControlModifier || wheel->buttons() != Qt::NoButton) {
        return false;
    }
    const int steps = wheel->angleDelta().y() / 120;
    if (steps != 0) {
        Zoom(steps);
    }
    wheel->accept();
    return true;
}

bool CDiagDataBase::ZoomOnCtrlWheel(QEvent* event) {
    return event->type() == QEvent::Wheel && ZoomOnCtrlWheel(static_cast<QWheelEvent*>(event));
}

bool CDiagDataBase::TakeCloseKey(QDialog& page, QKeyEvent* key, bool ownWindow) {
    const int code = key->key();
    if (code != Qt::Key_Return && code != Qt::Key_Enter && code != Qt::Key_Escape) {
        return false;
    }
    if (ownWindow) {
        page.accept();
    } else {
        key->accept(); // an embedded page does not close
    }
    return true;
}
