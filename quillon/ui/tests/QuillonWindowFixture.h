#pragma once

// The main dialog's tests: the test's own settings file in a scratch folder, an empty
// per-user profile, the recording prompt, and the byte-lane swap map put back afterwards;
// the batch program's analysis of a folder and a shown dialog to compare it with.

#include "QuillonDlg.h"

#include "LaneSwapMap.h"
#include "QuillonCli.h"
#include "ScratchFolder.h"
#include "SettingsFileScope.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <QAction>
#include <QLineEdit>
#include <QSettings>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>

class CQuillonWindowTest : public ::testing::Test {
protected:
    CQuillonWindowTest() {
        std::unique_ptr<QSettings> profile = CQuillonDlg::OpenProfile();
        profile->clear();
        profile->sync();
    }
    ~CQuillonWindowTest() override { quillon::GetLaneSwapMap().SetIdentity(); }

    // quillon-cli's run on the same folder, through the same session.
    static SAnalyseOutput RunCli(const std::filesystem::path& dir, int type,
                                 std::optional<std::filesystem::path> image = std::nullopt,
                                 int sort = 2) {
        SAnalyseOptions options;
        options.m_strDirectory = PathToWide(dir);
        options.m_nLogType = type;
        options.m_nSortMode = sort;
        if (image) {
            options.m_strImage = PathToWide(*image);
        }
        CConsolePrompt prompt(false);
        prompt.SetEcho(false);
        CScopedPrompt scope(prompt);
        return RunAnalyse(options, prompt);
    }
    // A shown dialog with the log type chosen in the menu and the boxes filled.
    static std::unique_ptr<CQuillonDlg> OpenDialog(int type, const std::filesystem::path& dir,
                                                   const std::filesystem::path& image = {}) {
        auto dialog = std::make_unique<CQuillonDlg>();
        dialog->resize(1400, 900);
        dialog->show();
        dialog->LogTypeAction(type)->trigger();
        dialog->DirectoryBox()->setText(QString::fromStdString(dir.string()));
        dialog->ImageBox()->setText(QString::fromStdString(image.string()));
        return dialog;
    }

    testsupport::CScratchFolder m_scratch{"quillon_ui"};
    const std::filesystem::path m_dir = m_scratch.Path();
    testsupport::CSettingsFileScope m_settingsFile{m_dir / "Quillon.ini"};
    CRecordingPrompt m_prompt;
    CScopedPrompt m_scope{m_prompt};
};
