#include "GridCtrl.h"

#include "GridInPlaceEdit.h"
#include "TitleTip.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

using namespace grid;

namespace {

constexpr int kTextMargin = 2;

} // namespace

CGridCtrl::CGridCtrl(int rows, int cols, int fixedRows, int fixedCols, QWidget* parent)
    : QAbstractScrollArea(parent) {
    const QPalette pal = palette();
    const Colour window = FromQColor(pal.color(QPalette::Base));
    const Colour windowText = FromQColor(pal.color(QPalette::Text));
    const Colour face = FromQColor(pal.color(QPalette::Button));
    m_crGridBk = FromQColor(pal.color(QPalette::Dark)); // the button shadow colour
    for (int i = 0; i < 4; ++i) {
        m_defaults[i].SetFont(font());
        m_defaults[i].SetTextClr(windowText);
        m_defaults[i].SetBackClr(i == kAreaNormal ? window : face);
    }
    const QFontMetrics fm(font());
    m_nDefRowHeight = fm.height() + 2 * 3;
    m_nDefColWidth = fm.averageCharWidth() * 8 + 2 * kTextMargin;

    setFocusPolicy(Qt::StrongFocus);
    // Dropped text is taken by editable grids; the drag-and-drop flag only allows dragging out.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setMouseTracking(true);
    // The grid paints every pixel of the viewport itself from its own off-screen image.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pTitleTip = new CTitleTip(this);

    SetRowCount(rows);
    SetColumnCount(cols);
    SetFixedRowCount(fixedRows);
    SetFixedColumnCount(fixedCols);
}

CGridCtrl::~CGridCtrl() {
    // An open editor would report its end from the base-class destructor, too late for us.
    if (m_pEdit) {
        disconnect(m_pEdit, nullptr, this, nullptr);
        delete m_pEdit.data();
    }
}

bool CGridCtrl::Create(const QRect& rect, QWidget* parent, int id) {
    setParent(parent);
    setGeometry(rect);
    setProperty("gridId", id);
    show();
    return true;
}

// --- size --------------------------------------------------------------------------------

bool CGridCtrl::SetRowCount(int rows) {
    if (rows < 0)
        return false;
    if (m_pEdit)
        m_pEdit->EndEdit(false);
    m_geometry.SetRowCount(rows, m_nDefRowHeight);
    m_store.SetSize(rows, GetColumnCount());
    SizeChanged();
    return true;
}

bool CGridCtrl::SetColumnCount(int cols) {
    if (cols < 0)
        return false;
    if (m_pEdit)
        m_pEdit->EndEdit(false);
    m_geometry.SetColumnCount(cols, m_nDefColWidth);
    m_store.SetSize(GetRowCount(), cols);
    SizeChanged();
    return true;
}

bool CGridCtrl::SetFixedRowCount(int fixedRows) {
    if (fixedRows < 0)
        return false;
    if (fixedRows > GetRowCount())
        SetRowCount(fixedRows);
    m_geometry.SetFixedRowCount(fixedRows, m_nDefRowHeight);
    SizeChanged();
    return true;
}

bool CGridCtrl::SetFixedColumnCount(int fixedCols) {
    if (fixedCols < 0)
        return false;
    if (fixedCols > GetColumnCount())
        SetColumnCount(fixedCols);
    m_geometry.SetFixedColumnCount(fixedCols, m_nDefColWidth);
    SizeChanged();
    return true;
}

void CGridCtrl::SizeChanged() {
    // Focus and selection never point outside the grid.
    if (m_focus.IsValid() && !IsValid(m_focus.nRow, m_focus.nCol))
        m_focus = SCellId{};
    if (m_anchor.IsValid() && !IsValid(m_anchor.nRow, m_anchor.nCol))
        m_anchor = SCellId{};
    const CCellRange all(0, 0, GetRowCount() - 1, GetColumnCount() - 1);
    std::vector<CCellRange> kept;
    for (const CCellRange& range : m_selection) {
        const CCellRange cut = range.Intersect(all);
        if (cut.IsValid())
            kept.push_back(cut);
    }
    m_selection.swap(kept);
    UpdateScrollBars();
    viewport()->update();
}

bool CGridCtrl::SetRowHeight(int row, int height) {
    if (!m_geometry.SetRowHeight(row, height))
        return false;
    ScheduleScrollBars();
    viewport()->update();
    return true;
}

bool CGridCtrl::SetColumnWidth(int col, int width) {
    if (!m_geometry.SetColumnWidth(col, width))
        return false;
    ScheduleScrollBars();
    viewport()->update();
    return true;
}

void CGridCtrl::AddToRowHeights(int firstRow, int delta, int minSize, int maxSize) {
    m_geometry.AddToRowHeights(firstRow, delta, minSize, maxSize);
    UpdateScrollBars();
    viewport()->update();
}

void CGridCtrl::AddToColumnWidths(int firstCol, int delta, int minSize, int maxSize) {
    m_geometry.AddToColumnWidths(firstCol, delta, minSize, maxSize);
    UpdateScrollBars();
    viewport()->update();
}

// --- cells -------------------------------------------------------------------------------

CGridCtrl::EArea CGridCtrl::GetArea(int row, int col) const {
    const bool fixedRow = row < GetFixedRowCount();
    const bool fixedCol = col < GetFixedColumnCount();
    if (fixedRow && fixedCol)
        return kAreaFixedBoth;
    if (fixedRow)
        return kAreaFixedRow;
    if (fixedCol)
        return kAreaFixedCol;
    return kAreaNormal;
}

CGridDefaultCell& CGridCtrl::GetDefaultCell(bool fixedRow, bool fixedCol) {
    return m_defaults[(fixedRow ? 1 : 0) + (fixedCol ? 2 : 0)];
}

const CGridDefaultCell& CGridCtrl::GetDefaultCell(bool fixedRow, bool fixedCol) const {
    return m_defaults[(fixedRow ? 1 : 0) + (fixedCol ? 2 : 0)];
}

std::optional<CGridCell> CGridCtrl::GetCell(int row, int col) {
    if (!IsValid(row, col))
        return std::nullopt;
    return CGridCell(m_store, row, col, DefaultFor(row, col));
}

bool CGridCtrl::SetItem(const SGridItem& item) {
    std::optional<CGridCell> cell = GetCell(item.nRow, item.nCol);
    if (!cell)
        return false;
    if (item.nMask & kMaskText)
        cell->SetText(item.strText);
    if (item.nMask & kMaskImage)
        cell->SetImage(item.nImage);
    if (item.nMask & kMaskData)
        cell->SetData(item.lParam);
    if (item.nMask & kMaskState) {
        cell->SetState(item.nState);
        const bool selected = IsCellSelected(item.nRow, item.nCol);
        if ((item.nState & kStateSelected) && !selected)
            m_selection.emplace_back(item.nRow, item.nCol, item.nRow, item.nCol);
        else if (!(item.nState & kStateSelected) && selected)
            std::erase(m_selection, CCellRange(item.nRow, item.nCol, item.nRow, item.nCol));
        if (item.nState & kStateFocused)
            m_focus = {item.nRow, item.nCol};
    }
    if (item.nMask & kMaskBackColour)
        cell->SetBackClr(item.crBackClr);
    if (item.nMask & kMaskTextColour)
        cell->SetTextClr(item.crTextClr);
    if (item.nMask & kMaskFormat)
        cell->SetFormat(item.nFormat);
    if (item.nMask & kMaskFont)
        cell->SetFont(item.font);
    if (item.nMask & kMaskText)
        emit cellTextChanged(item.nRow, item.nCol);
    RedrawCell(item.nRow, item.nCol);
    return true;
}

bool CGridCtrl::GetItem(SGridItem& item) const {
    if (!IsValid(item.nRow, item.nCol))
        return false;
    const CGridCell cell(const_cast<CGridCellStore&>(m_store), item.nRow, item.nCol,
                         DefaultFor(item.nRow, item.nCol));
    if (item.nMask & kMaskText)
        item.strText = cell.GetText();
    if (item.nMask & kMaskImage)
        item.nImage = cell.GetImage();
    if (item.nMask & kMaskData)
        item.lParam = cell.GetData();
    if (item.nMask & kMaskState)
        item.nState = GetItemState(item.nRow, item.nCol);
    if (item.nMask & kMaskBackColour)
        item.crBackClr = cell.GetBackClr();
    if (item.nMask & kMaskTextColour)
        item.crTextClr = cell.GetTextClr();
    if (item.nMask & kMaskFormat)
        item.nFormat = cell.GetFormat();
    if (item.nMask & kMaskFont)
        item.font = cell.GetFont();
    return true;
}

bool CGridCtrl::SetItemText(int row, int col, const QString& text) {
    SGridItem item;
    item.nRow = row;
    item.nCol = col;
    item.nMask = kMaskText;
    item.strText = text;
    return SetItem(item);
}

QString CGridCtrl::GetItemText(int row, int col) const {
    const SCellData* d = m_store.Find(row, col);
    return d ? d->text.ToQString() : QString();
}

bool CGridCtrl::SetItemFormat(int row, int col, unsigned format) {
    SGridItem item;
    item.nRow = row;
    item.nCol = col;
    item.nMask = kMaskFormat;
    item.nFormat = format;
    return SetItem(item);
}

unsigned CGridCtrl::GetItemFormat(int row, int col) const {
    SGridItem item;
    item.nRow = row;
    item.nCol = col;
    item.nMask = kMaskFormat;
    return GetItem(item) ? item.nFormat : 0;
}

bool CGridCtrl::SetItemBkColour(int row, int col, Colour colour) {
    SGridItem item;
    item.nRow = row;
    item.nCol = col;
    item.nMask = kMaskBackColour;
    item.crBackClr = colour;
    return SetItem(item);
}

Colour CGridCtrl::GetItemBkColour(int row, int col) const {
    const SCellData* d = m_store.Find(row, col);
    return d ? d->crBack : kDefaultColour;
}

Colour CGridCtrl::GetEffectiveBkColour(int row, int col) const {
    const Colour own = GetItemBkColour(row, col);
    return own == kDefaultColour ? DefaultFor(row, col).GetBackClr() : own;
}

bool CGridCtrl::SetItemFgColour(int row, int col, Colour colour) {
    SGridItem item;
    item.nRow = row;
    item.nCol = col;
    item.nMask = kMaskTextColour;
    item.crTextClr = colour;
    return SetItem(item);
}

Colour CGridCtrl::GetItemFgColour(int row, int col) const {
    const SCellData* d = m_store.Find(row, col);
    return d ? d->crText : kDefaultColour;
}

bool CGridCtrl::SetItemState(int row, int col, unsigned state) {
    SGridItem item;
    item.nRow = row;
    item.nCol = col;
    item.nMask = kMaskState;
    item.nState = state;
    return SetItem(item);
}

unsigned CGridCtrl::GetItemState(int row, int col) const {
    if (!IsValid(row, col))
        return 0;
    const SCellData* d = m_store.Find(row, col);
    unsigned state = d ? d->nState : 0;
    if (IsCellSelected(row, col))
        state |= kStateSelected;
    if (m_focus == SCellId{row, col})
        state |= kStateFocused;
    return state;
}

bool CGridCtrl::SetItemData(int row, int col, std::uintptr_t data) {
    SGridItem item;
    item.nRow = row;
    item.nCol = col;
    item.nMask = kMaskData;
    item.lParam = data;
    return SetItem(item);
}

std::uintptr_t CGridCtrl::GetItemData(int row, int col) const {
    return m_store.GetData(row, col);
}

bool CGridCtrl::SetItemImage(int row, int col, int image) {
    SGridItem item;
    item.nRow = row;
    item.nCol = col;
    item.nMask = kMaskImage;
    item.nImage = image;
    return SetItem(item);
}

int CGridCtrl::GetItemImage(int row, int col) const {
    const SCellData* d = m_store.Find(row, col);
    return d ? d->nImage : -1;
}

bool CGridCtrl::SetItemFont(int row, int col, const QFont& font) {
    SGridItem item;
    item.nRow = row;
    item.nCol = col;
    item.nMask = kMaskFont;
    item.font = font;
    return SetItem(item);
}

QFont CGridCtrl::GetItemFont(int row, int col) const {
    SGridItem item;
    item.nRow = row;
    item.nCol = col;
    item.nMask = kMaskFont;
    return GetItem(item) ? item.font : font();
}

// --- colours and flags -------------------------------------------------------------------

void CGridCtrl::SetGridBkColour(Colour colour) {
    m_crGridBk = colour;
    viewport()->update();
}

void CGridCtrl::SetGridLineColour(Colour colour) {
    m_crGridLine = colour;
    viewport()->update();
}

void CGridCtrl::SetTextBkColour(Colour colour) {
    m_defaults[kAreaNormal].SetBackClr(colour);
    viewport()->update();
}

void CGridCtrl::SetFixedBkColour(Colour colour) {
    for (int area : {kAreaFixedRow, kAreaFixedCol, kAreaFixedBoth})
        m_defaults[area].SetBackClr(colour);
    viewport()->update();
}

void CGridCtrl::SetTextColour(Colour colour) {
    m_defaults[kAreaNormal].SetTextClr(colour);
    viewport()->update();
}

void CGridCtrl::EnableDragAndDrop(bool allow) {
    m_bDragAndDrop = allow;
}

// --- rows and merges ---------------------------------------------------------------------

int CGridCtrl::InsertRow(int index) {
    if (index >= GetRowCount())
        return -1;
    if (index < 0)
        index = GetRowCount();
    ClearSelection();
    if (m_pEdit)
        m_pEdit->EndEdit(false);
    if (GetColumnCount() == 0)
        SetColumnCount(1);
    m_geometry.InsertRow(index, m_nDefRowHeight);
    m_store.InsertRow(index);
    // Each new cell below row 0 takes the text format of the cell above it.
    if (index > 0) {
        for (int col = 0; col < GetColumnCount(); ++col) {
            const unsigned format = GetItemFormat(index - 1, col);
            if (format != DefaultFor(index, col).GetFormat()) {
                SCellData* cell = m_store.Ensure(index, col);
                cell->nFormat = format;
                cell->nFlags |= SCellData::kHasFormat;
            }
        }
    }
    if (m_focus.IsValid() && m_focus.nRow >= index)
        ++m_focus.nRow;
    if (m_anchor.IsValid() && m_anchor.nRow >= index)
        ++m_anchor.nRow;
    UpdateScrollBars();
    viewport()->update();
    return index;
}

bool CGridCtrl::Merge(int row, int col, int extraRows, int extraCols) {
    if (!m_geometry.Merge(row, col, extraRows, extraCols))
        return false;
    viewport()->update();
    return true;
}

bool CGridCtrl::Merge(int row, int col, int extraCols) {
    if (!m_geometry.MergeRow(row, col, extraCols))
        return false;
    viewport()->update();
    return true;
}

// --- selection ---------------------------------------------------------------------------

bool CGridCtrl::IsCellSelected(int row, int col) const {
    for (const CCellRange& range : m_selection)
        if (range.InRange(row, col))
            return true;
    return false;
}

CCellRange CGridCtrl::GetSelectedRange() const {
    if (m_selection.empty())
        return {};
    CCellRange bound = m_selection.front();
    for (const CCellRange& range : m_selection)
        bound = CCellRange(std::min(bound.GetMinRow(), range.GetMinRow()),
                           std::min(bound.GetMinCol(), range.GetMinCol()),
                           std::max(bound.GetMaxRow(), range.GetMaxRow()),
                           std::max(bound.GetMaxCol(), range.GetMaxCol()));
    return bound;
}

void CGridCtrl::SetSelectedRange(const CCellRange& range, bool keepOthers) {
    if (!keepOthers)
        m_selection.clear();
    const CCellRange cut =
        range.Intersect(CCellRange(0, 0, GetRowCount() - 1, GetColumnCount() - 1));
    if (cut.IsValid())
        m_selection.push_back(cut);
    viewport()->update();
    emit selectionChanged();
}

void CGridCtrl::SelectAllCells() {
    SetSelectedRange(CCellRange(GetFixedRowCount(), GetFixedColumnCount(), GetRowCount() - 1,
                                GetColumnCount() - 1));
}

void CGridCtrl::ClearSelection() {
    if (m_selection.empty())
        return;
    m_selection.clear();
    viewport()->update();
    emit selectionChanged();
}

void CGridCtrl::SetFocusCell(int row, int col) {
    const SCellId cell = IsValid(row, col) ? m_geometry.GetMergeOwner(row, col) : SCellId{};
    if (cell == m_focus)
        return;
    if (m_focus.IsValid())
        InvalidateCellRect(m_focus.nRow, m_focus.nCol);
    m_focus = cell;
    if (m_focus.IsValid())
        InvalidateCellRect(m_focus.nRow, m_focus.nCol);
    emit focusCellChanged(m_focus.nRow, m_focus.nCol);
}

// --- clipboard ---------------------------------------------------------------------------

QString CGridCtrl::GetCopyText() const {
    return CopyTextOf(GetSelectedRange());
}

QString CGridCtrl::GetCopyText(const CCellRange& range) const {
    return CopyTextOf(range);
}

QString CGridCtrl::CopyTextOf(const CCellRange& range) const {
    QString out;
    if (!range.IsValid())
        return out;
    bool firstRow = true;
    for (int row = range.GetMinRow(); row <= range.GetMaxRow(); ++row) {
        if (m_geometry.GetRowHeight(row) <= 0)
            continue; // hidden rows are left out
        if (!firstRow)
            out += QStringLiteral("\r\n");
        firstRow = false;
        bool firstCol = true;
        for (int col = range.GetMinCol(); col <= range.GetMaxCol(); ++col) {
            if (m_geometry.GetColumnWidth(col) <= 0)
                continue;
            if (!firstCol)
                out += QLatin1Char('\t');
            firstCol = false;
            if (IsCellSelected(row, col))
                out += GetItemText(row, col);
        }
    }
    return out;
}

void CGridCtrl::OnEditCopy() {
    const CCellRange range = GetSelectedRange();
    if (!range.IsValid())
        return;
    auto* data = new QMimeData;
    // The narrow code page of this platform is UTF-8, which is what text/plain carries.
    data->setText(CopyTextOf(range));
    QApplication::clipboard()->setMimeData(data);
}

void CGridCtrl::OnEditCut() {
    if (!m_bEditable)
        return;
    const CCellRange range = GetSelectedRange();
    if (!range.IsValid())
        return;
    OnEditCopy();
    for (int row = range.GetMinRow(); row <= range.GetMaxRow(); ++row)
        for (int col = range.GetMinCol(); col <= range.GetMaxCol(); ++col)
            if (IsCellSelected(row, col) && !(GetItemState(row, col) & kStateReadOnly) &&
                !GetItemText(row, col).isEmpty())
                SetItemText(row, col, QString());
}

void CGridCtrl::OnEditPaste() {
    if (!m_bEditable)
        return;
    SCellId from = m_focus;
    if (!from.IsValid()) {
        const CCellRange sel = GetSelectedRange();
        if (!sel.IsValid())
            return;
        from = sel.GetTopLeft();
    }
    PasteText(QApplication::clipboard()->text(), from.nRow, from.nCol);
}

bool CGridCtrl::PasteText(const QString& text, int row, int col) {
    if (!m_bEditable || !IsValid(row, col))
        return false;
    QStringList lines = text.split(QLatin1Char('\n'));
    // Text copied from a grid ends its rows with CR LF and has no line after the last row.
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    const QString separators =
        m_eFlavour == EFlavour::Older ? QStringLiteral("\t,\n") : QStringLiteral("\t,");
    int r = row;
    for (QString line : lines) {
        if (r >= GetRowCount())
            break;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        // Empty pieces are kept so every value lands in the column it was copied from.
        int c = col;
        qsizetype start = 0;
        for (qsizetype i = 0; i <= line.size(); ++i) {
            if (i < line.size() && !separators.contains(line[i]))
                continue;
            if (c < GetColumnCount() && !(GetItemState(r, c) & kStateReadOnly))
                SetItemText(r, c, line.mid(start, i - start));
            ++c;
            start = i + 1;
        }
        ++r;
    }
    return true;
}

// --- painting ----------------------------------------------------------------------------

void CGridCtrl::RedrawCell(int row, int col) {
    InvalidateCellRect(row, col);
}

void CGridCtrl::InvalidateCellRect(int row, int col) {
    const QRect rect = m_geometry.GetCellRect(row, col);
    if (!rect.isEmpty() && rect.intersects(viewport()->rect()))
        viewport()->update(rect);
}

void CGridCtrl::Refresh() {
    UpdateScrollBars();
    viewport()->update();
}

void CGridCtrl::SetScrollPos(int x, int y) {
    m_geometry.SetScrollPos(x, y);
    UpdateScrollBars();
    viewport()->update();
}

void CGridCtrl::EnsureVisible(int row, int col) {
    m_geometry.EnsureVisible(row, col);
    UpdateScrollBars();
    viewport()->update();
}

void CGridCtrl::ScheduleScrollBars() {
    if (m_bScrollBarsPending)
        return;
    m_bScrollBarsPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_bScrollBarsPending)
                UpdateScrollBars();
        },
        Qt::QueuedConnection);
}

void CGridCtrl::UpdateScrollBars() {
    m_bScrollBarsPending = false;
    m_geometry.SetViewportSize(viewport()->width(), viewport()->height());
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    const QSignalBlocker hb(h);
    const QSignalBlocker vb(v);
    h->setRange(0, m_geometry.GetMaxScrollX());
    h->setPageStep(std::max(1, viewport()->width() - m_geometry.GetFixedWidth()));
    h->setSingleStep(std::max(1, m_nDefColWidth));
    h->setValue(m_geometry.GetScrollX());
    v->setRange(0, m_geometry.GetMaxScrollY());
    v->setPageStep(std::max(1, viewport()->height() - m_geometry.GetFixedHeight()));
    v->setSingleStep(std::max(1, m_nDefRowHeight));
    v->setValue(m_geometry.GetScrollY());
}

void CGridCtrl::scrollContentsBy(int, int) {
    m_geometry.SetScrollPos(horizontalScrollBar()->value(), verticalScrollBar()->value());
    if (m_pEdit)
        m_pEdit->EndEdit(true);
    m_pTitleTip->HideTip();
    viewport()->update();
}

void CGridCtrl::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

bool CGridCtrl::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Resize)
        UpdateScrollBars();
    return QAbstractScrollArea::viewportEvent(event);
}

void CGridCtrl::paintEvent(QPaintEvent* event) {
    const qreal dpr = viewport()->devicePixelRatioF();
    const QSize size = viewport()->size() * dpr;
    if (m_buffer.size() != size) {
        m_buffer = QImage(size, QImage::Format_RGB32);
        m_buffer.setDevicePixelRatio(dpr);
    }
    const QRect dirty = event->rect();
    {
        QPainter painter(&m_buffer);
        Render(painter, dirty);
    }
    QPainter window(viewport());
    window.drawImage(dirty, m_buffer,
                     QRectF(QPointF(dirty.topLeft()) * dpr, QSizeF(dirty.size()) * dpr));
}

QImage CGridCtrl::RenderWhole(long long maxPixels) {
    const int width = m_geometry.GetTotalWidth();
    const int height = m_geometry.GetTotalHeight();
    if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > maxPixels) {
        return QImage();
    }
    QImage image(width, height, QImage::Format_RGB32);
    const int scrollX = m_geometry.GetScrollX();
    const int scrollY = m_geometry.GetScrollY();
    // The viewport is made as large as the grid for one paint, then put back as it was.
    m_geometry.SetViewportSize(width, height);
    m_geometry.SetScrollPos(0, 0);
    m_bRenderingWhole = true;
    {
        QPainter painter(&image);
        Render(painter, QRect(0, 0, width, height));
    }
    m_bRenderingWhole = false;
    m_geometry.SetViewportSize(viewport()->width(), viewport()->height());
    m_geometry.SetScrollPos(scrollX, scrollY);
    return image;
}

void CGridCtrl::Render(QPainter& painter, const QRect& dirtyIn) {
    if (!m_bRenderingWhole) {
        m_geometry.SetViewportSize(viewport()->width(), viewport()->height());
    }
    const QRect view(0, 0, m_geometry.GetViewportWidth(), m_geometry.GetViewportHeight());
    const QRect dirty = dirtyIn.intersected(view);
    m_nPaintedCells = 0;
    if (m_cacheFont != m_defaults[kAreaNormal].FontRef()) {
        m_textCache.clear();
        m_cacheFont = m_defaults[kAreaNormal].FontRef();
    }
    painter.fillRect(dirty, ToQColor(m_crGridBk));
    if (dirty.isEmpty() || GetRowCount() == 0 || GetColumnCount() == 0)
        return;

    const int fixedRows = GetFixedRowCount();
    const int fixedCols = GetFixedColumnCount();
    const int fixedW = std::min(m_geometry.GetFixedWidth(), view.width());
    const int fixedH = std::min(m_geometry.GetFixedHeight(), view.height());
    const int sx = m_geometry.GetScrollX();
    const int sy = m_geometry.GetScrollY();

    // Rows and columns that meet the dirty part, in the scrolled and the fixed bands.
    auto span = [](const CGridGeometry& g, bool rows, int from, int to, int count) {
        const int first = rows ? g.RowAtVirtual(from) : g.ColumnAtVirtual(from);
        int last = rows ? g.RowAtVirtual(to) : g.ColumnAtVirtual(to);
        if (first < 0)
            return std::pair<int, int>(0, -1);
        if (last < 0)
            last = count - 1;
        return std::pair<int, int>(first, last);
    };
    const auto [r0, r1] = dirty.bottom() >= fixedH
                              ? span(m_geometry, true, std::max(dirty.top(), fixedH) + sy,
                                     dirty.bottom() + sy, GetRowCount())
                              : std::pair<int, int>(0, -1);
    const auto [c0, c1] = dirty.right() >= fixedW
                              ? span(m_geometry, false, std::max(dirty.left(), fixedW) + sx,
                                     dirty.right() + sx, GetColumnCount())
                              : std::pair<int, int>(0, -1);
    const int fr1 = dirty.top() < fixedH ? fixedRows - 1 : -1;
    const int fc1 = dirty.left() < fixedW ? fixedCols - 1 : -1;

    std::vector<QLine> lines;
    lines.reserve(1024);
    const QRect scrolled(fixedW, fixedH, view.width() - fixedW, view.height() - fixedH);
    const QRect topBand(fixedW, 0, view.width() - fixedW, fixedH);
    const QRect leftBand(0, fixedH, fixedW, view.height() - fixedH);
    const QRect corner(0, 0, fixedW, fixedH);
    RenderArea(painter, scrolled.intersected(dirty), std::max(r0, fixedRows), r1,
               std::max(c0, fixedCols), c1, lines);
    RenderArea(painter, topBand.intersected(dirty), 0, fr1, std::max(c0, fixedCols), c1, lines);
    RenderArea(painter, leftBand.intersected(dirty), std::max(r0, fixedRows), r1, 0, fc1, lines);
    RenderArea(painter, corner.intersected(dirty), 0, fr1, 0, fc1, lines);

    // The focus cell gets a frame inside its (merged) rectangle.
    if (m_focus.IsValid() && hasFocus()) {
        const QRect rect = m_geometry.GetCellRect(m_focus.nRow, m_focus.nCol);
        const QRect clip = GetArea(m_focus.nRow, m_focus.nCol) == kAreaNormal ? scrolled : view;
        if (rect.intersects(dirty)) {
            painter.save();
            painter.setClipRect(clip.intersected(dirty));
            painter.setPen(QPen(palette().color(QPalette::Text), 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(rect.adjusted(0, 0, -2, -2));
            painter.restore();
        }
    }
}

void CGridCtrl::RenderArea(QPainter& painter, const QRect& clip, int firstRow, int lastRow,
                           int firstCol, int lastCol, std::vector<QLine>& lines) {
    if (clip.isEmpty() || firstRow > lastRow || firstCol > lastCol)
        return;
    painter.save();
    painter.setClipRect(clip);
    lines.clear();
    SCellDrawContext context;
    context.highlight = palette().color(QPalette::Highlight);
    context.highlightText = palette().color(QPalette::HighlightedText);
    context.nMargin = kTextMargin;
    context.pPainterFont = nullptr;
    context.pCacheFont = &m_defaults[kAreaNormal].FontRef();
    context.pTextCache = &m_textCache;
    const std::vector<CCellRange>& merges = m_geometry.GetMerges();
    std::vector<char> mergeDrawn;
    const int fixedRows = GetFixedRowCount();
    const bool anySelection = !m_selection.empty();

    for (int row = firstRow; row <= lastRow; ++row) {
        if (m_geometry.GetRowHeight(row) <= 0)
            continue;
        for (int col = firstCol; col <= lastCol; ++col) {
            if (m_geometry.GetColumnWidth(col) <= 0)
                continue;
            int ownerRow = row;
            int ownerCol = col;
            QRect rect;
            const int mergeIndex = merges.empty() ? -1 : m_geometry.FindMerge(row, col);
            if (mergeIndex >= 0) {
                const CCellRange& merge = merges[static_cast<size_t>(mergeIndex)];
                // Skip the rest of the merge on this row; draw it once per area.
                const int mergeEnd = std::min(lastCol, merge.GetMaxCol());
                if (mergeDrawn.empty())
                    mergeDrawn.assign(merges.size(), 0);
                if (mergeDrawn[static_cast<size_t>(mergeIndex)]) {
                    col = mergeEnd;
                    continue;
                }
                mergeDrawn[static_cast<size_t>(mergeIndex)] = 1;
                ownerRow = merge.GetMinRow();
                ownerCol = merge.GetMinCol();
                rect = m_geometry.GetCellRect(ownerRow, ownerCol);
                context.bCentredLine = merge.GetMaxRow() < fixedRows;
                col = mergeEnd;
            } else {
                rect = m_geometry.GetSingleCellRect(row, col);
                context.bCentredLine = false;
            }
            context.bFixed = GetArea(ownerRow, ownerCol) != kAreaNormal;
            context.bSelected = anySelection && IsCellSelected(ownerRow, ownerCol);
            const CGridCell cell(m_store, ownerRow, ownerCol, DefaultFor(ownerRow, ownerCol));
            cell.Draw(painter, rect.adjusted(0, 0, -1, -1), context);
            ++m_nPaintedCells;
            lines.emplace_back(rect.right(), rect.top(), rect.right(), rect.bottom());
            lines.emplace_back(rect.left(), rect.bottom(), rect.right(), rect.bottom());
        }
    }
    painter.setPen(QPen(ToQColor(m_crGridLine), 0));
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
    painter.restore();
}

// --- mouse -------------------------------------------------------------------------------

void CGridCtrl::SetFocusAndSelect(const SCellId& hit, Qt::KeyboardModifiers modifiers) {
    const SCellId cell = m_geometry.GetMergeOwner(hit.nRow, hit.nCol);
    const CCellRange own = m_geometry.GetMergedRange(cell.nRow, cell.nCol);
    if ((modifiers & Qt::ShiftModifier) && m_anchor.IsValid()) {
        const CCellRange from = m_geometry.GetMergedRange(m_anchor.nRow, m_anchor.nCol);
        SetSelectedRange(CCellRange(std::min(from.GetMinRow(), own.GetMinRow()),
                                    std::min(from.GetMinCol(), own.GetMinCol()),
                                    std::max(from.GetMaxRow(), own.GetMaxRow()),
                                    std::max(from.GetMaxCol(), own.GetMaxCol())),
                         false);
    } else {
        m_anchor = cell;
        SetSelectedRange(own, (modifiers & Qt::ControlModifier) != 0);
    }
    SetFocusCell(cell.nRow, cell.nCol);
}

void CGridCtrl::SelectByHeader(const SCellId& cell, Qt::KeyboardModifiers modifiers) {
    const bool fixedRow = cell.nRow < GetFixedRowCount();
    const bool fixedCol = cell.nCol < GetFixedColumnCount();
    const int lastRow = GetRowCount() - 1;
    const int lastCol = GetColumnCount() - 1;
    const bool keep = (modifiers & Qt::ControlModifier) != 0;
    if (fixedRow && fixedCol)
        SelectAllCells();
    else if (fixedRow) // a header row names a column: select the column
        SetSelectedRange(CCellRange(GetFixedRowCount(), cell.nCol, lastRow, cell.nCol), keep);
    else
        SetSelectedRange(CCellRange(cell.nRow, GetFixedColumnCount(), cell.nRow, lastCol), keep);
}

void CGridCtrl::mousePressEvent(QMouseEvent* event) {
    m_pTitleTip->HideTip();
    setFocus(Qt::MouseFocusReason);
    const SCellId hit = m_geometry.HitTest(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !hit.IsValid()) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    if (GetArea(hit.nRow, hit.nCol) != kAreaNormal) {
        SelectByHeader(hit, event->modifiers());
        return;
    }
    const SCellId owner = m_geometry.GetMergeOwner(hit.nRow, hit.nCol);
    if (m_bDragAndDrop && IsCellSelected(owner.nRow, owner.nCol) &&
        !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))) {
        m_bDragPending = true;
        m_dragStart = event->position().toPoint();
        return;
    }
    SetFocusAndSelect(hit, event->modifiers());
    m_bSelecting = true;
}

void CGridCtrl::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (m_bDragPending && (event->buttons() & Qt::LeftButton)) {
        if ((pos - m_dragStart).manhattanLength() >= QApplication::startDragDistance()) {
            m_bDragPending = false;
            StartDrag();
        }
        return;
    }
    if (m_bSelecting && (event->buttons() & Qt::LeftButton)) {
        const QPoint inside(
            std::clamp(pos.x(), m_geometry.GetFixedWidth(), viewport()->width() - 1),
            std::clamp(pos.y(), m_geometry.GetFixedHeight(), viewport()->height() - 1));
        const SCellId hit = m_geometry.HitTest(inside);
        if (hit.IsValid() && GetArea(hit.nRow, hit.nCol) == kAreaNormal) {
            SetFocusAndSelect(hit, Qt::ShiftModifier);
            m_geometry.EnsureVisible(hit.nRow, hit.nCol);
            UpdateScrollBars();
        }
        return;
    }
    UpdateTitleTip(pos);
    QAbstractScrollArea::mouseMoveEvent(event);
}

void CGridCtrl::mouseReleaseEvent(QMouseEvent* event) {
    const SCellId hit = m_geometry.HitTest(event->position().toPoint());
    if (m_bDragPending) {
        // A click on a selected cell without dragging selects just that cell.
        m_bDragPending = false;
        if (hit.IsValid())
            SetFocusAndSelect(hit, Qt::NoModifier);
    }
    m_bSelecting = false;
    if (event->button() == Qt::LeftButton && hit.IsValid())
        emit cellClicked(hit.nRow, hit.nCol);
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void CGridCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    const SCellId hit = m_geometry.HitTest(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !hit.IsValid()) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    const SCellId owner = m_geometry.GetMergeOwner(hit.nRow, hit.nCol);
    emit cellDoubleClicked(owner.nRow, owner.nCol);
    if (GetArea(owner.nRow, owner.nCol) == kAreaNormal)
        EditCell(owner.nRow, owner.nCol);
}

void CGridCtrl::leaveEvent(QEvent* event) {
    m_pTitleTip->HideTip();
    m_tipCell = SCellId{};
    QAbstractScrollArea::leaveEvent(event);
}

void CGridCtrl::UpdateTitleTip(const QPoint& pos) {
    if (!m_bTitleTips || m_pEdit) {
        m_pTitleTip->HideTip();
        return;
    }
    const SCellId hit = m_geometry.HitTest(pos);
    const SCellId owner = hit.IsValid() ? m_geometry.GetMergeOwner(hit.nRow, hit.nCol) : hit;
    if (owner == m_tipCell && m_pTitleTip->IsShown())
        return;
    m_tipCell = owner;
    if (!owner.IsValid()) {
        m_pTitleTip->HideTip();
        return;
    }
    QRect rect = m_geometry.GetCellRect(owner.nRow, owner.nCol).adjusted(0, 0, -1, -1);
    rect = rect.intersected(viewport()->rect());
    rect.moveTopLeft(viewport()->mapToGlobal(rect.topLeft()));
    m_pTitleTip->ShowTip(rect, GetItemText(owner.nRow, owner.nCol),
                         GetItemFont(owner.nRow, owner.nCol), kTextMargin);
}

// --- wheel and keyboard ------------------------------------------------------------------

void CGridCtrl::wheelEvent(QWheelEvent* event) {
    // Ctrl + wheel belongs to the page holding the grid (it zooms).
    if (event->modifiers() & Qt::ControlModifier) {
        event->ignore();
        return;
    }
    m_pTitleTip->HideTip();
    const QPoint delta = event->angleDelta();
    const bool horizontal = delta.y() == 0 || (event->modifiers() & Qt::ShiftModifier);
    m_nWheelRemainder += horizontal ? (delta.x() != 0 ? delta.x() : delta.y()) : delta.y();
    const int notches = m_nWheelRemainder / 120;
    m_nWheelRemainder %= 120;
    if (notches != 0) {
        int lines = QApplication::wheelScrollLines();
        if (lines <= 0)
            lines = 3; // the setting could not be read
        if (horizontal)
            m_geometry.ScrollColumns(-notches * lines);
        else
            m_geometry.ScrollRows(-notches * lines);
        if (m_pEdit)
            m_pEdit->EndEdit(true);
        UpdateScrollBars();
        viewport()->update();
    }
    event->accept();
}

void CGridCtrl::MoveFocus(int dRow, int dCol, bool extend) {
    SCellId cur = m_focus;
    if (!cur.IsValid())
        cur = {GetFixedRowCount(), GetFixedColumnCount()};
    if (!IsValid(cur.nRow, cur.nCol))
        return;
    const CCellRange own = m_geometry.GetMergedRange(cur.nRow, cur.nCol);
    int row = cur.nRow;
    int col = cur.nCol;
    // Leave a merged cell from its edge and skip hidden rows and columns.
    if (dRow != 0) {
        row = dRow > 0 ? own.GetMaxRow() + 1 : own.GetMinRow() - 1;
        while (row >= GetFixedRowCount() && row < GetRowCount() &&
               m_geometry.GetRowHeight(row) == 0)
            row += dRow > 0 ? 1 : -1;
        if (row < GetFixedRowCount() || row >= GetRowCount())
            return;
    }
    if (dCol != 0) {
        col = dCol > 0 ? own.GetMaxCol() + 1 : own.GetMinCol() - 1;
        while (col >= GetFixedColumnCount() && col < GetColumnCount() &&
               m_geometry.GetColumnWidth(col) == 0)
            col += dCol > 0 ? 1 : -1;
        if (col < GetFixedColumnCount() || col >= GetColumnCount())
            return;
    }
    SetFocusAndSelect({row, col}, extend ? Qt::ShiftModifier : Qt::NoModifier);
    EnsureVisible(row, col);
}

void CGridCtrl::keyPressEvent(QKeyEvent* event) {
    m_pTitleTip->HideTip();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (event->matches(QKeySequence::Copy)) {
        OnEditCopy();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        OnEditCut();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        OnEditPaste();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        SelectAllCells();
        return;
    }
    const int firstRow = GetFixedRowCount();
    const int firstCol = GetFixedColumnCount();
    const int pageRows = std::max(1, m_geometry.GetFullyVisibleNonFixedRange().GetRowSpan());
    switch (event->key()) {
    case Qt::Key_Up:
        MoveFocus(-1, 0, shift);
        return;
    case Qt::Key_Down:
        MoveFocus(1, 0, shift);
        return;
    case Qt::Key_Left:
        MoveFocus(0, -1, shift);
        return;
    case Qt::Key_Right:
        MoveFocus(0, 1, shift);
        return;
    case Qt::Key_Tab:
        MoveFocus(0, 1, false);
        return;
    case Qt::Key_Backtab:
        MoveFocus(0, -1, false);
        return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int step = event->key() == Qt::Key_PageDown ? pageRows : -pageRows;
        const int row = std::clamp((m_focus.IsValid() ? m_focus.nRow : firstRow) + step, firstRow,
                                   GetRowCount() - 1);
        const int col = m_focus.IsValid() ? m_focus.nCol : firstCol;
        if (IsValid(row, col)) {
            SetFocusAndSelect({row, col}, shift ? Qt::ShiftModifier : Qt::NoModifier);
            EnsureVisible(row, col);
        }
        return;
    }
    case Qt::Key_Home:
    case Qt::Key_End: {
        const bool home = event->key() == Qt::Key_Home;
        const int col = home ? firstCol : GetColumnCount() - 1;
        const int row = ctrl ? (home ? firstRow : GetRowCount() - 1)
                             : (m_focus.IsValid() ? m_focus.nRow : firstRow);
        if (IsValid(row, col) && row >= firstRow && col >= firstCol) {
            SetFocusAndSelect({row, col}, shift ? Qt::ShiftModifier : Qt::NoModifier);
            EnsureVisible(row, col);
        }
        return;
    }
    case Qt::Key_F2:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_focus.IsValid())
            EditCell(m_focus.nRow, m_focus.nCol);
        return;
    default:
        break;
    }
    const QString text = event->text();
    if (!ctrl && text.size() == 1 && text[0].isPrint() && m_focus.IsValid() &&
        EditCell(m_focus.nRow, m_focus.nCol, text[0]))
        return;
    QAbstractScrollArea::keyPressEvent(event);
}

// --- editing -----------------------------------------------------------------------------

bool CGridCtrl::EditCell(int row, int col, QChar initial) {
    if (!m_bEditable || !IsValid(row, col))
        return false;
    const SCellId owner = m_geometry.GetMergeOwner(row, col);
    if (GetArea(owner.nRow, owner.nCol) != kAreaNormal ||
        (GetItemState(owner.nRow, owner.nCol) & kStateReadOnly))
        return false;
    if (m_pEdit)
        m_pEdit->EndEdit(true);
    EnsureVisible(owner.nRow, owner.nCol);
    const QRect rect = m_geometry.GetCellRect(owner.nRow, owner.nCol).adjusted(0, 0, -1, -1);
    m_pTitleTip->HideTip();
    emit beginEdit(owner.nRow, owner.nCol);
    auto* edit = new CInPlaceEdit(viewport(), rect, owner.nRow, owner.nCol,
                                  GetItemText(owner.nRow, owner.nCol), initial);
    edit->setFont(GetItemFont(owner.nRow, owner.nCol));
    connect(edit, &CInPlaceEdit::editFinished, this, &CGridCtrl::OnEditFinished);
    m_pEdit = edit;
    return true;
}

void CGridCtrl::OnEditFinished(int row, int col, const QString& text, bool accepted, int key) {
    m_pEdit = nullptr;
    if (accepted && IsValid(row, col) && text != GetItemText(row, col)) {
        std::optional<CGridCell> cell = GetCell(row, col);
        cell->EndEdit(text);
        emit cellTextChanged(row, col);
        RedrawCell(row, col);
    }
    emit endEdit(row, col, accepted);
    if (key != 0)
        setFocus(Qt::OtherFocusReason);
    switch (key) {
    case Qt::Key_Tab:
        MoveFocus(0, 1, false);
        break;
    case Qt::Key_Backtab:
        MoveFocus(0, -1, false);
        break;
    case Qt::Key_Up:
        MoveFocus(-1, 0, false);
        break;
    case Qt::Key_Down:
        MoveFocus(1, 0, false);
        break;
    default:
        break;
    }
}

// --- drag and drop -----------------------------------------------------------------------

void CGridCtrl::StartDrag() {
    auto* data = new QMimeData;
    data->setText(GetCopyText());
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    const Qt::DropAction action =
        drag->exec(m_bEditable ? Qt::CopyAction | Qt::MoveAction : Qt::CopyAction, Qt::CopyAction);
    Q_UNUSED(action);
}

void CGridCtrl::dragEnterEvent(QDragEnterEvent* event) {
    if (m_bEditable && event->mimeData()->hasText())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CGridCtrl::dragMoveEvent(QDragMoveEvent* event) {
    const SCellId hit = m_geometry.HitTest(event->position().toPoint());
    if (m_bEditable && event->mimeData()->hasText() && hit.IsValid() &&
        GetArea(hit.nRow, hit.nCol) == kAreaNormal)
        event->acceptProposedAction();
    else
        event->ignore();
}

void CGridCtrl::dropEvent(QDropEvent* event) {
    const SCellId hit = m_geometry.HitTest(event->position().toPoint());
    if (!m_bEditable || !event->mimeData()->hasText() || !hit.IsValid() ||
        GetArea(hit.nRow, hit.nCol) != kAreaNormal) {
        event->ignore();
        return;
    }
    // A drop onto the grid it came from only copies: the source cells keep their text.
    event->setDropAction(Qt::CopyAction);
    const SCellId owner = m_geometry.GetMergeOwner(hit.nRow, hit.nCol);
    PasteText(event->mimeData()->text(), owner.nRow, owner.nCol);
    SetFocusCell(owner.nRow, owner.nCol);
    event->accept();
}

void CGridCtrl::SetFontEverywhere(const QFont& font) {
    setFont(font);
    for (bool fixedRow : {false, true}) {
        for (bool fixedCol : {false, true}) {
            GetDefaultCell(fixedRow, fixedCol).SetFont(font);
        }
    }
}
