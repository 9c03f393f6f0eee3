#pragma once

#include "FolderWorkflow.h"
#include "ProjectConfig.h"

#include "UserPrompt.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

// The report of one `sondex-cli analyse` run: the JSON document and the text report are
// built from the same workflow state.

struct SCliRun {
    std::filesystem::path folder;
    std::filesystem::path iniPath; ///< empty when a .dat was given
    std::filesystem::path datPath;
    std::filesystem::path sourcePath; ///< the file the configuration was read from, if any
    bool iniCompiled = false;         ///< the ini was found and compiled
    bool configLoaded = false;
    std::vector<int32_t> selectedSr;
    size_t logFiles = 0;
    int exitCode = 2;
    std::wstring verdict; ///< "Pass" / "Fail" as the result form shows it; empty when none
};

/// Writes the JSON document to out as it is made, log by log.
void WriteJsonReport(std::ostream& out, const SCliRun& run, const sondex::CFolderWorkflow& workflow,
                     const std::vector<SPromptRecord>& messages);
/// The same document as one value.
[[nodiscard]] nlohmann::json BuildJsonReport(const SCliRun& run,
                                             const sondex::CFolderWorkflow& workflow,
                                             const std::vector<SPromptRecord>& messages);
[[nodiscard]] std::string BuildTextReport(const SCliRun& run,
                                          const sondex::CFolderWorkflow& workflow);
