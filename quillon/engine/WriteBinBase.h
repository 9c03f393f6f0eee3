#pragma once

#include "BestParam.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The writer interface of the firmware-image writers. A writer is made for one Write bin
// command: SetParameters computes the block from best-parameter records, WriteToBin puts it
// into the image. Writers change an image only when the whole write can succeed.

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

protected:
    /// One run of bytes to store at a byte offset of an image.
    struct SImagePatch {
        size_t m_nOffset = 0;
        std::string m_bytes;
    };

    /// How a patch of an image ended.
    enum class EPatchResult {
        Written,     ///< the image now holds the patches, every other byte unchanged
        CannotOpen,  ///< missing, not a regular file, or read-only (no write bit, even for root)
        TooShort,    ///< the image ends before the end of a patch; nothing was changed
        WriteFailed, ///< reading or replacing the image failed; the old image is whole
    };

    /// Stores the patches into the image at path and keeps every other byte. The image is
    /// read whole and replaced in one step, so it is changed only when the whole write
    /// succeeds. imageSize receives the size found (0 when the image could not be read).
    /// The caller shows its own message for each result.
    [[nodiscard]] static EPatchResult PatchImage(const std::wstring& path,
                                                 const std::vector<SImagePatch>& patches,
                                                 size_t& imageSize);

    /// Appends value to out as 4 little-endian bytes (the images' word order).
    static void AppendWordLE(std::string& out, uint32_t value);
};

/// The writer of a log type: 0 and 1 the DDR writer, 4 and 5 the eMMC SDR50 and DDR50
/// writers; nullptr for the types whose results cannot be written back (2 DDR3, 3 Hynix).
[[nodiscard]] std::unique_ptr<CWriteBinBase> CreateBinWriter(int logType);
