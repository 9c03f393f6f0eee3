#pragma once

#include "WriteBinBase.h"

#include <array>
#include <cstdint>
#include <optional>

namespace quillon {

// The DDR writer: the best drive strength, phase delays and step delays as register codes in
// the DDR parameter block of a firmware image (seven little-endian words at 0x5C00).

class CWriterDDR : public CWriteBinBase {
public:
    /// Byte offset of the DDR parameter block in the image.
    static constexpr size_t kBlockOffset = 0x5C00;
    /// Seven 32-bit words: the image must be at least this long.
    static constexpr size_t kBlockEnd = kBlockOffset + 7 * 4;
    static constexpr uint32_t kBlockId = 16;
    static constexpr uint32_t kMagic = 0xABCD1234u;

    /// Needs exactly 4 records (lanes 0 to 3 in list order); any other count changes nothing.
    /// Only drv_stg, sdll_phs_dly and dqs_step_dly are used; a value without a code adds 0.
    void SetParameters(const std::vector<SBestParam>& records) override;
    /// Shows "wirte DDR data back to bin file success" after a write, and the designed or a
    /// message that says what happened to the image otherwise.
    bool WriteToBin(const std::wstring& path) override;

    /// The seven words in image order: id, length, magic, drive code, phase codes, step
    /// codes, check word.
    [[nodiscard]] std::array<uint32_t, 7> Words() const;

    /// Register codes of the parameter values; nothing for a value without a code.
    [[nodiscard]] static std::optional<uint32_t> DriveCode(int32_t drvStg);
    [[nodiscard]] static std::optional<uint32_t> PhaseCode(int32_t sdllPhsDly);
    [[nodiscard]] static std::optional<uint32_t> StepCode(int32_t dqsStepDly);

protected:
    [[nodiscard]] std::vector<SImagePatch> Patches() const override;
    [[nodiscard]] std::wstring WriteWhat() const override;
    void ShowCannotOpen(const std::wstring& path) const override;
    void ShowTooShort(const std::wstring& path, size_t imageSize) const override;

private:
    uint32_t m_nBlockId = kBlockId;
    uint32_t m_nBlockLength = 18; // 20 once parameters are set
    uint32_t m_nMagic = kMagic;
    uint32_t m_nDriveCode = 0;
    uint32_t m_nPhaseCodes = 0; // item 0 in bits 31..24 ... item 3 in bits 7..0
    uint32_t m_nStepCodes = 0;
    uint32_t m_nCheckWord = 0;
};

} // namespace quillon
