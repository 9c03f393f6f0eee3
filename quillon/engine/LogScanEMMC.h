#pragma once

#include "ChildDlgEMMCModel.h"
#include "EmmcLineGrammar.h"
#include "LogScanItf.h"

#include <string>

namespace quillon {

class CLogPageEMMC;

/// What the main dialog shows when an eMMC scan returns false.
inline constexpr const wchar_t* kEmmcScanFailedMessage =
    L"scan EMMC log file failed，please check log file is correct";

/// The scanner of the eMMC log types (4 SDR50, 5 DDR50): every log becomes a CLogPageEMMC.
/// Before Scan the caller sets the file list, the sort mode, the page size (page rows =
/// row maximum + 1, page columns = column maximum + 1), the sub-column count (in-block
/// column maximum + 1), the drive-strength row count as the sub-row count (in-block row
/// maximum + 1), the tags and the four parameter names.
class CLogScanEMMC : public CLogScanItf {
public:
    /// Largest page and block the scanner builds: the blocks of a page, and the cells of a
    /// block, are created up front, so absurd maxima are refused instead of exhausting memory.
    static constexpr int64_t kMaxPageBlocks = 1 << 16;
    static constexpr int64_t kMaxBlockCells = 1 << 24;

    CLogScanEMMC() = default;

    /// Stores the tags and writes the INFO line "SetTag: ...".
    void SetTags(const SEmmcTags& tags);
    void SetNames(const SEmmcNames& names) { m_names = names; }
    /// The page and block sizes from the panel's geometry.
    void SetSizes(const SEmmcSizes& sizes);

    /// Computes the log mode (refusing an invalid one with "error flag match error"), reads
    /// every log into a page, sorts (by name in every mode; modes 0 and 1 search every page
    /// first) and builds the merged page "统计图". False leaves no page list; the caller then
    /// shows kEmmcScanFailedMessage.
    bool Scan() override;

    /// The log mode of the last Scan (-1 before, or when the tags were refused).
    [[nodiscard]] int32_t GetLogMode() const { return m_nLogMode; }
    [[nodiscard]] const SEmmcTags& GetTags() const { return m_tags; }
    [[nodiscard]] const SEmmcNames& GetNames() const { return m_names; }

private:
    /// Reads one log into page; false when the file cannot be read, has no LF or no data line.
    bool ReadLog(const std::wstring& path, CLogPageEMMC& page);

    SEmmcTags m_tags;
    SEmmcNames m_names;
    int32_t m_nLogMode = -1;
    int32_t m_nLastCode = 0; ///< error code last matched in this scan (lines without a flag)
};

} // namespace quillon
