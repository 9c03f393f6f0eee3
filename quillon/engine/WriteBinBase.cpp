#include "WriteBinBase.h"

#include "FileUtil.h"
#include "TextUtil.h"
#include "WriterDDR.h"
#include "WriterEMMC.h"

CWriteBinBase::EPatchResult CWriteBinBase::PatchImage(const std::wstring& path,
                                                      const std::vector<SImagePatch>& patches,
                                                      size_t& imageSize) {
    imageSize = 0;
    const std::filesystem::path file = WideToPath(path);
    // A read-only image stays untouched even for root: the write bits decide, not access().
    if (path.empty() || !IsFileWritable(file)) {
        return EPatchResult::CannotOpen;
    }
    std::string image;
    if (!ReadFileBytes(file, image)) {
        return EPatchResult::CannotOpen;
    }
    imageSize = image.size();
    for (const SImagePatch& patch : patches) {
        if (patch.m_nOffset > image.size() ||
            patch.m_bytes.size() > image.size() - patch.m_nOffset) {
            return EPatchResult::TooShort;
        }
    }
    for (const SImagePatch& patch : patches) {
        image.replace(patch.m_nOffset, patch.m_bytes.size(), patch.m_bytes);
    }
    return ReplaceFileContents(file, image) ? EPatchResult::Written : EPatchResult::WriteFailed;
}

void CWriteBinBase::AppendWordLE(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFFu));
    }
}

std::unique_ptr<CWriteBinBase> CreateBinWriter(int logType) {
    switch (logType) {
    case 0: // lpDDR (DDR1)
    case 1: // lpDDR2 (DDR2)
        return std::make_unique<CWriterDDR>();
    case 4: // eMMC SDR50
        return std::make_unique<CWriterEMMCsdr50>();
    case 5: // eMMC DDR50
        return std::make_unique<CWriterEMMCddr50>();
    default:
        // DDR3 and Hynix results cannot be written back.
        return nullptr;
    }
}
