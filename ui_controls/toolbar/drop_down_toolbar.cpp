#include "ui_controls/toolbar/drop_down_toolbar.h"

#include <string>

#include "platform/afx/module_bitmaps.h"

namespace {
int SlotOf(UINT message)
{
    switch (message) {
    case TB_SETIMAGELIST: return 0;
    case TB_SETHOTIMAGELIST: return 1;
    case TB_SETDISABLEDIMAGELIST: return 2;
    default: return -1;
    }
}
}  // namespace

BEGIN_MESSAGE_MAP(CDropDownToolBar, CToolBar)
    ON_NOTIFY_REFLECT(TBN_DROPDOWN, OnDropDown)
END_MESSAGE_MAP()

CDropDownToolBar::~CDropDownToolBar()
{
    const UINT messages[3] = {TB_SETIMAGELIST, TB_SETHOTIMAGELIST, TB_SETDISABLEDIMAGELIST};
    for (int i = 0; i < 3; ++i) {
        if (!m_ownLists[i]) continue;
        // The control lets go of the list before it is freed.
        if (m_ctrl.m_hWnd && (HIMAGELIST)m_ctrl.SendMessage(messages[i] + 1) == m_ownLists[i])
            m_ctrl.SendMessage(messages[i], 0, 0);
        ImageList_Destroy(m_ownLists[i]);
        m_ownLists[i] = nullptr;
    }
}

BOOL CDropDownToolBar::LoadButtonImages(int imageWidth, UINT normalBitmap, UINT hotBitmap, UINT disabledBitmap)
{
    if (!LoadImageList(TB_SETIMAGELIST, normalBitmap, imageWidth)) return FALSE;
    if (hotBitmap && !LoadImageList(TB_SETHOTIMAGELIST, hotBitmap, imageWidth)) return FALSE;
    if (disabledBitmap && !LoadImageList(TB_SETDISABLEDIMAGELIST, disabledBitmap, imageWidth)) return FALSE;
    return TRUE;
}

BOOL CDropDownToolBar::LoadImageList(UINT message, UINT bitmapId, int imageWidth)
{
    const int slot = SlotOf(message);
    if (slot < 0 || imageWidth <= 0 || !m_ctrl.m_hWnd) return FALSE;
    HBITMAP bitmap = AfxLoadBitmap(std::to_string(bitmapId).c_str());
    if (!bitmap) return FALSE;
    BITMAP bm{};
    GetObject(bitmap, sizeof bm, &bm);
    const int count = bm.bmWidth / imageWidth;
    if (count <= 0 || bm.bmHeight <= 0) {
        DeleteObject(bitmap);
        return FALSE;
    }
    // The mask colour is the bottom-left pixel: what a bottom-up bitmap stores first.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF mask = GetPixel(dc, 0, bm.bmHeight - 1);
    SelectObject(dc, old);
    DeleteDC(dc);

    HIMAGELIST list = ImageList_Create(imageWidth, bm.bmHeight, ILC_COLOR24 | ILC_MASK, count, 0);
    bool ok = list && ImageList_AddMasked(list, bitmap, mask) >= 0 && ImageList_GetImageCount(list) == count;
    DeleteObject(bitmap);
    if (!ok) {
        if (list) ImageList_Destroy(list);
        return FALSE;
    }
    HIMAGELIST previous = (HIMAGELIST)m_ctrl.SendMessage(message, 0, (LPARAM)list);
    // The replaced list is freed unless the base bar still owns it.
    if (previous && previous != list && previous != m_images) ImageList_Destroy(previous);
    if (m_ownLists[slot] == previous) m_ownLists[slot] = nullptr;
    else if (m_ownLists[slot]) ImageList_Destroy(m_ownLists[slot]);   // not in the control any more
    m_ownLists[slot] = list;
    return TRUE;
}

void CDropDownToolBar::AddDropDown(UINT commandId, UINT menuId, CWnd* owner)
{
    m_dropDowns.push_back(DropDownRecord{commandId, menuId, owner});
    int index = CommandToIndex(commandId);
    if (index >= 0) SetButtonStyle(index, GetButtonStyle(index) | BTNS_DROPDOWN);
}

void CDropDownToolBar::OnDropDown(NMHDR* nm, LRESULT* result)
{
    *result = 0;   // TBDDRET_DEFAULT
    const NMTOOLBAR* tb = reinterpret_cast<const NMTOOLBAR*>(nm);
    const DropDownRecord* record = nullptr;
    for (const DropDownRecord& r : m_dropDowns)
        if ((int)r.commandId == tb->iItem) record = &r;
    if (!record) return;
    HMENU menu = AfxLoadMenu(record->menuId);
    if (!menu) return;
    HMENU popup = GetSubMenu(menu, 0);
    if (popup) {
        RECT r = tb->rcButton;
        MapWindowPoints(nm->hwndFrom, nullptr, reinterpret_cast<POINT*>(&r), 2);
        TPMPARAMS params{sizeof(TPMPARAMS), r};
        TrackDropDownMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_VERTICAL, r.left, r.bottom,
                          record->owner ? record->owner->m_hWnd : nullptr, &params);
    }
    DestroyMenu(menu);
}
