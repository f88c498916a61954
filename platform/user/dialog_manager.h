#pragma once
// The dialog manager: keyboard navigation of a dialog's controls.
#include "platform/types.h"

#define WM_NEXTDLGCTL 0x0028u
#define WM_INITDIALOG 0x0110u
#define DM_GETDEFID (WM_USER + 0)
#define DM_SETDEFID (WM_USER + 1)
#define DC_HASDEFID 0x534Bu

#define DLGC_WANTARROWS 0x0001u
#define DLGC_WANTTAB 0x0002u
#define DLGC_WANTALLKEYS 0x0004u
#define DLGC_WANTMESSAGE 0x0004u
#define DLGC_HASSETSEL 0x0008u
#define DLGC_DEFPUSHBUTTON 0x0010u
#define DLGC_UNDEFPUSHBUTTON 0x0020u
#define DLGC_RADIOBUTTON 0x0040u
#define DLGC_WANTCHARS 0x0080u
#define DLGC_STATIC 0x0100u
#define DLGC_BUTTON 0x2000u

#define BN_CLICKED 0
#define BM_CLICK 0x00F5u
#define EM_SETSEL 0x00B1u

// Handles keyboard messages for the dialog (asking each control
// WM_GETDLGCODE first): Tab and Shift+Tab over WS_TABSTOP controls, arrows
// inside a WS_GROUP group, Enter (the default id, else IDOK), Esc
// (IDCANCEL) and mnemonics. TRUE when the message was the dialog's (it is
// then dispatched or consumed).
BOOL IsDialogMessage(HWND dialog, MSG* msg);
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);
// WM_NEXTDLGCTL, DM_GETDEFID and DM_SETDEFID; everything else goes to
// DefWindowProc.
LRESULT DefDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL CheckRadioButton(HWND dialog, int first, int last, int check);
