#pragma once

#include "UserPrompt.h"

class QWidget;

// The GUI programs' prompt: modal message boxes over the main window.
class CQtPrompt : public IUserPrompt {
public:
    explicit CQtPrompt(QWidget* parent = nullptr) : m_pParent(parent) {}
    void SetParent(QWidget* parent) { m_pParent = parent; }
    void Show(const std::wstring& text, const std::wstring& caption = std::wstring()) override;
    bool AskYesNo(const std::wstring& text, const std::wstring& caption) override;

private:
    QWidget* m_pParent = nullptr;
};
