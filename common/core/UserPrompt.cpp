#include "UserPrompt.h"

#include "TextUtil.h"

#include <cstdio>
#include <iostream>

namespace {
IUserPrompt*& Installed() {
    static IUserPrompt* prompt = nullptr;
    return prompt;
}
} // namespace

IUserPrompt& GetPrompt() {
    static CConsolePrompt fallback(false);
    IUserPrompt* p = Installed();
    return p ? *p : fallback;
}

IUserPrompt* SetPrompt(IUserPrompt* prompt) {
    IUserPrompt* previous = Installed();
    Installed() = prompt;
    return previous;
}

void CRecordingPrompt::Show(const std::wstring& text, const std::wstring& caption) {
    m_records.push_back({text, caption, false, false});
}

bool CRecordingPrompt::AskYesNo(const std::wstring& text, const std::wstring& caption) {
    bool answer = m_bDefaultAnswer;
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    }
    m_records.push_back({text, caption, true, answer});
    return answer;
}

std::vector<std::wstring> CRecordingPrompt::Texts() const {
    std::vector<std::wstring> texts;
    texts.reserve(m_records.size());
    for (const auto& r : m_records) {
        texts.push_back(r.text);
    }
    return texts;
}

CConsolePrompt::CConsolePrompt(bool answer, std::wostream* out) : m_bAnswer(answer), m_pOut(out) {}

void CConsolePrompt::Show(const std::wstring& text, const std::wstring& caption) {
    m_records.push_back({text, caption, false, false});
    Echo(m_records.back());
}

bool CConsolePrompt::AskYesNo(const std::wstring& text, const std::wstring& caption) {
    m_records.push_back({text, caption, true, m_bAnswer});
    Echo(m_records.back());
    return m_bAnswer;
}

void CConsolePrompt::Echo(const SPromptRecord& record) {
    if (!m_bEcho) {
        return;
    }
    std::wstring line = record.text;
    if (record.question) {
        line += record.answer ? L" [yes]" : L" [no]";
    }
    if (m_pOut) {
        *m_pOut << line << L'\n';
        m_pOut->flush();
        return;
    }
    // Narrow stderr in UTF-8: mixing wide and narrow output on one C stream is not allowed.
    const std::string bytes = WideToUtf8(line) + "\n";
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}
