// The plot device's frame.
#include "plot_device/main_frame.h"

#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <map>
#include <mutex>
#include <string>

#include "devices/framework/device_framework.h"
#include "platform/afx/nested_loop.h"
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
        // A preview's loop is ended here as well; the frame itself stays.
        AfxEndLoopBeforeClose(m_hWnd);
        return;
    }
    // The base ends a nested loop first (a dialog, a drag, a preview) and
    // closes the frame only on a WM_CLOSE with none running.
    CFrameWnd::OnClose();
}

namespace {

// "<dir>/<name>.qra", then "<name>-2.qra" for the second window of a name in
// this process, and so on.
std::string NextTestSavePath(const std::string& dir, const std::string& name)
{
    static std::mutex mutex;
    static std::map<std::string, int> used;
    std::lock_guard<std::mutex> lock(mutex);
    const int n = ++used[name];
    return dir + "/" + name + (n > 1 ? "-" + std::to_string(n) : std::string()) + ".qra";
}

}  // namespace

void CMainFrame::SaveForTests()
{
    const char* dir = std::getenv("VELDRA_PLOT_SAVE_DIR");
    if (!dir || !*dir) return;
    CQuorraView* view = FigureView();
    auto* doc = dynamic_cast<CQuorraDoc*>(GetActiveDocument());
    if (!view || !doc) return;
    view->CommitPending();
    // The document's save path, without the recent-file list.
    const std::string path = NextTestSavePath(dir, view->TitleText());
    if (!doc->OnSaveDocument(path.c_str())) {
        std::fprintf(stderr, "Cannot save the figure to '%s'\n", path.c_str());
        std::fflush(stderr);
        NoteDeviceSaveFailure();
    }
}

void CMainFrame::OnDestroy()
{
    SaveForTests();
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
    if (fromFile) {
        // A plot file brings its window placement; a damaged one is ignored.
        auto* qdoc = dynamic_cast<CQuorraDoc*>(doc);
        if (qdoc && UsablePlotPlacement(qdoc->m_placement)) {
            WINDOWPLACEMENT wp = qdoc->m_placement;
            wp.length = sizeof wp;
            wp.flags = 0;
            SetWindowPlacement(m_hWnd, &wp);
            if (cmdShow == -1) cmdShow = (int)wp.showCmd;
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

LRESULT CMainFrame::OnTestQuery(WPARAM query, LPARAM arg)
{
    if (query == 11) {
        CQuorraView* view = FigureView();
        return view && view->IsBusy() ? 1 : 0;
    }
    if (query == 10) {
        // The first eight bytes of the read-out pane.
        const std::string text = m_bars.PaneText(1);
        LRESULT v = 0;
        std::memcpy(&v, text.c_str(), std::min<size_t>(8, text.size()));
        return v;
    }
    if (query == 13) {
        // The first eight bytes of plane arg's number format.
        CQuorraView* view = FigureView();
        if (!view || (size_t)arg >= view->m_planes.size()) return -1;
        const std::string& f = view->m_planes[(size_t)arg]->numberFormat;
        LRESULT v = 0;
        std::memcpy(&v, f.c_str(), std::min<size_t>(8, f.size()));
        return v;
    }
    if (query >= 7 && query <= 9) {
        CQuorraView* view = FigureView();
        if (!view) return -1;
        if (query == 7) {
            // The first selected plane's index plus one, 0 for none.
            for (size_t i = 0; i < view->m_planes.size(); i++)
                if (view->m_planes[i]->m_selected) return (LRESULT)i + 1;
            return 0;
        }
        if ((size_t)arg >= view->m_planes.size()) return -1;
        const CPlotPlane& p = *view->m_planes[(size_t)arg];
        if (query == 8) {
            // The plane's x limits, in thousandths: low word xmin, high word xmax.
            return (LRESULT)(uint32_t)(int32_t)std::lround(p.limits[0] * 1000) |
                   ((LRESULT)(int32_t)std::lround(p.limits[BOX_RIGHT] * 1000) << 32);
        }
        // The screen point at the centre of the plane's plot rectangle.
        POINT c{(p.plotRect.left + p.plotRect.right) / 2, (p.plotRect.top + p.plotRect.bottom) / 2};
        ClientToScreen(view->m_hWnd, &c);
        return (LRESULT)(uint32_t)c.x | ((LRESULT)(uint32_t)c.y << 32);
    }
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
        // The length of the document's path (a failed open keeps the old one).
        CDocument* doc = GetActiveDocument();
        return doc ? (LRESULT)doc->GetPathName().size() : -1;
    }
    case 6: {
        CQuorraView* view = FigureView();
        return view ? (LRESULT)view->GetViewSize().cx : -1;
    }
    case 30: {
        // Prints the figure onto a recording A4 printer page: *arg gets the
        // log and the page mapping, the reply is the number of printed planes.
        CQuorraView* view = FigureView();
        auto* out = reinterpret_cast<std::string*>(arg);
        if (!view || !out) return -1;
        CDC dc;
        dc.Attach(CreateRecordingDC(TRUE), true);
        dc.m_bPrinting = TRUE;
        CPrintInfo info;
        view->OnBeginPrinting(&dc, &info);
        view->OnPrint(&dc, &info);
        view->OnEndPrinting(&dc, &info);
        SIZE ext{};
        POINT org{};
        GetWindowExtEx(dc.m_hDC, &ext);
        GetWindowOrgEx(dc.m_hDC, &org);
        const RECT& r = view->m_printRect;
        *out = GetRecordingLog(dc.m_hDC) + "print rect " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
               std::to_string(r.right) + "," + std::to_string(r.bottom) + " window ext " + std::to_string(ext.cx) + "," +
               std::to_string(ext.cy) + " org " + std::to_string(org.x) + "," + std::to_string(org.y) + "\n";
        return (LRESULT)view->m_printPlanes.size();
    }
    case 31: {
        // The screen point of the first pointer in plane arg, -1 for none;
        // 32: objects with a pointer in the figure; 33: plane arg's x span
        // made zero (its centre kept).
        CQuorraView* view = FigureView();
        if (!view || (size_t)arg >= view->m_planes.size()) return -1;
        CPlotPlane& p = *view->m_planes[(size_t)arg];
        for (const auto& o : p.objects) {
            if (!(o->pointerFlags & 3)) continue;
            POINT c{(LONG)std::lround(p.WorldToDeviceX(o->pointer.x)), (LONG)std::lround(p.WorldToDeviceY(o->pointer.y))};
            ClientToScreen(view->m_hWnd, &c);
            return (LRESULT)(uint32_t)c.x | ((LRESULT)(uint32_t)c.y << 32);
        }
        return -1;
    }
    case 32: {
        CQuorraView* view = FigureView();
        if (!view) return -1;
        LRESULT n = 0;
        for (const auto& p : view->m_planes)
            for (const auto& o : p->objects) n += (o->pointerFlags & 3) ? 1 : 0;
        return n;
    }
    case 33: {
        CQuorraView* view = FigureView();
        if (!view || (size_t)arg >= view->m_planes.size()) return -1;
        CPlotPlane& p = *view->m_planes[(size_t)arg];
        const double mid = (p.limits[0] + p.limits[BOX_RIGHT]) / 2;
        p.limits[0] = p.limits[BOX_RIGHT] = mid;
        return 1;
    }
    case 34:
    case 35: {
        // Plane arg's first object: 34 the screen point of its second point,
        // 35 its id.
        CQuorraView* view = FigureView();
        if (!view || (size_t)arg >= view->m_planes.size()) return -1;
        CPlotPlane& p = *view->m_planes[(size_t)arg];
        if (p.objects.empty() || p.objects[0]->Count() < 2) return -1;
        const CGraphObject& o = *p.objects[0];
        if (query == 35) return o.id;
        POINT c{(LONG)std::lround(p.WorldToDeviceX(o.Points()[1].x)), (LONG)std::lround(p.WorldToDeviceY(o.Points()[1].y))};
        ClientToScreen(view->m_hWnd, &c);
        return (LRESULT)(uint32_t)c.x | ((LRESULT)(uint32_t)c.y << 32);
    }
    case 36: {
        // The screen point of the view's client origin.
        CQuorraView* view = FigureView();
        if (!view) return -1;
        POINT c{0, 0};
        ClientToScreen(view->m_hWnd, &c);
        return (LRESULT)(uint32_t)c.x | ((LRESULT)(uint32_t)c.y << 32);
    }
    case 37: {
        // Plane arg's plot rectangle on the screen, 16 bits a side: left,
        // top, right, bottom from the low word up.
        CQuorraView* view = FigureView();
        if (!view || (size_t)arg >= view->m_planes.size()) return -1;
        const RECT& r = view->m_planes[(size_t)arg]->plotRect;
        POINT a{r.left, r.top}, b{r.right, r.bottom};
        ClientToScreen(view->m_hWnd, &a);
        ClientToScreen(view->m_hWnd, &b);
        return (LRESULT)(uint16_t)a.x | (LRESULT)(uint16_t)a.y << 16 | (LRESULT)(uint16_t)b.x << 32 |
               (LRESULT)(uint16_t)b.y << 48;
    }
    case 12: {
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
