// In-process drag and drop of CF_TEXT between two windows: a drag moves, Ctrl
// copies, Esc and a plain click drop nothing.
#include "afx_test_util.h"

namespace {

class CTextSource : public CWnd {
public:
    std::string text = "hello";
    DROPEFFECT last = 0xFF;
    void OnLButtonDown(UINT, POINT)
    {
        COleDataSource src;
        src.CacheData(CF_TEXT, text);
        last = src.DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE);
        if (last == DROPEFFECT_MOVE) text.clear();
    }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTextSource, CWnd)
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

class CTextTarget : public COleDropTarget {
public:
    std::string received;
    int drops = 0;
    DROPEFFECT OnDragOver(CWnd*, COleDataObject* data, DWORD keyState, POINT) override
    {
        if (!data->IsDataAvailable(CF_TEXT)) return DROPEFFECT_NONE;
        return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    }
    BOOL OnDrop(CWnd*, COleDataObject* data, DROPEFFECT, POINT) override
    {
        ++drops;
        std::string bytes;
        data->GetData(CF_TEXT, bytes);
        received += bytes;
        return TRUE;
    }
};

using AfxDrag = AfxTest;

TEST_F(AfxDrag, TextMovesCtrlCopiesAndEscOrAClickDropNothing)
{
    ASSERT_TRUE(AfxOleInit());
    CWnd frame;
    ASSERT_TRUE(frame.CreateEx(0, nullptr, "drag", WS_POPUP | WS_VISIBLE, 100, 100, 400, 200, nullptr, nullptr));
    CTextSource source;
    CWnd targetWnd;
    ASSERT_TRUE(source.Create(nullptr, "", WS_VISIBLE, RECT{0, 0, 150, 200}, &frame, 1));
    ASSERT_TRUE(targetWnd.Create(nullptr, "", WS_VISIBLE, RECT{200, 0, 400, 200}, &frame, 2));
    CTextTarget target;
    ASSERT_TRUE(target.Register(&targetWnd));
    PumpUntilIdle();

    struct Case {
        const char* name;
        bool ctrl, esc, moveAway;
        DROPEFFECT effect;
        const char* received;
        const char* left;
    };
    const Case cases[] = {
        {"move", false, false, true, DROPEFFECT_MOVE, "hello", ""},
        {"ctrl copies", true, false, true, DROPEFFECT_COPY, "hello", "hello"},
        {"esc", false, true, true, DROPEFFECT_NONE, "", "hello"},
        {"plain click", false, false, false, DROPEFFECT_NONE, "", "hello"},
    };
    int x = 80;   // screen: the source covers 100..250
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        x += 30;   // presses at one spot would pair into double clicks
        source.text = "hello";
        target.received.clear();
        target.drops = 0;
        InjectMouseMove(x, 150);
        InjectButton(VK_LBUTTON, true, x, 150);
        if (c.ctrl) InjectKey(VK_CONTROL, true);
        InjectMouseMove(x + 2, 151);   // inside the drag rectangle: not yet a drag
        if (c.moveAway) {
            InjectMouseMove(250, 150);
            InjectMouseMove(400, 160);
        }
        if (c.esc) InjectKeyStroke(VK_ESCAPE);
        InjectButton(VK_LBUTTON, false, c.moveAway ? 400 : x + 2, c.moveAway ? 160 : 151);
        if (c.ctrl) InjectKey(VK_CONTROL, false);
        PumpUntilIdle();
        EXPECT_EQ(source.last, c.effect);
        EXPECT_EQ(target.received, c.received);
        EXPECT_EQ(target.drops, *c.received ? 1 : 0);
        EXPECT_EQ(source.text, c.left);
        EXPECT_EQ(GetCapture(), nullptr);
    }
    target.Revoke();
}

}  // namespace
