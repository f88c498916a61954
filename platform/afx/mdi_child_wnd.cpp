// CMDIChildWnd.
#include "platform/afx/mdi_child_wnd.h"

#include <algorithm>

#include "platform/afx/document.h"
#include "platform/afx/nested_loop.h"
#include "platform/afx/resources.h"
#include "platform/afx/view.h"
#include "platform/afx/win_app.h"

IMPLEMENT_DYNCREATE(CMDIChildWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIChildWnd, CFrameWnd)
    ON_WM_DESTROY()
    ON_WM_CLOSE()
    ON_MESSAGE(WM_MOUSEACTIVATE, OnMouseActivateMessage)
END_MESSAGE_MAP()

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const
{
    return DynamicDowncast<CMDIFrameWnd>(FromHandlePermanent(m_hWndMDIFrame));
}

BOOL CMDIChildWnd::LoadFrame(UINT idResource, DWORD style, CWnd* parent, CCreateContext* context)
{
    CWnd* main = parent ? parent : AfxGetMainWnd();
    CMDIFrameWnd* mdi = DynamicDowncast<CMDIFrameWnd>(main);
    if (!mdi || !mdi->m_hWnd || !IsWindow(mdi->m_hWndMDIClient)) return FALSE;
    m_hWndMDIFrame = mdi->m_hWnd;
    CWndProtector protect(this);
    std::string full;
    AfxLoadString(idResource, full);
    m_strTitle = full.substr(0, full.find('\n'));
    m_nIDHelp = idResource;
    RECT client;
    ::GetClientRect(mdi->m_hWndMDIClient, &client);
    int n = (int)mdi->Children().size();
    int w = std::max<int>(client.right * 3 / 4, 200), h = std::max<int>(client.bottom * 3 / 4, 150);
    m_pCreateContext = context;
    style = (style & ~(WS_POPUP | WS_VISIBLE)) | WS_CHILD | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    BOOL ok = CreateEx(WS_EX_MDICHILD, nullptr, m_strTitle.c_str(), style, 24 * (n % 8), 24 * (n % 8), w, h, mdi->m_hWndMDIClient,
                       (HMENU)(uintptr_t)(0xFF00u + (UINT)n), context);
    m_pCreateContext = nullptr;
    if (m_hWnd || ok) m_bCreatedWindow = true;
    if (!ok) return FALSE;
    if (CMDIFrameWnd* f = GetMDIFrame()) f->AddChild(this);
    return TRUE;
}

void CMDIChildWnd::ActivateFrame(int cmdShow)
{
    CWndProtector protect(this);
    ShowWindow(cmdShow == -1 ? SW_SHOW : cmdShow);
    if (!m_hWnd) return;
    if (CMDIFrameWnd* f = GetMDIFrame()) f->MDIActivate(this);
}

void CMDIChildWnd::OnUpdateFrameTitle(BOOL addToTitle)
{
    if (!m_hWnd) return;
    CWndProtector protect(this);
    CDocument* doc = GetActiveDocument();
    std::string title = addToTitle && doc ? doc->GetTitle() : m_strTitle;
    if (GetWindowText() != title && m_hWnd) SetWindowText(title);
    if (!m_hWnd) return;
    CMDIFrameWnd* f = GetMDIFrame();
    if (f && f->MDIGetActive() == this) f->OnUpdateFrameTitle(TRUE);
}

void CMDIChildWnd::OnClose()
{
    if (AfxEndLoopBeforeClose(m_hWnd)) return;
    CDocument* doc = GetActiveDocument();
    if (doc && !doc->CanCloseFrame(this)) return;
    if (doc && doc->Views().size() == 1 && doc->Views().front()->GetParentFrame() == this) {
        doc->OnCloseDocument();   // destroys this frame with the document's last view
        return;
    }
    DestroyWindow();
}

void CMDIChildWnd::OnDestroy()
{
    m_pViewActive = nullptr;
    DestroyFloatingBars();
    if (CMDIFrameWnd* f = GetMDIFrame()) f->OnChildDestroyed(this);
    Default();
}

LRESULT CMDIChildWnd::OnMouseActivateMessage(WPARAM, LPARAM)
{
    LRESULT r = Default();
    if (!m_hWnd) return r;   // this dispatch keeps the object
    if (CMDIFrameWnd* f = GetMDIFrame()) f->MDIActivate(this);
    return r;
}
