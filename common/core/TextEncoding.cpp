#include "TextEncoding.h"

#include "TextUtil.h"

#include <cerrno>
#include <cstdint>

#include <iconv.h>

namespace {

bool IsScalarValue(wchar_t wc) {
    const auto c = static_cast<uint32_t>(wc);
    return c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
}

// One conversion descriptor of the C library, closed with its owner.
class CIconv {
public:
    CIconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~CIconv() {
        if (Ok()) {
            iconv_close(m_cd);
        }
    }
    CIconv(const CIconv&) = delete;
    CIconv& operator=(const CIconv&) = delete;
    [[nodiscard]] bool Ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    [[nodiscard]] iconv_t Get() const { return m_cd; }

private:
    iconv_t m_cd;
};

// The converters are opened once per thread and kept: opening one loads the C library's
// conversion module each time, far slower than a settings line's conversion. A descriptor
// carries state, so a thread shares it with no other.
iconv_t Gb18030Decoder() {
    thread_local const CIconv cd("WCHAR_T", "GB18030");
    return cd.Ok() ? cd.Get() : nullptr;
}

iconv_t GbkEncoder() {
    thread_local const CIconv cd("GBK", "WCHAR_T");
    return cd.Ok() ? cd.Get() : nullptr;
}

std::wstring DecodeGb18030(std::string_view bytes, size_t& strays) {
    std::wstring out;
    out.reserve(bytes.size());
    size_t i = 0;
    // Plain ASCII needs no conversion; most lines of a settings file are nothing else.
    while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80) {
        out.push_back(static_cast<wchar_t>(bytes[i++]));
    }
    if (i == bytes.size()) {
        return out;
    }
    iconv_t cd = Gb18030Decoder();
    if (cd == nullptr) {
        // No converter in this C library: the bytes stay readable one by one.
        for (; i < bytes.size(); ++i, ++strays) {
            out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i])));
        }
        return out;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    wchar_t buffer[256];
    while (i < bytes.size()) {
        char* in = const_cast<char*>(bytes.data() + i);
        size_t inLeft = bytes.size() - i;
        char* outPtr = reinterpret_cast<char*>(buffer);
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        const int err = errno;
        out.append(buffer, static_cast<size_t>(reinterpret_cast<wchar_t*>(outPtr) - buffer));
        i = bytes.size() - inLeft;
        if (r != static_cast<size_t>(-1) || err == E2BIG) {
            continue;
        }
        // An illegal or cut-off sequence: one byte is taken as it is and decoding goes on.
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == 0x80) {
            out.push_back(L'\x20AC'); // the euro sign of the Windows code page
        } else {
            out.push_back(static_cast<wchar_t>(c));
            ++strays;
        }
        ++i;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian, size_t& strays) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t k = 0; k < units.size(); ++k) {
        const auto b0 = static_cast<unsigned char>(bytes[2 * k]);
        const auto b1 = static_cast<unsigned char>(bytes[2 * k + 1]);
        units[k] = static_cast<char16_t>(bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0);
    }
    std::wstring out = FromUtf16(units);
    for (const wchar_t wc : out) {
        if (wc >= 0xD800 && wc <= 0xDFFF) {
            strays += 2;
        }
    }
    if (bytes.size() % 2 != 0) {
        out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes.back())));
        ++strays;
    }
    return out;
}

std::optional<std::string> EncodeGbk(std::wstring_view text, size_t& firstUnheld) {
    std::string out;
    size_t i = 0;
    while (i < text.size() && static_cast<uint32_t>(text[i]) < 0x80) {
        out.push_back(static_cast<char>(text[i++]));
    }
    if (i == text.size()) {
        return out;
    }
    iconv_t cd = GbkEncoder();
    if (cd == nullptr) {
        firstUnheld = i;
        return std::nullopt;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char buffer[1024];
    char* in = reinterpret_cast<char*>(const_cast<wchar_t*>(text.data() + i));
    size_t inLeft = (text.size() - i) * sizeof(wchar_t);
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        const int err = errno;
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (r == static_cast<size_t>(-1) && err != E2BIG) {
            firstUnheld = text.size() - inLeft / sizeof(wchar_t);
            return std::nullopt;
        }
    }
    return out;
}

} // namespace

const wchar_t* TextEncodingName(ETextEncoding encoding) {
    switch (encoding) {
    case ETextEncoding::Utf8:
        return L"UTF-8";
    case ETextEncoding::Utf16Le:
        return L"UTF-16LE";
    case ETextEncoding::Utf16Be:
        return L"UTF-16BE";
    case ETextEncoding::Gbk:
        return L"GBK";
    }
    return L"?";
}

STextDetection DetectTextEncoding(std::string_view bytes) {
    STextDetection d;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        d.bomBytes = 3;
        (void)DecodeText(bytes.substr(3), ETextEncoding::Utf8, &d.strayBytes);
        return d;
    }
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        d.encoding = bytes[0] == '\xFF' ? ETextEncoding::Utf16Le : ETextEncoding::Utf16Be;
        d.bomBytes = 2;
        (void)DecodeText(bytes.substr(2), d.encoding, &d.strayBytes);
        return d;
    }
    (void)DecodeText(bytes, ETextEncoding::Utf8, &d.strayBytes);
    if (d.strayBytes == 0) {
        return d;
    }
    size_t gbStrays = 0;
    (void)DecodeText(bytes, ETextEncoding::Gbk, &gbStrays);
    if (gbStrays < d.strayBytes) {
        d.encoding = ETextEncoding::Gbk;
        d.strayBytes = gbStrays;
    }
    return d;
}

std::wstring DecodeText(std::string_view bytes, ETextEncoding encoding, size_t* strayBytes) {
    size_t strays = 0;
    std::wstring out;
    switch (encoding) {
    case ETextEncoding::Utf8:
        out = Utf8ToWide(bytes, &strays);
        break;
    case ETextEncoding::Utf16Le:
    case ETextEncoding::Utf16Be:
        out = DecodeUtf16(bytes, encoding == ETextEncoding::Utf16Be, strays);
        break;
    case ETextEncoding::Gbk:
        out = DecodeGb18030(bytes, strays);
        break;
    }
    if (strayBytes) {
        *strayBytes = strays;
    }
    return out;
}

std::optional<std::string> EncodeText(std::wstring_view text, ETextEncoding encoding,
                                      size_t* firstUnheld) {
    size_t unheld = 0;
    std::optional<std::string> out;
    for (; unheld < text.size() && IsScalarValue(text[unheld]); ++unheld) {
    }
    if (unheld == text.size()) {
        switch (encoding) {
        case ETextEncoding::Utf8:
            out = WideToUtf8(text);
            break;
        case ETextEncoding::Utf16Le:
        case ETextEncoding::Utf16Be: {
            const bool big = encoding == ETextEncoding::Utf16Be;
            std::string bytes;
            for (const char16_t u : ToUtf16(text)) {
                const auto hi = static_cast<char>(u >> 8);
                const auto lo = static_cast<char>(u & 0xFF);
                bytes.push_back(big ? hi : lo);
                bytes.push_back(big ? lo : hi);
            }
            out = std::move(bytes);
            break;
        }
        case ETextEncoding::Gbk:
            out = EncodeGbk(text, unheld);
            break;
        }
    }
    if (!out && firstUnheld) {
        *firstUnheld = unheld;
    }
    return out;
}
