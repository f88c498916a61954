// The frame skeleton of a device window (see device_frame.h).
#include "devices/framework/device_frame.h"

#include "devices/framework/device_framework.h"
#include "devices/framework/device_resources.h"

static_assert(IDD_ABOUTBOX == kDeviceAboutDialogId);

IMPLEMENT_DYNAMIC(CDeviceFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CDeviceFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_DEVICE_PING, OnHostPing)
    ON_MESSAGE(WM_DEVICE_BREAK, OnHostPing)
    ON_COMMAND(ID_VIEW_TOOLBAR, OnViewToolbar)
    ON_COMMAND(ID_VIEW_STATUS_BAR, OnViewStatusBar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateViewToolbar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateViewStatusBar)
END_MESSAGE_MAP()

CDeviceFrame::CDeviceFrame(std::span<const UINT> panes, const char* barStateName)
    : m_panes(panes.begin(), panes.end()), m_barStateName(barStateName)
{
}

void CDeviceFrame::ShowOnStart()
{
    ShowWindow(SW_SHOW);
    UpdateWindow();
}

int CDeviceFrame::OnCreate(CREATESTRUCT* cs)
{
    if (CFrameWnd::OnCreate(cs) == -1) return -1;
    if (!m_bars.Create(this, TheDeviceProfile().templateId, m_panes.data(), m_panes.size())) return -1;
    // A saved layout that names a bar this frame lacks is not applied
    // (LoadBarState leaves the default layout then).
    if (m_barStateName) LoadBarState(m_barStateName);
    return 0;
}

void CDeviceFrame::OnClose()
{
    if (HoldClose()) return;
    // The base ends a nested loop first (a dialog, a drag, a preview) and
    // closes the frame only on a WM_CLOSE with none running.
    CFrameWnd::OnClose();
}

void CDeviceFrame::OnDestroy()
{
    BeforeDestroy();
    if (m_barStateName) SaveBarState(m_barStateName);
    // An abandoned thread's late destroy finds the host gone and calls nothing.
    if (auto* thread = dynamic_cast<CDeviceAppThread*>(AfxGetThread()))
        if (CDeviceHostCallbacks* host = thread->Host()) host->OnFrameDestroyed();
    CFrameWnd::OnDestroy();
}

void CDeviceFrame::OnViewToolbar() { m_bars.ShowToolbar(!m_bars.ToolbarVisible()); }

void CDeviceFrame::OnViewStatusBar() { m_bars.ShowStatusBar(!m_bars.StatusBarVisible()); }

void CDeviceFrame::OnUpdateViewToolbar(CCmdUI* ui) { ui->SetCheck(m_bars.ToolbarVisible() ? 1 : 0); }

void CDeviceFrame::OnUpdateViewStatusBar(CCmdUI* ui) { ui->SetCheck(m_bars.StatusBarVisible() ? 1 : 0); }
