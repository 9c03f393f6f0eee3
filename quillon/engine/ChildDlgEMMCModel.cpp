#include "ChildDlgEMMCModel.h"

#include "NumberText.h"
#include "SpLog.h"
#include "TextUtil.h"

#include <algorithm>

namespace quillon {

namespace {

struct SFieldInfo {
    const wchar_t* key;
    const wchar_t* sdrDefault;
    const wchar_t* ddrDefault;
    const wchar_t* sdrLabel;
    const wchar_t* ddrLabel;
};

const SFieldInfo kFields[kEmmcFieldCount] = {
    {L"行参数名称", L"PDATA", L"CP", L"Clock Pin:", L"Clock Pin:"},
    {L"列参数名称", L"PCLK", L"WD", L"Data Pin:", L"Write Delay:"},
    {L"块内部行参数名称", L"WRDL", L"RP", L"Write Delay:", L"Read Pos Delay:"},
    {L"块内部列参数名称", L"RPOS", L"RN", L"Read Pos Delay:", L"Read Neg Delay:"},
    {L"行参数最大值", L"0x3", L"0x3", L"Clock Pin Max Value:", L"Clock Pin Max Value:"},
    {L"列参数最大值", L"0x3", L"0x3F", L"Data Pin Max Value:", L"Write Delay Max Value:"},
    {L"块内部行参数最大值", L"0x3F", L"0x3F", L"Write Delay Max Value:",
     L"Read Pos Delay Max Value:"},
    {L"块内部列参数最大值", L"0x3F", L"0x3F", L"Read Pos Delay Max Value:",
     L"Read Neg DelayMax Value:"},
    {L"写错误", L"(W)", L"", L"写错误:", L"写错误:"},
    {L"读错误", L"(R)", L"", L"读错误:", L"读错误:"},
    {L"检查错误", L"(C)", L"", L"检查错误:", L"检查错误:"},
    {L"没有错误", L"", L"(Y)", L"没有错误:", L"没有错误:"},
};

bool IsFlavour(int logType) {
    return logType == kLogTypeEmmcSdr50 || logType == kLogTypeEmmcDdr50;
}

} // namespace

CChildDlgEMMCModel::CChildDlgEMMCModel() {
    for (int i = 0; i < kEmmcFieldCount; ++i) {
        m_fields[i] = DefaultValue(m_nLogType, static_cast<EEmmcField>(i));
    }
}

void CChildDlgEMMCModel::SetMode(int logType, bool useDefaults, const IEmmcProfileStore* store) {
    m_nLogType = logType;
    if (!IsFlavour(logType)) {
        return;
    }
    if (useDefaults || store == nullptr) {
        for (int i = 0; i < kEmmcFieldCount; ++i) {
            m_fields[i] = DefaultValue(logType, static_cast<EEmmcField>(i));
        }
        return;
    }
    LoadFromProfile(*store);
}

void CChildDlgEMMCModel::LoadFromProfile(const IEmmcProfileStore& store) {
    if (!IsFlavour(m_nLogType)) {
        return;
    }
    const std::wstring section = ProfileSection(m_nLogType);
    for (int i = 0; i < kEmmcFieldCount; ++i) {
        const auto field = static_cast<EEmmcField>(i);
        m_fields[i] =
            store.Read(section, ProfileKey(field)).value_or(DefaultValue(m_nLogType, field));
    }
}

void CChildDlgEMMCModel::SaveToProfile(IEmmcProfileStore& store) const {
    if (!IsFlavour(m_nLogType)) {
        return;
    }
    const std::wstring section = ProfileSection(m_nLogType);
    for (int i = 0; i < kEmmcFieldCount; ++i) {
        store.Write(section, ProfileKey(static_cast<EEmmcField>(i)), m_fields[i]);
    }
}

std::wstring CChildDlgEMMCModel::Label(EEmmcField field) const {
    if (field < 0 || field >= kEmmcFieldCount) {
        return {};
    }
    return m_nLogType == kLogTypeEmmcDdr50 ? kFields[field].ddrLabel : kFields[field].sdrLabel;
}

void CChildDlgEMMCModel::CleanFields() {
    for (std::wstring& field : m_fields) {
        field = CleanField(field);
    }
}

void CChildDlgEMMCModel::GetNames(SEmmcNames& names) {
    CleanFields();
    names = {m_fields[kEmmcRowName], m_fields[kEmmcColName], m_fields[kEmmcInRowName],
             m_fields[kEmmcInColName]};
}

void CChildDlgEMMCModel::GetMaxima(std::array<std::wstring, 4>& maxima) {
    CleanFields();
    maxima = {m_fields[kEmmcRowMax], m_fields[kEmmcColMax], m_fields[kEmmcInRowMax],
              m_fields[kEmmcInColMax]};
}

void CChildDlgEMMCModel::GetTags(SEmmcTags& tags) {
    CleanFields();
    LogInfo(L"00 CChildDlgEMMC::GetDlgTag: strW:%ls, strR:%ls, strC:%ls, strY:%ls",
            tags.strW.c_str(), tags.strR.c_str(), tags.strC.c_str(), tags.strY.c_str());
    tags = {m_fields[kEmmcTagW], m_fields[kEmmcTagR], m_fields[kEmmcTagC], m_fields[kEmmcTagY]};
    LogInfo(L"11 CChildDlgEMMC::GetDlgTag: strW:%ls, strR:%ls, strC:%ls, strY:%ls",
            tags.strW.c_str(), tags.strR.c_str(), tags.strC.c_str(), tags.strY.c_str());
}

SEmmcSizes CChildDlgEMMCModel::GetSizes() {
    std::array<std::wstring, 4> maxima;
    GetMaxima(maxima);
    // Sizes are maximum + 1; a maximum too large for that is held so the scanner refuses it.
    auto size = [](const std::wstring& text) {
        const uint64_t value = static_cast<uint64_t>(ParseMaximum(text)) + 1;
        return static_cast<int32_t>(std::min<uint64_t>(value, 0x7FFFFFFF));
    };
    return {size(maxima[0]), size(maxima[1]), size(maxima[2]), size(maxima[3])};
}

std::wstring CChildDlgEMMCModel::DefaultValue(int logType, EEmmcField field) {
    if (field < 0 || field >= kEmmcFieldCount) {
        return {};
    }
    return logType == kLogTypeEmmcDdr50 ? kFields[field].ddrDefault : kFields[field].sdrDefault;
}

std::wstring CChildDlgEMMCModel::ProfileSection(int logType) {
    if (logType == kLogTypeEmmcSdr50) {
        return L"CChildDlgEMMC_sdr";
    }
    if (logType == kLogTypeEmmcDdr50) {
        return L"CChildDlgEMMC_ddr";
    }
    return {};
}

std::wstring CChildDlgEMMCModel::ProfileKey(EEmmcField field) {
    if (field < 0 || field >= kEmmcFieldCount) {
        return {};
    }
    return kFields[field].key;
}

std::wstring CChildDlgEMMCModel::CommandPrompt(int logType) {
    if (logType == kLogTypeEmmcSdr50) {
        return L"分析扫描EMMC sdr日志文件";
    }
    if (logType == kLogTypeEmmcDdr50) {
        return L"分析扫描EMMC ddr日志文件";
    }
    return {};
}

std::wstring CChildDlgEMMCModel::CleanField(std::wstring_view text) {
    std::wstring out = TrimChars(text, L" \t\r\n\v\f");
    out = TrimChars(out, L"\x7F");
    std::erase(out, L'\x7F');
    return out;
}

uint32_t CChildDlgEMMCModel::ParseMaximum(std::wstring_view text) {
    return ParseHex(text, kHexTypedMaximum).value_or(0);
}

} // namespace quillon
