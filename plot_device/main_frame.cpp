// The plot device's frame.
#include "plot_device/main_frame.h"

#include "devices/framework/device_framework.h"
#include "plot_device/quorra_doc.h"
#include "plot_device/quorra_resources.h"
#include "plot_device/quorra_view.h"

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_DEVICE_PING, OnHostPing)
    ON_MESSAGE(WM_DEVICE_BREAK, OnHostPing)
    ON_MESSAGE(WM_PLOT_CLEAR, OnPlotClear)
    ON_MESSAGE(WM_PLOT_DATA, OnPlotData)
    ON_MESSAGE(WM_PLOT_COMMAND, OnPlotCommand)
    ON_MESSAGE(WM_PLOT_SET, OnPlotSet)
    ON_MESSAGE(WM_PLOT_DIM, OnPlotDim)
    ON_MESSAGE(WM_PLOT_BOUNDS, OnPlotBounds)
    ON_MESSAGE(WM_DEVICE_TEST_QUERY, OnTestQuery)
    ON_COMMAND(ID_VIEW_TOOLBAR, OnViewToolbar)
    ON_COMMAND(ID_VIEW_STATUS_BAR, OnViewStatusBar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateViewToolbar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateViewStatusBar)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() = default;

int CMainFrame::OnCreate(CREATESTRUCT* cs)
{
    if (CFrameWnd::OnCreate(cs) == -1) return -1;
    if (!m_bars.Create(this, IDR_MAINFRAME, kQuorraStatusPanes, sizeof kQuorraStatusPanes / sizeof kQuorraStatusPanes[0]))
        return -1;
    return 0;
}

void CMainFrame::OnClose()
{
    auto* thread = dynamic_cast<CDeviceAppThread*>(AfxGetThread());
    if (thread && thread->m_test.refuseClose) return;
    // The view tracks the mouse in a loop of its own: this WM_CLOSE only ends
    // it (the host re-posts the close a second later).
    if (CQuorraView* view = FigureView(); view && view->IsBusy()) {
        ReleaseCapture();
        return;
    }
    // The base ends a nested loop first (a dialog, a drag, a preview) and
    // closes the frame only on a WM_CLOSE with none running.
    CFrameWnd::OnClose();
}

void CMainFrame::OnDestroy()
{
    // An abandoned thread's late destroy finds the host gone and calls nothing.
    if (auto* thread = dynamic_cast<CDeviceAppThread*>(AfxGetThread()))
        if (CDeviceHostCallbacks* host = thread->Host()) host->OnFrameDestroyed();
    CFrameWnd::OnDestroy();
}

void CMainFrame::ActivateFrame(int cmdShow)
{
    CDocument* doc = GetActiveDocument();
    bool fromFile = doc && !doc->GetPathName().empty();
    if (!fromFile && m_bFirstActivation) {
        // A square client area at first: the smaller client side both ways.
        RECT client;
        GetClientRect(&client);
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        if (GetWindowPlacement(m_hWnd, &wp)) {
            const int cw = client.right - client.left, ch = client.bottom - client.top;
            const int s = cw < ch ? cw : ch;
            RECT& n = wp.rcNormalPosition;
            const int ow = (n.right - n.left) - cw;
            const int oh = (n.bottom - n.top) - ch;
            n.bottom = n.top + s + oh;
            n.right = n.left + s + ow - oh;
            if (cmdShow != -1) wp.showCmd = (UINT)cmdShow;
            SetWindowPlacement(m_hWnd, &wp);
        }
    }
    CFrameWnd::ActivateFrame(cmdShow);
    m_bFirstActivation = FALSE;
}

CQuorraView* CMainFrame::FigureView()
{
    CDocument* doc = GetActiveDocument();
    if (!doc || doc->Views().empty()) return nullptr;
    return dynamic_cast<CQuorraView*>(doc->Views().front());
}

LRESULT CMainFrame::OnPlotClear(WPARAM wParam, LPARAM lParam)
{
    CQuorraView* view = FigureView();
    if (!view) return 0;
    if (view->IsBusy()) return -1;
    return view->OnDeviceClrPlot(wParam, lParam);
}

LRESULT CMainFrame::OnPlotData(WPARAM wParam, LPARAM lParam)
{
    CQuorraView* view = FigureView();
    return view ? view->OnDevicePlot2d(wParam, lParam) : 0;
}

LRESULT CMainFrame::OnPlotCommand(WPARAM wParam, LPARAM lParam)
{
    CQuorraView* view = FigureView();
    return view ? view->OnDevicePlotCommand(wParam, lParam) : -1;
}

LRESULT CMainFrame::OnPlotSet(WPARAM wParam, LPARAM lParam)
{
    CQuorraView* view = FigureView();
    return view ? view->OnDeviceSetPlot(wParam, lParam) : 0;
}

LRESULT CMainFrame::OnPlotDim(WPARAM wParam, LPARAM lParam)
{
    CQuorraView* view = FigureView();
    return view ? view->OnDeviceDimPlot(wParam, lParam) : 0;
}

LRESULT CMainFrame::OnPlotBounds(WPARAM wParam, LPARAM lParam)
{
    CQuorraView* view = FigureView();
    return view ? view->OnDeviceBndPlot(wParam, lParam) : 0;
}

LRESULT CMainFrame::OnTestQuery(WPARAM query, LPARAM)
{
    switch (query) {
    case 1: {
        auto* doc = dynamic_cast<CQuorraDoc*>(GetActiveDocument());
        return doc ? doc->m_nNewCount : -1;
    }
    case 2: return m_bars.VisibleMask();
    case 3: return m_bFirstActivation ? 1 : 0;
    case 4: {
        // Planes of the figure, and objects of its graphs in the high word.
        CQuorraView* view = FigureView();
        if (!view) return -1;
        LRESULT objects = 0;
        for (const auto& p : view->m_planes) objects += (LRESULT)p->objects.size();
        return (LRESULT)view->m_planes.size() | (objects << 16);
    }
    case 5: {
        // The first plane's read-out of (1.5, 2), through the view to the pane.
        CQuorraView* view = FigureView();
        if (!view || view->m_planes.empty()) return -1;
        view->m_planes.front()->ReadoutText({1.5, 2});
        return 1;
    }
    default: return 0;
    }
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
