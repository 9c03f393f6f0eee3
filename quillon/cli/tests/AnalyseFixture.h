#pragma once

// The fixture the analyser tests share: a unique scratch folder with the settings file in it,
// and the prompt of the run the test made.

#include "QuillonCli.h"
#include "ScratchFolder.h"
#include "SettingsFileScope.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class CAnalyseFixture : public ::testing::Test {
protected:
    explicit CAnalyseFixture(const std::string& strPrefix) : m_scratch(strPrefix) {}

    // The folder and the settings file come and go with the fixture; the tests' own SetUp
    // and TearDown call these first.
    void SetUp() override {}
    void TearDown() override {}
    static std::vector<std::string> MessageTexts(const SAnalyseOutput& out) {
        std::vector<std::string> texts;
        for (const nlohmann::json& m : out.m_doc["messages"]) {
            texts.push_back(m["text"].get<std::string>());
        }
        return texts;
    }

    testsupport::CScratchFolder m_scratch;
    const std::filesystem::path m_dir = m_scratch.Path();
    testsupport::CSettingsFileScope m_settingsFile{m_dir / "Quillon.ini"};
    std::unique_ptr<CConsolePrompt> m_prompt;
};
