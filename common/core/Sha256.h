#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// SHA-256 of bytes and of files, for the reports that name every input by its digest so a
// reader can check that the logs on their disk are the ones that were judged.

class CSha256 {
public:
    CSha256();
    /// Adds bytes to the message.
    void Update(const void* data, size_t size);
    void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
    /// The digest of everything added; the object is spent afterwards.
    [[nodiscard]] std::array<uint8_t, 32> Finish();
    /// The digest as 64 lower-case hex digits, as sha256sum prints it.
    [[nodiscard]] std::string FinishHex();

private:
    void Block(const uint8_t* block);

    std::array<uint32_t, 8> m_state{};
    std::array<uint8_t, 64> m_buffer{};
    size_t m_nBuffered = 0;
    uint64_t m_nTotalBytes = 0;
};

/// The hex digest of bytes.
[[nodiscard]] std::string Sha256Hex(std::string_view bytes);
/// The hex digest of the file's content and its size; nothing when it cannot be read.
[[nodiscard]] std::optional<std::string> Sha256OfFile(const std::filesystem::path& path,
                                                      uint64_t* size = nullptr);
