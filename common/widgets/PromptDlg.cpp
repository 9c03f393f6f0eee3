#include "PromptDlg.h"

#include "AboutPicture.h"
#include "DecimalText.h"

#include "SettingsFile.h"
#include "SongFamilies.h"
#include "TextUtil.h"

#include <QEvent>
#include <QPainter>
#include <QPixmap>

#include <climits>

namespace {

using widgets::DecimalValue;

// Families asked for first; where they are not installed the next ones stand in: a
// monospaced face for "Courier New", WenQuanYi Zen Hei for the Chinese faces and for CJK
// glyphs in any of them. A height in pixels is the height of the whole line
// (cell), so a 30-pixel line fits the 34 pixels a row leaves below its D / 3 offset.
QFont PixelFont(const QStringList& families, int nPixels, bool bBold) {
    QFont font;
    font.setFamilies(families);
    font.setBold(bBold);
    return FitCellHeight(font, nPixels);
}

QFont PointFont(const QStringList& families, int nPoints) {
    QFont font;
    font.setFamilies(families);
    font.setPointSize(nPoints);
    return font;
}

QColor FromColorRef(std::uint32_t nColor) {
    return QColor(static_cast<int>(nColor & 0xFF), static_cast<int>((nColor >> 8) & 0xFF),
                  static_cast<int>((nColor >> 16) & 0xFF));
}

const QStringList kCourierFamilies = {QStringLiteral("Courier New"),
                                      QStringLiteral("DejaVu Sans Mono"),
                                      QStringLiteral("WenQuanYi Zen Hei Mono")};

} // namespace

unsigned ParseDlgColorComponent(const std::wstring& strText) {
    return static_cast<unsigned>(DecimalValue(strText)) & 0xFFu;
}

std::uint32_t ReadDlgColor(const CSettingsFile& settings) {
    const unsigned r = ParseDlgColorComponent(settings.ReadString(L"DlgColor", L"R", L"214"));
    const unsigned g = ParseDlgColorComponent(settings.ReadString(L"DlgColor", L"G", L"251"));
    const unsigned b = ParseDlgColorComponent(settings.ReadString(L"DlgColor", L"B", L"168"));
    return r + 256u * g + 65536u * b;
}

std::vector<std::wstring> ReadPromptLines(EPromptVariant variant, const CSettingsFile& settings) {
    std::vector<std::wstring> lines;
    if (variant == EPromptVariant::Sondex) {
        return lines;
    }
    const int nKeys = variant == EPromptVariant::Quillon ? 6 : 5;
    for (int i = 1; i <= nKeys; ++i) {
        const std::wstring strKey = FormatW(L"text%d", i);
        std::wstring strLine = settings.ReadString(L"Prompt", strKey, L"");
        // Quillon numbers only the lines it has; QuillonOrlo always shows five rows.
        if (variant == EPromptVariant::QuillonOrlo || !strLine.empty()) {
            lines.push_back(std::move(strLine));
        }
    }
    return lines;
}

SPromptStyle PromptStyleFor(EPromptVariant variant) {
    SPromptStyle style;
    switch (variant) {
    case EPromptVariant::Quillon:
    case EPromptVariant::QuillonOrlo:
        style.strTitle = QStringLiteral("使用须知");
        style.background = QColor(214, 251, 168);
        style.border = Qt::black;
        style.text = QColor(255, 0, 0);
        style.number = Qt::black;
        break;
    case EPromptVariant::Sondex:
        style.strTitle = QStringLiteral("Notice");
        style.background = QColor(205, 223, 255);
        style.border = QColor(43, 40, 89);
        style.text = QColor(115, 65, 182);
        style.number = QColor(43, 40, 89);
        break;
    }
    if (variant == EPromptVariant::QuillonOrlo) {
        style.titleFont = PointFont(
            {QStringLiteral("黑体"), QStringLiteral("SimHei"), QStringLiteral("WenQuanYi Zen Hei")},
            30);
        style.lineFont = PointFont(SongFamilies(), 16);
        style.nNumberColumn = 100;
        style.nNumberBoxLeft = -95;
    } else {
        style.titleFont = PixelFont(kCourierFamilies, 50, true);
        style.lineFont = PixelFont(kCourierFamilies, 30, true);
        style.nNumberColumn = 50;
        style.nNumberBoxLeft = -32;
    }
    style.nTopFromPlacement = variant == EPromptVariant::Sondex ? 0 : -50;
    return style;
}

CPromptGeometry::CPromptGeometry(const QRect& placement, int nLines, EPromptVariant variant) {
    const SPromptStyle style = PromptStyleFor(variant);
    // P's right edge is exclusive, as the platform rectangle it stands for.
    m_nLeft = placement.x() + kSideMargin;
    m_nRight = placement.x() + placement.width() - kSideMargin;
    m_nTop = placement.y() + style.nTopFromPlacement;
    m_nLines = nLines < 0 ? 0 : nLines;
    m_nNumberColumn = style.nNumberColumn;
    m_nNumberBoxLeft = style.nNumberBoxLeft;
}

QRect CPromptGeometry::TitleBox() const {
    return QRect(m_nLeft, m_nTop, m_nRight - m_nLeft, kHeaderHeight);
}

QRect CPromptGeometry::TextBox(int k) const {
    const int nTop = SeparatorY(k) + kRowHeight / 3;
    const int nLeft = ColumnLine() + 1;
    return QRect(nLeft, nTop, m_nRight + 1 - nLeft, kRowHeight);
}

QRect CPromptGeometry::NumberBox(int k) const {
    const int nTop = SeparatorY(k) + kRowHeight / 3;
    const int nLeft = ColumnLine() + m_nNumberBoxLeft;
    return QRect(nLeft, nTop, ColumnLine() + 1 - nLeft, kRowHeight);
}

CPromptDlg::CPromptDlg(EPromptVariant variant, QWidget* pOwner)
    : QWidget(pOwner), m_variant(variant), m_style(PromptStyleFor(variant)) {
    setObjectName(QStringLiteral("prompt"));
    if (m_variant != EPromptVariant::Sondex) {
        const CSettingsFile& settings = GetSettings();
        m_style.background = FromColorRef(ReadDlgColor(settings));
        m_lines = ReadPromptLines(m_variant, settings);
    }
    // The platform's own background is the notice's colour too, so nothing flashes before
    // the first painting.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, m_style.background);
    setPalette(palette);
    setAutoFillBackground(true);
    if (pOwner != nullptr) {
        pOwner->installEventFilter(this);
        if (m_variant == EPromptVariant::Sondex) {
            setGeometry(pOwner->rect());
        }
    }
}

void CPromptDlg::SetPlacement(const QRect& placement) {
    m_placement = placement;
    FollowPlacement();
    update();
}

void CPromptDlg::SetPlacementSource(std::function<QRect()> source) {
    m_placementSource = std::move(source);
    FollowPlacement();
    update();
}

void CPromptDlg::SetLines(std::vector<std::wstring> lines) {
    m_lines = std::move(lines);
    update();
}

CPromptGeometry CPromptDlg::Geometry() const {
    return CPromptGeometry(m_placement, static_cast<int>(m_lines.size()), m_variant);
}

void CPromptDlg::FollowPlacement() {
    if (m_placementSource) {
        m_placement = m_placementSource();
    }
    if (m_variant == EPromptVariant::Sondex) {
        if (parentWidget() != nullptr && geometry() != parentWidget()->rect()) {
            setGeometry(parentWidget()->rect());
        }
    } else if (geometry() != m_placement) {
        setGeometry(m_placement);
    }
}

bool CPromptDlg::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pWatched == parentWidget() && pEvent->type() == QEvent::Resize) {
        FollowPlacement();
    }
    return QWidget::eventFilter(pWatched, pEvent);
}

void CPromptDlg::paintEvent(QPaintEvent* /*pEvent*/) {
    FollowPlacement();
    // Drawn off screen and copied in one step, so the table never flickers.
    const qreal ratio = devicePixelRatioF();
    QPixmap buffer(size() * ratio);
    buffer.setDevicePixelRatio(ratio);
    buffer.fill(m_style.background);
    {
        QPainter painter(&buffer);
        DrawTable(painter);
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, buffer);
}

void CPromptDlg::DrawTable(QPainter& painter) const {
    // The table is laid out with P's own numbers inside the notice.
    const CPromptGeometry geometry = Geometry();
    const int nLeft = geometry.Left();
    const int nRight = geometry.Right();
    const int nTop = geometry.Top();
    const int nBottom = geometry.Bottom();
    const int n = geometry.Lines();

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(m_style.border, CPromptGeometry::kOutlineWidth, Qt::SolidLine,
                        Qt::SquareCap, Qt::MiterJoin));
    const QPoint outline[] = {QPoint(nLeft, nTop), QPoint(nRight, nTop), QPoint(nRight, nBottom),
                              QPoint(nLeft, nBottom)};
    painter.drawPolygon(outline, 4);

    painter.setPen(QPen(m_style.border, 1));
    for (int k = 0; k < n; ++k) {
        const int y = geometry.SeparatorY(k);
        painter.drawLine(nLeft, y, nRight, y);
    }
    if (n > 0) {
        painter.drawLine(geometry.ColumnLine(), geometry.SeparatorY(0), geometry.ColumnLine(),
                         nBottom);
    }

    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(m_style.titleFont);
    painter.setPen(m_style.text);
    painter.drawText(geometry.TitleBox(), Qt::AlignCenter | Qt::TextSingleLine, m_style.strTitle);

    const int nFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    painter.setFont(m_style.lineFont);
    for (int k = 0; k < n; ++k) {
        painter.setPen(m_style.text);
        painter.drawText(geometry.TextBox(k), nFlags,
                         QString::fromStdWString(m_lines[static_cast<std::size_t>(k)]));
        painter.setPen(m_style.number);
        painter.drawText(geometry.NumberBox(k), nFlags, QString::number(k + 1));
    }
}
