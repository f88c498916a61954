#pragma once
// The console document: the console text as a rich-text file (".vxc").
// It never asks to be saved: closing a console loses nothing the program needs.
#include "platform/afx/frame_wnd.h"
#include "platform/afx/object.h"
#include "platform/controls/rich_edit_view.h"

class CNerithDoc : public CRichEditDoc {
    DECLARE_DYNCREATE(CNerithDoc)
public:
    BOOL CanCloseFrame(CFrameWnd* frame) override;
};
