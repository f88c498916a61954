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
