// CMDIFrameWnd.
#include "platform/afx/mdi_frame_wnd.h"
#include "platform/afx/mdi_child_wnd.h"

#include <algorithm>

#include "platform/afx/afx_ids.h"
#include "platform/afx/doc_template.h"
#include "platform/afx/document.h"
#include "platform/afx/nested_loop.h"
#include "platform/afx/resources.h"
#include "platform/afx/view.h"
#include "platform/afx/win_app.h"

IMPLEMENT_DYNCREATE(CMDIFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIFrameWnd, CFrameWnd)
END_MESSAGE_MAP()

BOOL CMDIFrameWnd::OnCreateClient(CREATESTRUCT*, CCreateContext*)
{
    static const char* clientClass = [] {
        WNDCLASS wc{};
        wc.lpfnWndProc = ::DefWindowProc;
        wc.lpszClassName = "AfxMDIClient";
        wc.hbrBackground = (HBRUSH)(uintptr_t)(COLOR_APPWORKSPACE + 1);
        RegisterClass(&wc);
        return "AfxMDIClient";
    }();
    RECT r;
    GetClientRect(&r);
    m_hWndMDIClient = CreateWindowEx(WS_EX_CLIENTEDGE, clientClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                     r.right, r.bottom, m_hWnd, (HMENU)(uintptr_t)AFX_IDW_MDICLIENT, nullptr, nullptr);
    return m_hWndMDIClient != nullptr;
}

void CMDIFrameWnd::RecalcLayout(BOOL notify) { CFrameWnd::RecalcLayout(notify); }

void CMDIFrameWnd::PlaceClient(const RECT& r)
{
    if (m_hWndMDIClient) ::MoveWindow(m_hWndMDIClient, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void CMDIFrameWnd::AddChild(CMDIChildWnd* child)
{
    if (std::find(m_children.begin(), m_children.end(), child) == m_children.end()) m_children.push_back(child);
}

void CMDIFrameWnd::MDIActivate(CMDIChildWnd* child)
{
    if (child == m_pActiveChild) {
        OnUpdateFrameTitle(TRUE);
        return;
    }
    // Each step may end this frame or the children: re-checked by handle.
    CWndProtector protect(this);
    CMDIChildWnd* old = m_pActiveChild;
    m_pActiveChild = child;
    HWND oldHwnd = old ? old->m_hWnd : nullptr, childHwnd = child ? child->m_hWnd : nullptr;
    if (oldHwnd && FromHandlePermanent(oldHwnd) == old)
        if (CView* v = old->GetActiveView()) v->OnActivateView(FALSE, nullptr, v);
    if (childHwnd && m_hWnd) {
        BringWindowToTop(childHwnd);
        if (m_hWnd && FromHandlePermanent(childHwnd) == child)
            if (CView* v = child->GetActiveView()) v->OnActivateView(TRUE, v, nullptr);
    }
    if (m_hWnd) OnUpdateFrameTitle(TRUE);
}

void CMDIFrameWnd::OnChildDestroyed(CMDIChildWnd* child)
{
    m_children.erase(std::remove(m_children.begin(), m_children.end(), child), m_children.end());
    if (m_pActiveChild == child) {
        m_pActiveChild = nullptr;
        MDIActivate(m_children.empty() ? nullptr : m_children.back());
    }
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame() { return m_pActiveChild ? static_cast<CFrameWnd*>(m_pActiveChild) : this; }

CView* CMDIFrameWnd::GetActiveView() const { return m_pActiveChild ? m_pActiveChild->GetActiveView() : nullptr; }

CDocument* CMDIFrameWnd::GetActiveDocument() { return m_pActiveChild ? m_pActiveChild->GetActiveDocument() : nullptr; }

void CMDIFrameWnd::OnUpdateFrameTitle(BOOL addToTitle)
{
    if (!m_hWnd) return;
    CWndProtector protect(this);
    CDocument* doc = GetActiveDocument();
    std::string title = m_strTitle;
    if (addToTitle && doc && !doc->GetTitle().empty()) title += " - " + doc->GetTitle();
    if (GetWindowText() != title && m_hWnd) SetWindowText(title);
}

BOOL CMDIFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info)
{
    // Keyed apart from this frame's own step (CFrameWnd::OnCmdMsg), which
    // would otherwise see itself already on the route and answer FALSE.
    CRouteGuard guard(reinterpret_cast<const char*>(this) + 1, nID, nCode);
    if (!guard.Entered()) return FALSE;
    if (m_pActiveChild && m_pActiveChild->OnCmdMsg(nID, nCode, pExtra, info)) return TRUE;
    return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, info);
}

BOOL CMDIFrameWnd::PreTranslateMessage(MSG* msg) { return CFrameWnd::PreTranslateMessage(msg); }
