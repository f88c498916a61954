// Injected drags of the selection within one editor: move, copy with Ctrl,
// Esc, a drop onto the selection, and a plain press.
#include "tests/ui_controls/edit_test_util.h"

namespace {
class EditDragTest : public EditTest {
protected:
    // Press at `from`, move in steps to `to`, optionally with Ctrl or Esc, release.
    void Drag(POINT from, POINT to, bool ctrl = false, bool escape = false)
    {
        InjectButton(VK_LBUTTON, true, from.x, from.y);
        if (ctrl) InjectKey(VK_CONTROL, true);
        for (int i = 1; i <= 4; ++i) InjectMouseMove(from.x + (to.x - from.x) * i / 4, from.y + (to.y - from.y) * i / 4);
        if (escape) InjectKeyStroke(VK_ESCAPE);
        InjectButton(VK_LBUTTON, false, to.x, to.y);
        if (ctrl) InjectKey(VK_CONTROL, false);
        Pump();
    }
    std::pair<int, int> Sel()
    {
        int a, b;
        edit->GetSel(&a, &b);
        return {a, b};
    }
};
}   // namespace

TEST_F(EditDragTest, MoveCopyCancelAndRefuse)
{
    Open("abc def");
    edit->SetSel(0, 3);
    Drag(ScreenOf(1), ScreenOf(7, 3));
    EXPECT_EQ(edit->Text(), " defabc");
    EXPECT_EQ(Sel(), std::make_pair(4, 7));
    edit->Undo();   // the move undoes in one step
    EXPECT_EQ(edit->Text(), "abc def");

    Open("abc def");
    edit->SetSel(0, 3);
    Drag(ScreenOf(1), ScreenOf(7, 3), true);
    EXPECT_EQ(edit->Text(), "abc defabc");
    EXPECT_EQ(Sel(), std::make_pair(7, 10));

    Open("abc def");
    edit->SetSel(0, 3);
    Drag(ScreenOf(1), ScreenOf(7, 3), false, true);
    EXPECT_EQ(edit->Text(), "abc def");
    EXPECT_EQ(Sel(), std::make_pair(0, 3));

    Open("abc def");
    edit->SetSel(0, 7);
    Drag(ScreenOf(1), ScreenOf(5));
    EXPECT_EQ(edit->Text(), "abc def");
    ASSERT_FALSE(edit->events.empty());
    EXPECT_EQ(edit->events.back(), 0x800000u);

    // A press on the selection without a move clears it.
    Open("abc def");
    edit->SetSel(0, 3);
    POINT p = ScreenOf(1);
    InjectClick(p.x, p.y);
    Pump();
    EXPECT_EQ(Sel(), std::make_pair(-1, -1));
    EXPECT_EQ(edit->Text(), "abc def");
}

// Text dragged from one editor into another: a move takes it from the
// source, Ctrl copies it, Esc leaves both as they were, a read-only target
// refuses it.
TEST_F(EditDragTest, BetweenTwoEditors)
{
    struct Row {
        bool ctrl, escape, readOnly;
        std::string source, target;
    } rows[] = {
        {false, false, false, " def", "xyzabc"},
        {true, false, false, "abc def", "xyzabc"},
        {false, true, false, "abc def", "xyz"},
        {false, false, true, "abc def", "xyz"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.target + (r.ctrl ? " ctrl" : "") + (r.escape ? " esc" : "") + (r.readOnly ? " ro" : ""));
        Open("abc def", false, 420, 100);
        edit->MoveWindow(RECT{0, 0, 200, 100});
        CTestEditCtrl other;
        ASSERT_TRUE(other.Create(WS_VISIBLE, RECT{220, 0, 420, 100}, host.get(), 101));
        other.SendMessage(WM_SETFONT, (WPARAM)font, 1);
        other.SetText("xyz");
        other.SetReadOnly(r.readOnly);
        edit->SetSel(0, 3);
        POINT to;
        ASSERT_TRUE(other.PointFromOffset(3, &to));
        to.x += 3;
        to.y += other.LineHeight() / 2;
        ClientToScreen(other.m_hWnd, &to);
        Drag(ScreenOf(1), to, r.ctrl, r.escape);
        EXPECT_EQ(edit->Text(), r.source);
        EXPECT_EQ(other.Text(), r.target);
        if (r.target != "xyz") {
            // The target's caret follows the dropped text; only a drop within
            // one editor selects what moved.
            EXPECT_EQ(other.CaretOffset(), 6);
            // Each side undoes its own half.
            EXPECT_TRUE(other.Undo());
            EXPECT_EQ(other.Text(), "xyz");
        }
        other.DestroyWindow();
    }
}

// Dragged text held near the right edge scrolls the view column-wise while
// the line goes on, near the left edge back; near the bottom line-wise.
TEST_F(EditDragTest, DragOverScrollsAtTheEdges)
{
    std::string text = std::string(200, 'x') + "\n";
    for (int i = 0; i < 30; ++i) text += "l\n";
    Open(text, false, 300, 100);
    const RECT tr = edit->TextRect();
    const int y = tr.top + edit->LineHeight() / 2;
    int column = edit->FirstColumn();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(edit->OnDragOverText(POINT{tr.right - 2, y}), (DROPEFFECT)DROPEFFECT_MOVE);
        EXPECT_GT(edit->FirstColumn(), column) << i;
        column = edit->FirstColumn();
    }
    for (int i = 0; i < 2; ++i) {
        edit->OnDragOverText(POINT{tr.left + 1, y});
        EXPECT_LT(edit->FirstColumn(), column) << i;
        column = edit->FirstColumn();
    }
    // A short line does not scroll right past its end.
    Open("short\n", false, 300, 100);
    edit->OnDragOverText(POINT{tr.right - 2, y});
    edit->OnDragOverText(POINT{tr.right - 2, y});
    EXPECT_EQ(edit->FirstColumn(), 0);
    EXPECT_EQ(edit->CaretOffset(), 5);
    Open(text, false, 300, 100);
    edit->OnDragOverText(POINT{tr.left + 20, tr.bottom - 2});
    EXPECT_GT(edit->FirstLine(), 0);
    EXPECT_EQ(edit->OnDragOverText(POINT{tr.right + 5, y}), (DROPEFFECT)DROPEFFECT_NONE);
}
