#pragma once

#include "LogHeader.h"

#include <filesystem>
#include <string>
#include <vector>

/// Reads one KestinX scan log: its header lines, checked against the project
/// configuration, and its blocks of record lines.
class CScanLogReader {
public:
    /// ReadLog results.
    enum EStatus : int {
        kStatusOk = 0,         ///< read and complete
        kStatusOpenFailed = 8, ///< the file cannot be opened
        kStatusIncomplete = 9, ///< blocks read, but the start or end marker is missing
        kStatusNoBlock = 10,   ///< no block found
        kStatusRejected = 11,  ///< a header line was rejected by the configuration
    };

    static constexpr uint32_t kStartMarker = 0x73747172;
    static constexpr uint32_t kBlockSeparator = 0x434F4E54;
    static constexpr uint32_t kEndMarker = 0x656E6464;
    /// A longer line arrives as several pieces.
    static constexpr size_t kPieceChars = 511;

    explicit CScanLogReader(std::filesystem::path path);

    /// Reads the file. On kStatusOk and kStatusIncomplete header and blocks are valid.
    int ReadLog();

    [[nodiscard]] const std::filesystem::path& GetPath() const { return m_path; }
    [[nodiscard]] const LogHeader& GetHeader() const { return m_header; }
    /// Block texts: ", " and the record line for every data line of the block (bytes, one
    /// byte = one character).
    [[nodiscard]] const std::vector<std::string>& GetBlocks() const { return m_blocks; }
    [[nodiscard]] std::vector<std::string> TakeBlocks() { return std::move(m_blocks); }
    [[nodiscard]] bool IsStartSeen() const { return m_bStartSeen; }
    [[nodiscard]] bool IsEndSeen() const { return m_bEndSeen; }

private:
    /// One piece of the file as read in text mode; false to stop reading (status set).
    bool ClassifyPiece(std::string_view piece);
    bool ReadHeaderLine(std::string_view text);
    void CloseBlock();

    std::filesystem::path m_path;
    LogHeader m_header;
    bool m_bStartSeen = false;
    bool m_bEndSeen = false;
    int m_nHeaderLines = 0;
    int m_nStatus = kStatusOk;
    std::string m_strBlock;
    std::vector<std::string> m_blocks;
};
