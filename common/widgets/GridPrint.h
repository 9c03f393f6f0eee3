#pragma once

#include <QString>

#include <vector>

class CGridGeometry;

/// One printed page: the non-fixed rows and columns it shows (the fixed ones repeat on every
/// page), inclusive.
struct SGridPrintPage {
    int nFirstRow = 0;
    int nLastRow = -1;
    int nFirstCol = 0;
    int nLastCol = -1;
};

/// Splits a grid into pages that fit a printable area given in grid pixels. Pages run across
/// first, then down; a row or column wider than a page gets a page of its own (cut at the edge).
class CGridPrintLayout {
public:
    static std::vector<SGridPrintPage> BuildPages(const CGridGeometry& geometry, int pageWidth,
                                                  int pageHeight);
    /// The footer of page (1-based) of count: "Page %d of %d".
    static QString FooterText(int page, int count);
    /// The text whose average character width sizes the printing font.
    static const char* MeasureText() {
        return "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSATUVWXYZ";
    }
};
