#pragma once

// Test support: files as the engineers' Windows machines save them, and the batch programs
// run as a script runs them.

#include "TextEncoding.h"
#include "TextUtil.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>

namespace testsupport {

inline std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

/// Every line ending as CR LF, as a Windows editor saves the file.
inline std::string WithCrLf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            out += '\r';
        }
        out += text[i];
    }
    return out;
}

/// UTF-8 text saved in the encoding; UTF-16 LE gets its byte-order mark as Windows writes it.
/// Empty when the encoding cannot hold the text.
inline std::string SavedAs(const std::string& utf8, ETextEncoding encoding) {
    const auto bytes = EncodeText(Utf8ToWide(utf8), encoding);
    if (!bytes) {
        return {};
    }
    return (encoding == ETextEncoding::Utf16Le ? std::string("\xFF\xFE") : std::string()) + *bytes;
}

/// The encodings a Chinese Windows system saves a settings file in, each with a file stem.
struct SWindowsSaving {
    const char* m_szName;
    ETextEncoding m_eEncoding;
};
inline constexpr SWindowsSaving kWindowsSavings[] = {{"utf8", ETextEncoding::Utf8},
                                                     {"gbk", ETextEncoding::Gbk},
                                                     {"utf16", ETextEncoding::Utf16Le}};

/// Writes UTF-8 text to file as saving saves it; true when the file then reads back as that
/// encoding.
inline bool WriteSavedAs(const std::filesystem::path& file, const std::string& utf8,
                         ETextEncoding encoding) {
    std::ofstream(file, std::ios::binary) << SavedAs(utf8, encoding);
    return DetectTextEncoding(ReadAll(file)).encoding == encoding;
}

/// Runs a shell command and returns its standard output; exitCode receives the exit status
/// (-1 when it did not exit normally or could not start).
inline std::string RunCommand(const std::string& command, int& exitCode) {
    exitCode = -1;
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return out;
    }
    std::array<char, 4096> buffer{};
    size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        out.append(buffer.data(), n);
    }
    const int status = ::pclose(pipe);
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

} // namespace testsupport
