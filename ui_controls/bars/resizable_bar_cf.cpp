// Caption of a docked sizing bar: active or inactive caption colours, with
// gradient captions in 64 bands.
#include "ui_controls/bars/resizable_bar_cf.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CResizableBarCF, CResizableBarG)

namespace {
int FoundFace(const LOGFONT*, const TEXTMETRIC*, DWORD, LPARAM found)
{
    *(bool*)found = true;
    return 0;
}

COLORREF Mix(COLORREF a, COLORREF b, int i, int n)
{
    auto ch = [&](int shift) { return (int)((a >> shift) & 0xFF) + ((int)((b >> shift) & 0xFF) - (int)((a >> shift) & 0xFF)) * i / n; };
    return RGB(ch(0), ch(8), ch(16));
}
}  // namespace

CResizableBarCF::CResizableBarCF()
{
    bool found = false;
    HDC dc = GetDC(nullptr);
    EnumFontFamilies(dc, "Tahoma", FoundFace, (LPARAM)&found);
    ReleaseDC(nullptr, dc);
    m_sFontFace = found ? "Tahoma" : "Arial";
}

void CResizableBarCF::OnUpdateCmdUI(CFrameWnd* target, BOOL disable)
{
    CResizableBarG::OnUpdateCmdUI(target, disable);
    HWND focus = GetFocus();
    const BOOL active = focus && (focus == m_hWnd || IsChild(m_hWnd, focus));
    if (active != m_bActive) {
        m_bActive = active;
        ::SendMessage(m_hWnd, WM_NCPAINT, 0, 0);
    }
}

void CResizableBarCF::PaintGripperArea(HDC dc, const RECT& c)
{
    if (!IsGripperShown()) return;
    const RECT b = CloseButtonRect();
    const bool vertStrip = IsHorzDocked();   // a horizontal bar has its caption on the left
    RECT s = vertStrip ? RECT{c.left - 13, b.top + 14, c.left - 2, c.bottom} : RECT{c.left, c.top - 13, b.left - 3, c.top - 2};
    if (vertStrip)
        InflateRect(&s, 1, 0);
    else
        InflateRect(&s, 0, 1);
    const COLORREF from = GetSysColor(m_bActive ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    BOOL gradient = FALSE;
    SystemParametersInfo(SPI_GETGRADIENTCAPTIONS, 0, &gradient, 0);
    if (gradient) {
        const COLORREF to = GetSysColor(m_bActive ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION);
        const int len = vertStrip ? s.bottom - s.top : s.right - s.left;
        for (int i = 0; i < 64; ++i) {
            const int a = len * i / 64, z = len * (i + 1) / 64;
            if (z <= a) continue;
            RECT band = vertStrip ? RECT{s.left, s.bottom - z, s.right, s.bottom - a} : RECT{s.left + a, s.top, s.left + z, s.bottom};
            HBRUSH br = CreateSolidBrush(Mix(from, to, i, 64));
            FillRect(dc, &band, br);
            DeleteObject(br);
        }
    } else {
        HBRUSH br = CreateSolidBrush(from);
        FillRect(dc, &s, br);
        DeleteObject(br);
    }
    LOGFONT lf{};
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    const int tenths = dpi > 0 ? 85 * 96 / dpi : 85;
    lf.lfHeight = -(tenths * dpi / 720);
    lf.lfWeight = FW_NORMAL;
    if (vertStrip) lf.lfEscapement = lf.lfOrientation = 900;
    strncpy(lf.lfFaceName, m_sFontFace.c_str(), LF_FACESIZE - 1);
    HFONT font = CreateFontIndirect(&lf);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(m_bActive ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    const std::string text = GetWindowText();
    if (vertStrip)
        ExtTextOut(dc, s.left - 1, s.bottom - 3, ETO_CLIPPED, &s, text.c_str(), (UINT)text.size(), nullptr);
    else
        ExtTextOut(dc, s.left + 3, s.top - 1, ETO_CLIPPED, &s, text.c_str(), (UINT)text.size(), nullptr);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    DrawCloseButton(dc);
}

LRESULT CResizableBarCF::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT) {
        const LRESULT r = CResizableBarG::WindowProc(message, wParam, lParam);
        ::SendMessage(m_hWnd, WM_NCPAINT, 0, 0);
        return r;
    }
    return CResizableBarG::WindowProc(message, wParam, lParam);
}
