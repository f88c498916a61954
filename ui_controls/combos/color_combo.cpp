#include "ui_controls/combos/color_combo.h"

#include "platform/afx/color_dialog.h"

namespace {
constexpr DWORD kAnyColor = 0x0100;
constexpr DWORD kFullOpen = 0x0002;
}  // namespace

const ColorComboEntry CColorCombo::kTable[kEntryCount] = {
    {0x000000, "Black"},  {0x000080, "Maroon"}, {0x008000, "Dark Green"}, {0x008080, "Olive"},
    {0x800000, "Navy"},   {0x800080, "Purple"}, {0x808000, "Teal"},       {0x808080, "Grey"},
    {0xC0C0C0, "Silver"}, {0x0000FF, "Red"},    {0x00FF00, "Lime"},       {0x00FFFF, "Yellow"},
    {0x0080FF, "Orange"}, {0xFF0000, "Blue"},   {0xFF00FF, "Fushcia"},    {0xFFFF00, "Aqua"},
    {0xFFFFFF, "White"},  {0xFF000000u, "Undefined"}, {0xFFFFFF, "..."},
};

BEGIN_MESSAGE_MAP(CColorCombo, CComboBox)
    ON_MESSAGE(WM_CREATE, OnCreateMsg)
    ON_WM_DRAWITEM_REFLECT()
    ON_WM_MEASUREITEM_REFLECT()
END_MESSAGE_MAP()

LRESULT CColorCombo::OnCreateMsg(WPARAM, LPARAM)
{
    LRESULT r = Default();
    if (r == -1) return r;
    Fill();
    return r;
}

void CColorCombo::PreSubclassWindow()
{
    Fill();
    CComboBox::PreSubclassWindow();
}

void CColorCombo::Fill()
{
    if (m_filled || !m_hWnd) return;
    m_filled = true;
    for (int i = 0; i < kEntryCount; ++i) {
        const char* name = kTable[i].name;
        COLORREF color = kTable[i].color;
        if (i == kAutomaticIndex) {
            if (!m_customText.empty()) name = m_customText.c_str();
            color = m_automaticColor;
        }
        int at = AddString(name);
        if (at == CB_ERRSPACE || at < 0) break;
        SetItemData(at, (UINT_PTR)color);
    }
    SetCurSel(0);
}

COLORREF CColorCombo::GetSelectedColor() const
{
    int sel = GetCurSel();
    if (sel < 0) return (COLORREF)CB_ERR;
    return (COLORREF)GetItemData(sel);
}

void CColorCombo::SetSelectedColor(COLORREF color)
{
    int n = GetCount();
    for (int i = 0; i < n; ++i) {
        if ((COLORREF)GetItemData(i) == color) {
            SetCurSel(i);
            return;
        }
    }
    if (n <= 0) return;
    SetItemData(n - 1, (UINT_PTR)color);
    SetCurSel(n - 1);
}

BOOL CColorCombo::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE) {
        int last = GetCount() - 1;
        if (last >= 0 && GetCurSel() == last) {
            CColorDialog dlg((COLORREF)GetItemData(last), kFullOpen | kAnyColor, this);
            if (dlg.DoModal() == IDOK && m_hWnd) SetItemData(last, (UINT_PTR)dlg.GetColor());
        }
    }
    return CComboBox::OnChildNotify(message, wParam, lParam, result);
}

void CColorCombo::DrawItem(DRAWITEMSTRUCT* dis)
{
    HDC dc = dis->hDC;
    RECT rc = dis->rcItem;
    bool selected = (dis->itemState & ODS_SELECTED) != 0;
    COLORREF text = selected ? (~GetSysColor(COLOR_WINDOWTEXT) & 0xFFFFFF) : GetSysColor(COLOR_WINDOWTEXT);
    COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    HBRUSH backBrush = CreateSolidBrush(back);
    FillRect(dc, &rc, backBrush);
    DeleteObject(backBrush);
    if (dis->itemState & ODS_FOCUS) DrawFocusRect(dc, &rc);

    InflateRect(&rc, -2, -2);
    RECT swatch = rc;
    swatch.right = rc.left + (rc.right - rc.left) / 4;

    int item = (int)dis->itemID;
    std::string name = item >= 0 ? GetLBText(item) : std::string();
    if (!name.empty()) {
        RECT textRect = rc;
        textRect.left = swatch.right + 2;
        int oldMode = SetBkMode(dc, TRANSPARENT);
        COLORREF oldText = SetTextColor(dc, (dis->itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT) : text);
        DrawText(dc, name.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
        SetTextColor(dc, oldText);
        SetBkMode(dc, oldMode);
    }

    HBRUSH black = (HBRUSH)GetStockObject(BLACK_BRUSH);
    if (item == kAutomaticIndex) {
        // The automatic entry: an outline only, whatever colour it stands for.
        InflateRect(&swatch, -5, -5);
        FrameRect(dc, &swatch, black);
        return;
    }
    COLORREF fill = item < 0 ? 0xFFFFFF : ((COLORREF)dis->itemData & 0xFFFFFF);
    HBRUSH fillBrush = CreateSolidBrush(fill);
    FillRect(dc, &swatch, fillBrush);
    DeleteObject(fillBrush);
    FrameRect(dc, &swatch, black);
}
