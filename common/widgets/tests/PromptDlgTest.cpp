#include "PromptDlg.h"

#include "SettingsFile.h"

#include <QFontMetrics>
#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kDefaultDlgColor = 214u + 256u * 251u + 65536u * 168u;

// Points the process-wide settings at a file of the test, and back afterwards.
class PromptDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() /
                ("prompt_test_" + std::to_string(::getpid()) + "_" + info->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_oldPath = GetSettings().Path();
        m_ini = m_dir / "Quillon.ini";
        GetSettings().SetPath(m_ini);
        m_settings.SetPath(m_ini);
    }
    void TearDown() override {
        GetSettings().SetPath(m_oldPath);
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    void WriteIni(const std::string& text) { std::ofstream(m_ini, std::ios::binary) << text; }

    fs::path m_dir;
    fs::path m_ini;
    fs::path m_oldPath;
    CSettingsFile m_settings;
};

bool Near(const QColor& a, const QColor& b, int nTolerance) {
    return std::abs(a.red() - b.red()) <= nTolerance &&
           std::abs(a.green() - b.green()) <= nTolerance &&
           std::abs(a.blue() - b.blue()) <= nTolerance;
}

int CountNear(const QImage& image, const QRect& area, const QColor& colour, int nTolerance = 40) {
    int nCount = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            nCount += Near(image.pixelColor(x, y), colour, nTolerance) ? 1 : 0;
        }
    }
    return nCount;
}

QImage Render(CPromptDlg& dlg) {
    return dlg.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(PromptDlgColor, ParseKeepsLowEightBitsAndNoDigitsGiveZero) {
    struct SCase {
        const wchar_t* pszText;
        unsigned nExpected;
    };
    const std::vector<SCase> cases = {
        {L"214", 214}, {L"300", 44},          {L"256", 0},  {L"255", 255}, {L"abc", 0},
        {L"", 0},      {L"  12x", 12},        {L"-1", 255}, {L"+7", 7},    {L"x12", 0},
        {L"\t65", 65}, {L"99999999999", 255}, {L"1e3", 1},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(ParseDlgColorComponent(c.pszText), c.nExpected)
            << QString::fromWCharArray(c.pszText).toStdString();
    }
}

TEST_F(PromptDlgTest, DlgColorDefaultsAndOverrides) {
    EXPECT_EQ(ReadDlgColor(m_settings), kDefaultDlgColor); // no settings file
    WriteIni("[DlgColor]\r\nR=300\r\nG=abc\r\n");
    EXPECT_EQ(ReadDlgColor(m_settings), 44u + 0u * 256u + 168u * 65536u);
    WriteIni("[dlgcolor]\r\nr = 1\r\ng=2\r\nb=3\r\n");
    EXPECT_EQ(ReadDlgColor(m_settings), 1u + 2u * 256u + 3u * 65536u);
}

TEST_F(PromptDlgTest, LinesPerProgram) {
    struct SCase {
        const char* pszIni;
        EPromptVariant variant;
        std::vector<std::wstring> expected;
    };
    const char* pszGaps = "[Prompt]\r\ntext1=\r\ntext2=second\r\ntext4=  fourth  \r\n"
                          "text5=fifth\r\ntext6=sixth\r\n";
    const std::vector<SCase> cases = {
        {"", EPromptVariant::Quillon, {}},
        {"", EPromptVariant::QuillonOrlo, {L"", L"", L"", L"", L""}},
        {"", EPromptVariant::Sondex, {}},
        {pszGaps, EPromptVariant::Quillon, {L"second", L"fourth", L"fifth", L"sixth"}},
        {pszGaps, EPromptVariant::QuillonOrlo, {L"", L"second", L"", L"fourth", L"fifth"}},
        {pszGaps, EPromptVariant::Sondex, {}},
        {"[Prompt]\r\ntext1=\r\ntext2=only\r\n", EPromptVariant::Quillon, {L"only"}},
    };
    for (const SCase& c : cases) {
        WriteIni(c.pszIni);
        EXPECT_EQ(ReadPromptLines(c.variant, m_settings), c.expected) << c.pszIni;
    }
}

TEST(PromptDlgGeometry, FollowsThePlacementAndVariant) {
    const QRect placement(100, 120, 800, 500); // right edge 900, exclusive
    const CPromptGeometry quillon(placement, 3, EPromptVariant::Quillon);
    EXPECT_EQ(quillon.Left(), 150);
    EXPECT_EQ(quillon.Right(), 850);
    EXPECT_EQ(quillon.Top(), 70);
    EXPECT_EQ(quillon.Bottom(), 70 + 70 + 3 * 50);
    EXPECT_EQ(quillon.ColumnLine(), 200);
    EXPECT_EQ(quillon.SeparatorY(0), 140);
    EXPECT_EQ(quillon.SeparatorY(2), 240);
    EXPECT_EQ(quillon.TitleBox(), QRect(150, 70, 700, 70));
    EXPECT_EQ(quillon.TextBox(1), QRect(201, 140 + 50 + 16, 850 + 1 - 201, 50));
    EXPECT_EQ(quillon.NumberBox(1), QRect(200 - 32, 206, 33, 50));

    const CPromptGeometry orlo(placement, 5, EPromptVariant::QuillonOrlo);
    EXPECT_EQ(orlo.Top(), 70);
    EXPECT_EQ(orlo.ColumnLine(), 250);
    EXPECT_EQ(orlo.NumberBox(0), QRect(250 - 95, 140 + 16, 96, 50));
    EXPECT_EQ(orlo.TextBox(0).left(), 251);

    const CPromptGeometry sondex(placement, 2, EPromptVariant::Sondex);
    EXPECT_EQ(sondex.Top(), 120);
    EXPECT_EQ(sondex.ColumnLine(), 200);
    EXPECT_EQ(sondex.NumberBox(0), QRect(168, 120 + 70 + 16, 33, 50));
}

TEST(PromptDlgStyle, PerProgramTable) {
    const SPromptStyle quillon = PromptStyleFor(EPromptVariant::Quillon);
    EXPECT_EQ(quillon.strTitle, QStringLiteral("使用须知"));
    EXPECT_EQ(quillon.text, QColor(255, 0, 0));
    EXPECT_EQ(quillon.border, QColor(0, 0, 0));
    // Heights in pixels are line heights: the largest size whose line fits.
    EXPECT_LE(QFontMetrics(quillon.titleFont).height(), 50);
    EXPECT_GT(QFontMetrics(quillon.titleFont).height(), 44);
    EXPECT_TRUE(quillon.titleFont.bold());
    EXPECT_LE(QFontMetrics(quillon.lineFont).height(), 30);
    EXPECT_GT(QFontMetrics(quillon.lineFont).height(), 25);
    EXPECT_EQ(quillon.titleFont.families().value(0), QStringLiteral("Courier New"));
    const SPromptStyle orlo = PromptStyleFor(EPromptVariant::QuillonOrlo);
    EXPECT_EQ(orlo.strTitle, QStringLiteral("使用须知"));
    EXPECT_EQ(orlo.titleFont.pointSize(), 30);
    EXPECT_EQ(orlo.lineFont.pointSize(), 16);
    EXPECT_EQ(orlo.titleFont.families().value(0), QStringLiteral("黑体"));
    EXPECT_EQ(orlo.lineFont.families().value(0), QStringLiteral("宋体"));
    EXPECT_EQ(orlo.nNumberColumn, 100);
    const SPromptStyle sondex = PromptStyleFor(EPromptVariant::Sondex);
    EXPECT_EQ(sondex.strTitle, QStringLiteral("Notice"));
    EXPECT_EQ(sondex.background, QColor(205, 223, 255));
    EXPECT_EQ(sondex.border, QColor(43, 40, 89));
    EXPECT_EQ(sondex.text, QColor(115, 65, 182));
    EXPECT_EQ(sondex.number, QColor(43, 40, 89));
}

// Checks the drawn table of a notice against its geometry and colours.
void ExpectTable(const QImage& image, const CPromptGeometry& g, const SPromptStyle& style,
                 const QColor& background) {
    const int nL = g.Left();
    const int nR = g.Right();
    const int nT = g.Top();
    const int nB = g.Bottom();
    const int nMidY = (nT + g.SeparatorY(0)) / 2;
    const int nMidX = (nL + nR) / 2;
    // Background outside and inside the table.
    EXPECT_EQ(image.pixelColor(nL - 10, nMidY), background);
    EXPECT_EQ(image.pixelColor(nL + 8, nT + 8), background);
    // The 4-pixel outline is centred on its lines.
    for (int d = -2; d <= 1; ++d) {
        EXPECT_EQ(image.pixelColor(nL + d, nMidY), style.border) << "left " << d;
        EXPECT_EQ(image.pixelColor(nR + d, nMidY), style.border) << "right " << d;
        EXPECT_EQ(image.pixelColor(nL + 5, nT + d), style.border) << "top " << d;
        EXPECT_EQ(image.pixelColor(nL + 5, nB + d), style.border) << "bottom " << d;
    }
    EXPECT_EQ(image.pixelColor(nL - 3, nMidY), background);
    EXPECT_EQ(image.pixelColor(nL + 2, nMidY), background);
    EXPECT_EQ(image.pixelColor(nL + 5, nT + 2), background);
    // Title in the text colour inside the header, centred.
    const QRect title = g.TitleBox().adjusted(3, 3, -3, -3);
    EXPECT_GT(CountNear(image, title, style.text), 100);
    EXPECT_GT(CountNear(image, QRect(nMidX - 60, nT + 3, 120, 64), style.text), 50);
    EXPECT_EQ(CountNear(image, QRect(nL + 3, nT + 3, 60, 64), style.text, 60), 0);
    // Rows: separators and the number column in 1 pixel, numbers and texts in their colours.
    for (int k = 0; k < g.Lines(); ++k) {
        const int y = g.SeparatorY(k);
        EXPECT_EQ(image.pixelColor(nR - 20, y), style.border) << "separator " << k;
        EXPECT_EQ(image.pixelColor(nR - 20, y + 1), background) << "separator " << k;
        EXPECT_EQ(image.pixelColor(nR - 20, y - 1), background) << "separator " << k;
        EXPECT_EQ(image.pixelColor(g.ColumnLine(), y + 5), style.border) << "column " << k;
        EXPECT_EQ(image.pixelColor(g.ColumnLine() + 1, y + 5), background) << "column " << k;
        EXPECT_EQ(image.pixelColor(g.ColumnLine() - 1, y + 5), background) << "column " << k;
        // Number and text start D / 3 below the separator.
        const QRect number = g.NumberBox(k);
        EXPECT_EQ(
            CountNear(image, QRect(number.left(), y + 2, number.width() - 2, 13), style.number, 60),
            0);
        EXPECT_GT(CountNear(image, QRect(number.left(), number.top(), number.width() - 2, 34),
                            style.number),
                  10)
            << "number " << k + 1;
    }
    EXPECT_EQ(image.pixelColor(nL + 8, g.SeparatorY(0) + 3), background);
}

TEST_F(PromptDlgTest, QuillonNoticeGeometryAndColours) {
    WriteIni("[Prompt]\r\ntext1=\r\ntext2=Scan logs first\r\ntext3=AB\r\n"
             "[DlgColor]\r\nR=300\r\nG=251\r\nB=168\r\n");
    QWidget owner;
    owner.resize(1000, 700);
    CPromptDlg dlg(EPromptVariant::Quillon, &owner);
    const QRect placement(40, 110, 900, 560);
    dlg.SetPlacement(placement);
    owner.show();
    EXPECT_EQ(dlg.objectName(), QStringLiteral("prompt"));
    EXPECT_EQ(dlg.geometry(), placement);
    ASSERT_EQ(dlg.Lines(), (std::vector<std::wstring>{L"Scan logs first", L"AB"}));
    const QColor background(44, 251, 168);
    EXPECT_EQ(dlg.Style().background, background);
    const QImage image = Render(dlg);
    ASSERT_EQ(image.size(), placement.size());
    const CPromptGeometry g = dlg.Geometry();
    EXPECT_EQ(g.Top(), 60);
    ExpectTable(image, g, dlg.Style(), background);
    // Row texts in red from the text box's top left.
    EXPECT_GT(CountNear(image, g.TextBox(0).adjusted(0, 0, 0, -16), QColor(255, 0, 0)), 100);
    EXPECT_GT(
        CountNear(image, QRect(g.TextBox(1).left(), g.TextBox(1).top(), 60, 34), QColor(255, 0, 0)),
        30);
    // Two rows only: below the bottom line there is background.
    EXPECT_EQ(g.Bottom(), 60 + 70 + 2 * 50);
    EXPECT_EQ(image.pixelColor(g.Left() + 20, g.Bottom() + 10), background);
}

TEST_F(PromptDlgTest, QuillonWithoutSettingsShowsTheTitleOnly) {
    QWidget owner;
    owner.resize(800, 600);
    CPromptDlg dlg(EPromptVariant::Quillon, &owner);
    dlg.SetPlacement(QRect(20, 80, 760, 500));
    owner.show();
    EXPECT_TRUE(dlg.Lines().empty());
    const QColor background(214, 251, 168);
    const QImage image = Render(dlg);
    const CPromptGeometry g = dlg.Geometry();
    ExpectTable(image, g, dlg.Style(), background);
    EXPECT_EQ(g.Bottom(), g.Top() + 70);
    // No number column without rows.
    EXPECT_EQ(image.pixelColor(g.ColumnLine(), g.Bottom() + 10), background);
    EXPECT_EQ(image.pixelColor(g.ColumnLine(), g.Bottom() - 10), background);
}

TEST_F(PromptDlgTest, OrloShowsFiveNumberedRowsWithoutSettings) {
    QWidget owner;
    owner.resize(1000, 700);
    CPromptDlg dlg(EPromptVariant::QuillonOrlo, &owner);
    dlg.SetPlacement(QRect(10, 90, 960, 600));
    owner.show();
    ASSERT_EQ(dlg.Lines().size(), 5u);
    const QImage image = Render(dlg);
    const CPromptGeometry g = dlg.Geometry();
    EXPECT_EQ(g.ColumnLine(), g.Left() + 100);
    ExpectTable(image, g, dlg.Style(), QColor(214, 251, 168));
    // Numbers sit at the number box's left, 95 pixels before the column line.
    const QRect number = g.NumberBox(4);
    EXPECT_GT(CountNear(image, QRect(number.left(), number.top(), 20, 30), Qt::black), 5);
    EXPECT_EQ(CountNear(image, QRect(number.left() + 25, number.top(), 60, 30), Qt::black, 60), 0);
}

TEST_F(PromptDlgTest, SondexCoversTheOwnerAndUsesItsOwnColours) {
    WriteIni("[DlgColor]\r\nR=1\r\nG=2\r\nB=3\r\n"); // Sondex ignores DlgColor
    QWidget owner;
    owner.resize(900, 640);
    CPromptDlg dlg(EPromptVariant::Sondex, &owner);
    dlg.SetLines({L"Open a log", L"Check the project"});
    const QRect placement(-4, -30, 908, 674);
    dlg.SetPlacement(placement);
    owner.show();
    EXPECT_EQ(dlg.geometry(), owner.rect());
    const QImage image = Render(dlg);
    const CPromptGeometry g = dlg.Geometry();
    EXPECT_EQ(g.Top(), -30 + 0);
    // The top edge lies above the window; check what is visible.
    const QColor background(205, 223, 255);
    const SPromptStyle& style = dlg.Style();
    EXPECT_EQ(style.background, background);
    for (int d = -2; d <= 1; ++d) {
        EXPECT_EQ(image.pixelColor(g.Left() + d, 10), style.border);
    }
    EXPECT_EQ(image.pixelColor(g.Left() + 8, 10), background);
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(image.pixelColor(g.Right() - 20, g.SeparatorY(k)), style.border);
        EXPECT_EQ(image.pixelColor(g.Right() - 20, g.SeparatorY(k) + 1), background);
        EXPECT_EQ(image.pixelColor(g.ColumnLine(), g.SeparatorY(k) + 5), style.border);
        EXPECT_GT(CountNear(image, g.TextBox(k).adjusted(0, 0, 0, -16), style.text), 50);
        EXPECT_GT(CountNear(image, g.NumberBox(k).adjusted(0, 0, -2, -16), style.number), 10);
    }
    EXPECT_GT(CountNear(image, QRect(g.Left() + 3, 0, g.Right() - g.Left() - 6, 38), style.text),
              30);
    // The notice follows the owner's size.
    owner.resize(700, 500);
    EXPECT_EQ(dlg.geometry(), owner.rect());
}

TEST_F(PromptDlgTest, PlacementSourceIsAskedAgain) {
    QWidget owner;
    owner.resize(900, 700);
    QRect current(10, 60, 800, 500);
    CPromptDlg dlg(EPromptVariant::Quillon, &owner);
    dlg.SetPlacementSource([&] { return current; });
    owner.show();
    EXPECT_EQ(dlg.geometry(), current);
    current = QRect(30, 70, 820, 520);
    owner.resize(950, 720);
    EXPECT_EQ(dlg.geometry(), current);
    EXPECT_EQ(dlg.Placement(), current);
}

} // namespace
