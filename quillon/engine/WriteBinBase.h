#pragma once

#include "BestParam.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace quillon {

// The writer interface of the firmware-image writers. A writer is made for one Write bin
// command: SetParameters computes the block from best-parameter records, WriteToBin puts it
// into the image. An image is either fully written and read back, or left byte for byte as
// it was, and the message says which.

class CWriteBinBase {
public:
    CWriteBinBase() = default;
    virtual ~CWriteBinBase() = default;
    CWriteBinBase(const CWriteBinBase&) = delete;
    CWriteBinBase& operator=(const CWriteBinBase&) = delete;

    /// Computes the parameter block from the records (what each writer uses of them and
    /// how many it needs is its own rule).
    virtual void SetParameters(const std::vector<SBestParam>& records) = 0;
    /// Writes the block into the image at path; true on success. Every failure is shown
    /// through the prompt seam and leaves the image unchanged.
    virtual bool WriteToBin(const std::wstring& path) = 0;

    /// One word of the block a write stores, with the value the image holds there now.
    struct SWordChange {
        size_t m_nOffset = 0;
        uint32_t m_nBefore = 0;
        uint32_t m_nAfter = 0;
    };
    /// The dry run of WriteToBin: the words the write would store, in image order, each with
    /// the value the image holds now; writes nothing. Shows the same message as WriteToBin
    /// and returns false when the image cannot be written or is too short.
    bool PreviewBin(const std::wstring& path, std::vector<SWordChange>& words);
    /// The copy of the original image ("<image>.bak" beside the real image behind links) that
    /// the last WriteToBin kept; empty before a write.
    [[nodiscard]] const std::filesystem::path& GetBackupPath() const { return m_backupPath; }

protected:
    /// One run of bytes to store at a byte offset of an image.
    struct SImagePatch {
        size_t m_nOffset = 0;
        std::string m_bytes;
    };

    /// The bytes the writer stores.
    [[nodiscard]] virtual std::vector<SImagePatch> Patches() const = 0;
    /// Start of the failure messages: "write DDR data back to bin file".
    [[nodiscard]] virtual std::wstring WriteWhat() const = 0;
    /// The writer's message for an image that is missing, not a file or read-only.
    virtual void ShowCannotOpen(const std::wstring& path) const = 0;
    /// The writer's message for an image that ends before the end of its words.
    virtual void ShowTooShort(const std::wstring& path, size_t imageSize) const = 0;

    /// Stores the patches into the real image behind path and keeps every other byte, under
    /// the image's lock, after keeping a copy of the original as "<image>.bak" (once), and
    /// reads them back. Shows successText when the image holds them, otherwise one message
    /// that says what happened (the image is left as it was unless the message says the
    /// original could not be restored).
    bool PatchImage(const std::wstring& path, const wchar_t* successText);

    /// Appends value to out as 4 little-endian bytes (the images' word order).
    static void AppendWordLE(std::string& out, uint32_t value);

private:
    std::filesystem::path m_backupPath;
};

/// The writer of a log type: 0 and 1 the DDR writer, 4 and 5 the eMMC SDR50 and DDR50
/// writers; nullptr for the types whose results cannot be written back (2 DDR3, 3 Hynix).
[[nodiscard]] std::unique_ptr<CWriteBinBase> CreateBinWriter(int logType);

} // namespace quillon
