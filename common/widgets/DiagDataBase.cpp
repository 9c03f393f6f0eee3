#include "DiagDataBase.h"

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
