// The console frame.
#include "console_device/main_frame.h"

#include "console_device/nerith_resources.h"
#include "console_device/nerith_settings.h"
#include "console_device/nerith_view.h"
#include "console_device/sets_sheet.h"
#include "devices/framework/device_framework.h"

IMPLEMENT_DYNCREATE(CMainFrame, CDeviceFrame)

BEGIN_MESSAGE_MAP(CMainFrame, CDeviceFrame)
    ON_COMMAND(ID_TOOLS_SETTINGS, OnToolsSettings)
    ON_UPDATE_COMMAND_UI(ID_TOOLS_SETTINGS, OnUpdateToolsSettings)
    ON_MESSAGE(WM_DEVICE_BREAK, OnHostBreak)
    ON_MESSAGE(WM_CONSOLE_TITLE, OnHostTitle)
    ON_MESSAGE(WM_CONSOLE_CLEAR, OnHostClear)
    ON_MESSAGE(WM_CONSOLE_IO, OnHostPrint)
END_MESSAGE_MAP()

// The bars' layout is kept under "Brenholt" in Nerith.conf.
CMainFrame::CMainFrame() : CDeviceFrame(kNerithStatusPanes, "Brenholt") {}

void CMainFrame::ShowOnStart()
{
    const WINDOWPLACEMENT wp = NerithSettingsCopy().placement;
    if (wp.length) SetWindowPlacement(m_hWnd, &wp);
    else ShowWindow(SW_SHOW);
    UpdateWindow();
}

CNerithView* CMainFrame::ConsoleView() { return FirstView<CNerithView>(); }

bool CMainFrame::HoldClose()
{
    // Not while an input waits: a break or Escape ends it first.
    CNerithView* view = ConsoleView();
    return view && view->IsInputPending();
}

void CMainFrame::BeforeDestroy()
{
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (GetWindowPlacement(m_hWnd, &wp)) UpdateNerithSettings([&](NerithSettings& s) { s.placement = wp; });
}

LRESULT CMainFrame::OnHostBreak(WPARAM, LPARAM)
{
    if (CNerithView* view = ConsoleView()) view->m_cancelInput = 1;
    return 0;
}

LRESULT CMainFrame::OnHostTitle(WPARAM, LPARAM lParam)
{
    auto* request = reinterpret_cast<ConsoleTitleRequest*>(lParam);
    CNerithView* view = ConsoleView();
    if (view && request && view->GetDocument()) view->GetDocument()->SetTitle(request->title.c_str());
    return 0;
}

LRESULT CMainFrame::OnHostClear(WPARAM wParam, LPARAM lParam)
{
    OnHostTitle(wParam, lParam);
    if (CNerithView* view = ConsoleView()) {
        view->SetWindowText("");
        view->SetDefaultCharFormat();
    }
    return 0;
}

LRESULT CMainFrame::OnHostPrint(WPARAM, LPARAM lParam)
{
    // An input waits in a loop of its own: the window shows as started first.
    if (auto* thread = dynamic_cast<CDeviceAppThread*>(AfxGetThread())) thread->ShowIfStarted();
    CNerithView* view = ConsoleView();
    return view ? view->OnHostPrint(reinterpret_cast<ConsoleIoRequest*>(lParam)) : 0;
}

void CMainFrame::OnToolsSettings()
{
    CSetsSheet sheet("Settings", this);
    if (sheet.DoModal() == IDOK)
        if (CNerithView* view = ConsoleView()) view->SetDefaultCharFormat();
}
