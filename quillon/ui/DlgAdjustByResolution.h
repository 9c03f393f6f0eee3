#pragma once

#include <QRect>
#include <QSize>

// The arithmetic of shrinking a dialog laid out for a large screen: the width and height
// factors from the screen, its work area and the dialog's size, the dialog's new size, the
// child scales and the scaled font heights. Kept apart from any window so it can be tested
// with made-up screens.

/// Where the taskbar (the panel that the work area leaves out) sits.
enum class ETaskbarSide { Bottom, Top, Left, Right };

/// The process-wide factors and scales; every adjustable dialog after the first reuses them.
struct SResolutionFactors {
    double m_dWidthFactor = 1.0;
    double m_dHeightFactor = 1.0;
    double m_dChildScaleX = 1.0;
    double m_dChildScaleY = 1.0;
};

class CDlgAdjustByResolution {
public:
    /// The taskbar side from the work area: bottom to start with, then top, left and right
    /// tests in that order (later tests win).
    [[nodiscard]] static ETaskbarSide TaskbarSide(const QSize& screen, const QRect& workArea);

    /// Decides the factors for a dialog of size dialog on screen; taskbar is the taskbar's
    /// size (0 x 0 without one), caption the caption height. Factors that need no change keep
    /// their value in factors. True when the dialog must shrink.
    static bool DecideFactors(const QSize& screen, const QRect& workArea, const QSize& taskbar,
                              int caption, const QSize& dialog, SResolutionFactors& factors);

    /// The dialog's new size: width x width factor, height x height factor - border, both
    /// truncated.
    [[nodiscard]] static QSize ScaledDialogSize(const QSize& dialog, int border,
                                                const SResolutionFactors& factors);

    /// The child scales once the dialog has its new size: y when the new height is below the
    /// lowest child bottom, x when the new width is below the rightmost child right. True when
    /// either changed.
    static bool DecideChildScales(const QSize& newSize, int caption, int lowestChildBottom,
                                  int rightmostChildRight, SResolutionFactors& factors);

    /// A child rectangle scaled by the child scales (each edge truncated).
    [[nodiscard]] static QRect ScaleChildRect(const QRect& rect, const SResolutionFactors& factors);

    /// A font height scaled by the height factor, truncated.
    [[nodiscard]] static int ScaleFontHeight(int height, const SResolutionFactors& factors);
};
