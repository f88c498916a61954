#pragma once
// The frame around a view as views, documents and the print preview see it:
// CFrameWnd implements it, so that they need not see the frame class (which
// sees them, its bars and the application).
#include "platform/types.h"

class CView;
class CWnd;

class IViewFrame {
public:
    virtual CView* GetActiveView() const = 0;
    virtual void SetActiveView(CView* view, BOOL notify = TRUE) = 0;
    virtual void OnUpdateFrameTitle(BOOL addToTitle) = 0;
    virtual void RecalcLayout(BOOL notify = TRUE) = 0;
    // The frame as a window.
    virtual CWnd* FrameWnd() = 0;

protected:
    ~IViewFrame() = default;
};

// The nearest frame above the window (CWnd::GetParentFrame), else null.
IViewFrame* AfxParentViewFrame(const CWnd* wnd);
// The outermost frame of the window, itself when it is one
// (CWnd::GetTopLevelFrame), else null.
IViewFrame* AfxTopLevelViewFrame(const CWnd* wnd);
// The window's frame side when it is a frame, else null.
IViewFrame* AfxViewFrameOf(CWnd* wnd);
