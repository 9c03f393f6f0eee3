#include "ChartTable.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {

constexpr int kRowHeight = 18;
constexpr int kMinColWidth = 16;
constexpr int kCharWidth = 7; // of the 11 px monospace font the texts are set in
constexpr uint32_t kHeaderBand = 0xE1E4C0;

// UTF-8 code points of text: the width of a column follows the characters, not the bytes;
// a wide (CJK) character counts twice.
int TextColumns(const std::string& text) {
    int columns = 0;
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const size_t length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
        columns += length >= 3 ? 2 : 1;
        i += length;
    }
    return columns;
}

// Texts on a dark background are set in white so they stay readable.
bool IsDark(uint32_t rgb) {
    const uint32_t r = rgb >> 16 & 0xFF;
    const uint32_t g = rgb >> 8 & 0xFF;
    const uint32_t b = rgb & 0xFF;
    return r * 299 + g * 587 + b * 114 < 128 * 1000;
}

bool NeedsQuotes(const std::string& text) {
    return text.find_first_of(",\"\r\n") != std::string::npos ||
           (!text.empty() && (text.front() == ' ' || text.back() == ' '));
}

void PutCsvField(std::ostream& out, const std::string& text) {
    if (!NeedsQuotes(text)) {
        out << text;
        return;
    }
    out << '"';
    for (const char c : text) {
        if (c == '"') {
            out << '"';
        }
        out << c;
    }
    out << '"';
}

} // namespace

CChartTable::CChartTable(int rows, int cols) {
    Reset(rows, cols);
}

void CChartTable::Reset(int rows, int cols) {
    m_nRows = std::max(rows, 0);
    m_nCols = std::max(cols, 0);
    m_vecCells.assign(static_cast<size_t>(m_nRows) * static_cast<size_t>(m_nCols),
                      SChartTableCell{});
}

bool CChartTable::Inside(int row, int col) const {
    return row >= 0 && col >= 0 && row < m_nRows && col < m_nCols;
}

void CChartTable::SetText(int row, int col, std::string text) {
    if (Inside(row, col)) {
        m_vecCells[static_cast<size_t>(row) * static_cast<size_t>(m_nCols) +
                   static_cast<size_t>(col)]
            .m_strText = std::move(text);
    }
}

void CChartTable::SetColour(int row, int col, uint32_t rgb) {
    if (Inside(row, col)) {
        m_vecCells[static_cast<size_t>(row) * static_cast<size_t>(m_nCols) +
                   static_cast<size_t>(col)]
            .m_nColour = rgb & 0xFFFFFF;
    }
}

const SChartTableCell& CChartTable::Cell(int row, int col) const {
    static const SChartTableCell empty;
    if (!Inside(row, col)) {
        return empty;
    }
    return m_vecCells[static_cast<size_t>(row) * static_cast<size_t>(m_nCols) +
                      static_cast<size_t>(col)];
}

uint32_t CChartTable::FromColorRef(uint32_t colorRef) {
    return (colorRef & 0xFF) << 16 | (colorRef & 0xFF00) | (colorRef >> 16 & 0xFF);
}

std::string ColourHex(uint32_t rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", rgb & 0xFFFFFF);
    return text;
}

std::string XmlEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            // Control characters other than tab and line ends are not allowed in XML 1.0.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') {
                out += "\xEF\xBF\xBD";
            } else {
                out += c;
            }
        }
    }
    return out;
}

void WriteChartCsv(const CChartTable& table, std::ostream& out) {
    for (int row = 0; row < table.Rows(); ++row) {
        for (int col = 0; col < table.Cols(); ++col) {
            if (col > 0) {
                out << ',';
            }
            PutCsvField(out, table.Cell(row, col).m_strText);
        }
        out << ',';
        for (int col = 0; col < table.Cols(); ++col) {
            out << ',';
            const SChartTableCell& cell = table.Cell(row, col);
            if (cell.m_nColour) {
                out << ColourHex(*cell.m_nColour);
            }
        }
        out << "\r\n";
    }
}

std::string ChartCsv(const CChartTable& table) {
    std::ostringstream out;
    WriteChartCsv(table, out);
    return out.str();
}

void WriteChartSvg(const CChartTable& table, std::ostream& out) {
    std::vector<int> widths(static_cast<size_t>(table.Cols()), kMinColWidth);
    for (int row = 0; row < table.Rows(); ++row) {
        for (int col = 0; col < table.Cols(); ++col) {
            const int need = TextColumns(table.Cell(row, col).m_strText) * kCharWidth + 6;
            int& width = widths[static_cast<size_t>(col)];
            width = std::max(width, need);
        }
    }
    std::vector<int> left(static_cast<size_t>(table.Cols()) + 1, 0);
    for (int col = 0; col < table.Cols(); ++col) {
        left[static_cast<size_t>(col) + 1] =
            left[static_cast<size_t>(col)] + widths[static_cast<size_t>(col)];
    }
    const int width = left.back() + 1;
    const int height = table.Rows() * kRowHeight + 1;

    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\""
        << height << "\" viewBox=\"0 0 " << width << ' ' << height
        << "\" font-family=\"DejaVu Sans Mono, WenQuanYi Zen Hei, monospace\" font-size=\"11\">\n";
    if (!table.Title().empty()) {
        out << "<title>" << XmlEscape(table.Title()) << "</title>\n";
    }
    out << "<rect class=\"page\" x=\"0\" y=\"0\" width=\"" << width << "\" height=\"" << height
        << "\" fill=\"#FFFFFF\"/>\n";
    // Header rows and columns on a band, so the labels read apart from the data.
    const int headerRows = std::clamp(table.HeaderRows(), 0, table.Rows());
    const int headerCols = std::clamp(table.HeaderCols(), 0, table.Cols());
    if (headerRows > 0) {
        out << "<rect class=\"band\" x=\"0\" y=\"0\" width=\"" << left.back() << "\" height=\""
            << headerRows * kRowHeight << "\" fill=\"" << ColourHex(kHeaderBand) << "\"/>\n";
    }
    if (headerCols > 0) {
        out << "<rect class=\"band\" x=\"0\" y=\"0\" width=\""
            << left[static_cast<size_t>(headerCols)] << "\" height=\"" << height - 1
            << "\" fill=\"" << ColourHex(kHeaderBand) << "\"/>\n";
    }
    for (int row = 0; row < table.Rows(); ++row) {
        for (int col = 0; col < table.Cols(); ++col) {
            const SChartTableCell& cell = table.Cell(row, col);
            if (cell.m_nColour) {
                out << "<rect class=\"cell\" x=\"" << left[static_cast<size_t>(col)] << "\" y=\""
                    << row * kRowHeight << "\" width=\"" << widths[static_cast<size_t>(col)]
                    << "\" height=\"" << kRowHeight << "\" fill=\"" << ColourHex(*cell.m_nColour)
                    << "\"/>\n";
            }
        }
    }
    out << "<path stroke=\"#B0B0B0\" stroke-width=\"1\" fill=\"none\" d=\"";
    for (int row = 0; row <= table.Rows(); ++row) {
        out << 'M' << 0 << ' ' << row * kRowHeight + 0.5 << 'H' << left.back();
    }
    for (int col = 0; col <= table.Cols(); ++col) {
        out << 'M' << left[static_cast<size_t>(col)] + 0.5 << ' ' << 0 << 'V' << height - 1;
    }
    out << "\"/>\n";
    for (int row = 0; row < table.Rows(); ++row) {
        for (int col = 0; col < table.Cols(); ++col) {
            const std::string& text = table.Cell(row, col).m_strText;
            if (text.empty()) {
                continue;
            }
            const std::optional<uint32_t>& back = table.Cell(row, col).m_nColour;
            out << "<text x=\""
                << left[static_cast<size_t>(col)] + widths[static_cast<size_t>(col)] / 2
                << "\" y=\"" << row * kRowHeight + 13 << "\" text-anchor=\"middle\""
                << (back && IsDark(*back) ? " fill=\"#FFFFFF\"" : "") << ">" << XmlEscape(text)
                << "</text>\n";
        }
    }
    out << "</svg>\n";
}

std::string ChartSvg(const CChartTable& table) {
    std::ostringstream out;
    WriteChartSvg(table, out);
    return out.str();
}
