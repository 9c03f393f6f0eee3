#pragma once

#include "VerdictDDR.h"

namespace quillon {

/// The Hynix texts of the lane verdict.
[[nodiscard]] const SVerdictTexts& HynixVerdictTexts();

/// The verdict of a Hynix page: the two DDR rules, read from the same settings and judged
/// the same way, worded as the Hynix panel words them; a Rate out of range gives the
/// no-verdict text "analyzer failed". Its pass flag is never read: the result prompt follows
/// DDR analyses only.
class CVerdictHynix : public CVerdictDDR {
public:
    CVerdictHynix() : CVerdictDDR(HynixVerdictTexts()) {}
};

} // namespace quillon
