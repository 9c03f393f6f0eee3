#include "LogDataEMMC.h"

namespace quillon {

ColorRef EmmcRecordColor(int32_t errorCode, int32_t logMode) {
    if (logMode == 0) {
        switch (errorCode) {
        case kEmmcReadError:
        case kEmmcWriteError:
        case kEmmcCheckError:
            return 0xFFFFFF;
        case kEmmcNoError:
            return 0x00FF00;
        default:
            return 0x000000;
        }
    }
    switch (errorCode) {
    case kEmmcReadError:
        return 0x0000FF;
    case kEmmcWriteError:
        return 0x00FFFF;
    case kEmmcCheckError:
        return 0x005FBD;
    case kEmmcNoError:
        return 0xFFFFFF;
    default:
        return 0x000000;
    }
}

const wchar_t* EmmcRecordLetter(int32_t errorCode) {
    switch (errorCode) {
    case kEmmcReadError:
        return L"R";
    case kEmmcWriteError:
        return L"W";
    case kEmmcCheckError:
        return L"C";
    case kEmmcNoError:
        return L"Y";
    default:
        return L"-";
    }
}

} // namespace quillon
