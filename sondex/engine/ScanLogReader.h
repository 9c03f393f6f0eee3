#pragma once

#include "LogHeader.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sondex {

class CScanLogData;

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

    explicit CScanLogReader(std::filesystem::path path);

    /// Reads the file. On kStatusOk and kStatusIncomplete header and blocks are valid.
    int ReadLog();

    /// Makes ReadLog build the tables of data (with the selected SR values) while it reads,
    /// in place of block texts, when the log's four header lines come before its first
    /// block; otherwise the blocks are made as usual. data is not owned.
    void SetTableTarget(CScanLogData* data, const std::vector<int32_t>& selectedSr);
    /// True when the last ReadLog built the tables of the target (and made no block texts).
    [[nodiscard]] bool HasBuiltTables() const { return m_bDirect; }
    /// Whether the tables built while reading accepted every pin and record line.
    [[nodiscard]] bool AreTablesParsed() const { return m_bTablesParsed; }
    /// Messages of the table building, held back in order for the caller to show.
    [[nodiscard]] std::vector<std::wstring> TakeHeldMessages() { return std::move(m_held); }

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
    /// A record line of the current block.
    void AddRecordPiece(std::string_view piece);
    /// Opens the block for a record line when none is open; true when its lines go to the
    /// table target.
    bool OpenBlock();
    void CloseBlock();

    std::filesystem::path m_path;
    LogHeader m_header;
    bool m_bStartSeen = false;
    bool m_bEndSeen = false;
    int m_nHeaderLines = 0;
    int m_nStatus = kStatusOk;
    std::string m_strBlock;
    std::vector<std::string> m_blocks;

    CScanLogData* m_pTarget = nullptr;
    std::vector<int32_t> m_targetSr;
    bool m_bDirect = false; ///< lines go to the target (decided at the first block)
    bool m_bDecided = false;
    bool m_bBlockOpen = false; ///< a block holds at least one record line
    size_t m_nBlockCount = 0;
    bool m_bTablesParsed = true;
    std::vector<std::wstring> m_held;
    std::vector<uint32_t> m_words;
};

} // namespace sondex
