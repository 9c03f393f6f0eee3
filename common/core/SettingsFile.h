#pragma once

#include <filesystem>
#include <optional>
#include <string>

// The settings object: one per process, created on first use. Its file is the program's
// path with the extension ".ini" (Quillon -> Quillon.ini), unless a batch program or a
// test points it elsewhere. Every value is read from the file at the moment it is needed,
// with an explicit default, so a hand edit takes effect at the next read.

class CSettingsFile {
public:
    CSettingsFile();
    CSettingsFile(const CSettingsFile&) = delete;
    CSettingsFile& operator=(const CSettingsFile&) = delete;

    [[nodiscard]] const std::filesystem::path& Path() const { return m_path; }
    /// Points the object at another file (the batch programs' --settings, tests).
    void SetPath(const std::filesystem::path& path) { m_path = path; }

    /// A text read into a buffer of bufferChars characters (at most bufferChars - 1 arrive).
    [[nodiscard]] std::wstring ReadString(std::wstring_view section, std::wstring_view key,
                                          std::wstring_view defaultValue,
                                          size_t bufferChars = 256) const;
    [[nodiscard]] int ReadInt(std::wstring_view section, std::wstring_view key,
                              int defaultValue) const;
    bool WriteString(std::wstring_view section, std::wstring_view key, std::wstring_view value);
    /// Writes the value as "%d".
    bool WriteInt(std::wstring_view section, std::wstring_view key, int value);

    /// IsCheckLogFile/Enable (default 1), read now; the flag follows it.
    [[nodiscard]] bool ReadCheckLogFile();
    /// Writes IsCheckLogFile/Enable as "%d" (0 or 1); the flag follows it.
    bool WriteCheckLogFile(bool enable);
    /// The flag as last read or written.
    [[nodiscard]] bool CheckLogFile() const { return m_bCheckLogFile; }

    /// The result prompt: ResultPrompt/Prompt when ResultPrompt/Enabel (sic, the key's real
    /// name) is non-zero; enabelDefault is 0 in Quillon and 1 in QuillonOrlo.
    [[nodiscard]] std::optional<std::wstring> ReadResultPrompt(int enabelDefault) const;

private:
    std::filesystem::path m_path;
    bool m_bCheckLogFile = true;
};

/// The process-wide settings object.
[[nodiscard]] CSettingsFile& GetSettings();

inline constexpr int kResultPromptDefaultQuillon = 0;
inline constexpr int kResultPromptDefaultOrlo = 1;
