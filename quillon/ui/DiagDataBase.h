#pragma once

// What every chart page offers the main dialog besides being a window: zooming by a signed
// number of steps (one per wheel notch).
class CDiagDataBase {
public:
    CDiagDataBase() = default;
    virtual ~CDiagDataBase() = default;
    CDiagDataBase(const CDiagDataBase&) = delete;
    CDiagDataBase& operator=(const CDiagDataBase&) = delete;

    virtual void Zoom(int steps) = 0;
};
