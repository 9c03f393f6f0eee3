#include "TextUtil.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(TextUtil, Utf8RoundTripAndInvalidBytes) {
    EXPECT_EQ(Utf8ToWide("\xE7\xBB\x9F\xE8\xAE\xA1\xE5\x9B\xBE"), L"统计图");
    EXPECT_EQ(WideToUtf8(L"统计图"), "\xE7\xBB\x9F\xE8\xAE\xA1\xE5\x9B\xBE");
    // Invalid or truncated sequences keep each byte as the character of its value.
    EXPECT_EQ(Utf8ToWide("a\xFF\xE7\xBB"), std::wstring(L"a\u00FF\u00E7\u00BB"));
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), std::wstring(L"\u00C0\u00AF")); // overlong
    EXPECT_EQ(BytesToWide(std::string("\x00\x80\xFF", 3)), std::wstring(L"\u0000\u0080\u00FF", 3));
}

TEST(TextUtil, FormatAndCase) {
    EXPECT_EQ(FormatW(L"open file %ls failed !", L"/a/b.txt"), L"open file /a/b.txt failed !");
    EXPECT_EQ(FormatW(L"0x%X %d/%d", 255u, 3, 4), L"0xFF 3/4");
    EXPECT_EQ(FormatW(L"%ls", std::wstring(5000, L'x').c_str()).size(), 5000u);
    EXPECT_EQ(Format("%s-%03d", "v", 29), "v-029");
    EXPECT_TRUE(EqualsNoCase(L".Txt", L".TXT"));
    EXPECT_FALSE(EqualsNoCase(L".Txt", L".Tx"));
    EXPECT_EQ(TrimChars(L"* = P7 =\r\n", L"* =\r\n"), L"P7");
    EXPECT_EQ(TrimBlanks(L" \t \t"), L"");
}

TEST(TextUtil, Utf16RoundTripKeepsCharactersAboveTheBasicPlane) {
    const std::wstring text = L"Prompt 提示 \U0001F600";
    const std::u16string units = ToUtf16(text);
    EXPECT_EQ(units.size(), text.size() + 1);
    EXPECT_EQ(FromUtf16(units), text);
    EXPECT_EQ(ToUtf16(std::wstring(1, static_cast<wchar_t>(0x110000))), u"\uFFFD");
    EXPECT_EQ(FromUtf16(u"\xD800x"), std::wstring(L"\xD800x")); // a lone surrogate stays
}

TEST(UserPrompt, RecordingPromptAnswersFromScriptThenDefault) {
    CRecordingPrompt prompt(true);
    CScopedPrompt guard(prompt);
    prompt.Script({false});
    GetPrompt().Show(L"hello");
    EXPECT_FALSE(GetPrompt().AskYesNo(L"first?", L"cap"));
    EXPECT_TRUE(GetPrompt().AskYesNo(L"second?", L"cap"));
    ASSERT_EQ(prompt.Records().size(), 3u);
    EXPECT_EQ(prompt.Texts(), (std::vector<std::wstring>{L"hello", L"first?", L"second?"}));
    EXPECT_TRUE(prompt.Records()[1].question);
    EXPECT_EQ(prompt.Records()[1].caption, L"cap");
}

TEST(UserPrompt, ConsolePromptGivesItsAnswerAndEchoes) {
    std::wostringstream out;
    CConsolePrompt prompt(true, &out);
    prompt.Show(L"msg");
    EXPECT_TRUE(prompt.AskYesNo(L"go on?", L""));
    EXPECT_EQ(out.str(), L"msg\ngo on? [yes]\n");
    EXPECT_EQ(prompt.Records().size(), 2u);
}

TEST(UserPrompt, ScopedPromptRestoresThePrevious) {
    CRecordingPrompt outer;
    CScopedPrompt a(outer);
    {
        CRecordingPrompt inner;
        CScopedPrompt b(inner);
        GetPrompt().Show(L"inner");
        EXPECT_EQ(inner.Records().size(), 1u);
    }
    GetPrompt().Show(L"outer");
    EXPECT_EQ(outer.Records().size(), 1u);
}

// A GBK file name from a board's USB stick used to come back from the wide form as other
// bytes (each invalid byte re-encoded as UTF-8), so the file could not be opened.
TEST(TextUtil, PathsKeepBytesThatAreNotUtf8) {
    const std::string gbk = "/tmp/\xB2\xE2\xCA\xD4_\xC8\xD5\xD6\xBE.Txt"; // 测试_日志 in GBK
    const std::string names[] = {gbk, "/tmp/\xE7\xBB\x9F\xE8\xAE\xA1.txt", "/tmp/a\xFF\x80z",
                                 "/tmp/\xED\xB2\x80.txt" /* an encoded surrogate is not UTF-8 */,
                                 "plain/ascii.txt"};
    for (const std::string& name : names) {
        const std::wstring wide = PathToWide(std::filesystem::path(name));
        EXPECT_EQ(WideToPath(wide).native(), name);
    }
    // What the user sees: the UTF-8 part decoded, every stray byte U+FFFD.
    const std::wstring wide = PathToWide(std::filesystem::path("/tmp/\xE7\xBB\x9F\xB2\xE2.txt"));
    EXPECT_EQ(WideToUtf8(wide), "/tmp/\xE7\xBB\x9F\xEF\xBF\xBD\xEF\xBF\xBD.txt");
    EXPECT_EQ(PathDisplayName(wide), L"/tmp/统\uFFFD\uFFFD.txt");
    // Valid names are plain text both ways.
    EXPECT_EQ(PathToWide(std::filesystem::path("/tmp/\xE7\xBB\x9F.txt")), L"/tmp/统.txt");
    EXPECT_EQ(WideToPath(L"/tmp/统.txt").native(), "/tmp/\xE7\xBB\x9F.txt");
}
