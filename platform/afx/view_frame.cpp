// Frames found by walking up the window tree.
#include "platform/afx/view_frame.h"

#include "platform/afx/wnd.h"

IViewFrame* AfxViewFrameOf(CWnd* wnd) { return dynamic_cast<IViewFrame*>(wnd); }

IViewFrame* AfxParentViewFrame(const CWnd* wnd)
{
    for (HWND h = ::GetParent(wnd->m_hWnd); h; h = ::GetParent(h))
        if (IViewFrame* f = AfxViewFrameOf(CWnd::FromHandlePermanent(h))) return f;
    return nullptr;
}

IViewFrame* AfxTopLevelViewFrame(const CWnd* wnd)
{
    IViewFrame* frame = AfxViewFrameOf(const_cast<CWnd*>(wnd));
    if (!frame) frame = AfxParentViewFrame(wnd);
    while (frame) {
        IViewFrame* up = AfxParentViewFrame(frame->FrameWnd());
        if (!up) break;
        frame = up;
    }
    return frame;
}
