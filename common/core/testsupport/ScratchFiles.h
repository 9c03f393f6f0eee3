#pragma once

// Test support: bytes to write into scratch files and what a scratch folder holds afterwards.

#include "FileUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

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

} // namespace testsupport
