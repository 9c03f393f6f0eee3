#include "QuillonApp.h"

#include <gtest/gtest.h>

#include <string>

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
