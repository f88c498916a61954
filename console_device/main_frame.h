#pragma once
// The console frame: the window the host sends its console messages to.
// Each goes to the active console view.
#include "console_device/bar_state.h"
#include "devices/framework/frame_bars.h"
#include "platform/afx/cmd_ui.h"
#include "platform/afx/frame_wnd.h"
#include "platform/afx/message_map.h"
#include "platform/afx/object.h"

class CNerithView;

class CMainFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CMainFrame)
public:
    CMainFrame();

    int OnCreate(CREATESTRUCT* cs);
    void OnClose();
    void OnDestroy();
    void OnToolsSettings();
    void OnUpdateToolsSettings(CCmdUI* ui) { ui->Enable(TRUE); }

    LRESULT OnHostPing(WPARAM, LPARAM) { return 1; }
    LRESULT OnHostBreak(WPARAM, LPARAM);
    LRESULT OnHostTitle(WPARAM, LPARAM lParam);
    LRESULT OnHostClear(WPARAM, LPARAM lParam);
    LRESULT OnHostPrint(WPARAM, LPARAM lParam);

    void OnViewToolbar();
    void OnViewStatusBar();
    void OnUpdateViewToolbar(CCmdUI* ui);
    void OnUpdateViewStatusBar(CCmdUI* ui);

    // The toolbar and status bar.
    CPlotFrameBars m_bars;

    // The active console view, or null.
    CNerithView* ConsoleView();

protected:
    DECLARE_MESSAGE_MAP()
};
