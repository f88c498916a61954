#pragma once
// The console frame: the window the host sends its console messages to.
// Each goes to the active console view.
#include "devices/framework/device_frame.h"

class CNerithView;

class CMainFrame : public CDeviceFrame {
    DECLARE_DYNCREATE(CMainFrame)
public:
    CMainFrame();

    // The placement the last console closed with, else shown as it is.
    void ShowOnStart() override;

    void OnToolsSettings();
    void OnUpdateToolsSettings(CCmdUI* ui) { ui->Enable(TRUE); }

    LRESULT OnHostBreak(WPARAM, LPARAM);
    LRESULT OnHostTitle(WPARAM, LPARAM lParam);
    LRESULT OnHostClear(WPARAM, LPARAM lParam);
    LRESULT OnHostPrint(WPARAM, LPARAM lParam);

    // The active console view, or null.
    CNerithView* ConsoleView();

protected:
    bool HoldClose() override;
    void BeforeDestroy() override;
    DECLARE_MESSAGE_MAP()
};
