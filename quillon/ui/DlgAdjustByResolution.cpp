#include "DlgAdjustByResolution.h"

ETaskbarSide CDlgAdjustByResolution::TaskbarSide(const QSize& screen, const QRect& workArea) {
    ETaskbarSide side = ETaskbarSide::Bottom;
    if (workArea.top() > 0) {
        side = ETaskbarSide::Top;
    }
    if (workArea.left() > 0) {
        side = ETaskbarSide::Left;
    }
    // QRect::right() is the last pixel; the work area's right edge lies one beyond it.
    if (screen.width() + workArea.left() - (workArea.right() + 1) > 0) {
        side = ETaskbarSide::Right;
    }
    return side;
}

bool CDlgAdjustByResolution::DecideFactors(const QSize& screen, const QRect& workArea,
                                           const QSize& taskbar, int caption, const QSize& dialog,
                                           SResolutionFactors& factors) {
    if (dialog.width() <= 0 || dialog.height() <= 0) {
        return false;
    }
    bool adjust = false;
    const ETaskbarSide side = TaskbarSide(screen, workArea);
    int availableHeight = screen.height() - caption;
    if (side == ETaskbarSide::Left || side == ETaskbarSide::Right) {
        const int availableWidth = screen.width() - taskbar.width();
        if (availableWidth < dialog.width()) {
            factors.m_dWidthFactor = double(availableWidth) / dialog.width() - 0.01;
            adjust = true;
        }
        if (availableHeight < dialog.height()) {
            factors.m_dHeightFactor = double(availableHeight) / dialog.height() - 0.01;
            adjust = true;
        }
    } else {
        if (screen.width() < dialog.width()) {
            factors.m_dWidthFactor = double(screen.width()) / dialog.width() - 0.01;
            adjust = true;
        }
        availableHeight -= taskbar.height();
        if (availableHeight < dialog.height()) {
            factors.m_dHeightFactor = double(availableHeight) / dialog.height() - 0.01;
            adjust = true;
        }
    }
    return adjust;
}

QSize CDlgAdjustByResolution::ScaledDialogSize(const QSize& dialog, int border,
                                               const SResolutionFactors& factors) {
    return {static_cast<int>(dialog.width() * factors.m_dWidthFactor),
            static_cast<int>(dialog.height() * factors.m_dHeightFactor - border)};
}

bool CDlgAdjustByResolution::DecideChildScales(const QSize& newSize, int caption,
                                               int lowestChildBottom, int rightmostChildRight,
                                               SResolutionFactors& factors) {
    bool changed = false;
    if (lowestChildBottom > 0 && newSize.height() < lowestChildBottom) {
        factors.m_dChildScaleY = double(newSize.height() - caption - 10) / lowestChildBottom;
        changed = true;
    }
    if (rightmostChildRight > 0 && newSize.width() < rightmostChildRight) {
        factors.m_dChildScaleX = double(newSize.width() - 10) / rightmostChildRight;
        changed = true;
    }
    return changed;
}

QRect CDlgAdjustByResolution::ScaleChildRect(const QRect& rect, const SResolutionFactors& factors) {
    // Edges as left/top inclusive and right/bottom exclusive, the way the rectangle is moved.
    const int left = static_cast<int>(rect.left() * factors.m_dChildScaleX);
    const int right = static_cast<int>((rect.right() + 1) * factors.m_dChildScaleX);
    const int top = static_cast<int>(rect.top() * factors.m_dChildScaleY);
    const int bottom = static_cast<int>((rect.bottom() + 1) * factors.m_dChildScaleY);
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

int CDlgAdjustByResolution::ScaleFontHeight(int height, const SResolutionFactors& factors) {
    return static_cast<int>(height * factors.m_dHeightFactor);
}
