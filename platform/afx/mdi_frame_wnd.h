#pragma once
// The MDI main frame: its client area is the MDI client window, with child
// frames (mdi_child_wnd.h) inside it, one document view each. Commands route
// active child (its view, its document), then the main frame. The title is
// "<app title> - <active doc title>".
// The Window menu (the pop-up holding a Window command) lists the children
// as "&1 title", ... with the active one checked; choosing one activates it.
// Cascade, Tile and Arrange Icons arrange them; Ctrl+F6 and Ctrl+Shift+F6
// activate the next and the previous child.
#include <vector>

#include "platform/afx/frame_wnd.h"

class CMDIChildWnd;

// The Window menu's child items: this id, plus the child's index.
#define AFX_IDM_FIRST_MDICHILD 0xFF00u
#define AFX_MDI_LISTED_CHILDREN 9u

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
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnInitMenuPopup(HMENU popup, UINT index, BOOL sysMenu) override;

    // The next (or previous) child in the order they were opened becomes active.
    void MDINext(BOOL previous = FALSE);
    // Restored, overlapping from the top left, the active one in front.
    void MDICascade();
    // Restored, one above the other, each the client's full width.
    void MDITile();
    // Minimised children in a row along the bottom.
    void MDIIconArrange();
    void OnWindowCascade() { MDICascade(); }
    void OnWindowTile() { MDITile(); }
    void OnWindowArrange() { MDIIconArrange(); }
    void OnUpdateMDIWindowCmd(CCmdUI* ui);

    HWND m_hWndMDIClient = nullptr;

protected:
    DECLARE_MESSAGE_MAP()
    // Rewrites the child items of a Window menu.
    void UpdateWindowList(HMENU popup);
    void PlaceClient(const RECT& r) override;
    CMDIChildWnd* m_pActiveChild = nullptr;
    std::vector<CMDIChildWnd*> m_children;
};
