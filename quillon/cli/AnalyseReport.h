#pragma once

// Report steps every quillon-cli analyser shares: the empty document, finding the logs and
// the parts of a page that the DDR and Hynix result panels fill alike.

#include "LogRead.h"
#include "QuillonCli.h"
#include "QuillonSession.h"
#include "TextUtil.h"
#include "UserPrompt.h"
#include "WriteBinBase.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace analysereport {

// The session of one analysis. When the process ends right after the run, its pages (a full
// eMMC log makes a million small allocations) are left to the exit instead of being freed one
// by one; the session stays reachable, so a leak checker does not count it.
class CSessionHolder {
public:
    explicit CSessionHolder(const SAnalyseOptions& options)
        : m_session(std::make_unique<quillon::CQuillonSession>()),
          m_bLeaveToExit(options.m_bProcessEnds) {}
    ~CSessionHolder() {
        if (m_bLeaveToExit) {
            static quillon::CQuillonSession* s_pLeftToExit = nullptr;
            delete s_pLeftToExit; // only one run per process ends it; an earlier one goes now
            s_pLeftToExit = m_session.release();
        }
    }
    CSessionHolder(const CSessionHolder&) = delete;
    CSessionHolder& operator=(const CSessionHolder&) = delete;
    [[nodiscard]] quillon::CQuillonSession& Session() { return *m_session; }

private:
    std::unique_ptr<quillon::CQuillonSession> m_session;
    bool m_bLeaveToExit;
};

// The document of a run that has found nothing yet: no verdict until a scan says otherwise.
inline void StartDocument(const SAnalyseOptions& options, SAnalyseOutput& output) {
    using nlohmann::json;
    json& doc = output.m_doc;
    doc["scanned"] = false;
    doc["header"] = nullptr;
    doc["pages"] = json::array();
    doc["writeBin"] =
        options.m_strImage ? json{{"attempted", false}, {"written", false}} : json(nullptr);
    output.m_nExitCode = kExitNoVerdict;
}

// The log files of the directory; false (after the prompt and a report line) when there are none.
[[nodiscard]] inline bool FindLogs(const SAnalyseOptions& options, std::string& text,
                                   std::vector<std::wstring>& files) {
    if (options.m_strDirectory.empty()) {
        GetPrompt().Show(L"log file directory can not be empty");
        text += "no verdict: no log directory\n";
        return false;
    }
    if (!quillon::FindLogFiles(options.m_strDirectory, files)) {
        GetPrompt().Show(L"find no valid log file, can not made a analysis");
        text += "no verdict: no log file found\n";
        return false;
    }
    return true;
}

// Write bin as the command line asks it: the write, or with --dry-run the words the write
// would store, before and after, and nothing written. Fills the document's writeBin object
// and the report's note; true when the image was written or the dry run could read it.
inline bool RunWriteBin(quillon::CWriteBinBase& writer, const SAnalyseOptions& options,
                        nlohmann::json& writeBin, std::string& note) {
    using nlohmann::json;
    const std::wstring& image = *options.m_strImage;
    writeBin = {{"attempted", true}, {"written", false}};
    if (options.m_bDryRun) {
        writeBin["dryRun"] = true;
        std::vector<quillon::CWriteBinBase::SWordChange> words;
        if (!writer.PreviewBin(image, words)) {
            note = "dry run: the image cannot take the words";
            return false;
        }
        json list = json::array();
        note = "dry run, nothing written:";
        for (const auto& word : words) {
            list.push_back(
                {{"offset", word.m_nOffset}, {"before", word.m_nBefore}, {"after", word.m_nAfter}});
            note += Format("\n  0x%04zX: 0x%08X -> 0x%08X", word.m_nOffset, word.m_nBefore,
                           word.m_nAfter);
        }
        writeBin["words"] = list;
        return true;
    }
    const bool written = writer.WriteToBin(image);
    writeBin["written"] = written;
    note = written ? "written, the original is kept in " +
                         WideToUtf8(PathToWide(writer.GetBackupPath()))
                   : "not written";
    return written;
}

// Write bin through the session, as the window presses it: the session's checks and writer,
// then the write or, with --dry-run, the preview. refused receives how the checks ended when
// they made no writer.
inline bool SessionWriteBin(quillon::CQuillonSession& session, const SAnalyseOptions& options,
                            nlohmann::json& writeBin, std::string& note,
                            std::optional<quillon::EQuillonWriteEnd>& refused) {
    writeBin = {{"attempted", true}, {"written", false}};
    quillon::EQuillonWriteEnd end = quillon::EQuillonWriteEnd::Written;
    const std::unique_ptr<quillon::CWriteBinBase> writer =
        session.MakeWriter(*options.m_strImage, end);
    if (!writer) {
        refused = end;
        return false;
    }
    return RunWriteBin(*writer, options, writeBin, note);
}

// Pass rates, best list and verdict of a DDR or Hynix result panel.
template <class Panel>
void PutPanelJson(nlohmann::json& page, const Panel& panel, bool verdictMade) {
    using nlohmann::json;
    json rates = json::array();
    for (int lane = 0; lane < 4; ++lane) {
        const auto it = panel.Rates().find(lane);
        rates.push_back(it == panel.Rates().end() || !std::isfinite(it->second) ? json(nullptr)
                                                                                : json(it->second));
    }
    page["rates"] = rates;
    json rateTexts = json::array();
    for (const std::wstring& text : panel.RateTexts()) {
        rateTexts.push_back(WideToUtf8(text));
    }
    page["rateTexts"] = rateTexts;
    json list = json::array();
    for (const auto& row : panel.Rows()) {
        list.push_back(
            {WideToUtf8(row[0]), WideToUtf8(row[1]), WideToUtf8(row[2]), WideToUtf8(row[3])});
    }
    page["bestList"] = list;
    if (verdictMade) {
        page["verdict"] = {{"made", true},
                           {"conclusion", WideToUtf8(panel.Conclusion())},
                           {"reason", WideToUtf8(panel.Reason())},
                           {"code", panel.ResultCode()}};
    } else {
        page["verdict"] = {{"made", false},
                           {"conclusion", nullptr},
                           {"reason", nullptr},
                           {"code", nullptr},
                           {"text", WideToUtf8(panel.NoVerdictText())}};
    }
}

// The chart colours, and its texts where the tab is the statistics of all logs: members of
// a page object, written row by row from the chart's cells.
template <class Chart>
std::vector<CJsonStreamWriter::MemberWriter> ChartMembers(const Chart& chart, bool merged) {
    std::vector<CJsonStreamWriter::MemberWriter> members;
    members.emplace_back("chart", [&chart](CJsonStreamWriter& writer) {
        writer.BeginArray();
        for (int row = 0; row < chart.DataRowCount(); ++row) {
            writer.String(chart.ColorRow(row));
        }
        writer.EndArray();
    });
    members.emplace_back("chartText", [&chart, merged](CJsonStreamWriter& writer) {
        if (!merged) {
            writer.Null();
            return;
        }
        writer.BeginArray();
        for (int row = 0; row < chart.DataRowCount(); ++row) {
            writer.BeginArray();
            for (int col = 0; col < chart.DataColCount(); ++col) {
                writer.String(WideToUtf8(chart.Cell(row, col).m_strText));
            }
            writer.EndArray();
        }
        writer.EndArray();
    });
    return members;
}

// The verdict line of a DDR or Hynix tab in the text report.
template <class Panel>
void AppendVerdictText(std::string& text, const Panel& panel, bool verdictMade) {
    if (verdictMade) {
        text += "  verdict: " + WideToUtf8(panel.Conclusion());
        if (!panel.Reason().empty()) {
            text += ": " + WideToUtf8(panel.Reason());
        }
    } else {
        text += "  verdict: none";
        if (!panel.NoVerdictText().empty()) {
            text += " (" + WideToUtf8(panel.NoVerdictText()) + ")";
        }
    }
    text += "\n";
}

} // namespace analysereport
