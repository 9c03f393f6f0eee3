#pragma once

class QWheelEvent;

// What every chart page offers the dialog that holds it besides being a window: zooming by a
// signed number of steps (one per wheel notch), and the one rule that turns the wheel into
// those steps.
class CDiagDataBase {
public:
    CDiagDataBase() = default;
    virtual ~CDiagDataBase() = default;
    CDiagDataBase(const CDiagDataBase&) = delete;
    CDiagDataBase& operator=(const CDiagDataBase&) = delete;

    virtual void Zoom(int steps) = 0;

protected:
    /// Ctrl alone with no button held zooms one step per notch and takes the event (true);
    /// anything else is left to scroll as usual (false).
    bool ZoomOnCtrlWheel(QWheelEvent* wheel);
};
