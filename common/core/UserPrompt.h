#pragma once

#include <deque>
#include <iosfwd>
#include <string>
#include <vector>

// The user-prompt seam: every message box and Yes/No question of the engines goes through
// the process-wide IUserPrompt, so the GUI shows it, a batch run records it and a test
// asserts its exact text.

/// One message or question as the user saw it.
struct SPromptRecord {
    std::wstring text;
    std::wstring caption;
    bool question = false; ///< a Yes/No question (with the warning icon)
    bool answer = false;   ///< the answer given, for questions: true = Yes
};

class IUserPrompt {
public:
    virtual ~IUserPrompt() = default;
    /// A modal message with an OK button.
    virtual void Show(const std::wstring& text, const std::wstring& caption = std::wstring()) = 0;
    /// A modal Yes/No question with the warning icon; true means Yes.
    virtual bool AskYesNo(const std::wstring& text, const std::wstring& caption) = 0;
};

/// The installed prompt; a console prompt answering No when none was installed.
[[nodiscard]] IUserPrompt& GetPrompt();
/// Installs prompt (not owned; nullptr restores the default) and returns the previous one.
IUserPrompt* SetPrompt(IUserPrompt* prompt);

/// Installs a prompt for the lifetime of the guard.
class CScopedPrompt {
public:
    explicit CScopedPrompt(IUserPrompt& prompt) : m_pPrevious(SetPrompt(&prompt)) {}
    ~CScopedPrompt() { SetPrompt(m_pPrevious); }
    CScopedPrompt(const CScopedPrompt&) = delete;
    CScopedPrompt& operator=(const CScopedPrompt&) = delete;

private:
    IUserPrompt* m_pPrevious;
};

/// Keeps every text; answers questions from a script, then with the default answer.
class CRecordingPrompt : public IUserPrompt {
public:
    explicit CRecordingPrompt(bool defaultAnswer = false) : m_bDefaultAnswer(defaultAnswer) {}
    void Show(const std::wstring& text, const std::wstring& caption = std::wstring()) override;
    bool AskYesNo(const std::wstring& text, const std::wstring& caption) override;

    /// Queues the answers of the next questions, in order.
    void Script(std::initializer_list<bool> answers) { m_answers.insert(m_answers.end(), answers); }
    void SetDefaultAnswer(bool answer) { m_bDefaultAnswer = answer; }
    [[nodiscard]] const std::vector<SPromptRecord>& Records() const { return m_records; }
    /// The texts only, in order, messages and questions alike.
    [[nodiscard]] std::vector<std::wstring> Texts() const;
    void Clear() { m_records.clear(); }

private:
    bool m_bDefaultAnswer;
    std::deque<bool> m_answers;
    std::vector<SPromptRecord> m_records;
};

/// The batch programs' prompt: one fixed answer (--answer yes|no) for every question, each
/// text written to a stream (stderr by default) and kept for a JSON report.
class CConsolePrompt : public IUserPrompt {
public:
    explicit CConsolePrompt(bool answer = false, std::wostream* out = nullptr);
    void Show(const std::wstring& text, const std::wstring& caption = std::wstring()) override;
    bool AskYesNo(const std::wstring& text, const std::wstring& caption) override;
    [[nodiscard]] const std::vector<SPromptRecord>& Records() const { return m_records; }
    /// Stops writing to the stream (JSON mode keeps the texts for the document only).
    void SetEcho(bool echo) { m_bEcho = echo; }

private:
    void Echo(const SPromptRecord& record);
    bool m_bAnswer;
    bool m_bEcho = true;
    std::wostream* m_pOut;
    std::vector<SPromptRecord> m_records;
};
