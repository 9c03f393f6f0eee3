#include "LaneSwapMap.h"

#include "AnalyzerSettings.h"
#include "NumberText.h"
#include "SettingsFile.h"
#include "TextUtil.h"
#include "UserPrompt.h"

namespace quillon {

void CLaneSwapMap::Rebuild() {
    int lanes[4] = {0, 0, 0, 0};
    int sum = 0;
    for (int i = 0; i < 4; ++i) {
        const std::wstring key = FormatW(L"MemByte%d", i);
        const std::wstring def = FormatW(L"ChipByte%d", i);
        // Buffer of 10 characters: at most 9 arrive, so "ChipByte10" reads as "ChipByte1".
        const std::wstring text = GetSettings().ReadString(L"SwapByte", key, def, 10);
        // Only a value holding a lower-case 'e' names a lane, by its last character.
        if (text.find(L'e') != std::wstring::npos) {
            lanes[i] = ParseDecimalInt(std::wstring_view(text).substr(text.size() - 1));
        }
        sum += lanes[i];
    }
    m_mapLanes.clear();
    if (sum != 6) {
        GetPrompt().Show(L"Byte exchange order error, arrange in original order");
        SetIdentity();
        return;
    }
    for (int i = 0; i < 4; ++i) {
        m_mapLanes[i] = lanes[i];
    }
}

int CLaneSwapMap::Swap(int lane) const {
    const auto it = m_mapLanes.find(lane);
    return it == m_mapLanes.end() ? lane : it->second;
}

void CLaneSwapMap::SetIdentity() {
    m_mapLanes.clear();
    for (int i = 0; i < 4; ++i) {
        m_mapLanes[i] = i;
    }
}

CLaneSwapMap& GetLaneSwapMap() {
    static CLaneSwapMap map;
    return map;
}

} // namespace quillon
