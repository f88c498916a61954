// The demo frame: a menu bar, a text child that echoes WM_CHAR, a canvas with
// both scroll bars, a Ctrl+C accelerator and a context menu, driven by
// injected input; the picture is saved under build/test-artifacts.
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <cairo.h>

#include "platform/backend/headless.h"
#include "platform/gdi/gdi.h"
#include "wm_test_util.h"

namespace {

enum { ID_NEW = 101, ID_OPEN = 102, ID_EXIT = 103, ID_COPY = 201, ID_ZOOM_IN = 301, ID_ZOOM_OUT = 302 };

const MenuTableItem kMenu[] = {
    {MF_POPUP, 0, "&File"},
    {MF_STRING, ID_NEW, "&New\tCtrl+N"},
    {MF_STRING, ID_OPEN, "&Open..."},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING | MF_END, ID_EXIT, "E&xit"},
    {MF_POPUP | MF_END, 0, "&Edit"},
    {MF_STRING | MF_END, ID_COPY, "&Copy\tCtrl+C"},
};

struct Demo {
    HWND frame = nullptr, text = nullptr, canvas = nullptr;
    std::string typed;
    std::vector<WPARAM> commands;
    std::vector<VisibleMenu> seenPopup;
    HMENU context = nullptr;
    std::string picture;   // where the frame with its open File menu is saved
    bool saved = false;

    Handler frameProc = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_COMMAND) {
            commands.push_back(w);
            if (LOWORD(w) == ID_COPY && OpenClipboard(h)) {
                EmptyClipboard();
                HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, typed.size() + 1);
                memcpy(GlobalLock(block), typed.c_str(), typed.size() + 1);
                GlobalUnlock(block);
                SetClipboardData(CF_TEXT, block);
                CloseClipboard();
            }
            return 0;
        }
        if (m == WM_ENTERIDLE && w == MSGF_MENU && !picture.empty()) {
            if (!saved) saved = SaveWithMenus(picture);
            InjectKeyStroke(VK_ESCAPE);
            InjectKeyStroke(VK_ESCAPE);
            return 0;
        }
        if (m == WM_ENTERIDLE && w == MSGF_MENU && seenPopup.empty()) {
            seenPopup = VisibleMenus();
            InjectKeyStroke(VK_ESCAPE);
            return 0;
        }
        if (m == WM_CONTEXTMENU) {
            TrackPopupMenu(context, TPM_RIGHTBUTTON, GET_X_LPARAM(l), GET_Y_LPARAM(l), 0, h, nullptr);
            return 0;
        }
        return DefWindowProc(h, m, w, l);
    };

    // The frame's image with the open pop-ups laid over it where they are on screen.
    bool SaveWithMenus(const std::string& path)
    {
        std::vector<uint32_t> px;
        SIZE size;
        if (!HeadlessCopySurface(frame, &px, &size)) return false;
        RECT fr;
        GetWindowRect(frame, &fr);
        for (const VisibleMenu& v : VisibleMenus()) {
            std::vector<uint32_t> mp;
            SIZE ms;
            if (!HeadlessCopySurface(v.window, &mp, &ms)) continue;
            for (int y = 0; y < ms.cy; y++)
                for (int x = 0; x < ms.cx; x++) {
                    int fx = v.rect.left - fr.left + x, fy = v.rect.top - fr.top + y;
                    if (fx >= 0 && fy >= 0 && fx < size.cx && fy < size.cy) px[(size_t)(fy * size.cx + fx)] = mp[(size_t)(y * ms.cx + x)];
                }
        }
        cairo_surface_t* img = cairo_image_surface_create_for_data((unsigned char*)px.data(), CAIRO_FORMAT_RGB24, size.cx,
                                                                   size.cy, size.cx * 4);
        bool ok = cairo_surface_write_to_png(img, path.c_str()) == CAIRO_STATUS_SUCCESS;
        cairo_surface_destroy(img);
        return ok;
    }

    int CaretX(HDC dc)
    {
        SIZE s{0, 0};
        GetTextExtentPoint32(dc, typed.c_str(), (int)typed.size(), &s);
        return 3 + s.cx;
    }

    Handler textProc = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        switch (m) {
        case WM_LBUTTONDOWN: SetFocus(h); return 0;
        case WM_SETFOCUS: {
            CreateCaret(h, nullptr, 0, 16);
            HDC dc = GetDC(h);
            SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
            SetCaretPos(CaretX(dc), 4);
            ReleaseDC(h, dc);
            ShowCaret(h);
            return 0;
        }
        case WM_KILLFOCUS: DestroyCaret(); return 0;
        case WM_CHAR:
            if (w >= ' ' && w < 0x7F) {
                typed.push_back((char)w);
                HDC dc = GetDC(h);
                SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
                SetCaretPos(CaretX(dc), 4);
                ReleaseDC(h, dc);
                InvalidateRect(h, nullptr, TRUE);
            }
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
            SetBkMode(dc, TRANSPARENT);
            TextOut(dc, 3, 4, typed.c_str(), (int)typed.size());
            EndPaint(h, &ps);
            return 0;
        }
        default: return DefWindowProc(h, m, w, l);
        }
    };

    Handler canvasProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_ERASEBKGND) {
            RECT r;
            GetClientRect(h, &r);
            FillRect((HDC)w, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
            return 1;
        }
        if (m == WM_VSCROLL || m == WM_HSCROLL) {
            int bar = m == WM_VSCROLL ? SB_VERT : SB_HORZ;
            SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
            GetScrollInfo(h, bar, &si);
            int pos = si.nPos;
            switch (LOWORD(w)) {
            case SB_LINEUP: pos -= 10; break;
            case SB_LINEDOWN: pos += 10; break;
            case SB_PAGEUP: pos -= (int)si.nPage; break;
            case SB_PAGEDOWN: pos += (int)si.nPage; break;
            case SB_THUMBTRACK:
            case SB_THUMBPOSITION: pos = si.nTrackPos; break;
            default: return 0;
            }
            SetScrollPos(h, bar, pos, TRUE);
            InvalidateRect(h, nullptr, TRUE);
            return 0;
        }
        if (m == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            int y = -GetScrollPos(h, SB_VERT) / 10, x = -GetScrollPos(h, SB_HORZ) / 10;
            HBRUSH b = CreateHatchBrush(HS_DIAGCROSS, RGB(0, 128, 192));
            RECT r{20 + x, 20 + y, 220 + x, 160 + y};
            FillRect(dc, &r, b);
            DeleteObject(b);
            Ellipse(dc, 240 + x, 40 + y, 340 + x, 140 + y);
            EndPaint(h, &ps);
            return 0;
        }
        return DefWindowProc(h, m, w, l);
    };
};

POINT ScreenOf(HWND h, int x, int y)
{
    POINT p{x, y};
    ClientToScreen(h, &p);
    return p;
}

std::filesystem::path ArtifactDir()
{
    const char* out = getenv("VELDRA_OUT");
    std::filesystem::path dir = std::filesystem::path(out ? out : "build/out").parent_path() / "test-artifacts";
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace

using WmDemo = WmTest;

TEST_F(WmDemo, TextMenusScrollBarsClipboardAndContextMenu)
{
    Demo d;
    FreezeCaretBlink(true);
    d.context = CreatePopupMenu();
    AppendMenu(d.context, MF_STRING, ID_ZOOM_IN, "Zoom &in");
    AppendMenu(d.context, MF_STRING | MF_GRAYED, ID_ZOOM_OUT, "Zoom &out");
    RegisterWmTestClasses();
    HMENU bar = LoadMenuTable(kMenu, sizeof kMenu / sizeof kMenu[0]);
    d.frame = CreateWindowEx(0, "WmTest", "Demo frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 100, 100, 640, 480,
                             nullptr, bar, nullptr, &d.frameProc);
    ASSERT_TRUE(d.frame);
    d.text = MakeAt(&d.textProc, WS_CHILD | WS_VISIBLE | WS_BORDER, RECT{10, 10, 300, 36}, d.frame);
    d.canvas = MakeAt(&d.canvasProc, WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, RECT{10, 46, 410, 366}, d.frame,
                      WS_EX_CLIENTEDGE);
    for (int bar2 : {SB_HORZ, SB_VERT}) {
        SCROLLINFO si{sizeof si, SIF_ALL, 0, 999, 100, 0, 0};
        SetScrollInfo(d.canvas, bar2, &si, TRUE);
    }
    ShowWindow(d.frame, SW_SHOW);
    UpdateWindow(d.frame);
    ACCEL accel[] = {{FVIRTKEY | FCONTROL, 'C', ID_COPY}};
    HACCEL acc = CreateAcceleratorTable(accel, 1);
    auto pump = [&] { PumpUntilIdle([&](MSG& m) { return TranslateAccelerator(d.frame, acc, &m) != 0; }); };
    pump();
    EXPECT_EQ(GetActiveWindow(), d.frame);

    // Click the text and type "ab": it shows, with the caret after it.
    POINT t = ScreenOf(d.text, 50, 10);
    InjectClick(t.x, t.y);
    InjectText("ab");
    pump();
    EXPECT_EQ(GetFocus(), d.text);
    EXPECT_EQ(d.typed, "ab");
    CaretState caret;
    ASSERT_TRUE(CaretOfThread(GetCurrentThreadId(), &caret));
    EXPECT_TRUE(caret.visible);
    EXPECT_EQ(caret.hwnd, d.text);
    HDC dc = GetDC(d.text);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE ab;
    GetTextExtentPoint32(dc, "ab", 2, &ab);
    ReleaseDC(d.text, dc);
    EXPECT_EQ(caret.rect.left, 3 + ab.cx);
    EXPECT_EQ(caret.rect.right - caret.rect.left, 1);
    // Ink in the text box, left of the caret.
    RECT fr, tr;
    GetWindowRect(d.frame, &fr);
    GetWindowRect(d.text, &tr);
    int ink = 0;
    for (int y = tr.top + 2; y < tr.bottom - 2; y++)
        for (int x = tr.left + 2; x < tr.left + 3 + ab.cx; x++) {
            COLORREF c = 0xFFFFFF;
            HeadlessGetPixel(d.frame, x - fr.left, y - fr.top, &c);
            ink += c != 0xFFFFFF;
        }
    EXPECT_GT(ink, 10);

    // Ctrl+C stores CF_TEXT "ab\0".
    InjectKey(VK_CONTROL, true);
    InjectKeyStroke('C');
    InjectKey(VK_CONTROL, false);
    pump();
    EXPECT_EQ(ClipboardText(), std::string("ab\0", 3));
    ASSERT_FALSE(d.commands.empty());
    EXPECT_EQ(d.commands.back(), (WPARAM)MAKELONG(ID_COPY, 1));

    // Drag the vertical thumb to the bottom.
    RECT cr;
    GetWindowRect(d.canvas, &cr);
    int barX = cr.right - 2 - 8;
    int thumbY = cr.top + 2 + 16 + 4;
    InjectMouseMove(barX, thumbY);
    InjectButton(VK_LBUTTON, true, barX, thumbY);
    InjectMouseMove(barX, thumbY + 100);
    InjectMouseMove(barX, cr.bottom + 200);
    InjectButton(VK_LBUTTON, false, barX, cr.bottom + 200);
    pump();
    EXPECT_EQ(GetScrollPos(d.canvas, SB_VERT), 900);

    // Alt, F, Down, Enter: the second item of File.
    d.commands.clear();
    InjectKeyStroke(VK_MENU);
    InjectKeyStroke('F', "f");
    InjectKeyStroke(VK_DOWN);
    InjectKeyStroke(VK_RETURN);
    pump();
    ASSERT_EQ(d.commands.size(), 1u);
    EXPECT_EQ(LOWORD(d.commands[0]), ID_OPEN);

    // A right click opens the context menu; the read-back lists it; Esc closes it.
    POINT c = ScreenOf(d.canvas, 100, 100);
    InjectClick(c.x, c.y, VK_RBUTTON);
    pump();
    ASSERT_EQ(d.seenPopup.size(), 1u);
    ASSERT_EQ(d.seenPopup[0].items.size(), 2u);
    EXPECT_EQ(d.seenPopup[0].items[0].text, "Zoom &in");
    EXPECT_EQ(d.seenPopup[0].items[1].state & MF_GRAYED, (UINT)MF_GRAYED);
    EXPECT_EQ(d.seenPopup[0].rect.left, c.x);
    EXPECT_TRUE(VisibleMenus().empty());
    EXPECT_EQ(d.commands.size(), 1u);

    // The picture: the File menu opened from the bar (Alt+F), over the frame.
    std::vector<VisibleMenuItem> barItems = MenuBarItems(d.frame);
    ASSERT_EQ(barItems.size(), 2u);
    EXPECT_EQ(barItems[0].text, "&File");
    d.picture = (ArtifactDir() / "wm-demo.png").string();
    InjectKey(VK_MENU, true);
    InjectKeyStroke('F', "f");
    InjectKey(VK_MENU, false);
    pump();
    EXPECT_TRUE(d.saved);
    EXPECT_TRUE(VisibleMenus().empty());
    EXPECT_EQ(d.commands.size(), 1u);
    DestroyAcceleratorTable(acc);
    DestroyWindow(d.frame);
    DestroyMenu(bar);
    DestroyMenu(d.context);
    FreezeCaretBlink(false);
}
