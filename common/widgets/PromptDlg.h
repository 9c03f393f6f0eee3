#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CSettingsFile;

// The usage notice every program opens with: a titled, numbered table of lines drawn over
// the main window until the first analysis starts.

/// Which program's notice: title, lines source, colours, fonts and table layout differ.
enum class EPromptVariant { Quillon, QuillonOrlo, Sondex };

/// One colour component of DlgColor: the text's decimal value (leading blanks, sign,
/// digits; none gives 0), of which the low 8 bits are kept ("300" gives 44).
[[nodiscard]] unsigned ParseDlgColorComponent(const std::wstring& strText);

/// DlgColor/R, G, B of the settings as 0x00BBGGRR (defaults 214, 251, 168).
[[nodiscard]] std::uint32_t ReadDlgColor(const CSettingsFile& settings);

/// The notice lines of Quillon (Prompt/text1..text6, non-empty only) or QuillonOrlo
/// (Prompt/text1..text5, all five); Sondex takes its lines from its configuration, so empty.
[[nodiscard]] std::vector<std::wstring> ReadPromptLines(EPromptVariant variant,
                                                        const CSettingsFile& settings);

/// Everything that differs between the programs' notices.
struct SPromptStyle {
    QString strTitle;
    QColor background;
    QColor border; // outline and separator lines
    QColor text;   // title and line text
    QColor number;
    QFont titleFont;
    QFont lineFont;
    int nNumberColumn = 50;      // width w of the number column
    int nNumberBoxLeft = -32;    // number box starts this far from the column line
    int nTopFromPlacement = -50; // table top relative to P.top
};

/// The style of a variant; background is the fixed one for Sondex and the default DlgColor
/// for the others (the dialog reads the settings for those).
[[nodiscard]] SPromptStyle PromptStyleFor(EPromptVariant variant);

/// The table's geometry for n lines inside placement P, in the notice's own coordinates.
class CPromptGeometry {
public:
    static constexpr int kHeaderHeight = 70; // H
    static constexpr int kRowHeight = 50;    // D
    static constexpr int kSideMargin = 50;   // L = P.left + 50, R = P.right - 50
    static constexpr int kOutlineWidth = 4;

    CPromptGeometry(const QRect& placement, int nLines, EPromptVariant variant);

    [[nodiscard]] int Left() const { return m_nLeft; }
    [[nodiscard]] int Right() const { return m_nRight; }
    [[nodiscard]] int Top() const { return m_nTop; }
    [[nodiscard]] int Bottom() const { return m_nTop + kHeaderHeight + m_nLines * kRowHeight; }
    [[nodiscard]] int Lines() const { return m_nLines; }
    /// x of the number column's line.
    [[nodiscard]] int ColumnLine() const { return m_nLeft + m_nNumberColumn; }
    /// y of the separator above row k (k = 0 is the header's bottom).
    [[nodiscard]] int SeparatorY(int k) const { return m_nTop + kHeaderHeight + k * kRowHeight; }
    /// Title box (L, T) to (R, T + H).
    [[nodiscard]] QRect TitleBox() const;
    /// Text box of row k: x from L + w + 1 to R + 1, y shifted down by D / 3.
    [[nodiscard]] QRect TextBox(int k) const;
    /// Number box of row k: same top and bottom, x around the column line.
    [[nodiscard]] QRect NumberBox(int k) const;

private:
    int m_nLeft = 0;
    int m_nRight = 0;
    int m_nTop = 0;
    int m_nLines = 0;
    int m_nNumberColumn = 50;
    int m_nNumberBoxLeft = -32;
};

class CPromptDlg : public QWidget {
    Q_OBJECT
public:
    /// Creates the notice as a child of its owner. Quillon and QuillonOrlo read their lines
    /// and DlgColor from the process-wide settings now; Sondex gets its lines by SetLines.
    CPromptDlg(EPromptVariant variant, QWidget* pOwner);

    /// The placement rectangle P in the owner's client coordinates. Quillon and
    /// QuillonOrlo move the notice over P; Sondex covers the owner's client area.
    void SetPlacement(const QRect& placement);
    /// P asked for again before every painting and when the owner resizes (e.g. the current
    /// geometry of the main window's tab control), so the notice follows a re-layout.
    void SetPlacementSource(std::function<QRect()> source);
    [[nodiscard]] QRect Placement() const { return m_placement; }
    void SetLines(std::vector<std::wstring> lines);
    [[nodiscard]] const std::vector<std::wstring>& Lines() const { return m_lines; }
    [[nodiscard]] EPromptVariant Variant() const { return m_variant; }
    [[nodiscard]] const SPromptStyle& Style() const { return m_style; }
    [[nodiscard]] CPromptGeometry Geometry() const;

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void FollowPlacement();
    void DrawTable(QPainter& painter) const;

    EPromptVariant m_variant;
    SPromptStyle m_style;
    std::vector<std::wstring> m_lines;
    QRect m_placement;
    std::function<QRect()> m_placementSource;
};
