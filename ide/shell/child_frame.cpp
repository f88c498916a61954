// The program documents' child frame (see child_frame.h).
#include "ide/shell/child_frame.h"

IMPLEMENT_DYNCREATE(CChildFrame, CMDIChildWnd)

BEGIN_MESSAGE_MAP(CChildFrame, CMDIChildWnd)
END_MESSAGE_MAP()

void CChildFrame::ActivateFrame(int)
{
    CMDIChildWnd::ActivateFrame(SW_SHOWMAXIMIZED);
    FillClient();
}

void CChildFrame::FillClient()
{
    if (!m_hWnd) return;
    HWND client = ::GetParent(m_hWnd);
    RECT r;
    if (!client || !::GetClientRect(client, &r)) return;
    RECT now;
    ::GetWindowRect(m_hWnd, &now);
    ::MapWindowPoints(nullptr, client, (POINT*)&now, 2);
    if (now.left != r.left || now.top != r.top || now.right != r.right || now.bottom != r.bottom)
        MoveWindow(r);
}

BOOL CChildFrame::PreTranslateMessage(MSG* msg)
{
    if (m_bKeyboardPassThrough && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) {
        // Straight to the focused window: no frame's accelerators see it.
        TranslateMessage(msg);
        DispatchMessage(msg);
        return TRUE;
    }
    return CMDIChildWnd::PreTranslateMessage(msg);
}

bool PassesKeysThrough(CMDIFrameWnd* frame, const MSG* msg)
{
    if (!frame || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return false;
    auto* child = dynamic_cast<CChildFrame*>(frame->MDIGetActive());
    return child && child->KeyboardPassThrough();
}
