// The editor driven by injected keys, text and mouse on a real window:
// text, caret, selection, edit events and change notifications per row.
#include <functional>

#include "tests/ui_controls/edit_test_util.h"

namespace {
struct Row {
    const char* name;
    std::string text;
    int caret;
    std::function<void(EditTest&)> act;
    std::string wantText;
    int wantCaret;
    int wantAnchor, wantEnd;     // -2: not checked
    std::vector<unsigned> wantEvents;
    int wantChanges;             // -1: not checked
};

std::string Rep(const std::string& s, int n)
{
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

class EditKeysTest : public EditTest {
public:
    using EditTest::Click;
    using EditTest::edit;
    using EditTest::Key;
    using EditTest::ScreenOf;
    using EditTest::Type;
    using EditTest::Pump;
};

const std::string kLong2047 = std::string(2047, 'x');

const std::vector<Row>& Rows()
{
    static const std::vector<Row> rows = {
        {"type at column 2047 breaks first", kLong2047, 2047, [](EditTest& t) { static_cast<EditKeysTest&>(t).Type("y"); },
         kLong2047 + "\ny", 2049, -1, -1, {}, 2},
        {"pasted text keeps only line feeds, tabs as spaces", "ab", 2,
         [](EditTest& t) { static_cast<EditKeysTest&>(t).edit->InsertText("x\r\n\ty", -1, KYR_INS_REDRAW, true); },
         "abx\n    y", 9, -1, -1, {}, 1},
        {"next word stops at plus", "abc+=d", 0, [](EditTest& t) { static_cast<EditKeysTest&>(t).Key(VK_RIGHT, false, true); },
         "abc+=d", 3, -1, -1, {}, 0},
        {"next word from plus stops at d", "abc+=d", 3,
         [](EditTest& t) { static_cast<EditKeysTest&>(t).Key(VK_RIGHT, false, true); }, "abc+=d", 5, -1, -1, {}, 0},
        {"next word over a semicolon run", ";;;x", 0, [](EditTest& t) { static_cast<EditKeysTest&>(t).Key(VK_RIGHT, false, true); },
         ";;;x", 3, -1, -1, {}, 0},
        {"home alternates", "    x", 5,
         [](EditTest& t) {
             auto& k = static_cast<EditKeysTest&>(t);
             k.Key(VK_HOME);
             EXPECT_EQ(k.edit->CaretOffset(), 4);
             k.Key(VK_HOME);
             EXPECT_EQ(k.edit->CaretOffset(), 0);
             k.Key(VK_HOME);
         },
         "    x", 4, -1, -1, {}, 0},
        {"delete at the end changes nothing", "ab", 2, [](EditTest& t) { static_cast<EditKeysTest&>(t).Key(VK_DELETE); }, "ab",
         2, -1, -1, {}, 0},
        {"shift end then shift home keeps the anchor", "abc def", 3,
         [](EditTest& t) {
             auto& k = static_cast<EditKeysTest&>(t);
             k.Key(VK_END, true);
             k.Key(VK_HOME, true);
         },
         "abc def", 0, 3, 0, {}, 0},
        {"click without moving leaves no selection", "abc def", 0,
         [](EditTest& t) { static_cast<EditKeysTest&>(t).Click(4); }, "abc def", 4, -1, -1, {}, 0},
        {"tab indents two selected lines", "ab\ncd\n", 0,
         [](EditTest& t) {
             auto& k = static_cast<EditKeysTest&>(t);
             k.edit->SetSel(0, 5);
             k.Key(VK_TAB);
         },
         "    ab\n    cd\n", 14, 0, 14, {}, 2},
        {"shift tab unindents two lines", "    ab\n  cd\nx", 0,
         [](EditTest& t) {
             auto& k = static_cast<EditKeysTest&>(t);
             k.edit->SetSel(1, 9);
             k.Key(VK_TAB, true);
         },
         "ab\ncd\nx", 6, 0, 6, {}, 2},
        {"tab on a selection inside a line replaces it", "abcd", 0,
         [](EditTest& t) {
             auto& k = static_cast<EditKeysTest&>(t);
             k.edit->SetSel(1, 3);
             k.Key(VK_TAB);
         },
         "a    d", 5, -1, -1, {KYR_EV_BLOCK_REFUSED}, 2},
        {"tab on a block with a line too long keeps it", std::string(2044, 'a') + "\nb", 0,
         [](EditTest& t) {
             auto& k = static_cast<EditKeysTest&>(t);
             k.edit->SetSel(0, 2046);
             k.Key(VK_TAB);
         },
         std::string(2044, 'a') + "\nb", 2046, 0, 2046, {KYR_EV_TAB_TOO_LONG}, 0},
        {"tab without selection inserts spaces", "ab", 1, [](EditTest& t) { static_cast<EditKeysTest&>(t).Key(VK_TAB); },
         "a    b", 5, -1, -1, {}, 1},
        {"shift tab steps back to the indent stop", "      x", 6,
         [](EditTest& t) { static_cast<EditKeysTest&>(t).Key(VK_TAB, true); }, "      x", 4, -1, -1, {}, 0},
        {"shift tab at column 0", "x", 0, [](EditTest& t) { static_cast<EditKeysTest&>(t).Key(VK_TAB, true); }, "x", 0, -1, -1,
         {KYR_EV_BACKTAB_COL0}, 0},
        {"tab refused near the limit", std::string(2045, 'a'), 0,
         [](EditTest& t) { static_cast<EditKeysTest&>(t).Key(VK_TAB); }, std::string(2045, 'a'), 0, -1, -1,
         {KYR_EV_TAB_TOO_LONG}, 0},
        {"enter with auto-indent", "  ab", 3, [](EditTest& t) { static_cast<EditKeysTest&>(t).Key(VK_RETURN); }, "  a\n  b", 6,
         -1, -1, {}, 1},
        {"overwrite replaces a character", "abc", 1,
         [](EditTest& t) {
             auto& k = static_cast<EditKeysTest&>(t);
             k.Key(VK_INSERT);
             k.Type("X\xC3\xA9");
         },
         "aX\xC3\xA9", 4, -1, -1, {}, 2},
        {"overwrite at a line end inserts", "ab\ncd", 2,
         [](EditTest& t) {
             auto& k = static_cast<EditKeysTest&>(t);
             k.Key(VK_INSERT);
             k.Type("Z");
         },
         "abZ\ncd", 3, -1, -1, {}, 1},
        {"page down at the end", "a\nb", 3, [](EditTest& t) { static_cast<EditKeysTest&>(t).Key(VK_NEXT); }, "a\nb", 3, -1, -1,
         {KYR_EV_NO_PAGE_DOWN}, 0},
        {"page down on a short text goes to the end", "a\nb", 0,
         [](EditTest& t) { static_cast<EditKeysTest&>(t).Key(VK_NEXT); }, "a\nb", 3, -1, -1, {}, 0},
        {"read-only ignores typing and deletion", "abc", 1,
         [](EditTest& t) {
             auto& k = static_cast<EditKeysTest&>(t);
             k.edit->SetReadOnly(true);
             k.Type("x");
             k.Key(VK_DELETE);
             k.Key(VK_BACK);
             k.Key(VK_RETURN);
             k.Key(VK_INSERT);
         },
         "abc", 1, -1, -1, {KYR_EV_READONLY_INSERT}, 0},
        {"right over e-acute, euro and a stray byte", "\xC3\xA9\xE2\x82\xAC\xE9z", 0,
         [](EditTest& t) {
             auto& k = static_cast<EditKeysTest&>(t);
             k.Key(VK_RIGHT);
             EXPECT_EQ(k.edit->CaretOffset(), 2);
             k.Key(VK_RIGHT);
             EXPECT_EQ(k.edit->CaretOffset(), 5);
             EXPECT_EQ(k.edit->CaretColumn(), 2);
             k.Key(VK_RIGHT);
         },
         "\xC3\xA9\xE2\x82\xAC\xE9z", 6, -1, -1, {}, 0},
        {"left over a stray byte, euro and e-acute", "\xC3\xA9\xE2\x82\xAC\xE9z", 6,
         [](EditTest& t) {
             auto& k = static_cast<EditKeysTest&>(t);
             k.Key(VK_LEFT);
             EXPECT_EQ(k.edit->CaretOffset(), 5);
             k.Key(VK_LEFT);
             EXPECT_EQ(k.edit->CaretOffset(), 2);
             k.Key(VK_LEFT);
             k.Key(VK_LEFT);
         },
         "\xC3\xA9\xE2\x82\xAC\xE9z", 0, -1, -1, {KYR_EV_AT_START}, 0},
        {"backspace removes whole characters", "a\xC3\xA9\xE2\x82\xAC\xE9", 7,
         [](EditTest& t) {
             auto& k = static_cast<EditKeysTest&>(t);
             k.Key(VK_BACK);
             EXPECT_EQ(k.edit->Text(), "a\xC3\xA9\xE2\x82\xAC");
             k.Key(VK_BACK);
             EXPECT_EQ(k.edit->Text(), "a\xC3\xA9");
             k.Key(VK_BACK);
         },
         "a", 1, -1, -1, {}, 3},
        {"delete removes a whole euro", "\xE2\x82\xAC!", 0, [](EditTest& t) { static_cast<EditKeysTest&>(t).Key(VK_DELETE); },
         "!", 0, -1, -1, {}, 1},
        {"typed e-acute inserts C3 A9 once", "ab", 1, [](EditTest& t) { static_cast<EditKeysTest&>(t).Type("\xC3\xA9"); },
         "a\xC3\xA9"
         "b",
         3, -1, -1, {}, 1},
        {"ctrl backspace inserts nothing", "ab", 2,
         [](EditTest& t) {
             auto& k = static_cast<EditKeysTest&>(t);
             InjectKey(VK_CONTROL, true);
             InjectKeyStroke(VK_BACK, "\x7F");
             InjectKey(VK_CONTROL, false);
             k.Pump();
         },
         "ab", 2, -1, -1, {}, 0},
        {"delete joining two long lines is refused", Rep("a", 1500) + "\n" + Rep("b", 1000), 1500,
         [](EditTest& t) { static_cast<EditKeysTest&>(t).Key(VK_DELETE); }, Rep("a", 1500) + "\n" + Rep("b", 1000), 1500, -1, -1,
         {KYR_EV_JOIN_TOO_LONG}, 0},
        {"line down keeps the desired column", "abcdef\nab\nabcdef", 5,
         [](EditTest& t) {
             auto& k = static_cast<EditKeysTest&>(t);
             k.Key(VK_LEFT);
             k.Key(VK_RIGHT);
             k.Key(VK_DOWN);
             EXPECT_EQ(k.edit->CaretOffset(), 9);
             k.Key(VK_DOWN);
         },
         "abcdef\nab\nabcdef", 15, -1, -1, {}, 0},
        {"line up on the first line", "ab", 1, [](EditTest& t) { static_cast<EditKeysTest&>(t).Key(VK_UP); }, "ab", 1, -1, -1,
         {KYR_EV_NO_LINE_UP}, 0},
        {"right at the end", "ab", 2, [](EditTest& t) { static_cast<EditKeysTest&>(t).Key(VK_RIGHT); }, "ab", 2, -1, -1,
         {KYR_EV_AT_END}, 0},
        {"double click selects a word", "foo bar_1 baz", 0,
         [](EditTest& t) {
             auto& k = static_cast<EditKeysTest&>(t);
             POINT p = k.ScreenOf(5);
             InjectClick(p.x, p.y);
             InjectClick(p.x, p.y);
             k.Pump();
         },
         "foo bar_1 baz", 9, 4, 9, {}, 0},
        {"double click on blanks selects the run", "a    b", 0,
         [](EditTest& t) {
             auto& k = static_cast<EditKeysTest&>(t);
             POINT p = k.ScreenOf(2);
             InjectClick(p.x, p.y);
             InjectClick(p.x, p.y);
             k.Pump();
         },
         "a    b", 5, 1, 5, {}, 0},
        {"drag selects", "hello world", 0,
         [](EditTest& t) {
             auto& k = static_cast<EditKeysTest&>(t);
             POINT a = k.ScreenOf(1), b = k.ScreenOf(7);
             InjectButton(VK_LBUTTON, true, a.x, a.y);
             InjectMouseMove(b.x, b.y);
             InjectButton(VK_LBUTTON, false, b.x, b.y);
             k.Pump();
         },
         "hello world", 7, 1, 7, {}, 0},
    };
    return rows;
}
}   // namespace

TEST_F(EditKeysTest, Table)
{
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.name);
        Open(row.text);
        ASSERT_EQ(edit->Text(), row.text);
        Caret(row.caret);
        Pump();
        edit->events.clear();
        host->changes = 0;
        row.act(*this);
        EXPECT_EQ(edit->Text(), row.wantText);
        EXPECT_EQ(edit->CaretOffset(), row.wantCaret);
        if (row.wantAnchor != -2) {
            EXPECT_EQ(edit->SelAnchor(), row.wantAnchor);
            EXPECT_EQ(edit->SelEnd(), row.wantEnd);
        }
        EXPECT_EQ(edit->events, row.wantEvents);
        if (row.wantChanges >= 0) EXPECT_EQ(host->changes, row.wantChanges);
        Close();
        KyrEditCtrl().SetOverwriteMode(false);
    }
}

TEST_F(EditKeysTest, DragBelowTheTextAutoScrolls)
{
    std::string text;
    for (int i = 0; i < 60; ++i) text += "line " + std::to_string(i) + "\n";
    Open(text, false, 300, 120);
    POINT a = ScreenOf(0);
    RECT client;
    edit->GetClientRect(&client);
    POINT below = ScreenClient(100, client.bottom + 20);
    InjectButton(VK_LBUTTON, true, a.x, a.y);
    InjectMouseMove(below.x, below.y);
    Pump();
    const int first = edit->FirstLine();
    EXPECT_GT(first, 0);
    for (int i = 0; i < 3; ++i) {
        g_editTicks += 150;
        Pump();
    }
    EXPECT_GT(edit->FirstLine(), first);
    InjectButton(VK_LBUTTON, false, below.x, below.y);
    Pump();
    EXPECT_EQ(edit->SelAnchor(), 0);
    EXPECT_EQ(edit->SelEnd(), edit->CaretOffset());
    EXPECT_GT(edit->CaretOffset(), 0);
}

TEST_F(EditKeysTest, WheelScrollsLines)
{
    std::string text;
    for (int i = 0; i < 60; ++i) text += "l" + std::to_string(i) + "\n";
    Open(text, false, 300, 120);
    ASSERT_TRUE(edit->ScrollBar(SB_VERT, 12, 10));
    POINT p = ScreenClient(100, 30);
    InjectWheel(p.x, p.y, 120);
    Pump();
    EXPECT_EQ(edit->FirstLine(), 8);
    InjectWheel(p.x, p.y, -240);
    Pump();
    EXPECT_EQ(edit->FirstLine(), 11);
}

TEST_F(EditKeysTest, TextMessagesAndSetSel)
{
    Open("find me");
    EXPECT_TRUE(edit->IsKindOf(RUNTIME_CLASS(KyrEditCtrl)));
    EXPECT_TRUE(edit->IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_EQ(GetWindowTextLength(edit->m_hWnd), 7);
    char buf[5];
    EXPECT_EQ(edit->SendMessage(WM_GETTEXT, sizeof buf, (LPARAM)buf), 4);
    EXPECT_STREQ(buf, "find");
    edit->SendMessage(WM_SETTEXT, 0, (LPARAM) "a\r\nb");
    EXPECT_EQ(edit->Text(), "a\nb");
    // A match that ends the text is selected whole.
    edit->SetSel(2, 3);
    EXPECT_EQ(edit->SelAnchor(), 2);
    EXPECT_EQ(edit->SelEnd(), 3);
    edit->SetSel(0, 99);
    EXPECT_EQ(edit->SelEnd(), 2);
    edit->SetSel(-1, 0);
    EXPECT_EQ(edit->SelAnchor(), -1);
    EXPECT_EQ(edit->OffsetWithoutCR(3), 2);   // "a\r\nb": b
    EXPECT_EQ(edit->GetWordAt(2), "b");
    edit->SetText("x = caf\xC3\xA9 + 1");
    EXPECT_EQ(edit->GetWordAt(6), "caf\xC3\xA9");
    EXPECT_EQ(edit->GetWordAt(2), "");
}

// The tip window shows the hook's text for the word at rest under the
// mouse, inside the editor's window; moving to another word, a key and
// switching the tip off hide it.
TEST_F(EditKeysTest, HoverTipComesFromTheHook)
{
    Open("alpha beta gamma");
    edit->hoverTips = 1;
    edit->tipFor = "beta";
    HWND tip = edit->ToolTip().m_hWnd;
    ASSERT_NE(tip, nullptr);
    // Messages reach the tip through the editor's PreTranslateMessage.
    auto pump = [&] {
        PumpUntilIdle([](MSG& m) {
            for (HWND h = m.hwnd; h; h = GetParent(h))
                if (CWnd* w = CWnd::FromHandlePermanent(h); w && w->PreTranslateMessage(&m)) return true;
            return false;
        });
    };
    auto shown = [&] {
        for (const VisibleWindow& v : VisibleTopLevelWindows())
            if (v.hwnd == tip) return true;
        return false;
    };
    // One move onto the word, then rest.
    auto rest = [&](int offset) {
        POINT p = ScreenOf(offset);
        InjectMouseMove(p.x, p.y);
        pump();
        g_editTicks += 600;
        pump();
        return p;
    };
    // The owner's tip font and width (the tip window keeps them).
    edit->ToolTip().SendMessage(WM_SETFONT, (WPARAM)font, 0);
    EXPECT_EQ((HFONT)edit->ToolTip().SendMessage(WM_GETFONT), font);
    edit->ToolTip().SetMaxTipWidth(300);
    POINT p = rest(7);
    ASSERT_TRUE(shown());
    EXPECT_EQ(edit->TipText(), "tip:beta");
    EXPECT_FALSE(edit->TipHidden());
    EXPECT_EQ(edit->tipOffset, 6);
    RECT tr, er;
    GetWindowRect(tip, &tr);
    edit->GetWindowRect(&er);
    EXPECT_EQ(tr.left, p.x);
    EXPECT_EQ(tr.top, p.y);
    EXPECT_GT(tr.left, er.left);
    EXPECT_LT(tr.right, er.right);
    EXPECT_LT(tr.bottom, er.bottom);
    // Near the right edge the tip stays inside the window.
    edit->tipFor = "gamma";
    rest(14);
    ASSERT_TRUE(shown());
    EXPECT_EQ(edit->TipText(), "tip:gamma");
    GetWindowRect(tip, &tr);
    EXPECT_LE(tr.right, er.right - 1);
    // A word without a tip hides it and shows none.
    rest(1);
    EXPECT_FALSE(shown());
    EXPECT_TRUE(edit->TipHidden());
    // A key hides it.
    rest(13);
    ASSERT_TRUE(shown());
    Key(VK_RIGHT);
    EXPECT_FALSE(shown());
    EXPECT_TRUE(edit->TipHidden());
    // Switched off: nothing shows.
    edit->ActivateToolTip(false);
    rest(14);
    rest(13);
    EXPECT_FALSE(shown());
    edit->ActivateToolTip(true);
    rest(14);
    EXPECT_TRUE(shown());
    EXPECT_EQ(KyrEditCtrl::TipAutoPop(std::string(40, 'x')), 32000);
    EXPECT_EQ(KyrEditCtrl::TipAutoPop("\xC3\xA9t\xC3\xA9"), 3000);
}

// The I-beam over text; the arrow over the selection and the margin; a
// read-only control shows the I-beam only near a character.
TEST_F(EditKeysTest, MouseCursor)
{
    Open("hello world\n\nshort");
    auto cursorAt = [&](POINT p) {
        InjectMouseMove(p.x, p.y);
        Pump();
        return CurrentCursorName();
    };
    EXPECT_EQ(cursorAt(ScreenOf(2)), "IDC:32513");
    EXPECT_EQ(cursorAt(ScreenClient(5, 5)), "IDC:32512");
    edit->SetSel(0, 5);
    EXPECT_EQ(cursorAt(ScreenOf(2)), "IDC:32512");
    edit->SetSel(-1, 0);
    edit->SetReadOnly(true);
    EXPECT_EQ(cursorAt(ScreenOf(2)), "IDC:32513");
    POINT far = ScreenOf(13);   // far right of the empty line
    far.x += 200;
    EXPECT_EQ(cursorAt(far), "IDC:32512");
}

// A capture taken away mid-drag ends the selection and its auto-scroll.
TEST_F(EditKeysTest, LostCaptureEndsTheDrag)
{
    std::string text;
    for (int i = 0; i < 60; ++i) text += "row " + std::to_string(i) + "\n";
    Open(text, false, 300, 120);
    POINT a = ScreenOf(0);
    InjectButton(VK_LBUTTON, true, a.x, a.y);
    POINT below = ScreenClient(100, 200);
    InjectMouseMove(below.x, below.y);
    Pump();
    ASSERT_GT(edit->FirstLine(), 0);
    ReleaseCapture();
    Pump();
    const int first = edit->FirstLine();
    g_editTicks += 1000;
    Pump();
    EXPECT_EQ(edit->FirstLine(), first);
    InjectButton(VK_LBUTTON, false, below.x, below.y);
    Pump();
}

namespace {
class CPlainView : public CView {
public:
    void OnDraw(CDC*) override {}
};
}   // namespace

// Focus going to a parent view (which hands it straight back) leaves the
// caret alone; focus going to any other parent takes the caret away.
TEST_F(EditKeysTest, FocusToParentViewKeepsCaret)
{
    Open("abc def");
    Caret(4);
    CaretState cs{};
    ASSERT_TRUE(CaretOfThread(GetCurrentThreadId(), &cs));
    EXPECT_EQ(cs.hwnd, edit->m_hWnd);
    ::SetFocus(host->m_hWnd);
    Pump();
    EXPECT_FALSE(CaretOfThread(GetCurrentThreadId(), &cs));

    auto* viewObject = new CPlainView;   // a view deletes itself when its window goes
    CPlainView& view = *viewObject;
    ASSERT_TRUE(view.Create(nullptr, "view", WS_CHILD | WS_VISIBLE, RECT{0, 0, 300, 150}, host.get(), 200));
    CTestEditCtrl inView;
    ASSERT_TRUE(inView.Create(WS_VISIBLE, RECT{0, 0, 300, 150}, &view, 100));
    inView.SetText("xyz");
    inView.SetFocus();
    Pump();
    ASSERT_TRUE(CaretOfThread(GetCurrentThreadId(), &cs));
    EXPECT_EQ(cs.hwnd, inView.m_hWnd);
    ::SetFocus(view.m_hWnd);
    Pump();
    ASSERT_TRUE(CaretOfThread(GetCurrentThreadId(), &cs));
    EXPECT_EQ(cs.hwnd, inView.m_hWnd);
    inView.DestroyWindow();
    view.DestroyWindow();
}

// A window made elsewhere and subclassed gets the editor's setup: its text,
// metrics, the tip window and working keys.
TEST_F(EditKeysTest, SubclassedWindowIsSetUp)
{
    Open("");
    static bool registered = false;
    if (!registered) {
        WNDCLASS wc{};
        wc.lpfnWndProc = DefWindowProc;
        wc.lpszClassName = "PlainEditHost";
        RegisterClass(&wc);
        registered = true;
    }
    HWND plain = CreateWindowEx(0, "PlainEditHost", "x = 1", WS_CHILD | WS_VISIBLE, 0, 0, 300, 150, host->m_hWnd,
                                (HMENU)(intptr_t)101, nullptr, nullptr);
    ASSERT_NE(plain, nullptr);
    CTestEditCtrl sub;
    ASSERT_TRUE(sub.SubclassWindow(plain));
    EXPECT_EQ(sub.Text(), "x = 1");
    EXPECT_NE(sub.ToolTip().m_hWnd, nullptr);
    EXPECT_GT(sub.LineHeight(), 1);
    sub.SetFocus();
    Pump();
    InjectKeyStroke(VK_END);
    Type("2");
    EXPECT_EQ(sub.Text(), "x = 12");
    EXPECT_EQ(sub.GetWindowText(), "x = 12");
    sub.DestroyWindow();
    Pump();
    EXPECT_EQ(sub.ToolTip().m_hWnd, nullptr);
}

// Dragging past the right edge scrolls columns on every timer tick and the
// selection follows; past the left edge it scrolls back.
TEST_F(EditKeysTest, DragBesideTheTextScrollsColumns)
{
    Open(std::string(300, 'x') + "\nshort\n", false, 300, 120);
    POINT a = ScreenOf(0);
    RECT client;
    edit->GetClientRect(&client);
    POINT right = ScreenClient(client.right + 30, a.y - ScreenClient(0, 0).y);
    InjectButton(VK_LBUTTON, true, a.x, a.y);
    InjectMouseMove(right.x, right.y);
    Pump();
    int column = edit->FirstColumn(), end = edit->SelEnd();
    EXPECT_GT(end, 0);
    for (int i = 0; i < 4; ++i) {
        g_editTicks += 150;
        Pump();
        EXPECT_GT(edit->FirstColumn(), column) << i;
        EXPECT_GT(edit->SelEnd(), end) << i;
        column = edit->FirstColumn();
        end = edit->SelEnd();
    }
    EXPECT_EQ(edit->SelAnchor(), 0);
    EXPECT_EQ(edit->CaretOffset(), end);
    POINT left = ScreenClient(client.left - 30, a.y - ScreenClient(0, 0).y);
    InjectMouseMove(left.x, left.y);
    Pump();
    column = edit->FirstColumn();
    for (int i = 0; i < 3 && column > 0; ++i) {
        g_editTicks += 150;
        Pump();
        EXPECT_LT(edit->FirstColumn(), column) << i;
        column = edit->FirstColumn();
    }
    InjectButton(VK_LBUTTON, false, left.x, left.y);
    Pump();
    EXPECT_EQ(edit->SelAnchor(), 0);
    EXPECT_EQ(edit->SelEnd(), edit->CaretOffset());
}
