#include "GridPrint.h"

#include "GridCtrl.h"
#include "GridGeometry.h"
#include "GridInPlaceEdit.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace {

// Bands of consecutive non-fixed indices whose sizes fit into room (at least one per band;
// zero-size entries join the current band).
std::vector<std::pair<int, int>> Bands(int first, int count, int room,
                                       int (*size)(const CGridGeometry&, int),
                                       const CGridGeometry& g) {
    std::vector<std::pair<int, int>> bands;
    int start = first;
    long long used = 0;
    for (int i = first; i < count; ++i) {
        const int s = size(g, i);
        if (i > start && used + s > room) {
            bands.emplace_back(start, i - 1);
            start = i;
            used = 0;
        }
        used += s;
    }
    if (start < count)
        bands.emplace_back(start, count - 1);
    return bands;
}

int RowSize(const CGridGeometry& g, int i) {
    return g.GetRowHeight(i);
}
int ColSize(const CGridGeometry& g, int i) {
    return g.GetColumnWidth(i);
}

} // namespace

std::vector<SGridPrintPage> CGridPrintLayout::BuildPages(const CGridGeometry& g, int pageWidth,
                                                         int pageHeight) {
    std::vector<SGridPrintPage> pages;
    if (g.GetRowCount() == 0 || g.GetColumnCount() == 0)
        return pages;
    const int roomW = std::max(1, pageWidth - g.GetFixedWidth());
    const int roomH = std::max(1, pageHeight - g.GetFixedHeight());
    auto rowBands = Bands(g.GetFixedRowCount(), g.GetRowCount(), roomH, RowSize, g);
    auto colBands = Bands(g.GetFixedColumnCount(), g.GetColumnCount(), roomW, ColSize, g);
    // A grid of fixed cells only still prints them once.
    if (rowBands.empty())
        rowBands.emplace_back(g.GetFixedRowCount(), g.GetFixedRowCount() - 1);
    if (colBands.empty())
        colBands.emplace_back(g.GetFixedColumnCount(), g.GetFixedColumnCount() - 1);
    for (const auto& rows : rowBands)
        for (const auto& cols : colBands)
            pages.push_back({rows.first, rows.second, cols.first, cols.second});
    return pages;
}

QString CGridPrintLayout::FooterText(int page, int count) {
    return QString::asprintf("Page %d of %d", page, count);
}

// --- printing of CGridCtrl ---------------------------------------------------------------------

QString CGridCtrl::GetPrintFontFamily() const {
    return m_eFlavour == EFlavour::Older ? QStringLiteral("Times New Roman")
                                         : QStringLiteral("Arial");
}

int CGridCtrl::PrintToPdf(const QString& path) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    return Print(printer);
}

int CGridCtrl::Print(QPrinter& printer) {
    if (m_pEdit)
        m_pEdit->EndEdit(true);
    QPainter painter;
    if (!painter.begin(&printer))
        return 0;
    const QRect paper = printer.pageLayout().paintRectPixels(printer.resolution());
    const int pages = PrintPages(painter, QRect(0, 0, paper.width(), paper.height()), printer,
                                 [&printer] { return printer.newPage(); });
    return painter.end() ? pages : 0;
}

int CGridCtrl::PrintPages(QPainter& painter, const QRect& area, QPaintDevice& printer,
                          const std::function<bool()>& newPage) {

    // Cell sizes scale with the ratio of the printing font's average character width to the
    // screen font's, so the texts fill the printed cells as they fill the screen's.
    const QString measure = QString::fromLatin1(CGridPrintLayout::MeasureText());
    const QFont screenFont = m_defaults[kAreaNormal].GetFont();
    QFont printFont(GetPrintFontFamily());
    printFont.setPointSizeF(screenFont.pointSizeF() > 0 ? screenFont.pointSizeF() : 9.0);
    const double screenAvg = QFontMetricsF(screenFont).horizontalAdvance(measure) / measure.size();
    const double printAvg =
        QFontMetricsF(printFont, &printer).horizontalAdvance(measure) / measure.size();
    const double scale = screenAvg > 0 ? std::max(0.01, printAvg / screenAvg) : 1.0;
    const int footerHeight =
        static_cast<int>(std::ceil(QFontMetricsF(printFont, &printer).height() * 2));
    const int gridW = static_cast<int>(area.width() / scale);
    const int gridH = static_cast<int>((area.height() - footerHeight) / scale);

    const std::vector<SGridPrintPage> pages =
        CGridPrintLayout::BuildPages(m_geometry, gridW, gridH);
    if (pages.empty())
        return 0;
    const int fixedRows = GetFixedRowCount();
    const int fixedCols = GetFixedColumnCount();
    const int fixedW = m_geometry.GetFixedWidth();
    const int fixedH = m_geometry.GetFixedHeight();
    const QPen linePen(grid::ToQColor(m_crGridLine), 0);

    for (size_t p = 0; p < pages.size(); ++p) {
        if (p > 0 && !newPage())
            return 0;
        const SGridPrintPage& page = pages[p];
        auto localX = [&](int col) {
            return col < fixedCols ? m_geometry.GetColumnLeft(col)
                                   : fixedW + m_geometry.GetColumnLeft(col) -
                                         m_geometry.GetColumnLeft(page.nFirstCol);
        };
        auto localY = [&](int row) {
            return row < fixedRows
                       ? m_geometry.GetRowTop(row)
                       : fixedH + m_geometry.GetRowTop(row) - m_geometry.GetRowTop(page.nFirstRow);
        };
        auto toPrinter = [&](int x, int y, int w, int h) {
            return QRect(static_cast<int>(x * scale), static_cast<int>(y * scale),
                         static_cast<int>(std::ceil(w * scale)),
                         static_cast<int>(std::ceil(h * scale)));
        };
        std::vector<int> rows;
        std::vector<int> cols;
        for (int r = 0; r < fixedRows; ++r)
            rows.push_back(r);
        for (int r = page.nFirstRow; r <= page.nLastRow; ++r)
            rows.push_back(r);
        for (int c = 0; c < fixedCols; ++c)
            cols.push_back(c);
        for (int c = page.nFirstCol; c <= page.nLastCol; ++c)
            cols.push_back(c);
        const int usedW = localX(page.nLastCol + 1 > fixedCols ? page.nLastCol + 1 : fixedCols);
        const int usedH = localY(page.nLastRow + 1 > fixedRows ? page.nLastRow + 1 : fixedRows);
        painter.save();
        painter.setClipRect(toPrinter(0, 0, std::min(usedW, gridW), std::min(usedH, gridH)));
        std::vector<char> mergeDone(m_geometry.GetMerges().size(), 0);
        for (int row : rows) {
            if (m_geometry.GetRowHeight(row) <= 0)
                continue;
            for (int col : cols) {
                if (m_geometry.GetColumnWidth(col) <= 0)
                    continue;
                const int merge = m_geometry.FindMerge(row, col);
                CCellRange range(row, col, row, col);
                if (merge >= 0) {
                    if (mergeDone[static_cast<size_t>(merge)])
                        continue;
                    mergeDone[static_cast<size_t>(merge)] = 1;
                    range = m_geometry.GetMerges()[static_cast<size_t>(merge)];
                }
                const int x = localX(range.GetMinCol());
                const int y = localY(range.GetMinRow());
                const int w = m_geometry.GetColumnLeft(range.GetMaxCol() + 1) -
                              m_geometry.GetColumnLeft(range.GetMinCol());
                const int h = m_geometry.GetRowTop(range.GetMaxRow() + 1) -
                              m_geometry.GetRowTop(range.GetMinRow());
                const QRect rect = toPrinter(x, y, w, h);
                const int ownerRow = range.GetMinRow();
                const int ownerCol = range.GetMinCol();
                const CGridCell cell(m_store, ownerRow, ownerCol, DefaultFor(ownerRow, ownerCol));
                painter.fillRect(rect, grid::ToQColor(cell.GetEffectiveBackClr()));
                const QString text = cell.GetText();
                if (!text.isEmpty()) {
                    QFont font = printFont;
                    font.setBold(cell.GetFont().bold());
                    font.setItalic(cell.GetFont().italic());
                    painter.setFont(font);
                    painter.setPen(grid::ToQColor(cell.GetEffectiveTextClr()));
                    CGridCellBase::DrawText(painter, rect, text, cell.GetFormat(),
                                            merge >= 0 && range.GetMaxRow() < fixedRows,
                                            static_cast<int>(2 * scale));
                }
                painter.setPen(linePen);
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(rect);
            }
        }
        painter.restore();
        painter.setFont(printFont);
        painter.setPen(Qt::black);
        const QRect footer(0, area.height() - footerHeight, area.width(), footerHeight);
        painter.drawText(
            footer, Qt::AlignHCenter | Qt::AlignBottom,
            CGridPrintLayout::FooterText(static_cast<int>(p) + 1, static_cast<int>(pages.size())));
    }
    return static_cast<int>(pages.size());
}
