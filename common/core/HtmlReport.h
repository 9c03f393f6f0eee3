#pragma once

#include "ChartTable.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// The one-file HTML report the batch programs and the windows hand on: inline CSS (with a
// print style for A4), inline SVG charts, no script and nothing fetched from the network.
// Every text put in is escaped here, so file names and log texts can hold anything.

/// A file the report names, with what lets a reader check it later.
struct SReportFile {
    std::string m_strRole; ///< "log", "settings", ...
    std::filesystem::path m_path;
    std::optional<uint64_t> m_nSize; ///< nothing when the file could not be read
    std::string m_strSha256;         ///< empty when the file could not be read
};

/// Size and SHA-256 of path, read now.
[[nodiscard]] SReportFile DescribeReportFile(std::string role, const std::filesystem::path& path);

/// How a verdict is shown.
enum class EReportVerdict { Pass, Fail, None };

class CHtmlReport {
public:
    explicit CHtmlReport(std::string title);

    /// A line of the heading block ("tool", "Quillon 1.0"), in order.
    void AddFact(const std::string& label, const std::string& value);
    /// The verdict banner at the top.
    void SetOverallVerdict(EReportVerdict verdict, const std::string& text);
    /// A section heading; anchor names the section for the table of verdicts.
    void AddSection(const std::string& heading, const std::string& anchor = std::string());
    void AddParagraph(const std::string& text);
    /// One line with a coloured verdict word and the reason after it.
    void AddVerdict(EReportVerdict verdict, const std::string& word, const std::string& reason);
    /// A plain table; the first row is its heading when heading is true.
    void AddTable(const std::vector<std::vector<std::string>>& rows, bool heading = true,
                  const std::string& cssClass = std::string());
    /// The table of verdicts: one row per page, its name, the verdict word in its colour, the
    /// reason and a note (pass rates), under a heading row.
    struct SVerdictRow {
        std::string m_strName;
        EReportVerdict m_verdict = EReportVerdict::None;
        std::string m_strWord;
        std::string m_strReason;
        std::string m_strNote;
    };
    void AddVerdictTable(const std::string& noteHeading, const std::vector<SVerdictRow>& rows);
    /// The chart as inline SVG, scaled to the page width.
    void AddChart(const CChartTable& chart);
    /// The files and their digests.
    void AddFiles(const std::vector<SReportFile>& files);

    [[nodiscard]] std::string Html() const;

private:
    std::string m_strTitle;
    std::vector<std::pair<std::string, std::string>> m_facts;
    std::optional<std::pair<EReportVerdict, std::string>> m_verdict;
    std::string m_strBody;
};

/// What a report says about the run that made it.
struct SReportRun {
    std::string m_strTool;    ///< "quillon-cli"
    std::string m_strProduct; ///< "Quillon 1.0.0"
    std::string m_strDate;    ///< ReportTimestamp() when the run began
    std::string m_strCommand; ///< the command line, or what the window did
    std::vector<std::filesystem::path> m_vecInputs;   ///< the logs read
    std::vector<std::filesystem::path> m_vecSettings; ///< settings / configuration files
};

/// The run's facts (tool, version, date, command) at the top of report.
void AddRunFacts(CHtmlReport& report, const SReportRun& run);
/// A section listing the settings files and the inputs with their sizes and SHA-256.
void AddRunFiles(CHtmlReport& report, const SReportRun& run);

/// Writes bytes to path (created or replaced); false with the system's reason in error.
[[nodiscard]] bool WriteReportFile(const std::filesystem::path& path, const std::string& bytes,
                                   std::string& error);

/// Writes the run's JSON document to path through writeJson; false with a reason in error.
[[nodiscard]] bool WriteReportJson(const std::filesystem::path& path,
                                   const std::function<void(std::ostream&)>& writeJson,
                                   std::string& error);

/// Makes dir (and its parents) and checks that a file can be created in it; the reason why
/// not, empty when it can.
[[nodiscard]] std::string PrepareReportFolder(const std::filesystem::path& dir);

/// A file name made of text: characters that do not belong in a portable file name become
/// '_', and an index keeps names of the same text apart ("03-统计图.csv").
[[nodiscard]] std::string ReportFileName(int index, const std::string& text,
                                         const std::string& extension);

/// The date and time now, "2026-12-10 17:43:58 UTC".
[[nodiscard]] std::string ReportTimestamp();

/// The command line as a shell would take it back (words with blanks or quotes quoted).
[[nodiscard]] std::string ReportCommandLine(int argc, const char* const* argv);
