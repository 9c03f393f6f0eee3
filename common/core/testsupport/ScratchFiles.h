#pragma once

// Test support: bytes to write into scratch files and what a scratch folder holds afterwards.

#include "FileUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace testsupport {

/// size bytes of every value, the same for the same seed.
inline std::string RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(rng() & 0xFF);
    }
    return bytes;
}

inline void PutBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

/// The file's bytes; a file that cannot be read fails the test.
inline std::string GetBytes(const std::filesystem::path& path) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, bytes)) << path;
    return bytes;
}

/// The names in a folder, sorted.
inline std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

/// The path (or any text) in single quotes, for a command line run through the shell; a
/// quote inside it stays a quote.
inline std::string ShellQuote(const std::filesystem::path& path) {
    std::string quoted = "'";
    for (const char c : path.string()) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

/// A new empty folder under the temporary folder, named after prefix, this process and a
/// counter, so tests running side by side never share one.
inline std::filesystem::path MakeScratchFolder(const std::string& prefix) {
    static std::atomic<int> counter{0};
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        (prefix + "_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::create_directories(dir);
    return dir;
}

} // namespace testsupport
