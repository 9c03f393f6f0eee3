#pragma once

// Helpers of the QuillonOrlo window tests: a scratch folder holding the per-user profile and
// a copy of the bundled settings file, and a recording prompt installed for the test.

#include "SettingsFile.h"
#include "UserPrompt.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace orloui {

/// The bundled samples: "normal", "low", "high" or "" for the folder itself.
inline QString SamplesDir(const char* sub = "") {
    return QDir(QStringLiteral(ORLO_SAMPLES_DIR)).filePath(QString::fromUtf8(sub));
}

inline std::string ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::string();
    }
    return file.readAll().toStdString();
}

inline bool WriteFile(const QString& path, const std::string& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    return file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
           static_cast<qint64>(bytes.size());
}

/// The bundled settings with one line replaced (the whole line starting with key=).
inline std::string SampleSettingsWith(const std::string& key, const std::string& value) {
    std::string text = ReadFile(SamplesDir("QuillonOrlo.ini"));
    const std::string head = key + "=";
    const size_t at = text.find("\n" + head);
    if (at == std::string::npos) {
        ADD_FAILURE() << "no key " << key << " in the bundled settings";
        return text;
    }
    const size_t end = text.find('\n', at + 1);
    text.replace(at + 1, end - at - 1, head + value);
    return text;
}

class COrloUiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           m_dir.filePath(QStringLiteral("profile")));
        m_previousSettings = GetSettings().Path();
        m_strSettings = m_dir.filePath(QStringLiteral("QuillonOrlo.ini"));
        ASSERT_TRUE(WriteFile(m_strSettings, ReadFile(SamplesDir("QuillonOrlo.ini"))));
        GetSettings().SetPath(m_strSettings.toStdString());
        SetPrompt(&m_prompt);
    }
    void TearDown() override {
        SetPrompt(nullptr);
        GetSettings().SetPath(m_previousSettings);
    }

    /// Replaces the settings file, as an engineer editing it between two commands.
    void SetSettings(const std::string& content) { ASSERT_TRUE(WriteFile(m_strSettings, content)); }
    [[nodiscard]] QString Scratch(const QString& rel) const { return m_dir.filePath(rel); }

    QTemporaryDir m_dir;
    QString m_strSettings;
    std::filesystem::path m_previousSettings;
    CRecordingPrompt m_prompt;
};

/// The colour painted at p of widget w, as 0x00BBGGRR.
inline uint32_t ColourAt(QWidget& w, const QPoint& p) {
    const QImage image = w.grab().toImage();
    const QColor c = image.pixelColor(p);
    return static_cast<uint32_t>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

} // namespace orloui
