#include "IniFile.h"
#include "SettingsFile.h"
#include "SettingsFileScope.h"
#include "UserPrompt.h"
#include "VerdictHynix.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <filesystem>

using namespace quillon;

namespace fs = std::filesystem;

namespace {

class VerdictHynixTest : public testsupport::CSettingsFileTest {};

} // namespace

TEST_F(VerdictHynixTest, RulesAndTexts) {
    struct SCase {
        const char* what;
        std::map<int, double> rates;
        int rowPassNum;
        int rate;
        int minPassNum;
        const wchar_t* conclusion;
        const wchar_t* reason;
    };
    const std::map<int, double> good = {{0, 0.95}, {1, 0.61}, {2, 0.80}, {3, 0.99}};
    const SCase cases[] = {
        {"both pass", good, 40, 60, 40, L"PASS", L""},
        {"rate equal to the threshold fails", good, 40, 61, 40, L"FAIL",
         L"the min pass rate of Byte1 does not reach the standard(less than61%)"},
        {"rate 100 never passes",
         {{0, 1.0}, {1, 1.0}, {2, 1.0}, {3, 1.0}},
         56,
         100,
         40,
         L"FAIL",
         L"the min pass rate of Byte0 does not reach the standard(less than100%)"},
        {"%.2d pads a one-digit rate",
         {{0, 0.04}, {1, 0.5}},
         40,
         5,
         40,
         L"FAIL",
         L"the min pass rate of Byte0 does not reach the standard(less than05%)"},
        {"length below the threshold", good, 39, 60, 40, L"FAIL",
         L"the continuous max pass length :39 in Byte that pass rate is minmum does not reach "
         L"the standard(less than40)"},
        {"both fail: the length reason is written last",
         {{0, 0.7}, {1, 0.7}},
         10,
         75,
         40,
         L"FAIL",
         L"the continuous max pass length :10 in Byte that pass rate is minmum does not reach "
         L"the standard(less than40)"},
        {"MinPassNum 280 is accepted", good, 280, 60, 280, L"PASS", L""},
    };
    for (const SCase& c : cases) {
        Set(L"MinPassRate", L"Rate", std::to_wstring(c.rate));
        Set(L"CheckRow", L"MinPassNum", std::to_wstring(c.minPassNum));
        CRecordingPrompt prompt;
        CScopedPrompt scoped(prompt);
        CVerdictHynix verdict;
        ASSERT_TRUE(verdict.Judge(c.rates, c.rowPassNum)) << c.what;
        EXPECT_EQ(verdict.GetConclusion(), c.conclusion) << c.what;
        EXPECT_EQ(verdict.GetReason(), c.reason) << c.what;
        EXPECT_EQ(verdict.GetResultCode(), std::wstring(c.conclusion) == L"PASS" ? 2 : 0);
        EXPECT_TRUE(prompt.Texts().empty()) << c.what;
    }
}

TEST_F(VerdictHynixTest, NoVerdictCases) {
    struct SCase {
        const char* what;
        std::map<int, double> rates;
        int rowPassNum;
        int rate;
        int minPassNum;
        std::vector<std::wstring> messages;
        const wchar_t* text;
    };
    const std::map<int, double> good = {{0, 0.95}, {1, 0.90}};
    const SCase cases[] = {
        {"empty rates", {}, 40, 60, 40, {}, L""},
        {"rate above 100",
         good,
         40,
         101,
         40,
         {L"conclusion standard parameters configurate error"},
         L"analyzer failed"},
        {"negative rate",
         good,
         40,
         -1,
         40,
         {L"conclusion standard parameters configurate error"},
         L"analyzer failed"},
        {"MinPassNum 281",
         good,
         40,
         60,
         281,
         {L"Minimum continuous cell number configurate error"},
         L"analyzer failed"},
        {"nRowPassNum 0", good, 0, 60, 40, {}, L"analyzer failed"},
    };
    for (const SCase& c : cases) {
        Set(L"MinPassRate", L"Rate", std::to_wstring(c.rate));
        Set(L"CheckRow", L"MinPassNum", std::to_wstring(c.minPassNum));
        CRecordingPrompt prompt;
        CScopedPrompt scoped(prompt);
        CVerdictHynix verdict;
        // A verdict made before stays when the next judgement makes none.
        Set(L"MinPassRate", L"Rate", L"60");
        Set(L"CheckRow", L"MinPassNum", L"40");
        ASSERT_TRUE(verdict.Judge(good, 40));
        Set(L"MinPassRate", L"Rate", std::to_wstring(c.rate));
        Set(L"CheckRow", L"MinPassNum", std::to_wstring(c.minPassNum));
        EXPECT_FALSE(verdict.Judge(c.rates, c.rowPassNum)) << c.what;
        EXPECT_EQ(prompt.Texts(), c.messages) << c.what;
        EXPECT_EQ(verdict.GetNoVerdictText(), c.text) << c.what;
        EXPECT_EQ(verdict.GetConclusion(), L"PASS") << c.what;
    }
}

// One weakest-lane rule for both panels: a rate that is not a number passes nothing, so it
// is the weakest lane (before, the Hynix verdict passed over it and judged the others).
TEST_F(VerdictHynixTest, NotANumberRateCountsAsZeroForDdrAndHynix) {
    CRecordingPrompt prompt;
    CScopedPrompt scoped(prompt);
    const std::map<int, double> rates = {{0, 0.9}, {1, std::nan("")}, {2, 0.95}, {3, 0.99}};
    CVerdictDDR ddr;
    CVerdictHynix hynix;
    const struct {
        CVerdictDDR* verdict;
        std::wstring reason;
    } cases[] = {
        {&ddr, L"the min pass rate of Byte1 does not reach the standard(less than 60%)"},
        {&hynix, L"the min pass rate of Byte1 does not reach the standard(less than60%)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.verdict == &ddr ? "DDR" : "Hynix");
        ASSERT_TRUE(c.verdict->Judge(rates, 50));
        EXPECT_EQ(c.verdict->GetConclusion(), L"FAIL");
        EXPECT_EQ(c.verdict->GetReason(), c.reason);
        EXPECT_EQ(c.verdict->GetWeakestLane(), 1);
        EXPECT_FALSE(c.verdict->IsPassed());
    }
    // Every lane not a number: the first lane is the weakest, and it fails.
    ASSERT_TRUE(hynix.Judge({{0, std::nan("")}, {1, std::nan("")}}, 50));
    EXPECT_EQ(hynix.GetWeakestLane(), 0);
    EXPECT_EQ(hynix.GetConclusion(), L"FAIL");
}

TEST_F(VerdictHynixTest, PassFlagFollowsTheVerdictAsForDdr) {
    CRecordingPrompt prompt;
    CScopedPrompt scoped(prompt);
    CVerdictHynix verdict;
    EXPECT_FALSE(verdict.IsPassed());
    ASSERT_TRUE(verdict.Judge({{0, 0.9}, {1, 0.9}}, 50));
    EXPECT_TRUE(verdict.IsPassed());
    ASSERT_TRUE(verdict.Judge({{0, 0.5}, {1, 0.9}}, 50));
    EXPECT_FALSE(verdict.IsPassed());
}
