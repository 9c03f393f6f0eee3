#pragma once

#include "CellRange.h"
#include "GridCell.h"
#include "GridCellStore.h"
#include "GridGeometry.h"
#include "GridInPlaceEdit.h"
#include "TitleTip.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPointer>

#include <functional>
#include <optional>
#include <vector>

class QPrinter;

/// A scrollable spreadsheet-like window of cells with fixed header rows and columns, used by
/// every chart page and result view. Cells live in a compact store, sizes, scrolling and merged
/// ranges in CGridGeometry; painting goes through an off-screen image and touches only the
/// cells inside the repainted part of the window.
class CGridCtrl : public QAbstractScrollArea {
    Q_OBJECT

public:
    /// The two versions of the control that the programs carry. The older one (Quillon,
    /// QuillonOrlo) prints in "Times New Roman" and splits pasted cells at tab, ',' and line
    /// feed; the newer one (Sondex) prints in "Arial" and splits cells at tab and ','.
    enum class EFlavour { Newer, Older };

    /// Areas with their own default appearance.
    enum EArea { kAreaNormal = 0, kAreaFixedRow = 1, kAreaFixedCol = 2, kAreaFixedBoth = 3 };

    explicit CGridCtrl(int rows = 0, int cols = 0, int fixedRows = 0, int fixedCols = 0,
                       QWidget* parent = nullptr);
    ~CGridCtrl() override;
    CGridCtrl(const CGridCtrl&) = delete;
    CGridCtrl& operator=(const CGridCtrl&) = delete;

    /// Places the grid as a child of parent over rect; id is kept as the "gridId" property.
    bool Create(const QRect& rect, QWidget* parent, int id);

    void SetFlavour(EFlavour flavour) { m_eFlavour = flavour; }
    [[nodiscard]] EFlavour GetFlavour() const { return m_eFlavour; }

    // --- size ----------------------------------------------------------------------------
    [[nodiscard]] int GetRowCount() const { return m_geometry.GetRowCount(); }
    [[nodiscard]] int GetColumnCount() const { return m_geometry.GetColumnCount(); }
    [[nodiscard]] int GetFixedRowCount() const { return m_geometry.GetFixedRowCount(); }
    [[nodiscard]] int GetFixedColumnCount() const { return m_geometry.GetFixedColumnCount(); }
    bool SetRowCount(int rows);
    bool SetColumnCount(int cols);
    bool SetFixedRowCount(int fixedRows);
    bool SetFixedColumnCount(int fixedCols);

    [[nodiscard]] int GetRowHeight(int row) const { return m_geometry.GetRowHeight(row); }
    [[nodiscard]] int GetColumnWidth(int col) const { return m_geometry.GetColumnWidth(col); }
    bool SetRowHeight(int row, int height);
    bool SetColumnWidth(int col, int width);
    /// Zoom helpers: add delta to every row height (column width) from first on where the
    /// result lies in [minSize, maxSize]; cells are not touched.
    void AddToRowHeights(int firstRow, int delta, int minSize, int maxSize);
    void AddToColumnWidths(int firstCol, int delta, int minSize, int maxSize);
    [[nodiscard]] int GetDefaultRowHeight() const { return m_nDefRowHeight; }
    [[nodiscard]] int GetDefaultColumnWidth() const { return m_nDefColWidth; }
    void SetDefaultRowHeight(int height) { m_nDefRowHeight = std::max(0, height); }
    void SetDefaultColumnWidth(int width) { m_nDefColWidth = std::max(0, width); }

    // --- cells ---------------------------------------------------------------------------
    [[nodiscard]] bool IsValid(int row, int col) const {
        return row >= 0 && row < GetRowCount() && col >= 0 && col < GetColumnCount();
    }
    /// The cell, or none outside the grid.
    [[nodiscard]] std::optional<CGridCell> GetCell(int row, int col);
    /// Sets the fields selected by the mask and redraws the cell.
    bool SetItem(const SGridItem& item);
    /// Fills the fields selected by item.nMask from the cell at (item.nRow, item.nCol).
    bool GetItem(SGridItem& item) const;
    bool SetItemText(int row, int col, const QString& text);
    bool SetItemText(int row, int col, const std::wstring& text) {
        return SetItemText(row, col, QString::fromStdWString(text));
    }
    [[nodiscard]] QString GetItemText(int row, int col) const;
    bool SetItemFormat(int row, int col, unsigned format);
    [[nodiscard]] unsigned GetItemFormat(int row, int col) const;
    bool SetItemBkColour(int row, int col, grid::Colour colour = grid::kDefaultColour);
    [[nodiscard]] grid::Colour GetItemBkColour(int row, int col) const;
    bool SetItemFgColour(int row, int col, grid::Colour colour = grid::kDefaultColour);
    [[nodiscard]] grid::Colour GetItemFgColour(int row, int col) const;
    bool SetItemState(int row, int col, unsigned state);
    [[nodiscard]] unsigned GetItemState(int row, int col) const;
    bool SetItemData(int row, int col, std::uintptr_t data);
    [[nodiscard]] std::uintptr_t GetItemData(int row, int col) const;
    bool SetItemImage(int row, int col, int image);
    [[nodiscard]] int GetItemImage(int row, int col) const;
    bool SetItemFont(int row, int col, const QFont& font);
    [[nodiscard]] QFont GetItemFont(int row, int col) const;
    /// The colour the cell is painted in (its own or its default cell's).
    [[nodiscard]] grid::Colour GetEffectiveBkColour(int row, int col) const;

    /// Default appearance of an area; changing it changes every cell that has no value of its
    /// own. Call Refresh() afterwards.
    [[nodiscard]] CGridDefaultCell& GetDefaultCell(bool fixedRow, bool fixedCol);
    [[nodiscard]] const CGridDefaultCell& GetDefaultCell(bool fixedRow, bool fixedCol) const;
    /// font for the widget and the four default cells (fixed or not, row and column).
    void SetFontEverywhere(const QFont& font);
    [[nodiscard]] EArea GetArea(int row, int col) const;

    // --- colours -------------------------------------------------------------------------
    void SetGridBkColour(grid::Colour colour);
    [[nodiscard]] grid::Colour GetGridBkColour() const { return m_crGridBk; }
    void SetGridLineColour(grid::Colour colour);
    [[nodiscard]] grid::Colour GetGridLineColour() const { return m_crGridLine; }
    /// Background of normal cells (the normal default cell) and of all fixed default cells.
    void SetTextBkColour(grid::Colour colour);
    void SetFixedBkColour(grid::Colour colour);
    void SetTextColour(grid::Colour colour);

    // --- flags ---------------------------------------------------------------------------
    void SetEditable(bool editable = true) { m_bEditable = editable; }
    [[nodiscard]] bool IsEditable() const { return m_bEditable; }
    void EnableDragAndDrop(bool allow = true);
    [[nodiscard]] bool IsDragAndDropEnabled() const { return m_bDragAndDrop; }
    void EnableTitleTips(bool enable = true) { m_bTitleTips = enable; }

    // --- merges and rows (older version) -------------------------------------------------
    /// Inserts an empty row before index; a negative index appends. Fails with -1 for an index
    /// at or beyond the row count. Returns the new row's index.
    int InsertRow(int index = -1);
    /// Joins (row, col)..(row + extraRows, col + extraCols) into one cell; false when refused.
    bool Merge(int row, int col, int extraRows, int extraCols);
    /// One-row form; also refuses a range starting in the fixed rows or columns.
    bool Merge(int row, int col, int extraCols);
    [[nodiscard]] CCellRange GetMergedRange(int row, int col) const {
        return m_geometry.GetMergedRange(row, col);
    }

    // --- selection and focus -------------------------------------------------------------
    [[nodiscard]] SCellId GetFocusCell() const { return m_focus; }
    void SetFocusCell(int row, int col);
    [[nodiscard]] bool IsCellSelected(int row, int col) const;
    /// The smallest range holding every selected cell (invalid when nothing is selected).
    [[nodiscard]] CCellRange GetSelectedRange() const;
    void SetSelectedRange(const CCellRange& range, bool keepOthers = false);
    void SelectAllCells();
    void ClearSelection();

    // --- clipboard -----------------------------------------------------------------------
    /// The text copy puts on the clipboard for the current selection.
    [[nodiscard]] QString GetCopyText() const;
    [[nodiscard]] QString GetCopyText(const CCellRange& range) const;
    void OnEditCopy();
    /// Editable grids only: copy, then empty the selected cells' texts.
    void OnEditCut();
    /// Editable grids only: fill from the focus cell with the clipboard text.
    void OnEditPaste();
    /// Fills the grid from (row, col) with rows split at line feeds and cells at the flavour's
    /// separators. Returns false (and changes nothing) when the grid is not editable.
    bool PasteText(const QString& text, int row, int col);

    // --- painting and printing -----------------------------------------------------------
    void RedrawCell(int row, int col);
    void Refresh();
    /// Scrolling in pixels of the non-fixed part.
    void SetScrollPos(int x, int y);
    [[nodiscard]] int GetScrollX() const { return m_geometry.GetScrollX(); }
    [[nodiscard]] int GetScrollY() const { return m_geometry.GetScrollY(); }
    void EnsureVisible(int row, int col);
    /// Cells drawn by the last paint (merged ranges count once): painting is proportional to
    /// what is visible, not to the grid.
    [[nodiscard]] long long GetLastPaintedCellCount() const { return m_nPaintedCells; }
    [[nodiscard]] const CGridGeometry& Geometry() const { return m_geometry; }
    /// Client rectangle of a cell (of its merge), in viewport coordinates.
    [[nodiscard]] QRect GetCellRect(int row, int col) const {
        return m_geometry.GetCellRect(row, col);
    }
    /// Paints the part dirty of the grid, in viewport coordinates, with painter.
    void Render(QPainter& painter, const QRect& dirty);
    /// The whole grid at its current zoom, every row and column and not only what is in
    /// view; a null image when it is empty or larger than maxPixels.
    [[nodiscard]] QImage RenderWhole(long long maxPixels);
    /// Prints every cell on pages with the "Page %d of %d" footer; returns the number of pages,
    /// 0 when nothing could be printed.
    int Print(QPrinter& printer);
    /// Prints to a PDF file (where no printer exists).
    int PrintToPdf(const QString& path);
    /// Paints the printed pages into area of painter, whose fonts are measured on device;
    /// newPage starts the next page (false stops). Returns the number of pages.
    int PrintPages(QPainter& painter, const QRect& area, QPaintDevice& device,
                   const std::function<bool()>& newPage);
    [[nodiscard]] QString GetPrintFontFamily() const;

    /// Bytes held by the cells' storage.
    [[nodiscard]] size_t GetCellMemoryBytes() const { return m_store.GetMemoryBytes(); }
    [[nodiscard]] size_t GetFilledCellCount() const { return m_store.GetFilledCount(); }

    // --- editing -------------------------------------------------------------------------
    /// Opens the in-place editor over the cell (editable grids, non-fixed, non-read-only
    /// cells); initial is the typed character that started the edit, if any.
    bool EditCell(int row, int col, QChar initial = QChar());
    [[nodiscard]] bool IsEditing() const { return !m_pEdit.isNull(); }
    [[nodiscard]] CInPlaceEdit* GetInPlaceEdit() const { return m_pEdit.data(); }
    [[nodiscard]] CTitleTip* GetTitleTip() const { return m_pTitleTip; }

signals:
    void focusCellChanged(int row, int col);
    void selectionChanged();
    void cellClicked(int row, int col);
    void cellDoubleClicked(int row, int col);
    void beginEdit(int row, int col);
    /// accepted: the text was taken into the cell.
    void endEdit(int row, int col, bool accepted);
    void cellTextChanged(int row, int col);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void UpdateScrollBars();
    /// Scroll bars follow size changes once the current batch of changes is done.
    void ScheduleScrollBars();
    void SizeChanged();
    void MoveFocus(int dRow, int dCol, bool extend);
    void SetFocusAndSelect(const SCellId& cell, Qt::KeyboardModifiers modifiers);
    void SelectByHeader(const SCellId& cell, Qt::KeyboardModifiers modifiers);
    void OnEditFinished(int row, int col, const QString& text, bool accepted, int key);
    void UpdateTitleTip(const QPoint& pos);
    void StartDrag();
    [[nodiscard]] QString CopyTextOf(const CCellRange& range) const;
    [[nodiscard]] const CGridDefaultCell& DefaultFor(int row, int col) const {
        return m_defaults[GetArea(row, col)];
    }
    void RenderArea(QPainter& painter, const QRect& clip, int firstRow, int lastRow, int firstCol,
                    int lastCol, std::vector<QLine>& lines);
    void InvalidateCellRect(int row, int col);
    bool m_bRenderingWhole = false; ///< RenderWhole has set the viewport to the whole grid

    CGridGeometry m_geometry;
    CGridCellStore m_store;
    CGridDefaultCell m_defaults[4];
    EFlavour m_eFlavour = EFlavour::Newer;

    grid::Colour m_crGridBk = 0;
    grid::Colour m_crGridLine = grid::Rgb(192, 192, 192);
    int m_nDefRowHeight = 20;
    int m_nDefColWidth = 64;

    bool m_bEditable = true;
    bool m_bDragAndDrop = false; // dragging the selected text out
    bool m_bTitleTips = true;

    SCellId m_focus;
    SCellId m_anchor;
    std::vector<CCellRange> m_selection;
    bool m_bSelecting = false;
    bool m_bDragPending = false;
    QPoint m_dragStart;
    int m_nWheelRemainder = 0;
    bool m_bScrollBarsPending = false;

    QImage m_buffer; // off-screen surface copied to the window in one step
    QHash<QString, QStaticText> m_textCache;
    QFont m_cacheFont;
    long long m_nPaintedCells = 0;
    QPointer<CInPlaceEdit> m_pEdit;
    CTitleTip* m_pTitleTip = nullptr;
    SCellId m_tipCell;
};
