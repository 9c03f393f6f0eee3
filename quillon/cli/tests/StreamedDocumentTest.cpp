#include "AnalyseFixture.h"
#include "ChartCellsDDR.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

using namespace quillon;

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "quillon";

class StreamedDocumentTest : public CAnalyseFixture {
protected:
    StreamedDocumentTest() : CAnalyseFixture("streamed_document_") {}
    // One run of the analysis; json receives the document when given.
    SAnalyseOutput Run(const fs::path& dir, int type, std::ostream* json) {
        SAnalyseOptions options;
        options.m_strDirectory = PathToWide(dir);
        options.m_nLogType = type;
        m_prompt = std::make_unique<CConsolePrompt>(false);
        m_prompt->SetEcho(false);
        CScopedPrompt scope(*m_prompt);
        return RunAnalyse(options, *m_prompt, json);
    }
};

struct SCase {
    const char* m_szFolder;
    int m_nType;
};

// Every bundled sample folder with its log type, and a folder of the wrong kind.
const SCase kCases[] = {{"lpddr", 0},     {"lpddr2_pass", 1}, {"lpddr2_fail", 1},
                        {"ddr3", 2},      {"hynix", 3},       {"emmc_sdr50", 4},
                        {"emmc_ddr50", 5}, {"emmc_ddr50", 1}, {"lpddr2_pass", 5},
                        {"lpddr", 1}};

// The document goes to the stream whole and alone, the text report and exit status are the
// same with and without it, and the pages the document holds are the ones the text reports.
TEST_F(StreamedDocumentTest, DocumentOnTheStreamAgreesWithTheTextReport) {
    for (const SCase& test : kCases) {
        SCOPED_TRACE(std::string(test.m_szFolder) + " type " + std::to_string(test.m_nType));
        std::ostringstream stream;
        const SAnalyseOutput withJson = Run(kSamples / test.m_szFolder, test.m_nType, &stream);
        const SAnalyseOutput textOnly = Run(kSamples / test.m_szFolder, test.m_nType, nullptr);
        EXPECT_EQ(withJson.m_strText, textOnly.m_strText);
        EXPECT_EQ(withJson.m_nExitCode, textOnly.m_nExitCode);
        EXPECT_TRUE(withJson.m_bJsonWritten);
        EXPECT_FALSE(textOnly.m_bJsonWritten);

        const std::string written = stream.str();
        ASSERT_FALSE(written.empty());
        EXPECT_EQ(written.back(), '\n');
        const json doc = json::parse(written);
        // The stream holds what the library would print for the same document.
        EXPECT_EQ(written, doc.dump(2, ' ', false, json::error_handler_t::replace) + "\n");
        EXPECT_EQ(doc["program"], "quillon-cli");
        if (!doc["scanned"].get<bool>()) {
            // A folder of another log family: nothing scanned, no page.
            EXPECT_EQ(doc["pages"], json::array());
            EXPECT_EQ(textOnly.m_nExitCode, kExitNoVerdict);
            continue;
        }
        EXPECT_EQ(doc["summary"]["exitCode"], textOnly.m_nExitCode);

        // Page names and, for eMMC, the cell counts as the text report gives them.
        std::vector<std::string> names;
        std::vector<size_t> counts;
        for (const json& page : doc["pages"]) {
            names.push_back(page["name"].get<std::string>());
            if (page["cells"].is_array()) {
                counts.push_back(page["cells"].size());
            }
        }
        ASSERT_FALSE(names.empty());
        EXPECT_EQ(names[0], WideToUtf8(kMergedPageName));
        for (const std::string& name : names) {
            EXPECT_NE(textOnly.m_strText.find(name), std::string::npos) << name;
        }
        const std::regex cellLine("cells with records: ([0-9]+)");
        std::vector<size_t> textCounts;
        for (auto it = std::sregex_iterator(textOnly.m_strText.begin(), textOnly.m_strText.end(),
                                            cellLine);
             it != std::sregex_iterator(); ++it) {
            textCounts.push_back(std::stoul((*it)[1].str()));
        }
        EXPECT_EQ(counts, textCounts);
        if (test.m_nType >= 4) {
            EXPECT_EQ(counts.size(), names.size());
        }
    }
}

// A run that stops before any page (no logs) still writes its one document.
TEST_F(StreamedDocumentTest, EmptyFolderWritesTheDocumentOnce) {
    fs::create_directories(m_dir / "empty");
    for (const int type : {1, 3, 5}) {
        std::ostringstream stream;
        const SAnalyseOutput out = Run(m_dir / "empty", type, &stream);
        const json doc = json::parse(stream.str());
        EXPECT_EQ(doc["scanned"], false);
        EXPECT_EQ(doc["pages"], json::array());
        EXPECT_FALSE(doc["messages"].empty());
        EXPECT_EQ(out.m_nExitCode, kExitNoVerdict);
    }
}

} // namespace
