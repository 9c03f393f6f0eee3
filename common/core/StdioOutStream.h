#pragma once

#include <cstdio>
#include <ostream>
#include <streambuf>
#include <vector>

// An std::ostream onto a C stream (stdout) with a buffer of its own: a document written
// piece by piece goes out in large writes, not one stdio call per piece.
class CStdioOutStream : public std::ostream {
public:
    explicit CStdioOutStream(std::FILE* file) : std::ostream(nullptr), m_buffer(file) {
        rdbuf(&m_buffer);
    }
    ~CStdioOutStream() override { flush(); }

private:
    class CBuffer : public std::streambuf {
    public:
        explicit CBuffer(std::FILE* file) : m_file(file), m_bytes(1 << 16) {
            setp(m_bytes.data(), m_bytes.data() + m_bytes.size());
        }
        ~CBuffer() override { Drain(); }

    protected:
        int_type overflow(int_type ch) override {
            if (!Drain()) {
                return traits_type::eof();
            }
            if (!traits_type::eq_int_type(ch, traits_type::eof())) {
                *pptr() = traits_type::to_char_type(ch);
                pbump(1);
            }
            return traits_type::not_eof(ch);
        }
        int sync() override { return Drain() && std::fflush(m_file) == 0 ? 0 : -1; }

    private:
        bool Drain() {
            const size_t size = static_cast<size_t>(pptr() - pbase());
            const bool ok = size == 0 || std::fwrite(pbase(), 1, size, m_file) == size;
            setp(m_bytes.data(), m_bytes.data() + m_bytes.size());
            return ok;
        }
        std::FILE* m_file;
        std::vector<char> m_bytes;
    };
    CBuffer m_buffer;
};
