#pragma once
// The MDI main frame: its client area is the MDI client window, with child
// frames (mdi_child_wnd.h) inside it, one document view each. Commands route
// active child (its view, its document), then the main frame. The title is
// "<app title> - <active doc title>".
#include <vector>

#include "platform/afx/frame_wnd.h"

class CMDIChildWnd;

class CMDIFrameWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIFrameWnd)
public:
    BOOL OnCreateClient(CREATESTRUCT* cs, CCreateContext* context) override;
    CMDIChildWnd* MDIGetActive() const { return m_pActiveChild; }
    void MDIActivate(CMDIChildWnd* child);
    // A child is going away: another one becomes active.
    void OnChildDestroyed(CMDIChildWnd* child);
    const std::vector<CMDIChildWnd*>& Children() const { return m_children; }
    void AddChild(CMDIChildWnd* child);

    CFrameWnd* GetActiveFrame() override;
    CView* GetActiveView() const override;
    CDocument* GetActiveDocument() override;
    void OnUpdateFrameTitle(BOOL addToTitle) override;
    void RecalcLayout(BOOL notify = TRUE) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info) override;
    BOOL PreTranslateMessage(MSG* msg) override;

    HWND m_hWndMDIClient = nullptr;

protected:
    DECLARE_MESSAGE_MAP()
    void PlaceClient(const RECT& r) override;
    CMDIChildWnd* m_pActiveChild = nullptr;
    std::vector<CMDIChildWnd*> m_children;
};
