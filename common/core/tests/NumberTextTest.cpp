#include "NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <climits>
#include <string>

namespace {

TEST(NumberText, DecimalTable) {
    struct SCase {
        const wchar_t* text;
        ELeadingBlanks blanks;
        int32_t value;
    };
    constexpr ELeadingBlanks kNone = ELeadingBlanks::kNone;
    constexpr ELeadingBlanks kTab = ELeadingBlanks::kSpaceTab;
    constexpr ELeadingBlanks kAscii = ELeadingBlanks::kAsciiSpace;
    const SCase cases[] = {
        {L"42", kAscii, 42},
        {L"42abc", kAscii, 42},
        {L"+7", kAscii, 7},
        {L"-7", kAscii, -7},
        {L"- 7", kAscii, 0}, // a blank after the sign ends the number
        {L"--7", kAscii, 0},
        {L"", kAscii, 0},
        {L"abc", kAscii, 0},
        {L"0x1F", kAscii, 0},
        {L"2147483647", kAscii, INT_MAX},
        {L"2147483648", kAscii, INT_MAX},
        {L"99999999999999999999", kAscii, INT_MAX},
        {L"-2147483648", kAscii, INT_MIN},
        {L"-2147483649", kAscii, INT_MIN},
        {L"-99999999999999999999", kAscii, INT_MIN},
        {L"007", kAscii, 7},
        {L"\uFF11", kAscii, 0}, // a full-width digit is no digit
        // Which blanks open a number is what tells the readers apart.
        {L" \t12", kNone, 0},
        {L" \t12", kTab, 12},
        {L" \t12", kAscii, 12},
        {L"\r\n12", kTab, 0},
        {L"\r\n12", kAscii, 12},
        {L"\v\f12", kAscii, 12},
        {L"\v\f-12", kTab, 0},
        {L"\u300012", kAscii, 0},
        {L"12 ", kNone, 12},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(ParseDecimalInt(c.text, c.blanks), c.value)
            << std::wstring(c.text).size() << " chars, blanks " << static_cast<int>(c.blanks);
    }
}

TEST(NumberText, DecimalDefaultBlanksAreThoseOfTheSettings) {
    EXPECT_EQ(ParseDecimalInt(L"\n 5"), 5);
    EXPECT_EQ(ParseDecimalInt(L"\n 5"), ParseDecimalInt(L"\n 5", ELeadingBlanks::kAsciiSpace));
}

TEST(NumberText, LocaleBlanksFollowTheLocale) {
    // In the C locale only the ASCII white space is white space.
    const char* previous = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    std::setlocale(LC_CTYPE, "C");
    EXPECT_EQ(ParseDecimalInt(L" \t\r\n\v\f-12", ELeadingBlanks::kLocaleSpace), -12);
    EXPECT_EQ(ParseDecimalInt(L"x12", ELeadingBlanks::kLocaleSpace), 0);
    if (std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr) {
        // The ideographic space is white space in a UTF-8 locale.
        EXPECT_EQ(ParseDecimalInt(L"\u300012", ELeadingBlanks::kLocaleSpace), 12);
    }
    std::setlocale(LC_CTYPE, saved.c_str());
}

struct SHexCase {
    const char* text;
    const SHexRule* rule;
    bool found;
    uint32_t bits;
};

constexpr uint32_t kNoValue = 0;

const SHexCase kHexCases[] = {
    // "0x%X" fields: the lower-case "0x" must open the text.
    {"0x1F", &kHexPrinted, true, 0x1F},
    {"0xb1001005", &kHexPrinted, true, 0xB1001005u},
    {"0XB1", &kHexPrinted, false, kNoValue},
    {"1F", &kHexPrinted, false, kNoValue},
    {" 0x1F", &kHexPrinted, false, kNoValue},
    {"0x", &kHexPrinted, false, kNoValue},
    {"0x 1", &kHexPrinted, false, kNoValue},
    {"0x12g", &kHexPrinted, true, 0x12},
    {"0x0x10", &kHexPrinted, true, 0x10},
    {"0x0X1", &kHexPrinted, true, 0x1},
    {"0x0xg", &kHexPrinted, true, 0x0}, // the second prefix needs a digit: "0" is read
    {"0x-1", &kHexPrinted, true, 0xFFFFFFFFu},
    {"0x-0x10", &kHexPrinted, true, 0xFFFFFFF0u},
    {"0x+a", &kHexPrinted, true, 0xA},
    {"0xFFFFFFFF", &kHexPrinted, true, 0xFFFFFFFFu},
    {"0xFFFFFFFFF", &kHexPrinted, true, 0xFFFFFFFFu},
    {"0x-FFFFFFFFF", &kHexPrinted, true, 0x1u}, // held at 0xFFFFFFFF, then wrapped
    {"0x100000000", &kHexPrinted, true, 0xFFFFFFFFu},
    // The Sondex configuration reads the same without a sign.
    {"0xB1001005", &kHexPrintedUnsigned, true, 0xB1001005u},
    {"0x-1", &kHexPrintedUnsigned, false, kNoValue},
    {"0x+1", &kHexPrintedUnsigned, false, kNoValue},
    {"0x1FFFFFFFF", &kHexPrintedUnsigned, true, 0xFFFFFFFFu},
    {"0X12", &kHexPrintedUnsigned, false, kNoValue},
    // The base-16 conversion: blanks, sign, optional prefix, int32 limits.
    {"1F", &kHexConversion, true, 0x1F},
    {" \t\r\n\v\f1F", &kHexConversion, true, 0x1F},
    {"0X1f", &kHexConversion, true, 0x1F},
    {"-0x10", &kHexConversion, true, static_cast<uint32_t>(-16)},
    {"+0x10", &kHexConversion, true, 0x10},
    {"0xg", &kHexConversion, true, 0x0},
    {"0x", &kHexConversion, true, 0x0},
    {"7FFFFFFF", &kHexConversion, true, 0x7FFFFFFFu},
    {"80000000", &kHexConversion, true, 0x7FFFFFFFu},
    {"FFFFFFFFFFFF", &kHexConversion, true, 0x7FFFFFFFu},
    {"-80000000", &kHexConversion, true, 0x80000000u},
    {"-80000001", &kHexConversion, true, 0x80000000u},
    {"-", &kHexConversion, false, kNoValue},
    {"g", &kHexConversion, false, kNoValue},
    // Typed maxima: blanks are space and tab only, no sign, unsigned limit.
    {" \t0x1f", &kHexTypedMaximum, true, 0x1F},
    {"ff", &kHexTypedMaximum, true, 0xFF},
    {"0XFF", &kHexTypedMaximum, true, 0xFF},
    {"\nff", &kHexTypedMaximum, false, kNoValue},
    {"-1", &kHexTypedMaximum, false, kNoValue},
    {"123456789", &kHexTypedMaximum, true, 0xFFFFFFFFu},
    {"0x", &kHexTypedMaximum, true, 0x0},
};

TEST(NumberText, HexTable) {
    for (const SHexCase& c : kHexCases) {
        const std::string_view bytes(c.text);
        const std::wstring wide(bytes.begin(), bytes.end());
        const std::optional<uint32_t> narrow = ParseHex(bytes, *c.rule);
        const std::optional<uint32_t> wideValue = ParseHex(wide, *c.rule);
        EXPECT_EQ(narrow.has_value(), c.found) << c.text;
        EXPECT_EQ(narrow.value_or(kNoValue), c.bits) << c.text;
        EXPECT_EQ(wideValue, narrow) << c.text; // byte lines and wide lines read alike
    }
}

TEST(NumberText, HexDigitsBeyondAsciiAreNoDigits) {
    EXPECT_FALSE(ParseHex(L"0x\uFF11", kHexPrinted).has_value());
    EXPECT_FALSE(ParseHex(L"\u3000"
                          L"1",
                          kHexConversion)
                     .has_value());
}

} // namespace
