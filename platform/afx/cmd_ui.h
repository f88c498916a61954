#pragma once
// CCmdUI: asks the routing whether a command is enabled, checked or renamed,
// for a menu item or another user-interface element.
#include "platform/afx/cmd_target.h"

class CCmdUI {
public:
    UINT m_nID = 0;
    UINT m_nIndex = 0;
    UINT m_nIndexMax = 0;
    HMENU m_pMenu = nullptr;      // the menu being updated, or null
    HMENU m_pSubMenu = nullptr;   // the pop-up under the item, if any
    CWnd* m_pOther = nullptr;     // another element (a bar button)
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;

    virtual ~CCmdUI() = default;
    virtual void Enable(BOOL on = TRUE);
    virtual void SetCheck(int check = 1);
    virtual void SetRadio(BOOL on = TRUE);
    virtual void SetText(const char* text);
    void ContinueRouting() { m_bContinueRouting = TRUE; }

    // Routes CN_UPDATE_COMMAND_UI to the target; with `disableIfNoHandler`, an
    // element whose command has neither an update handler nor a command
    // handler is disabled. Returns whether an update handler ran.
    BOOL DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler);
};

// Updates every item of a pop-up menu through the target (WM_INITMENUPOPUP).
void AfxUpdateMenu(HMENU popup, CCmdTarget* target, BOOL disableIfNoHandler);
