#include "AnalyzerSettings.h"
#include "DdrTestSupport.h"
#include "NumberText.h"

#include <chrono>

using namespace quillon;
using namespace ddrtest;

namespace {
class AnalyzerSettings : public CDdrEngineTest {};
} // namespace

TEST_F(AnalyzerSettings, DefaultsWithoutSettingsFile) {
    ASSERT_FALSE(fs::exists(m_settings));
    std::set<int> ddr1, ddr2;
    EXPECT_TRUE(analyzer::ReadRowSet(kDdrKindDDR1, ddr1));
    EXPECT_TRUE(analyzer::ReadRowSet(kDdrKindDDR2, ddr2));
    EXPECT_EQ(ddr1, (std::set<int>{31, 33, 39, 43, 48, 55}));
    EXPECT_EQ(ddr2, (std::set<int>{34, 40, 48, 60}));
    int row = 0xFFFF;
    analyzer::ReadBestRow(kDdrKindDDR1, row);
    EXPECT_EQ(row, 0); // 31
    analyzer::ReadBestRow(kDdrKindDDR2, row);
    EXPECT_EQ(row, 1); // 40
    analyzer::ReadBestRow(kDdrKindDDR3, row);
    EXPECT_EQ(row, 0);                                    // 34
    EXPECT_EQ(analyzer::ReadVerdictRow(kDdrKindDDR1), 0); // 31
    EXPECT_EQ(analyzer::ReadVerdictRow(kDdrKindDDR2), 0); // 34, not 40
    EXPECT_EQ(analyzer::ReadVerdictRow(kDdrKindDDR3), 0);
    EXPECT_EQ(analyzer::ReadMinPassRate(), 60);
    EXPECT_EQ(analyzer::ReadMinPassNum(), 40);
    EXPECT_TRUE(analyzer::ReadCheckLogFile());
    EXPECT_FALSE(analyzer::ReadResultPrompt().has_value());
    EXPECT_EQ(analyzer::ReadLogType(), 0);
    EXPECT_TRUE(Texts().empty());
    EXPECT_FALSE(fs::exists(m_settings)); // reading never creates the file
}

TEST_F(AnalyzerSettings, RowSetTable) {
    struct SCase {
        int kind;
        const wchar_t* text;
        bool ok;
        std::set<int> rows;
    };
    const SCase cases[] = {
        {kDdrKindDDR1, L"31,33,,48", false, {31, 33}}, // the empty item reads 0
        {kDdrKindDDR1, L"31,33,39,43,48,55,64,64", true, {31, 33, 39, 43, 48, 55, 64}}, // cut at 20
        {kDdrKindDDR1, L"31,33,39,43,48,55,6", false, {31, 33, 39, 43, 48, 55}}, // 6 not allowed
        {kDdrKindDDR1, L"", false, {}},
        {kDdrKindDDR1, L"34", false, {}},
        {kDdrKindDDR1, L" 31, +33", true, {31, 33}},
        {kDdrKindDDR1, L"31abc", true, {31}},
        {kDdrKindDDR2, L"34,40,48,60,80,", true, {34, 40, 48, 60, 80}},
        {kDdrKindDDR2, L"34,41,48", false, {34}},
        {kDdrKindDDR2, L",34", false, {}},
        {kDdrKindDDR2, L"80", true, {80}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.text));
        Set(L"CalcPageRow", c.kind == kDdrKindDDR1 ? L"PageRowDDR1" : L"PageRowDDR2", c.text);
        std::set<int> rows;
        EXPECT_EQ(analyzer::ReadRowSet(c.kind, rows), c.ok);
        EXPECT_EQ(rows, c.rows);
    }
}

TEST_F(AnalyzerSettings, RowSetIsNotEmptiedFirst) {
    Set(L"CalcPageRow", L"PageRowDDR2", L"48");
    std::set<int> rows = {34};
    EXPECT_TRUE(analyzer::ReadRowSet(kDdrKindDDR2, rows));
    EXPECT_EQ(rows, (std::set<int>{34, 48}));
}

TEST_F(AnalyzerSettings, BestRowKeysTable) {
    struct SCase {
        int kind;
        const wchar_t* key;
        const wchar_t* value;
        int expected; // 99 = unchanged
        const wchar_t* message;
    };
    const SCase cases[] = {
        {kDdrKindDDR1, L"Row_DDR1", L"64", 6, nullptr},
        {kDdrKindDDR1, L"Row_DDR1", L"34", 99, analyzer::kRowMessageDDR1},
        {kDdrKindDDR2, L"Row_DDR2", L"48", 2, nullptr},
        {kDdrKindDDR2, L"Row_DDR2", L"41", 99, analyzer::kRowMessageDDR2},
        {kDdrKindDDR3, L"Row_DDR3", L"40", 1, nullptr},
        {kDdrKindDDR3, L"Row_DDR3", L"48", 99, analyzer::kRowMessageDDR2},
        {kDdrKindNone, L"Row_DDR2", L"41", 99, nullptr}, // nothing is read for kind -1
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.key) + "=" + WideToUtf8(c.value));
        m_prompt.Clear();
        Set(L"CheckRow", c.key, c.value);
        int row = 99;
        analyzer::ReadBestRow(c.kind, row);
        EXPECT_EQ(row, c.expected);
        if (c.message != nullptr) {
            EXPECT_EQ(Texts(), std::vector<std::wstring>{c.message});
        } else {
            EXPECT_TRUE(Texts().empty());
        }
    }
    EXPECT_EQ(std::wstring(analyzer::kRowMessageDDR2),
              L"specify row is not correct，please select in row:\"34、40、48、60、80\"");
}

TEST_F(AnalyzerSettings, VerdictRowKeys) {
    Set(L"CheckRow", L"Row_DDR2", L"60");
    EXPECT_EQ(analyzer::ReadVerdictRow(kDdrKindDDR2), 3);
    Set(L"CheckRow", L"Row_DDR2", L"41");
    EXPECT_EQ(analyzer::ReadVerdictRow(kDdrKindDDR2), 0);
    EXPECT_EQ(Texts(), std::vector<std::wstring>{analyzer::kRowMessageDDR2});
    m_prompt.Clear();
    Set(L"CheckRow", L"Row_DDR1", L"55");
    EXPECT_EQ(analyzer::ReadVerdictRow(kDdrKindDDR1), 5);
    Set(L"CheckRow", L"Row_DDR1", L"30");
    EXPECT_EQ(analyzer::ReadVerdictRow(kDdrKindDDR1), 0);
    EXPECT_EQ(Texts(), std::vector<std::wstring>{analyzer::kRowMessageDDR1});
    m_prompt.Clear();
    Set(L"CheckRow", L"Row_DDR3", L"1");
    EXPECT_EQ(analyzer::ReadVerdictRow(kDdrKindDDR3), 0); // DDR3 always the first row
    EXPECT_TRUE(Texts().empty());
}

namespace {

// Every analyzer key read the way a scan and its verdicts read them.
struct SAllKeys {
    std::set<int> ddr1, ddr2;
    int bestDdr1 = 99, bestDdr2 = 99, bestDdr3 = 99;
    int verdictDdr1 = 0, verdictDdr2 = 0;
    int rate = 0, passNum = 0;
    bool checkLogFile = true;

    static SAllKeys Read() {
        SAllKeys k;
        (void)analyzer::ReadRowSet(kDdrKindDDR1, k.ddr1);
        (void)analyzer::ReadRowSet(kDdrKindDDR2, k.ddr2);
        analyzer::ReadBestRow(kDdrKindDDR1, k.bestDdr1);
        analyzer::ReadBestRow(kDdrKindDDR2, k.bestDdr2);
        analyzer::ReadBestRow(kDdrKindDDR3, k.bestDdr3);
        k.verdictDdr1 = analyzer::ReadVerdictRow(kDdrKindDDR1);
        k.verdictDdr2 = analyzer::ReadVerdictRow(kDdrKindDDR2);
        k.rate = analyzer::ReadMinPassRate();
        k.passNum = analyzer::ReadMinPassNum();
        k.checkLogFile = analyzer::ReadCheckLogFile();
        return k;
    }
    bool operator==(const SAllKeys&) const = default;
};

} // namespace

TEST_F(AnalyzerSettings, RunReadsEveryKeyOnceWithTheSameValues) {
    Set(L"CalcPageRow", L"PageRowDDR1", L"33,39");
    Set(L"CalcPageRow", L"PageRowDDR2", L"48,60,80");
    Set(L"CheckRow", L"Row_DDR1", L"43");
    Set(L"CheckRow", L"Row_DDR2", L"60");
    Set(L"MinPassRate", L"Rate", L"75");
    Set(L"IsCheckLogFile", L"Enable", L"0");
    const SAllKeys outside = SAllKeys::Read();
    EXPECT_FALSE(outside.checkLogFile);
    EXPECT_EQ(outside.ddr2, (std::set<int>{48, 60, 80}));
    EXPECT_EQ(outside.bestDdr1, 3);
    EXPECT_EQ(outside.rate, 75);
    EXPECT_EQ(outside.passNum, 40); // missing: the default

    const analyzer::CSettingsRun run;
    for (int page = 0; page < 20; ++page) {
        EXPECT_EQ(SAllKeys::Read(), outside);
    }
    // Two row sets, three best rows, Row_DDR2 once more with the verdict's default, Rate,
    // MinPassNum, IsCheckLogFile: each read from the file once.
    EXPECT_EQ(run.FileReads(), 9);
}

TEST_F(AnalyzerSettings, RunShowsTheRowMessageAtEveryUse) {
    Set(L"CheckRow", L"Row_DDR1", L"32");
    const analyzer::CSettingsRun run;
    int row = 7;
    analyzer::ReadBestRow(kDdrKindDDR1, row);
    analyzer::ReadBestRow(kDdrKindDDR1, row);
    EXPECT_EQ(row, 7);
    EXPECT_EQ(Texts(),
              (std::vector<std::wstring>{analyzer::kRowMessageDDR1, analyzer::kRowMessageDDR1}));
    EXPECT_EQ(run.FileReads(), 1);
}

TEST_F(AnalyzerSettings, RunReadsAgainWhenTheFileChanges) {
    Set(L"MinPassRate", L"Rate", L"70");
    const analyzer::CSettingsRun run;
    EXPECT_EQ(analyzer::ReadMinPassRate(), 70);
    // Another size.
    Set(L"MinPassRate", L"Rate", L"100");
    EXPECT_EQ(analyzer::ReadMinPassRate(), 100);
    // The same size with another modification time.
    const auto before = fs::last_write_time(m_settings);
    Set(L"MinPassRate", L"Rate", L"101");
    fs::last_write_time(m_settings, before + std::chrono::seconds(2));
    EXPECT_EQ(analyzer::ReadMinPassRate(), 101);
    // The file removed: the defaults.
    fs::remove(m_settings);
    EXPECT_EQ(analyzer::ReadMinPassRate(), 60);
    // Another settings file.
    const fs::path other = m_dir / "Other.ini";
    ASSERT_TRUE(ini::WriteString(other, L"MinPassRate", L"Rate", L"55"));
    GetSettings().SetPath(other);
    EXPECT_EQ(analyzer::ReadMinPassRate(), 55);
    GetSettings().SetPath(m_settings);
    EXPECT_EQ(analyzer::ReadMinPassRate(), 60);
    EXPECT_EQ(run.FileReads(), 6); // once for each state of the file
}

TEST_F(AnalyzerSettings, OutsideARunEveryReadGoesToTheFile) {
    Set(L"MinPassRate", L"Rate", L"70");
    {
        const analyzer::CSettingsRun outer;
        {
            const analyzer::CSettingsRun inner;
            EXPECT_EQ(analyzer::ReadMinPassRate(), 70);
            EXPECT_EQ(inner.FileReads(), 1);
        }
        EXPECT_EQ(outer.FileReads(), 0);
        EXPECT_EQ(analyzer::ReadMinPassRate(), 70);
        EXPECT_EQ(analyzer::ReadMinPassRate(), 70);
        EXPECT_EQ(outer.FileReads(), 1); // the outer run is in force again
    }
    // A hand edit of the same size and time is seen at the next read, as a window needs it
    // after an edit between two clicks.
    const auto time = fs::last_write_time(m_settings);
    Set(L"MinPassRate", L"Rate", L"71");
    fs::last_write_time(m_settings, time);
    EXPECT_EQ(analyzer::ReadMinPassRate(), 71);
}

TEST_F(AnalyzerSettings, SwapMapTable) {
    struct SCase {
        std::vector<const wchar_t*> values; // MemByte0..3 (nullptr = missing)
        std::map<int, int> map;
        bool message;
    };
    const SCase cases[] = {
        {{nullptr, nullptr, nullptr, nullptr}, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}, false},
        {{L"ChipByte1", L"ChipByte0", L"ChipByte2", L"ChipByte3"},
         {{0, 1}, {1, 0}, {2, 2}, {3, 3}},
         false},
        {{L"ChipByte10", L"ChipByte0", L"ChipByte2", L"ChipByte3"}, // cut to ChipByte1
         {{0, 1}, {1, 0}, {2, 2}, {3, 3}},
         false},
        {{L"chipbyte3", L"ChipByte2", L"ChipByte1", L"ChipByte0"},
         {{0, 3}, {1, 2}, {2, 1}, {3, 0}},
         false},
        {{L"ChipByte0", L"ChipByte0", L"ChipByte3", L"ChipByte3"}, // only the sum is tested
         {{0, 0}, {1, 0}, {2, 3}, {3, 3}},
         false},
        {{L"2", L"ChipByte1", L"ChipByte2", L"ChipByte3"}, // "2" has no 'e': 0, sum 6
         {{0, 0}, {1, 1}, {2, 2}, {3, 3}},
         false},
        {{L"ChipByte1", L"ChipByte1", L"ChipByte2", L"ChipByte3"},
         {{0, 0}, {1, 1}, {2, 2}, {3, 3}},
         true},
        {{L"CHIPBYTE1", L"ChipByte0", L"ChipByte2", L"ChipByte3"}, // no lower-case 'e'
         {{0, 0}, {1, 1}, {2, 2}, {3, 3}},
         true},
    };
    int index = 0;
    for (const SCase& c : cases) {
        SCOPED_TRACE(index++);
        std::error_code ec;
        fs::remove(m_settings, ec);
        m_prompt.Clear();
        for (int i = 0; i < 4; ++i) {
            if (c.values[static_cast<size_t>(i)] != nullptr) {
                Set(L"SwapByte", FormatW(L"MemByte%d", i).c_str(),
                    c.values[static_cast<size_t>(i)]);
            }
        }
        GetLaneSwapMap().Rebuild();
        EXPECT_EQ(GetLaneSwapMap().Map(), c.map);
        if (c.message) {
            EXPECT_EQ(Texts(), std::vector<std::wstring>{
                                   L"Byte exchange order error, arrange in original order"});
        } else {
            EXPECT_TRUE(Texts().empty());
        }
    }
    EXPECT_EQ(GetLaneSwapMap().Swap(7), 7); // no entry: the lane itself
}

TEST(AnalyzerParse, DecimalIntTable) {
    struct SCase {
        const wchar_t* text;
        int value;
    };
    const SCase cases[] = {{L"36", 36},
                           {L"  -3", -3},
                           {L"+4x", 4},
                           {L"", 0},
                           {L"abc", 0},
                           {L"0xFF", 0},
                           {L"- 3", 0},
                           {L"99999999999", 2147483647},
                           {L"-99999999999", -2147483647 - 1}};
    for (const SCase& c : cases) {
        EXPECT_EQ(ParseDecimalInt(c.text), c.value) << WideToUtf8(c.text);
    }
}
