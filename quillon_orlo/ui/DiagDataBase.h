#pragma once

namespace orlo {

/// What every chart page of the tab control offers the main dialog: Ctrl + wheel zoom by a
/// signed number of notches.
class CDiagDataBase {
public:
    CDiagDataBase() = default;
    virtual ~CDiagDataBase() = default;
    CDiagDataBase(const CDiagDataBase&) = delete;
    CDiagDataBase& operator=(const CDiagDataBase&) = delete;

    virtual void Zoom(int step) = 0;
};

} // namespace orlo
