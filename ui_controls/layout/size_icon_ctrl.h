#pragma once
// The size grip in the bottom-right corner of a resizable window: a size-box
// scroll bar that runs its top-level window's sizing loop.
#include "platform/afx/afx_controls.h"
#include "platform/controls/controls.h"

#ifndef SBS_SIZEBOXBOTTOMRIGHTALIGN
#define SBS_SIZEBOXBOTTOMRIGHTALIGN 0x0004u
#endif
#ifndef WM_SIZING
#define WM_SIZING 0x0214u
#define WMSZ_LEFT 1
#define WMSZ_RIGHT 2
#define WMSZ_TOP 3
#define WMSZ_TOPLEFT 4
#define WMSZ_TOPRIGHT 5
#define WMSZ_BOTTOM 6
#define WMSZ_BOTTOMLEFT 7
#define WMSZ_BOTTOMRIGHT 8
#endif

class LytSizeIconCtrl : public CScrollBar {
    DECLARE_DYNAMIC(LytSizeIconCtrl)
public:
    BOOL Create(CWnd* parent, UINT id);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The image every grip draws (system bitmap 32766), with its size.
    static HIMAGELIST SharedImageList(int* cx, int* cy);
    BYTE m_bReserved = 0;
    BYTE m_bHideWhenMaximized = 1;
};
