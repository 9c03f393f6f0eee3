#pragma once

// Fixtures of the Sondex window tests: per-user settings and the project configuration in a
// scratch folder, a recording prompt, and folders built from the bundled sample logs.

#include "ScratchFolder.h"

#include "MainFrame.h"

#include "ProjectConfig.h"

#include "UserPrompt.h"

#include <QApplication>
#include <QSettings>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

namespace sondexui {

namespace fs = std::filesystem;

inline const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "sondex";

/// A scratch folder of the window tests.
class CScratchDir : public testsupport::CScratchFolder {
public:
    CScratchDir() : CScratchFolder("sondex-ui-test") {}
};

inline std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

/// Copies sample log `sample` (e.g. "K7_board01.Txt") into folder under name.
inline fs::path CopySample(const fs::path& folder, const std::string& sample,
                           const std::string& name) {
    fs::create_directories(folder);
    const fs::path to = folder / name;
    fs::copy_file(kSamples / "logs" / sample, to, fs::copy_options::overwrite_existing);
    return to;
}

inline QString Q(const fs::path& p) {
    return QString::fromStdString(p.string());
}

/// Settings in a scratch folder, the sample configuration installed, a recording prompt.
class CSondexWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static CScratchDir settingsDir;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Q(settingsDir.Path()));
    }

    void SetUp() override {
        QSettings(QStringLiteral("Norvale"), QStringLiteral("Sondex")).clear();
        fs::copy_file(kSamples / "Sondex.ini", m_scratch.Path() / "Sondex.ini");
        ASSERT_TRUE(
            m_config.Load(m_scratch.Path() / "Sondex.ini", m_scratch.Path() / "Sondex.dat"));
    }

    std::unique_ptr<CMainFrame> MakeFrame() {
        auto frame = std::make_unique<CMainFrame>();
        frame->resize(1400, 900);
        frame->show();
        QApplication::processEvents();
        return frame;
    }

    [[nodiscard]] fs::path Folder(const std::string& name) const { return m_scratch.Path() / name; }

    CScratchDir m_scratch;
    sondex::CProjectConfig m_config;
    sondex::CScopedProjectConfig m_configScope{m_config};
    CRecordingPrompt m_prompt;
    CScopedPrompt m_promptScope{m_prompt};
};

} // namespace sondexui
