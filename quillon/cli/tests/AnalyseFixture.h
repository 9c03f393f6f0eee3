#pragma once

// The fixture the analyser tests share: a unique scratch folder with the settings file in it,
// and the prompt of the run the test made.

#include "QuillonCli.h"
#include "SettingsFile.h"
#include "UserPrompt.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include <unistd.h>

class CAnalyseFixture : public ::testing::Test {
protected:
    explicit CAnalyseFixture(std::string strPrefix) : m_strPrefix(std::move(strPrefix)) {}

    void SetUp() override {
        static std::atomic<int> counter{0};
        m_dir = std::filesystem::temp_directory_path() /
                (m_strPrefix + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::create_directories(m_dir);
        m_oldSettings = GetSettings().Path();
        GetSettings().SetPath(m_dir / "Quillon.ini");
    }
    void TearDown() override {
        namespace fs = std::filesystem;
        GetSettings().SetPath(m_oldSettings);
        // Tests that make files read-only give the write bits back so the folder can go.
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(m_dir, ec)) {
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::remove_all(m_dir, ec);
    }
    static std::vector<std::string> MessageTexts(const SAnalyseOutput& out) {
        std::vector<std::string> texts;
        for (const nlohmann::json& m : out.m_doc["messages"]) {
            texts.push_back(m["text"].get<std::string>());
        }
        return texts;
    }

    std::string m_strPrefix;
    std::filesystem::path m_dir;
    std::filesystem::path m_oldSettings;
    std::unique_ptr<CConsolePrompt> m_prompt;
};
