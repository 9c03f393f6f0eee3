#include "QuillonCli.h"

#include "AnalyzerSettings.h"
#include "LogRead.h"
#include "ProductFiles.h"
#include "ProductVersion.h"
#include "ProgramLocation.h"
#include "QuillonReport.h"
#include "ReadablePath.h"
#include "SettingsFile.h"
#include "SpLog.h"
#include "StdioOutStream.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <sstream>

using namespace quillon;

namespace {

struct SName {
    const char* m_szName;
    int m_nValue;
};

constexpr SName kLogTypes[] = {{"lpddr", 0}, {"lpddr2", 1},     {"ddr3", 2},
                               {"hynix", 3}, {"emmc-sdr50", 4}, {"emmc-ddr50", 5}};
constexpr SName kSortModes[] = {{"name", 2}, {"asc", 1}, {"desc", 0}};

template <size_t N> std::optional<int> Lookup(const SName (&names)[N], const std::string& name) {
    for (const SName& entry : names) {
        if (name == entry.m_szName) {
            return entry.m_nValue;
        }
    }
    return std::nullopt;
}

SProductFiles QuillonFiles() {
    return LocateProductFiles({productinfo::kProductNameU8, productinfo::kPackageName});
}

void WriteStdout(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void WriteStderr(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

} // namespace

std::optional<int> LogTypeFromName(const std::string& name) {
    return Lookup(kLogTypes, name);
}

std::optional<int> SortModeFromName(const std::string& name) {
    return Lookup(kSortModes, name);
}

std::optional<SAnalyseOptions> ParseAnalyseArgs(int argc, const char* const* argv, int& exitCode,
                                                std::string& message) {
    CLI::App app{"Quillon batch analysis of DDR and eMMC scan logs", "quillon-cli"};
    app.require_subcommand(1);
    CLI::App* analyse = app.add_subcommand("analyse", "analyse a directory of scan logs");
    app.footer(DescribeProductFiles(QuillonFiles()));
    analyse->footer(app.get_footer());

    std::string directory;
    std::string type;
    std::string sort = "name";
    std::string image;
    std::vector<std::string> emmc;
    std::string settings;
    std::string answer = "no";
    bool json = false;

    analyse->add_option("DIR", directory, "directory of the scan logs")->required();
    analyse
        ->add_option("--type", type,
                     "lpddr|lpddr2|ddr3|hynix|emmc-sdr50|emmc-ddr50 (default: LogType/Type of "
                     "the settings file)")
        ->check(CLI::IsMember({"lpddr", "lpddr2", "ddr3", "hynix", "emmc-sdr50", "emmc-ddr50"}));
    analyse->add_option("--sort", sort, "name|asc|desc (default name)")
        ->check(CLI::IsMember({"name", "asc", "desc"}));
    CLI::Option* writeBin =
        analyse->add_option("--write-bin", image, "write the best parameters into IMAGE");
    bool dryRun = false;
    analyse->add_flag("--dry-run", dryRun, "with --write-bin: show the words, write nothing")
        ->needs(writeBin);
    analyse->add_option("--emmc", emmc, "KEY=VALUE fields of the eMMC parameter panel");
    analyse->add_option("--settings", settings, "settings file instead of Quillon.ini");
    analyse->add_option("--answer", answer, "answer to every Yes/No question (default no)")
        ->check(CLI::IsMember({"yes", "no"}));
    analyse->add_flag("--json", json, "print one JSON document instead of the text report");
    std::string report;
    analyse->add_option("--report", report,
                        "also write DIR/report.html, one CSV per page and the JSON document");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        message = app.help();
        exitCode = 0;
        return std::nullopt;
    } catch (const CLI::CallForAllHelp&) {
        message = app.help("", CLI::AppFormatMode::All);
        exitCode = 0;
        return std::nullopt;
    } catch (const CLI::ParseError& error) {
        message = std::string(error.what()) + "\n" + app.help();
        exitCode = kExitUsage;
        return std::nullopt;
    }

    SAnalyseOptions options;
    // Paths are bytes: a name that is not UTF-8 must reach the file system unchanged.
    options.m_strDirectory = PathToWide(directory);
    if (analyse->count("--type") != 0) {
        options.m_nLogType = LogTypeFromName(type);
    }
    options.m_nSortMode = SortModeFromName(sort).value_or(2);
    if (analyse->count("--write-bin") != 0) {
        options.m_strImage = PathToWide(image);
        options.m_bDryRun = dryRun;
    }
    options.m_vecEmmc = emmc;
    if (analyse->count("--settings") != 0) {
        options.m_strSettings = PathToWide(settings);
    }
    options.m_bAnswerYes = answer == "yes";
    options.m_bJson = json;
    if (analyse->count("--report") != 0) {
        options.m_strReport = PathToWide(report);
    }
    exitCode = 0;
    return options;
}

nlohmann::json MessagesJson(const CConsolePrompt& prompt) {
    nlohmann::json messages = nlohmann::json::array();
    for (const SPromptRecord& record : prompt.Records()) {
        nlohmann::json entry = {{"text", WideToUtf8(record.text)}, {"question", record.question}};
        if (record.question) {
            entry["answer"] = record.answer ? "yes" : "no";
        }
        messages.push_back(std::move(entry));
    }
    return messages;
}

void WriteAnalyseDocument(SAnalyseOutput& output,
                          std::vector<CJsonStreamWriter::MemberWriter> writers) {
    if (output.m_pJson == nullptr || output.m_bJsonWritten) {
        return;
    }
    if (output.m_pPrompt != nullptr) {
        output.m_doc["messages"] = MessagesJson(*output.m_pPrompt);
    }
    CJsonStreamWriter writer(*output.m_pJson);
    writer.Object(output.m_doc, std::move(writers));
    writer.EndDocument();
    output.m_pJson->flush();
    output.m_bJsonWritten = true;
}

SAnalyseOutput RunAnalyse(const SAnalyseOptions& options, CConsolePrompt& prompt) {
    std::ostringstream json;
    SAnalyseOutput output = RunAnalyse(options, prompt, &json);
    output.m_doc = nlohmann::json::parse(json.str());
    output.m_pJson = nullptr;
    return output;
}

SAnalyseOutput RunAnalyse(const SAnalyseOptions& options, CConsolePrompt& prompt,
                          std::ostream* json) {
    // A batch run reads the analyzer keys once, not again for every page and verdict (a
    // change of the file during the run is still seen).
    const analyzer::CSettingsRun settingsRun;
    SAnalyseOutput output;
    output.m_pJson = json;
    output.m_pPrompt = &prompt;
    output.m_doc["program"] = "quillon-cli";
    const int logType = options.m_nLogType.value_or(analyzer::ReadLogType());
    output.m_doc["logType"] = logType;
    if (const AnalyseFunction analyse = FindAnalyser(logType)) {
        analyse(options, logType, output);
    } else {
        // Not a message of the dialog: the program itself cannot run this kind of analysis.
        output.m_doc["scanned"] = false;
        output.m_doc["pages"] = nlohmann::json::array();
        output.m_strText +=
            Format("quillon-cli: log type %d cannot be analysed by this program\n", logType);
        output.m_nExitCode = kExitNoVerdict;
    }
    // An analysis that stopped early has not written its document yet.
    WriteAnalyseDocument(output);
    return output;
}

std::string CheckNamedPaths(const SAnalyseOptions& options) {
    const std::wstring folderProblem = WhyFolderUnreadable(WideToPath(options.m_strDirectory));
    if (!folderProblem.empty()) {
        return "quillon-cli: log directory '" + WideToUtf8(options.m_strDirectory) + "' " +
               WideToUtf8(folderProblem) + "\n";
    }
    if (options.m_strSettings) {
        const std::wstring fileProblem = WhyFileUnreadable(WideToPath(*options.m_strSettings));
        if (!fileProblem.empty()) {
            return "quillon-cli: settings file '" + WideToUtf8(*options.m_strSettings) + "' " +
                   WideToUtf8(fileProblem) + "\n";
        }
    }
    return std::string();
}

namespace {

// The document of a run that stopped because the settings file beside the program is there
// but cannot be read: the message is shown and written to the tool log.
SAnalyseOutput RefuseUnreadableSettings(const std::filesystem::path& path,
                                        const std::wstring& problem, const CConsolePrompt& prompt,
                                        std::ostream* json) {
    const std::wstring text = FormatW(L"settings file %ls %ls: nothing was analysed",
                                      PathToWide(path).c_str(), problem.c_str());
    LogError(L"%ls", text.c_str());
    GetPrompt().Show(text);
    SAnalyseOutput output;
    output.m_pJson = json;
    output.m_pPrompt = &prompt;
    output.m_doc["program"] = "quillon-cli";
    output.m_doc["logType"] = nullptr;
    output.m_doc["scanned"] = false;
    output.m_doc["pages"] = nlohmann::json::array();
    output.m_strText = "no verdict: settings file cannot be read\n";
    output.m_nExitCode = kExitNoVerdict;
    WriteAnalyseDocument(output);
    return output;
}

} // namespace

int RunQuillonCli(int argc, const char* const* argv) {
    int exitCode = 0;
    std::string message;
    std::optional<SAnalyseOptions> options = ParseAnalyseArgs(argc, argv, exitCode, message);
    if (!options) {
        (exitCode == 0 ? WriteStdout : WriteStderr)(message);
        return exitCode;
    }
    // A typo in a named file or folder would otherwise judge with the default settings or
    // with no logs at all; it is refused before the tool log is touched.
    if (const std::string refusal = CheckNamedPaths(*options); !refusal.empty()) {
        WriteStderr(refusal);
        return kExitUsage;
    }

    // The report folder is made before anything is analysed, so a wrong one costs no scan.
    if (options->m_strReport) {
        if (const std::string problem = PrepareReportFolder(WideToPath(*options->m_strReport));
            !problem.empty()) {
            WriteStderr("quillon-cli: report folder: " + problem + "\n");
            return kExitUsage;
        }
    }
    const std::string startTime = ReportTimestamp();

    // The batch program reads the product's settings file, not one named after itself.
    const SProductFiles files = QuillonFiles();
    // First start of an installed program: the user's folders and settings file (also
    // with another settings file named, so the log folder exists).
    PrepareProductFiles(files);
    const std::filesystem::path settingsPath =
        options->m_strSettings ? WideToPath(*options->m_strSettings) : files.settings;
    GetSettings().SetPath(settingsPath);
    OpenProgramLog(ProgramLogFile(files));

    options->m_bProcessEnds = true;
    CConsolePrompt prompt(options->m_bAnswerYes);
    prompt.SetEcho(!options->m_bJson);
    CScopedPrompt scope(prompt);
    // A missing settings file means the documented defaults (a fresh install); one that is
    // there but cannot be read would judge with defaults nobody chose.
    std::wstring settingsProblem;
    if (PathIsTaken(settingsPath)) {
        settingsProblem = WhyFileUnreadable(settingsPath);
    }
    // The document goes to stdout as it is made; the text report is printed at the end.
    CStdioOutStream out(stdout);
    // A report needs the whole document: it is then written to memory first, and printed
    // from there when --json asks for it too.
    std::ostringstream reportJson;
    std::ostream* json = nullptr;
    if (options->m_strReport) {
        json = &reportJson;
    } else if (options->m_bJson) {
        json = &out;
    }
    const SAnalyseOutput output =
        settingsProblem.empty()
            ? RunAnalyse(*options, prompt, json)
            : RefuseUnreadableSettings(settingsPath, settingsProblem, prompt, json);
    if (!options->m_bJson) {
        WriteStdout(output.m_strText);
    } else if (options->m_strReport) {
        WriteStdout(reportJson.str());
    }
    if (options->m_strReport) {
        SReportRun run;
        run.m_strTool = "quillon-cli";
        run.m_strProduct = WideToUtf8(productinfo::kProductName) + " " +
                           WideToUtf8(productinfo::kProductVersion);
        run.m_strDate = startTime;
        run.m_strCommand = ReportCommandLine(argc, argv);
        run.m_vecSettings.push_back(settingsPath);
        std::vector<std::wstring> logs;
        if (!options->m_strDirectory.empty() && FindLogFiles(options->m_strDirectory, logs)) {
            for (const std::wstring& log : logs) {
                run.m_vecInputs.push_back(WideToPath(log));
            }
        }
        const auto writeJson = [&reportJson](std::ostream& stream) { stream << reportJson.str(); };
        std::string error;
        if (!WriteQuillonReport(WideToPath(*options->m_strReport), writeJson, run, error,
                                output.m_vecChartAxes)) {
            // The verdict stands on stdout; a report that was asked for and is missing is
            // no success of the run.
            WriteStderr("quillon-cli: report not written: " + error + "\n");
            return kExitNoVerdict;
        }
    }
    return output.m_nExitCode;
}
