// The dispatcher of every framework window: attach on the first message,
// module state, exception boundary, and the object's end after WM_NCDESTROY.
#include "platform/afx/exception.h"
#include "platform/afx/wnd.h"

namespace {
thread_local const MSG* t_currentMessage = nullptr;
}

const MSG* AfxGetCurrentMessage() { return t_currentMessage; }

LRESULT AfxCallWndProc(CWnd* wnd, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG current{hwnd, message, wParam, lParam, 0, {0, 0}};
    const MSG* prevMessage = t_currentMessage;
    t_currentMessage = &current;
    CModuleStateScope scope(wnd->m_pModuleState);
    LRESULT r = 0;
    {
        CWndProtector protect(wnd);
        try {
            r = wnd->WindowProc(message, wParam, lParam);
        } catch (...) {
            AfxReportCurrentException();
            r = message == WM_CREATE ? -1 : 0;
        }
        if (message == WM_NCDESTROY) {
            // The window is gone: the object lets go of it and ends once no
            // dispatch or protector of it is running.
            wnd->Detach();
            wnd->m_bPostNcDestroyDue = true;
        }
    }   // may end the object: not touched again
    t_currentMessage = prevMessage;
    return r;
}

CWndProtector::CWndProtector(CWnd* wnd) : m_wnd(wnd) { ++wnd->m_nDispatchDepth; }

CWndProtector::~CWndProtector()
{
    CWnd* wnd = m_wnd;
    if (--wnd->m_nDispatchDepth != 0 || !wnd->m_bPostNcDestroyDue) return;
    wnd->m_bPostNcDestroyDue = false;
    if (wnd->m_pEndedFlag) *wnd->m_pEndedFlag = true;
    try {
        wnd->PostNcDestroy();   // may delete wnd
    } catch (...) {
        AfxReportCurrentException();
    }
}
