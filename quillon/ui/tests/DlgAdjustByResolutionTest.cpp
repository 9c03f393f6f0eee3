#include "DlgAdjustByResolution.h"

#include <gtest/gtest.h>

namespace {

struct SFactorCase {
    const char* m_szName;
    QSize m_screen;
    QRect m_work;
    QSize m_taskbar;
    int m_nCaption;
    QSize m_dialog;
    bool m_bAdjust;
    double m_dWidth;
    double m_dHeight;
};

TEST(DlgAdjustByResolutionTest, FactorsFollowScreenTaskbarAndDialog) {
    const SFactorCase cases[] = {
        {"large screen, bottom taskbar",
         {1920, 1080},
         {0, 0, 1920, 1050},
         {0, 30},
         20,
         {1200, 800},
         false,
         1.0,
         1.0},
        {"1024 x 768, bottom taskbar 30",
         {1024, 768},
         {0, 0, 1024, 738},
         {1024, 30},
         20,
         {1200, 800},
         true,
         1024.0 / 1200 - 0.01,
         (768.0 - 20 - 30) / 800 - 0.01},
        {"only the width is too large",
         {1024, 1080},
         {0, 0, 1024, 1050},
         {1024, 30},
         20,
         {1200, 800},
         true,
         1024.0 / 1200 - 0.01,
         1.0},
        {"left taskbar 60 wide",
         {1280, 700},
         {60, 0, 1220, 700},
         {60, 700},
         20,
         {1250, 800},
         true,
         (1280.0 - 60) / 1250 - 0.01,
         (700.0 - 20) / 800 - 0.01},
        {"right taskbar 60 wide",
         {1280, 1000},
         {0, 0, 1220, 1000},
         {60, 1000},
         20,
         {1250, 800},
         true,
         (1280.0 - 60) / 1250 - 0.01,
         1.0},
    };
    for (const SFactorCase& c : cases) {
        SCOPED_TRACE(c.m_szName);
        SResolutionFactors factors;
        EXPECT_EQ(CDlgAdjustByResolution::DecideFactors(c.m_screen, c.m_work, c.m_taskbar,
                                                        c.m_nCaption, c.m_dialog, factors),
                  c.m_bAdjust);
        EXPECT_DOUBLE_EQ(factors.m_dWidthFactor, c.m_dWidth);
        EXPECT_DOUBLE_EQ(factors.m_dHeightFactor, c.m_dHeight);
    }
}

TEST(DlgAdjustByResolutionTest, TaskbarSideFromTheWorkArea) {
    const QSize screen(1280, 1024);
    EXPECT_EQ(CDlgAdjustByResolution::TaskbarSide(screen, {0, 0, 1280, 994}), ETaskbarSide::Bottom);
    EXPECT_EQ(CDlgAdjustByResolution::TaskbarSide(screen, {0, 30, 1280, 994}), ETaskbarSide::Top);
    // A left taskbar also passes the right-hand test, which comes later and wins; both sides
    // are treated alike.
    EXPECT_EQ(CDlgAdjustByResolution::TaskbarSide(screen, {60, 0, 1220, 1024}),
              ETaskbarSide::Right);
    EXPECT_EQ(CDlgAdjustByResolution::TaskbarSide(screen, {0, 0, 1220, 1024}), ETaskbarSide::Right);
}

TEST(DlgAdjustByResolutionTest, SizeChildScalesRectsAndFonts) {
    SResolutionFactors factors;
    factors.m_dWidthFactor = 0.5;
    factors.m_dHeightFactor = 0.75;
    EXPECT_EQ(CDlgAdjustByResolution::ScaledDialogSize({1200, 800}, 4, factors), QSize(600, 596));
    EXPECT_EQ(CDlgAdjustByResolution::ScaleFontHeight(13, factors), 9);

    // The new size is below the children's extent in both directions.
    EXPECT_TRUE(CDlgAdjustByResolution::DecideChildScales({600, 596}, 20, 700, 1000, factors));
    EXPECT_DOUBLE_EQ(factors.m_dChildScaleY, (596.0 - 20 - 10) / 700);
    EXPECT_DOUBLE_EQ(factors.m_dChildScaleX, (600.0 - 10) / 1000);
    const QRect scaled =
        CDlgAdjustByResolution::ScaleChildRect(QRect(QPoint(100, 70), QPoint(299, 139)), factors);
    EXPECT_EQ(scaled.left(), int(100 * factors.m_dChildScaleX));
    EXPECT_EQ(scaled.right() + 1, int(300 * factors.m_dChildScaleX));
    EXPECT_EQ(scaled.top(), int(70 * factors.m_dChildScaleY));
    EXPECT_EQ(scaled.bottom() + 1, int(140 * factors.m_dChildScaleY));

    // Children that fit keep their scales.
    SResolutionFactors fits;
    EXPECT_FALSE(CDlgAdjustByResolution::DecideChildScales({600, 596}, 20, 500, 580, fits));
    EXPECT_DOUBLE_EQ(fits.m_dChildScaleX, 1.0);
    EXPECT_DOUBLE_EQ(fits.m_dChildScaleY, 1.0);
}

} // namespace
