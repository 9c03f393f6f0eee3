// sondex-cli: the Sondex folder analysis without windows, for production lines and CI.

#include "CliReport.h"
#include "FolderWorkflow.h"
#include "ScanProgress.h"
#include "ProjectConfig.h"
#include "SondexReport.h"

#include "ProductFiles.h"
#include "ProductVersion.h"
#include "ProgramLocation.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <sstream>

using namespace sondex;

namespace fs = std::filesystem;

namespace {

constexpr int kExitPass = 0;
constexpr int kExitFail = 1;
constexpr int kExitNoVerdict = 2;
constexpr int kExitUsage = 64;

bool ParseSrList(const std::string& text, std::vector<int32_t>& out) {
    out.clear();
    std::stringstream in(text);
    std::string piece;
    while (std::getline(in, piece, ',')) {
        const std::wstring p = TrimBlanks(Utf8ToWide(piece));
        if (p.size() != 1 || p[0] < L'0' || p[0] > L'3') {
            return false;
        }
        out.push_back(p[0] - L'0');
    }
    return !out.empty();
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Sondex folder analysis of KestinX scan logs", "sondex-cli"};
    app.require_subcommand(1);
    app.set_version_flag("--version", WideToUtf8(productinfo::kProductName) + " " +
                                          WideToUtf8(productinfo::kProductVersion));
    auto* analyse =
        app.add_subcommand("analyse", "open every log of FOLDER and build the statistics");
    std::string folder;
    std::string srText = "0";
    std::string configFile;
    std::string answer = "no";
    bool asJson = false;
    analyse->add_option("FOLDER", folder, "folder of *.Txt logs")->required();
    analyse->add_option("--sr", srText, "SR values selected in the menu, e.g. 0,1 (default 0)");
    analyse->add_option(
        "--config", configFile,
        "project configuration: an .ini (compiled into a .dat beside it) or a .dat");
    analyse->add_option("--answer", answer, "answer to every Yes/No question (default no)")
        ->check(CLI::IsMember({"yes", "no"}));
    analyse->add_flag("--json", asJson, "print one JSON document instead of the text report");
    std::string reportDir;
    analyse->add_option("--report", reportDir,
                        "also write DIR/report.html, one CSV per table and the JSON document");
    const SProductFiles files =
        LocateProductFiles({productinfo::kProductNameU8, productinfo::kPackageName});
    app.footer(DescribeProductFiles(files));
    analyse->footer(app.get_footer());
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : kExitUsage;
    }
    SCliRun run;
    if (!ParseSrList(srText, run.selectedSr)) {
        std::cerr << "sondex-cli: --sr takes values 0 to 3 separated by ',' (got '" << srText
                  << "')\n";
        return kExitUsage;
    }

    // The report folder is made before anything is analysed, so a wrong one costs no scan.
    const bool report = analyse->count("--report") != 0;
    if (report) {
        if (const std::string problem = PrepareReportFolder(WideToPath(Utf8ToWide(reportDir)));
            !problem.empty()) {
            std::cerr << "sondex-cli: report folder: " << problem << "\n";
            return kExitUsage;
        }
    }
    const std::string startTime = ReportTimestamp();

    // First start of an installed program: the user's folders and settings file (also
    // with another settings file named, so the log folder exists).
    PrepareProductFiles(files);
    OpenProgramLog(ProgramLogFile(files));
    CConsolePrompt prompt(answer == "yes");
    prompt.SetEcho(!asJson);
    CScopedPrompt promptScope(prompt);

    // The batch program stands in for Sondex: its configuration is the product's, not one
    // named after the batch program.
    if (!configFile.empty()) {
        const fs::path file = WideToPath(Utf8ToWide(configFile));
        if (EqualsNoCase(PathToWide(file.extension()), L".ini")) {
            run.iniPath = file;
            run.datPath = fs::path(file).replace_extension(".dat");
        } else {
            run.datPath = file;
        }
    } else {
        // The compiled .dat lies beside the .ini in use (the user's copy when installed).
        run.iniPath = files.settings;
        run.datPath = fs::path(files.settings).replace_extension(".dat");
    }
    CProjectConfig config;
    run.configLoaded = config.Load(run.iniPath, run.datPath);
    run.sourcePath = config.GetSourcePath();
    run.iniCompiled = config.IsCompiledFromIni();
    CScopedProjectConfig configScope(config);

    run.folder = WideToPath(Utf8ToWide(folder));
    run.logFiles = FindLogFiles(run.folder).size();
    CFolderWorkflow workflow;
    for (int sr = 0; sr < CFolderWorkflow::kSrCount; ++sr) {
        workflow.SetSrSelected(sr, std::find(run.selectedSr.begin(), run.selectedSr.end(), sr) !=
                                       run.selectedSr.end());
    }
    const int opened = workflow.AnalyzeFolder(run.folder, CTerminalProgress().Callback());
    CLogDocument* stats = workflow.GetStatisticsDocument();
    if (stats) {
        // As the statistics document's frame becomes active after a folder analysis.
        workflow.Activate(stats);
        run.verdict = workflow.GetResultForm().GetVerdictText();
    }
    bool abandoned = false;
    for (const auto& record : workflow.GetOpenRecords()) {
        abandoned = abandoned || !record.opened;
    }
    // The exit status follows the folder's verdict (every log opened and none failed), not
    // the form's verdict text: the form shows "Fail" for a statistics document without
    // result entries even when every log passed.
    if (!run.configLoaded || opened == 0 || abandoned || !stats) {
        run.exitCode = kExitNoVerdict;
    } else {
        run.exitCode = workflow.IsAllPassed() ? kExitPass : kExitFail;
    }
    if (run.exitCode == kExitPass && stats->GetResults().empty()) {
        std::cerr << "sondex-cli: warning: every log passed, but no pass width was judged "
                     "(no minimum pass width for the logs' clock or no selected SR value)\n";
    }
    LogInfo(L"analysed %ls: %d logs opened, exit %d", PathToWide(run.folder).c_str(), opened,
            run.exitCode);

    if (asJson) {
        WriteJsonReport(std::cout, run, workflow, prompt.Records());
    } else {
        std::cout << BuildTextReport(run, workflow);
    }
    if (report) {
        SReportRun reportRun;
        reportRun.m_strTool = "sondex-cli";
        reportRun.m_strProduct =
            WideToUtf8(productinfo::kProductName) + " " + WideToUtf8(productinfo::kProductVersion);
        reportRun.m_strDate = startTime;
        reportRun.m_strCommand = ReportCommandLine(argc, argv);
        for (const fs::path& file : {run.iniPath, run.datPath}) {
            if (!file.empty() && fs::exists(file)) {
                reportRun.m_vecSettings.push_back(file);
            }
        }
        reportRun.m_vecInputs = FindLogFiles(run.folder);
        const auto writeJson = [&](std::ostream& out) {
            WriteJsonReport(out, run, workflow, prompt.Records());
        };
        std::string error;
        if (!WriteSondexReport(WideToPath(Utf8ToWide(reportDir)), writeJson, run, workflow,
                               reportRun, error)) {
            // The verdict stands; a report that was asked for and is missing is no success.
            std::cerr << "sondex-cli: report not written: " << error << "\n";
            return kExitNoVerdict;
        }
    }
    return run.exitCode;
}
