#include "ProjectConfig.h"

#include "SondexText.h"

#include "FileUtil.h"
#include "IniFile.h"
#include "NumberText.h"
#include "ProgramLocation.h"
#include "SafeFileWriter.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <cstring>

namespace sondex {

namespace fs = std::filesystem;

namespace {

struct SSectionInfo {
    const wchar_t* name;
    uint16_t type;
};

// The order in which sections go into the .dat; readers rely on nothing but the types.
constexpr SSectionInfo kSections[] = {
    {L"Prompt", kDatPrompt},
    {L"ProjectName", kDatProjectName},
    {L"DdrType", kDatDdrType},
    {L"InfoName", kDatInfoName},
    {L"ValueRange", kDatValueRange},
    {L"Lpddr2_MinPass", kDatLpddr2MinPass},
    {L"IsPrint", kDatIsPrint},
    {L"Result", kDatResult},
    {L"Lpddr3_MinPass", kDatLpddr3MinPass},
    {L"Lpddr4_MinPass", kDatLpddr4MinPass},
};

bool IsTextOnly(uint16_t type) {
    return type == kDatPrompt || type == kDatResult;
}
bool IsMinPass(uint16_t type) {
    return type == kDatLpddr2MinPass || type == kDatLpddr3MinPass || type == kDatLpddr4MinPass;
}

// A ValueRange value: "first~last" or a ',' list of "0x%X" numbers. False when the value
// lies outside what a range holds (a '~' with fewer than two numbers, more than 256 values).
bool ParseRangeValues(const std::wstring& text, std::vector<int32_t>& values) {
    values.clear();
    if (text.find(L'~') != std::wstring::npos) {
        const auto pieces = sondex::SplitTrimmed(text, L'~');
        if (pieces.size() < 2) {
            return false;
        }
        const auto first =
            static_cast<int32_t>(ParseHex(pieces[0], kHexPrintedUnsigned).value_or(0));
        const auto last =
            static_cast<int32_t>(ParseHex(pieces[1], kHexPrintedUnsigned).value_or(0));
        const int64_t count = int64_t(last) - int64_t(first) + 1;
        if (count > CValueRange::kMaxValues) {
            return false;
        }
        for (int64_t i = 0; i < count; ++i) {
            values.push_back(static_cast<int32_t>(first + i));
        }
        return true;
    }
    const auto pieces = sondex::SplitTrimmed(text, L',');
    if (pieces.size() > static_cast<size_t>(CValueRange::kMaxValues)) {
        return false;
    }
    for (const auto& piece : pieces) {
        values.push_back(static_cast<int32_t>(ParseHex(piece, kHexPrintedUnsigned).value_or(0)));
    }
    return true;
}

void PutU16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}
void PutI32(std::string& out, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}
uint16_t GetU16(std::string_view in, size_t pos) {
    return static_cast<uint16_t>(static_cast<uint8_t>(in[pos]) |
                                 (static_cast<uint8_t>(in[pos + 1]) << 8));
}
int32_t GetI32(std::string_view in, size_t pos) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | static_cast<uint8_t>(in[pos + static_cast<size_t>(i)]);
    }
    return static_cast<int32_t>(v);
}
std::wstring GetText(std::string_view in, size_t pos, size_t bytes) {
    std::u16string units(bytes / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(GetU16(in, pos + 2 * i));
    }
    return FromUtf16(units);
}

CProjectConfig* g_pInstalled = nullptr;

} // namespace

std::vector<SDatRecord> CProjectConfig::CompileIni(const fs::path& iniPath) {
    std::vector<SDatRecord> records;
    for (const auto& section : kSections) {
        for (const auto& line : ini::ReadSection(iniPath, section.name, kSectionChars)) {
            const size_t eq = line.find(L'=');
            if (eq == std::wstring::npos) {
                // Carries no key and no value: left out, as a comment would be.
                LogInfo(L"[%ls] entry without '=' ignored: %ls", section.name, line.c_str());
                continue;
            }
            const std::wstring key = TrimBlanks(line.substr(0, eq));
            const std::wstring value = TrimBlanks(line.substr(eq + 1));
            SDatRecord record;
            record.type = section.type;
            record.text = IsTextOnly(section.type) ? value : key;
            // A record of length 0 ends the .dat for every reader, so an empty text would
            // cut off everything compiled after it: such an entry gets no record.
            if (record.text.empty()) {
                LogInfo(L"[%ls] entry with an empty text ignored: %ls", section.name, line.c_str());
                continue;
            }
            if (section.type == kDatValueRange) {
                if (!ParseRangeValues(value, record.values)) {
                    LogError(L"[ValueRange] %ls: not a range of at most 256 values, ignored",
                             line.c_str());
                    continue;
                }
            } else if (!IsTextOnly(section.type)) {
                record.number = sondex::ParseCodeNumber(ToUpperAscii(value));
            }
            if (IsMinPass(section.type) && record.text.size() > kMaxMinPassKeyChars) {
                LogError(L"[%ls] key longer than %d characters ignored: %ls", section.name,
                         static_cast<int>(kMaxMinPassKeyChars), record.text.c_str());
                continue;
            }
            records.push_back(std::move(record));
        }
    }
    return records;
}

bool CProjectConfig::EncodeRecords(const std::vector<SDatRecord>& records, std::string& image,
                                   size_t capacity) {
    image.clear();
    std::string one;
    for (const auto& record : records) {
        const std::u16string units = ToUtf16(record.text);
        // The length field holds bytes in 16 bits.
        if (units.empty() || units.size() * 2 > 0xFFFF) {
            continue;
        }
        one.clear();
        PutU16(one, record.type);
        PutU16(one, static_cast<uint16_t>(units.size() * 2));
        if (!IsTextOnly(record.type) && record.type != kDatValueRange) {
            PutI32(one, record.number);
        }
        for (const char16_t u : units) {
            PutU16(one, static_cast<uint16_t>(u));
        }
        if (record.type == kDatValueRange) {
            PutI32(one, static_cast<int32_t>(record.values.size()));
            for (const int32_t v : record.values) {
                PutI32(one, v);
            }
        }
        if (image.size() + one.size() > capacity) {
            return false;
        }
        image += one;
    }
    return true;
}

bool CProjectConfig::DecodeImage(std::string_view image, std::vector<SDatRecord>& out) {
    size_t pos = 0;
    while (pos < image.size()) {
        if (image.size() - pos < 4) {
            return false;
        }
        SDatRecord record;
        record.type = GetU16(image, pos);
        const size_t bytes = GetU16(image, pos + 2);
        if (bytes == 0) {
            return true; // the end of what a reader takes
        }
        // An unknown type has no known payload size, so nothing after it can be found.
        if (record.type > kDatLpddr4MinPass || bytes % 2 != 0) {
            return false;
        }
        pos += 4;
        const size_t left = image.size() - pos;
        if (IsTextOnly(record.type)) {
            if (left < bytes) {
                return false;
            }
            record.text = GetText(image, pos, bytes);
            pos += bytes;
        } else if (record.type == kDatValueRange) {
            if (left < bytes + 4) {
                return false;
            }
            record.text = GetText(image, pos, bytes);
            const int32_t count = GetI32(image, pos + bytes);
            pos += bytes + 4;
            if (count < 0 || static_cast<size_t>(count) > (image.size() - pos) / 4) {
                return false;
            }
            for (int32_t i = 0; i < count; ++i) {
                record.values.push_back(GetI32(image, pos));
                pos += 4;
            }
        } else {
            if (left < bytes + 4) {
                return false;
            }
            record.number = GetI32(image, pos);
            record.text = GetText(image, pos + 4, bytes);
            pos += bytes + 4;
        }
        out.push_back(std::move(record));
    }
    return true;
}

void CProjectConfig::AddRecord(const SDatRecord& record) {
    std::wstring text = record.text;
    if (text.size() > kMaxTextChars) {
        text.resize(kMaxTextChars);
    }
    switch (record.type) {
    case kDatPrompt:
        m_promptLines.push_back(text);
        break;
    case kDatResult:
        m_resultTexts.push_back(text);
        break;
    case kDatProjectName:
        m_mapProjectNames.emplace(record.number, text);
        break;
    case kDatDdrType:
        m_mapDdrTypeNames.emplace(record.number, text);
        break;
    case kDatInfoName:
        m_mapPinNames.emplace(record.number, text);
        break;
    case kDatValueRange:
        if (record.values.size() > static_cast<size_t>(CValueRange::kMaxValues)) {
            LogError(L"range %ls has more than 256 values, ignored", text.c_str());
            break;
        }
        m_ranges.push_back(std::make_unique<CValueRange>(text, record.values));
        break;
    case kDatIsPrint:
        m_mapIsPrint.emplace(text, record.number);
        break;
    case kDatLpddr2MinPass:
    case kDatLpddr3MinPass:
    case kDatLpddr4MinPass: {
        if (record.text.size() > kMaxMinPassKeyChars) {
            LogError(L"MinPass key longer than %d characters ignored: %ls",
                     static_cast<int>(kMaxMinPassKeyChars), record.text.c_str());
            break;
        }
        MinPassMap& map = record.type == kDatLpddr2MinPass   ? m_mapMinPassLpddr2
                          : record.type == kDatLpddr3MinPass ? m_mapMinPassLpddr3
                                                             : m_mapMinPassLpddr4;
        map.emplace(text, record.number);
        break;
    }
    default:
        break;
    }
}

void CProjectConfig::BuildGroups() {
    const auto build = [](const MinPassMap& map, std::vector<SMinPassGroup>& groups) {
        groups.clear();
        for (const auto& [key, width] : map) {
            auto extracted = sondex::ExtractSegmentNumber(key, 1);
            SMinPassGroup* group = nullptr;
            for (auto& g : groups) {
                if (EqualsNoCase(g.name, extracted.rest)) {
                    group = &g;
                    break;
                }
            }
            if (!group) {
                groups.push_back({std::move(extracted.rest), {}});
                group = &groups.back();
            }
            group->values.push_back(extracted.number);
        }
    };
    build(m_mapMinPassLpddr2, m_groupsLpddr2);
    build(m_mapMinPassLpddr3, m_groupsLpddr3);
    build(m_mapMinPassLpddr4, m_groupsLpddr4);
}

void CProjectConfig::ApplyImage(std::string_view image, const fs::path& shownPath) {
    std::vector<SDatRecord> records;
    if (!DecodeImage(image, records)) {
        LogError(L"configuration %ls damaged after %d records", PathToWide(shownPath).c_str(),
                 static_cast<int>(records.size()));
        GetPrompt().Show(FormatW(L"配置文件\"%ls\" 已损坏，损坏处之后的配置被忽略",
                                 PathToWide(shownPath).c_str()));
    }
    for (const auto& record : records) {
        AddRecord(record);
    }
}

bool CProjectConfig::ReadDatFile(const fs::path& datPath) {
    std::string image;
    if (!ReadFileBytes(datPath, image)) {
        return false;
    }
    ApplyImage(image, datPath);
    return true;
}

bool CProjectConfig::Load(const fs::path& iniPath, const fs::path& datPath) {
    // A second load replaces what the first one read.
    m_promptLines.clear();
    m_mapProjectNames.clear();
    m_mapDdrTypeNames.clear();
    m_mapPinNames.clear();
    m_ranges.clear();
    m_mapMinPassLpddr2.clear();
    m_mapMinPassLpddr3.clear();
    m_mapMinPassLpddr4.clear();
    m_mapIsPrint.clear();
    m_resultTexts.clear();
    BuildGroups();
    m_iniPath = iniPath;
    m_datPath = datPath;
    m_sourcePath.clear();
    m_bFromIni = false;
    std::error_code ec;
    bool loaded = false;
    if (!iniPath.empty() && fs::is_regular_file(iniPath, ec)) {
        m_bFromIni = true;
        std::string image;
        if (!EncodeRecords(CompileIni(iniPath), image)) {
            LogError(L"configuration %ls exceeds %d bytes; the rest is left out",
                     PathToWide(iniPath).c_str(), static_cast<int>(kDatBufferBytes));
        }
        // Another run may compile the same ini at the same time: the .dat is replaced in one
        // step under its lock, so this run reads a whole .dat, its own or the other's.
        CSafeFileWriter writer(datPath);
        const ESafeWriteResult written = writer.Replace(image);
        if (written == ESafeWriteResult::Written) {
            loaded = ReadDatFile(datPath);
        }
        if (loaded) {
            m_sourcePath = datPath;
        } else {
            // The compiled image is still good: this run uses it, the old .dat stays.
            LogError(L"cannot write %ls: %ls", PathToWide(datPath).c_str(),
                     Utf8ToWide(writer.ErrorText()).c_str());
            GetPrompt().Show(FormatW(L"配置文件\"%ls\" 无法写入，本次直接使用\"%ls\" 中的配置",
                                     PathToWide(datPath).c_str(), PathToWide(iniPath).c_str()));
            ApplyImage(image, iniPath);
            m_sourcePath = iniPath;
            loaded = true;
        }
    } else if (fs::is_regular_file(datPath, ec)) {
        loaded = ReadDatFile(datPath);
        if (loaded) {
            m_sourcePath = datPath;
        }
    }
    if (!loaded) {
        GetPrompt().Show(
            FormatW(L"配置文件\"%ls\" 不存在，请提供配置文件 ", PathToWide(datPath).c_str()));
        return false;
    }
    BuildGroups();
    return true;
}

const std::wstring* CProjectConfig::FindProjectName(int32_t code) const {
    const auto it = m_mapProjectNames.find(code);
    return it == m_mapProjectNames.end() ? nullptr : &it->second;
}

const std::wstring* CProjectConfig::FindDdrTypeName(int32_t code) const {
    const auto it = m_mapDdrTypeNames.find(code);
    return it == m_mapDdrTypeNames.end() ? nullptr : &it->second;
}

std::wstring CProjectConfig::GetPinName(int32_t code) const {
    const auto it = m_mapPinNames.find(code);
    return it == m_mapPinNames.end() ? std::wstring() : it->second;
}

const CValueRange* CProjectConfig::FindRange(std::wstring_view name) const {
    for (const auto& range : m_ranges) {
        if (range->GetName() == name) {
            return range.get();
        }
    }
    return nullptr;
}

int32_t CProjectConfig::GetIsPrint(const std::wstring& pinName) const {
    const auto it = m_mapIsPrint.find(pinName);
    return it == m_mapIsPrint.end() ? 1 : it->second;
}

const MinPassMap* CProjectConfig::FindMinPassMap(std::wstring_view ddrType) const {
    if (EqualsNoCase(ddrType, L"Lpddr2")) {
        return &m_mapMinPassLpddr2;
    }
    if (EqualsNoCase(ddrType, L"Lpddr3")) {
        return &m_mapMinPassLpddr3;
    }
    if (EqualsNoCase(ddrType, L"Lpddr4")) {
        return &m_mapMinPassLpddr4;
    }
    return nullptr;
}

const std::vector<SMinPassGroup>*
CProjectConfig::FindMinPassGroups(std::wstring_view ddrType) const {
    if (EqualsNoCase(ddrType, L"Lpddr2")) {
        return &m_groupsLpddr2;
    }
    if (EqualsNoCase(ddrType, L"Lpddr3")) {
        return &m_groupsLpddr3;
    }
    if (EqualsNoCase(ddrType, L"Lpddr4")) {
        return &m_groupsLpddr4;
    }
    return nullptr;
}

std::wstring CProjectConfig::GetResultText1() const {
    return m_resultTexts.empty() ? std::wstring() : m_resultTexts[0];
}

std::wstring CProjectConfig::GetResultText2() const {
    if (m_resultTexts.size() < 2 || EqualsNoCase(m_resultTexts[1], L"0")) {
        return std::wstring();
    }
    return m_resultTexts[1];
}

std::wstring CProjectConfig::GetFirstProjectName() const {
    return m_mapProjectNames.empty() ? std::wstring() : m_mapProjectNames.begin()->second;
}

bool CProjectConfig::SameContent(const CProjectConfig& o) const {
    if (m_ranges.size() != o.m_ranges.size()) {
        return false;
    }
    for (size_t i = 0; i < m_ranges.size(); ++i) {
        if (!(*m_ranges[i] == *o.m_ranges[i])) {
            return false;
        }
    }
    return m_promptLines == o.m_promptLines && m_mapProjectNames == o.m_mapProjectNames &&
           m_mapDdrTypeNames == o.m_mapDdrTypeNames && m_mapPinNames == o.m_mapPinNames &&
           m_mapMinPassLpddr2 == o.m_mapMinPassLpddr2 &&
           m_mapMinPassLpddr3 == o.m_mapMinPassLpddr3 &&
           m_mapMinPassLpddr4 == o.m_mapMinPassLpddr4 && m_mapIsPrint == o.m_mapIsPrint &&
           m_resultTexts == o.m_resultTexts && m_groupsLpddr2 == o.m_groupsLpddr2 &&
           m_groupsLpddr3 == o.m_groupsLpddr3 && m_groupsLpddr4 == o.m_groupsLpddr4;
}

CProjectConfig& GetProjectConfig() {
    if (g_pInstalled) {
        return *g_pInstalled;
    }
    static CProjectConfig s_own;
    static const bool s_bLoaded = s_own.Load(GetProgramSibling(".ini"), GetProgramSibling(".dat"));
    (void)s_bLoaded;
    return s_own;
}

CProjectConfig* SetProjectConfig(CProjectConfig* config) {
    CProjectConfig* previous = g_pInstalled;
    g_pInstalled = config;
    return previous;
}

} // namespace sondex
