#pragma once
// An MDI child frame: a child of the MDI client window of the application's
// main frame, titled with its document's title. It holds the main frame by
// handle, since the main frame may end first.
#include "platform/afx/mdi_frame_wnd.h"

class CMDIChildWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIChildWnd)
public:
    // Created inside the application's MDI main frame.
    BOOL LoadFrame(UINT idResource, DWORD style = WS_OVERLAPPEDWINDOW, CWnd* parent = nullptr,
                   CCreateContext* context = nullptr) override;
    // Null once the main frame has gone.
    CMDIFrameWnd* GetMDIFrame() const;
    void ActivateFrame(int cmdShow = -1) override;
    void OnUpdateFrameTitle(BOOL addToTitle) override;
    void MDIDestroy() { DestroyWindow(); }

    void OnDestroy();
    void OnClose();
    LRESULT OnMouseActivateMessage(WPARAM, LPARAM);

protected:
    DECLARE_MESSAGE_MAP()
    HWND m_hWndMDIFrame = nullptr;   // a handle: the main frame may end first
};
