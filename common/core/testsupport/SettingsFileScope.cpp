#include "SettingsFileScope.h"

#include "IniFile.h"
#include "SettingsFile.h"

#include <fstream>

namespace testsupport {

CSettingsFileScope::CSettingsFileScope(std::filesystem::path file)
    : m_file(std::move(file)), m_previous(GetSettings().Path()) {
    GetSettings().SetPath(m_file);
}

CSettingsFileScope::~CSettingsFileScope() {
    GetSettings().SetPath(m_previous);
}

void CSettingsFileScope::Write(const std::string& text) const {
    std::ofstream(m_file, std::ios::binary)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
}

bool CSettingsFileScope::Set(std::wstring_view section, std::wstring_view key,
                             std::wstring_view value) const {
    return ini::WriteString(m_file, section, key, value);
}

} // namespace testsupport
