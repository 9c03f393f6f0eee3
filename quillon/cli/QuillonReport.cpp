#include "QuillonReport.h"

#include "ChartCellsDDR.h"
#include "ChartCellsHynix.h"
#include "TextUtil.h"

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using nlohmann::json;
using namespace quillon;

namespace {

constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kOther = 0xC0C0C0;
// A full eMMC DDR50 page holds a million cells: beyond this many the page shows the chart's
// size instead and the CSV keeps every cell.
constexpr size_t kMaxDrawnCells = 40000;

std::string Str(const json& value) {
    if (value.is_string()) {
        return value.get<std::string>();
    }
    if (value.is_null()) {
        return std::string();
    }
    return value.dump();
}

const char* LogTypeName(const json& doc) {
    static const char* const kNames[] = {"lpDDR", "lpDDR2", "DDR3", "Hynix", "eMMC SDR50",
                                         "eMMC DDR50"};
    const json& type = doc.value("logType", json());
    if (type.is_number_integer() && type.get<int>() >= 0 && type.get<int>() < 6) {
        return kNames[type.get<int>()];
    }
    return "?";
}

bool IsEmmc(const json& doc) {
    const json& type = doc.value("logType", json());
    return type.is_number_integer() && (type.get<int>() == 4 || type.get<int>() == 5);
}

// The letters and fail counts of data row `row` of a DDR or Hynix page into table row
// tableRow, from column firstCol on.
void PutLetterRow(CChartTable& table, const json& page, int row, int tableRow, int firstCol) {
    const std::string letters = page["chart"][static_cast<size_t>(row)].get<std::string>();
    for (int col = 0; col < static_cast<int>(letters.size()); ++col) {
        const char letter = letters[static_cast<size_t>(col)];
        if (letter == 'G') {
            table.SetColour(tableRow, col + firstCol, kGreen);
        } else if (letter == 'R') {
            table.SetColour(tableRow, col + firstCol, kRed);
        } else if (letter != '.') {
            table.SetColour(tableRow, col + firstCol, kOther);
        }
    }
    const json& texts = page.value("chartText", json());
    if (texts.is_array() && static_cast<size_t>(row) < texts.size()) {
        const json& line = texts[static_cast<size_t>(row)];
        for (int col = 0; col < static_cast<int>(line.size()); ++col) {
            table.SetText(tableRow, col + firstCol, Str(line[static_cast<size_t>(col)]));
        }
    }
}

// DDR and Hynix labelled as the window's chart page: sdll_phs_dly and dqs_step_dly over the
// columns, then the captions of the row headers as on the page's first title row; the byte
// lane on a lane's first row and the drive strengths before every row.
CChartTable AxesChart(const json& page, const SChartAxes& axes) {
    const int dataRows = static_cast<int>(page["chart"].size());
    const int dataCols = static_cast<int>(axes.m_vecPhase.size());
    const int headCols = static_cast<int>(axes.m_vecRowNames.size());
    constexpr int kHeadRows = 3;
    CChartTable table(dataRows + kHeadRows, dataCols + headCols);
    table.SetHeaderRows(kHeadRows);
    table.SetHeaderCols(headCols);
    table.SetText(0, 0, "sdll_phs_dly(°)");
    table.SetText(1, 0, "dqs_step_dly(step)");
    for (int col = 0; col < headCols; ++col) {
        table.SetText(2, col, axes.m_vecRowNames[static_cast<size_t>(col)]);
    }
    for (int col = 0; col < dataCols; ++col) {
        table.SetText(0, col + headCols, axes.m_vecPhase[static_cast<size_t>(col)]);
        table.SetText(1, col + headCols, axes.m_vecStep[static_cast<size_t>(col)]);
    }
    for (int row = 0; row < dataRows; ++row) {
        const std::vector<std::string>& heads = axes.m_vecRows[static_cast<size_t>(row)];
        for (int col = 0; col < headCols && col < static_cast<int>(heads.size()); ++col) {
            table.SetText(row + kHeadRows, col, heads[static_cast<size_t>(col)]);
        }
        PutLetterRow(table, page, row, row + kHeadRows, headCols);
    }
    return table;
}

// Axes that belong to the page: one row of labels per chart row and one column label per
// letter.
bool AxesFit(const json& page, const SChartAxes& axes) {
    const json& rows = page["chart"];
    if (axes.m_vecRows.size() != rows.size() || axes.m_vecStep.size() != axes.m_vecPhase.size()) {
        return false;
    }
    for (const json& row : rows) {
        if (row.get<std::string>().size() > axes.m_vecPhase.size()) {
            return false;
        }
    }
    return true;
}

std::string Trimmed(const std::wstring& text) {
    return WideToUtf8(TrimBlanks(text));
}

template <class Chart>
SChartAxes ColumnAxes(const Chart& chart) {
    SChartAxes axes;
    for (int col = 0; col < chart.DataColCount(); ++col) {
        axes.m_vecPhase.push_back(Trimmed(chart.PhaseHeader(col)));
        axes.m_vecStep.push_back(Trimmed(chart.StepHeader(col)));
    }
    return axes;
}

// DDR and Hynix without axes: data rows are lane-major over four lanes.
CChartTable LetterChart(const json& page) {
    const json& rows = page["chart"];
    const int dataRows = static_cast<int>(rows.size());
    int dataCols = 0;
    for (const json& row : rows) {
        dataCols = std::max(dataCols, static_cast<int>(row.get<std::string>().size()));
    }
    const int perLane = dataRows % 4 == 0 && dataRows > 0 ? dataRows / 4 : dataRows;
    CChartTable table(dataRows + 1, dataCols + 2);
    table.SetHeaderRows(1);
    table.SetHeaderCols(2);
    table.SetText(0, 0, "lane");
    table.SetText(0, 1, "row");
    for (int col = 0; col < dataCols; ++col) {
        table.SetText(0, col + 2, std::to_string(col));
    }
    for (int row = 0; row < dataRows; ++row) {
        if (perLane > 0 && row % perLane == 0) {
            table.SetText(row + 1, 0, std::to_string(row / perLane));
        }
        table.SetText(row + 1, 1, std::to_string(perLane > 0 ? row % perLane : row));
        PutLetterRow(table, page, row, row + 1, 2);
    }
    return table;
}

std::string Hex(int value) {
    std::ostringstream out;
    out << "0x" << std::uppercase << std::hex << value;
    return out.str();
}

// eMMC: only the rows and columns that hold records, in value order.
CChartTable EmmcChart(const json& doc, const json& page) {
    const json& cells = page["cells"];
    std::set<std::pair<int, int>> rowKeys;
    std::set<std::pair<int, int>> colKeys;
    for (const json& cell : cells) {
        rowKeys.insert({cell.value("row", 0), cell.value("inRow", 0)});
        colKeys.insert({cell.value("col", 0), cell.value("inCol", 0)});
    }
    std::map<std::pair<int, int>, int> rowOf;
    std::map<std::pair<int, int>, int> colOf;
    for (const auto& key : rowKeys) {
        rowOf.emplace(key, static_cast<int>(rowOf.size()) + 2);
    }
    for (const auto& key : colKeys) {
        colOf.emplace(key, static_cast<int>(colOf.size()) + 2);
    }
    const json names = doc.value("emmc", json::object());
    CChartTable table(static_cast<int>(rowOf.size()) + 2, static_cast<int>(colOf.size()) + 2);
    table.SetHeaderRows(2);
    table.SetHeaderCols(2);
    table.SetText(0, 1, names.value("colName", std::string("col")));
    table.SetText(1, 1, names.value("inColName", std::string("inCol")));
    table.SetText(1, 0, names.value("rowName", std::string("row")) + " / " +
                            names.value("inRowName", std::string("inRow")));
    int lastBlock = -1;
    for (const auto& [key, col] : colOf) {
        if (key.first != lastBlock) {
            table.SetText(0, col, Hex(key.first));
            lastBlock = key.first;
        }
        table.SetText(1, col, Hex(key.second));
    }
    lastBlock = -1;
    for (const auto& [key, row] : rowOf) {
        if (key.first != lastBlock) {
            table.SetText(row, 0, Hex(key.first));
            lastBlock = key.first;
        }
        table.SetText(row, 1, Hex(key.second));
    }
    for (const json& cell : cells) {
        const int row = rowOf[{cell.value("row", 0), cell.value("inRow", 0)}];
        const int col = colOf[{cell.value("col", 0), cell.value("inCol", 0)}];
        table.SetText(row, col, cell.value("text", std::string()));
        const std::string colour = cell.value("color", std::string());
        table.SetColour(row, col,
                        CChartTable::FromColorRef(
                            static_cast<uint32_t>(std::stoul(colour.empty() ? "0" : colour, nullptr, 16))));
    }
    return table;
}

EReportVerdict VerdictOf(const json& verdict) {
    if (!verdict.is_object() || !verdict.value("made", false)) {
        return EReportVerdict::None;
    }
    return verdict.value("conclusion", json()) == "PASS" ? EReportVerdict::Pass
                                                          : EReportVerdict::Fail;
}

std::string VerdictWord(const json& verdict) {
    if (!verdict.is_object()) {
        return "not analysed";
    }
    if (!verdict.value("made", false)) {
        return "no verdict";
    }
    return Str(verdict["conclusion"]);
}

std::string VerdictReason(const json& verdict) {
    if (!verdict.is_object()) {
        return std::string();
    }
    if (!verdict.value("made", false)) {
        return Str(verdict.value("text", json()));
    }
    return Str(verdict["reason"]);
}

std::string JoinedRates(const json& page) {
    std::string text;
    const json& rates = page.value("rateTexts", json());
    if (!rates.is_array()) {
        return text;
    }
    for (size_t lane = 0; lane < rates.size(); ++lane) {
        text += (lane > 0 ? "  " : "") + std::string("Byte") + std::to_string(lane) + " " +
                (Str(rates[lane]).empty() ? "-" : Str(rates[lane]));
    }
    return text;
}

void AddDdrPage(CHtmlReport& report, const json& page) {
    const json& verdict = page.value("verdict", json());
    report.AddVerdict(VerdictOf(verdict), VerdictWord(verdict), VerdictReason(verdict));
    if (page.value("rateTexts", json()).is_array()) {
        std::vector<std::vector<std::string>> rates(2);
        const json& texts = page["rateTexts"];
        for (size_t lane = 0; lane < texts.size(); ++lane) {
            rates[0].push_back("Byte" + std::to_string(lane));
            rates[1].push_back(Str(texts[lane]).empty() ? "-" : Str(texts[lane]));
        }
        report.AddTable(rates);
    }
    if (page.value("rowPassNum", json()).is_number()) {
        report.AddParagraph("continuous pass length: " + Str(page["rowPassNum"]) +
                            (page.value("analysed", false) ? "" : " (analyse result failed)"));
    }
    const json& best = page.value("bestList", json());
    if (best.is_array()) {
        std::vector<std::vector<std::string>> rows = {
            {"BYTE", "drv_stg", "sdll_phs_dly", "dqs_step_dly"}};
        for (const json& row : best) {
            std::vector<std::string> cells;
            for (const json& cell : row) {
                cells.push_back(Str(cell));
            }
            rows.push_back(std::move(cells));
        }
        if (rows.size() == 1) {
            rows.push_back({"(none)", "", "", ""});
        }
        report.AddParagraph("best parameters");
        report.AddTable(rows);
    }
}

void AddEmmcPage(CHtmlReport& report, const json& doc, const json& page) {
    if (!page.value("merged", false)) {
        return;
    }
    const json& recommended = page.value("recommended", json());
    if (!recommended.is_object()) {
        report.AddVerdict(EReportVerdict::Fail, "FAIL", "no best point was found");
        return;
    }
    const json& point = page.value("bestPoint", json());
    const std::string score = point.is_array() && !point.empty() ? Str(point.back()) : "";
    const bool pass = Str(doc["summary"].value("verdict", json())) == "PASS";
    report.AddVerdict(pass ? EReportVerdict::Pass : EReportVerdict::Fail, pass ? "PASS" : "FAIL",
                      "best point score " + score);
    const json names = doc.value("emmc", json::object());
    report.AddParagraph("recommended set (推荐取值)");
    report.AddTable({{names.value("rowName", std::string("row")),
                      names.value("colName", std::string("col")),
                      names.value("inRowName", std::string("inRow")),
                      names.value("inColName", std::string("inCol"))},
                     {Str(recommended["row"]), Str(recommended["col"]), Str(recommended["inRow"]),
                      Str(recommended["inCol"])}});
}

size_t CellCount(const CChartTable& table) {
    return static_cast<size_t>(table.Rows()) * static_cast<size_t>(table.Cols());
}

} // namespace

SChartAxes ChartAxes(const CChartCellsDDR& chart) {
    SChartAxes axes = ColumnAxes(chart);
    axes.m_vecRowNames = {"Byte", "dev_stg(ohm)"};
    for (int row = 0; row < chart.DataRowCount(); ++row) {
        const int perLane = chart.DriveRows();
        axes.m_vecRows.push_back(
            {row % perLane == 0 ? Trimmed(CChartCellsDDR::LaneLabel(row / perLane)) : "",
             Trimmed(chart.DriveLabel(row))});
    }
    return axes;
}

SChartAxes ChartAxes(const CChartCellsHynix& chart) {
    SChartAxes axes = ColumnAxes(chart);
    axes.m_vecRowNames = {"Byte", "varro_drv_stg(ohm)", "hynix_drv_stg(ohm)"};
    for (int row = 0; row < chart.DataRowCount(); ++row) {
        const int perLane = chart.DriveRows();
        axes.m_vecRows.push_back(
            {row % perLane == 0 ? Trimmed(CChartCellsHynix::LaneLabel(row / perLane)) : "",
             Trimmed(CChartCellsHynix::VarroDriveLabel()),
             Trimmed(CChartCellsHynix::HynixDriveLabel())});
    }
    return axes;
}

CChartTable QuillonPageChart(const json& doc, const json& page, const SChartAxes* axes) {
    CChartTable table;
    if (page.value("chart", json()).is_array()) {
        table = axes != nullptr && AxesFit(page, *axes) ? AxesChart(page, *axes)
                                                        : LetterChart(page);
    } else if (page.value("cells", json()).is_array()) {
        table = EmmcChart(doc, page);
    }
    table.SetTitle(Str(page.value("name", json())));
    return table;
}

std::string QuillonReportHtml(const json& doc, const SReportRun& run,
                              const std::vector<SChartAxes>& axes) {
    const json& summary = doc.value("summary", json::object());
    const json& pages = doc.value("pages", json::array());
    CHtmlReport report(std::string("Quillon ") + LogTypeName(doc) + " report");

    // The banner says at once which way the statistics page went and why.
    const json* statistics = nullptr;
    for (const json& page : pages) {
        if (page.value("merged", false)) {
            statistics = &page;
            break;
        }
    }
    const std::string overall = Str(summary.value("verdict", json()));
    std::string banner = overall.empty() ? "NO VERDICT" : overall;
    if (statistics != nullptr && !IsEmmc(doc)) {
        const std::string reason = VerdictReason(statistics->value("verdict", json()));
        if (!reason.empty()) {
            banner += ": " + reason;
        }
        // Which boards failed, so a reader sees at once where to look.
        std::string failing;
        for (const json& page : pages) {
            if (!page.value("merged", false) &&
                VerdictOf(page.value("verdict", json())) == EReportVerdict::Fail) {
                failing += (failing.empty() ? "" : ", ") + Str(page.value("name", json()));
            }
        }
        if (!failing.empty()) {
            banner += " — failing logs: " + failing;
        }
    } else if (!doc.value("scanned", false)) {
        banner += ": nothing was scanned";
    }
    report.SetOverallVerdict(overall == "PASS"   ? EReportVerdict::Pass
                             : overall == "FAIL" ? EReportVerdict::Fail
                                                 : EReportVerdict::None,
                             banner);
    AddRunFacts(report, run);
    report.AddFact("log type", LogTypeName(doc));
    if (doc.value("header", json()).is_object()) {
        const json& header = doc["header"];
        report.AddFact("project", Str(header.value("project", json())));
        report.AddFact("ddr type / clock", Str(header.value("ddrType", json())) + " / " +
                                               Str(header.value("ddrClock", json())));
    }
    if (summary.is_object() && !summary.empty()) {
        report.AddFact("logs", Str(summary.value("logs", json())) + " of " +
                                   Str(summary.value("files", json())) + " files");
    }

    if (!IsEmmc(doc)) {
        report.AddSection("Verdicts", "verdicts");
        std::vector<CHtmlReport::SVerdictRow> rows;
        for (const json& page : pages) {
            const json& verdict = page.value("verdict", json());
            rows.push_back({Str(page["name"]), VerdictOf(verdict), VerdictWord(verdict),
                            VerdictReason(verdict), JoinedRates(page)});
        }
        report.AddVerdictTable("pass rate", rows);
    }

    int index = 0;
    for (const json& page : pages) {
        const std::string name = Str(page.value("name", json()));
        report.AddSection(page.value("merged", false) ? name + " (statistics of all logs)" : name,
                          "page" + std::to_string(index++));
        if (IsEmmc(doc)) {
            AddEmmcPage(report, doc, page);
        } else {
            AddDdrPage(report, page);
        }
        const size_t at = static_cast<size_t>(index - 1);
        const CChartTable chart =
            QuillonPageChart(doc, page, at < axes.size() ? &axes[at] : nullptr);
        if (CellCount(chart) > kMaxDrawnCells) {
            report.AddParagraph("chart of " + std::to_string(chart.Rows()) + " x " +
                                std::to_string(chart.Cols()) +
                                " cells: too large to draw here, every cell is in the CSV");
        } else if (chart.Rows() > 0) {
            report.AddChart(chart);
        }
    }

    const json& writeBin = doc.value("writeBin", json());
    if (writeBin.is_object()) {
        report.AddSection("Write bin", "writebin");
        report.AddParagraph(writeBin.value("written", false) ? "the image was written"
                                                             : "the image was not written");
    }
    const json& messages = doc.value("messages", json::array());
    if (!messages.empty()) {
        report.AddSection("Messages", "messages");
        std::vector<std::vector<std::string>> rows = {{"message", "answer"}};
        for (const json& message : messages) {
            rows.push_back({Str(message.value("text", json())),
                            message.value("question", false) ? Str(message["answer"]) : ""});
        }
        report.AddTable(rows);
    }
    AddRunFiles(report, run);
    return report.Html();
}

bool WriteQuillonReport(const fs::path& dir, const std::function<void(std::ostream&)>& writeJson,
                        const SReportRun& run, std::string& error,
                        const std::vector<SChartAxes>& axes) {
    const fs::path jsonPath = dir / "quillon-cli.json";
    if (!WriteReportJson(jsonPath, writeJson, error)) {
        return false;
    }
    json doc;
    try {
        std::ifstream in(jsonPath, std::ios::binary);
        doc = json::parse(in);
    } catch (const json::exception& problem) {
        error = "cannot read back " + jsonPath.string() + ": " + problem.what();
        return false;
    }
    int index = 0;
    for (const json& page : doc.value("pages", json::array())) {
        const size_t at = static_cast<size_t>(index);
        const CChartTable chart =
            QuillonPageChart(doc, page, at < axes.size() ? &axes[at] : nullptr);
        const fs::path csv = dir / ReportFileName(index++, Str(page.value("name", json())), ".csv");
        if (!WriteReportFile(csv, ChartCsv(chart), error)) {
            return false;
        }
    }
    return WriteReportFile(dir / "report.html", QuillonReportHtml(doc, run, axes), error);
}
