#include "VerdictHynix.h"

namespace quillon {

const SVerdictTexts& HynixVerdictTexts() {
    static const SVerdictTexts texts = {
        L"the min pass rate of Byte%d does not reach the standard(less than%.2d%%)",
        L"Byte%d的最小通过率不达标(小于%.2f%%)",
        L"the continuous max pass length :%d in Byte that pass rate is minmum does not reach "
        L"the standard(less than%d)",
        L"通过率最小的Byte中连续最长Pass单元格数目%d不达标(小于%d)",
        L"drv_stg:连续最长pass单元格数目%d不达标(小于%d)",
        L"analyzer failed",
    };
    return texts;
}

} // namespace quillon
