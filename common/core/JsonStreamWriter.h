#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Writes a JSON document to a stream as it is produced, in exactly the form
// nlohmann::json::dump(2, ' ', false, replace) gives the same document: two-space indent,
// object keys in byte order, invalid UTF-8 replaced. A batch program's large parts (cells,
// chart rows) go out value by value and are never held as a whole.
class CJsonStreamWriter {
public:
    explicit CJsonStreamWriter(std::ostream& out) : m_out(out) { m_buffer.reserve(kFlushSize); }
    /// Hands what is still buffered to the stream.
    ~CJsonStreamWriter() { Flush(); }
    CJsonStreamWriter(const CJsonStreamWriter&) = delete;
    CJsonStreamWriter& operator=(const CJsonStreamWriter&) = delete;

    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    /// The next member's key; members must come in byte order of their keys.
    void Key(std::string_view key);

    void Null();
    void Bool(bool value);
    void Int(int64_t value);
    void String(std::string_view utf8);
    /// Any value, nested ones indented at the current depth.
    void Value(const nlohmann::json& value);

    /// A member produced by a function when its turn comes.
    using MemberWriter = std::pair<std::string, std::function<void(CJsonStreamWriter&)>>;
    /// The members of object together with those produced by writers, all in key order
    /// (a writer's key replaces a member of the same key). Writes the braces too.
    void Object(const nlohmann::json& object, std::vector<MemberWriter> writers);

    /// The final line end of a document; everything goes to the stream.
    void EndDocument();
    /// Hands the buffered text to the stream.
    void Flush();

private:
    // Pieces are gathered and go to the stream in large writes.
    static constexpr size_t kFlushSize = 1 << 16;
    void Put(char c) { m_buffer.push_back(c); }
    void Put(std::string_view text) { m_buffer.append(text); }
    void MaybeFlush() {
        if (m_buffer.size() >= kFlushSize) {
            Flush();
        }
    }

    // Before a value: the separator and line break of an array element.
    void BeforeValue();
    void Indent(size_t depth);

    struct SLevel {
        bool m_bArray = false;
        size_t m_nCount = 0;
    };
    std::ostream& m_out;
    std::string m_buffer;
    std::vector<SLevel> m_levels;
};
