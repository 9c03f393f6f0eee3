#pragma once

#include "LogScanItf.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillon {

class CLogPageDDRHynix;
struct SKeyHits;

/// The data lines a Hynix log needs before its completeness question is skipped.
inline constexpr size_t kHynixRequiredDataLines = 224;

/// True when one of the first eleven pieces (511-character line reads) of the file holds
/// both "HYNIX" and "lpddr2". A file that cannot be read shows "open file %s failed !" and
/// is not a Hynix log.
[[nodiscard]] bool IsHynixLog(const std::wstring& path);
/// The detection of IsHynixLog on the pieces of a file already read.
[[nodiscard]] bool IsHynixLogPieces(const std::vector<std::wstring_view>& pieces);

/// The scanner of the "Hynix Log" type: every Hynix LPDDR2 log becomes a CLogPageDDRHynix.
/// The page geometry defaults to the Hynix one (4 lanes, 7 columns, 8 sub-columns, one
/// drive-strength row); the main dialog sets the same values.
class CLogScanHynix : public CLogScanItf {
public:
    CLogScanHynix();

    /// Empties the drive-strength registry, accepts the Hynix logs of the list (others are
    /// listed and skipped), asks the completeness question once, then sorts and merges.
    bool Scan() override;

private:
    void AddDataLines(CLogPageDDRHynix& page, const std::vector<std::wstring_view>& dataLines,
                      const std::vector<SKeyHits>& hits) const;
};

} // namespace quillon
