#include "SettingsFile.h"

#include "IniFile.h"
#include "ProgramLocation.h"
#include "TextUtil.h"

CSettingsFile::CSettingsFile() : m_path(GetProgramSibling(".ini")) {}

std::wstring CSettingsFile::ReadString(std::wstring_view section, std::wstring_view key,
                                       std::wstring_view defaultValue, size_t bufferChars) const {
    return ini::ReadString(m_path, section, key, defaultValue, bufferChars);
}

int CSettingsFile::ReadInt(std::wstring_view section, std::wstring_view key,
                           int defaultValue) const {
    return ini::ReadInt(m_path, section, key, defaultValue);
}

bool CSettingsFile::WriteString(std::wstring_view section, std::wstring_view key,
                                std::wstring_view value) {
    return ini::WriteString(m_path, section, key, value);
}

bool CSettingsFile::WriteInt(std::wstring_view section, std::wstring_view key, int value) {
    return WriteString(section, key, FormatW(L"%d", value));
}

bool CSettingsFile::ReadCheckLogFile() {
    m_bCheckLogFile = ReadInt(L"IsCheckLogFile", L"Enable", 1) != 0;
    return m_bCheckLogFile;
}

bool CSettingsFile::WriteCheckLogFile(bool enable) {
    m_bCheckLogFile = enable;
    return WriteInt(L"IsCheckLogFile", L"Enable", enable ? 1 : 0);
}

std::optional<std::wstring> CSettingsFile::ReadResultPrompt(int enabelDefault) const {
    if (ReadInt(L"ResultPrompt", L"Enabel", enabelDefault) == 0) {
        return std::nullopt;
    }
    return ReadString(L"ResultPrompt", L"Prompt", L"");
}

CSettingsFile& GetSettings() {
    static CSettingsFile settings;
    return settings;
}
