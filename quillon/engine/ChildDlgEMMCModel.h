#pragma once

#include "EmmcLineGrammar.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace quillon {

// The state of the eMMC parameter panel "参数配置" without its window: the log type and
// twelve text fields (four parameter names, four maxima, four error-flag tags), their
// defaults and labels per flavour, the profile keys they are stored under, and the
// cleaning applied when the main dialog takes them.

/// The twelve fields, in the panel's order.
enum EEmmcField : int {
    kEmmcRowName,
    kEmmcColName,
    kEmmcInRowName,
    kEmmcInColName,
    kEmmcRowMax,
    kEmmcColMax,
    kEmmcInRowMax,
    kEmmcInColMax,
    kEmmcTagW,
    kEmmcTagR,
    kEmmcTagC,
    kEmmcTagY,
    kEmmcFieldCount
};

inline constexpr int kLogTypeEmmcSdr50 = 4;
inline constexpr int kLogTypeEmmcDdr50 = 5;

/// The four parameter names in the order row, column, in-block row, in-block column.
struct SEmmcNames {
    std::wstring strRow;
    std::wstring strCol;
    std::wstring strInRow;
    std::wstring strInCol;
};

/// Page geometry from the maxima: each size is its maximum + 1.
struct SEmmcSizes {
    int32_t nPageRows = 0;
    int32_t nPageCols = 0;
    int32_t nSubRows = 0;
    int32_t nSubCols = 0;
};

/// Where the panel keeps its fields between runs (the per-user profile in the GUI).
class IEmmcProfileStore {
public:
    virtual ~IEmmcProfileStore() = default;
    [[nodiscard]] virtual std::optional<std::wstring> Read(const std::wstring& section,
                                                           const std::wstring& key) const = 0;
    virtual void Write(const std::wstring& section, const std::wstring& key,
                       const std::wstring& value) = 0;
};

class CChildDlgEMMCModel {
public:
    CChildDlgEMMCModel();

    /// Stores the log type, then fills the fields from the flavour's defaults (useDefaults)
    /// or from the profile (store given, otherwise the defaults). Other log types keep the
    /// fields as they are.
    void SetMode(int logType, bool useDefaults, const IEmmcProfileStore* store = nullptr);
    [[nodiscard]] int LogType() const { return m_nLogType; }

    /// Reads every field from the flavour's section with its default; other log types read
    /// nothing.
    void LoadFromProfile(const IEmmcProfileStore& store);
    /// Writes the twelve fields as they are under the flavour's section.
    void SaveToProfile(IEmmcProfileStore& store) const;

    /// The text of a field as edited (uncleaned).
    [[nodiscard]] const std::wstring& Field(EEmmcField field) const { return m_fields[field]; }
    void SetField(EEmmcField field, std::wstring text) { m_fields[field] = std::move(text); }

    /// Label of an edit for the current flavour (SDR50 labels for any other log type).
    [[nodiscard]] std::wstring Label(EEmmcField field) const;

    /// Clean every field, then copy the four names / maxima / tags out. GetTags writes the
    /// tool-log INFO lines "00 ..." (the out values before) and "11 ..." (after).
    void GetNames(SEmmcNames& names);
    void GetMaxima(std::array<std::wstring, 4>& maxima);
    void GetTags(SEmmcTags& tags);

    /// The page geometry from the cleaned maxima (base 16, "0x" allowed, no digits = 0).
    [[nodiscard]] SEmmcSizes GetSizes();

    [[nodiscard]] static std::wstring DefaultValue(int logType, EEmmcField field);
    /// "CChildDlgEMMC_sdr" or "CChildDlgEMMC_ddr"; empty for other log types.
    [[nodiscard]] static std::wstring ProfileSection(int logType);
    [[nodiscard]] static std::wstring ProfileKey(EEmmcField field);
    /// "分析扫描EMMC sdr日志文件" / "分析扫描EMMC ddr日志文件"; empty for other log types.
    [[nodiscard]] static std::wstring CommandPrompt(int logType);

    /// White space stripped at both ends, then 0x7F at both ends, then every other 0x7F
    /// removed.
    [[nodiscard]] static std::wstring CleanField(std::wstring_view text);
    /// A maximum read as a base-16 number: blanks, optional "0x", hex digits; held at
    /// 0xFFFFFFFF; 0 when no digit.
    [[nodiscard]] static uint32_t ParseMaximum(std::wstring_view text);

private:
    void CleanFields();

    int m_nLogType = kLogTypeEmmcSdr50;
    std::array<std::wstring, kEmmcFieldCount> m_fields;
};

} // namespace quillon
