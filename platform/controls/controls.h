#pragma once
// The standard controls: custom drawn with the gdi in system colours and the
// UI font, so they look the same headless and on screen. Text is bytes shown
// by the gdi display rule; typed code points are inserted as UTF-8, and the
// caret and deletion step whole UTF-8 characters.
#include <cstdint>
#include <string>

#include "platform/controls/list_notify.h"
#include "platform/gdi/gdi.h"
#include "platform/user/control_messages.h"
#include "platform/user/user.h"

// Registers every control class; safe to call any number of times.
void RegisterControlClasses();
// The rich-edit control's procedure, for windows of other classes that
// pass their messages on to it (they need sizeof(void*) extra bytes).
WNDPROC RichEditWindowProc();

// --- helpers every control uses ------------------------------------------------
// Sends a WM_COMMAND notification to the parent.
void NotifyParentCommand(HWND control, int code);
// Sends a WM_NOTIFY to the parent; hdr's fields are filled in.
LRESULT NotifyParent(HWND control, NMHDR* hdr, int code);
// The control's font (WM_SETFONT, else the UI font).
HFONT ControlFont(HWND control);

// The first selected row, -1 when none.
inline int ListViewSelectedRow(HWND list)
{
    return (int)SendMessage(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
}
// Makes the row the only selected one, with the focus.
inline void ListViewSelectOnly(HWND list, int row)
{
    LVITEM none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessage(list, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&none);
    LVITEM it{};
    it.state = LVIS_SELECTED | LVIS_FOCUSED;
    it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessage(list, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&it);
}

