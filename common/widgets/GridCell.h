#pragma once

#include "GridCellStore.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QRect>
#include <QStaticText>
#include <QString>

#include <cstdint>

class QPainter;

namespace grid {

/// Colours are 0x00BBGGRR (red in the low byte), as the chart pages compute them.
using Colour = std::uint32_t;
/// "Use the default cell's colour".
inline constexpr Colour kDefaultColour = 0xFF000000u;

[[nodiscard]] inline constexpr Colour Rgb(int r, int g, int b) {
    return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
[[nodiscard]] inline QColor ToQColor(Colour c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}
[[nodiscard]] inline Colour FromQColor(const QColor& c) {
    return Rgb(c.red(), c.green(), c.blue());
}

/// Mask bits of a cell item descriptor: which fields it carries.
enum ItemMask : unsigned {
    kMaskText = 0x01,
    kMaskImage = 0x02,
    kMaskData = 0x04,
    kMaskState = 0x08,
    kMaskBackColour = 0x10,
    kMaskTextColour = 0x20,
    kMaskFormat = 0x40,
    kMaskFont = 0x80,
};

/// Cell state bits. Selection and focus are kept by the grid and reported in these bits.
enum ItemState : unsigned {
    kStateFocused = 0x01,
    kStateSelected = 0x02,
    kStateDropHighlighted = 0x04,
    kStateReadOnly = 0x08,
};

/// Text-drawing flags, with the values the callers' format words use.
enum TextFormat : unsigned {
    kTextLeft = 0x0000,
    kTextCenter = 0x0001,
    kTextRight = 0x0002,
    kTextVCenter = 0x0004,
    kTextBottom = 0x0008,
    kTextWordBreak = 0x0010,
    kTextSingleLine = 0x0020,
    kTextNoPrefix = 0x0800,
    kTextEndEllipsis = 0x8000,
};

/// Format of cells that were given none: left, vertically centred, one line, ellipsis.
inline constexpr unsigned kDefaultFormat =
    kTextLeft | kTextVCenter | kTextSingleLine | kTextNoPrefix | kTextEndEllipsis;

} // namespace grid

/// A cell item descriptor: the mask says which of the fields are meant.
struct SGridItem {
    int nRow = 0;
    int nCol = 0;
    unsigned nMask = 0;
    QString strText;
    int nImage = -1;
    std::uintptr_t lParam = 0;
    unsigned nState = 0;
    grid::Colour crBackClr = grid::kDefaultColour;
    grid::Colour crTextClr = grid::kDefaultColour;
    unsigned nFormat = 0;
    QFont font;
};

/// What the grid tells a cell when it draws it.
struct SCellDrawContext {
    bool bSelected = false;
    bool bFixed = false;
    /// A merged range inside the fixed rows: one centred line, cut with an ellipsis.
    bool bCentredLine = false;
    QColor highlight;
    QColor highlightText;
    int nMargin = 2;
    /// The font last set on the painter by a cell of this paint (comparing fonts is dear).
    mutable const QFont* pPainterFont = nullptr;
    /// Laid-out texts in the font pCacheFont, kept by the grid between paints: a grid repeats
    /// a few short texts thousands of times, and laying a text out costs more than drawing it.
    QHash<QString, QStaticText>* pTextCache = nullptr;
    const QFont* pCacheFont = nullptr;
};

class CGridDefaultCell;

/// The cell interface: text, colours, format and state, drawing and the end of an edit.
class CGridCellBase {
public:
    virtual ~CGridCellBase() = default;

    [[nodiscard]] virtual QString GetText() const = 0;
    virtual void SetText(const QString& text) = 0;
    [[nodiscard]] virtual int GetImage() const = 0;
    virtual void SetImage(int image) = 0;
    [[nodiscard]] virtual std::uintptr_t GetData() const = 0;
    virtual void SetData(std::uintptr_t data) = 0;
    [[nodiscard]] virtual unsigned GetState() const = 0;
    virtual void SetState(unsigned state) = 0;
    [[nodiscard]] virtual unsigned GetFormat() const = 0;
    virtual void SetFormat(unsigned format) = 0;
    /// The cell's own colours; kDefaultColour when it uses its default cell's.
    [[nodiscard]] virtual grid::Colour GetBackClr() const = 0;
    virtual void SetBackClr(grid::Colour colour) = 0;
    [[nodiscard]] virtual grid::Colour GetTextClr() const = 0;
    virtual void SetTextClr(grid::Colour colour) = 0;
    [[nodiscard]] virtual QFont GetFont() const = 0;
    virtual void SetFont(const QFont& font) = 0;
    /// The appearance this cell falls back to; nullptr for a default cell itself.
    [[nodiscard]] virtual const CGridDefaultCell* GetDefaultCell() const = 0;

    /// The colours the cell is drawn in, defaults resolved.
    [[nodiscard]] grid::Colour GetEffectiveBackClr() const;
    [[nodiscard]] grid::Colour GetEffectiveTextClr() const;

    [[nodiscard]] virtual bool IsReadOnly() const {
        return (GetState() & grid::kStateReadOnly) != 0;
    }
    /// The in-place editor ended with text accepted.
    virtual void EndEdit(const QString& text) { SetText(text); }

    /// Draws background and text into rect (the grid draws lines, focus and selection frame).
    virtual void Draw(QPainter& painter, const QRect& rect, const SCellDrawContext& context) const;

    /// Draws one text the way cells do; used by the grid for merged ranges and printing.
    static void DrawText(QPainter& painter, const QRect& rect, const QString& text, unsigned format,
                         bool centredLine, int margin,
                         QHash<QString, QStaticText>* cache = nullptr);
};

/// The default appearance of one area of the grid (normal cells, fixed rows, fixed columns,
/// the corner where both meet).
class CGridDefaultCell : public CGridCellBase {
public:
    [[nodiscard]] QString GetText() const override { return m_strText; }
    void SetText(const QString& text) override { m_strText = text; }
    [[nodiscard]] int GetImage() const override { return m_nImage; }
    void SetImage(int image) override { m_nImage = image; }
    [[nodiscard]] std::uintptr_t GetData() const override { return m_lParam; }
    void SetData(std::uintptr_t data) override { m_lParam = data; }
    [[nodiscard]] unsigned GetState() const override { return m_nState; }
    void SetState(unsigned state) override { m_nState = state; }
    [[nodiscard]] unsigned GetFormat() const override { return m_nFormat; }
    void SetFormat(unsigned format) override { m_nFormat = format; }
    [[nodiscard]] grid::Colour GetBackClr() const override { return m_crBack; }
    void SetBackClr(grid::Colour colour) override { m_crBack = colour; }
    [[nodiscard]] grid::Colour GetTextClr() const override { return m_crText; }
    void SetTextClr(grid::Colour colour) override { m_crText = colour; }
    [[nodiscard]] QFont GetFont() const override { return m_font; }
    void SetFont(const QFont& font) override { m_font = font; }
    [[nodiscard]] const CGridDefaultCell* GetDefaultCell() const override { return nullptr; }
    [[nodiscard]] const QFont& FontRef() const { return m_font; }

private:
    QString m_strText;
    int m_nImage = -1;
    std::uintptr_t m_lParam = 0;
    unsigned m_nState = 0;
    unsigned m_nFormat = grid::kDefaultFormat;
    grid::Colour m_crBack = grid::Rgb(255, 255, 255);
    grid::Colour m_crText = grid::Rgb(0, 0, 0);
    QFont m_font;
};

/// A cell of the grid. It is a light handle onto the grid's compact storage: an empty cell has
/// no record, and a record that returns to the empty state is released.
class CGridCell : public CGridCellBase {
public:
    CGridCell(CGridCellStore& store, int row, int col, const CGridDefaultCell& defaultCell)
        : m_store(store), m_nRow(row), m_nCol(col), m_default(defaultCell) {}

    [[nodiscard]] int GetRow() const { return m_nRow; }
    [[nodiscard]] int GetColumn() const { return m_nCol; }
    /// The cell holds a record (something other than the empty state).
    [[nodiscard]] bool HasRecord() const { return m_store.Find(m_nRow, m_nCol) != nullptr; }

    [[nodiscard]] QString GetText() const override;
    void SetText(const QString& text) override;
    [[nodiscard]] int GetImage() const override;
    void SetImage(int image) override;
    [[nodiscard]] std::uintptr_t GetData() const override;
    void SetData(std::uintptr_t data) override;
    [[nodiscard]] unsigned GetState() const override;
    void SetState(unsigned state) override;
    [[nodiscard]] unsigned GetFormat() const override;
    void SetFormat(unsigned format) override;
    [[nodiscard]] grid::Colour GetBackClr() const override;
    void SetBackClr(grid::Colour colour) override;
    [[nodiscard]] grid::Colour GetTextClr() const override;
    void SetTextClr(grid::Colour colour) override;
    [[nodiscard]] QFont GetFont() const override;
    void SetFont(const QFont& font) override;
    [[nodiscard]] const CGridDefaultCell* GetDefaultCell() const override { return &m_default; }

    void Draw(QPainter& painter, const QRect& rect, const SCellDrawContext& context) const override;

private:
    void ReleaseIfEmpty();

    CGridCellStore& m_store;
    int m_nRow;
    int m_nCol;
    const CGridDefaultCell& m_default;
};
