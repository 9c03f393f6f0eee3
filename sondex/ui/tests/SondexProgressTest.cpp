// The progress dialog of a folder analysis: it hears every log once, in order, and the
// window ends with the same documents, result form and messages as without it.

#include "SondexWindowTestSupport.h"

#include "ChildFrame.h"
#include "FolderWorkflow.h"
#include "ProgressListener.h"
#include "ResultFormView.h"
#include "TextUtil.h"

#include <QLabel>
#include <QTabBar>

namespace {

using namespace sondexui;

struct SWindowState {
    std::vector<std::wstring> titles;
    std::vector<std::wstring> messages; ///< text, then "?Y" / "?N" for a question's answer
    std::string verdict;
    std::string failList;
    std::string parameters;
    int opened = 0;
    bool operator==(const SWindowState&) const = default;
};

class SondexProgressTest : public CSondexWindowTest {
protected:
    SWindowState Analyse(const fs::path& folder, int delayMs) {
        m_prompt.Clear();
        m_prompt.SetDefaultAnswer(true); // go on with the incomplete log
        auto frame = MakeFrame();
        frame->SetProgressDelay(delayMs);
        SWindowState state;
        state.opened = frame->AnalyzeFolder(Q(folder));
        for (const CChildFrame* child : frame->Frames()) {
            state.titles.push_back(child->GetDocument()->GetTitle());
        }
        for (const SPromptRecord& record : m_prompt.Records()) {
            state.messages.push_back(record.text);
            if (record.question) {
                state.messages.push_back(record.answer ? L"?Y" : L"?N");
            }
        }
        state.verdict = frame->ResultForm()->VerdictLabel()->text().toStdString();
        state.failList = frame->ResultForm()->FailListLabel()->text().toStdString();
        state.parameters = frame->ResultForm()->ParameterLabel()->text().toStdString();
        return state;
    }
};

TEST_F(SondexProgressTest, SameDocumentsAndMessagesWithTheDialogAndEveryLogHeardInOrder) {
    const fs::path folder = Folder("progress");
    CopySample(folder, "K7_board01.Txt", "a.Txt");
    CopySample(folder, "K7_board04.Txt", "b.Txt");
    CopySample(folder, "K7_board02.Txt", "d.Txt");
    // A log cut short asks whether to go on, half-way through the scan.
    const std::string whole = ReadBytes(kSamples / "logs" / "K7_board03.Txt");
    WriteBytes(folder / "c.Txt", whole.substr(0, whole.rfind('\n', whole.size() / 2) + 1));

    const SWindowState plain = Analyse(folder, -1);
    CProgressListener listener;
    const SWindowState shown = Analyse(folder, 0);

    ASSERT_EQ(plain.opened, 4);
    EXPECT_EQ(shown, plain);
    ASSERT_FALSE(plain.messages.empty()); // the question about the incomplete log
    EXPECT_EQ(listener.m_nShown, 1);
    std::vector<std::wstring> expected;
    for (const fs::path& log : FindLogFiles(folder)) {
        expected.push_back(PathToWide(log.filename())); // logs are reported by file name
    }
    EXPECT_EQ(listener.m_vecFiles, expected);
}

TEST_F(SondexProgressTest, AShortScanShowsNoDialog) {
    CProgressListener listener;
    const SWindowState state = Analyse(kSamples / "logs", 60000);
    EXPECT_EQ(state.opened, 6);
    EXPECT_EQ(listener.m_nShown, 0);
    EXPECT_TRUE(listener.m_vecFiles.empty());
}

} // namespace
