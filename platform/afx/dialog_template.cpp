// Dialog units from the UI font.
#include "platform/afx/dialog_template.h"

#include "platform/gdi/gdi.h"
#include "platform/user/settings.h"
#include "platform/user/window_dc.h"

SIZE AfxDialogBaseUnits()
{
    static const SIZE units = [] {
        SIZE s{6, 13};
        HDC dc = GetDC(nullptr);
        if (!dc) return s;
        LOGFONT lf = UiLogFont();
        HFONT font = CreateFontIndirect(&lf);
        HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
        SIZE ext{};
        static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        if (GetTextExtentPoint32(dc, alphabet, 52, &ext)) s.cx = (ext.cx / 26 + 1) / 2;
        TEXTMETRIC tm{};
        if (GetTextMetrics(dc, &tm)) s.cy = tm.tmHeight;
        if (old) SelectObject(dc, old);
        if (font) DeleteObject(font);
        ReleaseDC(nullptr, dc);
        if (s.cx <= 0) s.cx = 6;
        if (s.cy <= 0) s.cy = 13;
        return s;
    }();
    return units;
}

void AfxMapDialogRect(RECT* r)
{
    SIZE u = AfxDialogBaseUnits();
    r->left = r->left * u.cx / 4;
    r->right = r->right * u.cx / 4;
    r->top = r->top * u.cy / 8;
    r->bottom = r->bottom * u.cy / 8;
}
