#include "AnalyzerSettings.h"

#include "DrvStgRegistry.h"
#include "SettingsFile.h"
#include "UserPrompt.h"

#include <algorithm>
#include <climits>

namespace quillon {

namespace analyzer {

namespace {

int OrdinalInList(const std::vector<int>& list, int value) {
    const auto it = std::find(list.begin(), list.end(), value);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

} // namespace

const std::vector<int>& AllowedDrvStg(int kind) {
    static const std::vector<int> ddr1 = {31, 33, 39, 43, 48, 55, 64};
    static const std::vector<int> ddr2 = {34, 40, 48, 60, 80};
    static const std::vector<int> ddr3 = {34, 40};
    static const std::vector<int> none;
    switch (kind) {
    case kDdrKindDDR1:
        return ddr1;
    case kDdrKindDDR2:
        return ddr2;
    case kDdrKindDDR3:
        return ddr3;
    default:
        return none;
    }
}

std::set<int> Ddr3RowSet() {
    return {34, 40};
}

bool ReadRowSet(int kind, std::set<int>& rows) {
    std::wstring text;
    if (kind == kDdrKindDDR1) {
        text = GetSettings().ReadString(L"CalcPageRow", L"PageRowDDR1", L"31,33,39,43,48,55", 21);
    } else if (kind == kDdrKindDDR2) {
        text = GetSettings().ReadString(L"CalcPageRow", L"PageRowDDR2", L"34,40,48,60", 15);
    } else {
        return false;
    }
    const std::vector<int>& allowed = AllowedDrvStg(kind);
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = text.find(L',', start);
        if (comma == std::wstring::npos && start == text.size()) {
            break; // nothing after the last comma
        }
        const size_t end = comma == std::wstring::npos ? text.size() : comma;
        const int value = ParseDecimalInt(std::wstring_view(text).substr(start, end - start));
        if (OrdinalInList(allowed, value) < 0) {
            return false;
        }
        rows.insert(value);
        if (comma == std::wstring::npos) {
            break;
        }
        start = comma + 1;
    }
    return !rows.empty();
}

void ReadBestRow(int kind, int& selectedRow) {
    int value = 0;
    const wchar_t* message = kRowMessageDDR2;
    switch (kind) {
    case kDdrKindDDR1:
        value = GetSettings().ReadInt(L"CheckRow", L"Row_DDR1", 31);
        message = kRowMessageDDR1;
        break;
    case kDdrKindDDR2:
        value = GetSettings().ReadInt(L"CheckRow", L"Row_DDR2", 40);
        break;
    case kDdrKindDDR3:
        // A bad Row_DDR3 shows the DDR2 text, as the DDR3 list has no message of its own.
        value = GetSettings().ReadInt(L"CheckRow", L"Row_DDR3", 34);
        break;
    default:
        return;
    }
    const int ordinal = OrdinalInList(AllowedDrvStg(kind), value);
    if (ordinal < 0) {
        GetPrompt().Show(message);
        return;
    }
    selectedRow = ordinal;
}

int ReadVerdictRow(int kind) {
    int value = 0;
    const wchar_t* message = nullptr;
    if (kind == kDdrKindDDR1) {
        value = GetSettings().ReadInt(L"CheckRow", L"Row_DDR1", 31);
        message = kRowMessageDDR1;
    } else if (kind == kDdrKindDDR2) {
        value = GetSettings().ReadInt(L"CheckRow", L"Row_DDR2", 34);
        message = kRowMessageDDR2;
    } else {
        return 0;
    }
    const int ordinal = OrdinalInList(AllowedDrvStg(kind), value);
    if (ordinal < 0) {
        GetPrompt().Show(message);
        return 0;
    }
    return ordinal;
}

int ReadMinPassRate() {
    return GetSettings().ReadInt(L"MinPassRate", L"Rate", 60);
}

int ReadMinPassNum() {
    return GetSettings().ReadInt(L"CheckRow", L"MinPassNum", 40);
}

int ReadLogType() {
    return GetSettings().ReadInt(L"LogType", L"Type", 0);
}

bool WriteLogType(int logType) {
    return GetSettings().WriteInt(L"LogType", L"Type", logType);
}

bool ReadCheckLogFile() {
    return GetSettings().ReadCheckLogFile();
}

std::optional<std::wstring> ReadResultPrompt() {
    return GetSettings().ReadResultPrompt(kResultPromptDefaultQuillon);
}

int ParseDecimalInt(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t' || text[i] == L'\r' ||
                               text[i] == L'\n' || text[i] == L'\v' || text[i] == L'\f')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    }
    long long number = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        if (number <= static_cast<long long>(INT_MAX) + 1) {
            number = number * 10 + (text[i] - L'0');
        }
    }
    if (negative) {
        number = -number;
    }
    return static_cast<int>(std::clamp<long long>(number, INT_MIN, INT_MAX));
}

} // namespace analyzer

} // namespace quillon
