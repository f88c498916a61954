// The hyperlink label: hover colours and capture from injected mouse input,
// the visited colour, click reporting, the argv-only open and the tooltip.
#include "combo_test_util.h"
#include "tests/support/open_external_log.h"
#include "platform/afx/resources.h"
#include "ui_controls/link/link_static.h"

namespace {

enum { IDC_LINK = 401 };

const CDialogItemTemplate kItems[] = {
    {"Static", "", IDC_LINK, 0, 10, 10, 80, 12, 0},
};
const CDialogTemplate kTemplate = {WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, "Link", 10, 10, 120, 60, kItems, 1};

class CLinkHost : public CDialog {
public:
    CLinkStatic link;
    std::vector<std::pair<UINT, WPARAM>> clicks;
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        link.SetShownText("Veldra home");
        link.SubclassDlgItem(IDC_LINK, this);
        return TRUE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_USER + 101) clicks.emplace_back(message, wParam);
        return CDialog::WindowProc(message, wParam, lParam);
    }
};

struct LinkHost {
    CLinkHost dlg;
    LinkHost()
    {
        EXPECT_TRUE(dlg.CreateIndirect(&kTemplate, nullptr));
        PumpUntilIdle();
    }
    ~LinkHost() { dlg.DestroyWindow(); }
    POINT Centre() const
    {
        RECT r;
        dlg.link.GetWindowRect(&r);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    POINT Outside() const
    {
        RECT r;
        dlg.link.GetWindowRect(&r);
        return POINT{r.right + 20, r.bottom + 20};
    }
    // The colour the control's reflected WM_CTLCOLORSTATIC gives its text.
    COLORREF PaintColor()
    {
        HDC dc = CreateRecordingDC(FALSE);
        LRESULT brush = dlg.SendMessage(WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)dlg.link.m_hWnd);
        EXPECT_EQ((HGDIOBJ)brush, GetStockObject(NULL_BRUSH));
        EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
        COLORREF c = GetTextColor(dc);
        DeleteDC(dc);
        return c;
    }
};

TEST_F(ComboTest, LinkShowsItsTextUnderlinedWithTheHandCursor)
{
    LinkHost h;
    CLinkStatic& link = h.dlg.link;
    EXPECT_EQ(link.GetWindowText(), "Veldra home");
    EXPECT_TRUE(link.GetStyle() & SS_NOTIFY);
    LOGFONT lf{};
    ASSERT_EQ(GetObject((HFONT)link.SendMessage(WM_GETFONT), sizeof lf, &lf), (int)sizeof lf);
    EXPECT_EQ(lf.lfUnderline, 1);
    EXPECT_EQ(link.m_handCursor, LoadCursor(nullptr, IDC_HAND));
    EXPECT_EQ(link.SendMessage(WM_SETCURSOR, (WPARAM)link.m_hWnd, HTCLIENT), TRUE);
}

TEST_F(ComboTest, LinkHoverTogglesCaptureAndColourAndAClickLeavesItVisited)
{
    LinkHost h;
    CLinkStatic& link = h.dlg.link;
    h.dlg.link.m_reportClicks = true;
    EXPECT_EQ(h.PaintColor(), RGB(0, 0, 255));
    POINT in = h.Centre(), out = h.Outside();
    InjectMouseMove(in.x, in.y);
    PumpUntilIdle();
    EXPECT_TRUE(link.m_mouseInside);
    EXPECT_EQ(CurrentCapture(), link.m_hWnd);
    EXPECT_EQ(h.PaintColor(), RGB(255, 0, 0));
    InjectMouseMove(out.x, out.y);
    PumpUntilIdle();
    EXPECT_FALSE(link.m_mouseInside);
    EXPECT_EQ(CurrentCapture(), nullptr);
    EXPECT_EQ(h.PaintColor(), RGB(0, 0, 255));

    InjectClick(in.x, in.y);
    PumpUntilIdle();
    ASSERT_EQ(h.dlg.clicks.size(), 1u);
    EXPECT_EQ(h.dlg.clicks[0].first, 0x465u);
    EXPECT_EQ(h.dlg.clicks[0].second, (WPARAM)IDC_LINK);
    EXPECT_TRUE(AfxTakeOpenExternalLog().empty());
    EXPECT_EQ(h.PaintColor(), RGB(5, 34, 143));   // visited, also while hovered
    InjectMouseMove(out.x, out.y);
    PumpUntilIdle();
    EXPECT_EQ(h.PaintColor(), RGB(5, 34, 143));
}

TEST_F(ComboTest, LinkOpensTheAddressAsOneArgument)
{
    LinkHost h;
    AfxTakeOpenExternalLog();
    const std::string address = "https://example.org/a b?q=\"x\";rm -rf ~;'y'";
    h.dlg.link.SetLinkAddress(address);
    POINT in = h.Centre();
    InjectClick(in.x, in.y);
    PumpUntilIdle();
    std::vector<std::string> opened = AfxTakeOpenExternalLog();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], address);
    EXPECT_TRUE(h.dlg.clicks.empty());
    EXPECT_TRUE(h.dlg.link.m_clicked);
}

TEST_F(ComboTest, LinkTipTextChangesOnlyOnceEnabled)
{
    LinkHost h;
    CLinkStatic& link = h.dlg.link;
    ASSERT_NE(link.m_tipCtrl.m_hWnd, nullptr);
    EXPECT_EQ(link.m_tipCtrl.Send(TTM_GETTOOLCOUNT), 1);
    link.ChangeTipText("ignored");
    EXPECT_EQ(link.GetTipText(), "");
    link.EnableTip(true);
    link.ChangeTipText("Opens the web page");
    EXPECT_EQ(link.GetTipText(), "Opens the web page");
}

}  // namespace
