// The rich-edit view and document: the view's message map sees the control's
// messages first, Edit commands update, printing pages end, documents read
// RTF or plain text.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "platform/afx/print_info.h"
#include "platform/afx_test_util.h"
#include "platform/backend/headless_input.h"
#include "platform/controls/rich_edit_view.h"

namespace {

class CCountingView : public CRichEditView {
public:
    int chars = 0;
    void OnChar(UINT, UINT, UINT)
    {
        ++chars;
        Default();
    }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CCountingView, CRichEditView)
    ON_WM_CHAR()
END_MESSAGE_MAP()

struct ViewHost {
    CFrameWnd* frame = new CFrameWnd;
    CCountingView* view = new CCountingView;
    ViewHost()
    {
        EXPECT_TRUE(frame->Create(nullptr, "host"));
        RECT r{0, 0, 300, 200};
        EXPECT_TRUE(view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, r, frame, AFX_IDW_PANE_FIRST));
    }
    ~ViewHost() { frame->DestroyWindow(); }
};

class CProbe : public CCmdUI {
public:
    BOOL enabled = FALSE;
    void Enable(BOOL on) override { enabled = on; }
    void SetCheck(int) override {}
    void SetText(const char*) override {}
};

BOOL Enabled(CWnd* w, UINT id)
{
    CProbe p;
    p.m_nID = id;
    w->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &p, nullptr);
    return p.enabled;
}

using RichView = AfxTest;

TEST_F(RichView, TheViewIsTheControlAndSeesItsMessagesFirst)
{
    ViewHost h;
    ASSERT_TRUE(h.view->m_hWnd);
    CRichEditCtrl& ctl = h.view->GetRichEditCtrl();
    ctl.ReplaceSel("abc");
    h.view->SetFocus();
    InjectText("de");
    PumpUntilIdle();
    EXPECT_EQ(h.view->chars, 2);
    EXPECT_EQ(ctl.GetTextRange(0, -1), "abcde");
    ctl.SetSel(0, 0);
    EXPECT_FALSE(Enabled(h.view, ID_EDIT_COPY));
    EXPECT_TRUE(Enabled(h.view, ID_EDIT_UNDO));
    ctl.SetSel(1, 3);
    EXPECT_TRUE(Enabled(h.view, ID_EDIT_COPY));
    h.view->OnCmdMsg(ID_EDIT_CUT, CN_COMMAND, nullptr, nullptr);
    EXPECT_EQ(ctl.GetTextRange(0, -1), "ade");
    EXPECT_TRUE(Enabled(h.view, ID_EDIT_PASTE));
    // Find selects the next match, case folded in ASCII only.
    ctl.SetSel(0, 0);
    EXPECT_TRUE(h.view->FindNext("DE", true, false, false));
    long a, b;
    ctl.GetSel(a, b);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 3);
    EXPECT_FALSE(h.view->FindNext("DE", true, true, false));
}

TEST_F(RichView, PrintingPutsEveryLineOnOnePageAndEnds)
{
    ViewHost h;
    std::string text;
    for (int i = 0; i < 200; ++i) text += "line " + std::to_string(i) + "\n";
    h.view->GetRichEditCtrl().ReplaceSel(text.c_str());
    h.view->m_rectMargin = RECT{720, 720, 720, 720};
    CDC dc;
    dc.Attach(CreateRecordingDC(TRUE), true);
    dc.m_bPrinting = TRUE;
    CPrintInfo info;
    h.view->OnBeginPrinting(&dc, &info);
    std::multiset<std::string> seen;
    std::regex re("TextOut [-0-9]+,[-0-9]+ ta=[0-9]+ w=[0-9]+ \"([^\"]*)\"");
    int pages = 0;
    for (UINT page = 1; page <= info.GetToPage() && info.m_bContinuePrinting && pages < 1000; ++page) {
        info.m_nCurPage = page;
        h.view->OnPrepareDC(&dc, &info);
        if (!info.m_bContinuePrinting) break;
        ClearRecordingLog(dc.m_hDC);
        h.view->OnPrint(&dc, &info);
        std::string log = GetRecordingLog(dc.m_hDC);
        for (std::sregex_iterator it(log.begin(), log.end(), re), end; it != end; ++it) seen.insert((*it)[1]);
        ++pages;
    }
    h.view->OnEndPrinting(&dc, &info);
    EXPECT_GT(pages, 1);
    EXPECT_LT(pages, 1000);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(seen.count("line " + std::to_string(i)), 1u) << i;
}

TEST_F(RichView, DocumentReadsRtfOrPlainTextAndWritesRtf)
{
    ViewHost h;
    CRichEditDoc doc;
    doc.m_bAutoDelete = FALSE;   // on the stack
    doc.AddView(h.view);
    CArchive in(CArchive::load, "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1 red\\par plain}");
    doc.Serialize(in);
    EXPECT_TRUE(doc.m_bRTF);
    CRichEditCtrl& ctl = h.view->GetRichEditCtrl();
    EXPECT_EQ(ctl.GetTextRange(0, -1), "red\nplain");
    CArchive out(CArchive::store);
    doc.Serialize(out);
    EXPECT_EQ(out.Data().rfind("{\\rtf1\\ansi", 0), 0u);
    EXPECT_NE(out.Data().find("\\cf1 red\\par"), std::string::npos);
    // Not RTF, or RTF too damaged to read: plain text.
    CArchive plain(CArchive::load, "just\r\ntext");
    doc.Serialize(plain);
    EXPECT_FALSE(doc.m_bRTF);
    EXPECT_EQ(ctl.GetTextRange(0, -1), "just\ntext");
    std::string deep = "{\\rtf1" + std::string(500, '{') + "x";
    CArchive damaged(CArchive::load, deep);
    doc.Serialize(damaged);
    EXPECT_FALSE(doc.m_bRTF);
    EXPECT_EQ(ctl.GetTextRange(0, -1), deep);
    doc.RemoveView(h.view);
}

TEST_F(RichView, DroppedTextIsAUserEditThatProtectionRefuses)
{
    ViewHost h;
    CRichEditCtrl& ctl = h.view->GetRichEditCtrl();
    CHARFORMAT prot{};
    prot.cbSize = sizeof prot;
    prot.dwMask = CFM_PROTECTED;
    prot.dwEffects = CFE_PROTECTED;
    ctl.SetSelectionCharFormat(prot);
    ctl.ReplaceSel("output");
    HWND target = nullptr;
    COleDropTarget* drop = COleDropTarget::FindAt(h.view->m_hWnd, &target);
    ASSERT_TRUE(drop);
    EXPECT_EQ(target, h.view->m_hWnd);
    COleDataSource src;
    src.CacheData(CF_TEXT, std::string("xy\0junk", 7));
    COleDataObject data;
    data.Attach(&src);
    POINT inside = ctl.GetCharPos(3), end = ctl.GetCharPos(6);
    inside.y += 2;
    end.y += 2;
    end.x += 1;
    // Inside the protected run, without ENM_PROTECTED: refused.
    EXPECT_FALSE(drop->OnDrop(h.view, &data, DROPEFFECT_COPY, inside));
    EXPECT_EQ(ctl.GetTextRange(0, -1), "output");
    // After the end: it goes in, up to the block's terminator.
    EXPECT_TRUE(drop->OnDrop(h.view, &data, DROPEFFECT_COPY, end));
    EXPECT_EQ(ctl.GetTextRange(0, -1), "outputxy");
}

// Screen point just inside the character at `pos`, before its middle.
POINT CharPoint(CRichEditView* view, int pos)
{
    POINT a = view->GetRichEditCtrl().GetCharPos(pos);
    POINT p{a.x + 1, a.y + 4};
    ClientToScreen(view->m_hWnd, &p);
    return p;
}

void DragBetween(POINT from, POINT to, bool copy = false)
{
    InjectMouseMove(from.x, from.y);
    InjectButton(VK_LBUTTON, true, from.x, from.y);
    InjectMouseMove((from.x + to.x) / 2, (from.y + to.y) / 2 + 1);
    InjectMouseMove(to.x, to.y);
    if (copy) InjectKey(VK_CONTROL, true);
    InjectButton(VK_LBUTTON, false, to.x, to.y);
    if (copy) InjectKey(VK_CONTROL, false);
    PumpUntilIdle();
}

TEST_F(RichView, SelectedTextDragsOutMovingOrCopyingAndAClickInItPlacesTheCaret)
{
    ViewHost one, two;
    ::SetWindowPos(two.frame->m_hWnd, nullptr, 900, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);   // side by side
    one.frame->ShowWindow(SW_SHOW);
    two.frame->ShowWindow(SW_SHOW);
    PumpUntilIdle();
    CRichEditCtrl& src = one.view->GetRichEditCtrl();
    CRichEditCtrl& dst = two.view->GetRichEditCtrl();
    src.SetWindowText("alpha beta gamma");
    dst.SetWindowText("[]");

    // Moved inside its own control, after the end: the text goes and stays selected.
    src.SetSel(6, 11);
    DragBetween(CharPoint(one.view, 7), CharPoint(one.view, 14));
    EXPECT_EQ(src.GetTextRange(0, -1), "alpha gambeta ma");
    long a = 0, b = 0;
    src.GetSel(a, b);
    EXPECT_EQ(src.GetTextRange(a, b), "beta ");

    // Copied (Ctrl) into another view: the source keeps it.
    src.SetSel(0, 5);
    DragBetween(CharPoint(one.view, 2), CharPoint(two.view, 1), true);
    EXPECT_EQ(src.GetTextRange(0, -1), "alpha gambeta ma");
    EXPECT_EQ(dst.GetTextRange(0, -1), "[alpha]");

    // Moved out: the source loses it.
    src.SetSel(0, 6);
    DragBetween(CharPoint(one.view, 1), CharPoint(two.view, 0));
    EXPECT_EQ(src.GetTextRange(0, -1), "gambeta ma");
    EXPECT_EQ(dst.GetTextRange(0, -1), "alpha [alpha]");

    // Released where it was pressed: a click that places the caret.
    src.SetSel(0, 7);
    const POINT p = CharPoint(one.view, 3);
    InjectClick(p.x, p.y);
    PumpUntilIdle();
    src.GetSel(a, b);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a, 3);

    // Protected text dragged out is copied, never taken (no ENM_PROTECTED).
    CHARFORMAT prot{};
    prot.cbSize = sizeof prot;
    prot.dwMask = CFM_PROTECTED;
    prot.dwEffects = CFE_PROTECTED;
    src.SetSel(0, 3);
    src.SetSelectionCharFormat(prot);
    DragBetween(CharPoint(one.view, 1), CharPoint(two.view, 0));
    EXPECT_EQ(src.GetTextRange(0, -1), "gambeta ma");
    EXPECT_EQ(dst.GetTextRange(0, -1), "gamalpha [alpha]");
}

}  // namespace
