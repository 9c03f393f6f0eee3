#include "TitleTip.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

CTitleTip::CTitleTip(QWidget* owner)
    : QLabel(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setTextFormat(Qt::PlainText);
}

bool CTitleTip::ShowTip(const QRect& cellRect, const QString& text, const QFont& font, int margin) {
    const QFontMetrics fm(font);
    const QString line = QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const int needed = fm.horizontalAdvance(line) + 2 * margin;
    if (line.isEmpty() || needed <= cellRect.width()) {
        HideTip();
        return false;
    }
    setFont(font);
    setText(line);
    setContentsMargins(margin - 1, 0, margin - 1, 0);
    int width = needed + 2;
    if (const QScreen* screen = QGuiApplication::screenAt(cellRect.topLeft()))
        width = std::min(width,
                         std::max(cellRect.width(), screen->geometry().right() - cellRect.left()));
    setGeometry(cellRect.left(), cellRect.top(), width, cellRect.height());
    show();
    return true;
}

void CTitleTip::HideTip() {
    hide();
}
