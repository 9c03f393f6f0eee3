#include "ChildDlgEMMCModel.h"

#include <gtest/gtest.h>

#include <map>

using namespace quillon;

namespace {

class CMapStore : public IEmmcProfileStore {
public:
    std::optional<std::wstring> Read(const std::wstring& section,
                                     const std::wstring& key) const override {
        const auto it = m_values.find(section + L"/" + key);
        if (it == m_values.end()) {
            return std::nullopt;
        }
        return it->second;
    }
    void Write(const std::wstring& section, const std::wstring& key,
               const std::wstring& value) override {
        m_values[section + L"/" + key] = value;
    }
    std::map<std::wstring, std::wstring> m_values;
};

} // namespace

TEST(ChildDlgEMMCModel, DefaultsPerFlavour) {
    CChildDlgEMMCModel model;
    model.SetMode(kLogTypeEmmcSdr50, true);
    const wchar_t* sdr[] = {L"PDATA", L"PCLK", L"WRDL", L"RPOS", L"0x3", L"0x3",
                            L"0x3F",  L"0x3F", L"(W)",  L"(R)",  L"(C)", L""};
    for (int i = 0; i < kEmmcFieldCount; ++i) {
        EXPECT_EQ(model.Field(static_cast<EEmmcField>(i)), sdr[i]) << i;
    }
    model.SetMode(kLogTypeEmmcDdr50, true);
    const wchar_t* ddr[] = {L"CP",   L"WD",   L"RP", L"RN", L"0x3", L"0x3F",
                            L"0x3F", L"0x3F", L"",   L"",   L"",    L"(Y)"};
    for (int i = 0; i < kEmmcFieldCount; ++i) {
        EXPECT_EQ(model.Field(static_cast<EEmmcField>(i)), ddr[i]) << i;
    }
    SEmmcTags tags;
    model.GetTags(tags);
    EXPECT_EQ(EmmcLogMode(tags), 0);
    model.SetMode(kLogTypeEmmcSdr50, true);
    model.GetTags(tags);
    EXPECT_EQ(EmmcLogMode(tags), 1);
}

TEST(ChildDlgEMMCModel, LabelsPerFlavour) {
    CChildDlgEMMCModel model;
    model.SetMode(kLogTypeEmmcSdr50, true);
    EXPECT_EQ(model.Label(kEmmcColName), L"Data Pin:");
    EXPECT_EQ(model.Label(kEmmcInColMax), L"Read Pos Delay Max Value:");
    EXPECT_EQ(model.Label(kEmmcTagY), L"没有错误:");
    model.SetMode(kLogTypeEmmcDdr50, true);
    EXPECT_EQ(model.Label(kEmmcRowName), L"Clock Pin:");
    EXPECT_EQ(model.Label(kEmmcColMax), L"Write Delay Max Value:");
    EXPECT_EQ(model.Label(kEmmcInColMax), L"Read Neg DelayMax Value:");
    EXPECT_EQ(model.Label(kEmmcTagW), L"写错误:");
}

TEST(ChildDlgEMMCModel, ProfileKeysSectionsAndPrompts) {
    EXPECT_EQ(CChildDlgEMMCModel::ProfileSection(4), L"CChildDlgEMMC_sdr");
    EXPECT_EQ(CChildDlgEMMCModel::ProfileSection(5), L"CChildDlgEMMC_ddr");
    EXPECT_EQ(CChildDlgEMMCModel::ProfileSection(3), L"");
    EXPECT_EQ(CChildDlgEMMCModel::ProfileKey(kEmmcInRowMax), L"块内部行参数最大值");
    EXPECT_EQ(CChildDlgEMMCModel::ProfileKey(kEmmcTagY), L"没有错误");
    EXPECT_EQ(CChildDlgEMMCModel::CommandPrompt(4), L"分析扫描EMMC sdr日志文件");
    EXPECT_EQ(CChildDlgEMMCModel::CommandPrompt(5), L"分析扫描EMMC ddr日志文件");
}

TEST(ChildDlgEMMCModel, ProfileRoundTripAndDefaultsForMissingKeys) {
    CMapStore store;
    store.Write(L"CChildDlgEMMC_ddr", L"行参数名称", L"CLKP");
    CChildDlgEMMCModel model;
    model.SetMode(kLogTypeEmmcDdr50, false, &store);
    EXPECT_EQ(model.Field(kEmmcRowName), L"CLKP");
    EXPECT_EQ(model.Field(kEmmcColName), L"WD"); // missing key: the default
    model.SetField(kEmmcTagY, L"(P)");
    model.SaveToProfile(store);
    CChildDlgEMMCModel again;
    again.SetMode(kLogTypeEmmcDdr50, false, &store);
    EXPECT_EQ(again.Field(kEmmcTagY), L"(P)");
    // The SDR50 section is separate.
    again.SetMode(kLogTypeEmmcSdr50, false, &store);
    EXPECT_EQ(again.Field(kEmmcRowName), L"PDATA");
    // Another log type loads nothing.
    again.SetMode(3, false, &store);
    EXPECT_EQ(again.Field(kEmmcRowName), L"PDATA");
}

TEST(ChildDlgEMMCModel, FieldCleaning) {
    struct SCase {
        std::wstring in;
        std::wstring out;
    };
    const SCase cases[] = {
        {L"  PDATA \t", L"PDATA"},
        {L"\x7FPD\x7F"
         L"ATA\x7F",
         L"PDATA"},
        {L" \x7F a \x7F ", L" a "}, // white space first, then 0x7F, then inner 0x7F
        {L"\x7F\x7F", L""},
        {L"", L""},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(CChildDlgEMMCModel::CleanField(c.in), c.out);
    }
    CChildDlgEMMCModel model;
    model.SetMode(kLogTypeEmmcSdr50, true);
    model.SetField(kEmmcRowName, L" PD\x7F"
                                 L"ATA ");
    model.SetField(kEmmcTagW, L"\t(W) ");
    SEmmcNames names;
    model.GetNames(names);
    EXPECT_EQ(names.strRow, L"PDATA");
    EXPECT_EQ(model.Field(kEmmcTagW), L"(W)"); // every field is cleaned
}

TEST(ChildDlgEMMCModel, SizesFromMaxima) {
    EXPECT_EQ(CChildDlgEMMCModel::ParseMaximum(L"0x3F"), 0x3Fu);
    EXPECT_EQ(CChildDlgEMMCModel::ParseMaximum(L"3f"), 0x3Fu);
    EXPECT_EQ(CChildDlgEMMCModel::ParseMaximum(L" 0X10"), 0x10u);
    EXPECT_EQ(CChildDlgEMMCModel::ParseMaximum(L"zz"), 0u);
    EXPECT_EQ(CChildDlgEMMCModel::ParseMaximum(L"0x123456789"), 0xFFFFFFFFu);
    CChildDlgEMMCModel model;
    model.SetMode(kLogTypeEmmcDdr50, true);
    const SEmmcSizes sizes = model.GetSizes();
    EXPECT_EQ(sizes.nPageRows, 4);
    EXPECT_EQ(sizes.nPageCols, 64);
    EXPECT_EQ(sizes.nSubRows, 64);
    EXPECT_EQ(sizes.nSubCols, 64);
}
