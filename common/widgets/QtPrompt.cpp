#include "QtPrompt.h"

#include <QApplication>
#include <QMessageBox>

namespace {
QString Caption(const std::wstring& caption) {
    return caption.empty() ? QApplication::applicationName() : QString::fromStdWString(caption);
}
} // namespace

void CQtPrompt::Show(const std::wstring& text, const std::wstring& caption) {
    QMessageBox::information(m_pParent, Caption(caption), QString::fromStdWString(text));
}

bool CQtPrompt::AskYesNo(const std::wstring& text, const std::wstring& caption) {
    return QMessageBox::warning(m_pParent, Caption(caption), QString::fromStdWString(text),
                                QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}
