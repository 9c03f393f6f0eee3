#pragma once

#include <QLabel>

/// The tip window that shows the whole text of a cell too narrow for it, laid exactly over the
/// cell so the text seems to continue past its edge. It never takes the focus.
class CTitleTip : public QLabel {
    Q_OBJECT

public:
    explicit CTitleTip(QWidget* owner);
    /// Shows text over cellRect (global coordinates) when it does not fit; returns whether shown.
    bool ShowTip(const QRect& cellRect, const QString& text, const QFont& font, int margin);
    void HideTip();
    [[nodiscard]] bool IsShown() const { return isVisible(); }
};
