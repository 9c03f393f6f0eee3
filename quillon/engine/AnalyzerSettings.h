#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// The analyzer keys of the settings file. Every value is read from the file at the moment
// it is needed, with its default; only while a CSettingsRun is alive are the keys read once
// and then kept (see there).

namespace analyzer {

/// The drive strengths a generation's scan can hold, in ordinal order: DDR1 31..64, DDR2
/// 34..80, DDR3 34 and 40 (kind as in EDdrKind; any other kind: empty).
[[nodiscard]] const std::vector<int>& AllowedDrvStg(int kind);

/// The fixed DDR3 row set {34, 40}.
[[nodiscard]] std::set<int> Ddr3RowSet();

/// Reads CalcPageRow/PageRowDDR1 (kind 0, buffer 21) or PageRowDDR2 (kind 1, buffer 15) into
/// rows without emptying it first; stops at the first item outside the generation's list
/// (items before it stay). True when every item was allowed and rows is not empty.
bool ReadRowSet(int kind, std::set<int>& rows);

/// The selected row (fabsRow) for the best parameters, by DDR kind: the ordinal of Row_DDR1
/// (default 31), Row_DDR2 (default 40) or Row_DDR3 (default 34). A value outside its list
/// shows "specify row is not correct..." and leaves selectedRow unchanged; kind -1 reads
/// nothing.
void ReadBestRow(int kind, int& selectedRow);

/// The drive-strength ordinal whose run the verdict tests: Row_DDR1 (default 31) or Row_DDR2
/// (default 34, not 40) by kind; DDR3 and kind -1 give 0 without reading. A value outside
/// its list shows the row message and gives 0.
[[nodiscard]] int ReadVerdictRow(int kind);

/// MinPassRate/Rate, default 60 (validated by the verdict).
[[nodiscard]] int ReadMinPassRate();
/// CheckRow/MinPassNum, default 40 (validated by the verdict).
[[nodiscard]] int ReadMinPassNum();

/// LogType/Type, default 0.
[[nodiscard]] int ReadLogType();
/// Writes LogType/Type as "%d".
bool WriteLogType(int logType);
/// IsCheckLogFile/Enable, default 1, read now (once in a CSettingsRun).
[[nodiscard]] bool ReadCheckLogFile();

/// ResultPrompt/Prompt when ResultPrompt/Enabel (default 0) is not 0.
[[nodiscard]] std::optional<std::wstring> ReadResultPrompt();

struct SSettingsMemo; // what a run keeps

/// One run of a batch program: while an object of this class is alive, the analyzer keys
/// above (row sets, rows, MinPassRate, MinPassNum, IsCheckLogFile) are read from the settings
/// file once and then taken from memory, as long as the file keeps its path, size and
/// modification time; any change of the three reads them again. Messages and results stay
/// those of a read at every use. The windows hold none: there the user may edit the file
/// between two clicks.
class CSettingsRun {
public:
    CSettingsRun();
    ~CSettingsRun();
    CSettingsRun(const CSettingsRun&) = delete;
    CSettingsRun& operator=(const CSettingsRun&) = delete;

    /// How many times a key was read from the file itself (not from memory) in this run.
    [[nodiscard]] int FileReads() const;

private:
    std::unique_ptr<SSettingsMemo> m_pMemo;
    SSettingsMemo* m_pOuter; // the run this one is nested in (restored at its end)
};

/// The row-key messages.
inline constexpr const wchar_t* kRowMessageDDR1 =
    L"specify row is not correct，please select in row:\"31、33、39、43、48、55、64\"";
inline constexpr const wchar_t* kRowMessageDDR2 =
    L"specify row is not correct，please select in row:\"34、40、48、60、80\"";

} // namespace analyzer

} // namespace quillon
