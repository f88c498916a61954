// The plot device's style combos.
#include "plot_device/style_combos.h"

#include "graphics/graph_object.h"
#include "platform/gdi/gdi.h"
#include "platform/user/user.h"

namespace {

// Steps 1 and 2 of every item: the selected item on the window colour (no
// highlight bar), the focus rectangle, then the inner rectangle and the ink.
// False when there is no item to draw.
bool PrepareItem(const CComboBox& combo, DRAWITEMSTRUCT* dis, RECT& inner, COLORREF& ink)
{
    HDC dc = dis->hDC;
    RECT rc = dis->rcItem;
    if (dis->itemState & ODS_SELECTED) {
        HBRUSH back = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
        FillRect(dc, &rc, back);
        DeleteObject(back);
    }
    if (dis->itemState & ODS_FOCUS) DrawFocusRect(dc, &rc);
    InflateRect(&rc, -2, -2);
    inner = rc;
    const int item = (int)dis->itemID;
    if (item < 0 || item >= combo.GetCount()) return false;
    if (dis->itemState & ODS_DISABLED) {
        HBRUSH back = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
        FillRect(dc, &rc, back);
        DeleteObject(back);
        ink = GetSysColor(COLOR_INACTIVECAPTIONTEXT);
    } else {
        ink = GetSysColor(COLOR_WINDOWTEXT);
    }
    return true;
}

// A line across the vertical middle of r with a pen made for it.
void MiddleLine(HDC dc, const RECT& r, HPEN pen)
{
    HGDIOBJ old = SelectObject(dc, pen);
    const int mid = (r.top + r.bottom) / 2;
    POINT was{};
    MoveToEx(dc, r.left, mid, &was);
    LineTo(dc, r.right, mid);
    MoveToEx(dc, was.x, was.y, nullptr);
    SelectObject(dc, old);
}

}  // namespace

BEGIN_MESSAGE_MAP(CLineStyleCombo, CNumberTableCombo5)
    ON_WM_DRAWITEM_REFLECT()
    ON_WM_MEASUREITEM_REFLECT()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CLineWidthCombo, CNumberCombo10)
    ON_WM_DRAWITEM_REFLECT()
    ON_WM_MEASUREITEM_REFLECT()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CPointStyleCombo, CNumberCombo7)
    ON_WM_DRAWITEM_REFLECT()
    ON_WM_MEASUREITEM_REFLECT()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CFillStyleCombo, CNumberTableCombo8)
    ON_WM_DRAWITEM_REFLECT()
    ON_WM_MEASUREITEM_REFLECT()
END_MESSAGE_MAP()

int CLineStyleCombo::GetSelectedStyle() const
{
    const int sel = GetCurSel();
    return sel < 0 ? PS_NULL : (int)(LONG_PTR)GetItemData(sel);
}

void CLineStyleCombo::DrawItem(DRAWITEMSTRUCT* dis)
{
    RECT r;
    COLORREF ink;
    if (!PrepareItem(*this, dis, r, ink)) return;
    HPEN pen = CreatePen((int)(LONG_PTR)GetItemData((int)dis->itemID), 1, ink);
    MiddleLine(dis->hDC, r, pen);
    DeleteObject(pen);
}

void CLineWidthCombo::DrawItem(DRAWITEMSTRUCT* dis)
{
    RECT r;
    COLORREF ink;
    if (!PrepareItem(*this, dis, r, ink)) return;
    HPEN pen = CreatePen(PS_SOLID, (int)dis->itemID, ink);
    MiddleLine(dis->hDC, r, pen);
    DeleteObject(pen);
}

void CPointStyleCombo::DrawItem(DRAWITEMSTRUCT* dis)
{
    RECT r;
    COLORREF ink;
    if (!PrepareItem(*this, dis, r, ink)) return;
    HDC dc = dis->hDC;
    HPEN pen = CreatePen(PS_SOLID, 0, ink);
    MiddleLine(dc, r, pen);
    HGDIOBJ old = SelectObject(dc, pen);
    CGraphObject::DrawMarker(dc, (r.left + r.right) / 2, (r.top + r.bottom) / 2, (int)dis->itemID);
    SelectObject(dc, old);
    DeleteObject(pen);
}

int CFillStyleCombo::SelectByData(int value)
{
    const int n = GetCount();
    for (int i = 0; i < n; i++)
        if ((int)(LONG_PTR)GetItemData(i) == value) return SetCurSel(i);
    SetCurSel(-1);
    return -1;
}

void CFillStyleCombo::DrawItem(DRAWITEMSTRUCT* dis)
{
    RECT r;
    COLORREF ink;
    if (!PrepareItem(*this, dis, r, ink)) return;
    const int data = (int)(LONG_PTR)GetItemData((int)dis->itemID);
    LOGBRUSH lb{};
    lb.lbColor = ink;
    if (data == -2) {
        lb.lbStyle = BS_HOLLOW;
    } else if (data == -1) {
        lb.lbStyle = BS_SOLID;
    } else {
        lb.lbStyle = BS_HATCHED;
        lb.lbHatch = (uintptr_t)data;
    }
    HBRUSH brush = CreateBrushIndirect(&lb);
    FillRect(dis->hDC, &r, brush);
    DeleteObject(brush);
}
