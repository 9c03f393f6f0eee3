#include "AnalyzerSettings.h"

#include "DrvStgRegistry.h"
#include "NumberText.h"
#include "SettingsFile.h"
#include "UserPrompt.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <system_error>

namespace quillon {

namespace analyzer {

namespace fs = std::filesystem;

// The values of one run, and the file they were read from. A value is kept with the exact
// arguments of its read (defaults and buffer sizes differ between the keys' users).
struct SSettingsMemo {
    struct SText {
        std::wstring m_strSection, m_strKey, m_strDefault;
        size_t m_nBuffer;
        std::wstring m_strValue;
    };
    struct SNumber {
        std::wstring m_strSection, m_strKey;
        int m_nDefault;
        int m_nValue;
    };

    // Drops what was kept when the settings path, or the file's size or time, changed.
    void Check() {
        const fs::path& path = GetSettings().Path();
        std::error_code ec;
        bool exists = true;
        const std::uintmax_t size = fs::file_size(path, ec);
        fs::file_time_type time{};
        if (ec) {
            exists = false;
        } else {
            time = fs::last_write_time(path, ec);
            exists = !ec;
        }
        if (m_bKnown && path == m_path && exists == m_bExists &&
            (!exists || (size == m_nSize && time == m_time))) {
            return;
        }
        m_bKnown = true;
        m_path = path;
        m_bExists = exists;
        m_nSize = exists ? size : 0;
        m_time = time;
        m_vecTexts.clear();
        m_vecNumbers.clear();
        m_checkLogFile.reset();
    }

    std::wstring Text(std::wstring_view section, std::wstring_view key,
                      std::wstring_view defaultValue, size_t buffer) {
        Check();
        for (const SText& t : m_vecTexts) {
            if (t.m_nBuffer == buffer && t.m_strSection == section && t.m_strKey == key &&
                t.m_strDefault == defaultValue) {
                return t.m_strValue;
            }
        }
        ++m_nFileReads;
        std::wstring value = GetSettings().ReadString(section, key, defaultValue, buffer);
        m_vecTexts.push_back(
            {std::wstring(section), std::wstring(key), std::wstring(defaultValue), buffer, value});
        return value;
    }

    int Number(std::wstring_view section, std::wstring_view key, int defaultValue) {
        Check();
        for (const SNumber& n : m_vecNumbers) {
            if (n.m_nDefault == defaultValue && n.m_strSection == section && n.m_strKey == key) {
                return n.m_nValue;
            }
        }
        ++m_nFileReads;
        const int value = GetSettings().ReadInt(section, key, defaultValue);
        m_vecNumbers.push_back({std::wstring(section), std::wstring(key), defaultValue, value});
        return value;
    }

    // Read through the settings object, whose flag follows every read of the file.
    bool CheckLogFile() {
        Check();
        if (!m_checkLogFile) {
            ++m_nFileReads;
            m_checkLogFile = GetSettings().ReadCheckLogFile();
        }
        return *m_checkLogFile;
    }

    bool m_bKnown = false;
    fs::path m_path;
    bool m_bExists = false;
    std::uintmax_t m_nSize = 0;
    fs::file_time_type m_time{};
    std::vector<SText> m_vecTexts;
    std::vector<SNumber> m_vecNumbers;
    std::optional<bool> m_checkLogFile;
    int m_nFileReads = 0;
};

namespace {

// The memo of the innermost live run (none outside a run: every read goes to the file).
SSettingsMemo* g_pRunMemo = nullptr;

int OrdinalInList(const std::vector<int>& list, int value) {
    const auto it = std::find(list.begin(), list.end(), value);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

std::wstring ReadText(std::wstring_view section, std::wstring_view key,
                      std::wstring_view defaultValue, size_t buffer) {
    if (g_pRunMemo != nullptr) {
        return g_pRunMemo->Text(section, key, defaultValue, buffer);
    }
    return GetSettings().ReadString(section, key, defaultValue, buffer);
}

int ReadNumber(std::wstring_view section, std::wstring_view key, int defaultValue) {
    if (g_pRunMemo != nullptr) {
        return g_pRunMemo->Number(section, key, defaultValue);
    }
    return GetSettings().ReadInt(section, key, defaultValue);
}

} // namespace

CSettingsRun::CSettingsRun() : m_pMemo(std::make_unique<SSettingsMemo>()), m_pOuter(g_pRunMemo) {
    g_pRunMemo = m_pMemo.get();
}

CSettingsRun::~CSettingsRun() {
    g_pRunMemo = m_pOuter;
}

int CSettingsRun::FileReads() const {
    return m_pMemo->m_nFileReads;
}

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
        text = ReadText(L"CalcPageRow", L"PageRowDDR1", L"31,33,39,43,48,55", 21);
    } else if (kind == kDdrKindDDR2) {
        text = ReadText(L"CalcPageRow", L"PageRowDDR2", L"34,40,48,60", 15);
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
        value = ReadNumber(L"CheckRow", L"Row_DDR1", 31);
        message = kRowMessageDDR1;
        break;
    case kDdrKindDDR2:
        value = ReadNumber(L"CheckRow", L"Row_DDR2", 40);
        break;
    case kDdrKindDDR3:
        // A bad Row_DDR3 shows the DDR2 text, as the DDR3 list has no message of its own.
        value = ReadNumber(L"CheckRow", L"Row_DDR3", 34);
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
        value = ReadNumber(L"CheckRow", L"Row_DDR1", 31);
        message = kRowMessageDDR1;
    } else if (kind == kDdrKindDDR2) {
        value = ReadNumber(L"CheckRow", L"Row_DDR2", 34);
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
    return ReadNumber(L"MinPassRate", L"Rate", 60);
}

int ReadMinPassNum() {
    return ReadNumber(L"CheckRow", L"MinPassNum", 40);
}

int ReadLogType() {
    return GetSettings().ReadInt(L"LogType", L"Type", 0);
}

bool WriteLogType(int logType) {
    return GetSettings().WriteInt(L"LogType", L"Type", logType);
}

bool ReadCheckLogFile() {
    if (g_pRunMemo != nullptr) {
        return g_pRunMemo->CheckLogFile();
    }
    return GetSettings().ReadCheckLogFile();
}

std::optional<std::wstring> ReadResultPrompt() {
    return GetSettings().ReadResultPrompt(kResultPromptDefaultQuillon);
}

} // namespace analyzer

} // namespace quillon
