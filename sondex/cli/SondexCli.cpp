#include "SondexCli.h"

#include "CliReport.h"
#include "FolderWorkflow.h"
#include "ProjectConfig.h"
#include "ScanProgress.h"
#include "SondexReport.h"

#include "HtmlReport.h"
#include "ProductVersion.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <ostream>
#include <sstream>

using namespace sondex;

namespace fs = std::filesystem;

namespace sondex {

std::optional<std::vector<int32_t>> ParseSrList(const std::string& text) {
    std::vector<int32_t> values;
    std::stringstream in(text);
    std::string piece;
    while (std::getline(in, piece, ',')) {
        const std::wstring p = TrimBlanks(Utf8ToWide(piece));
        if (p.size() != 1 || p[0] < L'0' || p[0] > L'3') {
            return std::nullopt;
        }
        values.push_back(p[0] - L'0');
    }
    if (values.empty()) {
        return std::nullopt;
    }
    return values;
}

std::optional<SSondexCliOptions> ParseSondexCliArgs(int argc, const char* const* argv,
                                                    const SProductFiles& files,
                                                    std::ostream& out, std::ostream& err,
                                                    int& exitCode) {
    CLI::App app{"Sondex folder analysis of KestinX scan logs", "sondex-cli"};
    app.require_subcommand(1);
    app.set_version_flag("--version", WideToUtf8(productinfo::kProductName) + " " +
                                          WideToUtf8(productinfo::kProductVersion));
    auto* analyse =
        app.add_subcommand("analyse", "open every log of FOLDER and build the statistics");
    SSondexCliOptions options;
    std::string srText = "0";
    std::string configFile;
    std::string answer = "no";
    std::string reportDir;
    analyse->add_option("FOLDER", options.m_strFolder, "folder of *.Txt logs")->required();
    analyse->add_option("--sr", srText, "SR values selected in the menu, e.g. 0,1 (default 0)");
    analyse->add_option(
        "--config", configFile,
        "project configuration: an .ini (compiled into a .dat beside it) or a .dat");
    analyse->add_option("--answer", answer, "answer to every Yes/No question (default no)")
        ->check(CLI::IsMember({"yes", "no"}));
    analyse->add_flag("--json", options.m_bJson,
                      "print one JSON document instead of the text report");
    analyse->add_option("--report", reportDir,
                        "also write DIR/report.html, one CSV per table and the JSON document");
    app.footer(DescribeProductFiles(files));
    analyse->footer(app.get_footer());
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        exitCode = app.exit(e, out, err) == 0 ? kExitPass : kExitUsage;
        return std::nullopt;
    }
    const auto sr = ParseSrList(srText);
    if (!sr) {
        err << "sondex-cli: --sr takes values 0 to 3 separated by ',' (got '" << srText
            << "')\n";
        exitCode = kExitUsage;
        return std::nullopt;
    }
    options.m_vecSelectedSr = *sr;
    if (analyse->count("--config") != 0 && !configFile.empty()) {
        options.m_strConfig = configFile;
    }
    options.m_bAnswerYes = answer == "yes";
    if (analyse->count("--report") != 0) {
        options.m_strReport = reportDir;
    }
    options.m_strCommand = ReportCommandLine(argc, argv);
    exitCode = kExitPass;
    return options;
}

int RunSondexAnalyse(const SSondexCliOptions& options, const SProductFiles& files,
                     std::ostream& out, std::ostream& err) {
    SCliRun run;
    run.selectedSr = options.m_vecSelectedSr;

    // The report folder is made before anything is analysed, so a wrong one costs no scan.
    const fs::path reportDir =
        options.m_strReport ? WideToPath(Utf8ToWide(*options.m_strReport)) : fs::path();
    if (options.m_strReport) {
        if (const std::string problem = PrepareReportFolder(reportDir); !problem.empty()) {
            err << "sondex-cli: report folder: " << problem << "\n";
            return kExitUsage;
        }
    }
    const std::string startTime = ReportTimestamp();

    // First start of an installed program: the user's folders and settings file (also
    // with another settings file named, so the log folder exists).
    PrepareProductFiles(files);
    OpenProgramLog(ProgramLogFile(files));
    CConsolePrompt prompt(options.m_bAnswerYes);
    prompt.SetEcho(!options.m_bJson);
    CScopedPrompt promptScope(prompt);

    // The batch program stands in for Sondex: its configuration is the product's, not one
    // named after the batch program.
    if (options.m_strConfig) {
        const fs::path file = WideToPath(Utf8ToWide(*options.m_strConfig));
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

    run.folder = WideToPath(Utf8ToWide(options.m_strFolder));
    CFolderWorkflow workflow;
    const int opened = AnalyseSondexFolder(run, workflow, CTerminalProgress().Callback());
    CLogDocument* stats = workflow.GetStatisticsDocument();
    if (run.exitCode == kExitPass && stats->GetResults().empty()) {
        err << "sondex-cli: warning: every log passed, but no pass width was judged "
               "(no minimum pass width for the logs' clock or no selected SR value)\n";
    }
    LogInfo(L"analysed %ls: %d logs opened, exit %d", PathToWide(run.folder).c_str(), opened,
            run.exitCode);

    if (options.m_bJson) {
        WriteJsonReport(out, run, workflow, prompt.Records());
    } else {
        out << BuildTextReport(run, workflow);
    }
    if (options.m_strReport) {
        SReportRun reportRun;
        reportRun.m_strTool = "sondex-cli";
        reportRun.m_strProduct =
            WideToUtf8(productinfo::kProductName) + " " + WideToUtf8(productinfo::kProductVersion);
        reportRun.m_strDate = startTime;
        reportRun.m_strCommand = options.m_strCommand;
        std::string error;
        if (!WriteSondexRunReport(reportDir, run, workflow, prompt.Records(), reportRun, error)) {
            // The verdict stands; a report that was asked for and is missing is no success.
            err << "sondex-cli: report not written: " << error << "\n";
            return kExitNoVerdict;
        }
    }
    return run.exitCode;
}

int RunSondexCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    const SProductFiles files =
        LocateProductFiles({productinfo::kProductNameU8, productinfo::kPackageName});
    int exitCode = kExitUsage;
    const std::optional<SSondexCliOptions> options =
        ParseSondexCliArgs(argc, argv, files, out, err, exitCode);
    if (!options) {
        return exitCode;
    }
    return RunSondexAnalyse(*options, files, out, err);
}

} // namespace sondex
