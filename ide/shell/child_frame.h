#pragma once
// CChildFrame: the MDI child frame of a program document. It always shows
// maximised; while keyboard pass-through is set (a docked window edits text)
// keys skip the accelerators and go straight to the focused window.
#include "ide/bars/watcher_host.h"
#include "platform/afx/mdi_child_wnd.h"
#include "platform/afx/mdi_frame_wnd.h"
#include "platform/afx/message_map.h"
#include "platform/afx/object.h"

class CChildFrame : public CMDIChildWnd, public IKeyboardPassThrough {
    DECLARE_DYNCREATE(CChildFrame)
public:
    CChildFrame() = default;

    void ActivateFrame(int cmdShow = -1) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    // Takes the whole client area of the MDI client window.
    void FillClient();

    void SetKeyboardPassThrough(bool on) override { m_bKeyboardPassThrough = on; }
    bool KeyboardPassThrough() const { return m_bKeyboardPassThrough; }

protected:
    DECLARE_MESSAGE_MAP()
    bool m_bKeyboardPassThrough = false;
};

// Whether a key message must bypass the accelerators of every frame: the
// active child frame of `frame` passes keys through.
bool PassesKeysThrough(CMDIFrameWnd* frame, const MSG* msg);
