// The program editor in the running IDE, driven by injected keys through
// the frame's accelerators: Comment and Uncomment one after the other.
#include <gtest/gtest.h>

#include "ide/shell/veldra_doc.h"
#include "ide/shell/veldra_view.h"
#include "platform/backend/headless_input.h"
#include "tests/ide/ide_start_util.h"

using namespace ide_test;

namespace {

class EditorKeys : public IdeTest {
protected:
    void Open(const std::string& text)
    {
        const fs::path file = root / "k.vdx";
        WriteText(file, text);
        IdeCommandLine line;
        line.files.push_back(file.string());
        ASSERT_TRUE(Start(line));
        CMDIChildWnd* child = Frame()->MDIGetActive();
        ASSERT_NE(child, nullptr);
        auto* doc = dynamic_cast<CVeldraDoc*>(child->GetActiveDocument());
        ASSERT_NE(doc, nullptr);
        edit = doc->GetProgramView()->GetVeldraEdit();
        edit->SetFocus();
        Pump();
    }
    void Pump()
    {
        PumpUntilIdle([&](MSG& m) { return app->PreTranslateMessage(&m) != FALSE; });
    }
    void Key(UINT vk, UINT modifier = 0)
    {
        if (modifier) InjectKey(modifier, true);
        InjectKeyStroke(vk);
        if (modifier) InjectKey(modifier, false);
        Pump();
    }

    CVeldraEditCtrl* edit = nullptr;
};

// Ctrl+Q keeps the selection on the lines it commented, so Ctrl+W right
// after takes all of them back; a second Ctrl+Q comments the same lines again.
TEST_F(EditorKeys, CommentKeepsTheSelectionForUncomment)
{
    const std::string text = "a = 1;\nb = 2;\nc = 3;\nd = 4;\n";
    Open(text);
    edit->SetCaretOffset(edit->GetLineOffset(1), true, true);
    Key(VK_DOWN, VK_SHIFT);
    Key(VK_DOWN, VK_SHIFT);
    ASSERT_EQ(edit->GetSelectedText(), "b = 2;\nc = 3;\n");
    Key('Q', VK_CONTROL);
    EXPECT_EQ(edit->Text(), "a = 1;\n%b = 2;\n%c = 3;\nd = 4;\n");
    EXPECT_EQ(edit->GetSelectedText(), "%b = 2;\n%c = 3;\n");
    Key('Q', VK_CONTROL);
    EXPECT_EQ(edit->Text(), "a = 1;\n%%b = 2;\n%%c = 3;\nd = 4;\n");
    Key('W', VK_CONTROL);
    Key('W', VK_CONTROL);
    EXPECT_EQ(edit->Text(), text);
    EXPECT_EQ(edit->GetSelectedText(), "b = 2;\nc = 3;\n");
    // Selected upwards, inside the lines: the same lines, the caret at the top.
    edit->SetSel(edit->GetLineOffset(2) + 3, edit->GetLineOffset(0) + 2);
    Key('Q', VK_CONTROL);
    EXPECT_EQ(edit->Text(), "%a = 1;\n%b = 2;\n%c = 3;\nd = 4;\n");
    EXPECT_EQ(edit->GetSelectedText(), "= 1;\n%b = 2;\n%c =");
    EXPECT_EQ(edit->CaretOffset(), edit->GetLineOffset(0) + 3);
    Key('W', VK_CONTROL);
    EXPECT_EQ(edit->Text(), text);
    // No selection: the caret's line, the caret by its character.
    edit->SetSel(-1, 0);
    edit->SetCaretOffset(edit->GetLineOffset(3) + 2, true, true);
    Key('Q', VK_CONTROL);
    EXPECT_EQ(edit->Text(), "a = 1;\nb = 2;\nc = 3;\n%d = 4;\n");
    EXPECT_EQ(edit->CaretOffset(), edit->GetLineOffset(3) + 3);
    Key('W', VK_CONTROL);
    EXPECT_EQ(edit->Text(), text);
    EXPECT_EQ(edit->CaretOffset(), edit->GetLineOffset(3) + 2);
}

}  // namespace
