#include "GridCell.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

using namespace grid;

namespace {

constexpr qsizetype kTextCacheLimit = 20000;

bool IsEmptyRecord(const SCellData& d) {
    return d.text.IsEmpty() && d.crBack == kDefaultColour && d.crText == kDefaultColour &&
           d.nState == 0 && d.nImage == -1 && d.nFont == 0 && d.nFlags == 0;
}

} // namespace

Colour CGridCellBase::GetEffectiveBackClr() const {
    const Colour own = GetBackClr();
    const CGridDefaultCell* def = GetDefaultCell();
    return own == kDefaultColour && def ? def->GetBackClr() : own;
}

Colour CGridCellBase::GetEffectiveTextClr() const {
    const Colour own = GetTextClr();
    const CGridDefaultCell* def = GetDefaultCell();
    return own == kDefaultColour && def ? def->GetTextClr() : own;
}

void CGridCellBase::DrawText(QPainter& painter, const QRect& rect, const QString& text,
                             unsigned format, bool centredLine, int margin,
                             QHash<QString, QStaticText>* cache) {
    if (text.isEmpty() || rect.width() <= 2 * margin || rect.height() <= 0)
        return;
    const QRect box = rect.adjusted(margin, 0, -margin, 0);
    if (centredLine)
        format = kTextCenter | kTextVCenter | kTextSingleLine | kTextEndEllipsis | kTextNoPrefix;
    const bool singleLine = (format & kTextSingleLine) || !text.contains(QLatin1Char('\n'));
    if (singleLine && !(format & kTextWordBreak)) {
        // One line: measure and place it directly, far cheaper than a layout per cell.
        const QFontMetrics fm = painter.fontMetrics();
        if (cache && !text.contains(QLatin1Char('\n'))) {
            auto it = cache->find(text);
            if (it == cache->end()) {
                if (cache->size() >= kTextCacheLimit)
                    cache->clear();
                QStaticText laid(text);
                laid.setTextFormat(Qt::PlainText);
                laid.setPerformanceHint(QStaticText::AggressiveCaching);
                laid.prepare(QTransform(), painter.font());
                // The cache may outlive a text drawn without a copy: keep a deep copy.
                it = cache->insert(QString(text.constData(), text.size()), laid);
            }
            const int width = static_cast<int>(std::ceil(it->size().width()));
            if (width <= box.width() && fm.height() <= box.height()) {
                int x = box.left();
                if (format & kTextCenter)
                    x = box.left() + (box.width() - width) / 2;
                else if (format & kTextRight)
                    x = box.right() + 1 - width;
                int y = box.top();
                if (format & kTextVCenter)
                    y = box.top() + (box.height() - fm.height()) / 2;
                else if (format & kTextBottom)
                    y = box.bottom() + 1 - fm.height();
                painter.drawStaticText(x, y, *it);
                return;
            }
        }
        QString line = text;
        if ((format & kTextSingleLine) && line.contains(QLatin1Char('\n')))
            line.replace(QLatin1Char('\n'), QLatin1Char(' '));
        int width = fm.horizontalAdvance(line);
        if (width > box.width() && (format & kTextEndEllipsis)) {
            line = fm.elidedText(line, Qt::ElideRight, box.width());
            width = fm.horizontalAdvance(line);
        }
        int x = box.left();
        if (format & kTextCenter)
            x = box.left() + (box.width() - width) / 2;
        else if (format & kTextRight)
            x = box.right() + 1 - width;
        int y = box.top() + fm.ascent();
        if (format & kTextVCenter)
            y = box.top() + (box.height() - fm.height()) / 2 + fm.ascent();
        else if (format & kTextBottom)
            y = box.bottom() + 1 - fm.descent();
        // Clipping costs more than the text itself; only a text that sticks out needs it.
        if (width <= box.width() && fm.height() <= box.height()) {
            painter.drawText(x, y, line);
            return;
        }
        painter.save();
        painter.setClipRect(rect, Qt::IntersectClip);
        painter.drawText(x, y, line);
        painter.restore();
        return;
    }
    int flags = 0;
    flags |= (format & kTextCenter) ? Qt::AlignHCenter
                                    : ((format & kTextRight) ? Qt::AlignRight : Qt::AlignLeft);
    flags |= (format & kTextVCenter) ? Qt::AlignVCenter
                                     : ((format & kTextBottom) ? Qt::AlignBottom : Qt::AlignTop);
    if (format & kTextWordBreak)
        flags |= Qt::TextWordWrap;
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.drawText(box, flags, text);
    painter.restore();
}

void CGridCellBase::Draw(QPainter& painter, const QRect& rect,
                         const SCellDrawContext& context) const {
    QColor back = ToQColor(GetEffectiveBackClr());
    QColor fore = ToQColor(GetEffectiveTextClr());
    if (context.bSelected && !context.bFixed) {
        back = context.highlight;
        fore = context.highlightText;
    }
    painter.fillRect(rect, back);
    const QString text = GetText();
    if (text.isEmpty())
        return;
    painter.setFont(GetFont());
    context.pPainterFont = nullptr;
    painter.setPen(fore);
    DrawText(painter, rect, text, GetFormat(), context.bCentredLine, context.nMargin);
}

// --- CGridCell ------------------------------------------------------------------------------

void CGridCell::ReleaseIfEmpty() {
    const SCellData* d = m_store.Find(m_nRow, m_nCol);
    if (d && IsEmptyRecord(*d))
        m_store.Erase(m_nRow, m_nCol);
}

QString CGridCell::GetText() const {
    const SCellData* d = m_store.Find(m_nRow, m_nCol);
    return d ? d->text.ToQString() : QString();
}

void CGridCell::SetText(const QString& text) {
    SCellData* d = text.isEmpty() ? m_store.Find(m_nRow, m_nCol) : m_store.Ensure(m_nRow, m_nCol);
    if (!d)
        return;
    d->text.Assign(text);
    ReleaseIfEmpty();
}

int CGridCell::GetImage() const {
    const SCellData* d = m_store.Find(m_nRow, m_nCol);
    return d ? d->nImage : -1;
}

void CGridCell::SetImage(int image) {
    SCellData* d = image == -1 ? m_store.Find(m_nRow, m_nCol) : m_store.Ensure(m_nRow, m_nCol);
    if (!d)
        return;
    d->nImage = static_cast<std::int16_t>(std::clamp(image, -1, 0x7FFF));
    ReleaseIfEmpty();
}

std::uintptr_t CGridCell::GetData() const {
    return m_store.GetData(m_nRow, m_nCol);
}

void CGridCell::SetData(std::uintptr_t data) {
    m_store.SetData(m_nRow, m_nCol, data);
    ReleaseIfEmpty();
}

unsigned CGridCell::GetState() const {
    const SCellData* d = m_store.Find(m_nRow, m_nCol);
    return d ? d->nState : 0;
}

void CGridCell::SetState(unsigned state) {
    // Focus and selection belong to the grid, not to the record.
    state &= ~(kStateFocused | kStateSelected);
    SCellData* d = state == 0 ? m_store.Find(m_nRow, m_nCol) : m_store.Ensure(m_nRow, m_nCol);
    if (!d)
        return;
    d->nState = static_cast<std::uint16_t>(state);
    ReleaseIfEmpty();
}

unsigned CGridCell::GetFormat() const {
    const SCellData* d = m_store.Find(m_nRow, m_nCol);
    return d && (d->nFlags & SCellData::kHasFormat) ? d->nFormat : m_default.GetFormat();
}

void CGridCell::SetFormat(unsigned format) {
    SCellData* d = m_store.Ensure(m_nRow, m_nCol);
    if (!d)
        return;
    d->nFormat = format;
    d->nFlags |= SCellData::kHasFormat;
}

Colour CGridCell::GetBackClr() const {
    const SCellData* d = m_store.Find(m_nRow, m_nCol);
    return d ? d->crBack : kDefaultColour;
}

void CGridCell::SetBackClr(Colour colour) {
    SCellData* d =
        colour == kDefaultColour ? m_store.Find(m_nRow, m_nCol) : m_store.Ensure(m_nRow, m_nCol);
    if (!d)
        return;
    d->crBack = colour;
    ReleaseIfEmpty();
}

Colour CGridCell::GetTextClr() const {
    const SCellData* d = m_store.Find(m_nRow, m_nCol);
    return d ? d->crText : kDefaultColour;
}

void CGridCell::SetTextClr(Colour colour) {
    SCellData* d =
        colour == kDefaultColour ? m_store.Find(m_nRow, m_nCol) : m_store.Ensure(m_nRow, m_nCol);
    if (!d)
        return;
    d->crText = colour;
    ReleaseIfEmpty();
}

QFont CGridCell::GetFont() const {
    const SCellData* d = m_store.Find(m_nRow, m_nCol);
    const QFont* font = d ? m_store.GetFont(d->nFont) : nullptr;
    return font ? *font : m_default.GetFont();
}

void CGridCell::SetFont(const QFont& font) {
    if (font == m_default.FontRef()) {
        if (SCellData* d = m_store.Find(m_nRow, m_nCol)) {
            d->nFont = 0;
            ReleaseIfEmpty();
        }
        return;
    }
    const std::uint16_t index = m_store.InternFont(font);
    if (SCellData* d = m_store.Ensure(m_nRow, m_nCol))
        d->nFont = index;
}

void CGridCell::Draw(QPainter& painter, const QRect& rect, const SCellDrawContext& context) const {
    const SCellData* d = m_store.Find(m_nRow, m_nCol);
    Colour back = d ? d->crBack : kDefaultColour;
    Colour fore = d ? d->crText : kDefaultColour;
    if (back == kDefaultColour)
        back = m_default.GetBackClr();
    if (fore == kDefaultColour)
        fore = m_default.GetTextClr();
    QColor qBack = ToQColor(back);
    QColor qFore = ToQColor(fore);
    if (context.bSelected && !context.bFixed) {
        qBack = context.highlight;
        qFore = context.highlightText;
    }
    painter.fillRect(rect, qBack);
    if (!d || d->text.IsEmpty())
        return;
    const QFont* font = m_store.GetFont(d->nFont);
    const QFont& use = font ? *font : m_default.FontRef();
    if (context.pPainterFont != &use) {
        painter.setFont(use);
        context.pPainterFont = &use;
    }
    if (painter.pen().color() != qFore)
        painter.setPen(qFore);
    const unsigned format =
        (d->nFlags & SCellData::kHasFormat) ? d->nFormat : m_default.GetFormat();
    // The record outlives the call: its text is drawn without a copy.
    const QString text = QString::fromRawData(reinterpret_cast<const QChar*>(d->text.Data()),
                                              static_cast<qsizetype>(d->text.Size()));
    DrawText(painter, rect, text, format, context.bCentredLine, context.nMargin,
             &use == context.pCacheFont ? context.pTextCache : nullptr);
}
