// Opening a long program: the window is up at once, the translation runs on
// its own thread with its progress in the status bar, and the document takes
// its result when it is done; a run asked for meanwhile starts then.
#include <gtest/gtest.h>

#include <string>

#include "ide/run/program_loader.h"
#include "ide/shell/veldra_doc.h"
#include "interpreter/var_table.h"
#include "tests/ide/ide_start_util.h"
#include "tests/ide/program_host.h"

using namespace ide_test;

namespace {

// A text past the size that translates in place: `lines` assignments to
// distinct names, then whatever follows.
std::string LongProgram(int lines, const std::string& tail)
{
    std::string text;
    for (int i = 0; i < lines; i++) text += "v" + std::to_string(i) + " = " + std::to_string(i) + " * 2;\n";
    return text + tail;
}

std::string MessagePane(CMainFrame* frame) { return frame->m_wndStatusBar.GetPaneText(0); }

class LongPrograms : public IdeTest {
protected:
    CVeldraDoc* Open(const std::string& name, const std::string& text)
    {
        const fs::path file = root / name;
        WriteText(file, text);
        return dynamic_cast<CVeldraDoc*>(app->OpenDocumentFile(file.c_str()));
    }
};

TEST_F(LongPrograms, ALongTextTranslatesBehindTheOpenWindowAndACalculateWaitsForIt)
{
    ASSERT_TRUE(Start());
    const std::string text = LongProgram(20000, "total = v19999 + v1;\n");
    ASSERT_GT(text.size(), CProgramLoader::kInPlaceBytes);
    CVeldraDoc* doc = Open("long.vdx", text);
    ASSERT_NE(doc, nullptr);
    // The document is open and its window shown while the translation runs.
    ASSERT_TRUE(doc->IsLoading());
    EXPECT_FALSE(doc->translated);
    EXPECT_TRUE(::IsWindowVisible(doc->GetProgramView()->m_hWnd));
    EXPECT_EQ(MessagePane(Frame()).rfind("Translating long.vdx... ", 0), 0u) << MessagePane(Frame());
    // Calculate meanwhile: the run starts once the translation is done.
    DoCommand(doc, ID_PROGRAM_CALCULATE);
    EXPECT_EQ(doc->GetRunState(), RunState::Idle);
    ASSERT_TRUE(PumpUntil([&] { return !doc->IsLoading(); }, 60000));
    EXPECT_TRUE(doc->translated);
    EXPECT_EQ(MessagePane(Frame()), "Ready");
    EXPECT_EQ(doc->Vars()->Count(), 20001);
    ASSERT_TRUE(FinishRun(doc));
    CVarSlot* total = doc->Vars()->Find("total");
    ASSERT_TRUE(total && total->value);
    EXPECT_EQ(total->value->Real(), 19999 * 2 + 2);
}

TEST_F(LongPrograms, AnErrorIsReportedOnceAtItsLineAndClosingWaitsForTheTranslation)
{
    ASSERT_TRUE(Start());
    CVeldraDoc* doc = Open("bad.vdx", LongProgram(20000, "w = (1 + ;\n"));
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->IsLoading());
    ASSERT_TRUE(PumpUntil([&] { return !doc->IsLoading(); }, 60000));
    EXPECT_FALSE(doc->translated);
    const std::string out = Frame()->m_wndOutputBar.m_output.GetWindowText();
    size_t errors = 0;
    for (size_t at = out.find("Error: "); at != std::string::npos; at = out.find("Error: ", at + 1)) errors++;
    EXPECT_EQ(errors, 1u) << out;

    // Closed while it translates: the document waits for its translation, then goes.
    CVeldraDoc* other = Open("other.vdx", LongProgram(20000, ""));
    ASSERT_NE(other, nullptr);
    ASSERT_TRUE(other->IsLoading());
    other->OnCloseDocument();
    EXPECT_FALSE(::ProgramLoading());
}

TEST_F(LongPrograms, AHiddenRunOfALongProgramRunsWhenTranslatedAndCloses)
{
    const fs::path file = root / "hidden.vdx";
    WriteText(file, LongProgram(20000, "x = v19999;\n"));
    ASSERT_TRUE(Start(IdeCommandLine{{file.string()}, true}));
    HWND frame = Frame()->m_hWnd;
    bool everShown = false;
    EXPECT_TRUE(PumpUntil(
        [&] {
            everShown = everShown || (::IsWindow(frame) && ::IsWindowVisible(frame));
            return !::IsWindow(frame);
        },
        60000));
    EXPECT_FALSE(everShown);
}

}  // namespace
