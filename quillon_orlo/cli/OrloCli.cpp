#include "OrloCli.h"

#include "JsonStreamWriter.h"
#include "LogScanOrlo.h"
#include "OrloReport.h"
#include "OrloSession.h"
#include "ScanProgress.h"
#include "ProductFiles.h"
#include "ProductVersion.h"
#include "ProgramLocation.h"
#include "ReadablePath.h"
#include "SettingsFile.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "UserPrompt.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>
#include <ostream>
#include <sstream>

namespace orlo {

namespace {

using nlohmann::json;

std::string U8(const std::wstring& text) {
    return WideToUtf8(text);
}

// One page, its combinations written one by one.
void WritePage(CJsonStreamWriter& writer, const CLogPageOrlo& page) {
    const json head = {{"name", U8(page.Name())}, {"temperature", page.Temperature()}};
    writer.Object(head, {{"combinations", [&page](CJsonStreamWriter& w) {
                              w.BeginArray();
                              for (const DrvCombination& c : page.Combinations()) {
                                  w.BeginObject();
                                  w.Key("clk");
                                  w.Int(c.m_nClkDrv);
                                  w.Key("ctl");
                                  w.Int(c.m_nCtl);
                                  w.Key("data");
                                  w.Int(c.m_nDataDrv);
                                  w.Key("dqs");
                                  w.Int(c.m_nDqsDrv);
                                  w.Key("passCount");
                                  w.BeginArray();
                                  for (const ClkwrEntry& e : c.m_entries) {
                                      w.Int(e.m_nPassCount);
                                  }
                                  w.EndArray();
                                  w.Key("state");
                                  w.BeginArray();
                                  for (const ClkwrEntry& e : c.m_entries) {
                                      w.Int(e.m_nState);
                                  }
                                  w.EndArray();
                                  w.EndObject();
                              }
                              w.EndArray();
                          }}});
}

json MessagesJson(const std::vector<SPromptRecord>& records) {
    json messages = json::array();
    for (const SPromptRecord& r : records) {
        json m = {{"text", U8(r.text)}, {"question", r.question}};
        if (r.question) {
            m["answer"] = r.answer ? "yes" : "no";
        }
        messages.push_back(std::move(m));
    }
    return messages;
}

const char* EndWord(EOrloScanEnd end) {
    switch (end) {
    case EOrloScanEnd::Scanned:
        return "scanned";
    case EOrloScanEnd::NormalDirEmpty:
        return "normalDirEmpty";
    case EOrloScanEnd::LowDirEmpty:
        return "lowDirEmpty";
    case EOrloScanEnd::HighDirEmpty:
        return "highDirEmpty";
    case EOrloScanEnd::NoLogFile:
        return "noLogFile";
    case EOrloScanEnd::TooManyFiles:
        return "tooManyFiles";
    case EOrloScanEnd::ScanFailed:
        return "scanFailed";
    }
    return "";
}

// A directory named on the command line: empty is left to the scan (it has its own
// message for an empty field); one that does not exist or cannot be listed is a usage error.
bool CheckNamedDirectory(const char* option, const std::optional<std::string>& directory,
                         std::ostream& err) {
    if (!directory || directory->empty()) {
        return true;
    }
    const std::wstring problem = WhyFolderUnreadable(std::filesystem::path(*directory));
    if (problem.empty()) {
        return true;
    }
    err << "quillon-orlo-cli: " << option << " directory '" << U8(PathToWide(*directory)) << "' "
        << U8(problem) << "\n";
    return false;
}

} // namespace

const char* TemperatureWord(int temperature) {
    switch (temperature) {
    case kTemperatureNormal:
        return "常温";
    case kTemperatureLow:
        return "低温";
    case kTemperatureHigh:
        return "高温";
    default:
        return "-";
    }
}

std::optional<SOrloCliOptions> ParseOrloCliArgs(const std::vector<std::string>& args,
                                                std::ostream& out, std::ostream& err,
                                                int& exitCode) {
    CLI::App app{"Scans Orlo DDR logs taken at normal, low and high temperature, judges them "
                 "against the limits of the settings file and recommends a parameter set.",
                 "quillon-orlo-cli"};
    app.require_subcommand(1);
    SOrloCliOptions options;
    CLI::App* scan = app.add_subcommand("scan", "scan and analyse the log directories");
    scan->add_option("--normal", options.strNormal, "directory of the normal-temperature logs")
        ->required();
    scan->add_option("--low", options.low, "directory of the low-temperature logs");
    scan->add_option("--high", options.high, "directory of the high-temperature logs");
    scan->add_option("--settings", options.settings,
                     "settings file instead of QuillonOrlo.ini next to the program");
    scan->add_option("--answer", options.strAnswer, "answer to every Yes/No question")
        ->check(CLI::IsMember({"yes", "no"}));
    scan->add_flag("--json", options.bJson, "print one JSON document");
    scan->add_option("--report", options.report,
                     "also write DIR/report.html, one CSV per page and the JSON document");
    const SProductFiles files =
        LocateProductFiles({productinfo::kProductNameU8, productinfo::kPackageName});
    app.footer(DescribeProductFiles(files));
    scan->footer(app.get_footer());

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        exitCode = kExitPass;
        return std::nullopt;
    } catch (const CLI::CallForAllHelp&) {
        out << app.help("", CLI::AppFormatMode::All);
        exitCode = kExitPass;
        return std::nullopt;
    } catch (const CLI::ParseError& e) {
        err << "quillon-orlo-cli: " << e.what() << "\n" << app.help();
        exitCode = kExitUsage;
        return std::nullopt;
    }

    // A typo in a named directory would drop that temperature, and one in --settings would
    // judge with the defaults: both are refused.
    exitCode = kExitUsage;
    if (!CheckNamedDirectory("--normal", options.strNormal, err) ||
        !CheckNamedDirectory("--low", options.low, err) ||
        !CheckNamedDirectory("--high", options.high, err)) {
        return std::nullopt;
    }
    if (options.settings) {
        const std::wstring problem = WhyFileUnreadable(std::filesystem::path(*options.settings));
        if (!problem.empty()) {
            err << "quillon-orlo-cli: settings file '" << U8(PathToWide(*options.settings)) << "' "
                << U8(problem) << "\n";
            return std::nullopt;
        }
    }
    options.strCommand = "quillon-orlo-cli";
    for (const std::string& arg : args) {
        const char* argv[] = {arg.c_str()};
        options.strCommand += " " + ReportCommandLine(1, argv);
    }
    exitCode = kExitPass;
    return options;
}

int RunOrloCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    int exitCode = kExitUsage;
    const std::optional<SOrloCliOptions> options = ParseOrloCliArgs(args, out, err, exitCode);
    return options ? RunOrloScan(*options, out, err) : exitCode;
}

int RunOrloScan(const SOrloCliOptions& options, std::ostream& out, std::ostream& err) {
    // Messages go to stderr as they arise in text mode, and into the document with --json.
    std::wostringstream echo;
    CConsolePrompt prompt(options.strAnswer == "yes", &echo);
    prompt.SetEcho(!options.bJson);
    CScopedPrompt promptGuard(prompt);
    const auto flushEcho = [&]() {
        err << WideToUtf8(echo.str());
        echo.str(std::wstring());
    };

    // The report folder is made before anything is scanned, so a wrong one costs no scan.
    if (options.report) {
        if (const std::string problem = PrepareReportFolder(std::filesystem::path(*options.report));
            !problem.empty()) {
            err << "quillon-orlo-cli: report folder: " << problem << "\n";
            return kExitUsage;
        }
    }
    const std::string startTime = ReportTimestamp();

    CSettingsFile& settings = GetSettings();
    const std::filesystem::path previousSettings = settings.Path();
    // First start of an installed program: the user's folders and settings file (also
    // with another settings file named, so the log folder exists).
    const SProductFiles files =
        LocateProductFiles({productinfo::kProductNameU8, productinfo::kPackageName});
    PrepareProductFiles(files);
    settings.SetPath(options.settings ? std::filesystem::path(*options.settings)
                                      : files.settings);
    struct SRestore {
        CSettingsFile& settings;
        std::filesystem::path path;
        ~SRestore() { settings.SetPath(path); }
    } restore{settings, previousSettings};

    // A missing settings file means the documented defaults (a fresh install); one that is
    // there but cannot be read would judge with defaults nobody chose.
    bool settingsOk = true;
    if (PathIsTaken(settings.Path())) {
        const std::wstring problem = WhyFileUnreadable(settings.Path());
        if (!problem.empty()) {
            const std::wstring text = FormatW(L"settings file %ls %ls: nothing was analysed",
                                              PathToWide(settings.Path()).c_str(), problem.c_str());
            LogError(L"%ls", text.c_str());
            GetPrompt().Show(text);
            settingsOk = false;
        }
    }

    COrloSession session;
    EOrloScanEnd end = EOrloScanEnd::ScanFailed;
    std::optional<SOrloAnalysis> analysis;
    if (settingsOk) {
        SOrloScanRequest request;
        // Directory names are bytes: one that is not UTF-8 must reach the file system as is.
        request.m_strNormalDir = PathToWide(options.strNormal);
        request.m_bIncludeLow = options.low.has_value();
        request.m_strLowDir = PathToWide(options.low.value_or(std::string()));
        request.m_bIncludeHigh = options.high.has_value();
        request.m_strHighDir = PathToWide(options.high.value_or(std::string()));
        end = session.Scan(request, CTerminalProgress().Callback());
        if (end == EOrloScanEnd::Scanned) {
            analysis = session.AnalyseMergedPage(); // the statistics tab is shown first
        }
        if (end == EOrloScanEnd::Scanned || end == EOrloScanEnd::ScanFailed) {
            session.ShowResultPrompt();
        }
    }
    flushEcho();

    const OrloPageList* result = session.Result();
    const int exitCode = analysis ? (analysis->m_bPass ? kExitPass : kExitFail) : kExitNoVerdict;
    const auto writeJson = [&](std::ostream& stream) {
        json doc;
        doc["program"] = "quillon-orlo-cli";
        doc["version"] = U8(productinfo::kProductVersion);
        doc["messages"] = MessagesJson(prompt.Records());
        doc["scanned"] = result != nullptr;
        doc["end"] = settingsOk ? EndWord(end) : "settingsError";
        doc["fileCount"] = session.FileList().size();
        doc["N"] = result ? json(result->PageCount()) : json(nullptr);
        doc["verdict"] =
            analysis ? json{{"pass", analysis->m_bPass}, {"reason", U8(analysis->m_strReason)}}
                     : json(nullptr);
        doc["best"] = analysis && analysis->m_bBestRun
                          ? json{{"found", analysis->m_bBestFound}, {"dqs", analysis->m_nDqsDrv},
                                 {"data", analysis->m_nDataDrv},    {"ctl", analysis->m_nCtl},
                                 {"clk", analysis->m_nClkDrv},      {"clkwr", analysis->m_nClkwr}}
                          : json(nullptr);
        // The pages go out one by one as they are described.
        CJsonStreamWriter writer(stream);
        writer.Object(doc, {{"pages",
                             [result](CJsonStreamWriter& w) {
                                 w.BeginArray();
                                 if (result) {
                                     for (const auto& page : result->Pages()) {
                                         WritePage(w, *page);
                                     }
                                 }
                                 w.EndArray();
                             }},
                            {"merged", [result](CJsonStreamWriter& w) {
                                 if (result && result->Merged()) {
                                     WritePage(w, *result->Merged());
                                 } else {
                                     w.Null();
                                 }
                             }}});
        writer.EndDocument();
    };
    // The report is written after the verdict is out; exitCode unless it cannot be written.
    const auto finish = [&]() -> int {
        if (!options.report) {
            return exitCode;
        }
        SReportRun run;
        run.m_strTool = "quillon-orlo-cli";
        run.m_strProduct = U8(productinfo::kProductName) + " " + U8(productinfo::kProductVersion);
        run.m_strDate = startTime;
        run.m_strCommand = options.strCommand;
        run.m_vecSettings.push_back(settings.Path());
        for (const std::wstring& file : session.FileList()) {
            run.m_vecInputs.push_back(WideToPath(file));
        }
        std::string error;
        if (!WriteOrloReport(std::filesystem::path(*options.report), writeJson, session, analysis,
                             run, error)) {
            // The verdict stands; a report that was asked for and is missing is no success.
            err << "quillon-orlo-cli: report not written: " << error << "\n";
            return kExitNoVerdict;
        }
        return exitCode;
    };
    if (options.bJson) {
        writeJson(out);
        return finish();
    }

    if (!result) {
        out << "no verdict: " << (settingsOk ? EndWord(end) : "settingsError") << "\n";
        return finish();
    }
    out << "scanned " << result->PageCount() << " of " << session.FileList().size()
        << " log files (N = " << result->PageCount() << ")\n";
    for (const auto& page : result->Pages()) {
        out << "  " << U8(page->Name()) << "  " << TemperatureWord(page->Temperature()) << "  "
            << page->Combinations().size() << " combinations\n";
    }
    out << "verdict: " << (analysis->m_bPass ? "PASS" : "FAIL") << "\n";
    if (!analysis->m_strReason.empty()) {
        out << U8(analysis->m_strReason) << "\n";
    }
    if (analysis->m_bBestRun) {
        out << "best" << (analysis->m_bBestFound ? "" : " (incomplete)")
            << ": dqs_drv=" << analysis->m_nDqsDrv << " data_drv=" << analysis->m_nDataDrv
            << " ctl=" << analysis->m_nCtl << " clk_drv=" << analysis->m_nClkDrv
            << " clkwr=" << analysis->m_nClkwr << "\n";
    }
    return finish();
}

} // namespace orlo
