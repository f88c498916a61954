// The per-thread stack of nested loops.
#include "platform/afx/nested_loop.h"

#include "platform/user/user.h"

namespace {
thread_local CNestedLoop* t_innermost = nullptr;
}

CNestedLoop::CNestedLoop() : m_outer(t_innermost) { t_innermost = this; }

CNestedLoop::~CNestedLoop() { t_innermost = m_outer; }

CNestedLoop* AfxInnermostLoop() { return t_innermost; }

bool AfxCancelInnermostLoop()
{
    if (!t_innermost) return false;
    t_innermost->Cancel();
    // Wake the loop if it waits.
    PostMessage(nullptr, WM_NULL, 0, 0);
    return true;
}

void CNestedLoop::End(int result)
{
    if (m_ended) return;
    m_ended = true;
    m_result = result;
}

bool CNestedLoop::GetMessage(MSG* msg)
{
    if (m_ended) return false;
    for (;;) {
        if (PeekMessage(msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg->message == WM_QUIT) {
                PostQuitMessage((int)msg->wParam);
                Cancel();
                return false;
            }
            return true;
        }
        if (m_ended) return false;
        WaitMessage();
        if (m_ended) return false;
    }
}

bool AfxEndLoopBeforeClose(HWND frame)
{
    if (AfxCancelInnermostLoop()) return true;
    if (EndMenu()) return true;
    HWND capture = GetCapture();
    if (capture && (capture == frame || IsChild(frame, capture))) {
        ReleaseCapture();   // scroll, move and size tracking end when they lose it
        return true;
    }
    return false;
}
