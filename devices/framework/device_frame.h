#pragma once
// The frame skeleton of a device window: its toolbar and status bar, the
// bars' saved layout, the host's ping, the close a view may hold back, and
// the frame's end, which the host is told of. A device's frame derives from
// it and adds the messages the host sends that device.
#include <span>
#include <vector>

#include "devices/framework/frame_bars.h"
#include "platform/afx/cmd_ui.h"
#include "platform/afx/document.h"
#include "platform/afx/view.h"
#include "platform/afx/frame_wnd.h"
#include "platform/afx/message_map.h"
#include "platform/afx/object.h"

class CDeviceFrame : public CFrameWnd {
    DECLARE_DYNAMIC(CDeviceFrame)
public:
    // The status-bar panes in order; with a bar-state name the bars' layout
    // is restored on creation and saved as the frame ends.
    explicit CDeviceFrame(std::span<const UINT> panes, const char* barStateName = nullptr);

    // Shows the frame once the host has said Start.
    virtual void ShowOnStart();

    int OnCreate(CREATESTRUCT* cs);
    void OnClose();
    void OnDestroy();
    LRESULT OnHostPing(WPARAM, LPARAM) { return 1; }

    void OnViewToolbar();
    void OnViewStatusBar();
    void OnUpdateViewToolbar(CCmdUI* ui);
    void OnUpdateViewStatusBar(CCmdUI* ui);

    // The toolbar and status bar.
    CDeviceFrameBars m_bars;

protected:
    // The first view of the active document as a `View`, or null.
    template <class View>
    View* FirstView()
    {
        CDocument* doc = GetActiveDocument();
        if (!doc || doc->Views().empty()) return nullptr;
        return dynamic_cast<View*>(doc->Views().front());
    }
    // True keeps the frame open on this WM_CLOSE (a view is busy).
    virtual bool HoldClose() { return false; }
    // As the frame ends, before its bars' layout is saved and the host told.
    virtual void BeforeDestroy() {}
    DECLARE_MESSAGE_MAP()

private:
    std::vector<UINT> m_panes;
    const char* m_barStateName;
};
