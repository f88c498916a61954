// DrawEdge: raised and sunken 3-D borders in the system colours, outer part
// first, each part one pixel wide on the sides asked for.
#include "platform/gdi/gdi_internal.h"

namespace {

// Top-left and bottom-right colours of one part.
void PartColors(UINT part, UINT flags, bool outer, int* tl, int* br)
{
    if (flags & BF_MONO) {
        *tl = *br = COLOR_WINDOWFRAME;
        return;
    }
    if (flags & BF_FLAT) {
        *tl = *br = outer ? COLOR_BTNSHADOW : COLOR_BTNFACE;
        return;
    }
    bool raised = outer ? (part & BDR_RAISEDOUTER) : (part & BDR_RAISEDINNER);
    if (outer) {
        *tl = raised ? COLOR_3DLIGHT : COLOR_BTNSHADOW;
        *br = raised ? COLOR_3DDKSHADOW : COLOR_BTNHIGHLIGHT;
    } else {
        *tl = raised ? COLOR_BTNHIGHLIGHT : COLOR_3DDKSHADOW;
        *br = raised ? COLOR_BTNSHADOW : COLOR_3DLIGHT;
    }
}

void Strip(HDC hdc, LONG l, LONG t, LONG r, LONG b, int color)
{
    RECT s{l, t, r, b};
    if (l < r && t < b) FillRect(hdc, &s, GetSysColorBrush(color));
}

}   // namespace

BOOL DrawEdge(HDC hdc, RECT* rect, UINT edge, UINT flags)
{
    if (!rect || !FindDc(hdc)) return FALSE;
    RECT r = *rect;
    for (int pass = 0; pass < 2; pass++) {
        bool outer = pass == 0;
        UINT part = edge & (outer ? (BDR_RAISEDOUTER | BDR_SUNKENOUTER) : (BDR_RAISEDINNER | BDR_SUNKENINNER));
        if (!part) continue;
        int tl, br;
        PartColors(part, flags, outer, &tl, &br);
        if (flags & BF_TOP) Strip(hdc, r.left, r.top, r.right, r.top + 1, tl);
        if (flags & BF_LEFT) Strip(hdc, r.left, r.top, r.left + 1, r.bottom, tl);
        if (flags & BF_BOTTOM) Strip(hdc, r.left, r.bottom - 1, r.right, r.bottom, br);
        if (flags & BF_RIGHT) Strip(hdc, r.right - 1, r.top, r.right, r.bottom, br);
        if (flags & BF_LEFT) r.left++;
        if (flags & BF_TOP) r.top++;
        if (flags & BF_RIGHT) r.right--;
        if (flags & BF_BOTTOM) r.bottom--;
    }
    if (flags & BF_MIDDLE) Strip(hdc, r.left, r.top, r.right, r.bottom, (flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE);
    if (flags & BF_ADJUST) *rect = r;
    return TRUE;
}
