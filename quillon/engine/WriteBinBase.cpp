#include "WriteBinBase.h"

#include "FileUtil.h"
#include "SafeFileWriter.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"
#include "WriterDDR.h"
#include "WriterEMMC.h"

namespace quillon {

namespace {

// A patch fits when the image holds every byte of it.
bool Fits(const std::string& image, size_t offset, size_t length) {
    return offset <= image.size() && length <= image.size() - offset;
}

uint32_t WordLE(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    }
    return value;
}

} // namespace

bool CWriteBinBase::PatchImage(const std::wstring& path, const wchar_t* successText) {
    m_backupPath.clear();
    if (path.empty()) {
        ShowCannotOpen(path);
        return false;
    }
    const std::vector<SImagePatch> patches = Patches();
    size_t imageSize = 0;
    bool tooShort = false;
    CSafeFileWriter writer(WideToPath(path));
    writer.SetKeepBackup(true);
    const ESafeWriteResult result = writer.Update([&](std::string& image) {
        imageSize = image.size();
        for (const SImagePatch& patch : patches) {
            if (!Fits(image, patch.m_nOffset, patch.m_bytes.size())) {
                tooShort = true;
                return false;
            }
        }
        for (const SImagePatch& patch : patches) {
            image.replace(patch.m_nOffset, patch.m_bytes.size(), patch.m_bytes);
        }
        return true;
    });
    m_backupPath = writer.BackupPath();
    const std::wstring real = PathToWide(writer.RealPath());
    const std::wstring reason = Utf8ToWide(writer.ErrorText());
    const std::wstring what = WriteWhat();
    switch (result) {
    case ESafeWriteResult::Written:
        LogInfo(L"bin file %ls written (%ls), original kept in %ls%ls", path.c_str(), real.c_str(),
                PathToWide(m_backupPath).c_str(), writer.BackupMade() ? L"" : L" (kept before)");
        GetPrompt().Show(successText);
        return true;
    case ESafeWriteResult::Refused:
        if (tooShort) {
            LogError(L"bin file too short: %ls, %zu bytes", path.c_str(), imageSize);
            ShowTooShort(path, imageSize);
        }
        return false;
    case ESafeWriteResult::CannotOpen:
        LogError(L"open bin file failed: %ls (%ls)", path.c_str(), reason.c_str());
        ShowCannotOpen(path);
        return false;
    case ESafeWriteResult::Busy:
        LogError(L"bin file %ls locked by another writer", path.c_str());
        GetPrompt().Show(FormatW(L"%ls \"%ls\" failed: another program is writing the file, the "
                                 L"file is left unchanged",
                                 what.c_str(), path.c_str()));
        return false;
    case ESafeWriteResult::BackupFailed:
        LogError(L"cannot keep %ls: %ls", PathToWide(m_backupPath).c_str(), reason.c_str());
        GetPrompt().Show(FormatW(L"%ls \"%ls\" failed: the copy of the original \"%ls\" cannot "
                                 L"be made (%ls), the file is left unchanged",
                                 what.c_str(), path.c_str(), PathToWide(m_backupPath).c_str(),
                                 reason.c_str()));
        return false;
    case ESafeWriteResult::WriteFailed:
        LogError(L"write bin file failed: %ls (%ls)", path.c_str(), reason.c_str());
        GetPrompt().Show(FormatW(L"%ls \"%ls\" failed (%ls), the file is left unchanged",
                                 what.c_str(), path.c_str(), reason.c_str()));
        return false;
    case ESafeWriteResult::VerifyFailed:
        LogError(L"bin file %ls read back wrong, original restored", path.c_str());
        GetPrompt().Show(FormatW(L"%ls \"%ls\" failed: the words read back differ from the words "
                                 L"written, the original bytes are restored",
                                 what.c_str(), path.c_str()));
        return false;
    case ESafeWriteResult::Damaged:
    default:
        LogError(L"bin file %ls damaged: %ls", path.c_str(), reason.c_str());
        GetPrompt().Show(FormatW(L"%ls \"%ls\" failed (%ls) and the original bytes could not be "
                                 L"restored: the file may be damaged, the original is kept in "
                                 L"\"%ls\"",
                                 what.c_str(), path.c_str(), reason.c_str(),
                                 PathToWide(m_backupPath).c_str()));
        return false;
    }
}

bool CWriteBinBase::PreviewBin(const std::wstring& path, std::vector<SWordChange>& words) {
    words.clear();
    const std::filesystem::path file = WideToPath(path);
    std::string image;
    // The same refusals as a write: a read-only image would not be written either.
    if (path.empty() || !IsFileWritable(file) || !ReadFileBytes(file, image)) {
        ShowCannotOpen(path);
        return false;
    }
    const std::vector<SImagePatch> patches = Patches();
    for (const SImagePatch& patch : patches) {
        if (!Fits(image, patch.m_nOffset, patch.m_bytes.size())) {
            ShowTooShort(path, image.size());
            return false;
        }
    }
    for (const SImagePatch& patch : patches) {
        for (size_t i = 0; i + 4 <= patch.m_bytes.size(); i += 4) {
            words.push_back({patch.m_nOffset + i, WordLE(image, patch.m_nOffset + i),
                             WordLE(patch.m_bytes, i)});
        }
    }
    return true;
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

} // namespace quillon
