#pragma once

#include <QDialog>
#include <QImage>
#include <QPixmap>

#include <functional>
#include <string>

// The about box shared by the three programs: icon, product text, version line, legal
// notice and a picture, on a borderless 380 x 210 box that a left click closes.

/// The version block of the program (what a version resource holds elsewhere). A block
/// with every value empty stands for a program without a version block. The programs fill it
/// from their generated ProductVersion.h: {productinfo::kProductName, kProductVersion,
/// kLegalCopyright, kSpecialBuild}.
struct SVersionBlock {
    std::wstring strProductName;
    std::wstring strProductVersion; // e.g. "1, 0, 1, 29"
    std::wstring strLegalCopyright;
    std::wstring strSpecialBuild;
};

/// The texts the box paints, derived from the version block.
struct SAboutTexts {
    std::wstring strVersionHead;   // product version up to its last dot, e.g. "1.0.1"
    std::wstring strVersionNumber; // "%03d" of the last part, e.g. "029"
    std::wstring strLegalNotice;
    std::wstring strProductText;
    std::wstring strSpecialBuild; // without surrounding white space
};

/// Splits a product version: blanks removed, "," read as ".", head before the last dot and
/// "%03d" of the decimal value after it ("1, 0, 1, 29" gives "1.0.1" and "029").
void SplitProductVersion(const std::wstring& strVersion, std::wstring& strHead,
                         std::wstring& strNumber);

/// The texts of the box; a non-empty strProductText (set by the creator) wins over the
/// block's ProductName.
[[nodiscard]] SAboutTexts MakeAboutTexts(const SVersionBlock& block,
                                         const std::wstring& strProductText = std::wstring());

/// "Version:        1.0.1029", with "_P<special build>" appended when there is one.
[[nodiscard]] std::wstring FormatVersionLine(const SAboutTexts& texts);

class CXAboutDlg : public QDialog {
    Q_OBJECT
public:
    /// bRightClickOpensFolder: a right click opens the program's folder (Sondex, QuillonOrlo).
    explicit CXAboutDlg(const SVersionBlock& block, bool bRightClickOpensFolder,
                        QWidget* pParent = nullptr);

    /// The product text; set before showing to replace the version block's ProductName.
    void SetProductText(const std::wstring& strText);
    [[nodiscard]] const SAboutTexts& Texts() const { return m_texts; }
    [[nodiscard]] std::wstring VersionLine() const { return FormatVersionLine(m_texts); }

    /// Replaces how the folder is opened (tests record it instead of starting a file manager).
    void SetFolderOpener(std::function<void(const QString&)> opener);

    // Layout of the painting, in pixels.
    static constexpr int kWidth = 380;
    static constexpr int kHeight = 210;
    static constexpr int kPictureTop = 100;
    static constexpr int kIconX = 20;
    static constexpr int kIconY = 35;
    static constexpr int kProductX = 70;
    static constexpr int kProductY = 20;
    static constexpr int kVersionX = 75;
    static constexpr int kVersionY = 60;
    static constexpr int kLegalX = 75;
    static constexpr int kLegalY = 80;

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;

private:
    void OpenProgramFolder();

    SVersionBlock m_block;
    SAboutTexts m_texts;
    std::wstring m_strCreatorProduct;
    bool m_bRightClickOpensFolder = false;
    QImage m_picture;
    QPixmap m_icon;
    std::function<void(const QString&)> m_folderOpener;
};
