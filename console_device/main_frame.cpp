// The console frame.
#include "console_device/main_frame.h"

#include "console_device/nerith_resources.h"
#include "console_device/nerith_settings.h"
#include "console_device/nerith_view.h"
#include "console_device/sets_sheet.h"
#include "devices/framework/device_framework.h"

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_COMMAND(ID_TOOLS_SETTINGS, OnToolsSettings)
    ON_UPDATE_COMMAND_UI(ID_TOOLS_SETTINGS, OnUpdateToolsSettings)
    ON_MESSAGE(WM_DEVICE_BREAK, OnHostBreak)
    ON_MESSAGE(WM_DEVICE_PING, OnHostPing)
    ON_MESSAGE(WM_CONSOLE_TITLE, OnHostTitle)
    ON_MESSAGE(WM_CONSOLE_CLEAR, OnHostClear)
    ON_MESSAGE(WM_CONSOLE_IO, OnHostPrint)
    ON_COMMAND(ID_VIEW_TOOLBAR, OnViewToolbar)
    ON_COMMAND(ID_VIEW_STATUS_BAR, OnViewStatusBar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateViewToolbar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateViewStatusBar)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() = default;

int CMainFrame::OnCreate(CREATESTRUCT* cs)
{
    if (CFrameWnd::OnCreate(cs) == -1) return -1;
    if (!m_bars.Create(this, IDR_MAINFRAME, kNerithStatusPanes,
                       sizeof kNerithStatusPanes / sizeof kNerithStatusPanes[0]))
        return -1;
    // A saved layout that names a bar this frame lacks is not applied
    // (LoadBarState leaves the default layout then).
    LoadBarState("Brenholt");
    return 0;
}

CNerithView* CMainFrame::ConsoleView()
{
    CDocument* doc = GetActiveDocument();
    if (!doc || doc->Views().empty()) return nullptr;
    return dynamic_cast<CNerithView*>(doc->Views().front());
}

void CMainFrame::OnClose()
{
    auto* thread = dynamic_cast<CDeviceAppThread*>(AfxGetThread());
    if (thread && thread->m_test.refuseClose) return;
    // Not while an input waits: a break or Escape ends it first.
    if (CNerithView* view = ConsoleView(); view && view->IsInputPending()) return;
    CFrameWnd::OnClose();
}

void CMainFrame::OnDestroy()
{
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (GetWindowPlacement(m_hWnd, &wp)) UpdateNerithSettings([&](NerithSettings& s) { s.placement = wp; });
    SaveBarState("Brenholt");
    if (auto* thread = dynamic_cast<CDeviceAppThread*>(AfxGetThread()))
        if (CDeviceHostCallbacks* host = thread->Host()) host->OnFrameDestroyed();
    CFrameWnd::OnDestroy();
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

void CMainFrame::OnViewToolbar()
{
    m_bars.ShowToolbar(!m_bars.ToolbarVisible());
}

void CMainFrame::OnViewStatusBar()
{
    m_bars.ShowStatusBar(!m_bars.StatusBarVisible());
}

void CMainFrame::OnUpdateViewToolbar(CCmdUI* ui) { ui->SetCheck(m_bars.ToolbarVisible() ? 1 : 0); }

void CMainFrame::OnUpdateViewStatusBar(CCmdUI* ui) { ui->SetCheck(m_bars.StatusBarVisible() ? 1 : 0); }
