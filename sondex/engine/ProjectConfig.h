#pragma once

#include "ValueRange.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sondex {

/// Minimum pass widths of one DDR type: MinPass key ("CA_sr2_800") to picoseconds.
using MinPassMap = std::map<std::wstring, int32_t>;

/// MinPass keys that share a group name ("CA_sr_800") and their sub-parameter values.
struct SMinPassGroup {
    std::wstring name;
    std::vector<int32_t> values; ///< in map order of the keys
    bool operator==(const SMinPassGroup&) const = default;
};

/// Record types of the compiled .dat file.
enum EDatRecordType : uint16_t {
    kDatPrompt = 0,
    kDatProjectName = 1,
    kDatDdrType = 2,
    kDatInfoName = 3,
    kDatValueRange = 4,
    kDatLpddr2MinPass = 5,
    kDatIsPrint = 6,
    kDatResult = 7,
    kDatLpddr3MinPass = 8,
    kDatLpddr4MinPass = 9,
};

/// One record of the .dat file: text, plus a number (types 1-3, 5, 6, 8, 9) or a value
/// list (type 4).
struct SDatRecord {
    uint16_t type = 0;
    std::wstring text;
    int32_t number = 0;
    std::vector<int32_t> values;
    bool operator==(const SDatRecord&) const = default;
};

/// The project configuration of Sondex: compiled from the ini engineers edit into the
/// .dat the program reads, and the lookups the log reader and the analysis make.
class CProjectConfig {
public:
    static constexpr size_t kDatBufferBytes = 131072;
    static constexpr size_t kSectionChars = 1024;
    /// Longest MinPass key and text the configuration holds; longer keys are left out,
    /// longer texts of a .dat are cut.
    static constexpr size_t kMaxMinPassKeyChars = 49;
    static constexpr size_t kMaxTextChars = 1024;

    CProjectConfig() = default;
    CProjectConfig(const CProjectConfig&) = delete;
    CProjectConfig& operator=(const CProjectConfig&) = delete;

    /// Start-up loading: when the ini exists it is compiled and written to datPath, then
    /// the .dat is read. Shows the documented message when neither file exists. Returns
    /// true when a configuration was read.
    bool Load(const std::filesystem::path& iniPath, const std::filesystem::path& datPath);

    /// The records the ini compiles to, in .dat order. Entries without '=', entries whose
    /// text would be empty and values outside what the configuration holds give no record.
    [[nodiscard]] static std::vector<SDatRecord> CompileIni(const std::filesystem::path& iniPath);
    /// Encodes records into a .dat image of at most capacity bytes; false when a record did
    /// not fit (the image then holds the records before it).
    static bool EncodeRecords(const std::vector<SDatRecord>& records, std::string& image,
                              size_t capacity = kDatBufferBytes);
    /// Decodes a .dat image up to its end or a record of length 0. Returns false when the
    /// image is damaged (a record cut short, an unknown type, an odd text length); the
    /// records before the damage are kept in out.
    static bool DecodeImage(std::string_view image, std::vector<SDatRecord>& out);

    /// Adds one record to its list or map (the first of two equal keys stays).
    void AddRecord(const SDatRecord& record);
    /// Builds the MinPass groups of the three DDR types from their maps.
    void BuildGroups();

    [[nodiscard]] const std::filesystem::path& GetIniPath() const { return m_iniPath; }
    [[nodiscard]] const std::filesystem::path& GetDatPath() const { return m_datPath; }
    /// The file the configuration was read from: the .dat, or the ini when its compiled
    /// image could not be written; empty when nothing was read.
    [[nodiscard]] const std::filesystem::path& GetSourcePath() const { return m_sourcePath; }
    /// True when the ini was found and compiled.
    [[nodiscard]] bool IsCompiledFromIni() const { return m_bFromIni; }

    [[nodiscard]] const std::vector<std::wstring>& GetPromptLines() const { return m_promptLines; }
    [[nodiscard]] const std::map<int32_t, std::wstring>& GetProjectNames() const {
        return m_mapProjectNames;
    }
    [[nodiscard]] const std::map<int32_t, std::wstring>& GetDdrTypeNames() const {
        return m_mapDdrTypeNames;
    }
    [[nodiscard]] const std::map<int32_t, std::wstring>& GetPinNames() const {
        return m_mapPinNames;
    }
    [[nodiscard]] const std::vector<std::unique_ptr<CValueRange>>& GetRanges() const {
        return m_ranges;
    }
    [[nodiscard]] const std::map<std::wstring, int32_t>& GetIsPrintMap() const {
        return m_mapIsPrint;
    }
    [[nodiscard]] const std::vector<std::wstring>& GetResultTexts() const { return m_resultTexts; }

    /// Name of a project code, nullptr when it is not configured.
    [[nodiscard]] const std::wstring* FindProjectName(int32_t code) const;
    /// Name of a DDR type code, nullptr when it is not configured.
    [[nodiscard]] const std::wstring* FindDdrTypeName(int32_t code) const;
    /// Pin name of a pin code; empty when the code is not configured.
    [[nodiscard]] std::wstring GetPinName(int32_t code) const;
    /// The first range whose name equals name exactly; nullptr when there is none.
    [[nodiscard]] const CValueRange* FindRange(std::wstring_view name) const;
    /// IsPrint value of a pin name; 1 when absent.
    [[nodiscard]] int32_t GetIsPrint(const std::wstring& pinName) const;
    /// MinPass map / groups of "Lpddr2", "Lpddr3" or "Lpddr4" (any case); nullptr for any
    /// other DDR type.
    [[nodiscard]] const MinPassMap* FindMinPassMap(std::wstring_view ddrType) const;
    [[nodiscard]] const std::vector<SMinPassGroup>*
    FindMinPassGroups(std::wstring_view ddrType) const;
    /// Result text 1: the all-passed message (empty when not configured).
    [[nodiscard]] std::wstring GetResultText1() const;
    /// Result text 2: appended to the incomplete-logs message; empty when there is none or
    /// when it is "0".
    [[nodiscard]] std::wstring GetResultText2() const;
    /// Name of the project with the smallest code; empty when no project is configured.
    [[nodiscard]] std::wstring GetFirstProjectName() const;

    /// Same content (lists, maps, ranges and groups); paths are not compared.
    [[nodiscard]] bool SameContent(const CProjectConfig& other) const;

private:
    bool ReadDatFile(const std::filesystem::path& datPath);
    void ApplyImage(std::string_view image, const std::filesystem::path& shownPath);

    std::filesystem::path m_iniPath;
    std::filesystem::path m_datPath;
    std::filesystem::path m_sourcePath;
    bool m_bFromIni = false;
    std::vector<std::wstring> m_promptLines;
    std::map<int32_t, std::wstring> m_mapProjectNames;
    std::map<int32_t, std::wstring> m_mapDdrTypeNames;
    std::map<int32_t, std::wstring> m_mapPinNames;
    std::vector<std::unique_ptr<CValueRange>> m_ranges; ///< load order
    MinPassMap m_mapMinPassLpddr2;
    MinPassMap m_mapMinPassLpddr3;
    MinPassMap m_mapMinPassLpddr4;
    std::map<std::wstring, int32_t> m_mapIsPrint;
    std::vector<std::wstring> m_resultTexts;
    std::vector<SMinPassGroup> m_groupsLpddr2;
    std::vector<SMinPassGroup> m_groupsLpddr3;
    std::vector<SMinPassGroup> m_groupsLpddr4;
};

/// The process-wide configuration: the installed one, or the one next to the program
/// (program path with ".ini" / ".dat"), created and loaded on the first call.
[[nodiscard]] CProjectConfig& GetProjectConfig();
/// Installs config (not owned; nullptr restores the program's own) and returns the previous.
CProjectConfig* SetProjectConfig(CProjectConfig* config);

/// Installs a configuration for the lifetime of the guard (tests, the batch program).
class CScopedProjectConfig {
public:
    explicit CScopedProjectConfig(CProjectConfig& config)
        : m_pPrevious(SetProjectConfig(&config)) {}
    ~CScopedProjectConfig() { SetProjectConfig(m_pPrevious); }
    CScopedProjectConfig(const CScopedProjectConfig&) = delete;
    CScopedProjectConfig& operator=(const CScopedProjectConfig&) = delete;

private:
    CProjectConfig* m_pPrevious;
};

} // namespace sondex
