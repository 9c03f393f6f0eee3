#pragma once

#include "BatchExitCodes.h"
#include "JsonStreamWriter.h"
#include "QuillonReport.h"

#include <nlohmann/json.hpp>

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

class CConsolePrompt;

// quillon-cli: the batch form of the main dialog's Analyse, tab change and Write bin
// commands. The analysis of each log family lives in its own file (AnalyseDDR.cpp, ...) and
// is reached through the dispatch table of AnalyseDispatch.cpp.

/// The options of `quillon-cli analyse`.
struct SAnalyseOptions {
    std::wstring m_strDirectory;
    std::optional<int> m_nLogType;             ///< --type; LogType/Type of the settings when absent
    int m_nSortMode = 2;                       ///< --sort name 2, asc 1, desc 0
    std::optional<std::wstring> m_strImage;    ///< --write-bin IMAGE
    bool m_bDryRun = false;                    ///< --dry-run: show the words, write nothing
    std::vector<std::string> m_vecEmmc;        ///< --emmc KEY=VALUE, in order
    std::optional<std::wstring> m_strSettings; ///< --settings FILE
    bool m_bAnswerYes = false;                 ///< --answer yes|no
    bool m_bJson = false;                      ///< --json
    bool m_bProcessEnds = false; ///< the process ends after the run: memory is left to the exit
    std::optional<std::wstring> m_strReport;   ///< --report DIR
};

/// What an analysis produced: the JSON document, the text report and the exit status.
/// With a stream in m_pJson the analysis writes the document there as it ends (pages cell by
/// cell) and m_doc keeps only the small top-level fields; without one no page is put into
/// JSON at all.
struct SAnalyseOutput {
    nlohmann::json m_doc = nlohmann::json::object();
    std::string m_strText; ///< UTF-8 text report
    int m_nExitCode = 2;
    std::ostream* m_pJson = nullptr;             ///< where the document goes, or none
    const CConsolePrompt* m_pPrompt = nullptr;   ///< whose records make "messages"
    bool m_bJsonWritten = false;                 ///< the document has been written
    /// The chart headers of the DDR and Hynix pages, in the document's page order (the
    /// report labels its charts with them; the document itself does not hold them).
    std::vector<SChartAxes> m_vecChartAxes;
};


/// The log type of a --type name (lpddr 0, lpddr2 1, ddr3 2, hynix 3, emmc-sdr50 4,
/// emmc-ddr50 5); nothing for another name.
[[nodiscard]] std::optional<int> LogTypeFromName(const std::string& name);
/// The sort mode of a --sort name (name 2, asc 1, desc 0).
[[nodiscard]] std::optional<int> SortModeFromName(const std::string& name);

/// Parses the command line. Returns nothing and sets exitCode (0 after --help, 64 for bad
/// arguments, with the text in message) when there is nothing to run.
[[nodiscard]] std::optional<SAnalyseOptions> ParseAnalyseArgs(int argc, const char* const* argv,
                                                              int& exitCode, std::string& message);

/// An analysis of one log family.
using AnalyseFunction = void (*)(const SAnalyseOptions& options, int logType,
                                 SAnalyseOutput& output);
/// The analysis of a log type, or nullptr when this program has none for it.
[[nodiscard]] AnalyseFunction FindAnalyser(int logType);

/// Runs an analysis with options on the installed prompt and settings: resolves the log
/// type, dispatches, and writes the JSON document ("program" and "messages" from prompt
/// included) to json as the analysis ends; with json null no document is made. The text
/// report and the exit status are always in the result.
[[nodiscard]] SAnalyseOutput RunAnalyse(const SAnalyseOptions& options, CConsolePrompt& prompt,
                                        std::ostream* json);
/// The same with the whole document read back into m_doc (tests and the windows' checks).
[[nodiscard]] SAnalyseOutput RunAnalyse(const SAnalyseOptions& options, CConsolePrompt& prompt);

/// Writes output's document to its stream: the top-level fields of m_doc, "messages" from its
/// prompt, and the members writers produce (the pages) in their key order. Once only.
void WriteAnalyseDocument(SAnalyseOutput& output,
                          std::vector<CJsonStreamWriter::MemberWriter> writers = {});

/// Checks the directory and the --settings file named on the command line; the usage error
/// text when one of them cannot be read, empty otherwise.
[[nodiscard]] std::string CheckNamedPaths(const SAnalyseOptions& options);

/// The whole program: arguments, settings file beside the program (or --settings), tool
/// log, prompt, analysis, report on stdout. Returns the exit status.
int RunQuillonCli(int argc, const char* const* argv);

/// The messages of prompt as the document lists them.
[[nodiscard]] nlohmann::json MessagesJson(const CConsolePrompt& prompt);
