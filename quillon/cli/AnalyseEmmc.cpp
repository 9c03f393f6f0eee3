#include "AnalyseEmmc.h"

#include "AnalyseReport.h"
#include "ChartCellsEMMC.h"
#include "ChildDlgEMMCModel.h"
#include "LogPageEMMC.h"
#include "LogPageList.h"
#include "LogRead.h"
#include "LogScanEMMC.h"
#include "TextUtil.h"
#include "UserPrompt.h"
#include "QuillonSession.h"
#include "ScanProgress.h"

#include <algorithm>
#include <memory>
#include <string_view>

using namespace quillon;

namespace {

using nlohmann::json;

std::string U8(const std::wstring& text) {
    return WideToUtf8(text);
}

// The --emmc keys, in the panel's field order.
constexpr const char* kEmmcKeys[kEmmcFieldCount] = {"rowName", "colName", "inRowName", "inColName",
                                                    "rowMax",  "colMax",  "inRowMax",  "inColMax",
                                                    "tagW",    "tagR",    "tagC",      "tagY"};

// Sets the panel fields named by --emmc KEY=VALUE; false (with the bad item) for a bad one.
bool ApplyEmmcFields(const std::vector<std::string>& items, CChildDlgEMMCModel& panel,
                     std::string& bad) {
    for (const std::string& item : items) {
        const size_t eq = item.find('=');
        const std::string key = eq == std::string::npos ? item : item.substr(0, eq);
        int field = -1;
        for (int i = 0; i < kEmmcFieldCount; ++i) {
            if (key == kEmmcKeys[i]) {
                field = i;
            }
        }
        if (eq == std::string::npos || field < 0) {
            bad = item;
            return false;
        }
        panel.SetField(static_cast<EEmmcField>(field), Utf8ToWide(item.substr(eq + 1)));
    }
    return true;
}

std::string ColorText(ColorRef color) {
    return Format("0x%06X", static_cast<unsigned>(color));
}

// ColorText for the cell list, without a format call per cell.
std::string_view ColorTextFast(ColorRef color, char (&buffer)[16]) {
    const auto value = static_cast<unsigned>(color);
    if (value > 0xFFFFFFu) {
        const std::string text = ColorText(color);
        const size_t n = std::min(text.size(), sizeof buffer);
        text.copy(buffer, n);
        return {buffer, n};
    }
    static constexpr char kDigits[] = "0123456789ABCDEF";
    buffer[0] = '0';
    buffer[1] = 'x';
    for (int i = 0; i < 6; ++i) {
        buffer[2 + i] = kDigits[(value >> (20 - 4 * i)) & 0xFu];
    }
    return {buffer, 8};
}

// The cells of a page with records, written one by one as the chart describes them.
void WriteCells(CJsonStreamWriter& writer, const CLogPageBase& page) {
    writer.BeginArray();
    char color[16];
    std::string letters; // the cell's letters are ASCII: converted without a new string
    CChartCellsEMMC::ForEachCell(page, [&](const SEmmcChartCell& cell) {
        writer.BeginObject();
        writer.Key("col");
        writer.Int(cell.nCol);
        writer.Key("color");
        writer.String(ColorTextFast(cell.nColor, color));
        writer.Key("inCol");
        writer.Int(cell.nInCol);
        writer.Key("inRow");
        writer.Int(cell.nInRow);
        writer.Key("row");
        writer.Int(cell.nRow);
        writer.Key("text");
        letters.clear();
        bool ascii = true;
        for (const wchar_t c : cell.strText) {
            ascii = ascii && c > 0 && c < 0x80;
            letters.push_back(static_cast<char>(c));
        }
        if (ascii) {
            writer.String(letters);
        } else {
            writer.String(U8(cell.strText));
        }
        writer.EndObject();
    });
    writer.EndArray();
}

} // namespace

void AnalyseEmmc(const SAnalyseOptions& options, int logType, SAnalyseOutput& output) {
    json& doc = output.m_doc;
    std::string& text = output.m_strText;
    analysereport::StartDocument(options, output);
    const char* flavour = logType == kLogTypeEmmcDdr50 ? "DDR50" : "SDR50";
    text += Format("Quillon eMMC %s analysis of %s\n", flavour, U8(options.m_strDirectory).c_str());

    analysereport::CSessionHolder holder(options);
    CQuillonSession& session = holder.Session();
    session.SetLogType(logType);
    CChildDlgEMMCModel& panel = session.EmmcPanel();
    panel.SetMode(logType, true);
    std::string bad;
    if (!ApplyEmmcFields(options.m_vecEmmc, panel, bad)) {
        text += "quillon-cli: bad --emmc item \"" + bad +
                "\" (KEY=VALUE with KEY one of rowName colName inRowName inColName rowMax "
                "colMax inRowMax inColMax tagW tagR tagC tagY)\n";
        output.m_nExitCode = kExitUsage;
        return;
    }
    SEmmcNames names;
    SEmmcTags tags;
    panel.GetNames(names);
    panel.GetTags(tags);
    const SEmmcSizes sizes = panel.GetSizes();
    doc["emmc"] = {{"rowName", U8(names.strRow)},     {"colName", U8(names.strCol)},
                   {"inRowName", U8(names.strInRow)}, {"inColName", U8(names.strInCol)},
                   {"pageRows", sizes.nPageRows},     {"pageCols", sizes.nPageCols},
                   {"subRows", sizes.nSubRows},       {"subCols", sizes.nSubCols},
                   {"tagW", U8(tags.strW)},           {"tagR", U8(tags.strR)},
                   {"tagC", U8(tags.strC)},           {"tagY", U8(tags.strY)}};

    std::vector<std::wstring> files;
    if (!analysereport::FindLogs(options, text, files)) {
        return;
    }
    // The same calls as the window: Analyse (scan, tabs, best point of the statistics tab),
    // then Write bin with the statistics tab selected.
    if (session.Analyse(options.m_strDirectory, options.m_nSortMode,
                        CTerminalProgress().Callback()) !=
        EQuillonAnalyseEnd::Scanned) {
        text += Format("no verdict: the scan of %zu log files failed\n", files.size());
        return;
    }
    const CLogPageList* pages = session.PageList();
    doc["scanned"] = true;
    doc["logType"] = logType;
    doc["logMode"] = session.EmmcLogMode();
    text += Format("log mode %d; page %d x %d blocks of %d x %d cells\n", session.EmmcLogMode(),
                   sizes.nPageRows, sizes.nPageCols, sizes.nSubRows, sizes.nSubCols);

    std::vector<CLogPageBase*> tabs;
    for (const SQuillonTab& tab : session.Tabs()) {
        tabs.push_back(tab.m_pPage);
    }

    const CMergePageEMMCModel& mergePage = session.MergePage();
    const std::optional<SEmmcBestPoint>& best = session.EmmcBest();
    std::vector<json> pageJsons; // each page without its cells, written at the end
    for (CLogPageBase* base : tabs) {
        const bool merged = base == pages->GetMergedPage();
        json page = {{"name", U8(base->GetName())}, {"merged", merged}};
        for (const char* key : {"rowPassNum", "bestRecords", "rates", "rateTexts", "bestList",
                                "verdict", "chart", "chartText"}) {
            page[key] = nullptr;
        }
        page["bestPoint"] = nullptr;
        page["recommended"] = nullptr;
        page["analysed"] = false;
        text += U8(base->GetName()) + (merged ? "  (statistics of all logs)\n" : "\n");
        if (merged) {
            // The statistics tab: the session searched the best point and made the
            // recommended values of it.
            page["analysed"] = best.has_value();
            if (best) {
                page["bestPoint"] = best->Values();
                page["recommended"] = {{"row", U8(mergePage.Value(CMergePageEMMCModel::kRow))},
                                       {"col", U8(mergePage.Value(CMergePageEMMCModel::kCol))},
                                       {"inRow", U8(mergePage.Value(CMergePageEMMCModel::kInRow))},
                                       {"inCol", U8(mergePage.Value(CMergePageEMMCModel::kInCol))}};
                text +=
                    Format("  best point: %s %s, %s %s, %s %s, %s %s (score %d)\n",
                           U8(names.strRow).c_str(),
                           U8(mergePage.Value(CMergePageEMMCModel::kRow)).c_str(),
                           U8(names.strCol).c_str(),
                           U8(mergePage.Value(CMergePageEMMCModel::kCol)).c_str(),
                           U8(names.strInRow).c_str(),
                           U8(mergePage.Value(CMergePageEMMCModel::kInRow)).c_str(),
                           U8(names.strInCol).c_str(),
                           U8(mergePage.Value(CMergePageEMMCModel::kInCol)).c_str(), best->nScore);
            } else {
                text += "  best point: none\n";
            }
        }
        text += Format("  cells with records: %zu\n", CChartCellsEMMC::CountCells(*base));
        if (output.m_pJson != nullptr) {
            pageJsons.push_back(std::move(page));
        }
    }

    const bool judged = best.has_value();
    const bool pass = judged && best->nScore > 0;
    if (judged) {
        output.m_nExitCode = pass ? kExitPass : kExitFail;
    }
    if (options.m_strImage) {
        bool written = false;
        std::string note;
        json writeBin;
        std::optional<EQuillonWriteEnd> refused;
        written = analysereport::SessionWriteBin(session, options, writeBin, note, refused);
        switch (refused.value_or(EQuillonWriteEnd::Written)) {
        case EQuillonWriteEnd::NoImage:
            note = "no image path";
            break;
        case EQuillonWriteEnd::NothingToWrite:
            note = "no best point, nothing to write"; // no writer is made, no message
            break;
        case EQuillonWriteEnd::Written:
            break; // written, or the writer said why not: its note stands
        default:
            note = "not written";
            break;
        }
        doc["writeBin"] = writeBin;
        text += "write bin " + U8(*options.m_strImage) + ": " + note + "\n";
        if (!written) {
            output.m_nExitCode = kExitNoVerdict;
        }
    }
    doc["summary"] = {{"verdict", judged ? json(pass ? "PASS" : "FAIL") : json(nullptr)},
                      {"logs", pages->GetPageCount()},
                      {"files", files.size()},
                      {"exitCode", output.m_nExitCode}};
    text += judged ? Format("%s: %s%s", pass ? "PASS" : "FAIL", U8(tabs[0]->GetName()).c_str(),
                            pass ? "" : " (no good area)")
                   : std::string("NO VERDICT");
    text += Format("; %zu logs of %zu files\n", pages->GetPageCount(), files.size());
    WriteAnalyseDocument(output, {{"pages", [&](CJsonStreamWriter& writer) {
                                       writer.BeginArray();
                                       for (size_t i = 0; i < pageJsons.size(); ++i) {
                                           const CLogPageBase& base = *tabs[i];
                                           writer.Object(pageJsons[i],
                                                         {{"cells", [&base](CJsonStreamWriter& w) {
                                                               WriteCells(w, base);
                                                           }}});
                                       }
                                       writer.EndArray();
                                   }}});
}
