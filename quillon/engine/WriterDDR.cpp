#include "WriterDDR.h"

#include "TextUtil.h"
#include "UserPrompt.h"

namespace quillon {

namespace {

struct SCode {
    int32_t m_nValue;
    uint32_t m_nCode;
};

constexpr SCode kDriveCodes[] = {{34, 13}, {40, 11}, {48, 9}, {60, 7}, {80, 5}};
constexpr SCode kPhaseCodes[] = {{36, 3}, {54, 2}, {72, 1}, {90, 0}, {108, 4}, {126, 8}, {144, 18}};
constexpr SCode kStepCodes[] = {{-3, 0}, {-2, 1}, {-1, 2}, {0, 3}, {1, 4}, {2, 5}, {3, 6}, {4, 7}};

template <size_t N> std::optional<uint32_t> Lookup(const SCode (&table)[N], int32_t value) {
    for (const SCode& entry : table) {
        if (entry.m_nValue == value) {
            return entry.m_nCode;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<uint32_t> CWriterDDR::DriveCode(int32_t drvStg) {
    return Lookup(kDriveCodes, drvStg);
}

std::optional<uint32_t> CWriterDDR::PhaseCode(int32_t sdllPhsDly) {
    return Lookup(kPhaseCodes, sdllPhsDly);
}

std::optional<uint32_t> CWriterDDR::StepCode(int32_t dqsStepDly) {
    return Lookup(kStepCodes, dqsStepDly);
}

void CWriterDDR::SetParameters(const std::vector<SBestParam>& records) {
    if (records.size() != 4) {
        return;
    }
    for (const SBestParam& record : records) {
        m_nPhaseCodes <<= 8;
        m_nStepCodes <<= 8;
        // The last record with a listed drive strength decides the one drive code.
        if (const auto code = DriveCode(record.m_nDrvStg)) {
            m_nDriveCode = *code;
        }
        if (const auto code = PhaseCode(record.m_nSdllPhsDly)) {
            m_nPhaseCodes += *code;
        }
        if (const auto code = StepCode(record.m_nDqsStepDly)) {
            m_nStepCodes += *code;
        }
    }
    m_nBlockLength = 20;
    m_nCheckWord = m_nDriveCode ^ m_nMagic ^ m_nStepCodes ^ m_nPhaseCodes;
}

std::array<uint32_t, 7> CWriterDDR::Words() const {
    return {m_nBlockId,    m_nBlockLength, m_nMagic,    m_nDriveCode,
            m_nPhaseCodes, m_nStepCodes,   m_nCheckWord};
}

std::vector<CWriteBinBase::SImagePatch> CWriterDDR::Patches() const {
    SImagePatch patch;
    patch.m_nOffset = kBlockOffset;
    for (uint32_t word : Words()) {
        AppendWordLE(patch.m_bytes, word);
    }
    return {patch};
}

std::wstring CWriterDDR::WriteWhat() const {
    return L"write DDR data back to bin file";
}

void CWriterDDR::ShowCannotOpen(const std::wstring& path) const {
    GetPrompt().Show(FormatW(L"open file \"%ls\" failed, please check file is exist or file "
                             L"attirbute is read only",
                             path.c_str()));
}

void CWriterDDR::ShowTooShort(const std::wstring& path, size_t imageSize) const {
    // The block ends at byte 23580; a shorter file is not the image it is meant for.
    GetPrompt().Show(FormatW(L"bin file \"%ls\" is too short (%zu bytes): the DDR parameter "
                             L"block needs at least %zu bytes, the file is left unchanged",
                             path.c_str(), imageSize, kBlockEnd));
}

bool CWriterDDR::WriteToBin(const std::wstring& path) {
    return PatchImage(path, L"wirte DDR data back to bin file success");
}

} // namespace quillon
