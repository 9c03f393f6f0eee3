// The configuration sondex-cli reports is the file it read: beside a copy of the program that
// has only Sondex.dat, the report names the .dat (it used to name the missing .ini).

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include <sys/wait.h>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const fs::path kSamples = fs::path(SUITE_SOURCE_DIR) / "samples" / "sondex";

std::string Quote(const fs::path& path) {
    return "'" + path.string() + "'";
}

std::string RunCli(const fs::path& program, const std::string& args, int& code) {
    FILE* pipe = ::popen((Quote(program) + " " + args + " 2>/dev/null").c_str(), "r");
    std::string out;
    if (pipe == nullptr) {
        code = -1;
        return out;
    }
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

} // namespace

TEST(SondexCliConfigSource, OnlyTheDatBesideTheProgramIsReportedAsTheDat) {
    std::random_device rd;
    const fs::path dir = fs::temp_directory_path() /
                         ("sondex-cli-source-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(dir);
    const fs::path program = dir / "sondex-cli";
    fs::copy_file(SONDEX_CLI_PATH, program);
    const std::string logs = Quote(kSamples / "logs");

    // With the ini: compiled, reported as the ini it came from.
    fs::copy_file(kSamples / "Sondex.ini", dir / "Sondex.ini");
    int code = -1;
    std::string out = RunCli(program, "analyse " + logs, code);
    EXPECT_NE(out.find("configuration: " + (dir / "Sondex.ini").string() + "\n"), std::string::npos)
        << out;
    ASSERT_TRUE(fs::exists(dir / "Sondex.dat"));

    // The .dat alone.
    fs::remove(dir / "Sondex.ini");
    const int withIniCode = code;
    out = RunCli(program, "analyse " + logs, code);
    EXPECT_EQ(code, withIniCode);
    EXPECT_NE(out.find("configuration: " + (dir / "Sondex.dat").string() + "\n"), std::string::npos)
        << out;
    EXPECT_EQ(out.find("Sondex.ini"), std::string::npos) << out;
    const json doc = json::parse(RunCli(program, "analyse " + logs + " --json", code));
    EXPECT_EQ(doc["config"]["ini"], nullptr);
    EXPECT_EQ(doc["config"]["source"], (dir / "Sondex.dat").string());
    EXPECT_EQ(doc["config"]["loaded"], true);

    std::error_code ec;
    fs::remove_all(dir, ec);
}
