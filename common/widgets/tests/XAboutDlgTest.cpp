#include "XAboutDlg.h"

#include "AboutPicture.h"
#include "ProgramLocation.h"

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

const QColor kBackground(232, 232, 232);

SVersionBlock QuillonBlock() {
    SVersionBlock block;
    block.strProductName = L"Quillon";
    block.strProductVersion = L"1, 0, 1, 29";
    block.strLegalCopyright = L"Copyright (C) 2026 Quillon team";
    return block;
}

QImage Render(CXAboutDlg& dlg) {
    return dlg.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Pixels in the rectangle whose colour is near the given one (glyph edges are blended).
int CountNear(const QImage& image, const QRect& area, const QColor& colour, int nTolerance = 24) {
    int nCount = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) <= nTolerance &&
                std::abs(c.green() - colour.green()) <= nTolerance &&
                std::abs(c.blue() - colour.blue()) <= nTolerance) {
                ++nCount;
            }
        }
    }
    return nCount;
}

TEST(XAboutDlgVersion, VersionLineRules) {
    struct SCase {
        const wchar_t* pszVersion;
        const wchar_t* pszSpecial;
        const wchar_t* pszLine;
    };
    const std::vector<SCase> cases = {
        {L"1, 0, 1, 29", L"", L"Version:        1.0.1029"},
        {L"3.0.0.17", L"", L"Version:        3.0.0017"},
        {L"3.0.0.17", L"2", L"Version:        3.0.0017_P2"},
        {L"3.0.0.17", L" \t2 \r\n", L"Version:        3.0.0017_P2"},
        {L"3.0.0.17", L"  \t", L"Version:        3.0.0017"},
        {L"1, 0, 0, 1", L"beta", L"Version:        1.0.0001_Pbeta"},
        {L"1,2,3,1234", L"", L"Version:        1.2.31234"},
        {L"", L"", L"Version:        000"},
        {L"7", L"", L"Version:        007"},
        {L" 4 2 ", L"", L"Version:        042"},
        {L"1.x", L"", L"Version:        1000"},
        {L"2.", L"", L"Version:        2000"},
        {L"1.0.0.-5", L"", L"Version:        1.0.0-05"},
        {L"1.99999999999", L"", L"Version:        12147483647"},
    };
    for (const SCase& c : cases) {
        SVersionBlock block;
        block.strProductVersion = c.pszVersion;
        block.strSpecialBuild = c.pszSpecial;
        EXPECT_EQ(FormatVersionLine(MakeAboutTexts(block)), c.pszLine)
            << QString::fromWCharArray(c.pszVersion).toStdString();
    }
}

TEST(XAboutDlgVersion, SplitsHeadAndNumber) {
    std::wstring strHead;
    std::wstring strNumber;
    SplitProductVersion(L"1, 0, 1, 29", strHead, strNumber);
    EXPECT_EQ(strHead, L"1.0.1");
    EXPECT_EQ(strNumber, L"029");
    SplitProductVersion(L"12", strHead, strNumber);
    EXPECT_EQ(strHead, L"");
    EXPECT_EQ(strNumber, L"012");
}

TEST(XAboutDlgVersion, TextsWithoutVersionBlockAreEmpty) {
    const SAboutTexts texts = MakeAboutTexts(SVersionBlock{});
    EXPECT_EQ(texts.strVersionHead, L"");
    EXPECT_EQ(texts.strVersionNumber, L"000");
    EXPECT_EQ(texts.strLegalNotice, L"");
    EXPECT_EQ(texts.strProductText, L"");
    EXPECT_EQ(texts.strSpecialBuild, L"");
}

TEST(XAboutDlgVersion, CreatorProductTextWinsOverProductName) {
    EXPECT_EQ(MakeAboutTexts(QuillonBlock()).strProductText, L"Quillon");
    EXPECT_EQ(MakeAboutTexts(QuillonBlock(), L"Quillon DDR").strProductText, L"Quillon DDR");
    CXAboutDlg dlg(QuillonBlock(), false);
    dlg.SetProductText(L"自定义");
    EXPECT_EQ(dlg.Texts().strProductText, L"自定义");
    EXPECT_EQ(dlg.Texts().strLegalNotice, L"Copyright (C) 2026 Quillon team");
}

TEST(XAboutDlgWindow, IsABorderless380By210Box) {
    CXAboutDlg dlg(QuillonBlock(), false);
    EXPECT_EQ(dlg.size(), QSize(380, 210));
    EXPECT_TRUE(dlg.windowFlags().testFlag(Qt::FramelessWindowHint));
    const QImage picture = MakeAboutPicture();
    EXPECT_EQ(picture.size(), QSize(kAboutPictureWidth, kAboutPictureHeight));
}

TEST(XAboutDlgWindow, PaintsBackgroundPictureIconAndTexts) {
    CXAboutDlg dlg(QuillonBlock(), false);
    const QImage image = Render(dlg);
    ASSERT_EQ(image.size(), QSize(380, 210));
    // Background above the picture, away from icon and texts.
    for (const QPoint& p : {QPoint(2, 2), QPoint(377, 2), QPoint(10, 97), QPoint(60, 50)}) {
        EXPECT_EQ(image.pixelColor(p), kBackground) << p.x() << "," << p.y();
    }
    // The picture is copied unchanged to (0, 100).
    const QImage picture = MakeAboutPicture().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(image.copy(0, 100, 380, 110), picture);
    // The icon occupies 32 x 32 pixels at (20, 35).
    EXPECT_LT(CountNear(image, QRect(20, 35, 32, 32), kBackground, 0), 32 * 32 / 2);
    EXPECT_EQ(CountNear(image, QRect(0, 35, 20, 32), kBackground, 0), 20 * 32);
    // Product text in its blue from (70, 20); version and legal lines in grey from x = 75.
    EXPECT_GT(CountNear(image, QRect(70, 20, 310, 38), QColor(58, 110, 165)), 40);
    EXPECT_GT(CountNear(image, QRect(75, 60, 305, 18), QColor(80, 80, 80)), 20);
    EXPECT_GT(CountNear(image, QRect(75, 80, 305, 18), QColor(80, 80, 80)), 20);
    // Nothing is written left of the texts' start, between the icon and x = 70 / 75.
    EXPECT_EQ(CountNear(image, QRect(53, 15, 17, 85), kBackground, 0), 17 * 85);
    EXPECT_EQ(CountNear(image, QRect(70, 58, 5, 40), kBackground, 0), 5 * 40);
}

TEST(XAboutDlgWindow, EmptyProductTextPaintsNoProductLine) {
    CXAboutDlg dlg(SVersionBlock{}, false);
    const QImage image = Render(dlg);
    EXPECT_EQ(CountNear(image, QRect(53, 0, 327, 58), kBackground, 0), 327 * 58);
    // The version line "Version:        000" is still there; the legal line is empty.
    EXPECT_GT(CountNear(image, QRect(75, 60, 305, 18), QColor(80, 80, 80)), 20);
    EXPECT_EQ(CountNear(image, QRect(53, 79, 327, 20), kBackground, 0), 327 * 20);
    EXPECT_EQ(dlg.VersionLine(), L"Version:        000");
}

TEST(XAboutDlgWindow, LeftClickClosesAsOk) {
    CXAboutDlg dlg(QuillonBlock(), true);
    int nOpened = 0;
    dlg.SetFolderOpener([&](const QString&) { ++nOpened; });
    dlg.show();
    ASSERT_TRUE(dlg.isVisible());
    QTest::mouseClick(&dlg, Qt::LeftButton, Qt::NoModifier, QPoint(200, 150));
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(nOpened, 0);
}

TEST(XAboutDlgWindow, RightClickOpensTheProgramFolderOnlyWhenAsked) {
    struct SCase {
        bool bOpens;
        const char* pszProgram;
        std::vector<QString> expected;
    };
    const std::vector<SCase> cases = {
        {true, "/opt/suite/Sondex/Sondex", {QStringLiteral("/opt/suite/Sondex")}},
        {true, "/Sondex", {QStringLiteral("/")}},
        {true, "Sondex", {}}, // no directory in the path: nothing to open
        {false, "/opt/suite/Quillon/Quillon", {}},
    };
    for (const SCase& c : cases) {
        SetProgramPathOverride(c.pszProgram);
        CXAboutDlg dlg(QuillonBlock(), c.bOpens);
        std::vector<QString> opened;
        dlg.SetFolderOpener([&](const QString& strDir) { opened.push_back(strDir); });
        dlg.show();
        QTest::mouseClick(&dlg, Qt::RightButton, Qt::NoModifier, QPoint(200, 150));
        EXPECT_EQ(opened, c.expected) << c.pszProgram;
        EXPECT_TRUE(dlg.isVisible()) << "a right click does not close the box";
    }
    SetProgramPathOverride({});
}

} // namespace
