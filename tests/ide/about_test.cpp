// The About box and its stretched picture.
#include "ide/shell/bitmap_picture.h"
#include "ide/shell/resources.h"
#include "ide_start_util.h"

using namespace ide_test;

namespace {

std::string ItemText(HWND dlg, UINT id)
{
    char text[128] = {};
    ::GetWindowText(::GetDlgItem(dlg, (int)id), text, sizeof text);
    return text;
}

struct AboutSeen {
    std::string name, site, updates;
    bool pictureHasBitmap = false;
};
AboutSeen g_seen;

void LookAndClose(HWND, UINT, UINT_PTR id, DWORD)
{
    for (const VisibleWindow& w : VisibleTopLevelWindows()) {
        if (w.text != "About Veldra") continue;
        KillTimer(nullptr, id);
        g_seen.name = ItemText(w.hwnd, IDC_ABOUT_NAME);
        g_seen.site = ItemText(w.hwnd, IDC_ABOUT_SITE);
        g_seen.updates = ItemText(w.hwnd, IDC_ABOUT_UPDATES);
        auto* picture = dynamic_cast<CBitmapPicture*>(CWnd::FromHandlePermanent(::GetDlgItem(w.hwnd, IDC_ABOUT_PICTURE)));
        g_seen.pictureHasBitmap = picture && picture->Bitmap();
        ::PostMessage(w.hwnd, WM_COMMAND, IDOK, 0);
        return;
    }
}

TEST_F(IdeTest, TheAboutBoxShowsNameVersionPictureAndLinks)
{
    ASSERT_TRUE(Start());
    g_seen = AboutSeen{};
    SetTimer(nullptr, 0, 10, LookAndClose);
    Frame()->SendMessage(WM_COMMAND, ID_APP_ABOUT);
    EXPECT_EQ(g_seen.name, "Veldra v1.29");
    EXPECT_EQ(g_seen.site, "Click here to visit official program site");
    EXPECT_EQ(g_seen.updates, "Click here to check Veldra updates");
    EXPECT_TRUE(g_seen.pictureHasBitmap);
}

TEST_F(IdeTest, ThePictureIsStretchedOverTheWholeControl)
{
    ASSERT_TRUE(Start());
    CBitmapPicture picture;
    EXPECT_FALSE(picture.SetBitmap(9999, 10, 10));
    ASSERT_TRUE(picture.SetBitmap(IDB_ABOUT, 96, 96));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, 40, 30);
    HGDIOBJ old = SelectObject(dc, target);
    RECT all{0, 0, 40, 30};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &all, white);
    picture.Paint(dc, all);
    // Every corner is covered by the picture's blue background.
    for (POINT p : {POINT{0, 0}, POINT{39, 0}, POINT{0, 29}, POINT{39, 29}}) {
        const COLORREF c = GetPixel(dc, p.x, p.y);
        EXPECT_GT(GetBValue(c), 120) << p.x << "," << p.y;
        EXPECT_LT(GetRValue(c), 120) << p.x << "," << p.y;
    }
    SelectObject(dc, old);
    DeleteObject(white);
    DeleteObject(target);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

}  // namespace
