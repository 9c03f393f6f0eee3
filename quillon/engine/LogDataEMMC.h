#pragma once

#include "EmmcLineGrammar.h"
#include "LogDataBase.h"

#include <cstdint>
#include <string>

namespace quillon {

/// The display colour of an eMMC record by its error code and log mode. Mode 0 (the log marks
/// passing settings) shows only no-error records green; modes 1 and 2 show the errors.
[[nodiscard]] ColorRef EmmcRecordColor(int32_t errorCode, int32_t logMode);

/// The letter of a record on the chart: "R", "W", "C", "Y" for codes 0 to 3, "-" for the
/// merge's "no result" stand-in and any other code.
[[nodiscard]] const wchar_t* EmmcRecordLetter(int32_t errorCode);

/// One eMMC cell record: the error code of one log line (or of a log without a line there).
class CLogDataEMMC : public CLogDataBase {
public:
    CLogDataEMMC(int32_t errorCode, int32_t logMode)
        : m_nErrorCode(errorCode), m_nLogMode(logMode) {}

    [[nodiscard]] int32_t GetErrorCode() const { return m_nErrorCode; }
    [[nodiscard]] int32_t GetLogMode() const { return m_nLogMode; }
    [[nodiscard]] ColorRef GetColor() const override {
        return EmmcRecordColor(m_nErrorCode, m_nLogMode);
    }

private:
    int32_t m_nErrorCode;
    int32_t m_nLogMode;
};

} // namespace quillon
