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

IMPLEMENT_DYNCREATE(CMainFrame, CDeviceFrame)

BEGIN_MESSAGE_MAP(CMainFrame, CDeviceFrame)
    ON_MESSAGE(WM_PLOT_CLEAR, OnPlotClear)
    ON_MESSAGE(WM_PLOT_DATA, OnPlotData)
    ON_MESSAGE(WM_PLOT_COMMAND, OnPlotCommand)
    ON_MESSAGE(WM_PLOT_SET, OnPlotSet)
    ON_MESSAGE(WM_PLOT_DIM, OnPlotDim)
    ON_MESSAGE(WM_PLOT_BOUNDS, OnPlotBounds)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() : CDeviceFrame(kQuorraStatusPanes) {}

void CMainFrame::ShowOnStart()
{
    ActivateFrame(SW_SHOW);
    if (m_hWnd) UpdateWindow();
}

bool CMainFrame::HoldClose()
{
    // The view tracks the mouse in a loop of its own: this WM_CLOSE only ends
    // it (the host re-posts the close a second later).
    CQuorraView* view = FigureView();
    if (!view || !view->IsBusy()) return false;
    ReleaseCapture();
    // A preview's loop is ended here as well; the frame itself stays.
    AfxEndLoopBeforeClose(m_hWnd);
    return true;
}

namespace {

// "<dir>/<name>.qra", then "<name>-2.qra" for the second window of a name in
// this process, and so on.
std::string NextExportPath(const std::string& dir, const std::string& name)
{
    static std::mutex mutex;
    static std::map<std::string, int> used;
    std::lock_guard<std::mutex> lock(mutex);
    const int n = ++used[name];
    return dir + "/" + name + (n > 1 ? "-" + std::to_string(n) : std::string()) + ".qra";
}

}  // namespace

void CMainFrame::BeforeDestroy()
{
    const char* dir = std::getenv("VELDRA_PLOT_SAVE_DIR");
    if (!dir || !*dir) return;
    CQuorraView* view = FigureView();
    auto* doc = dynamic_cast<CQuorraDoc*>(GetActiveDocument());
    if (!view || !doc) return;
    view->CommitPending();
    // The document's save path, without the recent-file list.
    const std::string path = NextExportPath(dir, view->TitleText());
    if (!doc->OnSaveDocument(path.c_str())) {
        std::fprintf(stderr, "Cannot save the figure to '%s'\n", path.c_str());
        std::fflush(stderr);
        NoteDeviceSaveFailure();
    }
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

CQuorraView* CMainFrame::FigureView() { return FirstView<CQuorraView>(); }

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
