// The chart table's CSV and SVG: one CSV record per row with the same texts, an SVG that is
// well-formed XML with one rectangle per coloured cell in that cell's colour, and texts that
// cannot break either format.

#include "ChartTable.h"
#include "CsvRecords.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

using testsupport::ParseCsv;

namespace {

// A small chart as a page holds one: a header row and column, fail counts and colours,
// and texts that need quoting or escaping.
CChartTable SampleTable() {
    CChartTable table(4, 5);
    table.SetTitle("统计图 <a&b>");
    table.SetHeaderRows(1);
    table.SetHeaderCols(1);
    const char* texts[4][5] = {{"", " 64", " 72", " 80", "drv,stg"},
                               {"  0", "0", "1", "", "say \"hi\""},
                               {"  1", "2", "", "0", "a\nb"},
                               {"统计", "<x>", "&", "'", ""}};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 5; ++c) {
            table.SetText(r, c, texts[r][c]);
        }
    }
    table.SetColour(1, 1, 0x00FF00);
    table.SetColour(1, 2, 0xFF0000);
    table.SetColour(2, 1, 0xFF0000);
    table.SetColour(2, 3, 0x00FF00);
    table.SetColour(3, 4, 0xFFFF00);
    return table;
}

TEST(ChartCsv, OneRecordPerRowWithTheSameTextsThenTheColours) {
    const CChartTable table = SampleTable();
    const auto records = ParseCsv(ChartCsv(table));
    ASSERT_EQ(records.size(), 4u);
    for (int r = 0; r < table.Rows(); ++r) {
        const auto& record = records[static_cast<size_t>(r)];
        ASSERT_EQ(record.size(), static_cast<size_t>(2 * table.Cols() + 1)) << "row " << r;
        EXPECT_EQ(record[static_cast<size_t>(table.Cols())], "") << "separator of row " << r;
        for (int c = 0; c < table.Cols(); ++c) {
            const SChartTableCell& cell = table.Cell(r, c);
            EXPECT_EQ(record[static_cast<size_t>(c)], cell.m_strText) << r << "," << c;
            EXPECT_EQ(record[static_cast<size_t>(table.Cols() + 1 + c)],
                      cell.m_nColour ? ColourHex(*cell.m_nColour) : std::string())
                << r << "," << c;
        }
    }
}

TEST(ChartCsv, EmptyTableWritesNothing) {
    EXPECT_EQ(ChartCsv(CChartTable()), "");
}

// A check of well-formedness small enough to keep here: every tag closes in order, every
// attribute is quoted, and no '&' starts anything but an entity.
bool WellFormed(const std::string& xml, std::string& why) {
    std::vector<std::string> open;
    const std::regex entity("^&(amp|lt|gt|quot|#39|#[0-9]+);");
    for (size_t i = 0; i < xml.size(); ++i) {
        if (xml[i] == '&') {
            if (!std::regex_search(xml.substr(i, 8), entity)) {
                why = "bare & at " + std::to_string(i);
                return false;
            }
            continue;
        }
        if (xml[i] != '<') {
            if (xml[i] == '>') {
                why = "bare > at " + std::to_string(i);
                return false;
            }
            continue;
        }
        const size_t end = xml.find('>', i);
        if (end == std::string::npos) {
            why = "unclosed tag";
            return false;
        }
        const std::string tag = xml.substr(i + 1, end - i - 1);
        i = end;
        if (tag.empty() || tag.find('<') != std::string::npos) {
            why = "broken tag " + tag;
            return false;
        }
        // Attribute values are quoted: an even number of quotes.
        if (std::count(tag.begin(), tag.end(), '"') % 2 != 0) {
            why = "unbalanced quotes in " + tag;
            return false;
        }
        const std::string name = tag.substr(tag[0] == '/' ? 1 : 0, tag.find_first_of(" /", 1) -
                                                                      (tag[0] == '/' ? 1 : 0));
        if (tag[0] == '/') {
            if (open.empty() || open.back() != name) {
                why = "</" + name + "> closes " + (open.empty() ? "nothing" : open.back());
                return false;
            }
            open.pop_back();
        } else if (tag.back() != '/') {
            open.push_back(name);
        }
    }
    if (!open.empty()) {
        why = "<" + open.back() + "> is not closed";
        return false;
    }
    return true;
}

TEST(ChartSvg, WellFormedWithOneRectanglePerColouredCellInItsColour) {
    const CChartTable table = SampleTable();
    const std::string svg = ChartSvg(table);
    std::string why;
    EXPECT_TRUE(WellFormed(svg, why)) << why;
    EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);

    // Every cell rectangle, keyed by its position, with its colour.
    const std::regex rect(
        "<rect class=\"cell\" x=\"([0-9]+)\" y=\"([0-9]+)\" width=\"[0-9]+\" height=\"[0-9]+\" "
        "fill=\"(#[0-9A-F]{6})\"/>");
    std::map<std::pair<int, int>, std::string> rects;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), rect); it != std::sregex_iterator();
         ++it) {
        rects[{std::stoi((*it)[2]), std::stoi((*it)[1])}] = (*it)[3];
    }
    std::vector<std::string> expected;
    for (int r = 0; r < table.Rows(); ++r) {
        for (int c = 0; c < table.Cols(); ++c) {
            if (table.Cell(r, c).m_nColour) {
                expected.push_back(ColourHex(*table.Cell(r, c).m_nColour));
            }
        }
    }
    std::vector<std::string> found;
    for (const auto& [position, colour] : rects) {
        found.push_back(colour);
    }
    // Rectangles in row-major order (y, then x) give the coloured cells in the same order.
    EXPECT_EQ(found, expected);
    EXPECT_EQ(expected.size(), 5u);
}

TEST(ChartSvg, TextsAreEscaped) {
    const std::string svg = ChartSvg(SampleTable());
    EXPECT_NE(svg.find(">&lt;x&gt;</text>"), std::string::npos);
    EXPECT_NE(svg.find(">&amp;</text>"), std::string::npos);
    EXPECT_NE(svg.find("<title>统计图 &lt;a&amp;b&gt;</title>"), std::string::npos);
    EXPECT_EQ(svg.find("<x>"), std::string::npos);
}

TEST(ChartTable, ColourOfAWindowsColourRef) {
    EXPECT_EQ(CChartTable::FromColorRef(0x0000FF), 0xFF0000u); // red
    EXPECT_EQ(CChartTable::FromColorRef(0x00FF00), 0x00FF00u); // green
    EXPECT_EQ(CChartTable::FromColorRef(0x00FFFF), 0xFFFF00u); // yellow
    EXPECT_EQ(CChartTable::FromColorRef(0x123456), 0x563412u);
    EXPECT_EQ(ColourHex(0x0A0B0C), "#0A0B0C");
}

TEST(ChartTable, CellsOutsideAreIgnoredAndReadEmpty) {
    CChartTable table(2, 2);
    table.SetText(2, 0, "x");
    table.SetColour(-1, 0, 1);
    EXPECT_EQ(table.Cell(2, 0), SChartTableCell{});
    EXPECT_EQ(table.Cell(0, 0), SChartTableCell{});
}

} // namespace
