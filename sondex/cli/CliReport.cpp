#include "CliReport.h"

#include "JsonStreamWriter.h"
#include "TextUtil.h"

#include <sstream>

using namespace sondex;

using nlohmann::json;

namespace {

std::string U8(const std::wstring& text) {
    return WideToUtf8(text);
}

json ResultsJson(const ResultMap& results) {
    json out = json::array();
    for (const auto& [text, width] : results) {
        out.push_back({{"text", U8(text)}, {"width", width}});
    }
    return out;
}

json HeaderJson(const LogHeader& h) {
    return {{"project", U8(h.project)},
            {"ddrType", U8(h.ddrType)},
            {"clock", U8(h.clock)},
            {"tcnt", h.tcnt}};
}

// The tables of a log or of the statistics, each table's cells written one by one.
void WriteTables(CJsonStreamWriter& writer, const CScanLogData& data) {
    writer.BeginArray();
    for (const auto& [index, table] : data.GetTables()) {
        json t;
        t["index"] = index;
        t["firstRowName"] = U8(table->GetFirstRowName());
        t["subName"] = U8(table->GetSubName());
        t["rowParamCount"] = table->GetRowParamCount();
        t["colParamCount"] = table->GetColParamCount();
        t["rowCount"] = table->GetRowCount();
        t["colCount"] = table->GetColCount();
        t["lastColRangeCount"] = table->GetLastColRangeCount();
        t["srIndex"] = table->GetSrIndex();
        t["subIndex"] = table->GetSubIndex();
        t["tcnt"] = table->GetTcnt();
        t["statistical"] = table->IsStatistical();
        t["verdict"] = table->IsStatistical() ? json(nullptr) : json(table->GetVerdict());
        json rowRanges = json::array();
        for (const auto* r : table->GetRowRanges()) {
            rowRanges.push_back(U8(r->GetName()));
        }
        json colRanges = json::array();
        for (const auto* r : table->GetColRanges()) {
            colRanges.push_back(U8(r->GetName()));
        }
        t["rowRanges"] = rowRanges;
        t["colRanges"] = colRanges;
        t["selectedSr"] = table->GetSelectedSr();
        t["configuredValues"] = table->GetConfiguredValues();
        json widths = json::array();
        for (const auto& [value, width] : table->GetWidths()) {
            widths.push_back({{"value", value}, {"width", width}});
        }
        t["widths"] = widths;
        const CPinScanTable* cellsOf = table.get();
        writer.Object(t, {{"cells", [cellsOf](CJsonStreamWriter& w) {
                               w.BeginArray();
                               cellsOf->ForEachCell(
                                   [&w](int row, int col, const CPinScanTable::CellList& list) {
                                       w.BeginObject();
                                       w.Key("col");
                                       w.Int(col);
                                       w.Key("row");
                                       w.Int(row);
                                       w.Key("states");
                                       w.BeginArray();
                                       for (const auto& result : list) {
                                           w.Int(result.GetState());
                                       }
                                       w.EndArray();
                                       w.EndObject();
                                   });
                               w.EndArray();
                           }}});
    }
    writer.EndArray();
}

const CLogDocument* FindDocument(const CFolderWorkflow& workflow,
                                 const std::filesystem::path& path) {
    const std::wstring name = PathToWide(path.filename());
    for (const auto& doc : workflow.GetDocuments()) {
        if (!doc->IsStatistics() && doc->GetData() && doc->GetData()->GetName() == name) {
            return doc.get();
        }
    }
    return nullptr;
}

} // namespace

namespace {

// One log of the document: its open record and, when it was read, its document.
json LogJson(const SLogOpenRecord& record, const CLogDocument* d) {
    json log;
    log["name"] = U8(PathToWide(record.path.filename()));
    log["path"] = U8(PathToWide(record.path));
    log["opened"] = record.opened;
    log["status"] = record.status;
    if (d && d->GetData()) {
        log["header"] = HeaderJson(d->GetHeader());
        log["parsed"] = d->IsParsed();
        log["complete"] = d->IsComplete();
        log["passed"] = d->IsPassed();
        log["results"] = ResultsJson(d->GetResults());
        // "tables" is written after, cell by cell
    } else {
        log["header"] = nullptr;
        log["parsed"] = nullptr;
        log["complete"] = nullptr;
        log["passed"] = nullptr;
        log["results"] = nullptr;
        log["tables"] = nullptr;
    }
    return log;
}

json StatisticsJson(const CFolderWorkflow& workflow) {
    const CLogDocument* stats = workflow.GetStatisticsDocument();
    if (!stats || !stats->GetData()) {
        return nullptr;
    }
    json s;
    s["results"] = ResultsJson(stats->GetResults());
    s["passed"] = stats->IsPassed();
    s["header"] = HeaderJson(stats->GetHeader());
    // "tables" is written after, cell by cell
    json rows = json::array();
    for (const auto& row : workflow.GetResultForm().GetRows()) {
        rows.push_back(
            {{"type", U8(row.type)}, {"passWidth", row.passWidth}, {"result", U8(row.result)}});
    }
    s["rows"] = rows;
    s["verdict"] = U8(workflow.GetResultForm().GetVerdictText());
    s["parameterText"] = U8(workflow.GetResultForm().GetParameterText());
    s["failListText"] = U8(workflow.GetResultForm().GetFailListText());
    return s;
}

} // namespace

void WriteJsonReport(std::ostream& out, const SCliRun& run, const CFolderWorkflow& workflow,
                     const std::vector<SPromptRecord>& messages) {
    json doc;
    doc["program"] = "sondex-cli";
    doc["folder"] = U8(PathToWide(run.folder));
    doc["config"] = {
        {"ini", run.iniCompiled ? json(U8(PathToWide(run.iniPath))) : json(nullptr)},
        {"dat", U8(PathToWide(run.datPath))},
        {"source", run.sourcePath.empty() ? json(nullptr) : json(U8(PathToWide(run.sourcePath)))},
        {"loaded", run.configLoaded}};
    doc["selectedSr"] = run.selectedSr;
    doc["logFiles"] = run.logFiles;
    json msgs = json::array();
    for (const auto& m : messages) {
        json entry = {{"text", U8(m.text)}, {"question", m.question}};
        if (!m.caption.empty()) {
            entry["caption"] = U8(m.caption);
        }
        if (m.question) {
            entry["answer"] = m.answer ? "yes" : "no";
        }
        msgs.push_back(std::move(entry));
    }
    doc["messages"] = msgs;
    doc["allPassed"] = workflow.IsAllPassed();
    doc["failList"] = U8(workflow.GetFailList());
    doc["incompleteList"] = U8(workflow.GetIncompleteList());
    doc["verdict"] = run.verdict.empty() ? json(nullptr) : json(U8(run.verdict));
    doc["exitCode"] = run.exitCode;

    CJsonStreamWriter writer(out);
    writer.Object(doc, {{"logs",
                         [&](CJsonStreamWriter& w) {
                             // Log by log: documents are matched to the open records in
                             // order, every opened record has one.
                             w.BeginArray();
                             size_t next = 0;
                             const auto& docs = workflow.GetDocuments();
                             for (const auto& record : workflow.GetOpenRecords()) {
                                 const CLogDocument* d = nullptr;
                                 if (record.opened) {
                                     while (next < docs.size() && docs[next]->IsStatistics()) {
                                         ++next;
                                     }
                                     d = next < docs.size() ? docs[next++].get()
                                                            : FindDocument(workflow, record.path);
                                 }
                                 if (d && d->GetData()) {
                                     const CScanLogData& data = *d->GetData();
                                     w.Object(LogJson(record, d),
                                              {{"tables", [&data](CJsonStreamWriter& t) {
                                                    WriteTables(t, data);
                                                }}});
                                 } else {
                                     w.Value(LogJson(record, d));
                                 }
                             }
                             w.EndArray();
                         }},
                        {"statistics", [&](CJsonStreamWriter& w) {
                             const CLogDocument* stats = workflow.GetStatisticsDocument();
                             if (stats && stats->GetData()) {
                                 const CScanLogData& data = *stats->GetData();
                                 w.Object(StatisticsJson(workflow),
                                          {{"tables", [&data](CJsonStreamWriter& t) {
                                                WriteTables(t, data);
                                            }}});
                             } else {
                                 w.Value(nullptr);
                             }
                         }}});
    writer.EndDocument();
    out.flush();
}

json BuildJsonReport(const SCliRun& run, const CFolderWorkflow& workflow,
                     const std::vector<SPromptRecord>& messages) {
    std::ostringstream out;
    WriteJsonReport(out, run, workflow, messages);
    return json::parse(out.str());
}

std::string BuildTextReport(const SCliRun& run, const CFolderWorkflow& workflow) {
    std::string out;
    out += "folder: " + U8(PathToWide(run.folder)) + "\n";
    // The ini when it was compiled, else the file that was read; without one, the .dat the
    // missing-configuration message names.
    const std::filesystem::path& shown = run.iniCompiled          ? run.iniPath
                                         : run.sourcePath.empty() ? run.datPath
                                                                  : run.sourcePath;
    out += "configuration: " + U8(PathToWide(shown)) + (run.configLoaded ? "" : " (not loaded)") +
           "\n";
    out += Format("log files: %zu\n", run.logFiles);
    for (const auto& doc : workflow.GetDocuments()) {
        if (doc->IsStatistics() || !doc->GetData()) {
            continue;
        }
        const LogHeader& h = doc->GetHeader();
        out += "\n" + U8(doc->GetData()->GetName()) + ": " + (doc->IsPassed() ? "Pass" : "Fail") +
               (doc->IsParsed() && doc->IsComplete() ? "" : " (incomplete)") + "  [" +
               U8(h.project) + " " + U8(h.ddrType) + " " + U8(h.clock) + " MHz, tcnt " +
               std::to_string(h.tcnt) + " ps, " + std::to_string(doc->GetData()->GetTableCount()) +
               " tables]\n";
        for (const auto& row : BuildResultRows(doc->GetResults())) {
            out += Format("  %-16s %8d  %s\n", U8(row.type).c_str(), row.passWidth,
                          U8(row.result).c_str());
        }
    }
    for (const auto& record : workflow.GetOpenRecords()) {
        if (!record.opened) {
            out += "\n" + U8(PathToWide(record.path.filename())) +
                   Format(": not opened (status %d); the folder analysis stopped here\n",
                          record.status);
        }
    }
    const CLogDocument* stats = workflow.GetStatisticsDocument();
    if (stats) {
        out += "\nStatisticalChart\n";
        for (const auto& row : workflow.GetResultForm().GetRows()) {
            out += Format("  %-16s %8d  %s\n", U8(row.type).c_str(), row.passWidth,
                          U8(row.result).c_str());
        }
        out += "fail list: " + U8(workflow.GetResultForm().GetFailListText()) + "\n";
    } else if (run.logFiles == 0) {
        out += "\nno log file found\n";
    }
    out += "\nverdict: " + (run.verdict.empty() ? std::string("none") : U8(run.verdict)) + "\n";
    return out;
}
