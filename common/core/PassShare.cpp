#include "PassShare.h"

#include "TextUtil.h"

#include <algorithm>
#include <cmath>

uint32_t PassShareColor(double share) {
    const double s = std::isnan(share) ? 0.0 : std::clamp(share, 0.0, 1.0);
    // Through yellow rather than straight from red to green: the straight line passes a
    // muddy olive that reads as neither.
    const auto channel = [](double v) {
        return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 255.0)));
    };
    const uint32_t red = channel(s <= 0.5 ? 255.0 : 510.0 * (1.0 - s));
    const uint32_t green = channel(s >= 0.5 ? 255.0 : 510.0 * s);
    return red | (green << 8);
}

std::wstring PassShareToolTip(const SPassShare& share) {
    if (share.m_nLogs <= 0) {
        return std::wstring();
    }
    const long percent = std::lround(share.Share() * 100.0);
    std::wstring text =
        FormatW(L"passed in %d of %d logs (%ld %%)", share.m_nPassed, share.m_nLogs, percent);
    if (!share.m_vecFailedLogs.empty()) {
        text += L"\nfailed in:";
        for (const std::wstring& name : share.m_vecFailedLogs) {
            text += L"\n";
            text += name;
        }
    }
    return text;
}

std::vector<std::wstring> PassShareLegendTexts() {
    return {L"0 %", L"50 %", L"100 %"};
}
