#pragma once
// The plot device's frame: the window the host sends every plot message to.
// It hands each message to the figure of its view.
#include "devices/framework/device_frame.h"

class CQuorraView;

class CMainFrame : public CDeviceFrame {
    DECLARE_DYNCREATE(CMainFrame)
public:
    CMainFrame();

    void ActivateFrame(int cmdShow = -1) override;
    void ShowOnStart() override;

    LRESULT OnPlotClear(WPARAM wParam, LPARAM lParam);
    LRESULT OnPlotData(WPARAM wParam, LPARAM lParam);
    LRESULT OnPlotCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnPlotSet(WPARAM wParam, LPARAM lParam);
    LRESULT OnPlotDim(WPARAM wParam, LPARAM lParam);
    LRESULT OnPlotBounds(WPARAM wParam, LPARAM lParam);

    BOOL m_bFirstActivation = TRUE;

protected:
    // The view that is the figure, or null while the frame has none.
    CQuorraView* FigureView();
    bool HoldClose() override;
    // With VELDRA_PLOT_SAVE_DIR set, the figure is exported there as the
    // frame closes (batch runs keep their figures so).
    void BeforeDestroy() override;
    DECLARE_MESSAGE_MAP()
};
