#pragma once
// The plot view: it is the figure the device messages change. Until the
// figure exists its readers accept every message and change nothing.
#include "platform/afx/afx.h"

class CQuorraDoc;

class CQuorraView : public CView {
    DECLARE_DYNCREATE(CQuorraView)
public:
    CQuorraDoc* GetDocument() const;
    void OnDraw(CDC* dc) override;

    // The readers of the device messages (the figure's).
    LRESULT OnDeviceClrPlot(WPARAM, LPARAM) { return 0; }
    LRESULT OnDevicePlot2d(WPARAM, LPARAM) { return 0; }
    LRESULT OnDeviceSetPlot(WPARAM, LPARAM) { return 0; }
    LRESULT OnDeviceDimPlot(WPARAM, LPARAM) { return 0; }
    LRESULT OnDeviceBndPlot(WPARAM, LPARAM) { return 0; }
    LRESULT OnDevicePlotCommand(WPARAM, LPARAM) { return 0; }

    // Set while the mouse is tracked in a plane: a clear is refused.
    bool m_bBusy = false;
};
