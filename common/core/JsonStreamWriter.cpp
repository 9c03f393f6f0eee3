#include "JsonStreamWriter.h"

#include <algorithm>
#include <charconv>

void CJsonStreamWriter::Indent(size_t depth) {
    m_buffer.append(depth * 2, ' ');
}

void CJsonStreamWriter::Flush() {
    if (!m_buffer.empty()) {
        m_out.write(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
        m_buffer.clear();
    }
}

void CJsonStreamWriter::BeforeValue() {
    if (m_levels.empty() || !m_levels.back().m_bArray) {
        return; // top level, or the key has already placed the value
    }
    SLevel& level = m_levels.back();
    Put(level.m_nCount == 0 ? "\n" : ",\n");
    Indent(m_levels.size());
    ++level.m_nCount;
}

void CJsonStreamWriter::Key(std::string_view key) {
    SLevel& level = m_levels.back();
    Put(level.m_nCount == 0 ? "\n" : ",\n");
    Indent(m_levels.size());
    ++level.m_nCount;
    String(key);
    Put(": ");
}

void CJsonStreamWriter::BeginObject() {
    MaybeFlush();
    BeforeValue();
    Put('{');
    m_levels.push_back({false, 0});
}

void CJsonStreamWriter::BeginArray() {
    MaybeFlush();
    BeforeValue();
    Put('[');
    m_levels.push_back({true, 0});
}

void CJsonStreamWriter::EndObject() {
    const SLevel level = m_levels.back();
    m_levels.pop_back();
    if (level.m_nCount > 0) {
        Put('\n');
        Indent(m_levels.size());
    }
    Put('}');
}

void CJsonStreamWriter::EndArray() {
    const SLevel level = m_levels.back();
    m_levels.pop_back();
    if (level.m_nCount > 0) {
        Put('\n');
        Indent(m_levels.size());
    }
    Put(']');
}

void CJsonStreamWriter::Null() {
    BeforeValue();
    Put("null");
}

void CJsonStreamWriter::Bool(bool value) {
    BeforeValue();
    Put(value ? "true" : "false");
}

void CJsonStreamWriter::Int(int64_t value) {
    BeforeValue();
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    Put(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
}

void CJsonStreamWriter::String(std::string_view utf8) {
    BeforeValue();
    // Printable ASCII other than the quote and the backslash stands as it is; anything else
    // is escaped (and bad UTF-8 replaced) by the library's own serializer.
    const bool plain = std::all_of(utf8.begin(), utf8.end(), [](char c) {
        return c >= 0x20 && c < 0x7F && c != '"' && c != '\\';
    });
    if (plain) {
        Put('"');
        Put(utf8);
        Put('"');
        return;
    }
    Put(nlohmann::json(std::string(utf8))
            .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

void CJsonStreamWriter::Value(const nlohmann::json& value) {
    BeforeValue();
    const std::string text = value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    // Strings hold no raw line break, so every line break is the serializer's own: the
    // nested lines move right by the current depth.
    const size_t depth = m_levels.size();
    size_t start = 0;
    for (size_t pos = text.find('\n'); pos != std::string::npos; pos = text.find('\n', start)) {
        Put(std::string_view(text).substr(start, pos + 1 - start));
        Indent(depth);
        start = pos + 1;
    }
    Put(std::string_view(text).substr(start));
    MaybeFlush();
}

void CJsonStreamWriter::Object(const nlohmann::json& object, std::vector<MemberWriter> writers) {
    std::sort(writers.begin(), writers.end(),
              [](const MemberWriter& a, const MemberWriter& b) { return a.first < b.first; });
    BeginObject();
    auto writer = writers.begin();
    for (auto it = object.begin(); it != object.end(); ++it) {
        while (writer != writers.end() && writer->first < it.key()) {
            Key(writer->first);
            writer->second(*this);
            ++writer;
        }
        if (writer != writers.end() && writer->first == it.key()) {
            Key(writer->first); // the writer's member comes in the object's member's place
            writer->second(*this);
            ++writer;
            continue;
        }
        Key(it.key());
        Value(it.value());
    }
    for (; writer != writers.end(); ++writer) {
        Key(writer->first);
        writer->second(*this);
    }
    EndObject();
}

void CJsonStreamWriter::EndDocument() {
    Put('\n');
    Flush();
}
