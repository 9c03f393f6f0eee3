#include "EmmcLineGrammar.h"

#include <algorithm>

namespace quillon {

namespace {

template <class Ch> TEmmcLineTags<Ch> MakeTags(const SEmmcTags& tags) {
    TEmmcLineTags<Ch> out;
    const std::wstring* source[4] = {&tags.strW, &tags.strR, &tags.strC, &tags.strY};
    for (int i = 0; i < 4; ++i) {
        if (source[i]->empty()) {
            continue;
        }
        bool fits = true;
        for (wchar_t c : *source[i]) {
            if (sizeof(Ch) == 1 && static_cast<uint32_t>(c) > 0xFF) {
                fits = false;
                break;
            }
            out.tags[i].push_back(static_cast<Ch>(c));
        }
        out.usable[i] = fits;
    }
    return out;
}

} // namespace

int32_t EmmcLogMode(const SEmmcTags& tags) {
    const bool w = !tags.strW.empty();
    const bool r = !tags.strR.empty();
    const bool c = !tags.strC.empty();
    const bool y = !tags.strY.empty();
    if (!w && !r && !c && y) {
        return 0;
    }
    if (w && r && c && !y) {
        return 1;
    }
    if (w && r && c && y) {
        return 2;
    }
    return -1;
}

template <class Ch>
uint32_t ReadEmmcValue(std::basic_string_view<Ch> line, std::basic_string_view<Ch> name) {
    const size_t at = line.find(name);
    if (at == std::basic_string_view<Ch>::npos) {
        return 0;
    }
    return ReadEmmcValueAt(line, at, name.size());
}

template <class Ch>
SEmmcFlagResult ReadEmmcFlag(std::basic_string_view<Ch> line, const TEmmcLineTags<Ch>& tags) {
    const size_t open = line.find(Ch('('));
    if (open == std::basic_string_view<Ch>::npos) {
        return {EEmmcFlag::kNoParen, 0};
    }
    if (open + 3 > line.size()) {
        return {EEmmcFlag::kNoMatch, 0};
    }
    const std::basic_string_view<Ch> flag = line.substr(open, 3);
    static constexpr int32_t kCodes[4] = {kEmmcWriteError, kEmmcReadError, kEmmcCheckError,
                                          kEmmcNoError};
    for (int i = 0; i < 4; ++i) {
        if (tags.usable[i] && flag.find(tags.tags[i]) != std::basic_string_view<Ch>::npos) {
            return {EEmmcFlag::kCode, kCodes[i]};
        }
    }
    return {EEmmcFlag::kNoMatch, 0};
}

TEmmcLineTags<char> MakeEmmcByteTags(const SEmmcTags& tags) {
    return MakeTags<char>(tags);
}
TEmmcLineTags<wchar_t> MakeEmmcWideTags(const SEmmcTags& tags) {
    return MakeTags<wchar_t>(tags);
}

std::optional<std::string> EmmcWideToBytes(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (static_cast<uint32_t>(c) > 0xFF) {
            return std::nullopt;
        }
        out.push_back(static_cast<char>(static_cast<unsigned char>(c)));
    }
    return out;
}

template uint32_t ReadEmmcValue<char>(std::string_view, std::string_view);
template uint32_t ReadEmmcValue<wchar_t>(std::wstring_view, std::wstring_view);
template SEmmcFlagResult ReadEmmcFlag<char>(std::string_view, const TEmmcLineTags<char>&);
template SEmmcFlagResult ReadEmmcFlag<wchar_t>(std::wstring_view, const TEmmcLineTags<wchar_t>&);

} // namespace quillon
