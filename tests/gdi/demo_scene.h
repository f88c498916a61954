#pragma once
// The demo scene every target draws: pen styles, a wide pen, a hatch with a
// moved origin, an elliptic clip, text at escapement 900, DrawText with
// CALCRECT and END_ELLIPSIS, a BitBlt and a dotted XOR band (320 x 240).
#include "platform/gdi/gdi.h"

struct CDemoResult {
    RECT calc{0, 0, 0, 0};
};

inline CDemoResult PaintDemo(HDC dc)
{
    CDemoResult result;
    RECT all{0, 0, 320, 240};
    FillRect(dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    // Pen styles, one row each, then a wide pen.
    for (int style = PS_SOLID; style <= PS_DASHDOTDOT; style++) {
        HPEN pen = CreatePen(style, 0, RGB(0, 0, 0));
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, 10, 10 + 8 * style, nullptr);
        LineTo(dc, 150, 10 + 8 * style);
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    HPEN wide = CreatePen(PS_SOLID, 5, RGB(0, 128, 0));
    HGDIOBJ oldPen = SelectObject(dc, wide);
    MoveToEx(dc, 10, 54, nullptr);
    LineTo(dc, 150, 54);
    SelectObject(dc, oldPen);
    DeleteObject(wide);
    // A cross hatch shifted three pixels right.
    HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(0, 0, 255));
    HGDIOBJ oldBrush = SelectObject(dc, hatch);
    SetBrushOrgEx(dc, 3, 0, nullptr);
    Rectangle(dc, 170, 10, 250, 60);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    SelectObject(dc, oldBrush);
    DeleteObject(hatch);
    // An elliptic clip around a solid fill.
    HRGN ellipse = CreateEllipticRgn(10, 70, 110, 150);
    SelectClipRgn(dc, ellipse);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT under{0, 60, 120, 160};
    FillRect(dc, &under, red);
    SelectClipRgn(dc, nullptr);
    DeleteObject(ellipse);
    DeleteObject(red);
    // Text going up.
    HFONT up = CreateFont(-16, 0, 900, 900, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ oldFont = SelectObject(dc, up);
    SetBkMode(dc, TRANSPARENT);
    TextOut(dc, 120, 150, "Up", 2);
    SelectObject(dc, oldFont);
    DeleteObject(up);
    // DrawText: the calculated rectangle framed, and an ellipsis.
    HFONT ui = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    oldFont = SelectObject(dc, ui);
    RECT calc{150, 70, 150, 70};
    DrawText(dc, "Veldra\nplots", -1, &calc, DT_CALCRECT);
    result.calc = calc;
    DrawText(dc, "Veldra\nplots", -1, &calc, 0);
    FrameRect(dc, &calc, (HBRUSH)GetStockObject(BLACK_BRUSH));
    RECT clipped{150, 120, 250, 140};
    DrawText(dc, "A long caption that does not fit", -1, &clipped, DT_SINGLELINE | DT_END_ELLIPSIS | DT_VCENTER);
    SelectObject(dc, oldFont);
    // A 16 x 16 checker blitted from a memory DC.
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bm = CreateBitmap(16, 16, 1, 24, nullptr);
    HGDIOBJ oldBm = SelectObject(mem, bm);
    RECT cell{0, 0, 16, 16};
    FillRect(mem, &cell, (HBRUSH)GetStockObject(WHITE_BRUSH));
    RECT q1{0, 0, 8, 8}, q2{8, 8, 16, 16};
    FillRect(mem, &q1, (HBRUSH)GetStockObject(BLACK_BRUSH));
    FillRect(mem, &q2, (HBRUSH)GetStockObject(BLACK_BRUSH));
    BitBlt(dc, 270, 10, 16, 16, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldBm);
    DeleteObject(bm);
    DeleteDC(mem);
    // A dotted XOR band; OPAQUE gaps make it show on white.
    HPEN dots = CreatePen(PS_DOT, 0, RGB(0, 0, 0));
    oldPen = SelectObject(dc, dots);
    oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    SetBkMode(dc, OPAQUE);
    SetROP2(dc, R2_XORPEN);
    Rectangle(dc, 20, 170, 300, 230);
    SetROP2(dc, R2_COPYPEN);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(dots);
    return result;
}
