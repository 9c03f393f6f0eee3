#pragma once

// sondex-cli run in the test's own process through its core library, with a product folder
// of its own (the sample configuration where the program looks for it, and the tool log).

#include "SondexCli.h"

#include "ScratchFolder.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

const std::filesystem::path kSondexSamples =
    std::filesystem::path(SUITE_SOURCE_DIR) / "samples" / "sondex";

/// What a run wrote and its exit code.
struct SSondexCliResult {
    int m_nExitCode = -1;
    std::string m_strOut;
    std::string m_strErr;
};

class SondexCliFixture : public ::testing::Test {
protected:
    SondexCliFixture() {
        std::filesystem::copy_file(kSondexSamples / "Sondex.ini", m_program / "Sondex.ini");
        m_files.settings = m_program / "Sondex.ini";
        m_files.logDir = m_program.Path();
    }

    /// The run of sondex-cli args (without the program name).
    [[nodiscard]] SSondexCliResult Run(const std::vector<std::string>& args) const {
        std::vector<const char*> argv = {"sondex-cli"};
        for (const std::string& arg : args) {
            argv.push_back(arg.c_str());
        }
        std::ostringstream out;
        std::ostringstream err;
        SSondexCliResult r;
        const auto options = sondex::ParseSondexCliArgs(static_cast<int>(argv.size()),
                                                        argv.data(), m_files, out, err, r.m_nExitCode);
        if (options) {
            r.m_nExitCode = sondex::RunSondexAnalyse(*options, m_files, out, err);
        }
        r.m_strOut = out.str();
        r.m_strErr = err.str();
        return r;
    }

    /// The document of the run with --json added; a run that exits otherwise than
    /// expectedCode or prints no JSON fails the test.
    [[nodiscard]] nlohmann::json RunJson(std::vector<std::string> args, int expectedCode) const {
        args.push_back("--json");
        const SSondexCliResult r = Run(args);
        EXPECT_EQ(r.m_nExitCode, expectedCode) << (args.size() > 1 ? args[1] : "");
        nlohmann::json doc = nlohmann::json::parse(r.m_strOut, nullptr, false);
        if (doc.is_discarded()) {
            ADD_FAILURE() << "not JSON: " << r.m_strOut.substr(0, 200);
            return nlohmann::json();
        }
        return doc;
    }

    testsupport::CScratchFolder m_program{"sondex_cli_program"};
    SProductFiles m_files;
};
