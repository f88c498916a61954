#pragma once
// Drop targets register per window; the drag loop asks the target under the
// pointer (or its nearest registered ancestor) on the dragging thread.
#include "platform/afx/cmd_target.h"
#include "platform/afx/ole_data.h"

class CWnd;

class COleDropTarget : public CCmdTarget {
    DECLARE_DYNAMIC(COleDropTarget)
public:
    ~COleDropTarget() override;
    BOOL Register(CWnd* wnd);
    void Revoke();

    // Key state: MK_CONTROL, MK_SHIFT, MK_LBUTTON; the point is in the
    // window's client coordinates. Return the effect the drop would have.
    virtual DROPEFFECT OnDragEnter(CWnd* wnd, COleDataObject* data, DWORD keyState, POINT pt);
    virtual DROPEFFECT OnDragOver(CWnd* wnd, COleDataObject* data, DWORD keyState, POINT pt);
    virtual void OnDragLeave(CWnd* wnd);
    virtual BOOL OnDrop(CWnd* wnd, COleDataObject* data, DROPEFFECT effect, POINT pt);

    // The registered target of a window or its nearest ancestor on the
    // calling thread, or null.
    static COleDropTarget* FindAt(HWND hwnd, HWND* targetWindow);

private:
    HWND m_hWnd = nullptr;
};
