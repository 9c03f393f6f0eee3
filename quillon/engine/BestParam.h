#pragma once

#include <array>
#include <cstdint>

namespace quillon {

/// Best parameter set of one byte lane: seven 32-bit values in the order the image writer
/// and the result list use them. Records rebuilt from the result list carry only the first
/// four values (the run fields stay 0).
struct SBestParam {
    int32_t m_nByte = 0;
    int32_t m_nSdllPhsDly = 0;
    int32_t m_nDqsStepDly = 0;
    int32_t m_nDrvStg = 0;
    int32_t m_nRunStart = 0;
    int32_t m_nRunEnd = 0;
    int32_t m_nReserved = 0;

    /// byte, sdll_phs_dly, dqs_step_dly, drv_stg, run start, run end, reserved.
    [[nodiscard]] std::array<int32_t, 7> Values() const {
        return {m_nByte,     m_nSdllPhsDly, m_nDqsStepDly, m_nDrvStg,
                m_nRunStart, m_nRunEnd,     m_nReserved};
    }
    bool operator==(const SBestParam&) const = default;
};

} // namespace quillon
