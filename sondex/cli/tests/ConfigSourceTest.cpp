// The configuration sondex-cli reports is the file it read: with only Sondex.dat in the
// program's folder, the report names the .dat (it used to name the missing .ini).

#include "SondexCliFixture.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

using SondexCliConfigSource = SondexCliFixture;

TEST_F(SondexCliConfigSource, OnlyTheDatBesideTheProgramIsReportedAsTheDat) {
    const fs::path dir = m_program.Path();
    const std::string logs = (kSondexSamples / "logs").string();

    // With the ini: compiled, reported as the ini it came from.
    SSondexCliResult run = Run({"analyse", logs});
    EXPECT_NE(run.m_strOut.find("configuration: " + (dir / "Sondex.ini").string() + "\n"),
              std::string::npos)
        << run.m_strOut;
    ASSERT_TRUE(fs::exists(dir / "Sondex.dat"));

    // The .dat alone.
    fs::remove(dir / "Sondex.ini");
    const int withIniCode = run.m_nExitCode;
    run = Run({"analyse", logs});
    EXPECT_EQ(run.m_nExitCode, withIniCode);
    EXPECT_NE(run.m_strOut.find("configuration: " + (dir / "Sondex.dat").string() + "\n"),
              std::string::npos)
        << run.m_strOut;
    EXPECT_EQ(run.m_strOut.find("Sondex.ini"), std::string::npos) << run.m_strOut;
    const json doc = RunJson({"analyse", logs}, withIniCode);
    EXPECT_EQ(doc["config"]["ini"], nullptr);
    EXPECT_EQ(doc["config"]["source"], (dir / "Sondex.dat").string());
    EXPECT_EQ(doc["config"]["loaded"], true);
}

} // namespace
