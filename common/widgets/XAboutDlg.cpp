#include "XAboutDlg.h"

#include "AboutPicture.h"
#include "DecimalText.h"
#include "ProgramLocation.h"
#include "TextUtil.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFont>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

#include <climits>

namespace {

const QColor kBackground(232, 232, 232);
const QColor kProductColour(58, 110, 165);
const QColor kTextColour(80, 80, 80);

using widgets::DecimalValue;

// The font the box asks for; where "MS Sans Serif" is missing the next families stand in
// (a plain sans face, then one that has CJK glyphs); the height is that of the text line.
QFont AboutFont(int nPixels, int nWeight) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("WenQuanYi Zen Hei")});
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(static_cast<QFont::Weight>(nWeight));
    return FitCellHeight(font, nPixels);
}

} // namespace

void SplitProductVersion(const std::wstring& strVersion, std::wstring& strHead,
                         std::wstring& strNumber) {
    std::wstring strText;
    for (wchar_t c : strVersion) {
        if (c == L' ' || c == L'\t') {
            continue;
        }
        strText.push_back(c == L',' ? L'.' : c);
    }
    const std::size_t nDot = strText.rfind(L'.');
    std::wstring strLast;
    if (nDot == std::wstring::npos) {
        strHead.clear();
        strLast = strText;
    } else {
        strHead = strText.substr(0, nDot);
        strLast = strText.substr(nDot + 1);
    }
    strNumber = FormatW(L"%03d", DecimalValue(strLast));
}

SAboutTexts MakeAboutTexts(const SVersionBlock& block, const std::wstring& strProductText) {
    SAboutTexts texts;
    SplitProductVersion(block.strProductVersion, texts.strVersionHead, texts.strVersionNumber);
    texts.strLegalNotice = block.strLegalCopyright;
    texts.strProductText = strProductText.empty() ? block.strProductName : strProductText;
    texts.strSpecialBuild = TrimChars(block.strSpecialBuild, L" \t\r\n\v\f");
    return texts;
}

std::wstring FormatVersionLine(const SAboutTexts& texts) {
    if (!texts.strSpecialBuild.empty()) {
        return FormatW(L"Version:        %ls%ls_P%ls", texts.strVersionHead.c_str(),
                       texts.strVersionNumber.c_str(), texts.strSpecialBuild.c_str());
    }
    return FormatW(L"Version:        %ls%ls", texts.strVersionHead.c_str(),
                   texts.strVersionNumber.c_str());
}

CXAboutDlg::CXAboutDlg(const SVersionBlock& block, bool bRightClickOpensFolder, QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::FramelessWindowHint), m_block(block),
      m_bRightClickOpensFolder(bRightClickOpensFolder), m_picture(MakeAboutPicture()) {
    m_texts = MakeAboutTexts(m_block);
    // The program's own icon when it has one, else the suite's drawn one.
    const QIcon icon = QApplication::windowIcon();
    m_icon = icon.isNull() ? QPixmap::fromImage(MakeAboutIcon(32)) : icon.pixmap(32, 32);
    setFixedSize(m_picture.width(), m_picture.height() + kPictureTop);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QString::fromStdWString(m_texts.strProductText));
    m_folderOpener = [](const QString& strDir) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(strDir));
    };
}

void CXAboutDlg::SetProductText(const std::wstring& strText) {
    m_strCreatorProduct = strText;
    m_texts = MakeAboutTexts(m_block, m_strCreatorProduct);
    setWindowTitle(QString::fromStdWString(m_texts.strProductText));
    update();
}

void CXAboutDlg::SetFolderOpener(std::function<void(const QString&)> opener) {
    m_folderOpener = std::move(opener);
}

void CXAboutDlg::paintEvent(QPaintEvent* /*pEvent*/) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    painter.drawImage(0, kPictureTop, m_picture);
    painter.drawPixmap(kIconX, kIconY, m_icon);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    // Texts are placed by the top of their line, as the layout gives them.
    const int nFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    if (!m_texts.strProductText.empty()) {
        painter.setFont(AboutFont(30, 700));
        painter.setPen(kProductColour);
        painter.drawText(QRect(kProductX, kProductY, width() - kProductX, 40), nFlags,
                         QString::fromStdWString(m_texts.strProductText));
    }
    painter.setFont(AboutFont(12, 400));
    painter.setPen(kTextColour);
    painter.drawText(QRect(kVersionX, kVersionY, width() - kVersionX, 18), nFlags,
                     QString::fromStdWString(FormatVersionLine(m_texts)));
    painter.drawText(QRect(kLegalX, kLegalY, width() - kLegalX, 18), nFlags,
                     QString::fromStdWString(m_texts.strLegalNotice));
}

void CXAboutDlg::mousePressEvent(QMouseEvent* pEvent) {
    if (pEvent->button() == Qt::LeftButton) {
        accept();
        return;
    }
    if (pEvent->button() == Qt::RightButton && m_bRightClickOpensFolder) {
        OpenProgramFolder();
        return;
    }
    QDialog::mousePressEvent(pEvent);
}

void CXAboutDlg::OpenProgramFolder() {
    const std::wstring strPath = PathToWide(GetProgramPath());
    const std::size_t nSlash = strPath.rfind(L'/');
    if (nSlash == std::wstring::npos || !m_folderOpener) {
        return; // a path without a directory has no folder to show
    }
    // The program in the root directory lies in "/".
    const std::wstring strDir = nSlash == 0 ? std::wstring(L"/") : strPath.substr(0, nSlash);
    m_folderOpener(QString::fromStdWString(strDir));
}
