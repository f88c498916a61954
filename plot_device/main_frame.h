#pragma once
// The plot device's frame: the window the host sends every plot message to.
// It hands each message to the figure of its view.
#include "devices/framework/frame_bars.h"
#include "platform/afx/cmd_ui.h"
#include "platform/afx/frame_wnd.h"
#include "platform/afx/message_map.h"
#include "platform/afx/object.h"

class CQuorraView;

class CMainFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CMainFrame)
public:
    CMainFrame();

    void ActivateFrame(int cmdShow = -1) override;

    int OnCreate(CREATESTRUCT* cs);
    void OnClose();
    void OnDestroy();

    LRESULT OnHostPing(WPARAM, LPARAM) { return 1; }
    LRESULT OnPlotClear(WPARAM wParam, LPARAM lParam);
    LRESULT OnPlotData(WPARAM wParam, LPARAM lParam);
    LRESULT OnPlotCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnPlotSet(WPARAM wParam, LPARAM lParam);
    LRESULT OnPlotDim(WPARAM wParam, LPARAM lParam);
    LRESULT OnPlotBounds(WPARAM wParam, LPARAM lParam);
    LRESULT OnTestQuery(WPARAM query, LPARAM);

    void OnViewToolbar();
    void OnViewStatusBar();
    void OnUpdateViewToolbar(CCmdUI* ui);
    void OnUpdateViewStatusBar(CCmdUI* ui);

    BOOL m_bFirstActivation = TRUE;
    CPlotFrameBars m_bars;

protected:
    // The view that is the figure, or null while the frame has none.
    CQuorraView* FigureView();
    // With VELDRA_PLOT_SAVE_DIR set, the figure is saved as the frame closes.
    void SaveForTests();
    DECLARE_MESSAGE_MAP()
};
