#pragma once

class QDialog;
class QEvent;
class QKeyEvent;
class QWheelEvent;

// What every chart page offers the dialog that holds it besides being a window: zooming by a
// signed number of steps (one per wheel notch), the one rule that turns the wheel into those
// steps, and the one rule for Enter and Escape.
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
    /// The same for any event an event filter sees: false for anything but a wheel event.
    bool ZoomOnCtrlWheel(QEvent* event);
    /// Enter and Escape never reach the dialog around an embedded page; a page in its own
    /// window (Chart Max) closes with them. True when key was one of them (and was taken).
    static bool TakeCloseKey(QDialog& page, QKeyEvent* key, bool ownWindow);
};
