#include "EmmcLineGrammar.h"

#include <algorithm>

namespace quillon {

namespace {

template <class Ch> bool IsHexDigit(Ch c, uint32_t& digit) {
    if (c >= Ch('0') && c <= Ch('9')) {
        digit = static_cast<uint32_t>(c - Ch('0'));
        return true;
    }
    if (c >= Ch('a') && c <= Ch('f')) {
        digit = static_cast<uint32_t>(c - Ch('a') + 10);
        return true;
    }
    if (c >= Ch('A') && c <= Ch('F')) {
        digit = static_cast<uint32_t>(c - Ch('A') + 10);
        return true;
    }
    return false;
}

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

template <class Ch> std::optional<uint32_t> ParseEmmcHex(std::basic_string_view<Ch> text) {
    if (text.size() < 2 || text[0] != Ch('0') || text[1] != Ch('x')) {
        return std::nullopt;
    }
    // After the literal "0x" the number reads like "%X" (as the hexadecimal field reader):
    // an optional sign, an optional second "0x" / "0X", then hexadecimal digits.
    size_t i = 2;
    bool negative = false;
    if (i < text.size() && (text[i] == Ch('-') || text[i] == Ch('+'))) {
        negative = text[i] == Ch('-');
        ++i;
    }
    uint32_t digit = 0;
    if (i + 2 < text.size() && text[i] == Ch('0') &&
        (text[i + 1] == Ch('x') || text[i + 1] == Ch('X')) && IsHexDigit(text[i + 2], digit)) {
        i += 2;
    }
    uint64_t value = 0;
    bool any = false;
    for (; i < text.size() && IsHexDigit(text[i], digit); ++i) {
        value = std::min<uint64_t>(value * 16u + digit, 0x100000000ull);
        any = true;
    }
    if (!any) {
        return std::nullopt;
    }
    auto word = static_cast<uint32_t>(std::min<uint64_t>(value, 0xFFFFFFFFull));
    return negative ? 0u - word : word;
}

template <class Ch>
uint32_t ReadEmmcValue(std::basic_string_view<Ch> line, std::basic_string_view<Ch> name) {
    const size_t at = line.find(name);
    if (at == std::basic_string_view<Ch>::npos) {
        return 0;
    }
    // One separator character (normally '=') is skipped whatever it is.
    const size_t begin = at + name.size() + 1;
    if (begin > line.size()) {
        return 0;
    }
    size_t end = begin;
    while (end < line.size()) {
        const Ch c = line[end];
        if (c == Ch(':') || c == Ch(' ') || c == Ch('\n') || c == Ch(',')) {
            break;
        }
        ++end;
    }
    return ParseEmmcHex(line.substr(begin, end - begin)).value_or(0);
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

template std::optional<uint32_t> ParseEmmcHex<char>(std::string_view);
template std::optional<uint32_t> ParseEmmcHex<wchar_t>(std::wstring_view);
template uint32_t ReadEmmcValue<char>(std::string_view, std::string_view);
template uint32_t ReadEmmcValue<wchar_t>(std::wstring_view, std::wstring_view);
template SEmmcFlagResult ReadEmmcFlag<char>(std::string_view, const TEmmcLineTags<char>&);
template SEmmcFlagResult ReadEmmcFlag<wchar_t>(std::wstring_view, const TEmmcLineTags<wchar_t>&);

} // namespace quillon
