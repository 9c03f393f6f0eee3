#include "TextUtil.h"

#include <cstdint>
#include <cwchar>
#include <vector>

namespace {

// UTF-8 decoding; a byte that is not part of a valid sequence becomes the character
// invalidBase + byte, and strayBytes (when given) receives how many there were.
std::wstring DecodeUtf8(std::string_view text, wchar_t invalidBase, size_t* strayBytes) {
    size_t strays = 0;
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out.push_back(static_cast<wchar_t>(c));
            ++i;
            continue;
        }
        int len = 0;
        char32_t cp = 0;
        if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        }
        bool ok = len > 0 && i + len <= n;
        for (int k = 1; ok && k < len; ++k) {
            const auto cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80) {
                ok = false;
            } else {
                cp = (cp << 6) | (cc & 0x3F);
            }
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if (ok) {
            const char32_t minimum = len == 2 ? 0x80 : len == 3 ? 0x800 : 0x10000;
            ok = cp >= minimum && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        }
        if (ok) {
            out.push_back(static_cast<wchar_t>(cp));
            i += len;
        } else {
            out.push_back(static_cast<wchar_t>(invalidBase + c));
            ++i;
            ++strays;
        }
    }
    if (strayBytes) {
        *strayBytes = strays;
    }
    return out;
}

// Paths carry a byte that is not UTF-8 as U+DC80..U+DCFF (a lone low surrogate, which no
// valid UTF-8 decodes to), so the wide form turns back into the very same bytes.
constexpr wchar_t kPathByteEscape = 0xDC00;

} // namespace

std::wstring Utf8ToWide(std::string_view text, size_t* strayBytes) {
    return DecodeUtf8(text, 0, strayBytes);
}

std::string WideToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t wc : text) {
        auto cp = static_cast<char32_t>(wc);
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::wstring BytesToWide(std::string_view bytes) {
    std::wstring out(bytes.size(), L'\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        out[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
    }
    return out;
}

std::wstring PathToWide(const std::filesystem::path& path) {
    return DecodeUtf8(path.native(), kPathByteEscape, nullptr);
}

std::filesystem::path WideToPath(std::wstring_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        const bool escaped = i < text.size() && text[i] >= kPathByteEscape + 0x80 &&
                             text[i] <= kPathByteEscape + 0xFF;
        if (i == text.size() || escaped) {
            bytes += WideToUtf8(text.substr(start, i - start));
            if (escaped) {
                bytes.push_back(static_cast<char>(text[i] - kPathByteEscape));
            }
            start = i + 1;
        }
    }
    return std::filesystem::path(std::move(bytes));
}

std::wstring PathDisplayName(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out) {
        if (c >= kPathByteEscape + 0x80 && c <= kPathByteEscape + 0xFF) {
            c = 0xFFFD;
        }
    }
    return out;
}

std::wstring VFormatW(const wchar_t* format, va_list args) {
    std::vector<wchar_t> buffer(256);
    // vswprintf reports truncation only by failing, so grow until it fits (bounded).
    while (true) {
        va_list copy;
        va_copy(copy, args);
        const int n = std::vswprintf(buffer.data(), buffer.size(), format, copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < buffer.size()) {
            return std::wstring(buffer.data(), static_cast<size_t>(n));
        }
        if (buffer.size() >= (1u << 24)) {
            return std::wstring(); // an invalid format or an absurd size: nothing rather than
                                   // garbage
        }
        buffer.resize(buffer.size() * 4);
    }
}

std::wstring FormatW(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring out = VFormatW(format, args);
    va_end(args);
    return out;
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<size_t>(n));
        std::vsnprintf(out.data(), out.size() + 1, format, args);
    }
    va_end(args);
    return out;
}

std::wstring ToUpperAscii(std::wstring_view text) {
    std::wstring out(text);
    for (auto& c : out) {
        if (c >= L'a' && c <= L'z') {
            c = static_cast<wchar_t>(c - L'a' + L'A');
        }
    }
    return out;
}

std::wstring ToLowerAscii(std::wstring_view text) {
    std::wstring out(text);
    for (auto& c : out) {
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
    }
    return out;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i];
        wchar_t y = b[i];
        if (x >= L'a' && x <= L'z') {
            x = static_cast<wchar_t>(x - 32);
        }
        if (y >= L'a' && y <= L'z') {
            y = static_cast<wchar_t>(y - 32);
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

std::wstring TrimChars(std::wstring_view text, std::wstring_view chars) {
    const size_t first = text.find_first_not_of(chars);
    if (first == std::wstring_view::npos) {
        return std::wstring();
    }
    const size_t last = text.find_last_not_of(chars);
    return std::wstring(text.substr(first, last - first + 1));
}

std::wstring TrimBlanks(std::wstring_view text) {
    return TrimChars(text, L" \t");
}

std::u16string ToUtf16(std::wstring_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (const wchar_t wc : text) {
        const auto c = static_cast<uint32_t>(wc);
        if (c > 0xFFFF && c <= 0x10FFFF) {
            const uint32_t v = c - 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        } else if (c > 0x10FFFF) {
            out.push_back(u'\xFFFD');
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

std::wstring FromUtf16(std::u16string_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            const uint32_t v =
                0x10000 + ((uint32_t(c) - 0xD800) << 10) + (uint32_t(text[i + 1]) - 0xDC00);
            out.push_back(static_cast<wchar_t>(v));
            ++i;
        } else {
            out.push_back(static_cast<wchar_t>(c));
        }
    }
    return out;
}
