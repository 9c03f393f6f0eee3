#include "QuillonApp.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <sys/wait.h>

namespace {

struct SLineCase {
    const char* name;
    QStringList args;
    bool ok;
    const char* normal;
    const char* low;
    const char* high;
    const char* screenshot;
};

class CQuillonAppLineTest : public ::testing::TestWithParam<SLineCase> {};

TEST_P(CQuillonAppLineTest, ReadsTheDirectoriesAndTheScreenshotFile) {
    const SLineCase& c = GetParam();
    const SOrloCommandLine line =
        ParseOrloCommandLine(QStringList{QStringLiteral("QuillonOrlo")} + c.args);
    EXPECT_EQ(line.bOk, c.ok) << line.strError.toStdString();
    if (!c.ok) {
        EXPECT_FALSE(line.strError.isEmpty());
        return;
    }
    EXPECT_EQ(line.strNormal.toStdString(), c.normal);
    EXPECT_EQ(line.strLow.toStdString(), c.low);
    EXPECT_EQ(line.strHigh.toStdString(), c.high);
    EXPECT_EQ(line.strScreenshot.toStdString(), c.screenshot);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CQuillonAppLineTest,
    ::testing::Values(
        SLineCase{"none", {}, true, "", "", "", ""},
        SLineCase{"all",
                  {"--normal", "n", "--low", "l", "--high", "h", "--screenshot", "x.png"},
                  true,
                  "n",
                  "l",
                  "h",
                  "x.png"},
        SLineCase{"equals", {"--normal=/a b/常温", "--high=/h"}, true, "/a b/常温", "", "/h", ""},
        SLineCase{"screenshotOnly", {"--screenshot", "s.png"}, true, "", "", "", "s.png"},
        SLineCase{"lowWithoutNormal", {"--low", "l"}, false, "", "", "", ""},
        SLineCase{"unknownOption", {"--normal", "n", "--json"}, false, "", "", "", ""},
        SLineCase{"missingValue", {"--normal"}, false, "", "", "", ""},
        // A folder opened from the desktop menu arrives alone: the normal-temperature one.
        SLineCase{"folder", {"/data/常温"}, true, "/data/常温", "", "", ""},
        SLineCase{"folderAndNormal", {"--normal", "n", "m"}, false, "", "", "", ""},
        SLineCase{"twoFolders", {"n", "m"}, false, "", "", "", ""}),
    [](const ::testing::TestParamInfo<SLineCase>& info) { return std::string(info.param.name); });

} // namespace

namespace {

#ifdef ORLO_PATH
// The real program, copied into a scratch folder beside the bundled settings so that what
// a scan writes back stays there, on the offscreen platform.
int RunProgram(const QString& folder, const QString& shot, const char* progressDelay) {
    const QString program = QDir(folder).filePath(QStringLiteral("QuillonOrlo"));
    if (!QFile::exists(program)) {
        QFile::copy(QStringLiteral(ORLO_PATH), program);
        QFile::copy(QDir(QStringLiteral(ORLO_SAMPLES_DIR)).filePath(QStringLiteral("QuillonOrlo.ini")),
                    QDir(folder).filePath(QStringLiteral("QuillonOrlo.ini")));
    }
    const QString samples = QStringLiteral(ORLO_SAMPLES_DIR);
    const std::string command =
        std::string(progressDelay != nullptr ? "SUITE_PROGRESS_DELAY_MS=" : "") +
        (progressDelay != nullptr ? std::string(progressDelay) + " " : std::string()) +
        "QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME='" + folder.toStdString() + "/config' '" +
        program.toStdString() + "' --normal '" + samples.toStdString() + "/normal' --low '" +
        samples.toStdString() + "/low' --high '" + samples.toStdString() + "/high' --screenshot '" +
        shot.toStdString() + "' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(QuillonOrloProgram, ScreenshotAfterTheStartUpScanIsTheSameWithTheProgressDialog) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString plain = dir.filePath(QStringLiteral("plain.png"));
    const QString shown = dir.filePath(QStringLiteral("shown.png"));
    ASSERT_EQ(RunProgram(dir.path(), plain, nullptr), 0);
    // From the first log on the dialog shows and the event loop runs during the scan.
    ASSERT_EQ(RunProgram(dir.path(), shown, "0"), 0);
    const QImage picture(plain);
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(picture.width(), 600);
    EXPECT_EQ(QImage(shown), picture);
}
#endif

} // namespace
