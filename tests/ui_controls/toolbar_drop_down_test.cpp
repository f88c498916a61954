// The image toolbar: image lists from resource PNGs (count, mask colour,
// failures, ownership) and the drop-down menu under a button.
#include "combo_test_util.h"
#include "platform/afx/control_bar.h"
#include "platform/afx/frame_wnd.h"
#include "ui_controls/toolbar/drop_down_toolbar.h"

void RegisterUiControlTestBitmaps(HINSTANCE module);

namespace {

enum : UINT { ID_A = 40001, ID_B = 40002, IDM_DROP = 9310 };

const MenuTableItem kDropMenu[] = {
    {MF_POPUP | MF_END, 0, "Drop"},
    {MF_STRING, 41001, "First"},
    {MF_STRING | MF_END, 41002, "Second"},
};

void RegisterFixtures()
{
    static bool done = [] {
        RegisterUiControlTestBitmaps(AfxGetProgramModuleState()->ResourceHandle());
        AfxGetProgramModuleState()->m_resources.AddMenu(IDM_DROP, kDropMenu, sizeof kDropMenu / sizeof kDropMenu[0]);
        return true;
    }();
    (void)done;
}

struct Shown {
    HMENU menu;
    UINT flags;
    int x, y;
    HWND owner;
    RECT exclude;
    std::string first;
};

class CWatchedToolBar : public CDropDownToolBar {
public:
    std::vector<Shown> shown;
    HIMAGELIST List(UINT getMessage) { return (HIMAGELIST)m_ctrl.SendMessage(getMessage); }
    void Notify(UINT id)
    {
        NMTOOLBAR nm{};
        nm.hdr.hwndFrom = m_ctrl.m_hWnd;
        nm.hdr.idFrom = (UINT_PTR)::GetDlgCtrlID(m_ctrl.m_hWnd);
        nm.hdr.code = (UINT)TBN_DROPDOWN;
        nm.iItem = (int)id;
        int index = CommandToIndex(id);
        ASSERT_GE(index, 0);
        m_ctrl.SendMessage(TB_GETITEMRECT, (WPARAM)index, (LPARAM)&nm.rcButton);
        SendMessage(WM_NOTIFY, nm.hdr.idFrom, (LPARAM)&nm);
    }

protected:
    BOOL TrackDropDownMenu(HMENU menu, UINT flags, int x, int y, HWND owner, const TPMPARAMS* params) override
    {
        char text[32] = {};
        GetMenuString(menu, 0, text, sizeof text, MF_BYPOSITION);
        shown.push_back(Shown{menu, flags, x, y, owner, params ? params->rcExclude : RECT{}, text});
        return TRUE;
    }
};

struct BarHost {
    CFrameWnd* frame = new CFrameWnd;
    CWatchedToolBar bar;
    BarHost()
    {
        RegisterFixtures();
        EXPECT_TRUE(frame->Create(nullptr, "Bar", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{0, 0, 400, 200}));
        EXPECT_TRUE(bar.Create(frame));
        const UINT ids[] = {ID_A, ID_SEPARATOR, ID_B};
        EXPECT_TRUE(bar.SetButtons(ids, 3));
    }
    ~BarHost()
    {
        bar.DestroyWindow();
        frame->DestroyWindow();
    }
};

using ToolBar = ComboTest;

TEST_F(ToolBar, ImageListsCountImagesAndOnlyTheGivenOnesAreSet)
{
    BarHost h;
    ASSERT_TRUE(h.bar.LoadButtonImages(16, 9301, 0, 0));
    HIMAGELIST normal = h.bar.List(TB_GETIMAGELIST);
    ASSERT_NE(normal, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(normal), 10);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(normal, &cx, &cy);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 24);
    EXPECT_EQ(h.bar.List(TB_GETHOTIMAGELIST), nullptr);
    EXPECT_EQ(h.bar.List(TB_GETDISABLEDIMAGELIST), nullptr);

    ASSERT_TRUE(h.bar.LoadButtonImages(24, 9301, 9301, 9302));
    EXPECT_EQ(ImageList_GetImageCount(h.bar.List(TB_GETHOTIMAGELIST)), 6);
    EXPECT_EQ(ImageList_GetImageCount(h.bar.List(TB_GETDISABLEDIMAGELIST)), 2);
}

TEST_F(ToolBar, BadWidthsAndMissingBitmapsFailWithoutLeaks)
{
    BarHost h;
    GetStockObject(BLACK_BRUSH);   // stock objects are made on first use
    size_t before = GdiObjectCount();
    EXPECT_FALSE(h.bar.LoadImageList(TB_SETIMAGELIST, 9301, 0));
    EXPECT_FALSE(h.bar.LoadImageList(TB_SETIMAGELIST, 9301, -16));
    EXPECT_FALSE(h.bar.LoadImageList(TB_SETIMAGELIST, 9303, 16));   // narrower than one image
    EXPECT_FALSE(h.bar.LoadImageList(TB_SETIMAGELIST, 9399, 16));   // no such bitmap
    EXPECT_FALSE(h.bar.LoadButtonImages(16, 9301, 9399, 0));          // normal set, hot fails
    EXPECT_NE(h.bar.List(TB_GETIMAGELIST), nullptr);
    EXPECT_EQ(GdiObjectCount(), before);
}

TEST_F(ToolBar, ReloadingFreesTheReplacedList)
{
    BarHost h;
    ASSERT_TRUE(h.bar.LoadImageList(TB_SETIMAGELIST, 9301, 16));
    HIMAGELIST first = h.bar.List(TB_GETIMAGELIST);
    ASSERT_TRUE(h.bar.LoadImageList(TB_SETIMAGELIST, 9301, 16));
    HIMAGELIST second = h.bar.List(TB_GETIMAGELIST);
    EXPECT_NE(first, second);
    EXPECT_EQ(ImageList_GetImageCount(first), 0) << "the replaced list is still alive";
    EXPECT_EQ(ImageList_GetImageCount(second), 10);
}

TEST_F(ToolBar, TheMaskIsTheBottomLeftColour)
{
    BarHost h;
    ASSERT_TRUE(h.bar.LoadImageList(TB_SETIMAGELIST, 9302, 24));
    HIMAGELIST list = h.bar.List(TB_GETIMAGELIST);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 24, 24);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, canvas);
    RECT all{0, 0, 24, 24};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &all, white);
    DeleteObject(white);
    ASSERT_TRUE(ImageList_Draw(list, 0, dc, 0, 0, ILD_TRANSPARENT));
    EXPECT_EQ(GetPixel(dc, 0, 23), RGB(255, 255, 255));   // magenta masked out
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 255, 0));        // the top-left colour stays
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0, 0, 255));
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
}

TEST_F(ToolBar, DropDownShowsTheFirstSubMenuUnderTheButton)
{
    BarHost h;
    h.bar.Notify(ID_B);   // no record: no menu
    EXPECT_TRUE(h.bar.shown.empty());

    h.bar.AddDropDown(ID_B, IDM_DROP, h.frame);
    int index = h.bar.CommandToIndex(ID_B);
    EXPECT_TRUE(h.bar.GetButtonStyle(index) & BTNS_DROPDOWN);
    h.bar.Notify(ID_B);
    ASSERT_EQ(h.bar.shown.size(), 1u);
    const Shown& s = h.bar.shown[0];
    EXPECT_EQ(s.first, "First");
    EXPECT_EQ(s.owner, h.frame->m_hWnd);
    EXPECT_TRUE(s.flags & TPM_VERTICAL);
    RECT button{};
    h.bar.GetToolBarCtrl().SendMessage(TB_GETITEMRECT, (WPARAM)index, (LPARAM)&button);
    MapWindowPoints(h.bar.GetToolBarCtrl().m_hWnd, nullptr, reinterpret_cast<POINT*>(&button), 2);
    EXPECT_EQ(s.x, button.left);
    EXPECT_EQ(s.y, button.bottom);
    EXPECT_EQ(s.exclude.left, button.left);
    EXPECT_EQ(s.exclude.top, button.top);
    EXPECT_EQ(s.exclude.right, button.right);
    EXPECT_EQ(s.exclude.bottom, button.bottom);
    EXPECT_FALSE(IsMenu(s.menu));   // the loaded menu was destroyed afterwards
}

}  // namespace
