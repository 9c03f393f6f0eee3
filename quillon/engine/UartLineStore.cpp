#include "UartLineStore.h"

#include <algorithm>

namespace quillon {

void CUartLineStore::Feed(std::string_view piece) {
    size_t start = 0;
    while (start < piece.size()) {
        const size_t feed = piece.find('\n', start);
        if (feed == std::string_view::npos) {
            m_strPending.append(piece.substr(start));
            return;
        }
        Commit(m_strPending, piece.substr(start, feed - start));
        m_strPending.clear();
        start = feed + 1;
    }
}

void CUartLineStore::Commit(std::string_view head, std::string_view tail) {
    // A carriage return ending the line, even one that came in the previous piece.
    if (!tail.empty() && tail.back() == '\r') {
        tail.remove_suffix(1);
    } else if (tail.empty() && !head.empty() && head.back() == '\r') {
        head.remove_suffix(1);
    }
    const size_t length = head.size() + tail.size();
    if (m_vecBlocks.empty() ||
        m_vecBlocks.back().capacity() - m_vecBlocks.back().size() < length) {
        m_vecBlocks.emplace_back().reserve(std::max(kBlockBytes, length));
    }
    std::string& block = m_vecBlocks.back();
    m_lines.push_back({uint32_t(m_vecBlocks.size() - 1), uint32_t(block.size()), uint32_t(length)});
    block.append(head);
    block.append(tail);
}

void CUartLineStore::Clear() {
    m_vecBlocks.clear();
    m_lines.clear();
    m_strPending.clear();
}

std::string_view CUartLineStore::Line(size_t i) const {
    const SLineRef& ref = m_lines[i];
    return std::string_view(m_vecBlocks[ref.m_nBlock]).substr(ref.m_nOffset, ref.m_nLength);
}

std::string_view CUartLineStore::Pending() const {
    return m_strPending;
}

std::string_view CUartLineStore::Row(size_t i) const {
    return i < LineCount() ? Line(i) : Pending();
}

size_t CUartLineStore::MemoryBytes() const {
    size_t bytes = m_strPending.capacity() + m_lines.size() * sizeof(SLineRef) +
                   m_vecBlocks.capacity() * sizeof(std::string);
    for (const std::string& block : m_vecBlocks) {
        bytes += block.capacity();
    }
    return bytes;
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

} // namespace quillon
