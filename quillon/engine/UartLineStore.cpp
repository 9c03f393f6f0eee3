#include "UartLineStore.h"

void CUartLineStore::Feed(std::string_view piece) {
    size_t start = 0;
    while (start < piece.size()) {
        const size_t feed = piece.find('\n', start);
        if (feed == std::string_view::npos) {
            m_bytes.append(piece.substr(start));
            return;
        }
        m_bytes.append(piece.substr(start, feed - start));
        // A carriage return ending the line, even one that came in the previous piece.
        const uint64_t lineStart = m_vecEnds.empty() ? 0 : m_vecEnds.back();
        if (m_bytes.size() > lineStart && m_bytes.back() == '\r') {
            m_bytes.pop_back();
        }
        m_vecEnds.push_back(m_bytes.size());
        start = feed + 1;
    }
}

void CUartLineStore::Clear() {
    m_bytes.clear();
    m_vecEnds.clear();
}

std::string_view CUartLineStore::Line(size_t i) const {
    const uint64_t begin = i == 0 ? 0 : m_vecEnds[i - 1];
    return std::string_view(m_bytes).substr(begin, m_vecEnds[i] - begin);
}

std::string_view CUartLineStore::Pending() const {
    const uint64_t begin = m_vecEnds.empty() ? 0 : m_vecEnds.back();
    return std::string_view(m_bytes).substr(begin);
}

std::string_view CUartLineStore::Row(size_t i) const {
    return i < LineCount() ? Line(i) : Pending();
}

size_t CUartLineStore::MemoryBytes() const {
    return m_bytes.capacity() + m_vecEnds.capacity() * sizeof(uint64_t);
}

namespace {

// Length of the valid UTF-8 sequence at bytes[i] and its code point; 0 when none starts there.
size_t Utf8Sequence(std::string_view bytes, size_t i, char32_t& code) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    size_t length = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > bytes.size()) {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[i + k]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

} // namespace

std::u32string DecodeUartText(std::string_view bytes) {
    std::u32string text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            text.push_back(byte < 0x20 && byte != '\t' ? char32_t(0x2400 + byte) : char32_t(byte));
            ++i;
            continue;
        }
        char32_t code = 0;
        const size_t length = Utf8Sequence(bytes, i, code);
        if (length == 0) {
            text.push_back(char32_t(byte));
            ++i;
        } else {
            text.push_back(code);
            i += length;
        }
    }
    return text;
}
