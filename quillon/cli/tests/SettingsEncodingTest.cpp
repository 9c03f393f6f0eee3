// quillon-cli with its settings file saved as a Chinese Windows system saves it (GBK, or
// UTF-16 LE with byte-order mark; CR LF) gives the document it gives with the UTF-8 file.

#include "ProgramRun.h"
#include "ScratchFolder.h"
#include "TextEncoding.h"
#include "WindowsSavedText.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace fs = std::filesystem;
using nlohmann::json;
using testsupport::ReadAll;
using testsupport::SavedAs;
using testsupport::ShellQuote;
using testsupport::WithCrLf;

namespace {

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon";
const char* const kPrompt = "扫描通过, 请把最佳参数写入镜像";

json RunJson(const std::string& args, int& exitCode) {
    const testsupport::SProgramRun run = testsupport::RunProgram(QUILLON_CLI_PATH, args + " --json");
    exitCode = run.m_nExitCode;
    return json::parse(run.m_strOut, nullptr, false);
}

TEST(QuillonCliSettingsEncoding, GbkAndUtf16SettingsGiveTheUtf8Document) {
    const testsupport::CScratchFolder dir("quillon_cli_enc");
    // The sample with its pass prompt switched on and written in Chinese, in quotes.
    std::string text = WithCrLf(ReadAll(kSamples / "Quillon.ini"));
    const size_t prompt = text.find("Prompt=");
    ASSERT_NE(prompt, std::string::npos);
    text.replace(prompt, text.find('\r', prompt) - prompt,
                 std::string("Prompt=\"") + kPrompt + "\"");
    ASSERT_NE(text.find("Enabel=0"), std::string::npos);
    text.replace(text.find("Enabel=0"), 8, "Enabel=1");

    json reference;
    for (const auto& [name, encoding] : testsupport::kWindowsSavings) {
        const fs::path settings = dir / (std::string(name) + ".ini");
        ASSERT_TRUE(testsupport::WriteSavedAs(settings, text, encoding)) << name;
        int code = -1;
        const json doc = RunJson("analyse " + ShellQuote(kSamples / "lpddr2_pass") +
                                     " --settings " + ShellQuote(settings),
                                 code);
        ASSERT_TRUE(doc.is_object()) << name;
        EXPECT_EQ(code, 0) << name;
        if (encoding == ETextEncoding::Utf8) {
            reference = doc;
            // The Chinese prompt arrived, without its quotes.
            ASSERT_FALSE(doc["messages"].empty());
            EXPECT_EQ(doc["messages"].back()["text"], kPrompt);
        } else {
            EXPECT_EQ(doc, reference) << name << "\n" << doc.dump().substr(0, 400);
        }
        // The analysis wrote the check flag back in the file's own encoding.
        const std::string after = ReadAll(settings);
        EXPECT_EQ(DetectTextEncoding(after).encoding, encoding) << name;
        EXPECT_EQ(after, SavedAs(text, encoding)) << name;
    }
}

} // namespace
