// CCmdUI for menu items and the menu update pass.
#include "platform/afx/cmd_ui.h"

void CCmdUI::Enable(BOOL on)
{
    if (m_pMenu) EnableMenuItem(m_pMenu, m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int check)
{
    if (m_pMenu) CheckMenuItem(m_pMenu, m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
}

void CCmdUI::SetRadio(BOOL on) { SetCheck(on ? 1 : 0); }

void CCmdUI::SetText(const char* text)
{
    if (!m_pMenu) return;
    UINT state = GetMenuState(m_pMenu, m_nIndex, MF_BYPOSITION) & (MF_GRAYED | MF_CHECKED | MF_DISABLED);
    ModifyMenu(m_pMenu, m_nIndex, MF_BYPOSITION | MF_STRING | state, m_nID, text);
}

BOOL CCmdUI::DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler)
{
    if (!target || m_nID == 0) return TRUE;
    m_bEnableChanged = FALSE;
    BOOL handled = target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr);
    if (!handled && disableIfNoHandler && !m_bEnableChanged) {
        AFX_CMDHANDLERINFO info{};
        Enable(target->OnCmdMsg(m_nID, CN_COMMAND, this, &info));
    }
    return handled;
}

void AfxUpdateMenu(HMENU popup, CCmdTarget* target, BOOL disableIfNoHandler)
{
    CCmdUI ui;
    ui.m_pMenu = popup;
    ui.m_nIndexMax = (UINT)GetMenuItemCount(popup);
    for (ui.m_nIndex = 0; ui.m_nIndex < ui.m_nIndexMax; ++ui.m_nIndex) {
        ui.m_nID = GetMenuItemID(popup, (int)ui.m_nIndex);
        if (ui.m_nID == 0 || ui.m_nID == 0xFFFFFFFFu) continue;   // separators and pop-ups
        // System commands are never greyed for want of a handler.
        ui.DoUpdate(target, disableIfNoHandler && ui.m_nID < 0xF000u);
        // An update may remove items.
        ui.m_nIndexMax = (UINT)GetMenuItemCount(popup);
    }
}
