#include "DdrTestSupport.h"
#include "VerdictDDR.h"

#include <cmath>

using namespace quillon;
using namespace ddrtest;

namespace {

class VerdictDDR : public CDdrEngineTest {};

const std::wstring kRateReason =
    L"the min pass rate of Byte%d does not reach the standard(less than %d%%)";
const std::wstring kLengthReason = L"the continuous pass length:%d in Byte that pass rate is "
                                   L"minmum does not reach the standard(less than:%d)";

} // namespace

TEST_F(VerdictDDR, RulesTable) {
    struct SCase {
        const char* name;
        RateMap rates;
        int rowPassNum;
        const wchar_t* rate;    // MinPassRate/Rate, nullptr = default
        const wchar_t* minPass; // CheckRow/MinPassNum, nullptr = default
        std::wstring conclusion;
        std::wstring reason;
    };
    const RateMap typical = {{0, 0.95}, {1, 0.61}, {2, 0.80}, {3, 0.99}};
    const SCase cases[] = {
        {"61 > 60 passes", typical, 40, L"60", nullptr, L"PASS", L""},
        {"61 is not above 61", typical, 40, L"61", nullptr, L"FAIL",
         FormatW(kRateReason.c_str(), 1, 61)},
        {"equal minima name the first lane",
         {{0, 0.70}, {1, 0.70}, {2, 0.90}, {3, 0.90}},
         40,
         L"75",
         nullptr,
         L"FAIL",
         FormatW(kRateReason.c_str(), 0, 75)},
        {"rate 100 never passes",
         {{0, 1.0}, {1, 1.0}},
         56,
         L"100",
         nullptr,
         L"FAIL",
         FormatW(kRateReason.c_str(), 0, 100)},
        {"rate 0 passes above 0", {{0, 0.01}}, 56, L"0", nullptr, L"PASS", L""},
        {"rate 0 fails at 0",
         {{0, 0.0}, {1, 0.5}},
         56,
         L"0",
         nullptr,
         L"FAIL",
         FormatW(kRateReason.c_str(), 0, 0)},
        {"length 40 of 40 passes", typical, 40, nullptr, L"40", L"PASS", L""},
        {"length 39 of 40 fails", typical, 39, nullptr, L"40", L"FAIL",
         FormatW(kLengthReason.c_str(), 39, 40)},
        {"both fail: length reason", typical, 39, L"70", L"40", L"FAIL",
         FormatW(kLengthReason.c_str(), 39, 40)},
        {"280 is accepted", typical, 56, nullptr, L"280", L"FAIL",
         FormatW(kLengthReason.c_str(), 56, 280)},
        {"0 is accepted", typical, 1, nullptr, L"0", L"PASS", L""},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::error_code ec;
        fs::remove(m_settings, ec);
        if (c.rate != nullptr) {
            Set(L"MinPassRate", L"Rate", c.rate);
        }
        if (c.minPass != nullptr) {
            Set(L"CheckRow", L"MinPassNum", c.minPass);
        }
        CVerdictDDR verdict;
        ASSERT_TRUE(verdict.Judge(c.rates, c.rowPassNum));
        EXPECT_EQ(verdict.GetConclusion(), c.conclusion);
        EXPECT_EQ(verdict.GetReason(), c.reason);
        EXPECT_EQ(verdict.GetResultCode(), c.conclusion == L"PASS" ? 2 : 0);
        EXPECT_EQ(verdict.IsPassed(), c.conclusion == L"PASS");
        EXPECT_TRUE(verdict.GetNoVerdictText().empty());
    }
    EXPECT_TRUE(Texts().empty());
}

TEST_F(VerdictDDR, BothFailingWritesBothInfoLines) {
    Set(L"MinPassRate", L"Rate", L"70");
    CVerdictDDR verdict;
    ASSERT_TRUE(verdict.Judge({{0, 0.95}, {1, 0.61}}, 39));
    EXPECT_TRUE(ToolLogHas(FormatW(kRateReason.c_str(), 1, 70)));
    EXPECT_TRUE(ToolLogHas(FormatW(kLengthReason.c_str(), 39, 40)));
}

TEST_F(VerdictDDR, NoVerdictKeepsThePreviousOne) {
    struct SCase {
        const char* name;
        RateMap rates;
        int rowPassNum;
        const wchar_t* rate;
        const wchar_t* minPass;
        std::vector<std::wstring> messages;
        std::wstring noVerdictText;
    };
    const RateMap typical = {{0, 0.95}, {1, 0.61}};
    const SCase cases[] = {
        {"empty rates", {}, 40, nullptr, nullptr, {}, L""},
        {"rate above 100",
         typical,
         40,
         L"101",
         nullptr,
         {L"conclusion standard parameters configurate error"},
         L"pass rate does not reach the standard"},
        {"negative rate",
         typical,
         40,
         L"-1",
         nullptr,
         {L"conclusion standard parameters configurate error"},
         L"pass rate does not reach the standard"},
        {"min pass 281",
         typical,
         40,
         nullptr,
         L"281",
         {L"Minimum continuous cell number configurate error"},
         L"analyzer failed"},
        {"negative min pass",
         typical,
         40,
         nullptr,
         L"-5",
         {L"Minimum continuous cell number configurate error"},
         L"analyzer failed"},
        {"row pass num 0", typical, 0, nullptr, nullptr, {}, L"analyzer failed"},
        {"row pass num 0 with min 0", typical, 0, nullptr, L"0", {}, L"analyzer failed"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::error_code ec;
        fs::remove(m_settings, ec);
        CVerdictDDR verdict;
        ASSERT_TRUE(verdict.Judge({{0, 0.9}}, 50)); // a PASS first
        m_prompt.Clear();
        if (c.rate != nullptr) {
            Set(L"MinPassRate", L"Rate", c.rate);
        }
        if (c.minPass != nullptr) {
            Set(L"CheckRow", L"MinPassNum", c.minPass);
        }
        EXPECT_FALSE(verdict.Judge(c.rates, c.rowPassNum));
        EXPECT_EQ(verdict.GetConclusion(), L"PASS");
        EXPECT_EQ(verdict.GetResultCode(), 2);
        EXPECT_TRUE(verdict.IsPassed());
        EXPECT_EQ(Texts(), c.messages);
        EXPECT_EQ(verdict.GetNoVerdictText(), c.noVerdictText);
    }
    EXPECT_TRUE(ToolLogHas(L"drv_stg:通过率最小的Byte中连续最长Pass单元格数目0不达标(小于40)"));
}

TEST_F(VerdictDDR, NotANumberRateFailsTheRateRule) {
    CVerdictDDR verdict;
    ASSERT_TRUE(verdict.Judge({{0, std::nan("")}, {1, std::nan("")}}, 50));
    EXPECT_EQ(verdict.GetConclusion(), L"FAIL");
    EXPECT_EQ(verdict.GetReason(), FormatW(kRateReason.c_str(), 0, 60));
}
