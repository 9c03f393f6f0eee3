#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// A chart as a plain table of cells (text and background colour), the one form from which
// every export writes a chart: the batch programs build it from an engine's chart data, the
// windows from their grid. Texts are UTF-8; colours are 0xRRGGBB.

struct SChartTableCell {
    std::string m_strText;
    std::optional<uint32_t> m_nColour; ///< background; nothing for the page's own background
    bool operator==(const SChartTableCell&) const = default;
};

class CChartTable {
public:
    CChartTable() = default;
    CChartTable(int rows, int cols);

    /// Resizes to rows x cols, emptying every cell.
    void Reset(int rows, int cols);

    void SetTitle(std::string title) { m_strTitle = std::move(title); }
    [[nodiscard]] const std::string& Title() const { return m_strTitle; }
    /// The leading rows and columns that label the others (drawn as headings).
    void SetHeaderRows(int rows) { m_nHeaderRows = rows; }
    void SetHeaderCols(int cols) { m_nHeaderCols = cols; }
    [[nodiscard]] int HeaderRows() const { return m_nHeaderRows; }
    [[nodiscard]] int HeaderCols() const { return m_nHeaderCols; }

    [[nodiscard]] int Rows() const { return m_nRows; }
    [[nodiscard]] int Cols() const { return m_nCols; }

    /// Cells outside the table are ignored by the setters and read as empty.
    void SetText(int row, int col, std::string text);
    void SetColour(int row, int col, uint32_t rgb);
    [[nodiscard]] const SChartTableCell& Cell(int row, int col) const;

    /// The 0xRRGGBB of a colour stored the Windows way, 0x00BBGGRR.
    [[nodiscard]] static uint32_t FromColorRef(uint32_t colorRef);

private:
    [[nodiscard]] bool Inside(int row, int col) const;

    std::string m_strTitle;
    int m_nRows = 0;
    int m_nCols = 0;
    int m_nHeaderRows = 0;
    int m_nHeaderCols = 0;
    std::vector<SChartTableCell> m_vecCells;
};

/// "#RRGGBB" of a colour.
[[nodiscard]] std::string ColourHex(uint32_t rgb);

/// One CSV record per table row (RFC 4180 quoting, CR LF line ends). The first Cols() fields
/// are the cell texts; after one empty field follow the cells' colours ("#RRGGBB", empty
/// for none), so a spreadsheet shows the texts and still keeps the chart's colours.
void WriteChartCsv(const CChartTable& table, std::ostream& out);
[[nodiscard]] std::string ChartCsv(const CChartTable& table);

/// The chart as a stand-alone SVG document: one <rect class="cell"> per coloured cell in its
/// colour, one <text> per non-empty cell, grid lines as one path, header cells on a grey band.
void WriteChartSvg(const CChartTable& table, std::ostream& out);
[[nodiscard]] std::string ChartSvg(const CChartTable& table);

/// Text made safe for XML and HTML content and attribute values.
[[nodiscard]] std::string XmlEscape(const std::string& text);
